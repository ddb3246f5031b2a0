// The navora program: command-line modes first, otherwise the desktop program.
#include "ConvertCommand.h"
#include "QtSettingsStore.h"
#include "SettingsKeys.h"
#include "Settings.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>

#include <cstdio>
#include <cstring>
#include <string_view>

namespace {

constexpr const char* kUsage = "Usage: navora [FILE...]\n"
                               "       navora convert [--route NAME] [--quiet] INPUT... OUTPUT\n"
                               "       navora --help | --version\n"
                               "\n"
                               "Navora is a GPS route-navigation program for gpsd.\n"
                               "\n"
                               "  FILE...     waypoint lists (.nvw) and routes (.nvr) to open\n"
                               "  --help      show this help and exit\n"
                               "  --version   show the version and exit\n";

bool hasOption(int argc, char** argv, std::string_view option)
{
    for (int i = 1; i < argc; ++i) {
        if (option == argv[i])
            return true;
    }
    return false;
}

int runDesktop(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName("Navora");
    QApplication::setApplicationName("Navora");
    QApplication::setApplicationVersion(NAVORA_VERSION);

    navora::QtSettingsStore store;
    navora::Settings settings(store);
    settings.registerDefaults();

    QMainWindow window;
    window.setWindowTitle("Navora");
    QMenu* file = window.menuBar()->addMenu("&File");
    file->addAction("&Quit", QKeySequence::Quit, &app, &QApplication::quit);
    auto* status = new QLabel(&window);
    status->setMargin(24);
    status->setText(QString("Navora %1\ngpsd server %2, port %3")
                        .arg(NAVORA_VERSION, QString::fromStdString(settings.stringForKey(navora::TRVgpsdServerKey)),
                            QString::fromStdString(settings.stringForKey(navora::TRVgpsdPortKey))));
    window.setCentralWidget(status);
    window.show();
    return app.exec();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && std::string_view(argv[1]) == "convert")
        return navora::ConvertCommand::main(argc, argv);
    if (hasOption(argc, argv, "--help") || hasOption(argc, argv, "-h")) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (hasOption(argc, argv, "--version")) {
        std::printf("navora %s\n", NAVORA_VERSION);
        return 0;
    }
    return runDesktop(argc, argv);
}
