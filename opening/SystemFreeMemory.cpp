#include "opening/SystemFreeMemory.h"

#include <QFile>
#include <QList>
#include <algorithm>
#include <unistd.h>

namespace {

// A limit at or above this is how control groups v1 say "no limit".
constexpr qint64 kUnlimitedV1 = qint64(1) << 60;

QByteArray readSmallFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.read(64 * 1024);
}

std::optional<qint64> readNumber(const QString& path) {
    bool ok = false;
    const qint64 value = readSmallFile(path).trimmed().toLongLong(&ok);
    if (!ok || value < 0)
        return std::nullopt;
    return value;
}

// The folder of a group and of every group above it, the group's own first.
QStringList groupAndAncestors(const QString& mount, QString group) {
    QStringList folders;
    if (group.contains(QLatin1String("..")))
        return folders;
    while (group.endsWith(QLatin1Char('/')))
        group.chop(1);
    while (true) {
        folders.append(mount + group);
        if (group.isEmpty())
            break;
        group.truncate(std::max<qsizetype>(group.lastIndexOf(QLatin1Char('/')), 0));
    }
    return folders;
}

// A counter of a group's memory.stat ("<key> <bytes>" lines); 0 when absent.
qint64 statCounter(const QString& folder, const QByteArray& key) {
    for (const QByteArray& line :
         readSmallFile(folder + QStringLiteral("/memory.stat")).split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() == 2 && fields[0] == key) {
            bool ok = false;
            const qint64 value = fields[1].toLongLong(&ok);
            return ok && value > 0 ? value : 0;
        }
    }
    return 0;
}

// What is left under a limit when the usage counts the group's page cache: the inactive file
// pages are reclaimed before the group runs out, as MemAvailable counts them for the machine.
qint64 headroom(qint64 limit, qint64 usage, qint64 reclaimable) {
    const qint64 used = usage - std::min(reclaimable, usage);
    return std::max<qint64>(limit - used, 0);
}

// Headroom left under one group folder's limit, or nothing when the folder has none.
std::optional<qint64> headroomV2(const QString& folder) {
    const QByteArray max = readSmallFile(folder + QStringLiteral("/memory.max")).trimmed();
    if (max.isEmpty() || max == "max")
        return std::nullopt;
    bool ok = false;
    const qint64 limit = max.toLongLong(&ok);
    const std::optional<qint64> current = readNumber(folder + QStringLiteral("/memory.current"));
    if (!ok || !current)
        return std::nullopt;
    return headroom(limit, *current, statCounter(folder, "inactive_file"));
}

std::optional<qint64> headroomV1(const QString& folder) {
    const auto limit = readNumber(folder + QStringLiteral("/memory.limit_in_bytes"));
    const auto usage = readNumber(folder + QStringLiteral("/memory.usage_in_bytes"));
    if (!limit || !usage || *limit >= kUnlimitedV1)
        return std::nullopt;
    // total_inactive_file counts the groups below too, as the usage does.
    qint64 reclaimable = statCounter(folder, "total_inactive_file");
    if (reclaimable == 0)
        reclaimable = statCounter(folder, "inactive_file");
    return headroom(*limit, *usage, reclaimable);
}

void lowerTo(std::optional<qint64>& least, std::optional<qint64> value) {
    if (value && (!least || *value < *least))
        least = value;
}

} // namespace

SystemFreeMemory::SystemFreeMemory(const QString& procRoot, const QString& sysRoot)
    : m_procRoot(procRoot), m_sysRoot(sysRoot) {}

qint64 SystemFreeMemory::availableBytes() const {
    std::optional<qint64> available =
        parseMemAvailable(readSmallFile(m_procRoot + QStringLiteral("/meminfo")));
    if (!available) {
        const long pages = sysconf(_SC_AVPHYS_PAGES);
        const long pageSize = sysconf(_SC_PAGESIZE);
        available = pages > 0 && pageSize > 0 ? qint64(pages) * pageSize : 0;
    }
    const QByteArray groups = readSmallFile(m_procRoot + QStringLiteral("/self/cgroup"));
    if (const std::optional<qint64> headroom = cgroupHeadroom(groups, m_sysRoot))
        available = std::min(*available, *headroom);
    return std::max<qint64>(*available, 0);
}

std::optional<qint64> SystemFreeMemory::parseMemAvailable(const QByteArray& meminfo) {
    for (const QByteArray& line : meminfo.split('\n')) {
        if (!line.startsWith("MemAvailable:"))
            continue;
        const QList<QByteArray> fields = line.mid(13).simplified().split(' ');
        bool ok = false;
        const qint64 value = fields.value(0).toLongLong(&ok);
        if (!ok || value < 0 || value > (qint64(1) << 52))
            return std::nullopt;
        const QByteArray unit = fields.value(1).toLower();
        if (unit == "kb")
            return value * 1024;
        if (unit.isEmpty())
            return value;
        return std::nullopt;
    }
    return std::nullopt;
}

std::optional<qint64> SystemFreeMemory::cgroupHeadroom(const QByteArray& selfCgroup,
                                                       const QString& sysRoot) {
    // Lines are "<id>:<controllers>:<path>"; "0::<path>" is the v2 group.
    std::optional<qint64> least;
    const QString mount = sysRoot + QStringLiteral("/fs/cgroup");
    for (const QByteArray& line : selfCgroup.split('\n')) {
        const qsizetype first = line.indexOf(':');
        const qsizetype second = first < 0 ? -1 : line.indexOf(':', first + 1);
        if (second < 0)
            continue;
        const QByteArray controllers = line.mid(first + 1, second - first - 1);
        const QString group = QString::fromUtf8(line.mid(second + 1).trimmed());
        if (!group.startsWith(QLatin1Char('/')))
            continue;
        if (line.startsWith("0:") && controllers.isEmpty()) {
            for (const QString& folder : groupAndAncestors(mount, group))
                lowerTo(least, headroomV2(folder));
        } else if (controllers.split(',').contains("memory")) {
            for (const QString& folder :
                 groupAndAncestors(mount + QStringLiteral("/memory"), group))
                lowerTo(least, headroomV1(folder));
        }
    }
    return least;
}
