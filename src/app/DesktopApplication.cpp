#include "DesktopApplication.h"

#include "NotificationCenter.h"
#include "QtSettingsStore.h"
#include "Settings.h"

#include <DocumentController.h>
#include <GPSController.h>
#include <QtDialogs.h>

#include <QApplication>
#include <QMainWindow>
#include <QStringList>

namespace navora {

namespace {

// "TRVcpUpdated" carries the GPS controller; the documents want its "PPOS".
WaypointPtr currentPosOf(const NotificationObject& object)
{
    if (GPSController* gps = object.gpsController())
        return gps->currentPos();
    return object.waypoint();
}

} // namespace

int DesktopApplication::run(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName("Navora");
    QApplication::setApplicationName("Navora");
    QApplication::setApplicationVersion(NAVORA_VERSION);
    // The main window stays while documents come and go; quitting asks
    // about unsaved documents first.
    QApplication::setQuitOnLastWindowClosed(false);

    QtSettingsStore store;
    Settings settings(store);
    settings.registerDefaults();

    DocumentController documents(
        {NotificationCenter::defaultCenter(), store, std::make_shared<QtDialogs>(), currentPosOf});
    documents.mainWindow().show();

    const QStringList arguments = QApplication::arguments();
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (!arguments[i].startsWith('-'))
            documents.openDocumentReportingErrors(arguments[i]);
    }
    return app.exec();
}

} // namespace navora
