#include "engine/Canvas.h"

#include "base/Numbers.h"

namespace orb {

Rgb rgbOf(double red, double green, double blue)
{
    auto ch = [](double v) { return static_cast<std::uint8_t>(roundClamp(v, 0, 255)); };
    return Rgb{ch(red), ch(green), ch(blue)};
}

}  // namespace orb
