#pragma once

#include "nav/LocalProjection.h"
#include "nav/PlotScene.h"

#include <QPoint>
#include <QPointF>
#include <QWidget>

namespace navora {

// The plot: the followed route (passed legs dimmed, the active leg with its
// cross-track corridor), the position as a mark pointing along the track,
// the recorded track behind it, the other open documents faintly, a light
// latitude/longitude grid and a scale bar, north up. It fits route and position when the first scene comes and
// on F, follows the position while following is on (C), zooms with the
// wheel and +/-, and pans by dragging and with the arrow keys. Off line the
// last position is grey, with its age.
class PlotWidget : public QWidget {
    Q_OBJECT
public:
    explicit PlotWidget(QWidget* parent = nullptr);

    void setScene(PlotScene scene);
    const PlotScene& scene() const { return m_scene; }
    // Shows the whole route and the position.
    void fit();
    bool following() const { return m_following; }
    void setFollowing(bool following);
    double nmPerPixel() const { return m_nmPerPixel; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    QPointF toScreen(const LocalProjection::Point& point) const;
    QPointF toScreen(const LocalProjection& projection, double latitude, double longitude) const;
    void zoomBy(double factor);
    void panBy(double eastNm, double northNm);
    // Places the projection's centre; the cached projections start again.
    void anchorAt(double latitude, double longitude);
    // Projects what is new in the scene: the route when it changed, the
    // track's points since the last scene.
    void projectScene();
    void drawGrid(QPainter& painter, const LocalProjection& projection) const;
    void drawCorridor(QPainter& painter) const;
    void drawRoute(QPainter& painter) const;
    void drawTrack(QPainter& painter) const;
    void drawBackdrops(QPainter& painter) const;
    void drawPosition(QPainter& painter, const LocalProjection& projection) const;
    void drawScaleBar(QPainter& painter) const;

    PlotScene m_scene;
    // The projection's centre, and where the view's centre lies from it.
    double m_anchorLatitude = 0.0;
    double m_anchorLongitude = 0.0;
    LocalProjection::Point m_offset{0.0, 0.0};
    // The scene's route and track, projected about the anchor: a repaint
    // after a report only moves them on the screen.
    std::vector<PlotScene::Mark> m_projectedRoute;
    std::vector<LocalProjection::Point> m_routePoints;
    std::vector<LocalProjection::Point> m_trackPoints;
    std::vector<PlotScene::Backdrop> m_projectedBackdrops;
    std::vector<std::vector<LocalProjection::Point>> m_backdropPoints;
    double m_trackStart = 0.0;
    double m_nmPerPixel = 0.01;
    bool m_following = true;
    bool m_fitted = false;
    QPoint m_dragFrom;
};

} // namespace navora
