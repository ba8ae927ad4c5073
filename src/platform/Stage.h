#pragma once
// What every handler of the window shares: the world state, the run's settings,
// the random numbers, the clock, the field and its picture, the run state, the
// timers, the message label and the desktop. The main window owns it for its whole life.

#include "base/TimeSource.h"
#include "engine/RandomSource.h"
#include "platform/Desktop.h"
#include "platform/FieldView.h"
#include "platform/MessageLine.h"
#include "platform/RunState.h"
#include "platform/Timer.h"
#include "world/RunSettings.h"
#include "world/World.h"

namespace orb {

struct Stage {
    World& world;
    RunSettings& settings;
    RandomSource& rng;
    const TimeSource& clock;
    FieldCanvas& canvas;
    FieldView& view;
    RunState& run;
    Timers& timers;
    MessageLine& chirp;
    Desktop& desktop;
};

}  // namespace orb
