#pragma once

#include <ctime>
#include <string>
#include <sys/types.h>
#include <vector>

// A file descriptor that closes itself.
class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : m_fd(fd) {}
    UniqueFd(UniqueFd&& other) noexcept : m_fd(other.release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept;
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    ~UniqueFd();

    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    int release();

private:
    int m_fd = -1;
};

// Opens the folder chain parts below the folder rootFd, one part at a time, creating missing
// folders with mode and never following a link. Returns an invalid descriptor (saying why) when a
// part cannot be created or opened, or is not a folder. The paths of the folders it created,
// relative to rootFd, are appended to created, outermost first.
UniqueFd openFolderChain(int rootFd, const std::vector<std::string>& parts, mode_t mode,
                         std::vector<std::string>& created, std::string& why);

// Removes the folders openFolderChain created (innermost first), as far as they are empty.
void removeCreatedFolders(int rootFd, const std::vector<std::string>& created);

// One file written under a temporary name inside a folder and moved to its own name by
// commit(). The temporary file is created with O_EXCL and O_NOFOLLOW, so no existing file or link
// is ever opened for writing. Whatever is not committed is removed when the object goes.
class PendingFile {
public:
    PendingFile(int folderFd, std::string name);
    ~PendingFile();
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    // Creates the temporary file (mode 0600).
    bool create(std::string& why);
    int fd() const { return m_fd.get(); }

    // Sets mode and, when given, the modification time, closes the file and renames it to its
    // name, replacing a file (or link) of that name but never a folder.
    bool commit(mode_t mode, const std::time_t* modified, std::string& why);

private:
    void discard();

    int m_folderFd;
    std::string m_name;
    std::string m_tempName;
    UniqueFd m_fd;
    bool m_done = false;
};
