#include "engine/Ticker.h"

#include <limits>

#include "engine/Borders.h"

namespace orb {

void starStep(World& w, std::int16_t starInterval, const std::function<void()>& starMaker)
{
    // The count stops at the top of its range rather than wrapping negative,
    // which would hold the next star back for minutes.
    if (w.starDelayCount < std::numeric_limits<std::int16_t>::max()) ++w.starDelayCount;
    if (w.nextStar < w.bodyCount + 1 && w.nextStar > 2 && w.starDelayCount >= starInterval) {
        w.starDelayCount = 0;
        if (starMaker) starMaker();
    }
}

TickStats Ticker::tick(World& w, const TickInputs& in, Canvas& canvas, RandomSource& rnd,
                       const std::function<void()>& starMaker)
{
    TickStats st;
    w.gravityExponent = in.gravityExponent;  // read afresh every tick
    starStep(w, in.starInterval, starMaker);
    st.borderEvents += movePass(w, rnd, in);
    // The close pairs are found from the places, which the pull pass leaves
    // as they are: beside it, on a thread of its own, when it shares its sums.
    const World& seen = w;
    if (!pull_.run(w, in, canvas, rnd, st, [&] { merge_.find(seen); })) merge_.find(w);
    merge_.apply(w, canvas, rnd, st);
    return st;
}

}  // namespace orb
