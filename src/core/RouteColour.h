#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace navora {

// The colour of the route line in KML export: RGBA components in 0..1.
struct RouteColour {
    double red = 0.0;
    double green = 0.0;
    double blue = 0.0;
    double alpha = 1.0;

    // Magenta at 80 % opacity, the colour a new user starts with.
    static constexpr RouteColour routeDefault() { return {1.0, 0.0, 1.0, 0.8}; }

    // Every component finite and within 0..1.
    bool isValid() const;

    // A route line never hides the map under it: a fully opaque colour is
    // given alpha 0.8 before it is stored; a translucent one is kept as is.
    RouteColour translucentIfOpaque() const;

    // Text form for the settings store: the four components separated by
    // blanks, each in its shortest form that reads back to the same double
    // ("1 0 1 0.8"). Independent of the locale.
    std::string encoded() const;
    // Reads the encoded form back. Anything else (missing or extra fields,
    // stray characters, NaN, a component outside 0..1) gives nullopt.
    static std::optional<RouteColour> decode(std::string_view text);

    friend bool operator==(const RouteColour&, const RouteColour&) = default;
};

} // namespace navora
