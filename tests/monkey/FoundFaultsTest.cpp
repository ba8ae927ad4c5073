// Faults the monkey found, kept as tests: handlers called with what no control
// would pass them, values far beyond the field.
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstring>
#include <limits>

#include "monkey/Monkey.h"
#include "window/WindowFixture.h"

namespace orb::test {
namespace {

TEST_F(WindowTest, AScrollBarIndexOutsideTheFourBarsIsIgnored)
{
    startPreset(2);
    w().pause().Command5_Click();
    option("Opadd", 1)->click();  // visual: the bars move the body
    const World before = world();
    const QString x = field("TXTp", 0)->text();
    for (int index : {-1, 4, 7, INT_MIN, INT_MAX}) {
        w().editor().Hsp_Change(index);
        EXPECT_EQ(field("TXTp", 0)->text(), x) << index;
    }
    EXPECT_EQ(std::memcmp(world().posX.data(), before.posX.data(), sizeof before.posX), 0);
    EXPECT_EQ(std::memcmp(world().momY.data(), before.momY.data(), sizeof before.momY), 0);
}

// Go reads the planet count a menu shortcut can reach before the field is left.
TEST_F(WindowTest, GoKeepsColoursWithinRangeForACountThatIsNotWhole)
{
    for (const char* count : {"3.5", "4.5", "150.5", "998.7", "12abc", "-3.5"}) {
        field("TXn")->setText(count);
        w().go().Command2_Click();
        EXPECT_EQ(monkey::worldFault(world()), "") << count;
    }
}

// A body flung far away (a scene may place one at 1e308) is marked off the
// field: its place must never reach a whole-pixel conversion it does not fit.
TEST(FieldViewPlace, APlaceFarOffTheFieldStaysOffItAndWhole)
{
    FieldCanvas canvas;
    FieldView view(canvas);
    view.resize(1024, 768);
    QWidget child(&view);
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    struct Case {
        double left, top;
        int sideX, sideY;  // where the child must end up: -1 left/above, +1 right/below, 0 on the field
    };
    for (const Case& c : {Case{1e308, 1e308, 1, 1}, Case{-1e308, -DBL_MAX, -1, -1}, Case{inf, -inf, 1, -1},
                          Case{nan, nan, 0, 0}, Case{7680, 5760, 0, 0}}) {
        view.place(&child, c.left, c.top, 225, 225);
        const QRect g = child.geometry();
        auto side = [](int at, int size) { return at >= size ? 1 : at < -225 ? -1 : 0; };
        EXPECT_EQ(side(g.x(), view.width()), c.sideX) << c.left;
        EXPECT_EQ(side(g.y(), view.height()), c.sideY) << c.top;
        EXPECT_GE(g.width(), 1);
        EXPECT_LE(g.width(), 100);
    }
}

TEST_F(WindowTest, TheMarkerOfABodyFarAwayIsPlacedOffTheField)
{
    startPreset(2);
    w().pause().Command5_Click();
    const int width = w().fieldView().width();
    for (double x : {1e308, DBL_MAX, -1e308, 1e-320}) {
        world().posX[5] = x;
        world().posY[5] = 5760;
        w().editor().Ocean(5);
        const QRect g = marker("Shark")->geometry();
        EXPECT_EQ(g.x() >= width, x > 1e300) << x;
        EXPECT_EQ(g.right() < 0, x < -1e300) << x;
    }
}

}  // namespace
}  // namespace orb::test
