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

#include <cstddef>
#include <string>
#include <string_view>

#include "base/Result.h"
#include "scenario/Journal.h"

namespace orb {

inline constexpr int kRunFileVersion = 1;
// The largest run file read: a full table is some 250 KB, and a journal entry
// some 60 bytes, so a million inputs fit with room to spare.
inline constexpr std::size_t kRunFileMaxBytes = std::size_t{64} << 20;
// The longest text an entry or a setting may carry.
inline constexpr std::size_t kRunTextMaxChars = 4096;

std::string runFileText(const Journal& journal);

// The journal in a run file's text. Refused in one line that names `source`
// and, where it can, the line: "run.orbrun: line 12: …".
Result<Journal> parseRunFile(std::string_view text, const std::string& source);

// Reads a run file (a regular file of at most kRunFileMaxBytes) and parses it.
Result<Journal> readRunFile(const std::string& path);
// Writes a run file, all or nothing, by the rules of every export.
Status writeRunFile(const std::string& path, const Journal& journal);

}  // namespace orb
