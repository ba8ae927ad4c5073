#pragma once
// Whether the pull sums are worth sharing among threads right now. On a busy
// computer the other threads may not get a processor when the tick needs
// them, and then sharing costs more than it saves. So each way's time per
// pair is kept, smoothed, and the faster way taken; now and then a tick goes
// the other way to see whether that has changed. Either way gives the same
// sums bit for bit: only the time differs.
//
// While sharing is the faster way, the ticks alone could only become the
// faster by sharing becoming slower, which every shared tick shows: so each
// look that finds sharing still faster doubles the wait for the next one (a
// tick alone costs half as much again as a shared one), back to every
// kLookEvery ticks once sharing slows. While the tick runs alone, sharing may
// become the faster again at any time (the program that held the other
// processor is done): then the looks come every kLookEvery ticks.

#include <algorithm>

namespace orb {

class ShareChoice {
public:
    // The shortest wait between looks, in ticks, and the longest.
    static constexpr int kLookEvery = 32;
    static constexpr int kLookAtMost = 1024;
    // Sharing this much slower than at the last look brings the looks back.
    static constexpr double kSlower = 1.25;

    // Whether the next pull sums are to be shared.
    bool share()
    {
        if (perPair_[kShared] == 0) return true;  // not yet timed: share first
        if (perPair_[kAlone] == 0) return false;  // then alone
        const bool faster = sharingFaster();
        if (++sinceLook_ >= lookEvery_) {
            sinceLook_ = 0;
            looking_ = true;
            sharedBefore_ = faster;
            return !faster;
        }
        return faster;
    }

    // Whether the next share() looks the other way.
    bool looksNext() const { return perPair_[kAlone] != 0 && sinceLook_ == lookEvery_ - 1; }
    // Ticks from one look to the next, as things stand.
    int lookEvery() const { return lookEvery_; }

    // The sums of `pairs` pairs took `seconds`, shared or not.
    void took(bool shared, long pairs, double seconds)
    {
        if (pairs <= 0 || !(seconds > 0)) return;
        const double t = seconds / static_cast<double>(pairs);
        double& e = perPair_[shared ? kShared : kAlone];
        // A tick held up once (the thread put aside for another program)
        // counts no more than twice the usual time.
        e = e == 0 ? t : 0.75 * e + 0.25 * std::min(t, 2 * e);
        const bool sharing = sharingFaster();
        if (looking_) {
            looking_ = false;
            lookEvery_ = sharing && sharedBefore_ ? std::min(2 * lookEvery_, kLookAtMost) : kLookEvery;
            sharedAtLook_ = perPair_[kShared];
        } else if (!sharing || perPair_[kShared] > kSlower * sharedAtLook_) {
            // A look already due comes with the next tick, told by looksNext().
            sinceLook_ = std::min(sinceLook_, kLookEvery - 1);
            lookEvery_ = kLookEvery;
        }
    }

    // The smoothed seconds per pair each way, 0 before the first.
    double perPairShared() const { return perPair_[kShared]; }
    double perPairAlone() const { return perPair_[kAlone]; }

private:
    enum { kAlone, kShared };
    bool sharingFaster() const { return perPair_[kAlone] != 0 && perPair_[kShared] <= perPair_[kAlone]; }
    double perPair_[2] = {0, 0};
    int sinceLook_ = 0;
    int lookEvery_ = kLookEvery;
    bool looking_ = false;        // the last share() went the way not taken
    bool sharedBefore_ = false;   // and sharing was the faster way then
    double sharedAtLook_ = 0;     // the time per pair shared, as the last look left it
};

}  // namespace orb
