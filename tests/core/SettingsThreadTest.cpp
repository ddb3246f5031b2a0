#include "core/MemorySettingsStore.h"
#include "core/QtSettingsStore.h"
#include "core/Settings.h"
#include "core/SettingsKeys.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace navora {
namespace {

// The preferences write while the GPS thread reads: every read sees either
// the old or the new value, never anything else.
void readWhileWriting(SettingsStore& store)
{
    Settings settings(store);
    settings.registerDefaults();
    std::atomic<bool> done{false};
    std::vector<std::thread> readers;
    for (int i = 0; i < 3; ++i) {
        readers.emplace_back([&] {
            while (!done.load()) {
                const int units = settings.integerForKey(TRVUnitsKey);
                EXPECT_TRUE(units == 'n' || units == 's') << units;
                const std::string port = settings.stringForKey(TRVgpsdPortKey);
                EXPECT_TRUE(port == "2947" || port == "2948") << port;
            }
        });
    }
    for (int round = 0; round < 20; ++round) {
        settings.setInteger(TRVUnitsKey, round % 2 ? 'n' : 's');
        settings.setString(TRVgpsdPortKey, round % 2 ? "2947" : "2948");
    }
    done = true;
    for (std::thread& reader : readers)
        reader.join();
}

TEST(SettingsThreads, ReadsDuringWritesInMemory)
{
    MemorySettingsStore store;
    readWhileWriting(store);
}

TEST(SettingsThreads, ReadsDuringWritesToTheFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QtSettingsStore store(dir.filePath(QStringLiteral("Navora.conf")));
    readWhileWriting(store);
}

} // namespace
} // namespace navora
