#pragma once

#include <QString>
#include <functional>
#include <sys/types.h>

// The private folder one package opening extracts into: a fresh folder of mode 0700 named
// "gyrolook-<pid>-XXXXXX" (the owner's process id, six random characters) under the user's
// temporary folder. It stands for the package folder for every member (descriptor, pictures,
// sound). The opening creates one per package and destroys it when the next opening starts, when
// the opening fails and when the program ends; the destructor removes the folder with everything
// in it.
//
// Removal is safe: it works below the folder created (same device and inode, owned by this user)
// without ever following a symbolic link, so it deletes nothing outside that folder; a link inside
// is removed, its target left alone. A folder that was replaced after creation is left alone.
//
// At start-up the viewer calls sweepAbandoned(), which removes the folders a viewer that was
// killed left behind.
class PrivateFolder {
public:
    // Creates the folder under `baseDir`, by default the user's temporary folder: TMPDIR when it
    // names a folder the user can write into, /tmp otherwise. Check isValid().
    explicit PrivateFolder(const QString& baseDir = QString());
    ~PrivateFolder();
    PrivateFolder(const PrivateFolder&) = delete;
    PrivateFolder& operator=(const PrivateFolder&) = delete;

    // True when the folder was created and has not been removed.
    bool isValid() const { return !m_path.isEmpty(); }

    // Why creation failed ("" when it did not).
    QString errorString() const { return m_error; }

    // The folder, ending in "/", so that callers append a member name directly; "" when invalid.
    QString path() const { return m_path; }

    // Removes the folder and everything in it now. True when it is gone (also when it already
    // was). Afterwards the object is invalid.
    bool remove();

    // The start of every private folder's name.
    static QString namePrefix() { return QStringLiteral("gyrolook-"); }

    // Removes, under `baseDir` (by default the user's temporary folder), every private folder of
    // this user whose owner process no longer exists. Touches nothing else: not other users'
    // folders, not folders of live processes, not links, not files, not names of another form.
    // Returns how many folders it removed.
    static int sweepAbandoned(const QString& baseDir = QString());

    // The same for this process's own folders: for a process ending on a signal, which may have
    // created a folder that its owner has not taken yet.
    static int sweepOwn(const QString& baseDir = QString());

private:
    // Removes the private folders under `baseDir` whose owner process `gone` says of.
    static int sweepWhere(const QString& baseDir, const std::function<bool(qint64 pid)>& gone);

    QString m_path;
    QString m_error;
    dev_t m_device = 0;
    ino_t m_inode = 0;
};
