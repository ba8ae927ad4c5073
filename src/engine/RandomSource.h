#pragma once
// Where the engine takes its random numbers from: the seeded generator in a
// run, a script in tests.

#include "base/Random.h"

namespace orb {

class RandomSource {
public:
    virtual ~RandomSource() = default;
    virtual float rnd() = 0;  // uniform in [0, 1)
    virtual void reseed(double seed) = 0;
};

class SeededRandom final : public RandomSource {
public:
    explicit SeededRandom(double seed = 0) : rng_(seed) {}
    float rnd() override { return rng_.rnd(); }
    void reseed(double seed) override { rng_.reseed(seed); }

private:
    Rng rng_;
};

}  // namespace orb
