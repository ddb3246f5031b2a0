#pragma once

#include "gps/NavigationRequest.h"

#include <optional>
#include <string>
#include <vector>

namespace navora {

// The options that the desktop program and its headless mode share: the
// gpsd server and port for this run only, and a file to navigate with its
// choice. Each mode takes a few of its own (the headless mode --units, the
// desktop --snapshots, --quit-when-shown and the documents to open).
class CommandOptions {
public:
    enum class Mode { Headless, Desktop };

    bool help = false;
    std::optional<std::string> server;
    std::optional<std::string> port;
    // --navigate FILE with --index N, --join or --waypoint NAME.
    std::optional<std::string> navigate;
    std::optional<int> index;
    bool join = false;
    std::optional<std::string> waypoint;
    // Headless only: the unit system, and the GPX file the track goes to.
    std::optional<char> units;
    std::optional<std::string> track;
    // Desktop only: where SIGUSR1 writes the windows, and the documents to open.
    std::optional<std::string> snapshots;
    std::vector<std::string> files;
    // Desktop only: log how long the windows took to show, then quit.
    bool quitWhenShown = false;

    // Reads arguments (without the program's name or the mode's own first
    // word); nullopt with error saying why when they cannot be used.
    static std::optional<CommandOptions> parse(
        const std::vector<std::string>& arguments, Mode mode, std::string& error);
    // Reads the command line as the program got it (the program's name
    // first, then "--headless" in that mode); nullopt after the reason and
    // usage on standard error when it cannot be used.
    static std::optional<CommandOptions> parse(int argc, char** argv, Mode mode, const char* usage);

    // The file of --navigate loaded with its choice: navigation stays empty
    // without --navigate; false (the reason logged) when the file cannot be
    // followed.
    bool loadNavigation(std::optional<NavigationRequest>& navigation) const;

private:
    bool take(const std::string& option, const std::string& value, std::string& error);
    bool check(std::string& error) const;
};

} // namespace navora
