#pragma once

#include "app/CommandOptions.h"

#include <optional>

namespace navora {

// "navora --headless": the GPS controller without windows. What the GPS
// window would show goes to standard output as JSON lines, the log to
// standard error, until SIGINT or SIGTERM stops the link cleanly.
class HeadlessCommand {
public:
    using Options = CommandOptions;

    // True when the command line asks for this mode: "--headless" first.
    static bool wanted(int argc, char** argv);
    // Runs the mode; returns the process's exit status: 0 after an interrupt,
    // 1 when the track could not be written, 2 for a command line it cannot use
    // (or a file to navigate that cannot be followed).
    static int run(int argc, char** argv);

    static const char* usage();
    // Reads the command line as the program got it ("--headless" first);
    // nullopt (after a message on standard error) when it cannot be used.
    static std::optional<Options> parse(int argc, char** argv);
};

} // namespace navora
