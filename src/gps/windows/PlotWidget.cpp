#include "gps/windows/PlotWidget.h"

#include <QDateTime>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWheelEvent>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <numbers>

namespace navora {

namespace {

constexpr double kMinNmPerPixel = 1e-5;
constexpr double kMaxNmPerPixel = 50.0;
constexpr double kReanchorNm = 60.0;
// Solid colours, the faint ones mixed with the background beforehand: a
// translucent line or fill takes Qt's slow path.
const QColor kGrid(223, 223, 219);
const QColor kLeg(40, 90, 200);
const QColor kPassedLeg(192, 206, 233);
const QColor kActiveLeg(220, 0, 160);
const QColor kCorridor(246, 221, 236);
const QColor kTrack(0, 150, 90);
const QColor kBoat(20, 20, 20);
const QColor kOffLine(150, 150, 150);
const QColor kBackdrop(200, 200, 213);

// The round length (1, 2 or 5 times a power of ten) nearest below limit.
double roundLength(double limit)
{
    const double power = std::pow(10.0, std::floor(std::log10(limit)));
    for (const double step : {5.0, 2.0, 1.0}) {
        if (step * power <= limit)
            return step * power;
    }
    return power;
}

// One pixel wide whatever the scale: drawn on Qt's fast path for thin
// lines, which matters for long tracks.
QPen thinPen(const QColor& colour)
{
    QPen pen(colour, 1.0);
    pen.setCosmetic(true);
    return pen;
}

// Three-pixel squares, filled in one call: a wide pen would stroke every
// point as a path.
void drawDots(QPainter& painter, const QPolygonF& points, const QColor& colour)
{
    std::vector<QRectF> squares;
    squares.reserve(static_cast<size_t>(points.size()));
    for (const QPointF& point : points)
        squares.emplace_back(point.x() - 1.5, point.y() - 1.5, 3.0, 3.0);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawRects(squares.data(), static_cast<int>(squares.size()));
}

// A long line in runs: Qt strokes a wide line's path whole, which costs
// far more than its pieces.
void drawInRuns(QPainter& painter, const QPointF* points, size_t count)
{
    constexpr size_t kRun = 1024;
    for (size_t start = 0; start + 1 < count; start += kRun)
        painter.drawPolyline(points + start, static_cast<int>(std::min(kRun + 1, count - start)));
}

} // namespace

PlotWidget::PlotWidget(QWidget* parent)
    : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(240, 200);
    setAutoFillBackground(true);
    QPalette background = palette();
    background.setColor(QPalette::Window, QColor(250, 250, 246));
    setPalette(background);
}

void PlotWidget::setScene(PlotScene scene)
{
    m_scene = std::move(scene);
    if (!m_fitted && (m_scene.hasPosition || !m_scene.route.empty() || !m_scene.backdrops.empty()))
        fit();
    if (m_following && m_scene.hasPosition) {
        const LocalProjection::Point at
            = LocalProjection(m_anchorLatitude, m_anchorLongitude).project(m_scene.latitude, m_scene.longitude);
        // Far from the centre the picture would bend: centre it afresh.
        if (std::hypot(at.east, at.north) > kReanchorNm)
            anchorAt(m_scene.latitude, m_scene.longitude);
        else
            m_offset = at;
    }
    projectScene();
    update();
}

void PlotWidget::anchorAt(double latitude, double longitude)
{
    m_anchorLatitude = latitude;
    m_anchorLongitude = longitude;
    m_offset = {0.0, 0.0};
    m_projectedRoute.clear();
    m_routePoints.clear();
    m_trackPoints.clear();
    m_projectedBackdrops.clear();
    m_backdropPoints.clear();
}

void PlotWidget::projectScene()
{
    const LocalProjection projection(m_anchorLatitude, m_anchorLongitude);
    const auto sameMark = [](const PlotScene::Mark& a, const PlotScene::Mark& b) {
        return a.latitude == b.latitude && a.longitude == b.longitude && a.name == b.name;
    };
    if (!std::equal(
            m_scene.route.begin(), m_scene.route.end(), m_projectedRoute.begin(), m_projectedRoute.end(), sameMark)) {
        m_projectedRoute = m_scene.route;
        m_routePoints.clear();
        for (const PlotScene::Mark& mark : m_scene.route)
            m_routePoints.push_back(projection.project(mark.latitude, mark.longitude));
    }
    // A track is only ever extended; another one starts again.
    const auto& track = m_scene.track;
    if (track.size() < m_trackPoints.size() || (!track.empty() && track.front().time != m_trackStart))
        m_trackPoints.clear();
    m_trackStart = track.empty() ? 0.0 : track.front().time;
    for (size_t i = m_trackPoints.size(); i < track.size(); ++i)
        m_trackPoints.push_back(projection.project(track[i].latitude, track[i].longitude));
    if (m_scene.backdrops != m_projectedBackdrops) {
        m_projectedBackdrops = m_scene.backdrops;
        m_backdropPoints.clear();
        for (const PlotScene::Backdrop& backdrop : m_scene.backdrops) {
            std::vector<LocalProjection::Point>& points = m_backdropPoints.emplace_back();
            points.reserve(backdrop.places.size());
            for (const auto& [latitude, longitude] : backdrop.places)
                points.push_back(projection.project(latitude, longitude));
        }
    }
}

void PlotWidget::fit()
{
    std::vector<std::pair<double, double>> places;
    for (const PlotScene::Mark& mark : m_scene.route) {
        if (std::isfinite(mark.latitude) && std::isfinite(mark.longitude))
            places.emplace_back(mark.latitude, mark.longitude);
    }
    if (m_scene.hasPosition)
        places.emplace_back(m_scene.latitude, m_scene.longitude);
    // Without a route or a position, the other documents.
    if (places.empty()) {
        for (const PlotScene::Backdrop& backdrop : m_scene.backdrops) {
            for (const auto& [latitude, longitude] : backdrop.places) {
                if (std::isfinite(latitude) && std::isfinite(longitude))
                    places.emplace_back(latitude, longitude);
            }
        }
    }
    if (places.empty())
        return;
    m_fitted = true;
    anchorAt(places.front().first, places.front().second);
    const LocalProjection projection(m_anchorLatitude, m_anchorLongitude);
    double west = 0.0, east = 0.0, south = 0.0, north = 0.0;
    for (const auto& [latitude, longitude] : places) {
        const LocalProjection::Point point = projection.project(latitude, longitude);
        west = std::min(west, point.east);
        east = std::max(east, point.east);
        south = std::min(south, point.north);
        north = std::max(north, point.north);
    }
    m_offset = {(west + east) / 2.0, (south + north) / 2.0};
    projectScene();
    // A margin of a tenth on each side; a single place shows a mile round.
    const double spanNm = std::max({(east - west) / (width() * 0.8), (north - south) / (height() * 0.8), 0.0});
    m_nmPerPixel = std::clamp(
        spanNm > 0.0 ? spanNm : 2.0 / std::max(1, std::min(width(), height())), kMinNmPerPixel, kMaxNmPerPixel);
    update();
}

void PlotWidget::setFollowing(bool following)
{
    m_following = following;
    if (m_following)
        setScene(m_scene);
}

QPointF PlotWidget::toScreen(const LocalProjection::Point& point) const
{
    return {width() / 2.0 + (point.east - m_offset.east) / m_nmPerPixel,
        height() / 2.0 - (point.north - m_offset.north) / m_nmPerPixel};
}

QPointF PlotWidget::toScreen(const LocalProjection& projection, double latitude, double longitude) const
{
    return toScreen(projection.project(latitude, longitude));
}

void PlotWidget::zoomBy(double factor)
{
    m_nmPerPixel = std::clamp(m_nmPerPixel * factor, kMinNmPerPixel, kMaxNmPerPixel);
    update();
}

void PlotWidget::panBy(double eastNm, double northNm)
{
    // Moving the picture by hand ends following.
    m_following = false;
    m_offset.east += eastNm;
    m_offset.north += northNm;
    update();
}

void PlotWidget::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const LocalProjection projection(m_anchorLatitude, m_anchorLongitude);
    // Lines and dots are drawn without anti-aliasing, in solid colours: Qt's
    // fast path, which long tracks and big lists need. Only the marks, the
    // boat and the texts are smoothed.
    drawCorridor(painter);
    drawGrid(painter, projection);
    drawBackdrops(painter);
    drawTrack(painter);
    drawRoute(painter);
    painter.setRenderHint(QPainter::Antialiasing);
    drawPosition(painter, projection);
    drawScaleBar(painter);
}

void PlotWidget::drawGrid(QPainter& painter, const LocalProjection& projection) const
{
    // Lines of latitude and longitude about five across the view, each
    // drawn through points of the projection so they bend as they should.
    const double halfHeightNm = height() * m_nmPerPixel / 2.0 + std::abs(m_offset.north);
    const double halfWidthNm = width() * m_nmPerPixel / 2.0 + std::abs(m_offset.east);
    const double latitudeStep = roundLength(std::max(halfHeightNm / 60.0 / 2.0, 1e-4));
    const double cosine = std::max(std::cos(m_anchorLatitude * std::numbers::pi / 180.0), 0.05);
    const double longitudeStep = roundLength(std::max(halfWidthNm / 60.0 / cosine / 2.0, 1e-4));
    const double latitudeReach = std::min(halfHeightNm / 60.0 + latitudeStep, 90.0);
    const double longitudeReach = std::min(halfWidthNm / 60.0 / cosine + longitudeStep, 180.0);
    painter.setPen(thinPen(kGrid));
    constexpr int kSamples = 24;
    for (double latitude = std::floor((m_anchorLatitude - latitudeReach) / latitudeStep) * latitudeStep;
         latitude <= m_anchorLatitude + latitudeReach; latitude += latitudeStep) {
        if (std::abs(latitude) > 90.0)
            continue;
        QPolygonF line;
        for (int i = 0; i <= kSamples; ++i) {
            const double longitude = m_anchorLongitude - longitudeReach + 2.0 * longitudeReach * i / kSamples;
            line << toScreen(projection, latitude, longitude);
        }
        painter.drawPolyline(line);
    }
    for (double longitude = std::floor((m_anchorLongitude - longitudeReach) / longitudeStep) * longitudeStep;
         longitude <= m_anchorLongitude + longitudeReach; longitude += longitudeStep) {
        QPolygonF line;
        for (int i = 0; i <= kSamples; ++i) {
            const double latitude
                = std::clamp(m_anchorLatitude - latitudeReach + 2.0 * latitudeReach * i / kSamples, -90.0, 90.0);
            line << toScreen(projection, latitude, longitude);
        }
        painter.drawPolyline(line);
    }
}

void PlotWidget::drawCorridor(QPainter& painter) const
{
    // The active leg's corridor: the CDI's full scale either side. Drawn
    // first, in a solid colour, so that everything else shows over it.
    const int active = m_scene.activeIndex;
    if (active <= 0 || static_cast<size_t>(active) >= m_routePoints.size())
        return;
    const QPointF from = toScreen(m_routePoints[static_cast<size_t>(active) - 1]);
    const QPointF to = toScreen(m_routePoints[static_cast<size_t>(active)]);
    const QPointF along = to - from;
    const double length = std::hypot(along.x(), along.y());
    if (length <= 0.0)
        return;
    const QPointF across = QPointF(-along.y(), along.x()) * (m_scene.corridorNm / m_nmPerPixel / length);
    painter.setPen(Qt::NoPen);
    painter.setBrush(kCorridor);
    painter.drawPolygon(std::array<QPointF, 4>{from + across, to + across, to - across, from - across}.data(), 4);
}

void PlotWidget::drawRoute(QPainter& painter) const
{
    const auto& route = m_scene.route;
    std::vector<QPointF> points;
    points.reserve(m_routePoints.size());
    for (const LocalProjection::Point& point : m_routePoints)
        points.push_back(toScreen(point));
    const int active = m_scene.activeIndex;
    // The passed legs, those ahead, then the active one over them.
    const auto legs = [&](size_t from, size_t to, const QPen& pen) {
        painter.setPen(pen);
        if (to > from + 1)
            drawInRuns(painter, points.data() + from, to - from);
    };
    const size_t activeAt = active > 0 ? std::min(static_cast<size_t>(active), points.size()) : 0;
    painter.setRenderHint(QPainter::Antialiasing, false);
    legs(0, activeAt, thinPen(kPassedLeg));
    legs(activeAt, points.size(), thinPen(kLeg));
    if (activeAt > 0 && activeAt < points.size())
        legs(activeAt - 1, activeAt + 1, QPen(kActiveLeg, 3));
    painter.setRenderHint(QPainter::Antialiasing);
    // Marks and names where they can be told apart: a crowd of marks in
    // view is drawn as dots, without names.
    const QRectF view = QRectF(rect()).adjusted(-20, -20, 20, 20);
    const auto shown
        = std::count_if(points.begin(), points.end(), [&view](const QPointF& p) { return view.contains(p); });
    const bool named = shown <= 100;
    painter.setBrush(Qt::white);
    QPolygonF crowd;
    for (size_t i = 0; i < points.size(); ++i) {
        if (!view.contains(points[i]))
            continue;
        if (!named && static_cast<int>(i) != active) {
            crowd << points[i];
            continue;
        }
        const bool passed = static_cast<int>(i) < active;
        painter.setPen(QPen(passed ? kPassedLeg : (static_cast<int>(i) == active ? kActiveLeg : kLeg), 2));
        painter.drawEllipse(points[i], 4, 4);
        painter.setPen(passed ? kOffLine : palette().color(QPalette::WindowText));
        painter.drawText(points[i] + QPointF(7, -6), QString::fromStdString(route[i].name));
    }
    painter.setRenderHint(QPainter::Antialiasing, false);
    drawDots(painter, crowd, kLeg);
}

void PlotWidget::drawTrack(QPainter& painter) const
{
    if (m_trackPoints.size() < 2)
        return;
    // What a one-pixel line cannot show is left out: points within two
    // pixels of the last one drawn, and points that carry a straight stretch
    // on within half a pixel (the stretch then ends there instead).
    QPolygonF line;
    line.reserve(static_cast<qsizetype>(m_trackPoints.size()));
    QPointF stretchStart;
    QPointF stretchDirection;
    for (const LocalProjection::Point& point : m_trackPoints) {
        const QPointF at = toScreen(point);
        if (line.isEmpty()) {
            line << at;
            continue;
        }
        if (std::abs(at.x() - line.back().x()) + std::abs(at.y() - line.back().y()) < 2.0)
            continue;
        const QPointF fromStart = at - stretchStart;
        const double across = fromStart.x() * stretchDirection.y() - fromStart.y() * stretchDirection.x();
        const double along = fromStart.x() * stretchDirection.x() + fromStart.y() * stretchDirection.y();
        if (line.size() > 1 && std::abs(across) < 0.5 && along > 0.0) {
            line.back() = at;
            continue;
        }
        stretchStart = line.back();
        const QPointF step = at - stretchStart;
        stretchDirection = step / std::hypot(step.x(), step.y());
        line << at;
    }
    painter.setPen(thinPen(m_scene.offLine ? kOffLine : kTrack));
    painter.setBrush(Qt::NoBrush);
    drawInRuns(painter, line.constData(), static_cast<size_t>(line.size()));
}

void PlotWidget::drawBackdrops(QPainter& painter) const
{
    const QRectF view = QRectF(rect()).adjusted(-2, -2, 2, 2);
    painter.setBrush(Qt::NoBrush);
    QPen dot(kBackdrop, 3.0);
    dot.setCosmetic(true);
    for (size_t i = 0; i < m_backdropPoints.size(); ++i) {
        const bool joined = m_projectedBackdrops[i].joined;
        QPolygonF points;
        points.reserve(static_cast<qsizetype>(m_backdropPoints[i].size()));
        for (const LocalProjection::Point& point : m_backdropPoints[i]) {
            const QPointF at = toScreen(point);
            if (joined || view.contains(at))
                points << at;
        }
        if (joined) {
            painter.setPen(thinPen(kBackdrop));
            drawInRuns(painter, points.constData(), static_cast<size_t>(points.size()));
        } else {
            painter.setPen(dot);
            painter.drawPoints(points);
        }
    }
}

void PlotWidget::drawPosition(QPainter& painter, const LocalProjection& projection) const
{
    if (!m_scene.hasPosition)
        return;
    const QPointF at = toScreen(projection, m_scene.latitude, m_scene.longitude);
    const QColor colour = m_scene.offLine ? kOffLine : kBoat;
    painter.setPen(QPen(colour, 1.5));
    painter.setBrush(m_scene.offLine ? QColor(220, 220, 220) : QColor(255, 210, 0));
    if (std::isfinite(m_scene.course)) {
        // A dart pointing along the track, north up.
        painter.save();
        painter.translate(at);
        painter.rotate(m_scene.course);
        const std::array<QPointF, 4> dart{QPointF(0, -14), QPointF(8, 9), QPointF(0, 4), QPointF(-8, 9)};
        painter.drawPolygon(dart.data(), static_cast<int>(dart.size()));
        painter.restore();
    } else {
        painter.drawEllipse(at, 7, 7);
    }
    if (m_scene.offLine) {
        const double age = static_cast<double>(QDateTime::currentSecsSinceEpoch()) - m_scene.fixTime;
        const QString text = age < 120 ? tr("Last position, %1 s ago").arg(std::max(0, static_cast<int>(age)))
                                       : tr("Last position, %1 min ago").arg(static_cast<int>(age / 60));
        painter.setPen(kOffLine);
        painter.drawText(at + QPointF(12, 16), text);
    }
}

void PlotWidget::drawScaleBar(QPainter& painter) const
{
    const double unitsPerPixel = m_nmPerPixel * m_scene.unitFactor;
    if (!(unitsPerPixel > 0.0))
        return;
    const double length = roundLength(unitsPerPixel * width() / 4.0);
    const double pixels = length / unitsPerPixel;
    const QPointF left(16, height() - 18.0);
    const QPointF right = left + QPointF(pixels, 0);
    painter.setPen(QPen(palette().color(QPalette::WindowText), 2));
    painter.drawLine(left, right);
    painter.drawLine(left, left - QPointF(0, 6));
    painter.drawLine(right, right - QPointF(0, 6));
    painter.drawText(
        left + QPointF(0, -9), QStringLiteral("%1 %2").arg(length).arg(QString::fromStdString(m_scene.unitLabel)));
    painter.drawText(QPointF(width() - 18.0, 20), QStringLiteral("N"));
}

void PlotWidget::wheelEvent(QWheelEvent* event)
{
    zoomBy(event->angleDelta().y() > 0 ? 1.0 / 1.25 : 1.25);
}

void PlotWidget::keyPressEvent(QKeyEvent* event)
{
    const double step = 40.0 * m_nmPerPixel;
    switch (event->key()) {
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        zoomBy(1.0 / 1.5);
        break;
    case Qt::Key_Minus:
        zoomBy(1.5);
        break;
    case Qt::Key_Left:
        panBy(-step, 0.0);
        break;
    case Qt::Key_Right:
        panBy(step, 0.0);
        break;
    case Qt::Key_Up:
        panBy(0.0, step);
        break;
    case Qt::Key_Down:
        panBy(0.0, -step);
        break;
    case Qt::Key_F:
        fit();
        break;
    case Qt::Key_C:
        setFollowing(!m_following);
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

void PlotWidget::mousePressEvent(QMouseEvent* event)
{
    m_dragFrom = event->position().toPoint();
}

void PlotWidget::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint now = event->position().toPoint();
    const QPoint moved = now - m_dragFrom;
    m_dragFrom = now;
    panBy(-moved.x() * m_nmPerPixel, moved.y() * m_nmPerPixel);
}

} // namespace navora
