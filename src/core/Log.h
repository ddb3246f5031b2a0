#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace navora {

// The system log: every diagnostic is one free-text line, without levels.
// Lines go to standard error unless a sink has been installed (tests capture
// lines that way; see LogCapture in the tests' support library).
class Log {
public:
    using Sink = std::function<void(std::string_view line)>;

    // Writes one line; a trailing newline is added, embedded newlines are kept
    // out so that one call is always one line.
    static void line(std::string_view text);

    // printf-style convenience for the texts of the form "Unknown units - %c".
    static void format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

    // Replaces the sink; an empty sink restores standard error. Returns the
    // previous sink so that captures can nest.
    static Sink setSink(Sink sink);

    // While a Batch lives, the lines this thread writes to standard error
    // are gathered and written together (at its end, or whenever 64 KiB have
    // gathered), so a loop that logs a line per item of a long file makes no
    // system call per line. Installed sinks still get each line at once.
    class Batch {
    public:
        Batch();
        ~Batch();
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;
    };
};

} // namespace navora
