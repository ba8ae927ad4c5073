#pragma once
// The simulation tick handler: reads what the tick needs from the panel, runs
// one tick of the engine and lets the emitter place the next star.

#include <cstdint>

#include "engine/Ticker.h"
#include "panel/Settings.h"
#include "platform/Stage.h"
#include "scenario/Presets.h"

namespace orb {

// Reads the tick's settings from their texts; a text that fails its strict
// conversion keeps the last value that passed, so the run goes on.
class TickReader {
public:
    TickInputs read(const std::string& exponent, const std::string& starInterval, const std::string& planetoidFactor);

private:
    std::int16_t starInterval_ = 2;
    double planetoidFactor_ = 2;
};

class Simulation : public QObject {
    Q_OBJECT
public:
    Simulation(Stage& stage, Settings& settings, Presets& presets, const KernelSet& kernels);

    const KernelSet& kernels() const { return ticker_.kernels(); }
    // Ticks run since the program started.
    long long ticks() const { return ticks_; }

    void Ti_Timer();

private:
    void starMaker();

    Stage& stage_;
    Settings& settings_;
    Presets& presets_;
    Ticker ticker_;
    TickReader reader_;
    long long ticks_ = 0;
};

}  // namespace orb
