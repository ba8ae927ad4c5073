#include "world/RunSettings.h"

#include <algorithm>
#include <cmath>

#include "base/Numbers.h"

namespace orb {
namespace {

// A setting's control name and the text a new window shows in its field.
struct Default {
    const char* name;
    const char* text;
};

// In the order of the Setting enumeration.
constexpr Default kDefaults[kSettings] = {
    {"TXg(0)", "400"}, {"TXg(1)", "40"},   {"TXg(2)", "2"},      {"TXw(0)", "0"},      {"TXw(1)", "0"},
    {"TXw(2)", "2"},   {"TXn", "150"},     {"Text7", "0"},       {"Text1", "5"},       {"Text5", "5"},
    {"Text4", "1"},    {"Text2", "24"},    {"TXt", "15"},        {"TXr0", "3000"},     {"TXran", "33333"},
    {"TXspread", "0"}, {"SSSpos", "0"},    {"SSStar", "0"},      {"TXMYstar", "18"},   {"SSSlow", "2"},
    {"TXstarmass", "0.1"}, {"SSSmo", ".42"}, {"TXref", "5"},
};

std::string whole(int v) { return std::to_string(v); }

}  // namespace

std::string_view RunSettings::name(Setting s) { return kDefaults[index(s)].name; }

std::string_view RunSettings::defaultText(Setting s) { return kDefaults[index(s)].text; }

std::optional<Setting> RunSettings::named(std::string_view name)
{
    for (int k = 0; k < kSettings; ++k)
        if (name == kDefaults[k].name) return static_cast<Setting>(k);
    return std::nullopt;
}

RunSettings::RunSettings()
{
    for (int k = 0; k < kSettings; ++k) {
        const auto s = static_cast<Setting>(k);
        setText(s, kDefaults[k].text);
        at(s).left = at(s).lenient;
    }
}

void RunSettings::setText(Setting s, std::string_view text)
{
    SettingValue& v = at(s);
    v.text = std::string(text);
    v.lenient = val(text);
    v.strict = strictNumber(text);
    // The tick keeps the last star interval that fits its 16-bit counter.
    if (s == Setting::StarInterval) {
        if (auto n = strictInt16(text)) v.held = *n;
    } else if (v.strict) {
        v.held = *v.strict;
    }
}

bool RunSettings::correct(Setting s, const std::string& text)
{
    if (at(s).text == text) return false;
    setText(s, text);
    return true;
}

bool RunSettings::leave(Setting s, World& w)
{
    SettingValue& v = at(s);
    bool changed = false;
    switch (s) {
    case Setting::SolGravity:
    case Setting::PlanetGravity:
        if (v.lenient < 1) changed = correct(s, "1");
        // A text that is not a number leaves that gravity as it was.
        if (auto g = strict(Setting::PlanetGravity)) w.gravity[1] = *g;
        if (auto g = strict(Setting::SolGravity)) w.gravity[0] = *g;
        break;
    case Setting::Exponent:
        if (v.lenient < 0.4) changed = correct(s, "0.4");
        if (v.lenient > 2.6) changed = correct(s, "2.6");
        if (auto g = strict(Setting::PlanetGravity)) w.gravity[1] = *g;
        if (auto g = strict(Setting::SolGravity)) w.gravity[0] = *g;
        break;
    case Setting::Planets: {
        // Whole numbers only, so that Go's strict reading always succeeds.
        const int n = roundClamp(v.lenient, 3, kMaxBody);
        changed = correct(s, whole(n));
        // Slots above the new count take no part in the run.
        for (int i = n + 1; i <= kMaxBody; ++i) w.outOfPlay[i] = 1;
        break;
    }
    case Setting::Tag: {
        // The tag names a body of the run the next Go starts.
        const int count = roundClamp(std::fabs(lenient(Setting::Planets)), 0, kMaxBody);
        w.taggedBody = static_cast<std::int16_t>(roundClamp(v.lenient, 0, count));
        changed = correct(s, whole(w.taggedBody));
        break;
    }
    case Setting::Radius:
        w.planetRadius = static_cast<std::int16_t>(roundClamp(v.lenient, 1, 32767));
        changed = correct(s, whole(w.planetRadius));
        // The core never reaches beyond the planet, neither the one in use nor
        // the one in its field, which the next Go reads.
        if (w.coreRadius > w.planetRadius || lenient(Setting::Core) > w.planetRadius) {
            w.coreRadius = w.planetRadius;
            correct(Setting::Core, whole(w.coreRadius));
        }
        break;
    case Setting::Core: {
        const int radius = roundClamp(lenient(Setting::Radius), 1, 32767);
        w.coreRadius = static_cast<std::int16_t>(roundClamp(v.lenient, 1, radius));
        changed = correct(s, whole(w.coreRadius));
        break;
    }
    case Setting::Volatility:
        w.volatility = static_cast<std::int16_t>(roundClamp(v.lenient, 0, 16383));
        w.volatilitySpan = static_cast<std::int16_t>(2 * w.volatility + 1);
        changed = correct(s, whole(w.volatility));
        break;
    case Setting::StartMomentum:
        w.startMomentum = static_cast<std::int16_t>(roundClamp(std::fabs(v.lenient), 0, 32766));
        w.startMomentumSpan = static_cast<std::int16_t>(w.startMomentum + 1);
        w.startMomentumOffset = toInt16(w.startMomentum / 4.0).value_or(0);
        changed = correct(s, whole(w.startMomentum));
        break;
    case Setting::TickMs: {
        const int ms = roundClamp(v.lenient, 1, 10000);
        changed = correct(s, whole(ms));
        at(s).left = ms;
        break;
    }
    case Setting::PullRadius: {
        const double r0 = v.lenient >= 1 ? std::min(v.lenient, 100000.0) : 1.0;
        changed = correct(s, numText(r0));
        at(s).left = r0;
        break;
    }
    case Setting::Seed: {
        // A typed seed is a whole 16-bit number.
        const int seed = roundClamp(v.lenient, -32768, 32767);
        changed = correct(s, whole(seed));
        at(s).left = seed;
        break;
    }
    case Setting::DiscSpread: {
        const double spread = v.lenient > 0 ? std::min(v.lenient, 1.0) : 0.0;
        changed = correct(s, numText(spread));
        at(s).left = spread;
        break;
    }
    case Setting::ClearTime: {
        const int seconds = roundClamp(v.lenient, 1, 3600);
        changed = correct(s, whole(seconds));
        at(s).left = seconds;
        break;
    }
    default:
        // The star fields and the factors take any text; their readers keep
        // to what a number allows.
        break;
    }
    return changed;
}

void RunSettings::doubleClick(Setting s)
{
    if (s == Setting::Planets) {
        setText(s, numText(lenient(s) + 1));
        if (lenient(s) > 999) setText(s, "999");
    } else if (s == Setting::Volatility) {
        setText(s, numText(lenient(s) - 1));
        if (lenient(s) < 0) setText(s, "0");
    }
}

void RunSettings::restore(Setting s, std::string_view text, double held, double left)
{
    setText(s, text);
    if (std::isfinite(held)) at(s).held = held;
    if (std::isfinite(left)) at(s).left = left;
}

void RunSettings::setBorderRule(int rule, World& w)
{
    borderRule = rule >= 0 && rule < kBorderRules ? rule : -1;
    if (borderRule >= 0) w.borderMode = borderDivisor(borderRule);
}

double RunSettings::pullFactor(double e) const
{
    if (!keepPull) return 1.0;
    // r0^(e-2): the pull at r0 stays the Newtonian one for every exponent.
    return samePullFactor(left(Setting::PullRadius), e);
}

}  // namespace orb
