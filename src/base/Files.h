#pragma once
// Whole-file reading and all-or-nothing writing.

#include <cstddef>
#include <string>

#include "base/Result.h"

namespace orb {

// The whole file, when it is a regular file of at most maxBytes bytes. Nothing
// else is read: a folder gives "<path> is a folder", a FIFO, device or socket
// "<path> is not a regular file" (a FIFO never blocks the caller), and a larger
// file is refused, with no more than maxBytes + 1 bytes read even from a file
// that grows meanwhile. Every message names the file once.
Result<std::string> readRegularFile(const std::string& path, std::size_t maxBytes);

// At most the first maxBytes bytes of a regular file; a longer file is not an
// error (for files whose first line is all that counts).
Result<std::string> readRegularFilePrefix(const std::string& path, std::size_t maxBytes);

// Replaces the file's content through a temporary file in the same folder that
// is renamed over the old one, so an abrupt end leaves either the old or the
// new content, never part of it.
Status writeFileAtomically(const std::string& path, const std::string& text);

}  // namespace orb
