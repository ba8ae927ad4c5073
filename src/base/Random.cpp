#include "base/Random.h"

#include <cmath>
#include <cstring>

namespace orb {

std::uint32_t Rng::next()
{
    std::uint64_t old = state_;
    state_ = old * 6364136223846793005ULL + inc_;
    auto xorshifted = static_cast<std::uint32_t>(((old >> 18u) ^ old) >> 27u);
    auto rot = static_cast<std::uint32_t>(old >> 59u);
    return (xorshifted >> rot) | (xorshifted << ((32u - rot) & 31u));
}

float Rng::rnd()
{
    return static_cast<float>(next() >> 8) * (1.0f / 16777216.0f);
}

void Rng::reseed(double seed)
{
    // Whole seeds map to themselves, others to their bit pattern; -0 is 0.
    std::uint64_t key = 0;
    if (std::isfinite(seed) && seed == std::floor(seed) && std::fabs(seed) < 9.0e18) {
        key = static_cast<std::uint64_t>(static_cast<std::int64_t>(seed));
    } else if (!std::isnan(seed)) {
        std::memcpy(&key, &seed, sizeof key);
    }
    state_ = 0;
    inc_ = (key << 1u) | 1u;
    next();
    state_ += 0x853c49e6748fea9bULL ^ key;
    next();
}

}  // namespace orb
