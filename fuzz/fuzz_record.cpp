// The record file's reader: any bytes give a record or a plain refusal, and a
// record written back reads as itself.
#include <cstdint>
#include <string_view>

#include "Require.h"
#include "panel/RecordFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto record = orb::parseRecordLine(text);
    if (!record) {
        ORB_REQUIRE(record.error() == "the record file does not hold three numbers" ||
                    record.error() == "the record file's check does not match");
        return 0;
    }
    const std::string line = orb::recordLine(*record);
    ORB_REQUIRE(line.size() < 40 && line.back() == '\n');
    const auto back = orb::parseRecordLine(line);
    ORB_REQUIRE(back && *back == *record);
    return 0;
}
