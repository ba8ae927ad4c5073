// The galaxy presets, the seed and the seed ticker.
#include <map>
#include <vector>

#include "WindowFixture.h"
#include "scenario/PresetTable.h"
#include "world/SceneFile.h"

namespace orb::test {
namespace {

class PresetsTest : public WindowTest {
protected:
    // The table after a preset and some ticks, in the scene file's exact form.
    std::string galaxyAfter(const char* seed, int preset, int ticks)
    {
        Fs4x3& win = open(recordPath());
        type(field("TXran"), seed);
        win.presets().CDp_Click(preset);
        for (int k = 0; k < ticks; ++k) win.simulation().Ti_Timer();
        return sceneText(win.world());
    }
};

struct PresetCase {
    int index;
    std::map<std::string, std::string> fields;  // field texts after the preset
    std::string chirp;
    bool autoClear;      // "Auto C" checked, and so the clear timer running
    int clearInterval;   // ms, when running
    double starMass;
    double pairMomentum;
    bool frame4;         // the star parameters shown
};

TEST_F(PresetsTest, EachPresetWritesItsFieldsPlacesThePairAndStartsTheRun)
{
    const std::vector<PresetCase> cases = {
        {0,
         {{"SSSlow", "30"}, {"TXn", "300"}, {"TXstarmass", "0.1"}, {"SSStar", "0.03"}, {"TXref", "10"},
          {"TXMYstar", "18"}},
         "In this model the binary pair lose mass as they emit stars. Stars emitted earlier (outermost) have more "
         "velocity as they are accelerated by a greater gravitational force. ",
         true, 10000, 0.1, 18, false},
        {1,
         {{"TXn", "150"}, {"SSSlow", "10"}, {"TXstarmass", "0.5"}, {"SSStar", "0.03"}, {"TXref", "10"},
          {"TXMYstar", "18"}},
         "This variation emits heavier stars. Notice how the binary pair separate as their masses decrease with "
         "each emitted star. Click pause to examine (or alter) the mass of the bodies.",
         false, 0, 0.5, 18, false},
        {2,
         {{"SSStar", "0"}, {"TXn", "250"}, {"TXMYstar", "18"}, {"TXref", "4"}, {"Text1", "5"}, {"Text5", "5"},
          {"TXstarmass", "0.1"}, {"SSSlow", "2"}},
         "Here the momentum of each star starts the same. The binary pair start out in a uniform (circular) orbit.",
         true, 4000, 0.1, 18, false},
        {3,
         {{"TXn", "150"}, {"TXref", "10"}, {"TXMYstar", "18"}, {"SSSlow", "2"}, {"TXstarmass", "0.1"},
          {"SSStar", "0"}},
         "If you want to alter the variables select this option to start the galaxy. ",
         false, 0, 0.1, 18, true},
        {4,
         {{"TXMYstar", "20"}, {"TXn", "600"}, {"TXstarmass", "0.2"}, {"SSStar", "0"}, {"TXref", "4"},
          {"SSSlow", "4"}, {"Text1", "5"}, {"Text5", "5"}},
         "Irregular starting momentum of the binary pair gives them a non-circular orbital structure. This causes "
         "the stars' momentum to vary which in turn causes the rotation curves to oscillate.",
         true, 4000, 0.2, 20, false},
    };
    const char* captions[5] = {"Light Stars", "Heavy Stars", "Constant Stars", "Variable Model", "Oscillate"};
    for (const PresetCase& c : cases) {
        SCOPED_TRACE("preset " + std::to_string(c.index));
        open(recordPath());
        // Body 0 keeps its gravity and momentum; its place is set and it is put in
        // play with the pair, whatever the last run left of them.
        world().gravity[0] = 77;
        world().momX[0] = 3;
        world().outOfPlay.fill(0);
        world().outOfPlay[0] = world().outOfPlay[1] = world().outOfPlay[2] = 1;  // a pair lost to the border
        field("Text1")->setText("9");
        field("Text5")->setText("2");

        EXPECT_EQ(button("CDp", c.index)->text(), captions[c.index]);
        w().presets().CDp_Click(c.index);
        const World& s = world();

        for (const auto& [name, text] : c.fields)
            EXPECT_EQ(qobject_cast<Field*>(w().control(QString::fromStdString(name)))->text().toStdString(), text)
                << name;
        if (c.index < 2 || c.index == 3) {
            EXPECT_EQ(field("Text1")->text(), "9") << "only presets 2 and 4 write the radii";
            EXPECT_EQ(field("Text5")->text(), "2");
        }
        EXPECT_EQ(label("LaChirp", 0)->text().toStdString(), c.chirp);
        EXPECT_EQ(field("TXg", 0)->text(), "100");
        EXPECT_EQ(field("TXg", 1)->text(), "100");

        // The binary pair and the central body.
        EXPECT_EQ(s.bodyType[1], 1);
        EXPECT_EQ(s.bodyType[2], 2);
        EXPECT_EQ(s.nextStar, 3);
        EXPECT_EQ((std::array{s.posX[0], s.posY[0]}), (std::array{7680.0, 5760.0}));
        EXPECT_EQ((std::array{s.posX[1], s.posY[1]}), (std::array{6912.0, 5760.0}));
        EXPECT_EQ((std::array{s.posX[2], s.posY[2]}), (std::array{8448.0, 5760.0}));
        EXPECT_EQ(s.gravity[1], 100);
        EXPECT_EQ(s.gravity[2], 100);
        EXPECT_EQ((std::array{s.momX[1], s.momY[1], s.momX[2], s.momY[2]}),
                  (std::array{0.0, c.pairMomentum, 0.0, -c.pairMomentum}));
        EXPECT_EQ(s.gravity[0], 77);
        EXPECT_EQ(s.momX[0], 3);
        EXPECT_EQ((std::array<int, 3>{s.outOfPlay[0], s.outOfPlay[1], s.outOfPlay[2]}), (std::array<int, 3>{0, 0, 0}));

        // Every other slot waits as a star of the preset's mass.
        int waiting = 0;
        for (int i = 3; i <= kMaxBody; ++i)
            if (s.outOfPlay[i] == 1 && s.gravity[i] == c.starMass) ++waiting;
        EXPECT_EQ(waiting, kMaxBody - 2);

        // Go was pressed: the run is under way with the preset's count.
        EXPECT_TRUE(timer("Ti")->enabled());
        EXPECT_TRUE(timer("TiK")->enabled());
        EXPECT_EQ(s.bodyCount, std::stoi(c.fields.at("TXn")));
        EXPECT_FALSE(timer("Tr")->enabled()) << "the seed ticker stops";

        EXPECT_EQ(check("CHr")->isChecked(), c.autoClear);
        EXPECT_EQ(timer("Tiball")->enabled(), c.autoClear);
        if (c.autoClear) {
            EXPECT_EQ(timer("Tiball")->interval(), c.clearInterval);
        }
        EXPECT_FALSE(group("Frame1")->isHidden());
        EXPECT_FALSE(group("Frame9")->isHidden());
        EXPECT_EQ(!group("Frame4")->isHidden(), c.frame4);
    }
}

TEST_F(PresetsTest, AutoCUncheckedByAPresetStopsTheClearTimerOfTheRunBefore)
{
    w().presets().CDp_Click(0);
    ASSERT_TRUE(timer("Tiball")->enabled());
    w().presets().CDp_Click(1);
    EXPECT_FALSE(check("CHr")->isChecked());
    EXPECT_FALSE(timer("Tiball")->enabled());
    w().presets().CDp_Click(2);
    EXPECT_TRUE(timer("Tiball")->enabled());
    EXPECT_EQ(timer("Tiball")->interval(), 4000);
}

TEST_F(PresetsTest, FrameNineClickShowsTheStarParameters)
{
    ASSERT_TRUE(group("Frame4")->isHidden());
    get<ClickFrame>("Frame9")->click();
    EXPECT_FALSE(group("Frame4")->isHidden());
}

TEST_F(PresetsTest, TheSameSeedAndPresetGiveTheSameGalaxy)
{
    for (int preset : {0, 4}) {
        SCOPED_TRACE(preset);
        const std::string a = galaxyAfter("4242", preset, 150);
        const std::string b = galaxyAfter("4242", preset, 150);
        EXPECT_TRUE(sameLines(a, b));
        EXPECT_GT(world().nextStar, 5) << "stars were emitted";
        EXPECT_FALSE(a == galaxyAfter("4243", preset, 150)) << "another seed, another galaxy";
    }
}

TEST_F(PresetsTest, APresetPressedWhilePausedResumesFirst)
{
    startPreset(2);
    w().pause().Command5_Click();
    ASSERT_FALSE(field("TxTyp")->isHidden());
    clock.advance(10 * kSecond);
    w().presets().CDp_Click(1);
    EXPECT_TRUE(field("TxTyp")->isHidden());
    EXPECT_TRUE(field("TXTOden")->isHidden());
    EXPECT_TRUE(marker("Shark")->isHidden());
    EXPECT_TRUE(check("Chon")->isHidden());
    EXPECT_FALSE(timer("TiF")->enabled());
    EXPECT_TRUE(timer("Ti")->enabled());
    EXPECT_TRUE(timer("TiK")->enabled());
    EXPECT_FALSE(option("Opadd", 0)->isChecked());
    EXPECT_EQ(world().bodyCount, 150);
    // The resume's hint gives way to the preset's explanation.
    EXPECT_TRUE(label("LaChirp", 0)->text().startsWith("This variation emits heavier stars."));
}

TEST_F(PresetsTest, SeedTickerCountsAndWrapsFrom32000ToMinus32000)
{
    EXPECT_TRUE(timer("Tr")->enabled());
    EXPECT_EQ(timer("Tr")->interval(), 15);
    w().presets().Tr_Timer();
    EXPECT_EQ(field("TXran")->text(), "1");
    w().presets().Tr_Timer();
    EXPECT_EQ(field("TXran")->text(), "2");

    type(field("TXran"), "31999");
    w().presets().Tr_Timer();
    EXPECT_EQ(field("TXran")->text(), "32000");
    w().presets().Tr_Timer();
    EXPECT_EQ(field("TXran")->text(), "-32000");
    w().presets().Tr_Timer();
    EXPECT_EQ(field("TXran")->text(), "-31999");
}

TEST_F(PresetsTest, RandomCheckBoxFreezesAndReleasesTheSeed)
{
    check("CHran")->setChecked(true);
    EXPECT_FALSE(timer("Tr")->enabled());
    check("CHran")->setChecked(false);
    EXPECT_TRUE(timer("Tr")->enabled());
}

TEST_F(PresetsTest, TypedSeedIsAWholeSixteenBitNumberAndFreezesTheTicker)
{
    const std::vector<std::pair<const char*, const char*>> cases = {
        {"123", "123"}, {"12.5", "12"}, {"99999", "32767"}, {"-40000", "-32768"}, {"abc", "0"}, {"-7", "-7"},
    };
    for (const auto& [text, written] : cases) {
        SCOPED_TRACE(text);
        open(recordPath());
        ASSERT_TRUE(timer("Tr")->enabled());
        type(field("TXran"), text);
        EXPECT_EQ(field("TXran")->text().toStdString(), written);
        EXPECT_TRUE(check("CHran")->isChecked());
        EXPECT_FALSE(timer("Tr")->enabled());
    }
}

TEST_F(PresetsTest, ThePresetUsesTheSeedInTheFieldAtThePress)
{
    // The ticker's seed and a typed seed of the same value give the same galaxy.
    for (int k = 0; k < 77; ++k) w().presets().Tr_Timer();
    ASSERT_EQ(field("TXran")->text(), "77");
    w().presets().CDp_Click(0);
    for (int k = 0; k < 60; ++k) w().simulation().Ti_Timer();
    const std::string ticked = sceneText(world());
    EXPECT_TRUE(sameLines(ticked, galaxyAfter("77", 0, 60)));
}

}  // namespace
}  // namespace orb::test

namespace orb::test {
namespace {

// The Balanced Disc keeps the exponent typed, turns "Same pull at r0" on,
// gathers the mass at the centre and places every star at once; the disc then
// holds together, and a spread heats it.
TEST_F(PresetsTest, BalancedDiscPlacesEveryStarForTheTypedLaw)
{
    open(recordPath());
    type(field("TXg", 2), "1.3");
    type(field("TXn"), "200");
    EXPECT_FALSE(check("CHkeep")->isChecked());
    EXPECT_EQ(button("CDp", kBalancedDisc)->text(), "Balanced Disc");
    w().presets().CDp_Click(kBalancedDisc);
    const World& s = world();
    EXPECT_EQ(field("TXg", 2)->text(), "1.3");
    EXPECT_TRUE(check("CHkeep")->isChecked());
    EXPECT_EQ(field("TXg", 0)->text(), "200");
    EXPECT_EQ(s.gravity[0], 200);
    EXPECT_EQ(s.coreRadius, 1);
    EXPECT_EQ((std::array<int, 3>{s.outOfPlay[0], s.outOfPlay[1], s.outOfPlay[2]}), (std::array<int, 3>{0, 1, 1}));
    for (int i = 3; i <= 200; ++i) ASSERT_EQ(s.outOfPlay[i], 0) << i;
    EXPECT_EQ(s.nextStar, 0) << "nothing left to emit";
    EXPECT_EQ(label("LaStar")->text(), "198");
    EXPECT_TRUE(timer("Ti")->enabled());
    for (int k = 0; k < 400; ++k) w().simulation().tick();
    for (int i = 3; i <= 200; ++i) ASSERT_EQ(s.outOfPlay[i], 0) << i;

    // A spread kicks the stars off their circles, from the seed.
    type(field("TXspread"), "5");
    EXPECT_EQ(field("TXspread")->text(), "1") << "at most the circular speed";
    type(field("TXspread"), "0.2");
    type(field("TXran"), "99");
    w().presets().CDp_Click(kBalancedDisc);
    const std::string hot = sceneText(s);
    type(field("TXran"), "99");
    w().presets().CDp_Click(kBalancedDisc);
    EXPECT_EQ(sceneText(s), hot);
    type(field("TXspread"), "0");
    w().presets().CDp_Click(kBalancedDisc);
    EXPECT_NE(sceneText(s), hot);
}

}  // namespace
}  // namespace orb::test
