#pragma once
// The body table compared bit for bit: its fingerprint and a comparison that
// names the first difference.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <sstream>
#include <string>

#include "world/TableHash.h"
#include "world/World.h"

namespace orb::test {

// Every column of the body table, in the fingerprint's order.
template <class F>
void forEachBodyArray(F&& f)
{
    forEachBodyColumn(std::forward<F>(f));
}

// The fingerprint of the body table: equal tables, bit for bit, give equal values.
inline std::uint64_t bodyTableHash(const World& w) { return tableHash(w); }

// Empty when the two body tables are the same bit for bit; else the first array
// and body that differ, with both values.
inline std::string bodyTableDifference(const World& a, const World& b)
{
    std::string why;
    forEachBodyArray([&](const char* name, auto member) {
        const auto &va = a.*member, &vb = b.*member;
        for (std::size_t i = 0; why.empty() && i < va.size(); ++i) {
            if (std::memcmp(&va[i], &vb[i], sizeof va[i]) == 0) continue;
            std::ostringstream os;
            os.precision(17);
            os << name << " of body " << i << ": " << +va[i] << " vs " << +vb[i];
            why = os.str();
        }
    });
    return why;
}

}  // namespace orb::test
