#include "PackageCounters.h"

PackageCounters& packageCounters() {
    static PackageCounters counters;
    return counters;
}
