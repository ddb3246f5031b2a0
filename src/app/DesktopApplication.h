#pragma once

namespace navora {

// The desktop program: the settings, the document framework with its main
// menu, and the documents named on the command line. No untitled document
// is opened at start. Later controllers (GPS, navigation, imports and
// exports from the menu) add their menus to the document framework's main
// menu (DocumentController::mainMenu()).
class DesktopApplication {
public:
    // Runs the program until it quits; returns its exit status.
    static int run(int argc, char** argv);
};

} // namespace navora
