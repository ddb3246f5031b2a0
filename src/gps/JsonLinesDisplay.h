#pragma once

#include "gps/Display.h"

#include <functional>
#include <mutex>
#include <string>
#include <string_view>

namespace navora {

// A display that writes what the windows would show as JSON lines: one
// object per batch, from field name to value ("fixLatitude": 52.5), with a
// field's other properties under "name.property" ("fixBox.title",
// "fixHError.visible", "satsInView[0][3]"). Alerts come as lines of their own
// ({"alert":"GPSModeUp3D"}). Lines are whole and in order, from any thread.
class JsonLinesDisplay : public Display {
public:
    // Receives each line without its line feed.
    using LineWriter = std::function<void(std::string_view line)>;

    explicit JsonLinesDisplay(LineWriter writer);

    // Writes lines to standard output, flushed one by one.
    static LineWriter standardOutput();

    void apply(DisplayBatch batch) override;
    void writeAlert(std::string_view key);
    void writeAlert(std::string_view key, std::string_view description, std::string_view speech);

    static std::string lineFor(const DisplayBatch& batch);

private:
    void write(const std::string& line);

    std::mutex m_mutex;
    LineWriter m_writer;
};

} // namespace navora
