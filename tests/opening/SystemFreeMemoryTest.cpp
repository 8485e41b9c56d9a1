#include "opening/SystemFreeMemory.h"
#include "support/TempDir.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

constexpr qint64 kMemAvailable = 8'000'000 * qint64(1024);
const QByteArray kMeminfo = "MemTotal:       16000000 kB\n"
                            "MemFree:         1000000 kB\n"
                            "MemAvailable:    8000000 kB\n";

// Writes `bytes` to root + relative path, creating folders on the way.
void put(const QString& root, const QString& relative, const QByteArray& bytes) {
    const QString path = root + relative;
    QDir().mkpath(QFileInfo(path).path());
    writeWholeFile(path, bytes);
}

TEST(SystemFreeMemoryTest, ParsesMemAvailable) {
    const struct {
        QByteArray meminfo;
        std::optional<qint64> bytes;
    } cases[] = {
        {kMeminfo, kMemAvailable},
        {"MemAvailable: 12 kB", 12 * 1024},
        {"MemFree: 5 kB\n", std::nullopt},
        {"MemAvailable: lots kB\n", std::nullopt},
        {"MemAvailable: -4 kB\n", std::nullopt},
        {"MemAvailable: 4 MB\n", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SystemFreeMemory::parseMemAvailable(c.meminfo), c.bytes) << c.meminfo.data();
}

TEST(SystemFreeMemoryTest, ControlGroupLimitsLowerTheFigure) {
    const struct {
        const char* name;
        QByteArray selfCgroup;
        QList<QPair<QString, QByteArray>> files; // under <sys>/fs/cgroup
        qint64 expected;
    } cases[] = {
        {"v2 limit on the own group",
         "0::/user.slice/app\n",
         {{"/user.slice/app/memory.max", "1000000000\n"},
          {"/user.slice/app/memory.current", "400000000\n"}},
         600'000'000},
        {"v2 inactive file cache counts as free",
         "0::/job\n",
         {{"/job/memory.max", "1000000000\n"},
          {"/job/memory.current", "900000000\n"},
          {"/job/memory.stat", "anon 100000000\nfile 800000000\nactive_file 100000000\n"
                               "inactive_file 700000000\n"}},
         800'000'000},
        {"v2 cache larger than the usage",
         "0::/job\n",
         {{"/job/memory.max", "1000\n"},
          {"/job/memory.current", "900\n"},
          {"/job/memory.stat", "inactive_file 5000\n"}},
         1000},
        {"v2 no limit",
         "0::/app\n",
         {{"/app/memory.max", "max\n"}, {"/app/memory.current", "5\n"}},
         kMemAvailable},
        {"v2 tighter limit above",
         "0::/a/b\n",
         {{"/a/b/memory.max", "max\n"},
          {"/a/b/memory.current", "1\n"},
          {"/a/memory.max", "500000000\n"},
          {"/a/memory.current", "450000000\n"}},
         50'000'000},
        {"v2 usage beyond the limit",
         "0::/a\n",
         {{"/a/memory.max", "100\n"}, {"/a/memory.current", "200\n"}},
         0},
        {"v2 limit above what is free",
         "0::/a\n",
         {{"/a/memory.max", "99999999999999\n"}, {"/a/memory.current", "0\n"}},
         kMemAvailable},
        {"v1 memory controller",
         "5:cpu,cpuacct:/x\n4:memory:/job\n0::/\n",
         {{"/memory/job/memory.limit_in_bytes", "300000000\n"},
          {"/memory/job/memory.usage_in_bytes", "100000000\n"}},
         200'000'000},
        {"v1 hierarchical inactive cache",
         "4:memory:/job\n",
         {{"/memory/job/memory.limit_in_bytes", "300000000\n"},
          {"/memory/job/memory.usage_in_bytes", "250000000\n"},
          {"/memory/job/memory.stat", "inactive_file 1\ntotal_inactive_file 150000000\n"}},
         200'000'000},
        {"v1 own inactive cache",
         "4:memory:/job\n",
         {{"/memory/job/memory.limit_in_bytes", "300000000\n"},
          {"/memory/job/memory.usage_in_bytes", "250000000\n"},
          {"/memory/job/memory.stat", "cache 1\ninactive_file 150000000\n"}},
         200'000'000},
        {"v1 unlimited",
         "4:memory:/job\n",
         {{"/memory/job/memory.limit_in_bytes", "9223372036854771712\n"},
          {"/memory/job/memory.usage_in_bytes", "100000000\n"}},
         kMemAvailable},
        {"group path climbing out", "0::/../../etc\n", {{"/memory.max", "1\n"}}, kMemAvailable},
        {"no group file", "", {}, kMemAvailable},
    };
    for (const auto& c : cases) {
        TempDir root;
        put(root.path(), QStringLiteral("/proc/meminfo"), kMeminfo);
        if (!c.selfCgroup.isEmpty())
            put(root.path(), QStringLiteral("/proc/self/cgroup"), c.selfCgroup);
        for (const auto& [path, bytes] : c.files)
            put(root.path(), QStringLiteral("/sys/fs/cgroup") + path, bytes);
        const SystemFreeMemory memory(root.file(QStringLiteral("proc")),
                                      root.file(QStringLiteral("sys")));
        EXPECT_EQ(memory.availableBytes(), c.expected) << c.name;
    }
}

TEST(SystemFreeMemoryTest, WithoutMeminfoTheFreePagesStandIn) {
    TempDir root;
    EXPECT_GT(SystemFreeMemory(root.path(), root.path()).availableBytes(), 0);
}

TEST(SystemFreeMemoryTest, ReadsThisMachine) {
    EXPECT_GT(SystemFreeMemory().availableBytes(), 0);
}

} // namespace
