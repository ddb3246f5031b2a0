// The navora program: command-line modes first, otherwise the desktop program.
#include "app/DesktopApplication.h"
#include "app/HeadlessCommand.h"
#include "io/ConvertCommand.h"

#include <unistd.h>

#include <climits>
#include <csignal>
#include <cstdio>
#include <string>
#include <string_view>

namespace {

constexpr const char* kUsage = "Usage: navora [--server HOST] [--port PORT] [--snapshots DIR]\n"
                               "              [--navigate FILE (--index N | --join | --waypoint NAME)] [FILE...]\n"
                               "       navora convert [--route NAME] [--quiet] INPUT... OUTPUT\n"
                               "       navora --headless [--server HOST] [--port PORT] [--units n|m|i|s]\n"
                               "                         [--navigate FILE (--index N | --join | --waypoint NAME)]\n"
                               "       navora --help | --version\n"
                               "\n"
                               "Navora is a GPS route-navigation program for gpsd.\n"
                               "\n"
                               "Without a mode it is the desktop program:\n"
                               "\n";

constexpr const char* kModes = "\n"
                               "Modes:\n"
                               "  convert     converts between .gpx, .kml, .nvw and .nvr files\n"
                               "              (navora convert --help tells more)\n"
                               "  --headless  the GPS link without windows: the fix display as JSON lines\n"
                               "              on standard output (navora --headless --help tells more)\n"
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

// Replaces this process with navora-convert, looked for beside this program
// (a build tree) and where the install puts it; returns when neither runs.
void runConverter(char** argv)
{
    char self[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0)
        return;
    const std::string program(self, static_cast<size_t>(length));
    const std::string folder = program.substr(0, program.rfind('/') + 1);
    for (const std::string& converter : {folder + "navora-convert", folder + NAVORA_CONVERTER_FROM_BINDIR})
        execv(converter.c_str(), argv);
}

int runDesktop(int argc, char** argv)
{
    return navora::DesktopApplication::run(argc, argv);
}

} // namespace

int main(int argc, char** argv)
{
    // A file-size limit (ulimit -f) makes a write fail with EFBIG, which every
    // save reports and survives; the signal's default would kill the program
    // silently and leave the temporary file behind.
    std::signal(SIGXFSZ, SIG_IGN);
    if (navora::HeadlessCommand::wanted(argc, argv))
        return navora::HeadlessCommand::run(argc, argv);
    if (argc > 1 && std::string_view(argv[1]) == "convert") {
        runConverter(argv);
        return navora::ConvertCommand::main(argc, argv); // converted here, in more memory
    }
    if (hasOption(argc, argv, "--help") || hasOption(argc, argv, "-h")) {
        std::fputs(kUsage, stdout);
        // The desktop's options, without its own usage lines.
        const std::string_view desktop = navora::DesktopApplication::usage();
        std::fputs(std::string(desktop.substr(desktop.find("\n\n") + 2)).c_str(), stdout);
        std::fputs(kModes, stdout);
        return 0;
    }
    if (hasOption(argc, argv, "--version")) {
        std::printf("navora %s\n", NAVORA_VERSION);
        return 0;
    }
    return runDesktop(argc, argv);
}
