#include "gps/windows/FieldWriter.h"

#include "gps/windows/ColourWell.h"
#include "gps/windows/CourseDeviationIndicator.h"
#include "gps/windows/DataIndicator.h"
#include "gps/windows/SatelliteMatrix.h"

#include <QAbstractButton>
#include <QDateTime>
#include <QGroupBox>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QStyle>

#include <algorithm>
#include <cmath>

namespace navora {

namespace {

using Kind = DisplayBatch::Kind;
using Colour = DisplayBatch::Colour;

const QString defaultDateFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss t");

int intProperty(const QObject& object, const char* name, int fallback, int low, int high)
{
    const QVariant value = object.property(name);
    bool ok = false;
    const int number = value.toInt(&ok);
    return ok ? std::clamp(number, low, high) : fallback;
}

QColor colourOf(Colour colour)
{
    switch (colour) {
    case Colour::Clear:
        return {};
    case Colour::Gray:
        return {150, 150, 150};
    case Colour::Red:
        return {220, 40, 40};
    case Colour::Yellow:
        return {240, 200, 0};
    case Colour::Green:
        return {40, 180, 70};
    }
    return {};
}

QString colourText(const QColor& colour)
{
    for (const Colour named : {Colour::Gray, Colour::Red, Colour::Yellow, Colour::Green}) {
        if (colourOf(named) == colour)
            return QString::fromUtf8(DisplayBatch::colourName(named));
    }
    return colour.isValid() ? colour.name() : QStringLiteral("clear");
}

QString matrixText(const SatelliteMatrix& matrix)
{
    // "prn/strength" per column, a star for a satellite used in the fix.
    QStringList columns;
    for (int column = 0; column < matrix.columnCount(); ++column) {
        QString text = matrix.cellText(0, column) + QLatin1Char('/') + matrix.cellText(1, column);
        if (matrix.cellHighlighted(0, column))
            text += QLatin1Char('*');
        columns << text;
    }
    return columns.join(QLatin1Char(' '));
}

} // namespace

bool FieldWriter::canTake(const QWidget& widget, Kind kind)
{
    switch (kind) {
    case Kind::Visible:
    case Kind::Enabled:
        return true;
    case Kind::Text:
        // A choice's label too.
        return qobject_cast<const QLabel*>(&widget) || qobject_cast<const QAbstractButton*>(&widget);
    case Kind::Date:
    case Kind::Highlight:
        return qobject_cast<const QLabel*>(&widget);
    case Kind::Number:
        return qobject_cast<const QLabel*>(&widget) || qobject_cast<const QProgressBar*>(&widget)
            || qobject_cast<const CourseDeviationIndicator*>(&widget);
    case Kind::BoxTitle:
        return qobject_cast<const QGroupBox*>(&widget);
    case Kind::Colour:
        return qobject_cast<const ColourWell*>(&widget);
    case Kind::SliderRange:
    case Kind::SliderValue:
        return qobject_cast<const CourseDeviationIndicator*>(&widget);
    case Kind::IndicatorStep:
        return qobject_cast<const DataIndicator*>(&widget);
    case Kind::MatrixColumns:
    case Kind::MatrixCell:
        return qobject_cast<const SatelliteMatrix*>(&widget);
    case Kind::Front:
    case Kind::Floating:
        return widget.isWindow();
    }
    return false;
}

bool FieldWriter::write(QWidget& widget, const DisplayBatch::Write& write)
{
    if (!canTake(widget, write.kind))
        return false;
    if (auto* label = qobject_cast<QLabel*>(&widget); label && writeLabel(*label, write))
        return true;
    switch (write.kind) {
    case Kind::Visible:
        widget.setVisible(write.flag);
        return true;
    case Kind::Enabled:
        widget.setEnabled(write.flag);
        return true;
    case Kind::Number:
        if (auto* meter = qobject_cast<QProgressBar*>(&widget)) {
            // A meter shows whole units up to its full scale; no value empties it.
            const double value = std::isfinite(write.number) ? write.number : 0.0;
            meter->setValue(static_cast<int>(std::lround(
                std::clamp(value, static_cast<double>(meter->minimum()), static_cast<double>(meter->maximum())))));
        } else {
            qobject_cast<CourseDeviationIndicator*>(&widget)->setValue(write.number);
        }
        return true;
    case Kind::Text:
        qobject_cast<QAbstractButton*>(&widget)->setText(QString::fromStdString(write.text));
        return true;
    case Kind::BoxTitle:
        qobject_cast<QGroupBox*>(&widget)->setTitle(QString::fromStdString(write.text));
        return true;
    case Kind::Colour:
        qobject_cast<ColourWell*>(&widget)->setColour(colourOf(write.colour));
        return true;
    case Kind::SliderRange:
        qobject_cast<CourseDeviationIndicator*>(&widget)->setRange(write.number, write.maximum);
        return true;
    case Kind::SliderValue:
        qobject_cast<CourseDeviationIndicator*>(&widget)->setValue(write.number);
        return true;
    case Kind::IndicatorStep:
        qobject_cast<DataIndicator*>(&widget)->step();
        return true;
    case Kind::MatrixColumns:
        qobject_cast<SatelliteMatrix*>(&widget)->setColumnCount(write.column);
        return true;
    case Kind::MatrixCell:
        return qobject_cast<SatelliteMatrix*>(&widget)->setCell(
            write.row, write.column, QString::fromStdString(write.text), write.flag);
    case Kind::Front:
        bringToFront(widget);
        return true;
    case Kind::Floating:
        setFloating(widget, write.flag);
        return true;
    case Kind::Date:
    case Kind::Highlight:
        break;
    }
    return false;
}

bool FieldWriter::writeLabel(QLabel& label, const DisplayBatch::Write& write)
{
    switch (write.kind) {
    case Kind::Text:
        label.setText(QString::fromStdString(write.text));
        return true;
    case Kind::Number:
        label.setText(numberText(label, write.number));
        return true;
    case Kind::Date:
        label.setText(dateText(label, write.number));
        return true;
    case Kind::Highlight:
        setHighlight(label, write.flag);
        return true;
    default:
        return false;
    }
}

QString FieldWriter::numberText(const QLabel& label, double value)
{
    if (!std::isfinite(value))
        return {};
    const int decimals = intProperty(label, "decimals", 2, 0, 9);
    const int integerDigits = intProperty(label, "integerDigits", 1, 1, 9);
    // An angle that rounds to a full turn is shown as 0.
    if (label.property("angle").toBool()
        && std::round(value * std::pow(10.0, decimals)) >= 360.0 * std::pow(10.0, decimals))
        value -= 360.0;
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    QString digits = locale.toString(std::abs(value), 'f', decimals);
    const qsizetype point = decimals > 0 ? digits.indexOf(locale.decimalPoint()) : digits.size();
    if (point >= 0 && point < integerDigits)
        digits.prepend(QString(integerDigits - point, locale.zeroDigit().at(0)));
    // A value that shows as zero has no side.
    const bool zero = std::abs(value) < 0.5 * std::pow(10.0, -decimals);
    QString prefix;
    if (!zero) {
        prefix
            = value < 0.0 ? label.property("negativePrefix").toString() : label.property("positivePrefix").toString();
        if (value < 0.0 && !label.property("negativePrefix").isValid())
            prefix = locale.negativeSign();
    }
    return prefix + digits + label.property("suffix").toString();
}

QString FieldWriter::dateText(const QLabel& label, double secondsSince1970)
{
    // About 300,000 years either side of 1970: wider than any instant a fix
    // or an arrival can have, and safe to take as whole seconds.
    if (!(std::abs(secondsSince1970) < 1e13))
        return {};
    QString format = label.property("dateFormat").toString();
    if (format.isEmpty())
        format = defaultDateFormat;
    const QDateTime instant = QDateTime::fromSecsSinceEpoch(static_cast<qint64>(secondsSince1970), Qt::UTC);
    return QLocale().toString(instant.toLocalTime(), format);
}

void FieldWriter::setHighlight(QWidget& widget, bool highlighted)
{
    // The style sheet draws the background of a field marked highlighted.
    if (widget.property("highlighted").toBool() == highlighted)
        return;
    widget.setProperty("highlighted", highlighted);
    widget.style()->unpolish(&widget);
    widget.style()->polish(&widget);
    widget.update();
}

void FieldWriter::bringToFront(QWidget& window)
{
    window.show();
    window.raise();
    window.activateWindow();
}

void FieldWriter::setFloating(QWidget& window, bool floating)
{
    if (window.windowFlags().testFlag(Qt::WindowStaysOnTopHint) == floating)
        return;
    // A change of flags takes the window down; shown again at once, it
    // comes back on its new level.
    const bool shown = window.isVisible();
    window.setWindowFlag(Qt::WindowStaysOnTopHint, floating);
    if (shown)
        window.show();
}

QString FieldWriter::shownText(const QWidget& widget)
{
    if (widget.isWindow())
        return widget.isVisible() ? QStringLiteral("shown") : QStringLiteral("hidden");
    if (widget.isHidden())
        return {};
    if (const auto* label = qobject_cast<const QLabel*>(&widget)) {
        if (label->property("highlighted").toBool())
            return label->text() + QStringLiteral(" (highlighted)");
        return label->text();
    }
    if (const auto* box = qobject_cast<const QGroupBox*>(&widget))
        return box->title();
    if (const auto* meter = qobject_cast<const QProgressBar*>(&widget))
        return QString::number(meter->value());
    if (const auto* well = qobject_cast<const ColourWell*>(&widget))
        return colourText(well->colour());
    if (const auto* cdi = qobject_cast<const CourseDeviationIndicator*>(&widget)) {
        QString text = QString::number(cdi->value(), 'f', 3) + QStringLiteral(" in ")
            + QString::number(cdi->minimum(), 'f', 1) + QStringLiteral("..") + QString::number(cdi->maximum(), 'f', 1);
        return cdi->isEnabled() ? text : text + QStringLiteral(" (disabled)");
    }
    if (const auto* indicator = qobject_cast<const DataIndicator*>(&widget))
        return QString::number(indicator->steps());
    if (const auto* matrix = qobject_cast<const SatelliteMatrix*>(&widget))
        return matrixText(*matrix);
    if (const auto* button = qobject_cast<const QAbstractButton*>(&widget))
        return button->text();
    for (const QAbstractButton* choice : widget.findChildren<QAbstractButton*>()) {
        if (choice->isChecked())
            return choice->text();
    }
    return {};
}

const char* FieldWriter::kindName(Kind kind)
{
    switch (kind) {
    case Kind::Text:
        return "text";
    case Kind::Number:
        return "number";
    case Kind::Date:
        return "date";
    case Kind::Visible:
        return "visibility";
    case Kind::Enabled:
        return "enabled state";
    case Kind::Highlight:
        return "highlight";
    case Kind::BoxTitle:
        return "box title";
    case Kind::Colour:
        return "colour";
    case Kind::SliderRange:
        return "slider range";
    case Kind::SliderValue:
        return "slider value";
    case Kind::IndicatorStep:
        return "indicator step";
    case Kind::MatrixColumns:
        return "matrix columns";
    case Kind::MatrixCell:
        return "matrix cell";
    case Kind::Front:
        return "bring to front";
    case Kind::Floating:
        return "window level";
    }
    return "write";
}

} // namespace navora
