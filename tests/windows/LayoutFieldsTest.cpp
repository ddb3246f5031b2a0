// The layouts against the logic: every field name has its widget in its
// window, and every write the controller makes lands on a widget that can
// show it.
#include "windows/WindowHarness.h"

#include "core/NotificationNames.h"
#include "gps/NavHarness.h"
#include "gps/windows/FieldWriter.h"
#include "nav/DisplayFields.h"
#include "nav/NavGeometry.h"

#include <QBoxLayout>
#include <QLabel>

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <utility>

namespace navora::test {
namespace {

namespace f = navora::fields;
using Kind = DisplayBatch::Kind;
constexpr double nm = NavGeometry::nm;

// The window each field belongs in, by the prefixes of its name.
std::string_view windowOf(std::string_view name)
{
    if (name == f::window || name == f::navDataWindow || name == f::miniNavWindow)
        return name;
    if (name.starts_with("mn"))
        return f::miniNavWindow;
    const bool destination = name.size() > 1 && name[0] == 'd' && std::isupper(static_cast<unsigned char>(name[1]));
    if (name.starts_with("wp") || name == f::nextWP || destination || name == f::unitsDistance
        || name == f::unitsDDistance || name == f::unitsCrossTrack || name == f::unitsVMG || name == f::unitsDTK)
        return f::navDataWindow;
    return f::window;
}

// Drives the logic through everything that writes the windows and gathers
// the field names with the kinds of write each is given.
std::set<std::pair<std::string, Kind>> writesOfTheLogic()
{
    NavHarness nav;
    GPSRecord& record = nav.link->data;
    record.satellites = 3;
    record.channels[0] = {5, 40, 1};
    record.channels[1] = {12, 33, 0};
    record.channels[2] = {29, 18, 1};
    nav.reportNoFix(0);
    nav.report(5 * nm, 0.0, 5.0, 0.0, 1, 2);
    record.fix.eph = 7.0;
    record.fix.epv = 11.0;
    nav.report(5 * nm, 0.1 * nm, 5.0, 0.0, 2);
    RoutePtr route = NavHarness::route("Coast", {{0.0, 0.0}, {10 * nm, 0.0}, {20 * nm, 0.0}});
    nav.controller().activateRoute(route, 1);
    nav.report(5 * nm, 0.1 * nm, 5.0, 0.0, 3);
    nav.report(9.999 * nm, 0.0, 5.0, 0.0, 4);
    nav.report(10.2 * nm, 0.0, 5.0, 0.0, 5);
    nav.report(20 * nm, 0.0, 0.0, 0.0, 6);
    nav.controller().activateRoute(route, 0);
    nav.report(1 * nm, 0.0, 5.0, 180.0, 7);
    ControlState scale;
    scale.selectedColumn = 2;
    nav.controller().changeCDIScale(scale);
    nav.controller().toggleMiniNav();
    nav.controller().activateRoute(route, 1);
    nav.report(5 * nm, 0.1 * nm, 5.0, 0.0, 8);
    nav.report(9.999 * nm, 0.0, 5.0, 0.0, 9);
    nav.controller().activateRoute(route, 0);
    nav.report(1 * nm, 0.0, 5.0, 180.0, 10);
    nav.reportNoFix(11);
    ControlState box;
    box.state = false;
    nav.harness.center.post(TRVMNFloatChanged, NotificationObject(box));
    nav.controller().showNav();
    nav.controller().toggleMiniNav();
    nav.controller().changeUnits('m');
    record = GPSRecord{};
    nav.controller().updateGPS(NotificationObject(0.0));
    nav.controller().stopAll();
    // A controller with a link writes that it connects as its window loads.
    ControllerHarness linked;
    linked.make(std::make_unique<StubGPSLink>()).windowDidLoad();
    linked.destroy();

    std::set<std::pair<std::string, Kind>> writes;
    for (const auto* display : {nav.harness.display.get(), linked.display.get()}) {
        for (const DisplayBatch& batch : display->batches()) {
            for (const DisplayBatch::Write& write : batch.writes())
                writes.emplace(std::string(write.field), write.kind);
        }
    }
    return writes;
}

// The drive reaches every field, so the writes it makes cover the layouts whole.
TEST(LayoutFields, EveryFieldHasOneWidgetInItsWindowThatShowsWhatTheLogicWrites)
{
    const auto writes = writesOfTheLogic();
    WindowHarness harness;
    for (const std::string_view name : f::all) {
        SCOPED_TRACE(std::string(name));
        QWidget* widget = harness.field<QWidget>(name);
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(widget->window(), harness.windows().window(windowOf(name)));
        int named = 0;
        for (const std::string_view window : {f::window, f::navDataWindow, f::miniNavWindow})
            named += static_cast<int>(
                harness.windows().window(window)->findChildren<QWidget*>(QString::fromUtf8(name.data())).size());
        EXPECT_LE(named, 1) << "two widgets carry the name";
        EXPECT_TRUE(std::any_of(writes.begin(), writes.end(), [name](const auto& w) { return w.first == name; }))
            << "never written";
    }
    for (const auto& [name, kind] : writes) {
        SCOPED_TRACE(name + " " + FieldWriter::kindName(kind));
        EXPECT_NE(std::find(f::all.begin(), f::all.end(), name), f::all.end()) << "not in fields::all";
        QWidget* widget = harness.field<QWidget>(name);
        ASSERT_NE(widget, nullptr);
        EXPECT_TRUE(FieldWriter::canTake(*widget, kind));
    }
    // Every true angle shown is marked alike: the label beside it reads "°T".
    for (const std::string_view name : {f::wpBearing, f::wpDTK, f::fixTrack, f::mnTrack}) {
        SCOPED_TRACE(std::string(name));
        QWidget* field = harness.field<QWidget>(name);
        ASSERT_NE(field, nullptr);
        QString beside;
        for (const QBoxLayout* row : field->parentWidget()->findChildren<QBoxLayout*>()) {
            const int at = row->indexOf(field);
            if (at >= 0 && at + 1 < row->count()) {
                if (const auto* label = qobject_cast<const QLabel*>(row->itemAt(at + 1)->widget()))
                    beside = label->text();
            }
        }
        EXPECT_EQ(beside, QString::fromUtf8("\xC2\xB0T"));
    }
}

} // namespace
} // namespace navora::test
