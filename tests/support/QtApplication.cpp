#include "support/QtApplication.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

namespace navora::test {

void ensureCoreApplication()
{
    if (QCoreApplication::instance())
        return;
    static int argc = 1;
    static char name[] = "navora_tests";
    static char* argv[] = {name, nullptr};
    // Reachable through Qt's instance pointer for the whole run.
    new QCoreApplication(argc, argv);
}

void processEvents()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void processEventsBriefly()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QThread::msleep(5);
}

void processEventsFor(int milliseconds)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < milliseconds)
        processEventsBriefly();
}

} // namespace navora::test
