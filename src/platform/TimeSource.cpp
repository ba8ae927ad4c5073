#include "platform/TimeSource.h"

#include <cstdio>

namespace orb {

std::string TimeSource::hhmmss() const
{
    long long s = msSinceMidnight() / 1000;
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02lld:%02lld:%02lld", (s / 3600) % 24, (s / 60) % 60, s % 60);
    return buf;
}

long long ManualTime::msSinceMidnight() const
{
    constexpr long long day = 24LL * 3600 * 1000;
    return ((ms_ % day) + day) % day;
}

}  // namespace orb
