#pragma once
// The simulator's uniform random numbers: values in [0, 1) at single precision,
// re-seedable so that a seed always gives the same sequence on every computer.

#include <cstdint>

namespace orb {

// Permuted congruential generator (PCG32); 24 bits per value, so every value is
// exact in single precision and strictly below 1.
class Rng {
public:
    // Where the sequence stands: restored, it goes on with the same values.
    struct State {
        std::uint64_t state = 0;
        std::uint64_t inc = 1;
    };

    explicit Rng(double seed = 0) { reseed(seed); }
    float rnd();
    void reseed(double seed);
    State state() const { return {state_, inc_}; }
    // The increment of the generator is odd: an even one is made odd.
    void restore(State s)
    {
        state_ = s.state;
        inc_ = s.inc | 1u;
    }

private:
    std::uint32_t next();
    std::uint64_t state_ = 0;
    std::uint64_t inc_ = 0;
};

}  // namespace orb
