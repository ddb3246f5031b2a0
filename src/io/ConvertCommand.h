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

// "navora convert INPUT... OUTPUT": KML and GPX to waypoint lists (.nvw) and
// routes (.nvr), and documents to KML (one) and GPX (any number), through the
// same import and export code as the desktop program. The output is written
// whole or not at all; any bad input or failed write ends with a message and
// a non-zero exit status.
class ConvertCommand {
public:
    static constexpr std::string_view kUsage
        = "Usage: navora convert [--route NAME] [--quiet] INPUT... OUTPUT\n"
          "\n"
          "  INPUT.gpx|INPUT.kml...  ->  OUTPUT.nvw   waypoints (GPX: the free waypoints)\n"
          "  INPUT.gpx|INPUT.kml     ->  OUTPUT.nvr   a route (GPX: the route named by --route,\n"
          "                                          or the only one; KML: the placemarks in order)\n"
          "  INPUT.nvw|INPUT.nvr     ->  OUTPUT.kml   one document\n"
          "  INPUT.nvw|INPUT.nvr...  ->  OUTPUT.gpx   all documents in one file\n"
          "\n"
          "  --route NAME   the GPX route to convert to .nvr\n"
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
    int fail(const std::string& message);

    const Settings& m_settings;
    std::ostream& m_out;
    std::ostream& m_err;
};

} // namespace navora
