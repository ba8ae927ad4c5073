#pragma once
// The all-time record, kept in a one-line text file: the record score, a check
// value Int(record / 7) and the number 10, e.g. "700,100,10". A fresh file holds
// "1,1,1". Other installs read and write the same file, so its name and form
// never change.

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/Result.h"

namespace orb {

inline constexpr const char* kRecordFileName = "tallyho.ogg";

// The record line for a score.
std::string recordLine(std::int32_t record);

// The record held by the text of a record file. Only the first line counts; it
// must hold three numbers whose check matches the record ("1,1,1" is a fresh
// file's record 1). The messages name no file.
Result<std::int32_t> parseRecordLine(std::string_view text);

// Owns the record file for a session; the score clock asks it for the record
// and offers it every score.
//
// A missing file is created fresh. A file that exists but cannot be read or is
// not a regular file is left exactly as it is and is never written by this
// keeper; the record is 1 for the session's display. A file that is read but
// does not hold a valid record (its check does not match, or it does not hold
// three numbers) gives the record 1, and the next new record replaces it.
//
// Several runs may share the file. A new record is saved under an advisory
// lock (flock) on the record file, taken within lockWait: the file is read again
// under it and only a higher record is written, so the file's record never
// falls whatever the runs do in turn. A run that cannot have the lock in time
// (another one stopped while saving) keeps its record for the session and
// reports it not saved this time; the next new record is tried again.
//
// Failures are reported once: load() returns its error, and offer() returns an
// error only for the first write that fails (or is refused) when load() did not
// already report one. Later new records are still written when possible, so a
// passing failure heals without a second report.
class RecordKeeper {
public:
    explicit RecordKeeper(std::string path, std::chrono::milliseconds lockWait = std::chrono::seconds(2));

    // Clears away stale temporary files of earlier runs, then reads the record,
    // creating a missing file with "1,1,1".
    Status load();

    std::int32_t record() const { return record_; }

    // A score above the record becomes the record and is written at once.
    // Never lowers the file's record: a higher record written there meanwhile
    // (by another run) is adopted instead.
    Status offer(std::int32_t score);

    // Whether new records go to the file (false after a refused load).
    bool saving() const { return saving_; }

    const std::string& path() const { return path_; }

private:
    Status report(Status failed);
    Status save(std::int32_t score);

    std::string path_;
    std::chrono::milliseconds lockWait_;
    std::int32_t record_ = 1;
    bool saving_ = false;
    bool reported_ = false;
};

// Writes the record line into the file at path, creating a missing one. A
// symbolic link is followed to its final target, which is written; the old
// file's mode is kept. The line is replaced through a temporary file renamed
// over the old one; where the folder takes no new file, the line is written in
// place (one write at the start, then the file is cut to its length, so the
// first line is a whole record at every moment). A file without write
// permission for this user, or with no write permission bits at all, is left
// alone and refused: that is the user's own protection of the record.
Status saveRecord(const std::string& path, std::int32_t record);

// Removes the temporary files "<record name>.XXXXXX" that runs killed while
// writing left in the record's folder (and in the link target's folder when the
// record is a symbolic link): regular files last changed more than maxAge ago,
// whose suffix is exactly six letters or digits. Nothing else is touched. Gives
// the number removed.
int removeStaleTemporaries(const std::string& path, std::chrono::seconds maxAge = std::chrono::seconds(60));

}  // namespace orb
