#pragma once

#include "core/UiThread.h"
#include "gps/Display.h"

#include <QPointer>
#include <QWidget>

#include <deque>
#include <map>
#include <mutex>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace navora {

// The display of the GPS windows: binds each field name to the widget of
// that object name in the windows (the windows by their own names) and
// applies batches to them on the user-interface thread.
//
// apply() may be called from any thread and never touches a widget there:
// every batch joins one queue that the user-interface thread empties in
// order, a batch at a time and whole. A batch given on the user-interface
// thread is applied at once, after those still queued. A name that no
// widget carries, or a write its widget cannot show, is logged once.
class QtDisplay : public Display {
public:
    // Made on the user-interface thread; the windows outlive the display.
    explicit QtDisplay(const std::vector<QWidget*>& windows);
    ~QtDisplay() override;
    QtDisplay(const QtDisplay&) = delete;
    QtDisplay& operator=(const QtDisplay&) = delete;

    void apply(DisplayBatch batch) override;

    // User-interface thread only.
    QWidget* field(std::string_view name) const;
    // What each named field shows, as text; names without a widget are left out.
    std::map<std::string, std::string> snapshot(std::span<const std::string_view> names) const;

private:
    void bind(QWidget& widget);
    void drain();
    void applyBatch(const DisplayBatch& batch);
    static std::vector<bool> supersededWrites(
        const std::vector<DisplayBatch::Write>& writes, const std::vector<QWidget*>& widgets);
    void reportOnce(std::string line);

    // Looked up by the batches' name views, without making a string each time.
    std::map<std::string, QPointer<QWidget>, std::less<>> m_fields;
    std::set<std::string> m_reported;
    bool m_draining = false;

    std::mutex m_mutex;
    std::deque<DisplayBatch> m_queue;
    // Last, so queued hand-overs go before the queue they would empty.
    UiThread m_uiThread;
};

} // namespace navora
