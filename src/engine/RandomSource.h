#pragma once
// Where the engine takes its random numbers from: the seeded generator in a
// run, a script in tests.

#include <optional>

#include "base/Random.h"

namespace orb {

class RandomSource {
public:
    virtual ~RandomSource() = default;
    virtual float rnd() = 0;  // uniform in [0, 1)
    virtual void reseed(double seed) = 0;
    // Where the sequence stands, for a generator that can be put back there;
    // nothing for one that cannot (a script in a test).
    virtual std::optional<Rng::State> saveState() const { return std::nullopt; }
    virtual bool restoreState(const Rng::State&) { return false; }
};

class SeededRandom final : public RandomSource {
public:
    explicit SeededRandom(double seed = 0) : rng_(seed) {}
    float rnd() override { return rng_.rnd(); }
    void reseed(double seed) override { rng_.reseed(seed); }
    std::optional<Rng::State> saveState() const override { return rng_.state(); }
    bool restoreState(const Rng::State& s) override
    {
        rng_.restore(s);
        return true;
    }

private:
    Rng rng_;
};

}  // namespace orb
