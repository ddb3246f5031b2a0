// Unit systems as the GPS controller applies them: factors, labels and the
// preference matrix's rows; and the server settings it copies.
#include "gps/ControllerHarness.h"
#include "gps/StubGPSLink.h"

#include "core/NotificationNames.h"
#include "core/SettingsKeys.h"
#include "nav/DisplayFields.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

namespace navora::test {
namespace {

namespace f = navora::fields;

class Units : public testing::Test {
protected:
    Units() { harness.make(std::make_unique<StubGPSLink>()); }

    GPSController& controller() { return *harness.controller; }

    // The twelve label fields with the texts they show.
    std::vector<std::pair<std::string_view, std::string>> labels() const
    {
        const DisplayState s = harness.display->state();
        std::vector<std::pair<std::string_view, std::string>> shown;
        for (const auto field : {f::unitsAltitude, f::mnUnitsAltitude, f::unitsSpeed, f::unitsVMG, f::mnUnitsSpeed,
                 f::unitsVSpeed, f::unitsDistance, f::unitsDDistance, f::unitsCrossTrack, f::mnUnitsDistance,
                 f::unitsHError, f::unitsVError})
            shown.emplace_back(field, s.text(field).value_or("<unwritten>"));
        return shown;
    }

    static std::vector<std::pair<std::string_view, std::string>> expectedLabels(
        std::string alt, std::string spd, std::string vsp, std::string dst, std::string err)
    {
        return {{f::unitsAltitude, alt}, {f::mnUnitsAltitude, alt}, {f::unitsSpeed, spd}, {f::unitsVMG, spd},
            {f::mnUnitsSpeed, spd}, {f::unitsVSpeed, vsp}, {f::unitsDistance, dst}, {f::unitsDDistance, dst},
            {f::unitsCrossTrack, dst}, {f::mnUnitsDistance, dst}, {f::unitsHError, err}, {f::unitsVError, err}};
    }

    ControllerHarness harness;
};

TEST_F(Units, EachSystemSetsItsFactorsAndLabels)
{
    struct Row {
        char code;
        double altconv, spdconv, vspconv, dstconv, errconv;
        const char *alt, *spd, *vsp, *dst, *err;
    };
    const Row rows[] = {
        {'n', 3.2808399, 1.9438445, 196.850394, 1.0, 3.2808399, "ft", "kt", "ft/min", "nm", "ft"},
        {'m', 1.0, 3.6, 1.0, 1.852, 1.0, "m", "km/h", "m/s", "km", "m"},
        {'i', 3.2808399, 2.2369363, 196.850394, 1.1507794, 3.2808399, "ft", "mph", "ft/min", "mi", "ft"},
        {'s', 1.0, 1.0, 1.0, 1852.0, 1.0, "m", "m/s", "m/s", "m", "m"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.code);
        controller().changeUnits(row.code);
        EXPECT_EQ(controller().units(), row.code);
        EXPECT_EQ(controller().altconv(), row.altconv);
        EXPECT_EQ(controller().spdconv(), row.spdconv);
        EXPECT_EQ(controller().vspconv(), row.vspconv);
        EXPECT_EQ(controller().dstconv(), row.dstconv);
        EXPECT_EQ(controller().errconv(), row.errconv);
        EXPECT_EQ(controller().spd_units(), row.spd);
        EXPECT_EQ(labels(), expectedLabels(row.alt, row.spd, row.vsp, row.dst, row.err));
    }
}

TEST_F(Units, AnUnknownCodeIsLoggedAndKeepsThePreviousSystem)
{
    LogCapture log;
    controller().changeUnits('x');
    EXPECT_TRUE(log.contains("Unknown units - x"));
    EXPECT_EQ(controller().units(), 'x');
    EXPECT_EQ(controller().altconv(), 0.0);
    EXPECT_EQ(controller().dstconv(), 0.0);
    EXPECT_EQ(labels(), expectedLabels("", "", "", "", ""));

    controller().changeUnits('m');
    controller().changeUnits('q');
    EXPECT_TRUE(log.contains("Unknown units - q"));
    EXPECT_EQ(controller().units(), 'q');
    EXPECT_EQ(controller().spdconv(), 3.6);
    EXPECT_EQ(labels(), expectedLabels("m", "km/h", "m/s", "km", "m"));
}

TEST_F(Units, ThePreferenceRowChoosesTheSystem)
{
    LogCapture log;
    harness.controller->windowDidLoad();
    const std::pair<int, char> rows[] = {{0, 'n'}, {1, 'm'}, {2, 'i'}, {3, 's'}};
    for (const auto& [row, code] : rows) {
        ControlState matrix;
        matrix.selectedRow = row;
        harness.center.post(TRVUnitsChanged, NotificationObject(matrix));
        EXPECT_EQ(controller().units(), code);
    }
    for (const int row : {4, -1}) {
        ControlState matrix;
        matrix.selectedRow = row;
        harness.center.post(TRVUnitsChanged, NotificationObject(matrix));
        EXPECT_TRUE(log.contains("Unknown units - row " + std::to_string(row) + " - selected"));
        EXPECT_EQ(controller().units(), 's');
    }
}

TEST_F(Units, WindowLoadTakesTheStoredSettings)
{
    harness.settings.setInteger(TRVUnitsKey, 's');
    harness.settings.setInteger(TRVArrivalAlertKey, 30);
    harness.settings.setInteger(TRVProtocolKey, 1);
    harness.controller->windowDidLoad();
    EXPECT_EQ(controller().units(), 's');
    EXPECT_EQ(controller().dstconv(), 1852.0);
    EXPECT_EQ(controller().arrivalAlertSeconds(), 30);
    EXPECT_FLOAT_EQ(controller().arrivalAlertHours(), 30.0f / 3600.0f);
    EXPECT_EQ(controller().gpsdProtocol(), 1);
    EXPECT_EQ(controller().server(), "localhost");
    EXPECT_EQ(controller().port(), "2947");

    harness.center.post(TRVArrivalAlertChanged, NotificationObject(60.0));
    EXPECT_EQ(controller().arrivalAlertSeconds(), 60);
}

TEST_F(Units, APortLongerThanFiveCharactersIsRefused)
{
    LogCapture log;
    harness.settings.setString(TRVgpsdPortKey, "29470");
    harness.settings.setString(TRVgpsdServerKey, "gps.example");
    harness.controller->windowDidLoad();
    EXPECT_EQ(controller().port(), "29470");

    // Not running: a change is only stored.
    harness.settings.setString(TRVgpsdPortKey, "2947000");
    harness.settings.setString(TRVgpsdServerKey, "");
    log.clear();
    harness.center.post(TRVServerPortChanged);
    EXPECT_EQ(controller().port(), "29470");
    EXPECT_EQ(controller().server(), "gps.example");
    EXPECT_EQ(log.lines(),
        std::vector<std::string>{"GPSd port \"2947000\" is longer than 5 characters - keeping port 29470"});
}

} // namespace
} // namespace navora::test
