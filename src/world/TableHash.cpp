#include "world/TableHash.h"

#include <cstdio>

namespace orb {
namespace {

std::uint64_t fnv1a(const void* data, std::size_t size, std::uint64_t h)
{
    const auto* b = static_cast<const unsigned char*>(data);
    for (std::size_t i = 0; i < size; ++i) {
        h ^= b[i];
        h *= 0x100000001b3ULL;
    }
    return h;
}

}  // namespace

std::uint64_t tableHash(const World& w)
{
    std::uint64_t h = 0xcbf29ce484222325ULL;
    forEachBodyColumn([&](const char*, auto member) {
        const auto& column = w.*member;
        h = fnv1a(column.data(), sizeof column, h);
    });
    return h;
}

std::string hashText(std::uint64_t hash)
{
    char text[19];
    std::snprintf(text, sizeof text, "0x%016llx", static_cast<unsigned long long>(hash));
    return text;
}

}  // namespace orb
