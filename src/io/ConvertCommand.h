#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace navora {

class ExchangeDocument;
class MemoryDocumentHost;
class Settings;

// "navora convert INPUT... OUTPUT": any of .gpx, .kml, .nvw and .nvr to any
// of them, through the same import and export code as the desktop program. The output is written
// whole or not at all; any bad input or failed write ends with a message and
// a non-zero exit status.
class ConvertCommand {
public:
    static constexpr std::string_view kUsage
        = "Usage: navora convert [--route NAME] [--quiet] INPUT... OUTPUT\n"
          "\n"
          "  INPUT...  ->  OUTPUT.nvw   the waypoints of all inputs (GPX: the free waypoints;\n"
          "                            .nvr: the route's waypoints)\n"
          "  INPUT     ->  OUTPUT.nvr   a route (GPX: the route named by --route, or the only\n"
          "                            one; KML: the placemarks in order; .nvw: the list)\n"
          "  INPUT     ->  OUTPUT.kml   one document (GPX: the route named by --route, or\n"
          "                            the only route, or the waypoints of a file without one)\n"
          "  INPUT...  ->  OUTPUT.gpx   all documents of all inputs in one file\n"
          "\n"
          "  INPUT is a .gpx, .kml, .nvw or .nvr file.\n"
          "  --route NAME   the GPX route to convert to .nvr or .kml\n"
          "  --quiet        no log lines on standard error\n";

    // settings gives the route colour of KML exports; messages go to out
    // (what was written) and err (what went wrong).
    ConvertCommand(const Settings& settings, std::ostream& out, std::ostream& err);

    // arguments are those after "convert". Returns the exit status.
    int run(const std::vector<std::string>& arguments);

    // The program's entry for argv = {"navora", "convert", ...}, with the
    // user's settings.
    static int main(int argc, char** argv);

private:
    struct Options {
        std::vector<std::string> inputs;
        std::string output;
        std::optional<std::string> routeName;
        bool quiet = false;
    };

    std::optional<Options> parse(const std::vector<std::string>& arguments);
    int convert(const Options& options);
    int toWaypoints(const Options& options);
    int toRoute(const Options& options);
    int toKml(const Options& options);
    int toGpx(const Options& options);
    // Loads a .nvw or .nvr file into host; false with a message when it fails.
    bool loadDocument(const std::string& path, MemoryDocumentHost& host);
    // Loads any input into host: an archive as its document, GPX as its
    // routes and free waypoints, KML as waypoints.
    bool loadInput(const std::string& path, MemoryDocumentHost& host);
    // The one document of host that a .kml output takes, or nullptr with a
    // message.
    ExchangeDocument* chooseOne(MemoryDocumentHost& host, const Options& options);
    int fail(const std::string& message);

    const Settings& m_settings;
    std::ostream& m_out;
    std::ostream& m_err;
};

} // namespace navora
