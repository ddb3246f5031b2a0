// The display batches and the two displays that are not windows.
#include "gps/JsonLinesDisplay.h"
#include "gps/RecordingDisplay.h"
#include "nav/DisplayState.h"

#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>

#include <limits>

namespace navora::test {
namespace {

DisplayBatch sampleBatch()
{
    DisplayBatch batch;
    batch.setText("fixLatitude", "");
    batch.setNumber("fixLatitude", 52.5);
    batch.setNumber("fixTrack", std::numeric_limits<double>::quiet_NaN());
    batch.setDate("fixTimeLocal", std::chrono::sys_seconds(std::chrono::seconds(1714564812)));
    batch.setBoxTitle("fixBox", "3D \"fix\"\n");
    batch.setColour("fixModeColor", DisplayBatch::Colour::Green);
    batch.setVisible("fixHError", false);
    batch.setEnabled("wpCrossTrackCDI", false);
    batch.setHighlight("wpETE", true);
    batch.setSliderRange("wpCrossTrackCDI", -1.0, 1.0);
    batch.setSliderValue("wpCrossTrackCDI", 0.25);
    batch.stepIndicator("gpsDataIndicator");
    batch.stepIndicator("gpsDataIndicator");
    batch.setMatrixColumns("satsInView", 1);
    batch.setMatrixCell("satsInView", 0, 0, "", false);
    batch.setMatrixColumns("satsInView", 2);
    batch.setMatrixCell("satsInView", 1, 1, "41", true);
    return batch;
}

TEST(JsonLinesDisplay, WritesOneObjectPerBatchWithTheLastValues)
{
    EXPECT_EQ(JsonLinesDisplay::lineFor(sampleBatch()),
        R"({"fixLatitude":52.5,"fixTrack":null,"fixTimeLocal":"2024-05-01T12:00:12Z",)"
        R"("fixBox.title":"3D \"fix\"\n","fixModeColor.colour":"green","fixHError.visible":false,)"
        R"("wpCrossTrackCDI.enabled":false,"wpETE.highlight":true,"wpCrossTrackCDI.range":[-1,1],)"
        R"("wpCrossTrackCDI":0.25,"gpsDataIndicator.steps":2,"satsInView.columns":2,)"
        R"("satsInView[0][0]":"","satsInView[0][0].highlight":false,"satsInView[1][1]":"41",)"
        R"("satsInView[1][1].highlight":true})");
}

TEST(JsonLinesDisplay, LinesAreValidJsonWhateverTheText)
{
    std::vector<std::string> lines;
    JsonLinesDisplay display([&](std::string_view line) { lines.emplace_back(line); });
    DisplayBatch batch;
    batch.setText("fixTime", std::string("\x01\x1f\t\\ end", 8));
    display.apply(batch);
    display.apply(DisplayBatch{});
    display.writeAlert("GPSModeUp3D");
    display.writeAlert("WaypointArrival", "Arriving at \"Home\"", "Home");
    ASSERT_EQ(lines.size(), 3u) << "an empty batch writes nothing";
    for (const std::string& line : lines) {
        QJsonParseError error{};
        QJsonDocument::fromJson(QByteArray::fromStdString(line), &error);
        EXPECT_EQ(error.error, QJsonParseError::NoError) << line;
    }
    EXPECT_EQ(QJsonDocument::fromJson(QByteArray::fromStdString(lines[0])).object().value("fixTime").toString(),
        QString::fromLatin1("\x01\x1f\t\\ end"));
    EXPECT_EQ(lines[1], R"({"alert":"GPSModeUp3D"})");
    EXPECT_EQ(lines[2], R"({"alert":"WaypointArrival","description":"Arriving at \"Home\"","speech":"Home"})");
}

TEST(RecordingDisplay, KeepsTheStateTheWindowsWouldShow)
{
    RecordingDisplay display;
    display.apply(sampleBatch());
    DisplayBatch later;
    later.stepIndicator("gpsDataIndicator");
    later.setMatrixColumns("satsInView", 1);
    display.apply(later);

    const DisplayState s = display.state();
    EXPECT_EQ(s.number("fixLatitude"), 52.5);
    EXPECT_EQ(s.title("fixBox"), "3D \"fix\"\n");
    EXPECT_EQ(s.colour("fixModeColor"), DisplayBatch::Colour::Green);
    EXPECT_EQ(s.visible("fixHError"), false);
    EXPECT_EQ(s.enabled("wpCrossTrackCDI"), false);
    EXPECT_EQ(s.number("wpCrossTrackCDI"), 0.25);
    EXPECT_EQ(s.steps("gpsDataIndicator"), 3);
    EXPECT_EQ(s.columns("satsInView"), 1);
    EXPECT_FALSE(s.cell("satsInView", 1, 1)) << "cells of removed columns go";
    EXPECT_TRUE(s.cell("satsInView", 0, 0));
    EXPECT_EQ(display.batchCount(), 2u);
    EXPECT_EQ(display.batches().size(), 2u);
    EXPECT_EQ(s.field("never"), nullptr);
    // A field holding something else, or nothing, has no number.
    EXPECT_EQ(s.number("fixBox"), std::nullopt);
    EXPECT_EQ(s.number("never"), std::nullopt);
}

} // namespace
} // namespace navora::test
