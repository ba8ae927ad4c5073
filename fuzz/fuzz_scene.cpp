// The scene parser: a refusal leaves the table as it was and says so in one
// printable line of bounded length; an accepted scene holds only values the
// table may hold, and writes back to the same table.
#include <cmath>
#include <cstdint>
#include <memory>
#include <string_view>

#include "Printable.h"
#include "Require.h"
#include "support/BodyTable.h"
#include "world/SceneFile.h"

namespace {

using namespace orb;

// A table that no scene could hold (colours off the whole numbers, odd play
// states), so any change a refused scene made would show.
const World& filled()
{
    static const std::unique_ptr<World> w = [] {
        auto t = std::make_unique<World>();
        for (int i = 0; i < kSlots; ++i) {
            t->posX[i] = i * 0.5;
            t->posY[i] = -i;
            t->momX[i] = 1.0 / (i + 1);
            t->momY[i] = i;
            t->gravity[i] = 7;
            t->outOfPlay[i] = static_cast<std::int16_t>(i % 3);
            t->bodyType[i] = 9;
            t->colRed[i] = 0.5f;
            t->colGreen[i] = 300;
            t->colBlue[i] = -1;
        }
        return t;
    }();
    return *w;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    auto w = std::make_unique<World>(filled());
    const auto res = loadScene(text, *w);
    if (!res) {
        ORB_REQUIRE(test::bodyTableDifference(*w, filled()).empty());
        ORB_REQUIRE(!res.error().empty() && res.error().size() <= 400);
        ORB_REQUIRE(res.error().rfind("line ", 0) == 0);
        ORB_REQUIRE(printableLine(res.error()));
        return 0;
    }
    ORB_REQUIRE(*res >= 0 && *res <= kMaxBody);
    for (int i = 0; i < kSlots; ++i) {
        for (double v : {w->posX[i], w->posY[i], w->momX[i], w->momY[i], w->gravity[i], w->bodyType[i]})
            ORB_REQUIRE(std::isfinite(v));
        ORB_REQUIRE(w->outOfPlay[i] == 0 || w->outOfPlay[i] == 1);
        for (float c : {w->colRed[i], w->colGreen[i], w->colBlue[i]})
            ORB_REQUIRE(c >= 0 && c <= 255 && c == std::floor(c));
    }
    auto again = std::make_unique<World>();
    const auto back = loadScene(sceneText(*w), *again);
    ORB_REQUIRE(back && *back == kMaxBody);
    ORB_REQUIRE(test::bodyTableDifference(*w, *again).empty());
    return 0;
}
