#include "base/TimeSource.h"

#include <chrono>
#include <cstdio>
#include <ctime>

namespace orb {

std::string TimeSource::hhmmss() const
{
    long long s = msSinceMidnight() / 1000;
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02lld:%02lld:%02lld", (s / 3600) % 24, (s / 60) % 60, s % 60);
    return buf;
}

long long SystemTime::msSinceMidnight() const
{
    const auto now = std::chrono::system_clock::now();
    const std::time_t t = std::chrono::system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&t, &local);
    const long long ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    return ((local.tm_hour * 60LL + local.tm_min) * 60 + local.tm_sec) * 1000 + ms;
}

long long ManualTime::msSinceMidnight() const
{
    constexpr long long day = 24LL * 3600 * 1000;
    return ((ms_ % day) + day) % day;
}

}  // namespace orb
