#pragma once
// Scene files: the body table as CSV, a row per slot.

#include <string>
#include <string_view>

#include "base/Files.h"
#include "world/World.h"

namespace orb {

inline constexpr std::string_view kSceneHeader =
    "body,posX,posY,momX,momY,gravity,outOfPlay,bodyType,colRed,colGreen,colBlue";

// All 1000 slots, numbers in the shortest form that reads back exactly.
std::string sceneText(const World& w);

// Replaces the body table with the scene (unlisted slots zero and out of play)
// and gives the highest body number listed. On any error, which names the line,
// the table is left exactly as it was.
Result<int> loadScene(std::string_view text, World& w);

}  // namespace orb
