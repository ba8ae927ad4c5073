#pragma once
// The time of day as the score clock and Go read it, injectable so that tests
// and the headless runner are exact.

#include <string>

namespace orb {

class TimeSource {
public:
    virtual ~TimeSource() = default;
    // Milliseconds since midnight, 0 .. 86399999.
    virtual long long msSinceMidnight() const = 0;
    // "hh:mm:ss", 24-hour form.
    std::string hhmmss() const;
};

// The computer's own clock, in local time.
class SystemTime final : public TimeSource {
public:
    long long msSinceMidnight() const override;
};

// A clock that stands still until told to move: tests and the headless runner.
class ManualTime final : public TimeSource {
public:
    explicit ManualTime(long long startMs = 12LL * 3600 * 1000) : ms_(startMs) {}
    long long msSinceMidnight() const override;
    void advance(long long ms) { ms_ += ms; }
    void set(long long ms) { ms_ = ms; }
    long long total() const { return ms_; }

private:
    long long ms_;
};

}  // namespace orb
