#include "gps/JsonLinesDisplay.h"

#include "nav/UtcTime.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <utility>
#include <vector>

namespace navora {

namespace {

void appendString(std::string& out, std::string_view text)
{
    out.push_back('"');
    for (const char c : text) {
        switch (c) {
        case '"':
            out.append("\\\"");
            break;
        case '\\':
            out.append("\\\\");
            break;
        case '\n':
            out.append("\\n");
            break;
        case '\r':
            out.append("\\r");
            break;
        case '\t':
            out.append("\\t");
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof(escaped), "\\u%04x", static_cast<unsigned>(c));
                out.append(escaped);
            } else {
                out.push_back(c);
            }
        }
    }
    out.push_back('"');
}

std::string jsonString(std::string_view text)
{
    std::string out;
    appendString(out, text);
    return out;
}

std::string jsonNumber(double value)
{
    if (!std::isfinite(value))
        return "null";
    char text[32];
    const auto [end, error] = std::to_chars(text, text + sizeof(text), value);
    return error == std::errc() ? std::string(text, end) : std::string("null");
}

std::string jsonBool(bool value)
{
    return value ? "true" : "false";
}

// The members of one object in the order first written; a later write to
// the same name replaces the value in place.
class Members {
public:
    void set(std::string name, std::string value)
    {
        for (auto& member : m_members) {
            if (member.first == name) {
                member.second = std::move(value);
                return;
            }
        }
        m_members.emplace_back(std::move(name), std::move(value));
    }

    int countOf(const std::string& name) const
    {
        for (const auto& member : m_members) {
            if (member.first == name)
                return std::stoi(member.second);
        }
        return 0;
    }

    std::string object() const
    {
        std::string out = "{";
        for (const auto& [name, value] : m_members) {
            if (out.size() > 1)
                out.push_back(',');
            appendString(out, name);
            out.push_back(':');
            out.append(value);
        }
        out.push_back('}');
        return out;
    }

private:
    std::vector<std::pair<std::string, std::string>> m_members;
};

std::string property(std::string_view field, std::string_view name)
{
    std::string key(field);
    key.push_back('.');
    key.append(name);
    return key;
}

std::string cellName(std::string_view field, int row, int column)
{
    return std::string(field) + "[" + std::to_string(row) + "][" + std::to_string(column) + "]";
}

void addWrite(Members& members, const DisplayBatch::Write& write)
{
    using Kind = DisplayBatch::Kind;
    const std::string field(write.field);
    switch (write.kind) {
    case Kind::Text:
        members.set(field, jsonString(write.text));
        break;
    case Kind::Number:
    case Kind::SliderValue:
        members.set(field, jsonNumber(write.number));
        break;
    case Kind::Date:
        members.set(field,
            jsonString(
                UtcTime::iso(std::chrono::sys_seconds(std::chrono::seconds(static_cast<long long>(write.number))))));
        break;
    case Kind::Visible:
        members.set(property(field, "visible"), jsonBool(write.flag));
        break;
    case Kind::Enabled:
        members.set(property(field, "enabled"), jsonBool(write.flag));
        break;
    case Kind::Highlight:
        members.set(property(field, "highlight"), jsonBool(write.flag));
        break;
    case Kind::BoxTitle:
        members.set(property(field, "title"), jsonString(write.text));
        break;
    case Kind::Colour:
        members.set(property(field, "colour"), jsonString(DisplayBatch::colourName(write.colour)));
        break;
    case Kind::SliderRange: {
        std::string range = "[";
        range.append(jsonNumber(write.number)).append(",").append(jsonNumber(write.maximum)).append("]");
        members.set(property(field, "range"), std::move(range));
        break;
    }
    case Kind::IndicatorStep: {
        const std::string name = property(field, "steps");
        members.set(name, std::to_string(members.countOf(name) + 1));
        break;
    }
    case Kind::MatrixColumns:
        members.set(property(field, "columns"), std::to_string(write.column));
        break;
    case Kind::MatrixCell: {
        const std::string cell = cellName(field, write.row, write.column);
        members.set(cell, jsonString(write.text));
        members.set(property(cell, "highlight"), jsonBool(write.flag));
        break;
    }
    case Kind::Front:
        members.set(property(field, "front"), jsonBool(true));
        break;
    case Kind::Floating:
        members.set(property(field, "floating"), jsonBool(write.flag));
        break;
    }
}

} // namespace

JsonLinesDisplay::JsonLinesDisplay(LineWriter writer)
    : m_writer(std::move(writer))
{
}

JsonLinesDisplay::LineWriter JsonLinesDisplay::standardOutput()
{
    return [](std::string_view line) {
        std::string out(line);
        out.push_back('\n');
        std::fwrite(out.data(), 1, out.size(), stdout);
        std::fflush(stdout);
    };
}

std::string JsonLinesDisplay::lineFor(const DisplayBatch& batch)
{
    Members members;
    for (const DisplayBatch::Write& write : batch.writes())
        addWrite(members, write);
    return members.object();
}

void JsonLinesDisplay::apply(DisplayBatch batch)
{
    if (!batch.empty())
        write(lineFor(batch));
}

void JsonLinesDisplay::writeAlert(std::string_view key)
{
    write("{\"alert\":" + jsonString(key) + "}");
}

void JsonLinesDisplay::writeAlert(std::string_view key, std::string_view description, std::string_view speech)
{
    write("{\"alert\":" + jsonString(key) + ",\"description\":" + jsonString(description)
        + ",\"speech\":" + jsonString(speech) + "}");
}

void JsonLinesDisplay::write(const std::string& line)
{
    std::lock_guard lock(m_mutex);
    if (m_writer)
        m_writer(line);
}

} // namespace navora
