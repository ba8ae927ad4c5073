// The body editor shown while a run is paused.
#include <array>
#include <cmath>
#include <limits>
#include <vector>

#include "WindowFixture.h"
#include "world/SceneFile.h"

namespace orb::test {
namespace {

QColor textColor(const QWidget* w) { return w->property("textColor").value<QColor>(); }

// A paused run with body 5 in play at (1000, 2000), momentum (3, -4), gravity 9,
// picked in the editor.
class EditorTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        startPreset(2);
        w().pause().Command5_Click();
        ASSERT_FALSE(field("TXTOden")->isHidden());
        setBody(5, 1000, 2000, 3, -4, 9);
        world().bodyType[5] = 3;
        bar("Qui")->setValue(5);
        ASSERT_EQ(field("TXTOden")->text(), "5");
    }

    void setBody(int n, double x, double y, double mx, double my, double g)
    {
        world().posX[n] = x;
        world().posY[n] = y;
        world().momX[n] = mx;
        world().momY[n] = my;
        world().gravity[n] = g;
        world().outOfPlay[n] = 0;
    }
    std::array<double, 5> body(int n)
    {
        return {world().posX[n], world().posY[n], world().momX[n], world().momY[n], world().gravity[n]};
    }
    std::array<std::string, 5> fields()
    {
        std::array<std::string, 5> t;
        for (int k = 0; k < 5; ++k) t[k] = field("TXTp", k)->text().toStdString();
        return t;
    }
    void setFields(const std::array<const char*, 5>& t)
    {
        for (int k = 0; k < 5; ++k) field("TXTp", k)->setText(t[k]);
    }
};

TEST_F(EditorTest, ShowsThePickedBody)
{
    EXPECT_EQ(fields(), (std::array<std::string, 5>{"1000", "2000", "3", "-4", "9"}));
    EXPECT_EQ(field("TxTyp")->text(), "3");
    EXPECT_FALSE(check("Chon")->isChecked());
    // The marker is centred on the body.
    EXPECT_FALSE(marker("Shark")->isHidden());
    const QPointF centre = w().fieldView().toWidget(1000, 2000);
    EXPECT_NEAR(marker("Shark")->geometry().center().x(), centre.x(), 1.5);
    EXPECT_NEAR(marker("Shark")->geometry().center().y(), centre.y(), 1.5);
}

struct LeaveCase {
    std::array<const char*, 5> typed;
    std::array<const char*, 5> after;  // the field texts after one leave
    bool applied;
};

TEST_F(EditorTest, FieldLeaveCorrectsTheFirstFieldOutOfRangeOrAppliesAll)
{
    // The checks themselves are the editor's rules; here, what a leave does with them.
    const std::vector<LeaveCase> cases = {
        {{"-5", "-5", "300", "300", "9"}, {"0", "-5", "300", "300", "9"}, false},
        {{"20000", "12000", "3", "4", "9"}, {"15360", "12000", "3", "4", "9"}, false},
        {{"100", "200", "3", "4", "1e9"}, {"100", "200", "3", "4", "1000000000"}, true},
        {{"0", "0", "-200", "200", "-7.5"}, {"0", "0", "-200", "200", "-7.5"}, true},
    };
    for (const LeaveCase& c : cases) {
        SCOPED_TRACE(std::string(c.typed[0]) + " " + c.typed[1] + " " + c.typed[2] + " " + c.typed[3] + " " +
                     c.typed[4]);
        setBody(5, 1000, 2000, 3, -4, 9);
        setFields(c.typed);
        field("TXTp", 4)->leave();  // the element left does not matter
        std::array<std::string, 5> want;
        for (int k = 0; k < 5; ++k) want[k] = c.after[k];
        EXPECT_EQ(fields(), want);
        if (c.applied) {
            std::array<double, 5> v;
            for (int k = 0; k < 5; ++k) v[k] = std::stod(c.typed[k]);
            EXPECT_EQ(body(5), v);
        } else {
            EXPECT_EQ(body(5), (std::array<double, 5>{1000, 2000, 3, -4, 9})) << "a correction applies nothing";
        }
    }
}

TEST_F(EditorTest, ACorrectedFieldIsAppliedOnTheNextLeave)
{
    field("TXTp", 0)->setText("20000");
    field("TXTp", 0)->leave();
    EXPECT_EQ(field("TXTp", 0)->text(), "15360");
    EXPECT_EQ(world().posX[5], 1000);
    field("TXTp", 1)->leave();
    EXPECT_EQ(world().posX[5], 15360);

    field("TXTp", 2)->setText("300");
    field("TXTp", 2)->leave();
    EXPECT_EQ(field("TXTp", 2)->text(), "200");
    EXPECT_EQ(world().momX[5], 3);
    field("TXTp", 2)->leave();
    EXPECT_EQ(world().momX[5], 200);
}

TEST_F(EditorTest, VisualModeMovesWithTheScrollBarsAndIgnoresTypedAmounts)
{
    option("Opadd", 1)->setChecked(true);
    for (int k = 0; k < 4; ++k) {
        EXPECT_FALSE(bar("Hsp", k)->isHidden()) << k;
        EXPECT_TRUE(field("TXTp", k)->isReadOnly()) << k;
    }
    EXPECT_EQ(bar("Hsp", 2)->minimum(), -999);
    EXPECT_EQ(bar("Hsp", 2)->maximum(), 999);

    // Typed amounts (should any reach the field) are never applied.
    field("TXTp", 2)->setText("7");
    field("TXTp", 2)->leave();
    EXPECT_EQ(world().momX[5], 3);

    // A bar sets its field and applies all five, beyond the typed limit of 200.
    field("TXTp", 2)->setText("3");
    bar("Hsp", 2)->setValue(999);
    EXPECT_EQ(world().momX[5], 999);
    EXPECT_EQ(field("TXTp", 2)->text(), "999");
    bar("Hsp", 0)->setValue(5000);
    EXPECT_EQ(world().posX[5], 5000);
    EXPECT_EQ(world().momX[5], 999);
    bar("Hsp", 3)->setValue(-999);
    EXPECT_EQ(world().momY[5], -999);
    EXPECT_EQ(world().gravity[5], 9);

    // Back to "num": the bars hide and do nothing, the fields are editable again.
    option("Opadd", 0)->setChecked(true);
    for (int k = 0; k < 4; ++k) {
        EXPECT_TRUE(bar("Hsp", k)->isHidden()) << k;
        EXPECT_FALSE(field("TXTp", k)->isReadOnly()) << k;
        EXPECT_FALSE(field("TXTp", k)->isHidden()) << k;
    }
    bar("Hsp", 1)->setValue(300);
    EXPECT_EQ(world().posY[5], 2000);
}

TEST_F(EditorTest, ShowingABodyRangesItsValuesInTheTable)
{
    setBody(5, 40000, -40000, 1500, -2000, 1);
    w().editor().La_Click(0);
    EXPECT_EQ(body(5), (std::array<double, 5>{32768, -32768, 999, -999, 1}));
    EXPECT_EQ(fields(), (std::array<std::string, 5>{"32768", "-32768", "999", "-999", "1"}));

    setBody(5, std::nan(""), 10, std::nan(""), 10, 1);
    w().editor().La_Click(0);
    EXPECT_EQ(world().posX[5], -32768);
    EXPECT_EQ(world().momX[5], -999);

    // A body within the limits is left as it is.
    setBody(5, 32768, -32768, 999, -999, 1);
    w().editor().La_Click(0);
    EXPECT_EQ(body(5), (std::array<double, 5>{32768, -32768, 999, -999, 1}));
}

TEST_F(EditorTest, TheSelectorPicksTheBody)
{
    setBody(7, 11, 22, 1, 2, 3);
    world().bodyType[7] = 2;
    bar("Qui")->setValue(7);
    EXPECT_EQ(field("TXTOden")->text(), "7");
    EXPECT_EQ(field("TxTyp")->text(), "2");
    EXPECT_EQ(fields(), (std::array<std::string, 5>{"11", "22", "1", "2", "3"}));
}

TEST_F(EditorTest, PlanetOffSwitchesTheBodyInAndOutOfPlay)
{
    world().outOfPlay[6] = 1;
    bar("Qui")->setValue(6);
    EXPECT_TRUE(check("Chon")->isChecked());
    EXPECT_EQ(check("Chon")->text(), "Planet OFF");
    EXPECT_EQ(textColor(check("Chon")), QColor(191, 96, 0));

    check("Chon")->setChecked(false);
    EXPECT_EQ(world().outOfPlay[6], 0);
    EXPECT_EQ(check("Chon")->text(), "Planet ON");
    EXPECT_EQ(textColor(check("Chon")), QColor(128, 255, 191));

    check("Chon")->setChecked(true);
    EXPECT_EQ(world().outOfPlay[6], 1);
    EXPECT_EQ(check("Chon")->text(), "Planet OFF");

    // Showing a body in play clears the switch.
    bar("Qui")->setValue(5);
    EXPECT_FALSE(check("Chon")->isChecked());
    EXPECT_EQ(check("Chon")->text(), "Planet ON");
    EXPECT_EQ(world().outOfPlay[6], 1);
}

TEST_F(EditorTest, TheMarkerBlinksInTheColourOfTheBodyType)
{
    const QColor back(48, 48, 48), grey(128, 128, 128);
    struct Case {
        double type;
        QColor colour;
    };
    const std::vector<Case> cases = {
        {0, {255, 255, 128}}, {1, {255, 191, 0}}, {2, {96, 191, 255}}, {3, {128, 255, 128}}, {4, {255, 192, 128}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        world().bodyType[5] = c.type;
        w().editor().La_Click(0);
        if (marker("Shark")->borderColor() != back) w().editor().TiF_Timer();
        ASSERT_EQ(marker("Shark")->borderColor(), back);
        w().editor().TiF_Timer();
        EXPECT_EQ(marker("Shark")->borderColor(), c.colour);
        EXPECT_EQ(marker("Shark")->fillColor(), QColor(Qt::black));
        EXPECT_EQ(textColor(field("TxTyp")), c.colour);
        w().editor().TiF_Timer();
        EXPECT_EQ(marker("Shark")->borderColor(), back);
        EXPECT_EQ(marker("Shark")->fillColor(), grey);
        EXPECT_EQ(textColor(field("TxTyp")), c.colour) << "the type keeps its colour between blinks";
    }

    // Any other type leaves the border as it is.
    world().bodyType[5] = 7;
    w().editor().La_Click(0);
    if (marker("Shark")->borderColor() != back) w().editor().TiF_Timer();
    w().editor().TiF_Timer();
    EXPECT_EQ(marker("Shark")->borderColor(), back);
    EXPECT_EQ(marker("Shark")->fillColor(), QColor(Qt::black));
}

TEST_F(EditorTest, CoreAndRadiusLabelsCopyTheTextsOnly)
{
    const auto core = world().coreRadius, radius = world().planetRadius;
    field("Text1")->setText("7");
    clickLabel("La(2)")->click();
    EXPECT_EQ(field("Text5")->text(), "7");
    field("Text5")->setText("3");
    clickLabel("La(3)")->click();
    EXPECT_EQ(field("Text1")->text(), "3");
    EXPECT_EQ(world().coreRadius, core);
    EXPECT_EQ(world().planetRadius, radius);
}

TEST_F(EditorTest, TextThatIsNotANumberRefusesTheEdit)
{
    const std::string before = sceneText(world());
    const std::vector<std::pair<const char*, int>> badFields = {
        {"12x", 0}, {"abc", 1}, {"", 2}, {"3..4", 3}, {"9 kg", 4},
    };
    for (const auto& [text, k] : badFields) {
        SCOPED_TRACE(text);
        w().editor().La_Click(0);
        field("TXTp", k)->setText(text);
        field("TXTp", k)->leave();
        EXPECT_TRUE(sameLines(sceneText(world()), before));
    }

    // A body number that is not a whole number 0..999 refuses the edit and the switch.
    for (const char* number : {"abc", "-1", "1.5", "0.5"}) {
        SCOPED_TRACE(number);
        field("TXTOden")->setText(number);
        setFields({"100", "200", "3", "4", "9"});
        field("TXTp", 0)->leave();
        check("Chon")->setChecked(!check("Chon")->isChecked());
        EXPECT_TRUE(sameLines(sceneText(world()), before));
    }
}

TEST_F(EditorTest, LastSlotIsUsable)
{
    field("TXTOden")->setText("999");
    w().editor().La_Click(0);
    setFields({"10", "20", "1", "2", "3"});
    field("TXTp", 0)->leave();
    EXPECT_EQ(body(999), (std::array<double, 5>{10, 20, 1, 2, 3}));
}

}  // namespace
}  // namespace orb::test
