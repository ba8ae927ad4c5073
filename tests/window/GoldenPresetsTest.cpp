// The galaxies, each from a fixed seed, come out the same bit for bit
// whichever set of pull kernels the computer runs: a galaxy shared by its seed
// is the same galaxy everywhere.
#include "WindowFixture.h"
#include "scenario/PresetTable.h"
#include "support/Golden.h"

namespace orb::test {
namespace {

class GoldenPresetsTest : public WindowTest {};

TEST_F(GoldenPresetsTest, EachPresetGivesThePinnedGalaxyWithEveryKernelSet)
{
    // FNV-1a of the body table after 3000 ticks from seed 4242.
    const std::uint64_t pinned[kPresets] = {
        0xe12a9a7c70a51a02ULL, 0xff3c96fa4b2034acULL, 0xec62aafce3261b19ULL, 0xa8a94849de13eaaeULL,
        0xbf4b680787413442ULL, 0xd028cf8272ac4834ULL,
    };
    for (const KernelSet* k : runnableKernelSets()) {
        for (int preset = 0; preset < kPresets; ++preset) {
            SCOPED_TRACE(testing::Message() << k->name << ", preset " << preset);
            open(recordPath(), nullptr, k);
            type(field("TXran"), "4242");
            w().presets().CDp_Click(preset);
            for (int t = 0; t < 3000; ++t) w().simulation().tick();
            EXPECT_EQ(bodyTableHash(world()), pinned[preset]);
        }
    }
}

}  // namespace
}  // namespace orb::test
