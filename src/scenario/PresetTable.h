#pragma once
// The galaxy presets as data: caption, the explanation shown in the message
// label, and what each writes into the panel in order. Also the placing of the
// central body and the binary pair that every preset shares.

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "world/World.h"

namespace orb {

struct PresetStep {
    enum Kind { Write, AutoC, Show } kind;
    std::string name;  // the control written or shown
    std::string text;  // Write: the text written
    bool on = false;   // AutoC: the state "Auto C" is set to
};

struct Preset {
    std::string caption;
    std::string explanation;
    std::vector<PresetStep> steps;
};

inline constexpr int kPresets = 6;
// The one preset that places its stars at once instead of emitting them.
inline constexpr int kBalancedDisc = 5;
const std::array<Preset, kPresets>& presetTable();

// Body 0 between the binary pair, the pair side by side on the centre line.
void placePair(World& w);
// Every slot above the pair waits, out of play, as a star of this mass.
void waitingStars(World& w, double starMass);
// The pair starts with equal and opposite vertical momentum.
void pairMomentum(World& w, double v);

}  // namespace orb
