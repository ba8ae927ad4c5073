#pragma once
// The body table's fingerprint: 64-bit FNV-1a over the bytes of every slot of
// every column, always in one order. Equal tables, bit for bit, give equal
// values; two people who see the same hash saw the same galaxy.

#include <cstdint>
#include <string>

#include "world/World.h"

namespace orb {

// Calls f(name, member) for every column of the body table, always in this
// order; member points at the column in a World.
template <class F>
void forEachBodyColumn(F&& f)
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

std::uint64_t tableHash(const World& w);
// "0x" and 16 lower-case hex digits.
std::string hashText(std::uint64_t hash);

}  // namespace orb
