#pragma once
// The star emitter of a galaxy run: brings slot nextStar into play beside one
// member of the binary pair, with that member's momentum mirrored, and takes the
// star's mass from the other member.

#include <string_view>

#include "engine/RandomSource.h"
#include "world/World.h"

namespace orb {

// The texts of the star fields, as typed.
struct StarFields {
    std::string_view momentumVariation;  // SSStar, lenient
    std::string_view positionSpread;     // SSSpos, strict
    std::string_view momentumDivisor;    // SSSmo, lenient
    std::string_view starMass;           // TXstarmass, strict
};

struct StarResult {
    enum Outcome { Past, Refused, Advanced } outcome = Past;
    int shown = 0;  // the star number for the "Stars Live" label when Advanced
};

// Past: nextStar is beyond bodyCount, nothing changes. Refused: the spread or the
// mass is not a number, nothing changes (not even the random sequence), so the
// same star is tried again next time. Advanced: the star is placed, or its slot
// was already in play and skipped, and nextStar has moved on.
StarResult StarMaker(World& w, RandomSource& rnd, const StarFields& fields);

}  // namespace orb
