#pragma once
// The body editor's rules, apart from its controls: which body a number names,
// how a shown body's values are ranged, the checks made when a field is left,
// and the colours of the blinking marker.

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "engine/Canvas.h"
#include "world/World.h"

namespace orb {

// The body a shown number names: the nearest whole number 0..999, or nothing.
std::optional<int> shownBody(double number);
// The body an edit goes to: exactly a whole number 0..999, so that "1.5" never
// changes body 2.
std::optional<int> editedBody(std::string_view text);

// Ranges body n's values before they are shown, writing them back: momenta into
// -999..999, positions into -32768..32768 (NaN to the low end).
void rangeBody(World& w, int n);

// The five editor fields in order: X, Y, Xm, Ym, G.
using EditorTexts = std::array<std::string, 5>;

// A field the leave checks correct, and its new text.
struct Correction {
    int field;
    std::string text;
};

// The checks made when any editor field is left, in order; the first that
// matches gives its correction (which is not applied), none means the typed
// values may be applied. width and height bound the positions.
std::optional<Correction> leaveCheck(const EditorTexts& texts, double width, double height);

// The blink's border colour for the body type shown, or nothing to keep it.
std::optional<Rgb> markerColour(double bodyType);

}  // namespace orb
