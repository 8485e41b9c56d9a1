#include "BenchFigures.h"

#include <QFile>
#include <algorithm>
#include <sys/resource.h>

namespace {

QByteArray selfStatus() {
    QFile file(QStringLiteral("/proc/self/status"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    // /proc files report no size; read until the end.
    return file.readAll();
}

} // namespace

double median(std::vector<double> values) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const std::size_t mid = values.size() / 2;
    if (values.size() % 2 == 1)
        return values[mid];
    return (values[mid - 1] + values[mid]) / 2;
}

std::optional<qint64> statusFigureKib(const QByteArray& status, const QByteArray& key) {
    const QByteArray prefix = key + ':';
    for (const QByteArray& line : status.split('\n')) {
        if (!line.startsWith(prefix))
            continue;
        const QList<QByteArray> words = line.mid(prefix.size()).simplified().split(' ');
        bool ok = false;
        const qint64 value = words.value(0).toLongLong(&ok);
        if (!ok || value < 0)
            return std::nullopt;
        if (words.size() > 1 && words[1] != "kB")
            return std::nullopt;
        return value;
    }
    return std::nullopt;
}

qint64 peakResidentKib() {
    if (const auto hwm = statusFigureKib(selfStatus(), "VmHWM"))
        return *hwm;
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss; // KiB on Linux
}

qint64 currentResidentKib() {
    return statusFigureKib(selfStatus(), "VmRSS").value_or(0);
}

double processCpuMs() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto ms = [](const timeval& t) {
        return double(t.tv_sec) * 1000.0 + double(t.tv_usec) / 1000.0;
    };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

QString formatMs(double ms) {
    return QString::number(ms, 'f', 1);
}
