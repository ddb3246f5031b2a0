#pragma once

#include <QDeadlineTimer>

namespace navora::test {

// The one Qt application of a test program, made on first use on the main
// thread and kept until the program ends: a QCoreApplication for tests
// without widgets, a QApplication on the offscreen platform for those with.
// Whichever is asked for first is the program's.
void ensureCoreApplication();
// In navora_test_widgets.
void ensureWidgetApplication();

// Runs pending events, deferred deletions included.
void processEvents();
// Runs events for about the given time.
void processEventsFor(int milliseconds);
// Runs pending events, then naps briefly so waiting loops do not spin.
void processEventsBriefly();
// Runs events until done() or about ten seconds have passed; returns done().
template <typename Predicate> bool processEventsUntil(Predicate done)
{
    QDeadlineTimer deadline(10000);
    while (!done() && !deadline.hasExpired())
        processEventsBriefly();
    return done();
}

} // namespace navora::test
