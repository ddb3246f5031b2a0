#include "nav/DisplayState.h"

namespace navora {

void DisplayState::apply(const DisplayBatch& batch)
{
    for (const DisplayBatch::Write& write : batch.writes())
        applyWrite(write);
}

void DisplayState::applyWrite(const DisplayBatch::Write& write)
{
    auto found = m_fields.find(write.field);
    if (found == m_fields.end())
        found = m_fields.emplace(std::string(write.field), Field{}).first;
    Field& field = found->second;
    using Kind = DisplayBatch::Kind;
    switch (write.kind) {
    case Kind::Text:
        field.value = write.text;
        break;
    case Kind::Number:
    case Kind::SliderValue:
        field.value = write.number;
        break;
    case Kind::Date:
        field.value = std::chrono::sys_seconds(std::chrono::seconds(static_cast<long long>(write.number)));
        break;
    case Kind::Visible:
        field.visible = write.flag;
        break;
    case Kind::Enabled:
        field.enabled = write.flag;
        break;
    case Kind::Highlight:
        field.highlighted = write.flag;
        break;
    case Kind::BoxTitle:
        field.title = write.text;
        break;
    case Kind::Colour:
        field.colour = write.colour;
        break;
    case Kind::SliderRange:
        field.range = std::make_pair(write.number, write.maximum);
        break;
    case Kind::IndicatorStep:
        ++field.steps;
        break;
    case Kind::MatrixColumns:
        field.columns = write.column;
        std::erase_if(field.cells, [&](const auto& entry) { return (entry.first & 0xffffffffLL) >= write.column; });
        break;
    case Kind::MatrixCell:
        field.cells[cellKey(write.row, write.column)] = Cell{write.text, write.flag};
        break;
    case Kind::Front:
        field.visible = true;
        ++field.fronts;
        break;
    case Kind::Floating:
        field.floating = write.flag;
        break;
    }
}

long long DisplayState::cellKey(int row, int column)
{
    // Columns are never negative; a negative one keys apart from the rest.
    return static_cast<long long>(row) * (1LL << 32) + static_cast<long long>(static_cast<unsigned>(column));
}

const DisplayState::Field* DisplayState::field(std::string_view name) const
{
    const auto found = m_fields.find(name);
    return found == m_fields.end() ? nullptr : &found->second;
}

std::optional<std::string> DisplayState::text(std::string_view name) const
{
    const Field* f = field(name);
    if (!f || !std::holds_alternative<std::string>(f->value))
        return std::nullopt;
    return std::get<std::string>(f->value);
}

std::optional<double> DisplayState::number(std::string_view name) const
{
    const Field* f = field(name);
    if (!f || !std::holds_alternative<double>(f->value))
        return std::nullopt;
    return std::get<double>(f->value);
}

std::optional<std::chrono::sys_seconds> DisplayState::date(std::string_view name) const
{
    const Field* f = field(name);
    if (!f || !std::holds_alternative<std::chrono::sys_seconds>(f->value))
        return std::nullopt;
    return std::get<std::chrono::sys_seconds>(f->value);
}

std::optional<bool> DisplayState::visible(std::string_view name) const
{
    const Field* f = field(name);
    return f ? f->visible : std::nullopt;
}

std::optional<bool> DisplayState::enabled(std::string_view name) const
{
    const Field* f = field(name);
    return f ? f->enabled : std::nullopt;
}

std::optional<std::string> DisplayState::title(std::string_view name) const
{
    const Field* f = field(name);
    return f ? f->title : std::nullopt;
}

std::optional<DisplayBatch::Colour> DisplayState::colour(std::string_view name) const
{
    const Field* f = field(name);
    return f ? f->colour : std::nullopt;
}

std::optional<int> DisplayState::columns(std::string_view name) const
{
    const Field* f = field(name);
    return f ? f->columns : std::nullopt;
}

std::optional<DisplayState::Cell> DisplayState::cell(std::string_view name, int row, int column) const
{
    const Field* f = field(name);
    if (!f)
        return std::nullopt;
    const auto found = f->cells.find(cellKey(row, column));
    return found == f->cells.end() ? std::nullopt : std::optional<Cell>(found->second);
}

int DisplayState::steps(std::string_view name) const
{
    const Field* f = field(name);
    return f ? f->steps : 0;
}

} // namespace navora
