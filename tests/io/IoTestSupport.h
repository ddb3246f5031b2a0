#pragma once

#include "core/MemorySettingsStore.h"
#include "core/NotificationCenter.h"
#include "core/Settings.h"
#include "io/ExchangeDocument.h"
#include "io/ExportController.h"
#include "io/ImportController.h"
#include "io/MemoryDocumentHost.h"
#include "io/MemoryRouteDocument.h"
#include "io/MemoryWaypointDocument.h"
#include "model/NumberText.h"
#include "support/LogCapture.h"
#include "support/ScratchDirectory.h"

#include <gtest/gtest.h>

namespace navora::test {

inline std::string ioDataPath(const std::string& name)
{
    return std::string(NAVORA_IO_DATA) + "/" + name;
}

// One waypoint as text: name | comment | latitude | longitude | altitude,
// the numbers as "%f" (nan for an unknown one).
inline std::string describe(const Waypoint& waypoint)
{
    const WaypointSnapshot s = waypoint.snapshot();
    return s.wpName + " | " + s.wpComment + " | " + NumberText::formatFixed(s.latitude) + " | "
        + NumberText::formatFixed(s.longitude) + " | " + NumberText::formatFixed(s.altitude);
}

inline std::vector<std::string> describe(const WaypointList& list)
{
    std::vector<std::string> lines;
    for (const WaypointPtr& waypoint : list)
        lines.push_back(describe(*waypoint));
    return lines;
}

// An import controller whose open panel gives path (or nothing).
inline ImportController importerFor(
    ExchangeDocumentHost& host, std::optional<std::string> path, ImportController::ImportQuestion question = {})
{
    return ImportController(
        host, [path](std::string_view) { return path; }, std::move(question));
}

// The export as the desktop program runs it, with default settings; the save
// panel answers saveTo and remembers the title it proposed.
struct Exporter {
    Exporter() { settings.registerDefaults(); }

    MemorySettingsStore store;
    Settings settings{store};
    NotificationCenter center;
    MemoryDocumentHost host;
    std::optional<std::string> saveTo;
    std::string title = "(not asked)";
    ExportController controller{host, settings, center, [this](std::string_view extension, std::string_view name) {
                                    title = std::string(extension) + " " + std::string(name);
                                    return saveTo;
                                }};
};

} // namespace navora::test
