#pragma once
// The simulator's uniform random numbers: values in [0, 1) at single precision,
// re-seedable so that a seed always gives the same sequence on every computer.

#include <cstdint>

namespace orb {

// Permuted congruential generator (PCG32); 24 bits per value, so every value is
// exact in single precision and strictly below 1.
class Rng {
public:
    explicit Rng(double seed = 0) { reseed(seed); }
    float rnd();
    void reseed(double seed);

private:
    std::uint32_t next();
    std::uint64_t state_ = 0;
    std::uint64_t inc_ = 0;
};

}  // namespace orb
