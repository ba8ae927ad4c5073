#include "panel/EditorRules.h"

#include <cmath>

#include "base/Numbers.h"

namespace orb {

std::optional<int> shownBody(double number)
{
    auto n = toInt16(number);
    if (!n || *n < 0 || *n > kMaxBody) return std::nullopt;
    return *n;
}

std::optional<int> editedBody(std::string_view text)
{
    const auto v = strictNumber(text);
    if (!v || *v != std::floor(*v)) return std::nullopt;
    return shownBody(*v);
}

void rangeBody(World& w, int n)
{
    if (n < 0 || n > kMaxBody) return;
    auto range = [](double& v, double limit) {
        if (std::isnan(v) || v < -limit) v = -limit;
        else if (v > limit) v = limit;
    };
    range(w.momX[n], 999);
    range(w.momY[n], 999);
    range(w.posX[n], 32768);
    range(w.posY[n], 32768);
}

std::optional<Correction> leaveCheck(const EditorTexts& t, double width, double height)
{
    const double x = val(t[0]), y = val(t[1]), mx = val(t[2]), my = val(t[3]);
    // The positions are compared with the field's size at single precision.
    const float w = static_cast<float>(width), h = static_cast<float>(height);
    if (x < 0) return Correction{0, "0"};
    if (y < 0) return Correction{1, "0"};
    if (static_cast<float>(x) > w) return Correction{0, numText(w)};
    if (static_cast<float>(y) > h) return Correction{1, numText(h)};
    if (mx < -200) return Correction{2, "-200"};
    if (mx > 200) return Correction{2, "200"};
    if (my < -200) return Correction{3, "-200"};
    if (my > 200) return Correction{3, "200"};
    return std::nullopt;
}

std::optional<Rgb> markerColour(double t)
{
    if (t == 0) return Rgb{255, 255, 128};
    if (t == 1) return Rgb{255, 191, 0};
    if (t == 2) return Rgb{96, 191, 255};
    if (t == 3) return Rgb{128, 255, 128};  // the planetoid factor field's text colour
    if (t == 4) return Rgb{255, 192, 128};  // the planet count field's text colour
    return std::nullopt;
}

}  // namespace orb
