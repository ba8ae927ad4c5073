#pragma once
// A run's journal: where the run started (the body table, the settings and the
// random numbers) and every input since that changes what the tick computes,
// stamped with the tick at which it took effect. Played back from its start it
// gives the same body table bit for bit.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/Random.h"
#include "world/World.h"

namespace orb {

struct JournalEntry {
    long long tick = 0;  // ticks run since the journal began when it took effect
    // "type" (a field's text changed), "leave" (a field was left and its rule
    // ran), "check" (a check box or option button set; text "1" or "0"),
    // "click" (a button or menu action), "scene" (a scene file loaded; text =
    // its CSV), "edit" (a cell of the body table changed by the body editor;
    // name "posX(12)", text its value), "hash" (the table's hash at that tick,
    // a check for the replay).
    std::string action;
    std::string name;  // the control's object name, e.g. "TXg(2)", "Command2"; empty for "scene"
    std::string text;
    int line = 0;  // the line of the run file it was read from; 0 when recorded
};

// A setting as the run's settings model holds it: its text, and the values
// kept apart from the text (the last accepted number, the value its field's
// rule fixed when last left). Check boxes and the border rule carry only text.
struct JournalSetting {
    std::string name;
    std::string text;
    std::optional<double> held;
    std::optional<double> left;
};

struct JournalStart {
    World table;  // the body columns and the run counters (bodyCount .. borderMode)
    std::vector<JournalSetting> settings;
    Rng::State random{};
};

struct Journal {
    JournalStart start;
    std::vector<JournalEntry> entries;  // in the order they happened; ticks never go down
    long long endTick = 0;              // ticks run when the file was written
    std::uint64_t endHash = 0;          // the body table's hash then
};

}  // namespace orb
