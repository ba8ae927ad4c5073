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

// Calls f(name, member) for every run counter the body table carries beside
// its columns, always in this order.
template <class F>
void forEachRunCounter(F&& f)
{
    f("bodyCount", &World::bodyCount);
    f("nextStar", &World::nextStar);
    f("starDelayCount", &World::starDelayCount);
    f("gravityExponent", &World::gravityExponent);
    f("planetRadius", &World::planetRadius);
    f("coreRadius", &World::coreRadius);
    f("volatility", &World::volatility);
    f("volatilitySpan", &World::volatilitySpan);
    f("taggedBody", &World::taggedBody);
    f("startMomentum", &World::startMomentum);
    f("startMomentumSpan", &World::startMomentumSpan);
    f("startMomentumOffset", &World::startMomentumOffset);
    f("borderMode", &World::borderMode);
}

// The fingerprint of the body columns (the counters are not part of it).
std::uint64_t tableHash(const World& w);
// "0x" and 16 lower-case hex digits.
std::string hashText(std::uint64_t hash);

}  // namespace orb
