#include "ExportTarget.h"

#include "tools/shared/InterruptGuard.h"
#include "tools/shared/Leftovers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>

ExportTarget::~ExportTarget() {
    discard();
}

bool ExportTarget::begin(const QString& out, Kind kind) {
    m_out = out;
    m_kind = kind;
    const QFileInfo info(out);
    if (info.exists() || info.isSymLink()) {
        m_error = QStringLiteral("%1 exists already; not overwritten").arg(out);
        return false;
    }
    const QDir folder = info.absoluteDir();
    if (!folder.exists()) {
        m_error = QStringLiteral("the folder %1 does not exist").arg(folder.path());
        return false;
    }
    const QString pattern =
        folder.filePath(Leftovers::pattern(QStringLiteral(".%1.").arg(info.fileName())));
    const auto held = InterruptGuard::holdOff(); // made and registered as one step
    if (kind == Kind::Folder) {
        QTemporaryDir dir(pattern);
        if (!dir.isValid()) {
            m_error =
                QStringLiteral("cannot write in %1: %2").arg(folder.path(), dir.errorString());
            return false;
        }
        dir.setAutoRemove(false);
        m_hidden = dir.path();
        QFile::setPermissions(m_hidden, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                            QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther |
                                            QFile::ExeOther);
    } else {
        QTemporaryFile file(pattern);
        file.setAutoRemove(false);
        if (!file.open()) {
            m_error =
                QStringLiteral("cannot write in %1: %2").arg(folder.path(), file.errorString());
            return false;
        }
        m_hidden = file.fileName();
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                            QFile::ReadOther);
    }
    if (kind == Kind::Folder)
        InterruptGuard::addFolder(m_hidden);
    else
        InterruptGuard::addFile(m_hidden);
    return true;
}

bool ExportTarget::commit() {
    const QByteArray from = QFile::encodeName(m_hidden);
    const QByteArray to = QFile::encodeName(m_out);
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) != 0) {
        m_error = errno == EEXIST ? QStringLiteral("%1 exists now; not overwritten").arg(m_out)
                                  : QStringLiteral("cannot move the export to %1: %2")
                                        .arg(m_out, QString::fromLocal8Bit(std::strerror(errno)));
        discard();
        return false;
    }
    m_committed = true;
    InterruptGuard::release(m_hidden);
    return true;
}

void ExportTarget::discard() {
    if (m_committed || m_hidden.isEmpty())
        return;
    if (m_kind == Kind::Folder)
        QDir(m_hidden).removeRecursively();
    else
        QFile::remove(m_hidden);
    InterruptGuard::release(m_hidden);
    m_hidden.clear();
}
