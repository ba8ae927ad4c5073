#include <gtest/gtest.h>

#include "scenario/StarMaker.h"
#include "support/BodyTable.h"
#include "support/Recording.h"

namespace orb {
namespace {

using test::ScriptedRandom;

// A galaxy as a preset leaves it: sol in the middle, the pair either side,
// stars 3.. waiting.
struct StarRig : ::testing::Test {
    std::unique_ptr<World> w = test::quietWorld(20);
    // The star fields' texts, read as the run's settings read them.
    struct Texts {
        const char* variation;  // SSStar
        const char* spread;     // SSSpos
        const char* divisor;    // SSSmo
        const char* mass;       // TXstarmass
    } texts{"0", "0", ".5", "10"};
    StarFields fields() const
    {
        RunSettings s;
        s.setText(Setting::StarVariation, texts.variation);
        s.setText(Setting::StarSpread, texts.spread);
        s.setText(Setting::StarDivisor, texts.divisor);
        s.setText(Setting::StarMass, texts.mass);
        return starFields(s);
    }
    StarRig()
    {
        test::place(*w, 0, 7680, 5760, 0, 0, 5000);
        test::place(*w, 1, 5680, 5760, 0, -20, 1000);
        test::place(*w, 2, 9680, 5760, 6, 30, 500);
        w->nextStar = 3;
    }
};

TEST_F(StarRig, OddStarsLeaveBody2AndTakeMassFromBody1)
{
    ScriptedRandom rnd;
    const StarResult r = StarMaker(*w, rnd, fields());
    EXPECT_EQ(r.outcome, StarResult::Advanced);
    EXPECT_EQ(r.shown, 3);
    EXPECT_EQ(w->nextStar, 4);
    // Half way between sol and body 2, body 2's momentum reversed over 0.5.
    EXPECT_EQ(w->outOfPlay[3], 0);
    EXPECT_EQ(w->posX[3], 8680);
    EXPECT_EQ(w->posY[3], 5760);
    EXPECT_EQ(w->momX[3], -12);
    EXPECT_EQ(w->momY[3], -60);
    EXPECT_EQ(w->gravity[3], 10);
    EXPECT_EQ(w->gravity[1], 990);
    EXPECT_EQ(w->gravity[2], 500);
    EXPECT_EQ(rnd.drawn, 3);  // divisor, x, y

    // Even stars: beside body 1, mass from body 2.
    ScriptedRandom rnd2;
    EXPECT_EQ(StarMaker(*w, rnd2, fields()).shown, 4);
    EXPECT_EQ(w->posX[4], 6680);
    EXPECT_EQ(w->momX[4], 0);
    EXPECT_EQ(w->momY[4], 40);
    EXPECT_EQ(w->gravity[2], 490);
    EXPECT_EQ(w->gravity[1], 990);
    EXPECT_EQ(w->nextStar, 5);
}

TEST_F(StarRig, VariationAndSpreadUseOneRandomNumberEach)
{
    texts = {"2", "100", ".5", "10"};
    // div = 0.5 + 0.25 * 2 = 1; x = 0.5 * 100 + cx; y = 0.75 * 100 + cy.
    ScriptedRandom rnd{0.25f, 0.5f, 0.75f};
    StarMaker(*w, rnd, fields());
    EXPECT_EQ(w->momX[3], -6);
    EXPECT_EQ(w->momY[3], -30);
    EXPECT_EQ(w->posX[3], 8680 + 50);
    EXPECT_EQ(w->posY[3], 5760 + 75);
}

TEST_F(StarRig, DivisorZeroBecomesOneTenThousandth)
{
    for (const char* divisor : {"0", "", "abc", "-0"}) {
        texts.divisor = divisor;
        w->nextStar = 3;
        w->outOfPlay[3] = 1;
        ScriptedRandom rnd;
        StarMaker(*w, rnd, fields());
        EXPECT_DOUBLE_EQ(w->momX[3], -6 / 0.0001) << '"' << divisor << '"';
        EXPECT_DOUBLE_EQ(w->momY[3], -30 / 0.0001) << '"' << divisor << '"';
    }
}

TEST_F(StarRig, DonorNeverGoesBelowZero)
{
    texts.mass = "600";
    ScriptedRandom rnd;
    StarMaker(*w, rnd, fields());  // star 3 takes 600 of body 1's 1000
    StarMaker(*w, rnd, fields());  // star 4 takes 600 of body 2's 500
    StarMaker(*w, rnd, fields());  // star 5 takes 600 of body 1's 400
    EXPECT_EQ(w->gravity[1], 0);
    EXPECT_EQ(w->gravity[2], 0);
    EXPECT_EQ(w->gravity[5], 600);
}

TEST_F(StarRig, SlotAlreadyInPlayIsSkippedButCounted)
{
    test::place(*w, 3, 100, 200, 1, 2, 3);
    const World before = *w;
    ScriptedRandom rnd;
    const StarResult r = StarMaker(*w, rnd, fields());
    EXPECT_EQ(r.outcome, StarResult::Advanced);
    EXPECT_EQ(r.shown, 3);
    EXPECT_EQ(w->nextStar, 4);
    EXPECT_EQ(test::bodyTableDifference(*w, before), "");
    // The strict fields are not looked at for a skipped slot.
    texts = {"0", "wide", ".5", "heavy"};
    test::place(*w, 4, 100, 200);
    EXPECT_EQ(StarMaker(*w, rnd, fields()).outcome, StarResult::Advanced);
    EXPECT_EQ(w->nextStar, 5);
}

TEST_F(StarRig, StopsPastBodyCount)
{
    w->bodyCount = 4;
    ScriptedRandom rnd;
    EXPECT_EQ(StarMaker(*w, rnd, fields()).outcome, StarResult::Advanced);
    EXPECT_EQ(StarMaker(*w, rnd, fields()).outcome, StarResult::Advanced);
    const World before = *w;
    const int drawn = rnd.drawn;
    EXPECT_EQ(StarMaker(*w, rnd, fields()).outcome, StarResult::Past);
    EXPECT_EQ(w->nextStar, 5);
    EXPECT_EQ(test::bodyTableDifference(*w, before), "");
    EXPECT_EQ(rnd.drawn, drawn);
}

TEST_F(StarRig, BadSpreadOrMassRefusesTheStarUntilFixed)
{
    struct Case {
        const char* spread;
        const char* mass;
    } cases[] = {{"abc", "10"}, {"10", "ten"}, {"", "10"}, {"10", ""}, {"1e999", "10"}, {"5", "1 0"}};
    for (const auto& c : cases) {
        texts = {"2", c.spread, ".5", c.mass};
        const World before = *w;
        ScriptedRandom rnd;
        EXPECT_EQ(StarMaker(*w, rnd, fields()).outcome, StarResult::Refused) << c.spread << " / " << c.mass;
        EXPECT_EQ(test::bodyTableDifference(*w, before), "");
        EXPECT_EQ(w->nextStar, 3);
        EXPECT_EQ(rnd.drawn, 0);  // the random sequence is untouched
    }
    texts = {"0", " 0 ", ".5", "10"};  // blanks around a number are fine
    ScriptedRandom rnd;
    EXPECT_EQ(StarMaker(*w, rnd, fields()).outcome, StarResult::Advanced);
    EXPECT_EQ(w->outOfPlay[3], 0);
}

TEST_F(StarRig, ExtremeFieldsKeepTheTableFinite)
{
    texts = {"1e308", "1e308", "-1e308", "1e308"};
    ScriptedRandom rnd({}, 0.999f);
    for (int k = 0; k < 4; ++k) StarMaker(*w, rnd, fields());
    texts = {"0", "-1e308", "0", "-1e308"};
    for (int k = 0; k < 4; ++k) StarMaker(*w, rnd, fields());
    EXPECT_EQ(w->nextStar, 11);
    EXPECT_TRUE(test::allFinite(*w));
}

}  // namespace
}  // namespace orb
