#pragma once
// Scene files: the body table as CSV, a row per slot.

#include <string>
#include <string_view>

#include "platform/Files.h"
#include "world/World.h"

namespace orb {

inline constexpr std::string_view kSceneHeader =
    "body,posX,posY,momX,momY,gravity,outOfPlay,bodyType,colRed,colGreen,colBlue";

// All 1000 slots, numbers in the shortest form that reads back exactly.
std::string sceneText(const World& w);

struct SceneLoad {
    bool ok = false;
    std::string error;  // names the line when not ok
    int highest = -1;   // highest body number listed
};

// Replaces the body table with the scene (unlisted slots zero and out of play).
// On any error the table is left exactly as it was.
SceneLoad loadScene(std::string_view text, World& w);

}  // namespace orb
