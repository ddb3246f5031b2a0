#pragma once

#include "core/MemorySettingsStore.h"
#include "core/NotificationCenter.h"
#include "core/Settings.h"
#include "io/ExchangeDocument.h"
#include "io/ExportController.h"
#include "io/ImportController.h"
#include "io/MemoryDocumentHost.h"
#include "model/NumberText.h"
#include "support/ScratchDirectory.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

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
// panel answers saveTo and remembers what it was asked.
class Exporter {
public:
    Exporter() { m_settings.registerDefaults(); }

    ExportController& controller()
    {
        if (!m_controller) {
            m_controller = std::make_unique<ExportController>(
                m_host, m_settings, m_center, [this](std::string_view extension, std::string_view title) {
                    m_extension = extension;
                    m_title = title;
                    return m_target;
                });
        }
        return *m_controller;
    }

    MemoryDocumentHost& host() { return m_host; }
    Settings& settings() { return m_settings; }
    NotificationCenter& center() { return m_center; }
    const std::string& title() const { return m_title; }
    const std::string& extension() const { return m_extension; }
    void saveTo(std::optional<std::string> path) { m_target = std::move(path); }

private:
    MemorySettingsStore m_store;
    Settings m_settings{m_store};
    NotificationCenter m_center;
    MemoryDocumentHost m_host;
    std::unique_ptr<ExportController> m_controller;
    std::optional<std::string> m_target;
    std::string m_title = "(not asked)";
    std::string m_extension;
};

} // namespace navora::test
