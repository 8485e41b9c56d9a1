#include "ReturnedMemory.h"

#include <malloc.h>

void returnFreedMemory() {
    // Every arena, the decoding threads' too; the free pages inside them as well as their tops.
    ::malloc_trim(0);
}
