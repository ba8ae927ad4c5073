#pragma once
// The body table and the run's settings and counters, shared by every part of
// the simulator. Everything is zero at program start except borderMode.

#include <array>
#include <cstdint>

namespace orb {

inline constexpr int kSlots = 1000;   // body numbers 0..999
inline constexpr int kMaxBody = kSlots - 1;

template <class T>
using Slots = std::array<T, kSlots>;

struct World {
    // Body table: one fixed array per quantity, indexed by body number.
    Slots<double> posX{};          // twips, growing rightwards
    Slots<double> posY{};          // twips, growing downwards
    Slots<double> momX{};          // twips added to posX each tick
    Slots<double> momY{};          // twips added to posY each tick
    Slots<double> gravity{};       // the body's mass in g = m / r^e
    Slots<std::int16_t> outOfPlay{};  // 0 in play, 1 out of play
    Slots<double> bodyType{};      // 1 large star, 2 small star, 3 planet, 0 never set
    Slots<float> colRed{};
    Slots<float> colGreen{};
    Slots<float> colBlue{};

    // Run settings and counters.
    std::int16_t bodyCount = 0;       // highest body number of the run, at most 999
    std::int16_t nextStar = 0;        // next slot the star emitter fills
    std::int16_t starDelayCount = 0;  // ticks since the emitter last ran
    double gravityExponent = 0;
    std::int16_t planetRadius = 0;
    std::int16_t coreRadius = 0;
    std::int16_t volatility = 0;
    std::int16_t volatilitySpan = 0;  // 2 * volatility + 1
    std::int16_t taggedBody = 0;
    std::int16_t startMomentum = 0;
    std::int16_t startMomentumSpan = 0;
    std::int16_t startMomentumOffset = 0;
    std::int16_t borderMode = 1;      // divisor of the wrapping border rule

    // The body-table part of the state, without the settings.
    void clearBodies();
};

}  // namespace orb
