#pragma once
// The body table compared bit for bit: a 64-bit fingerprint (FNV-1a over the
// bytes of every array, in a fixed order) and a comparison that names the
// first difference.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <sstream>
#include <string>

#include "world/World.h"

namespace orb::test {

// Calls f(name, member) for every array of the body table, always in this
// order; member points at the array in a World.
template <class F>
void forEachBodyArray(F&& f)
{
    f("posX", &World::posX);
    f("posY", &World::posY);
    f("momX", &World::momX);
    f("momY", &World::momY);
    f("gravity", &World::gravity);
    f("outOfPlay", &World::outOfPlay);
    f("bodyType", &World::bodyType);
    f("colRed", &World::colRed);
    f("colGreen", &World::colGreen);
    f("colBlue", &World::colBlue);
}

inline std::uint64_t fnv1a(const void* data, std::size_t size, std::uint64_t h = 0xcbf29ce484222325ULL)
{
    const auto* b = static_cast<const unsigned char*>(data);
    for (std::size_t i = 0; i < size; ++i) {
        h ^= b[i];
        h *= 0x100000001b3ULL;
    }
    return h;
}

// The fingerprint of the body table: equal tables, bit for bit, give equal values.
inline std::uint64_t bodyTableHash(const World& w)
{
    std::uint64_t h = 0xcbf29ce484222325ULL;
    forEachBodyArray([&](const char*, auto member) {
        const auto& a = w.*member;
        h = fnv1a(a.data(), sizeof a, h);
    });
    return h;
}

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
