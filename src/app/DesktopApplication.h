#pragma once

namespace navora {

// The desktop program: the settings (with the command line's server and port
// laid over them for this run), the document framework with its main menu,
// the application controller behind the menu, and the documents named on
// the command line. No untitled document is opened at start.
//
// Signals: SIGINT and SIGTERM quit as the Quit command does (the GPS link
// stops first); SIGUSR1 writes a snapshot of the windows when --snapshots
// names a folder; SIGUSR2 switches the MiniNav on or off.
class DesktopApplication {
public:
    // Runs the program until it quits; returns its exit status (2 for a
    // command line in error or a file to navigate that cannot be followed).
    static int run(int argc, char** argv);

    static const char* usage();
};

} // namespace navora
