#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// What the program learns about a package while it is extracted: how many members, how many
// pictures of each ring kind, and the largest member. Process-wide; the opening zeroes it before
// extraction and reads it afterwards, the extraction's per-member service callback advances it.
struct PackageCounters {
    float sngUnzipCount = 0;      // every member
    float sngHCount = 0;          // members whose name holds "_H": the horizontal pictures, N
    float sngMaxFileLen = 0;      // largest member size in bytes
    std::uint8_t bytVCount = 0;   // "_V": upper-ring pictures, V
    std::uint8_t bytVColumns = 0; // "_V" and "0002": upper rings
    std::uint8_t bytVRows = 0;    // "_V" and "_V00": rows of the ring at column 0
    std::uint8_t bytMCount = 0;   // "_M": lower-ring pictures, M
    std::uint8_t bytMColumns = 0; // "_M" and "0002": lower rings
    std::uint8_t bytMRows = 0;    // "_M" and "_M00": rows of the lower ring at column 0

    void reset() { *this = PackageCounters{}; }
};

// The process-wide counters.
PackageCounters& packageCounters();

// Applies the counting rules to one extracted member: +1 member, the case-sensitive substring tests
// on the raw name bytes (a name may count in several counters; byte counters stop at 255), and the
// largest size when the member's size could be measured (std::nullopt when it could not).
// An empty name counts as a member and nothing else.
void countMember(PackageCounters& counters, std::string_view name,
                 std::optional<std::int64_t> size);
