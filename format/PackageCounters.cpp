#include "PackageCounters.h"

namespace {

void addSaturating(std::uint8_t& counter) {
    if (counter < 255)
        ++counter;
}

bool holds(std::string_view name, std::string_view part) {
    return name.find(part) != std::string_view::npos;
}

} // namespace

PackageCounters& packageCounters() {
    static PackageCounters counters;
    return counters;
}

void countMember(PackageCounters& c, std::string_view name, std::optional<std::int64_t> size) {
    c.sngUnzipCount += 1;
    if (holds(name, "_H"))
        c.sngHCount += 1;
    if (holds(name, "_V")) {
        addSaturating(c.bytVCount);
        if (holds(name, "0002"))
            addSaturating(c.bytVColumns);
        if (holds(name, "_V00"))
            addSaturating(c.bytVRows);
    }
    if (holds(name, "_M")) {
        addSaturating(c.bytMCount);
        if (holds(name, "0002"))
            addSaturating(c.bytMColumns);
        if (holds(name, "_M00"))
            addSaturating(c.bytMRows);
    }
    if (size && static_cast<float>(*size) > c.sngMaxFileLen)
        c.sngMaxFileLen = static_cast<float>(*size);
}
