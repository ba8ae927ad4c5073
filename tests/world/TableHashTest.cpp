#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "world/TableHash.h"

namespace orb {
namespace {

// One bit of any slot of any column changes the hash; the text is 0x and 16
// hex digits.
TEST(TableHash, OneBitAnywhereChangesIt)
{
    auto w = std::make_unique<World>();
    const std::uint64_t empty = tableHash(*w);
    forEachBodyColumn([&](const char* name, auto member) {
        for (int slot : {0, 517, kMaxBody}) {
            auto& cell = ((*w).*member)[slot];
            unsigned char bytes[sizeof cell];
            std::memcpy(bytes, &cell, sizeof cell);
            bytes[sizeof cell - 1] ^= 1;  // the sign or top bit
            std::memcpy(&cell, bytes, sizeof cell);
            EXPECT_NE(tableHash(*w), empty) << name << " of body " << slot;
            bytes[sizeof cell - 1] ^= 1;
            std::memcpy(&cell, bytes, sizeof cell);
            EXPECT_EQ(tableHash(*w), empty);
        }
    });
    EXPECT_EQ(hashText(0x1234abcdULL), "0x000000001234abcd");
    EXPECT_EQ(hashText(~0ULL), "0xffffffffffffffff");
}

}  // namespace
}  // namespace orb
