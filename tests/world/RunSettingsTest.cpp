#include <gtest/gtest.h>

#include <memory>

#include "engine/TickInputs.h"
#include "world/RunSettings.h"

namespace orb {
namespace {

TEST(RunSettings, EveryNameFindsItsSettingAndStartsAsANewWindowShowsIt)
{
    RunSettings s;
    for (int k = 0; k < kSettings; ++k) {
        const auto setting = static_cast<Setting>(k);
        EXPECT_EQ(RunSettings::named(RunSettings::name(setting)), setting) << RunSettings::name(setting);
        EXPECT_EQ(s.text(setting), RunSettings::defaultText(setting));
    }
    EXPECT_EQ(RunSettings::named("TXg"), std::nullopt);
    EXPECT_EQ(RunSettings::named(""), std::nullopt);
}

// The tick reads the exponent as it is typed, and keeps the last star interval
// and planetoid factor that were numbers while their fields hold something else.
TEST(RunSettings, TheTickReadsEveryEditAndKeepsTheLastGoodValue)
{
    RunSettings s;
    s.setText(Setting::Exponent, "1.");
    EXPECT_EQ(tickInputs(s).gravityExponent, 1.0);
    s.setText(Setting::Exponent, "1.5e");
    EXPECT_EQ(tickInputs(s).gravityExponent, 1.5);

    struct Case {
        Setting setting;
        const char* text;
        double held;
    } cases[] = {
        {Setting::StarInterval, "7", 7},     {Setting::StarInterval, "abc", 7}, {Setting::StarInterval, "40000", 7},
        {Setting::StarInterval, "-3", -3},   {Setting::Planetoid, "999", 999},  {Setting::Planetoid, "", 999},
        {Setting::Planetoid, "1e999", 999},  {Setting::Planetoid, "12.5", 12.5},
    };
    for (const Case& c : cases) {
        s.setText(c.setting, c.text);
        EXPECT_EQ(s.held(c.setting), c.held) << RunSettings::name(c.setting) << " \"" << c.text << '"';
    }
    const TickInputs in = tickInputs(s);
    EXPECT_EQ(in.starInterval, -3);
    EXPECT_EQ(in.planetoidFactor, 12.5);
}

TEST(RunSettings, TheTickTakesTheBorderRuleSpinAndPullFactorFromTheModel)
{
    auto w = std::make_unique<World>();
    RunSettings s;
    EXPECT_EQ(tickInputs(s).borderOption, kDie);
    s.setBorderRule(kSlomo, *w);
    EXPECT_EQ(w->borderMode, 2);
    s.setBorderRule(kWrap, *w);
    EXPECT_EQ(w->borderMode, 1);
    s.setBorderRule(9, *w);
    EXPECT_EQ(tickInputs(s).borderOption, -1);
    s.spin = true;
    EXPECT_TRUE(tickInputs(s).spin);

    // r0 counts as its field was last left, not as it is being typed.
    s.setText(Setting::Exponent, "1");
    EXPECT_EQ(tickInputs(s).pullFactor, 1.0);
    s.keepPull = true;
    EXPECT_DOUBLE_EQ(tickInputs(s).pullFactor, 1.0 / 3000);
    s.setText(Setting::PullRadius, "100");
    EXPECT_DOUBLE_EQ(tickInputs(s).pullFactor, 1.0 / 3000);
    s.leave(Setting::PullRadius, *w);
    EXPECT_DOUBLE_EQ(tickInputs(s).pullFactor, 1.0 / 100);
}

// Leaving a field fixes its value and corrects its text; the values kept
// apart from the text follow the corrected one.
TEST(RunSettings, LeavingFixesTheValueAndTheText)
{
    auto w = std::make_unique<World>();
    struct Case {
        Setting setting;
        const char* typed;
        const char* shown;
        double left;
    } cases[] = {
        {Setting::PullRadius, "0", "1", 1},         {Setting::PullRadius, "1e9", "100000", 100000},
        {Setting::PullRadius, "250.5x", "250.5", 250.5},
        {Setting::DiscSpread, "-1", "0", 0},        {Setting::DiscSpread, "0.25", "0.25", 0.25},
        {Setting::DiscSpread, "7", "1", 1},         {Setting::Seed, "40000", "32767", 32767},
        {Setting::Seed, "-7.5", "-8", -8},          {Setting::TickMs, "0", "1", 1},
        {Setting::ClearTime, "abc", "1", 1},        {Setting::ClearTime, "99999", "3600", 3600},
    };
    for (const Case& c : cases) {
        RunSettings s;
        s.setText(c.setting, c.typed);
        EXPECT_EQ(s.leave(c.setting, *w), std::string(c.typed) != c.shown) << c.typed;
        EXPECT_EQ(s.text(c.setting), c.shown) << c.typed;
        EXPECT_EQ(s.left(c.setting), c.left) << c.typed;
    }
    // Fields without a rule keep any text.
    RunSettings s;
    s.setText(Setting::StarMass, "heavy");
    EXPECT_FALSE(s.leave(Setting::StarMass, *w));
    EXPECT_EQ(s.text(Setting::StarMass), "heavy");
    EXPECT_EQ(s.strict(Setting::StarMass), std::nullopt);
}

}  // namespace
}  // namespace orb
