// The settings fields' own handlers, and the small handlers of the planet
// count, the central gravities and the volatility.
#include <utility>
#include <vector>

#include <QTest>

#include "WindowFixture.h"

namespace orb::test {
namespace {

class SettingsTest : public WindowTest {};

using Member = std::int16_t World::*;

struct LeaveCase {
    const char* field;
    const char* text;
    const char* written;  // the field's text after leaving it
    std::vector<std::pair<Member, int>> world;
};

TEST_F(SettingsTest, LeavingASettingsFieldRangesItAndWritesTheWholeNumberBack)
{
    const std::vector<LeaveCase> cases = {
        {"Text1", "7.5", "8", {{&World::planetRadius, 8}}},
        {"Text1", "0", "1", {{&World::planetRadius, 1}}},
        {"Text1", "-4", "1", {{&World::planetRadius, 1}}},
        {"Text1", "abc", "1", {{&World::planetRadius, 1}}},
        {"Text1", "99999", "32767", {{&World::planetRadius, 32767}}},
        {"Text5", "3.5", "4", {{&World::coreRadius, 4}}},
        {"Text5", "9", "5", {{&World::coreRadius, 5}}},  // not beyond the radius "5"
        {"Text5", "0", "1", {{&World::coreRadius, 1}}},
        {"Text5", "x", "1", {{&World::coreRadius, 1}}},
        {"Text4", "3", "3", {{&World::volatility, 3}, {&World::volatilitySpan, 7}}},
        {"Text4", "2.5", "2", {{&World::volatility, 2}, {&World::volatilitySpan, 5}}},
        {"Text4", "-2", "0", {{&World::volatility, 0}, {&World::volatilitySpan, 1}}},
        {"Text4", "20000", "16383", {{&World::volatility, 16383}, {&World::volatilitySpan, 32767}}},
        {"Text2",
         "24",
         "24",
         {{&World::startMomentum, 24}, {&World::startMomentumSpan, 25}, {&World::startMomentumOffset, 6}}},
        {"Text2",
         "-10",
         "10",
         {{&World::startMomentum, 10}, {&World::startMomentumSpan, 11}, {&World::startMomentumOffset, 2}}},
        {"Text2",
         "14",
         "14",
         {{&World::startMomentum, 14}, {&World::startMomentumSpan, 15}, {&World::startMomentumOffset, 4}}},
        {"Text2",
         "40000",
         "32766",
         {{&World::startMomentum, 32766}, {&World::startMomentumSpan, 32767}, {&World::startMomentumOffset, 8192}}},
        {"Text2",
         "abc",
         "0",
         {{&World::startMomentum, 0}, {&World::startMomentumSpan, 1}, {&World::startMomentumOffset, 0}}},
        {"Text7", "12", "12", {{&World::taggedBody, 12}}},
        {"Text7", "200", "150", {{&World::taggedBody, 150}}},  // not above the count "150"
        {"Text7", "-3", "0", {{&World::taggedBody, 0}}},
        {"Text7", "7.5", "8", {{&World::taggedBody, 8}}},
        {"TXt", "0", "1", {}},
        {"TXt", "12.5", "12", {}},
        {"TXt", "20000", "10000", {}},
        {"TXref", "0", "1", {}},
        {"TXref", "-8", "1", {}},
        {"TXref", "4000", "3600", {}},
        {"TXref", "2.5", "2", {}},
    };
    for (const LeaveCase& c : cases) {
        SCOPED_TRACE(std::string(c.field) + " \"" + c.text + "\"");
        open(recordPath());
        auto* f = qobject_cast<Field*>(w().control(c.field));
        ASSERT_NE(f, nullptr);
        type(f, c.text);
        EXPECT_EQ(f->text().toStdString(), c.written);
        for (const auto& [member, value] : c.world) EXPECT_EQ(world().*member, value);
    }
}

TEST_F(SettingsTest, ChangesToTheFieldsTakeEffectOnlyWhenLeft)
{
    // At program start the fields show "1" and "24" while the world holds 0.
    EXPECT_EQ(world().volatility, 0);
    EXPECT_EQ(world().volatilitySpan, 0);
    EXPECT_EQ(world().startMomentum, 0);
    EXPECT_EQ(world().startMomentumSpan, 0);
    EXPECT_EQ(world().startMomentumOffset, 0);
    field("Text4")->setText("5");
    EXPECT_EQ(world().volatility, 0);
    field("Text4")->leave();
    EXPECT_EQ(world().volatility, 5);
}

TEST_F(SettingsTest, TagIsBoundedByTheAbsolutePlanetCount)
{
    field("TXn")->setText("-40");
    type(field("Text7"), "100");
    EXPECT_EQ(field("Text7")->text(), "40");
    EXPECT_EQ(world().taggedBody, 40);
}

TEST_F(SettingsTest, ASmallerRadiusLowersTheCore)
{
    type(field("Text5"), "5");
    ASSERT_EQ(world().coreRadius, 5);
    type(field("Text1"), "3");
    EXPECT_EQ(world().planetRadius, 3);
    EXPECT_EQ(world().coreRadius, 3);
    EXPECT_EQ(field("Text5")->text(), "3");

    // A larger radius leaves the core alone.
    type(field("Text1"), "9");
    EXPECT_EQ(world().coreRadius, 3);
    EXPECT_EQ(field("Text5")->text(), "3");
}

TEST_F(SettingsTest, ASmallerRadiusLowersTheCoreFieldBeforeTheCoreWasEverLeft)
{
    // The core field shows "5" from the start; Go would read it as the core.
    type(field("Text1"), "3");
    EXPECT_EQ(field("Text5")->text(), "3");
    w().go().Command2_Click();
    EXPECT_EQ(world().planetRadius, 3);
    EXPECT_EQ(world().coreRadius, 3);
}

TEST_F(SettingsTest, PlanetCountLeaveKeepsItWithin3To999)
{
    const std::vector<std::pair<const char*, const char*>> cases = {
        {"2", "3"},   {"999", "999"}, {"150", "150"}, {"-5", "3"}, {"abc", "3"},
        {"1e3", "999"}, {"12.6", "13"}, {"2.5", "3"},
        {"1000", "999"},  // only from code: a user types three characters at most
    };
    for (const auto& [text, written] : cases) {
        field("TXn")->setText(text);
        field("TXn")->leave();
        EXPECT_EQ(field("TXn")->text().toStdString(), written) << text;
    }
}

TEST_F(SettingsTest, FieldsLimitWhatIsTypedButNotWhatTheProgramWrites)
{
    field("TXn")->selectAll();
    QTest::keyClicks(field("TXn"), "1000");
    EXPECT_EQ(field("TXn")->text(), "100");
    field("TXn")->setText("1000");
    EXPECT_EQ(field("TXn")->text(), "1000");

    field("TXTp", 4)->setText("");
    QTest::keyClicks(field("TXTp", 4), "1234567890");
    EXPECT_EQ(field("TXTp", 4)->text(), "123456789");
    // Deleting from a longer text shown by the program is typing too.
    field("TXTp", 4)->setText("97.2999999999999");
    field("TXTp", 4)->end(false);
    QTest::keyClick(field("TXTp", 4), Qt::Key_Backspace);
    EXPECT_EQ(field("TXTp", 4)->text(), "97.299999999999");
    QTest::keyClick(field("TXTp", 4), Qt::Key_5);
    EXPECT_EQ(field("TXTp", 4)->text(), "97.299999999999");
}

TEST_F(SettingsTest, PlanetCountLeaveTakesTheSlotsAboveTheCountOutOfPlay)
{
    world().outOfPlay.fill(0);
    type(field("TXn"), "40");
    EXPECT_EQ(world().outOfPlay[3], 0);
    EXPECT_EQ(world().outOfPlay[40], 0) << "the count's own slot stays in play";
    EXPECT_EQ(world().outOfPlay[41], 1);
    EXPECT_EQ(world().outOfPlay[999], 1);

    world().outOfPlay.fill(0);
    type(field("TXn"), "999");
    EXPECT_EQ(world().outOfPlay[999], 0);
}

TEST_F(SettingsTest, PlanetCountDoubleClickCountsUpToAtMost999)
{
    const std::vector<std::pair<const char*, const char*>> cases = {
        {"150", "151"}, {"998", "999"}, {"999", "999"}, {"abc", "1"}, {"12.5", "13.5"}, {"998.5", "999"},
    };
    for (const auto& [text, written] : cases) {
        field("TXn")->setText(text);
        field("TXn")->doubleClick();
        EXPECT_EQ(field("TXn")->text().toStdString(), written) << text;
    }
}

TEST_F(SettingsTest, CentralGravityLeaveRules)
{
    struct Case {
        int index;
        const char* text;
        const char* written;
        double sol, largest;  // gravity of bodies 0 and 1 afterwards
    };
    // Fields start at "400", "40" and "2".
    const std::vector<Case> cases = {
        {0, "0", "1", 1, 40},
        {0, "-3", "1", 1, 40},
        {0, "250", "250", 250, 40},
        {1, "0.5", "1", 400, 1},
        {1, "77", "77", 400, 77},
        {0, "12abc", "12abc", -1, 40},  // not a number: body 0 keeps its gravity
        {2, "3", "2.6", 400, 40},
        {2, "0.1", "0.4", 400, 40},
        {2, "0", "0.4", 400, 40},
        {2, "abc", "0.4", 400, 40},
        {2, "2", "2", 400, 40},
        {2, "1.7", "1.7", 400, 40},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("TXg(") + std::to_string(c.index) + ") \"" + c.text + "\"");
        open(recordPath());
        world().gravity[0] = -1;
        world().gravity[1] = -1;
        world().gravity[2] = -7;
        type(field("TXg", c.index), c.text);
        EXPECT_EQ(field("TXg", c.index)->text().toStdString(), c.written);
        EXPECT_EQ(world().gravity[0], c.sol);
        EXPECT_EQ(world().gravity[1], c.largest);
        EXPECT_EQ(world().gravity[2], -7) << "body 2 is not a central gravity";
    }
}

TEST_F(SettingsTest, VolatilityDoubleClickCountsDownToZero)
{
    const std::vector<std::pair<const char*, const char*>> cases = {
        {"3", "2"}, {"1", "0"}, {"0", "0"}, {"0.5", "0"}, {"abc", "0"}, {"2.5", "1.5"},
    };
    for (const auto& [text, written] : cases) {
        field("Text4")->setText(text);
        field("Text4")->doubleClick();
        EXPECT_EQ(field("Text4")->text().toStdString(), written) << text;
    }
    EXPECT_EQ(world().volatility, 0) << "the setting follows only when the field is left";
}

}  // namespace
}  // namespace orb::test
