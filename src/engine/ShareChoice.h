#pragma once
// Whether the pull sums are worth sharing among threads right now. On a busy
// computer the other threads may not get a processor when the tick needs
// them, and then sharing costs more than it saves. So each way's time per
// pair is kept, smoothed, and the faster way taken; now and then a tick goes
// the other way to see whether that has changed. Either way gives the same
// sums bit for bit: only the time differs.

#include <algorithm>

namespace orb {

class ShareChoice {
public:
    // One tick in this many goes the way not taken.
    static constexpr int kLookEvery = 32;

    // Whether the next pull sums are to be shared.
    bool share()
    {
        if (perPair_[kShared] == 0) return true;  // not yet timed: share first
        if (perPair_[kAlone] == 0) return false;  // then alone
        const bool faster = perPair_[kShared] <= perPair_[kAlone];
        if (++sinceLook_ >= kLookEvery) {
            sinceLook_ = 0;
            return !faster;
        }
        return faster;
    }

    // Whether the next share() looks the other way.
    bool looksNext() const { return perPair_[kAlone] != 0 && sinceLook_ == kLookEvery - 1; }

    // The sums of `pairs` pairs took `seconds`, shared or not.
    void took(bool shared, long pairs, double seconds)
    {
        if (pairs <= 0 || !(seconds > 0)) return;
        const double t = seconds / static_cast<double>(pairs);
        double& e = perPair_[shared ? kShared : kAlone];
        // A tick held up once (the thread put aside for another program)
        // counts no more than twice the usual time.
        e = e == 0 ? t : 0.75 * e + 0.25 * std::min(t, 2 * e);
    }

    // The smoothed seconds per pair each way, 0 before the first.
    double perPairShared() const { return perPair_[kShared]; }
    double perPairAlone() const { return perPair_[kAlone]; }

private:
    enum { kAlone, kShared };
    double perPair_[2] = {0, 0};
    int sinceLook_ = 0;
};

}  // namespace orb
