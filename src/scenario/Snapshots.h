#pragma once
// Snapshots of a run every so many ticks, within a fixed memory budget: the
// body table, the settings and the random numbers as they stood right after a
// tick. As a long run grows past the budget every other snapshot is dropped
// and the spacing doubles, so they stay evenly spread over the whole run.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "base/Random.h"
#include "world/RunSettings.h"
#include "world/World.h"

namespace orb {

struct Snapshot {
    long long tick = 0;
    std::shared_ptr<const World> table;  // the body table and its counters (shared by copies)
    RunSettings settings;
    Rng::State random{};
};

class Snapshots {
public:
    static constexpr std::size_t kBudgetBytes = std::size_t{256} << 20;
    static constexpr long long kFirstEvery = 32;

    explicit Snapshots(std::size_t budgetBytes = kBudgetBytes);

    // Forgets every snapshot; the spacing starts again at kFirstEvery.
    void clear();
    // Whether a snapshot is due after this tick.
    bool due(long long tick) const { return tick % every_ == 0; }
    // Keeps the state after `tick` (later than every snapshot kept), thinning
    // the older ones when the budget would be passed.
    void take(long long tick, const World& table, const RunSettings& settings, Rng::State random);
    // The latest snapshot at or before the tick; null when there is none.
    const Snapshot* atOrBefore(long long tick) const;
    // Forgets the snapshots after the tick (a run going on from a past tick).
    void dropAfter(long long tick);

    long long every() const { return every_; }
    std::size_t count() const { return kept_.size(); }
    // Memory held, and the most the snapshots may hold.
    std::size_t bytes() const { return kept_.size() * kBytesEach; }
    std::size_t budget() const { return budget_; }

    static constexpr std::size_t kBytesEach = sizeof(World) + sizeof(Snapshot) + 64 * kSettings;

private:
    void thin();

    std::size_t budget_;
    long long every_ = kFirstEvery;
    std::vector<Snapshot> kept_;
};

}  // namespace orb
