#pragma once

// Turns SIGINT, SIGTERM and SIGHUP into a request that the export asks for between its pieces of
// work: the export then stops, its hidden output is removed, and the process ends with 128 plus
// the signal's number. A signal ignored when the guard is made stays ignored; the previous
// handlers come back when the guard is dropped.
class ExportInterrupt {
public:
    ExportInterrupt();
    ~ExportInterrupt();
    ExportInterrupt(const ExportInterrupt&) = delete;
    ExportInterrupt& operator=(const ExportInterrupt&) = delete;

    // True once one of the signals arrived. Any thread.
    static bool requested();
    // The signal that arrived (0 when none).
    static int signalNumber();
};
