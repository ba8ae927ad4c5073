#pragma once
// Whole-file reading and all-or-nothing writing (FileWrite.cpp).

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

// Writes a file the user named (a scene, a picture, a curve), all or nothing:
// the text goes to a temporary file in the same folder that is renamed over the
// name, so an abrupt end leaves either the old or the new content, never part
// of it. Every export goes through here, and the name decides what happens:
//  - a missing file is made with mode 0666 less the umask; a regular file is
//    replaced and keeps its permission bits (and its owner, where allowed);
//  - a symbolic link is followed (through at most 40 links) and the file it
//    finally names is written as above; the link stays a link;
//  - anything but a regular file is refused, with nothing opened, so nothing
//    blocks: "<path>: not a regular file (a FIFO)", "(a folder)", "(a socket)",
//    "(a character device)", "(a block device)";
//  - a file this user may not write, or one without any write permission bit
//    (which root could write anyway), is refused: "<path>: the file is
//    read-only";
//  - anything else that fails gives the system's reason: "cannot write <path>:
//    Permission denied" (a folder that takes no new file), "... No such file or
//    directory", "... Too many levels of symbolic links".
// A refused or failed write changes nothing and leaves no temporary file.
Status writeFileAtomically(const std::string& path, const std::string& text);

// A file written bit by bit over a while (a video), all or nothing, by the
// rules of writeFileAtomically: what the name stands for is refused at open()
// as it would be refused there, the bytes go to a temporary file beside it,
// and commit() moves that into place. A file never committed leaves nothing.
class AtomicFile {
public:
    static Result<AtomicFile> open(const std::string& path);
    AtomicFile(AtomicFile&& o) noexcept;
    AtomicFile& operator=(AtomicFile&& o) noexcept;
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;
    ~AtomicFile();

    // The temporary file's descriptor, for writing and seeking.
    int fd() const { return fd_; }
    // Durably into place; afterwards the object holds nothing.
    Status commit();
    // Drops what was written.
    void abandon();

private:
    AtomicFile() = default;
    std::string path_;    // as the user named it, for messages
    std::string target_;  // the file it stands for, links followed
    std::string temp_;
    int fd_ = -1;
    bool existed_ = false;
};

}  // namespace orb
