#pragma once

// Lowers the calling worker thread to a nice value of 10, once per thread, so that work in the
// background gives way to the window thread and to every other program (on Linux a thread has a
// nice value of its own). Qt's thread priorities do not do it there: all but IdlePriority map to
// SCHED_OTHER at nice 0, and SCHED_IDLE would let any busy program on the machine starve the
// decodes the user waits for.
void lowerThisThread();
