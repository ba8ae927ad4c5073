// The body editor's rules: the leave checks, ranging, body numbers, blink colours.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "panel/EditorRules.h"

namespace orb {
namespace {

TEST(EditorRules, LeaveCheckCorrectsTheFirstFieldOutOfRange)
{
    struct Case {
        EditorTexts typed;
        int field;  // -1: none, the values may be applied
        const char* text;
    } cases[] = {
        // One correction at a time, in the order x < 0, y < 0, x > width, y > height, then the momenta.
        {{"-5", "-5", "300", "300", "9"}, 0, "0"},
        {{"100", "-1", "300", "300", "9"}, 1, "0"},
        {{"20000", "-1", "3", "4", "9"}, 1, "0"},
        {{"20000", "12000", "3", "4", "9"}, 0, "15360"},
        {{"100", "12000", "300", "4", "9"}, 1, "11520"},
        {{"100", "200", "-300", "300", "9"}, 2, "-200"},
        {{"100", "200", "300", "-300", "9"}, 2, "200"},
        {{"100", "200", "3", "-250", "9"}, 3, "-200"},
        {{"100", "200", "3", "250", "9"}, 3, "200"},
        // Nothing out of range; gravity has no limits.
        {{"100", "200", "3", "4", "1e9"}, -1, ""},
        {{"15360", "11520", "200", "-200", "0"}, -1, ""},
        {{"0", "0", "-200", "200", "-7.5"}, -1, ""},
        // The width is compared at single precision; texts are read leniently.
        {{"15360.0001", "1", "1", "1", "1"}, -1, ""},
        {{"12abc", "x", "", "3e", "g"}, -1, ""},
    };
    for (const Case& c : cases) {
        const auto fix = leaveCheck(c.typed, 15360, 11520);
        SCOPED_TRACE(c.typed[0] + " " + c.typed[1] + " " + c.typed[2] + " " + c.typed[3]);
        if (c.field < 0) {
            EXPECT_FALSE(fix);
        } else {
            ASSERT_TRUE(fix);
            EXPECT_EQ(fix->field, c.field);
            EXPECT_EQ(fix->text, c.text);
        }
    }
}

TEST(EditorRules, RangingWritesTheLimitsBackAndNeverANaN)
{
    auto w = std::make_unique<World>();
    const double nan = std::nan("");
    struct Case {
        double x, mx, wantX, wantMx;
    } cases[] = {{40000, 1500, 32768, 999}, {-40000, -2000, -32768, -999}, {nan, nan, -32768, -999},
                 {32768, -999, 32768, -999}, {12.5, 3.25, 12.5, 3.25}, {INFINITY, -INFINITY, 32768, -999}};
    for (const Case& c : cases) {
        w->posX[5] = w->posY[5] = c.x;
        w->momX[5] = w->momY[5] = c.mx;
        w->gravity[5] = 1e308;
        rangeBody(*w, 5);
        EXPECT_EQ(w->posX[5], c.wantX);
        EXPECT_EQ(w->posY[5], c.wantX);
        EXPECT_EQ(w->momX[5], c.wantMx);
        EXPECT_EQ(w->momY[5], c.wantMx);
        EXPECT_EQ(w->gravity[5], 1e308) << "gravity is not ranged";
    }
    rangeBody(*w, 1000);  // no such slot: nothing happens
    rangeBody(*w, -1);
}

TEST(EditorRules, BodyNumbers)
{
    EXPECT_EQ(shownBody(0), 0);
    EXPECT_EQ(shownBody(999), 999);
    EXPECT_EQ(shownBody(2.5), 2) << "halves to even";
    EXPECT_FALSE(shownBody(1000));
    EXPECT_FALSE(shownBody(-1));
    EXPECT_FALSE(shownBody(1e300));
    EXPECT_EQ(editedBody("7"), 7);
    EXPECT_EQ(editedBody(" 7 "), 7);
    EXPECT_FALSE(editedBody("1.5")) << "an edit never goes to a neighbour";
    EXPECT_FALSE(editedBody("7x"));
    EXPECT_FALSE(editedBody("1000"));
    EXPECT_FALSE(editedBody(""));
}

TEST(EditorRules, MarkerColoursByBodyType)
{
    EXPECT_EQ(markerColour(0), (Rgb{255, 255, 128}));
    EXPECT_EQ(markerColour(1), (Rgb{255, 191, 0}));
    EXPECT_EQ(markerColour(2), (Rgb{96, 191, 255}));
    EXPECT_EQ(markerColour(3), (Rgb{128, 255, 128}));
    EXPECT_EQ(markerColour(4), (Rgb{255, 192, 128}));
    EXPECT_FALSE(markerColour(5));
    EXPECT_FALSE(markerColour(1.5));
}

}  // namespace
}  // namespace orb
