#pragma once

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

// Small measuring helpers shared by the benchmarks.

// The median of the values (the mean of the middle two for an even count); 0 for none.
double median(std::vector<double> values);

// A "Vm...:" figure in KiB from a /proc/<pid>/status text (VmHWM, VmRSS ...); nothing when absent.
std::optional<qint64> statusFigureKib(const QByteArray& status, const QByteArray& key);

// The peak resident memory of this process so far in KiB: VmHWM of /proc/self/status, or
// getrusage's ru_maxrss when that cannot be read.
qint64 peakResidentKib();

// The resident memory of this process now in KiB (VmRSS); 0 when it cannot be read.
qint64 currentResidentKib();

// The processor time (user + system, every thread) this process has used so far, in ms.
double processCpuMs();

// Milliseconds written with one decimal, the way every benchmark prints them.
QString formatMs(double ms);
