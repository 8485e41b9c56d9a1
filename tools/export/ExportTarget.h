#pragma once

#include <QString>

// Where an export writes: a hidden name beside OUT (".OUT.gyrolook-pack-<pid>-XXXXXX", a folder or
// a file: see Leftovers), moved to
// OUT only when the export is whole and only when OUT does not exist then. The hidden output is
// registered with the InterruptGuard and removed again when the target is dropped before commit().
class ExportTarget {
public:
    enum class Kind { Folder, File };

    ExportTarget() = default;
    ~ExportTarget();
    ExportTarget(const ExportTarget&) = delete;
    ExportTarget& operator=(const ExportTarget&) = delete;

    // Refuses an OUT that exists already; otherwise makes the hidden folder (or reserves the
    // hidden file name). error() says why not.
    bool begin(const QString& out, Kind kind);

    // The hidden path to write to.
    const QString& path() const { return m_hidden; }
    const QString& error() const { return m_error; }

    // Moves the hidden output to OUT without ever replacing anything there.
    bool commit();

    // Removes the hidden output now.
    void discard();

private:
    QString m_out;
    QString m_hidden;
    Kind m_kind = Kind::File;
    QString m_error;
    bool m_committed = false;
};
