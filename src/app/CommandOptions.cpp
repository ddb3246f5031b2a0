#include "app/CommandOptions.h"

#include "nav/UnitSystem.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

namespace navora {

namespace {

bool takesValue(const std::string& option, CommandOptions::Mode mode)
{
    if (option == "--server" || option == "--port" || option == "--navigate" || option == "--index"
        || option == "--waypoint")
        return true;
    if (mode == CommandOptions::Mode::Headless)
        return option == "--units" || option == "--track";
    return option == "--snapshots";
}

// A TCP port number, 1 to 65535, in plain decimal digits (as the
// preferences window takes it).
bool validPort(const std::string& text)
{
    unsigned port = 0;
    const char* end = text.data() + text.size();
    const auto [stop, failure] = std::from_chars(text.data(), end, port);
    return !text.empty() && text.front() != '-' && failure == std::errc() && stop == end && port >= 1 && port <= 65535;
}

} // namespace

std::optional<CommandOptions> CommandOptions::parse(int argc, char** argv, Mode mode, const char* usage)
{
    const int first = std::min(argc, mode == Mode::Headless ? 2 : 1);
    std::string error;
    std::optional<CommandOptions> options = parse(std::vector<std::string>(argv + first, argv + argc), mode, error);
    if (!options)
        std::fprintf(stderr, "navora: %s\n%s", error.c_str(), usage);
    return options;
}

bool CommandOptions::loadNavigation(std::optional<NavigationRequest>& navigation) const
{
    if (!navigate)
        return true;
    navigation = NavigationRequest::load(NavigationRequest::Target{*navigate, index, join, waypoint});
    return navigation.has_value();
}

std::optional<CommandOptions> CommandOptions::parse(
    const std::vector<std::string>& arguments, Mode mode, std::string& error)
{
    CommandOptions options;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--help" || argument == "-h") {
            options.help = true;
        } else if (argument == "--join") {
            options.join = true;
        } else if (mode == Mode::Desktop && argument == "--quit-when-shown") {
            options.quitWhenShown = true;
        } else if (takesValue(argument, mode)) {
            if (i + 1 >= arguments.size()) {
                error = argument + " needs a value";
                return std::nullopt;
            }
            if (!options.take(argument, arguments[++i], error))
                return std::nullopt;
        } else if (mode == Mode::Desktop && argument == "--") {
            options.files.insert(options.files.end(), arguments.begin() + static_cast<long>(i) + 1, arguments.end());
            break;
        } else if (mode == Mode::Desktop && !argument.empty() && argument.front() != '-') {
            options.files.push_back(argument);
        } else {
            error = "unknown argument " + argument;
            return std::nullopt;
        }
    }
    if (!options.check(error))
        return std::nullopt;
    return options;
}

bool CommandOptions::take(const std::string& option, const std::string& value, std::string& error)
{
    if (option == "--server") {
        if (value.empty()) {
            error = "--server needs a host name";
            return false;
        }
        server = value;
    } else if (option == "--port") {
        if (!validPort(value)) {
            error = "--port takes a port number from 1 to 65535";
            return false;
        }
        port = value;
    } else if (option == "--navigate") {
        if (value.empty()) {
            error = "--navigate needs a file";
            return false;
        }
        navigate = value;
    } else if (option == "--waypoint") {
        waypoint = value;
    } else if (option == "--index") {
        int number = -1;
        const auto [end, failure] = std::from_chars(value.data(), value.data() + value.size(), number);
        if (failure != std::errc() || end != value.data() + value.size() || number < 0) {
            error = "--index takes a waypoint number from 0";
            return false;
        }
        index = number;
    } else if (option == "--snapshots") {
        if (value.empty()) {
            error = "--snapshots needs a folder";
            return false;
        }
        snapshots = value;
    } else if (option == "--track") {
        if (value.empty()) {
            error = "--track needs a file";
            return false;
        }
        track = value;
    } else {
        if (value.size() != 1 || !UnitSystem::forCode(value[0])) {
            error = "--units takes one of n, m, i, s";
            return false;
        }
        units = value[0];
    }
    return true;
}

bool CommandOptions::check(std::string& error) const
{
    const int choices = (index ? 1 : 0) + (join ? 1 : 0) + (waypoint ? 1 : 0);
    if (choices > 0 && !navigate) {
        error = "--index, --join and --waypoint go with --navigate";
        return false;
    }
    if (navigate && choices != 1) {
        error = "--navigate takes one of --index N, --join or --waypoint NAME";
        return false;
    }
    return true;
}

} // namespace navora
