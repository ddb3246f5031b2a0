#include "nav/DisplayBatch.h"

namespace navora {

DisplayBatch::DisplayBatch()
{
    // A fix report with a route active makes about eighty writes.
    m_writes.reserve(128);
}

DisplayBatch::Write& DisplayBatch::add(Kind kind, std::string_view field)
{
    return m_writes.emplace_back(kind, field);
}

void DisplayBatch::setText(std::string_view field, std::string text)
{
    add(Kind::Text, field).text = std::move(text);
}

void DisplayBatch::setNumber(std::string_view field, double value)
{
    add(Kind::Number, field).number = value;
}

void DisplayBatch::setDate(std::string_view field, std::chrono::sys_seconds date)
{
    add(Kind::Date, field).number = static_cast<double>(date.time_since_epoch().count());
}

void DisplayBatch::setVisible(std::string_view field, bool visible)
{
    add(Kind::Visible, field).flag = visible;
}

void DisplayBatch::setEnabled(std::string_view field, bool enabled)
{
    add(Kind::Enabled, field).flag = enabled;
}

void DisplayBatch::setHighlight(std::string_view field, bool highlighted)
{
    add(Kind::Highlight, field).flag = highlighted;
}

void DisplayBatch::setBoxTitle(std::string_view field, std::string title)
{
    add(Kind::BoxTitle, field).text = std::move(title);
}

void DisplayBatch::setColour(std::string_view field, Colour colour)
{
    add(Kind::Colour, field).colour = colour;
}

void DisplayBatch::setSliderRange(std::string_view field, double minimum, double maximum)
{
    Write& write = add(Kind::SliderRange, field);
    write.number = minimum;
    write.maximum = maximum;
}

void DisplayBatch::setSliderValue(std::string_view field, double value)
{
    add(Kind::SliderValue, field).number = value;
}

void DisplayBatch::stepIndicator(std::string_view field)
{
    add(Kind::IndicatorStep, field);
}

void DisplayBatch::setMatrixColumns(std::string_view field, int columns)
{
    add(Kind::MatrixColumns, field).column = columns;
}

void DisplayBatch::setMatrixCell(std::string_view field, int row, int column, std::string text, bool highlighted)
{
    Write& write = add(Kind::MatrixCell, field);
    write.row = row;
    write.column = column;
    write.text = std::move(text);
    write.flag = highlighted;
}

void DisplayBatch::bringToFront(std::string_view window)
{
    add(Kind::Front, window);
}

void DisplayBatch::setFloating(std::string_view window, bool floating)
{
    add(Kind::Floating, window).flag = floating;
}

void DisplayBatch::append(DisplayBatch other)
{
    m_writes.insert(
        m_writes.end(), std::make_move_iterator(other.m_writes.begin()), std::make_move_iterator(other.m_writes.end()));
}

std::string_view DisplayBatch::colourName(Colour colour)
{
    switch (colour) {
    case Colour::Clear:
        return "clear";
    case Colour::Gray:
        return "gray";
    case Colour::Red:
        return "red";
    case Colour::Yellow:
        return "yellow";
    case Colour::Green:
        return "green";
    }
    return "clear";
}

} // namespace navora
