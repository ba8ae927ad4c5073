#pragma once
// Scene files: the body table as CSV, a row per slot.

#include <cstddef>
#include <string>
#include <string_view>

#include "base/Files.h"
#include "world/World.h"

namespace orb {

inline constexpr std::string_view kSceneHeader =
    "body,posX,posY,momX,momY,gravity,outOfPlay,bodyType,colRed,colGreen,colBlue";

// All 1000 slots, numbers in the shortest form that reads back exactly.
std::string sceneText(const World& w);

// The largest scene file read. A full scene as sceneText writes it is about
// 1000 rows of at most some 200 characters (eleven shortest-form numbers of up
// to 24 characters each), some 200 KB; the cap leaves room twenty times over
// for hand-edited files (padding, blank lines) and is still read in a blink.
inline constexpr std::size_t kSceneMaxBytes = std::size_t{4} << 20;

// Replaces the body table with the scene (unlisted slots zero and out of play)
// and gives the highest body number listed. On any error, which names the line,
// the table is left exactly as it was. Cells quoted in a message are cut to 40
// characters and escaped, so a message is always one printable line.
Result<int> loadScene(std::string_view text, World& w);

// Reads the scene file (regular files of at most kSceneMaxBytes only) and loads
// it as loadScene does. Messages name the file once: "<path>: line 3: ...",
// "<path> is a folder", "<path> is not a regular file".
Result<int> loadSceneFile(const std::string& path, World& w);

// A cell as a message quotes it: at most 40 characters, then "...";
// control characters, backslashes, quotes, invisible line and direction marks
// and bytes that are not UTF-8 escaped (\x00, \t, \", \u2028).
std::string quoteCell(std::string_view cell);

}  // namespace orb
