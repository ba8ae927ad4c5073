#pragma once
// The run's settings as one typed model: every value the tick, Go, the presets,
// the star emitter and the curve read, each kept with its text as typed, the
// values read from that text, and the rule that corrects it when its field is
// left. The fields of the panel write their texts here on every edit; nobody
// else reads a field's text.

#include <array>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "world/World.h"

namespace orb {

// The settings by name.
enum class Setting {
    SolGravity,     // TXg(0)
    PlanetGravity,  // TXg(1)
    Exponent,       // TXg(2): e in g = m / r^e
    Jupiter,        // TXw(0)
    Waterworld,     // TXw(1)
    Planetoid,      // TXw(2): only bodies up to this number attract
    Planets,        // TXn: the run's highest body number
    Tag,            // Text7
    Radius,         // Text1
    Core,           // Text5
    Volatility,     // Text4
    StartMomentum,  // Text2
    TickMs,         // TXt
    PullRadius,     // TXr0: r0 of "Same pull at r0"
    Seed,           // TXran
    DiscSpread,     // TXspread: the Balanced Disc's velocity spread
    StarSpread,     // SSSpos
    StarVariation,  // SSStar
    PairMomentum,   // TXMYstar
    StarInterval,   // SSSlow: ticks between two stars
    StarMass,       // TXstarmass
    StarDivisor,    // SSSmo
    ClearTime,      // TXref: seconds between two clearings of the screen
};
inline constexpr int kSettings = static_cast<int>(Setting::ClearTime) + 1;

// The border rules, in the order of their option buttons.
enum BorderRule { kSlomo = 0, kWall = 1, kWrap = 2, kComet = 3, kChaos = 4, kFourDim = 5, kDie = 6 };
inline constexpr int kBorderRules = 7;

// The wrapping divisor a border rule sets (World::borderMode): Slomo halves.
inline std::int16_t borderDivisor(int rule) { return rule == kSlomo ? 2 : 1; }

// The factor f of "Same pull at r0": r0^(e-2), so that 10000 f m / r0^e is the
// Newtonian 10000 m / r0^2 at r0 for every exponent e; exactly 1 at e = 2.
// Kept finite and positive (a pull that does not exist rather than an infinite
// one), and 1 for a radius or exponent that is not a number.
inline double samePullFactor(double r0, double e)
{
    if (!(r0 > 0) || std::isnan(e) || std::isinf(r0)) return 1;
    const double f = std::pow(r0, e - 2);
    if (std::isinf(f)) return DBL_MAX;
    if (!(f > 0)) return DBL_MIN;
    return f;
}

// One setting: its text as it stands and what is read from it.
struct SettingValue {
    std::string text;
    double lenient = 0;            // the leading number, 0 when there is none
    std::optional<double> strict;  // the whole text as one number, or nothing
    // The last strict reading the setting accepted: a text that is no number
    // (yet) leaves the run with the value before it.
    double held = 0;
    // The value the leave rule fixed when the field was last left.
    double left = 0;
};

class RunSettings {
public:
    RunSettings();

    // The control name ("TXg(2)") and the text a new window shows.
    static std::string_view name(Setting s);
    static std::string_view defaultText(Setting s);
    static std::optional<Setting> named(std::string_view name);

    const SettingValue& operator[](Setting s) const { return values_[index(s)]; }
    const std::string& text(Setting s) const { return (*this)[s].text; }
    double lenient(Setting s) const { return (*this)[s].lenient; }
    std::optional<double> strict(Setting s) const { return (*this)[s].strict; }
    double held(Setting s) const { return (*this)[s].held; }
    double left(Setting s) const { return (*this)[s].left; }

    // An edit: the text as it now stands. The readings follow at once, so a
    // tick in the middle of typing reads what is there.
    void setText(Setting s, std::string_view text);
    // Leaving the field: its rule corrects the text, fixes the value and
    // writes what the run uses at once into the world. True when the text
    // changed.
    bool leave(Setting s, World& w);
    // A double-click on the field: one more planet, one less volatility.
    void doubleClick(Setting s);
    // Puts a setting back as it was kept: its text and the values kept apart
    // from it. A value that is not finite is not taken.
    void restore(Setting s, std::string_view text, double held, double left);

    // The check boxes and the border rule.
    bool keepPull = false;  // CHkeep: "Same pull at r0"
    bool spin = false;      // CHgod: re-appearing planets get a new momentum
    bool autoClear = false; // CHr: the screen clears itself every ClearTime seconds
    int borderRule = kDie;  // 0..6, -1 for none
    // Selects a border rule and sets the world's wrapping divisor.
    void setBorderRule(int rule, World& w);

    // f in g = 10000 f m / r^e at exponent e: 1 unless "Same pull at r0".
    double pullFactor(double exponent) const;
    // The tick's readings: the exponent as typed, the star interval and the
    // planetoid factor as last accepted.
    double exponent() const { return lenient(Setting::Exponent); }
    std::int16_t starInterval() const { return static_cast<std::int16_t>(held(Setting::StarInterval)); }
    double planetoidFactor() const { return held(Setting::Planetoid); }

private:
    static int index(Setting s) { return static_cast<int>(s); }
    SettingValue& at(Setting s) { return values_[index(s)]; }
    // Writes a corrected text (only when it differs, so the readings and the
    // cursor of a field that already holds it stay).
    bool correct(Setting s, const std::string& text);

    std::array<SettingValue, kSettings> values_{};
};

}  // namespace orb
