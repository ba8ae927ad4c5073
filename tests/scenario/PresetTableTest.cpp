// The preset table and the placing every preset shares.
#include <gtest/gtest.h>

#include <memory>

#include "scenario/PresetTable.h"

namespace orb {
namespace {

TEST(PresetTable, CaptionsAndWhatEachWritesBeforeItsClearTimerStarts)
{
    const char* captions[kPresets] = {"Light Stars", "Heavy Stars", "Constant Stars", "Variable Model", "Oscillate",
                                       "Balanced Disc"};
    for (int i = 0; i < kPresets; ++i) {
        const Preset& p = presetTable()[i];
        EXPECT_EQ(p.caption, captions[i]);
        EXPECT_FALSE(p.explanation.empty());
        // "Auto C" restarts the clear timer from the clear time: that is written first.
        bool autoSeen = false;
        for (const PresetStep& s : p.steps) {
            if (s.kind == PresetStep::AutoC) autoSeen = true;
            if (s.kind == PresetStep::Write && s.name == "TXref") EXPECT_FALSE(autoSeen) << p.caption;
        }
    }
    // The numbers are written in the plain text form.
    const auto& light = presetTable()[0].steps;
    EXPECT_EQ(light[2].name, "TXstarmass");
    EXPECT_EQ(light[2].text, "0.1");
    EXPECT_EQ(light[3].text, "0.03");
}

TEST(PresetTable, ThePairAndTheWaitingStars)
{
    auto w = std::make_unique<World>();
    placePair(*w);
    EXPECT_EQ(w->posX[1], 6912);
    EXPECT_EQ(w->posX[2], 8448);
    EXPECT_EQ(w->posX[0], 7680);
    EXPECT_EQ(w->posY[0], 5760);
    EXPECT_EQ(w->posY[1], 5760);
    EXPECT_EQ(w->bodyType[1], 1);
    EXPECT_EQ(w->bodyType[2], 2);
    waitingStars(*w, 0.2);
    for (int i : {3, 500, 999}) {
        EXPECT_EQ(w->outOfPlay[i], 1);
        EXPECT_EQ(w->gravity[i], 0.2);
    }
    EXPECT_EQ(w->outOfPlay[2], 0);
    pairMomentum(*w, 18);
    EXPECT_EQ(w->momY[1], 18);
    EXPECT_EQ(w->momY[2], -18);
    EXPECT_EQ(w->momX[1], 0);
}

}  // namespace
}  // namespace orb
