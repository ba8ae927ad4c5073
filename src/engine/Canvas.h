#pragma once
// What the engine draws on: points in twips of the main window, and a clear.

#include <cstdint>

namespace orb {

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

class Canvas {
public:
    virtual ~Canvas() = default;
    // A point at (x, y) twips; points off the drawing are ignored.
    virtual void pset(int x, int y, Rgb colour) = 0;
    virtual void cls() = 0;
};

// Builds a colour from channels, each clamped to 0..255 and rounded half to even.
Rgb rgbOf(double red, double green, double blue);

}  // namespace orb
