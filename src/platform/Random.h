#pragma once
// The uniform random numbers of the simulator: values in [0, 1) at single
// precision, re-seedable so that a seed always gives the same sequence.

#include <cstdint>

namespace orb {

class RandomSource {
public:
    virtual ~RandomSource() = default;
    virtual float rnd() = 0;          // uniform in [0, 1)
    virtual void reseed(double seed) = 0;
};

// Permuted congruential generator (PCG32); 24 bits per value, so every value is
// exact in single precision and strictly below 1.
class Rng final : public RandomSource {
public:
    explicit Rng(double seed = 0) { reseed(seed); }
    float rnd() override;
    void reseed(double seed) override;

private:
    std::uint32_t next();
    std::uint64_t state_ = 0;
    std::uint64_t inc_ = 0;
};

}  // namespace orb
