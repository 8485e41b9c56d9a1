#pragma once

#include "opening/FreeMemorySource.h"

#include <QByteArray>
#include <QString>
#include <optional>

// The free memory of this machine as this process sees it: MemAvailable of <proc>/meminfo,
// lowered to what the control group's memory limit leaves (limit minus usage, where the group's
// inactive file cache of memory.stat counts as free, as MemAvailable counts it), on the process's
// group and on every group above it that has a limit. Control groups v2 (memory.max,
// memory.current; "max" means no limit) and the memory controller of v1 (memory.limit_in_bytes,
// memory.usage_in_bytes) are read. When meminfo cannot be read, the free pages reported by the C
// library stand in. The folders default to /proc and /sys; tests pass folders of their own.
class SystemFreeMemory : public FreeMemorySource {
public:
    explicit SystemFreeMemory(const QString& procRoot = QStringLiteral("/proc"),
                              const QString& sysRoot = QStringLiteral("/sys"));

    qint64 availableBytes() const override;

    // MemAvailable of a meminfo text, in bytes; nothing when it is absent or malformed.
    static std::optional<qint64> parseMemAvailable(const QByteArray& meminfo);

    // The bytes the control groups of the process (described by a /proc/self/cgroup text) still
    // allow, looked up under `sysRoot`; nothing when no limit applies.
    static std::optional<qint64> cgroupHeadroom(const QByteArray& selfCgroup,
                                                const QString& sysRoot);

private:
    QString m_procRoot;
    QString m_sysRoot;
};
