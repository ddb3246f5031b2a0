#include "support/QtApplication.h"

#include <QApplication>

// Fontconfig keeps a cache for the life of the process that the leak
// checker reports when the first widget loads its fonts; it is not ours.
// OpenSSL's own state of a finished connection (certificates, error queue)
// is now and then still outstanding when the process ends; only allocations
// made inside libcrypto are covered, so a leaked Qt or Navora object still
// shows.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\nleak:libcrypto.so\n";
}

namespace navora::test {

void ensureWidgetApplication()
{
    if (QCoreApplication::instance())
        return;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "navora_tests";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
}

} // namespace navora::test
