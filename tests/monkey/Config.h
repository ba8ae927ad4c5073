#pragma once
// How much the monkey does: set from the command line or the environment
// before the tests are registered.

#include <cstdint>

namespace orb::monkey {

struct Config {
    std::uint64_t firstSeed = 1;  // the seeds run are firstSeed, firstSeed + 1, ...
    int seeds = 4;
    long long actions = 1000;  // per seed
    bool trace = false;        // print every action as it is taken
};

Config& config();

}  // namespace orb::monkey
