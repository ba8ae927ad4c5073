#include "scenario/Snapshots.h"

#include <algorithm>

namespace orb {

Snapshots::Snapshots(std::size_t budgetBytes) : budget_(std::max(budgetBytes, 4 * kBytesEach)) {}

void Snapshots::clear()
{
    kept_.clear();
    every_ = kFirstEvery;
}

void Snapshots::take(long long tick, const World& table, const RunSettings& settings, Rng::State random)
{
    if (!kept_.empty() && tick <= kept_.back().tick) return;
    if (bytes() + kBytesEach > budget_) thin();
    if (!due(tick)) return;
    Snapshot s;
    s.tick = tick;
    s.table = std::make_shared<const World>(table);
    s.settings = settings;
    s.random = random;
    kept_.push_back(std::move(s));
}

void Snapshots::thin()
{
    // Every other spacing goes: what is left lies on the doubled spacing.
    every_ *= 2;
    std::erase_if(kept_, [this](const Snapshot& s) { return s.tick % every_ != 0; });
}

const Snapshot* Snapshots::atOrBefore(long long tick) const
{
    auto it = std::upper_bound(kept_.begin(), kept_.end(), tick,
                               [](long long t, const Snapshot& s) { return t < s.tick; });
    return it == kept_.begin() ? nullptr : &*std::prev(it);
}

void Snapshots::dropAfter(long long tick)
{
    std::erase_if(kept_, [tick](const Snapshot& s) { return s.tick > tick; });
}

}  // namespace orb
