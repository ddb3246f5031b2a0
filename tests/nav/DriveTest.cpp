// Whole drives: a route file followed by "navora --headless --navigate"
// against a real gpsd (gpsfake replaying a drive made here). The passages
// expected are worked out from the drive's positions with the test's own
// geometry.
#include "nav/NavGeometry.h"
#include "nav/RouteDrive.h"

#include "gps/GpsFake.h"
#include "model/DocumentArchive.h"
#include "nav/UtcTime.h"
#include "support/ProgramRun.h"
#include "support/ScratchDirectory.h"

#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cmath>

namespace navora::test {
namespace {

using namespace std::chrono_literals;

using Point = NavGeometry::Point;

// Miles north and east of the base of the drive.
Point at(double north, double east)
{
    return NavGeometry::offset({10.0, 20.0}, north, east);
}

// Seven waypoints, six legs: a gentle turn at W2, about 90 at W3, a sharp
// one (above 135) at W4, then a zig-zag to W6.
std::vector<Point> waypoints()
{
    return {at(0, 0), at(0.6, 0), at(1.2, 0.1), at(1.2, 0.7), at(1.0, 0.2), at(0.6, 0.0), at(0.3, 0.3)};
}

double signedTurn(double in, double out)
{
    double turn = out - in;
    if (turn < -180)
        turn += 360;
    if (turn > 180)
        turn -= 360;
    return turn;
}

// The fix time at which each waypoint after the first can first be passed:
// moving away from it, and past it by the rule for its turn.
std::vector<double> passableTimes(const std::vector<NmeaLog::Epoch>& epochs, const std::vector<Point>& w)
{
    using G = NavGeometry;
    std::vector<double> times;
    size_t k = 1;
    for (const NmeaLog::Epoch& e : epochs) {
        if (k + 1 >= w.size())
            break;
        if (e.mode < 3 || e.speedKnots <= 0)
            continue;
        const Point &p = w[k - 1], &a = w[k], &n = w[k + 1];
        const double toActive = G::bearing(e.latitude, e.longitude, a.lat, a.lon);
        if (std::cos((toActive - e.track) * G::radians) >= 0)
            continue;
        const double turn = signedTurn(G::bearing(p.lat, p.lon, a.lat, a.lon), G::bearing(a.lat, a.lon, n.lat, n.lon));
        bool passed;
        if (std::fabs(turn) >= 90) {
            passed = G::distance(e.latitude, e.longitude, a.lat, a.lon) < G::distance(a.lat, a.lon, n.lat, n.lon);
        } else {
            const double toNext = G::bearing(e.latitude, e.longitude, n.lat, n.lon);
            passed = std::cos((toNext - e.track) * G::radians) > 0
                && G::distance(a.lat, a.lon, n.lat, n.lon) - G::distance(e.latitude, e.longitude, n.lat, n.lon)
                    > G::distance(a.lat, a.lon, p.lat, p.lon) - G::distance(e.latitude, e.longitude, p.lat, p.lon);
        }
        if (passed) {
            times.push_back(e.time);
            ++k;
        }
    }
    return times;
}

std::string utc(double time)
{
    return UtcTime::text(std::chrono::sys_seconds(std::chrono::seconds(static_cast<long long>(time))));
}

TEST(Drive, RouteFollowedToTheEndOnARealGpsd)
{
    if (!GpsFake::available())
        GTEST_SKIP() << "gpsfake is not installed (Debian package gpsd-clients)";
    ScratchDirectory scratch;
    const std::vector<Point> w = waypoints();
    RoutePtr route = Route::create();
    route->setRouteName("Drive");
    for (size_t i = 0; i < w.size(); ++i)
        route->appendWaypoint(Waypoint::create(
            "W" + std::to_string(i), "", static_cast<float>(w[i].lat), static_cast<float>(w[i].lon), 0.0f));
    std::string error;
    ASSERT_TRUE(DocumentArchive::saveRoute(scratch.file("drive.nvr").string(), *route, error)) << error;

    RouteDrive drive(1714564800.0, w[0].lat, w[0].lon);
    drive.waitWithoutFix(60);
    drive.standStill(3);
    drive.driveTo(w[1].lat, w[1].lon, 20);
    const Point halfway = at(0.9, 0.05);
    drive.driveTo(halfway.lat, halfway.lon, 15);
    drive.standStill(10);
    drive.driveTo(w[2].lat, w[2].lon, 25);
    const Point lossAt = at(1.2, 0.4);
    drive.driveTo(lossAt.lat, lossAt.lon, 20);
    drive.loseFix(5);
    drive.driveTo(w[3].lat, w[3].lon, 20);
    drive.driveTo(w[4].lat, w[4].lon, 20);
    const Point wrong = at(0.8, 0.1);
    drive.driveTo(wrong.lat, wrong.lon, 20);
    drive.driveOn(0.0, 15, 20); // away from W5 and W6 alike
    drive.driveTo(w[5].lat, w[5].lon, 20);
    drive.driveTo(w[6].lat, w[6].lon, 20);
    drive.driveOn(135.0, 20, 30);
    NmeaLog::write(drive.epochs(), scratch.file("drive.nmea").string());
    const std::vector<double> expected = passableTimes(drive.epochs(), w);
    ASSERT_EQ(expected.size(), 5u);

    GpsFake fake(scratch.file("drive.nmea"));
    ASSERT_TRUE(fake.ready());
    ProgramRun run({NAVORA_PROGRAM, "--headless", "--server", "127.0.0.1", "--port", fake.portText(), "--units", "n",
                       "--navigate", scratch.file("drive.nvr").string(), "--join"},
        scratch.file("stderr.txt"), scratch.path());
    ASSERT_TRUE(run.started());
    ASSERT_TRUE(run.readUntil(R"({"alert":"GPSOffline"})", 120s)) << ProgramRun::fileText(scratch.file("stderr.txt"));
    EXPECT_EQ(run.terminate(10s), 0);

    std::vector<std::string> passages;
    std::vector<std::string> passageTimes;
    int reversals = 0;
    int arrivals = 0;
    bool awaitingTime = false;
    std::string lastTitle;
    for (const std::string& line : run.lines()) {
        const QJsonObject o = QJsonDocument::fromJson(QByteArray::fromStdString(line)).object();
        const std::string alert = o.value("alert").toString().toStdString();
        if (alert == "WaypointPassage") {
            passages.push_back(o.value("speech").toString().toStdString());
            awaitingTime = true;
        }
        reversals += alert == "CourseReversal" ? 1 : 0;
        arrivals += alert == "DestinationArrival" ? 1 : 0;
        if (awaitingTime && !o.value("fixTime").toString().isEmpty()) {
            passageTimes.push_back(o.value("fixTime").toString().toStdString());
            awaitingTime = false;
        }
        if (o.contains("wpBox.title") && !o.value("wpBox.title").toString().isEmpty())
            lastTitle = o.value("wpBox.title").toString().toStdString();
    }
    EXPECT_EQ(passages, (std::vector<std::string>{"W1", "W2", "W3", "W4", "W5"}));
    ASSERT_EQ(passageTimes.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(passages[i]);
        // At the first check once passable: the same second (a later report
        // of the epoch) or, after a check that failed, within five seconds.
        EXPECT_GE(passageTimes[i], utc(expected[i]));
        EXPECT_LE(passageTimes[i], utc(expected[i] + 5));
    }
    EXPECT_EQ(reversals, 1);
    EXPECT_EQ(arrivals, 1);
    EXPECT_EQ(lastTitle, "Drive: W5->W6 (end)");
}

} // namespace
} // namespace navora::test
