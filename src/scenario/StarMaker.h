#pragma once
// The star emitter of a galaxy run: brings slot nextStar into play beside one
// member of the binary pair, with that member's momentum mirrored, and takes the
// star's mass from the other member.

#include <optional>

#include "engine/RandomSource.h"
#include "world/RunSettings.h"
#include "world/World.h"

namespace orb {

// The star fields as the emitter reads them.
struct StarFields {
    double momentumVariation = 0;          // SSStar's leading number
    std::optional<double> positionSpread;  // SSSpos, when it is a number
    double momentumDivisor = 0;            // SSSmo's leading number
    std::optional<double> starMass;        // TXstarmass, when it is a number
};

// The star fields as the run's settings hold them now.
inline StarFields starFields(const RunSettings& s)
{
    return {s.lenient(Setting::StarVariation), s.strict(Setting::StarSpread), s.lenient(Setting::StarDivisor),
            s.strict(Setting::StarMass)};
}

struct StarResult {
    enum Outcome { Past, Refused, Advanced } outcome = Past;
    int shown = 0;  // the star number for the "Stars Live" label when Advanced
};

// Brings the next star of the emitter into play at slot nextStar.
// Past: nextStar is beyond bodyCount, nothing changes. Refused: the spread or the
// mass is not a number, nothing changes (not even the random sequence), so the
// same star is tried again next time. Advanced: the star is placed, or its slot
// was already in play and skipped, and nextStar has moved on.
StarResult StarMaker(World& w, RandomSource& rnd, const StarFields& fields);

}  // namespace orb
