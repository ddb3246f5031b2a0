#include "io/ConvertCommand.h"

#include "io/ExportController.h"
#include "io/ImportController.h"
#include "io/MemoryDocumentHost.h"
#include "io/MemoryRouteDocument.h"
#include "io/MemoryWaypointDocument.h"

#include "core/Log.h"
#include "core/NotificationCenter.h"
#include "core/QtSettingsStore.h"
#include "core/Settings.h"
#include "model/DocumentArchive.h"
#include "model/DocumentTypes.h"
#include "model/Route.h"

#include <algorithm>
#include <filesystem>
#include <iostream>

namespace navora {

namespace {

std::string extensionOf(const std::string& path)
{
    std::string extension = std::filesystem::path(path).extension().string();
    if (!extension.empty())
        extension.erase(0, 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
        [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c); });
    return extension;
}

bool isDocumentType(const std::string& extension)
{
    return extension == "nvw" || extension == "nvr" || extension == "gpx" || extension == "kml";
}

bool isArchive(const std::string& path)
{
    const std::string extension = extensionOf(path);
    return extension == "nvw" || extension == "nvr";
}

} // namespace

ConvertCommand::ConvertCommand(const Settings& settings, std::ostream& out, std::ostream& err)
    : m_settings(settings)
    , m_out(out)
    , m_err(err)
{
}

int ConvertCommand::main(int argc, char** argv)
{
    QtSettingsStore store;
    Settings settings(store);
    settings.registerDefaults();
    std::vector<std::string> arguments;
    for (int i = 2; i < argc; ++i)
        arguments.emplace_back(argv[i]);
    return ConvertCommand(settings, std::cout, std::cerr).run(arguments);
}

int ConvertCommand::run(const std::vector<std::string>& arguments)
{
    if (std::find(arguments.begin(), arguments.end(), "--help") != arguments.end()) {
        m_out << kUsage;
        return 0;
    }
    const std::optional<Options> options = parse(arguments);
    if (!options)
        return 2;
    Log::Sink previous;
    if (options->quiet)
        previous = Log::setSink([](std::string_view) {});
    const int status = convert(*options);
    if (options->quiet)
        Log::setSink(std::move(previous));
    return status;
}

std::optional<ConvertCommand::Options> ConvertCommand::parse(const std::vector<std::string>& arguments)
{
    Options options;
    std::vector<std::string> paths;
    bool optionsEnded = false;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (optionsEnded || argument.empty() || argument[0] != '-' || argument == "-") {
            paths.push_back(argument);
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (argument == "--quiet") {
            options.quiet = true;
        } else if (argument == "--route" && i + 1 < arguments.size()) {
            options.routeName = arguments[++i];
        } else if (argument.rfind("--route=", 0) == 0) {
            options.routeName = argument.substr(8);
        } else {
            m_err << "navora convert: unknown option " << argument << "\n" << kUsage;
            return std::nullopt;
        }
    }
    if (paths.size() < 2) {
        m_err << "navora convert: give at least one input and the output\n" << kUsage;
        return std::nullopt;
    }
    options.output = paths.back();
    paths.pop_back();
    options.inputs = std::move(paths);
    return options;
}

int ConvertCommand::convert(const Options& options)
{
    const std::string type = extensionOf(options.output);
    for (const std::string& input : options.inputs) {
        if (!isDocumentType(extensionOf(input)))
            return fail("unknown input type " + input + " (use .nvw, .nvr, .kml or .gpx)");
    }
    if (options.routeName && type != "nvr" && type != "kml")
        return fail("--route applies to a .nvr or .kml output only");
    if (options.routeName && extensionOf(options.inputs.front()) != "gpx")
        return fail("--route picks a route of a .gpx file");
    if (type == "nvw")
        return toWaypoints(options);
    if (type == "nvr") {
        if (options.inputs.size() != 1)
            return fail("a .nvr output is made from one input file");
        return toRoute(options);
    }
    if (type == "kml") {
        if (options.inputs.size() != 1)
            return fail("a .kml output is made from one input file");
        return toKml(options);
    }
    if (type == "gpx")
        return toGpx(options);
    return fail("unknown output type " + options.output + " (use .nvw, .nvr, .kml or .gpx)");
}

int ConvertCommand::toWaypoints(const Options& options)
{
    MemoryDocumentHost host;
    MemoryWaypointDocument document;
    for (const std::string& input : options.inputs) {
        if (isArchive(input)) {
            // A list's waypoints, or a route's, join the output's list.
            MemoryDocumentHost loaded;
            if (!loadDocument(input, loaded))
                return 1;
            const ExchangeDocument& source = *loaded.documents().front();
            const WaypointList waypoints = source.route() ? source.route()->routeWaypoints() : source.waypointList();
            for (const WaypointPtr& waypoint : waypoints)
                document.addWP(waypoint->copy());
            document.refresh();
            continue;
        }
        ImportController importer(host, [&input](std::string_view) { return std::optional<std::string>(input); });
        const bool read = extensionOf(input) == "kml" ? importer.importKMLforDocument(document, false)
                                                      : importer.importGPXforDocument(document, false);
        if (!read)
            return fail("cannot read " + input + " (the log above says why); nothing written");
    }
    std::string error;
    if (!DocumentArchive::saveWaypointList(options.output, document.waypointList(), error))
        return fail("cannot write " + options.output + ": " + error);
    m_out << options.output << ": " << document.waypointList().size() << " waypoints\n";
    return 0;
}

int ConvertCommand::toRoute(const Options& options)
{
    const std::string& input = options.inputs.front();
    MemoryDocumentHost host;
    ImportController importer(host, [&input](std::string_view) { return std::optional<std::string>(input); });
    RoutePtr route;
    if (isArchive(input)) {
        MemoryDocumentHost loaded;
        if (!loadDocument(input, loaded))
            return 1;
        const ExchangeDocument& source = *loaded.documents().front();
        route = source.route();
        if (!route) {
            // A waypoint list becomes a route in its order, named after the file.
            route = Route::create();
            route->setRouteName(std::filesystem::path(input).stem().string());
            for (const WaypointPtr& waypoint : source.waypointList())
                route->appendWaypoint(waypoint);
        }
    } else {
        // A KML file's placemarks make one route, and each track line another.
        const bool read = extensionOf(input) == "kml" ? importer.importKMLasRoute(true) : importer.importGPX();
        if (!read)
            return fail("cannot read " + input + " (the log above says why); nothing written");
        std::vector<RoutePtr> routes;
        std::string names;
        for (ExchangeDocument* document : host.documents()) {
            if (document->typeName() != kRouteDocumentType.name)
                continue;
            routes.push_back(document->route());
            names += (names.empty() ? "" : ", ") + document->route()->description();
        }
        if (options.routeName) {
            const auto named = std::find_if(routes.begin(), routes.end(),
                [&](const RoutePtr& candidate) { return candidate->routeName() == options.routeName; });
            if (named == routes.end())
                return fail("no route named " + *options.routeName + " in " + input + " (routes: " + names + ")");
            route = *named;
        } else if (routes.size() == 1) {
            route = routes.front();
        } else if (routes.empty()) {
            return fail(input + " holds no route");
        } else {
            return fail(input + " holds " + std::to_string(routes.size()) + " routes (" + names
                + "); choose one with --route NAME");
        }
    }
    std::string error;
    if (!DocumentArchive::saveRoute(options.output, *route, error))
        return fail("cannot write " + options.output + ": " + error);
    m_out << options.output << ": route " << route->description() << ", " << route->count() << " waypoints\n";
    return 0;
}

int ConvertCommand::toKml(const Options& options)
{
    MemoryDocumentHost host;
    if (!loadInput(options.inputs.front(), host))
        return 1;
    ExchangeDocument* chosen = chooseOne(host, options);
    if (chosen == nullptr)
        return 1;
    host.setKeyDocument(chosen);
    NotificationCenter center;
    ExportController exporter(host, m_settings, center,
        [&options](std::string_view, std::string_view) { return std::optional<std::string>(options.output); });
    if (!exporter.exportKML())
        return fail("cannot write " + options.output + " (the log above says why)");
    m_out << options.output << ": written\n";
    return 0;
}

int ConvertCommand::toGpx(const Options& options)
{
    MemoryDocumentHost host;
    for (const std::string& input : options.inputs) {
        if (!loadInput(input, host))
            return 1;
    }
    NotificationCenter center;
    ExportController exporter(host, m_settings, center,
        [&options](std::string_view, std::string_view) { return std::optional<std::string>(options.output); });
    if (!exporter.exportAllToGPX())
        return fail("cannot write " + options.output + " (the log above says why)");
    m_out << options.output << ": " << options.inputs.size() << " documents written\n";
    return 0;
}

bool ConvertCommand::loadInput(const std::string& path, MemoryDocumentHost& host)
{
    if (isArchive(path))
        return loadDocument(path, host);
    ImportController importer(host, [&path](std::string_view) { return std::optional<std::string>(path); });
    const bool read = extensionOf(path) == "kml" ? importer.importKMLasRoute(false) : importer.importGPX();
    if (!read)
        fail("cannot read " + path + " (the log above says why); nothing written");
    return read;
}

ExchangeDocument* ConvertCommand::chooseOne(MemoryDocumentHost& host, const Options& options)
{
    // The route named, else the only route, else the only document.
    const std::vector<ExchangeDocument*> documents = host.documents();
    std::vector<ExchangeDocument*> routes;
    std::string names;
    for (ExchangeDocument* document : documents) {
        if (!document->route())
            continue;
        if (options.routeName && document->route()->routeName() == options.routeName)
            return document;
        routes.push_back(document);
        names += (names.empty() ? "" : ", ") + document->route()->description();
    }
    if (options.routeName) {
        fail("no route named " + *options.routeName + " in " + options.inputs.front() + " (routes: " + names + ")");
        return nullptr;
    }
    if (routes.size() == 1)
        return routes.front();
    if (routes.empty() && documents.size() == 1)
        return documents.front();
    fail(options.inputs.front() + " holds " + std::to_string(routes.size()) + " routes (" + names
        + "); a .kml output takes one: choose it with --route NAME");
    return nullptr;
}

bool ConvertCommand::loadDocument(const std::string& path, MemoryDocumentHost& host)
{
    std::string error;
    if (extensionOf(path) == "nvw") {
        std::optional<WaypointList> list = DocumentArchive::loadWaypointList(path, error);
        if (!list) {
            fail("cannot read " + path + ": " + error + "; nothing written");
            return false;
        }
        host.addDocument(
            std::make_unique<MemoryWaypointDocument>(std::filesystem::path(path).stem().string(), std::move(*list)));
        return true;
    }
    RoutePtr route = DocumentArchive::loadRoute(path, error);
    if (!route) {
        fail("cannot read " + path + ": " + error + "; nothing written");
        return false;
    }
    host.addDocument(std::make_unique<MemoryRouteDocument>(std::move(route)));
    return true;
}

int ConvertCommand::fail(const std::string& message)
{
    m_err << "navora convert: " << message << "\n";
    return 1;
}

} // namespace navora
