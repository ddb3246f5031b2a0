#include "alerts/QtTestApplication.h"

#include "alerts/QtSpeechSynthesizer.h"

#include <gtest/gtest.h>

#include <thread>

// libspeechd keeps the error text of a failed connection (no
// speech-dispatcher running): a leak of that library, not of ours. Its
// stack runs through glib, built without frame pointers, so the leak is
// only recognisable with the slow unwinder.
extern "C" __attribute__((used)) const char* __lsan_default_suppressions()
{
    return "leak:spd_open2\n";
}
extern "C" __attribute__((used)) const char* __asan_default_options()
{
    return "fast_unwind_on_malloc=0";
}

namespace navora {
namespace {

// A real engine on a machine without an audio device: speaking must neither
// crash nor wedge, from the engine's own thread or from another.
TEST(SpeechEngineTest, RealEngineSpeaksOrRefusesWithoutCrashing)
{
    test::ensureQtApplication();
    std::unique_ptr<QtSpeechSynthesizer> synthesizer = QtSpeechSynthesizer::create();
    if (!synthesizer)
        GTEST_SKIP() << "no speech engine installed";

    synthesizer->startSpeaking("Navora test");
    std::thread gps([&] {
        synthesizer->startSpeaking("Waypoint passed");
        (void)synthesizer->isSpeaking();
    });
    gps.join();
    // Speech ends, or the engine gives up; either way isSpeaking settles.
    EXPECT_TRUE(test::processEventsUntil([&] { return !synthesizer->isSpeaking(); }));
    synthesizer.reset();
    test::processEventsFor(50);
}

} // namespace
} // namespace navora
