// Sizes in pixels, shared by the pictures, the monitors and the sources.
#pragma once

namespace nubilux {

// A size in pixels: a monitor's, a picture's.
struct Screen {
    int width = 0;
    int height = 0;
    bool operator==(const Screen&) const = default;
};

}  // namespace nubilux
