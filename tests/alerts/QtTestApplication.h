#pragma once

#include <QDeadlineTimer>

namespace navora::test {

// The one QCoreApplication of a test program, made on first use on the
// calling thread (the main thread) and kept until the program ends. Qt's
// event loops, D-Bus objects and speech engines need it.
void ensureQtApplication();

// Runs pending Qt events of the calling thread, then naps briefly so
// waiting loops do not spin.
void pumpEventsOnce();
void processEventsFor(int milliseconds);

// Runs Qt events until done() or about ten seconds have passed; returns done().
template <typename Predicate> bool processEventsUntil(Predicate done)
{
    QDeadlineTimer deadline(10000);
    while (!done() && !deadline.hasExpired())
        pumpEventsOnce();
    return done();
}

} // namespace navora::test
