// (filled in by its subsystem)
