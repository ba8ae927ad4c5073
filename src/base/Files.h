#pragma once
// Whole-file reading and all-or-nothing writing.

#include <string>

#include "base/Result.h"

namespace orb {

// The whole file.
Result<std::string> readTextFile(const std::string& path);

// Replaces the file's content through a temporary file in the same folder that
// is renamed over the old one, so an abrupt end leaves either the old or the
// new content, never part of it.
Status writeFileAtomically(const std::string& path, const std::string& text);

}  // namespace orb
