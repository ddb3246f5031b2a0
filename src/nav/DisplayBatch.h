#pragma once

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

namespace navora {

// The writes of one report (or one other change) to the windows, in the
// order made. Fields are addressed by the names the windows give their
// controls ("fixLatitude", "satsInView", ...). The names must be constants:
// a batch keeps views of them and may be applied on another thread later.
class DisplayBatch {
public:
    enum class Colour { Clear, Gray, Red, Yellow, Green };

    enum class Kind {
        Text,
        // A number; NaN means no value and shows blank.
        Number,
        // An instant, shown by the field in its own format.
        Date,
        Visible,
        Enabled,
        // The field's background drawn or not.
        Highlight,
        BoxTitle,
        Colour,
        SliderRange,
        SliderValue,
        // An indeterminate progress indicator advanced by one animation step.
        IndicatorStep,
        // A matrix given this many columns (keeping its first ones).
        MatrixColumns,
        // A matrix cell's title and background.
        MatrixCell,
        // A window shown, brought to the front and given the keyboard focus.
        Front,
        // A window's level: floating above other windows, or normal.
        Floating,
    };

    struct Write {
        // Member by member: value-initialising the whole record first costs
        // more than the rest of a write.
        Write(Kind writeKind, std::string_view fieldName)
            : kind(writeKind)
            , field(fieldName)
        {
        }

        Kind kind;
        std::string_view field;
        std::string text;
        // Number, SliderValue, slider minimum, Date (seconds since 1970 UTC).
        double number = 0.0;
        // Slider maximum.
        double maximum = 0.0;
        int row = 0;
        // The column of a cell, or the column count.
        int column = 0;
        // Visible, Enabled, Highlight, Floating, and a cell's highlight.
        bool flag = false;
        Colour colour = Colour::Clear;
    };

    DisplayBatch();

    void setText(std::string_view field, std::string text);
    void setNumber(std::string_view field, double value);
    void setDate(std::string_view field, std::chrono::sys_seconds date);
    void setVisible(std::string_view field, bool visible);
    void setEnabled(std::string_view field, bool enabled);
    void setHighlight(std::string_view field, bool highlighted);
    void setBoxTitle(std::string_view field, std::string title);
    void setColour(std::string_view field, Colour colour);
    void setSliderRange(std::string_view field, double minimum, double maximum);
    void setSliderValue(std::string_view field, double value);
    void stepIndicator(std::string_view field);
    void setMatrixColumns(std::string_view field, int columns);
    void setMatrixCell(std::string_view field, int row, int column, std::string text, bool highlighted);
    void bringToFront(std::string_view window);
    void setFloating(std::string_view window, bool floating);

    // The other batch's writes after this one's.
    void append(DisplayBatch other);

    const std::vector<Write>& writes() const { return m_writes; }
    bool empty() const { return m_writes.empty(); }
    size_t size() const { return m_writes.size(); }

    static std::string_view colourName(Colour colour);

private:
    Write& add(Kind kind, std::string_view field);

    std::vector<Write> m_writes;
};

} // namespace navora
