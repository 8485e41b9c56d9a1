#pragma once

// Hands the memory freed so far back to the system. The C library keeps freed memory for later
// allocations: the pixels of a package of camera photos, decoded on several threads, would stay
// counted to the process after the package has gone. Called once a package's pictures are
// released and the next package holds what it needs.
void returnFreedMemory();
