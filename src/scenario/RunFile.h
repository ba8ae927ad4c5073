#pragma once
// Run files: a journal as versioned JSON text, one body and one journal entry
// a line, so that a message can name the line of whatever it refuses.
//
//   {"format": "orbitarium-run", "version": 1,
//    "start": {
//     "random": {"state": "0x…", "inc": "0x…"},
//     "counters": {"bodyCount": 150, "nextStar": 3, …},
//     "settings": [
//      {"name": "TXg(2)", "text": "2", "held": 2, "left": 2},
//      {"name": "CHkeep", "text": "0"}, …],
//     "bodies": [
//      {"body": 0, "posX": 7680, "posY": 5760, "momX": 0, …, "colBlue": 0}, …]},
//    "journal": [
//     {"tick": 0, "action": "click", "name": "Command2"},
//     {"tick": 120, "action": "type", "name": "TXg(2)", "text": "1.5"}, …],
//    "end": {"tick": 5000, "hash": "0x…"}}
//
// Numbers are written in the shortest form that reads back to the same bits;
// bodies whose every column is zero are left out; 64-bit values are hex text.
// An entry's "action" is one of type, leave, check, click, scene, edit and
// hash (see JournalEntry); "name" is left out for a scene and a hash, "text"
// when it is empty. A file of a later version is refused, not half read.

#include <cstddef>
#include <string>
#include <string_view>

#include "base/Result.h"
#include "scenario/Journal.h"

namespace orb {

inline constexpr int kRunFileVersion = 1;
// The largest run file read. The largest a run sensibly makes, a full table of
// 1000 bodies (some 300 KB, a body a line) and some 100 000 journal entries
// (some 60 bytes each, 6 MB), with a few scenes loaded on the way (200 KB each
// as the program writes them), is under 8 MB and reads in a fifth of a second;
// the cap leaves room eight times over for longer runs. Journal entries are
// read one by one as the parser meets them, so a long journal is never held
// twice.
inline constexpr std::size_t kRunFileMaxBytes = std::size_t{64} << 20;
// The most journal entries read: ten times a long run's.
inline constexpr std::size_t kRunMaxEntries = 1'000'000;
// The most settings a start holds (the program has some fifty).
inline constexpr std::size_t kRunMaxSettings = 1000;
// The longest text an entry or a setting may carry; a scene's text is capped
// as a scene file is (kSceneMaxBytes).
inline constexpr std::size_t kRunTextMaxChars = 4096;
// The largest tick: every tick up to it is exact as a JSON number.
inline constexpr long long kRunMaxTick = 1LL << 53;

std::string runFileText(const Journal& journal);

// The journal in a run file's text. Refused in one line that names `source`
// and, where it can, the line: "run.orbrun: line 12: …".
// maxEntries: the most journal entries taken (tests give a smaller one).
Result<Journal> parseRunFile(std::string_view text, const std::string& source,
                             std::size_t maxEntries = kRunMaxEntries);

// Reads a run file (a regular file of at most kRunFileMaxBytes) and parses it.
Result<Journal> readRunFile(const std::string& path);
// Writes a run file, all or nothing, by the rules of every export.
Status writeRunFile(const std::string& path, const Journal& journal);

}  // namespace orb
