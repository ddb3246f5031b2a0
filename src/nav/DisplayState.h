#pragma once

#include "nav/DisplayBatch.h"

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <variant>

namespace navora {

// What the windows show after a series of batches: every field's last
// value and properties. The recording display keeps one for the tests.
class DisplayState {
public:
    struct Cell {
        std::string text;
        bool highlighted = false;
    };

    struct Field {
        // The last text, number (also a slider's value) or date written.
        std::variant<std::monostate, std::string, double, std::chrono::sys_seconds> value;
        std::optional<bool> visible;
        std::optional<bool> enabled;
        std::optional<bool> highlighted;
        std::optional<std::string> title;
        std::optional<DisplayBatch::Colour> colour;
        std::optional<std::pair<double, double>> range;
        int steps = 0;
        // Windows: how often brought to the front, and the level.
        int fronts = 0;
        std::optional<bool> floating;
        std::optional<int> columns;
        // By cellKey(row, column).
        std::unordered_map<long long, Cell> cells;
    };

    void apply(const DisplayBatch& batch);

    // nullptr for a field never written.
    const Field* field(std::string_view name) const;

    std::optional<std::string> text(std::string_view name) const;
    std::optional<double> number(std::string_view name) const;
    std::optional<std::chrono::sys_seconds> date(std::string_view name) const;
    std::optional<bool> visible(std::string_view name) const;
    std::optional<bool> enabled(std::string_view name) const;
    std::optional<std::string> title(std::string_view name) const;
    std::optional<DisplayBatch::Colour> colour(std::string_view name) const;
    std::optional<int> columns(std::string_view name) const;
    std::optional<Cell> cell(std::string_view name, int row, int column) const;
    int steps(std::string_view name) const;

    static long long cellKey(int row, int column);

private:
    struct NameHash {
        using is_transparent = void;
        size_t operator()(std::string_view name) const { return std::hash<std::string_view>{}(name); }
    };

    void applyWrite(const DisplayBatch::Write& write);

    std::unordered_map<std::string, Field, NameHash, std::equal_to<>> m_fields;
};

} // namespace navora
