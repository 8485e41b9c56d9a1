#include "LowPriority.h"

#include <sys/resource.h>
#include <unistd.h>

void lowerThisThread() {
    thread_local bool lowered = false;
    if (!lowered) {
        setpriority(PRIO_PROCESS, id_t(gettid()), 10);
        lowered = true;
    }
}
