#pragma once
// Whole-file reading and all-or-nothing writing.

#include <string>

namespace orb {

// False with a message on failure.
bool readTextFile(const std::string& path, std::string& out, std::string& error);

// Replaces the file's content through a temporary file in the same folder that
// is renamed over the old one, so an abrupt end leaves either the old or the
// new content, never part of it. False with a message when it could not.
bool writeTextFile(const std::string& path, const std::string& text, std::string& error);
bool writeFileAtomically(const std::string& path, const std::string& text);

}  // namespace orb
