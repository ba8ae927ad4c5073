#include "panel/RecordFile.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "base/Files.h"
#include "base/Numbers.h"

namespace orb {

std::string recordLine(std::int32_t record)
{
    const double check = std::floor(record / 7.0);
    return std::to_string(record) + "," + numText(check) + ",10\n";
}

Status saveRecord(const std::string& path, std::int32_t record)
{
    return writeFileAtomically(path, recordLine(record));
}

Result<std::int32_t> loadRecord(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        // Only a missing file is created: one that exists but cannot be read
        // is left alone, so a record is never overwritten by accident.
        std::error_code ec;
        if (std::filesystem::exists(path, ec) || ec) return fail(path + ": the record file cannot be read");
        if (Status made = writeFileAtomically(path, "1,1,1\n"); !made) return fail(made.error());
        return 1;
    }
    // The record is one short line; a long file is not read to its end.
    std::string line(4096, '\0');
    in.read(line.data(), static_cast<std::streamsize>(line.size()));
    line.resize(static_cast<std::size_t>(in.gcount()));
    if (auto nl = line.find('\n'); nl != std::string::npos) line.resize(nl);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::vector<std::string> parts;
    std::stringstream ss(line);
    std::string part;
    while (std::getline(ss, part, ',')) parts.push_back(part);
    const std::string notThree = path + ": the record file does not hold three numbers";
    if (parts.size() != 3) return fail(notThree);
    std::optional<double> v[3];
    for (int k = 0; k < 3; ++k) {
        v[k] = strictNumber(parts[k]);
        if (!v[k]) return fail(notThree);
    }
    // Both the record and its check are whole 32-bit numbers.
    const auto record = toInt32(*v[0]);
    const auto check = toInt32(*v[1]);
    // A fresh file's "1,1,1" does not match its own check, and means record 1.
    if (record && check && *record == 1 && *check == 1 && *v[2] == 1) return 1;
    if (!record || !check || std::floor(*record / 7.0) != *check)
        return fail(path + ": the record file's check does not match");
    return *record;
}

}  // namespace orb
