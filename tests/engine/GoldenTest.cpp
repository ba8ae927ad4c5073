// The outcome of a long crowded run, pinned: every kernel set, at every
// optimisation level the program may be built with and with any number of
// threads, must reach this very body table, or a scene shared by its seed or
// its file plays out differently on another computer.

#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>

#include "engine/PullKernel.h"
#include "engine/Ticker.h"
#include "support/Golden.h"
#include "support/Recording.h"

namespace orb {
namespace {

// The body table after 500 ticks of the 1000-body crowd below. A deliberate
// change to the tick's arithmetic pins the new value, which the test prints.
constexpr std::uint64_t kPinned = 0x5cf101d9fe6659d8ULL;

class Golden : public testing::TestWithParam<int> {};

TEST_P(Golden, CrowdOfAThousandAfter500Ticks)
{
    TickInputs in;
    in.planetoidFactor = 999;
    in.gravityExponent = 2;
    in.borderOption = kWall;
    for (const KernelSet* k : runnableKernelSets()) {
        SCOPED_TRACE(k->name);
        World w = test::goldenCrowd(1000, 4242);
        Ticker ticker(*k, Threading{GetParam(), 0, false});
        SeededRandom rnd(17);
        test::NullCanvas canvas;
        TickStats st;
        for (int t = 0; t < 500; ++t) st += ticker.tick(w, in, canvas, rnd);
        // The scene must really crowd and merge, or the pin guards little.
        EXPECT_GT(st.partialCollisions, 0);
        EXPECT_GT(st.merges, 0);
        EXPECT_TRUE(test::allFinite(w));
        const std::uint64_t h = test::bodyTableHash(w);
        EXPECT_EQ(h, kPinned) << "body table hash 0x" << std::hex << h;
        std::printf("[ %s, %d threads ] border %ld, partial %ld, merges %ld, hash 0x%016" PRIx64 "\n", k->name,
                    GetParam(), st.borderEvents, st.partialCollisions, st.merges, h);
    }
}

// One thread, and two sharing every tick.
INSTANTIATE_TEST_SUITE_P(Threads, Golden, testing::Values(1, 2),
                         [](const auto& info) { return std::to_string(info.param) + "Threads"; });

}  // namespace
}  // namespace orb
