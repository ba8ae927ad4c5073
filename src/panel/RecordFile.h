#pragma once
// The all-time record, kept in a one-line text file: the record score, a check
// value Int(record / 7) and the number 10, e.g. "700,100,10". A fresh file holds
// "1,1,1".

#include <cstdint>
#include <string>

#include "base/Result.h"

namespace orb {

inline constexpr const char* kRecordFileName = "tallyho.ogg";

// The record line for a score.
std::string recordLine(std::int32_t record);

// Reads the record, creating the file with "1,1,1" when there is none (a record
// of 1). A file that cannot be read or does not hold three numbers, or whose
// check does not match, is an error that says so; the record is then 1.
Result<std::int32_t> loadRecord(const std::string& path);

// Replaces the file's content with the record line, through a temporary file in
// the same folder renamed over the old one, so an abrupt end leaves either the
// old or the new line, never half of one.
Status saveRecord(const std::string& path, std::int32_t record);

}  // namespace orb
