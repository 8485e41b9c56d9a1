#include "OutputFolder.h"

#include "DisplayText.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string systemError(const char* what, const std::string& name) {
    return std::string(what) + " " + displayName(name) + " (" + std::strerror(errno) + ")";
}

} // namespace

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept {
    if (this != &other) {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = other.release();
    }
    return *this;
}

UniqueFd::~UniqueFd() {
    if (m_fd >= 0)
        ::close(m_fd);
}

int UniqueFd::release() {
    const int fd = m_fd;
    m_fd = -1;
    return fd;
}

UniqueFd openFolderChain(int rootFd, const std::vector<std::string>& parts, mode_t mode,
                         std::vector<std::string>& created, std::string& why) {
    UniqueFd current(::fcntl(rootFd, F_DUPFD_CLOEXEC, 0));
    if (!current.valid()) {
        why = systemError("could not open", "the extraction folder");
        return {};
    }
    std::string relative;
    for (const std::string& part : parts) {
        relative += relative.empty() ? part : "/" + part;
        if (::mkdirat(current.get(), part.c_str(), mode) == 0)
            created.push_back(relative);
        else if (errno != EEXIST) {
            why = "could not be written: " + systemError("could not create the folder", relative);
            return {};
        }
        UniqueFd next(
            ::openat(current.get(), part.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (!next.valid()) {
            why = "could not be written (" + displayName(relative) + " is not a folder)";
            return {};
        }
        current = std::move(next);
    }
    return current;
}

void removeCreatedFolders(int rootFd, const std::vector<std::string>& created) {
    for (auto it = created.rbegin(); it != created.rend(); ++it)
        ::unlinkat(rootFd, it->c_str(), AT_REMOVEDIR);
}

PendingFile::PendingFile(int folderFd, std::string name)
    : m_folderFd(folderFd), m_name(std::move(name)) {}

PendingFile::~PendingFile() {
    discard();
}

bool PendingFile::create(std::string& why) {
    static std::atomic<unsigned> serial{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        m_tempName =
            ".unzip-" + std::to_string(::getpid()) + "-" + std::to_string(++serial) + ".part";
        m_fd = UniqueFd(::openat(m_folderFd, m_tempName.c_str(),
                                 O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (m_fd.valid())
            return true;
        if (errno != EEXIST)
            break;
    }
    why = std::string("could not be written (") + std::strerror(errno) + ")";
    m_tempName.clear();
    return false;
}

bool PendingFile::commit(mode_t mode, const std::time_t* modified, std::string& why) {
    if (::fchmod(m_fd.get(), mode) != 0) {
        why = std::string("could not be written (") + std::strerror(errno) + ")";
        return false;
    }
    if (modified) {
        const struct timespec times[2] = {{0, UTIME_OMIT}, {*modified, 0}};
        ::futimens(m_fd.get(), times);
    }
    if (::close(m_fd.release()) != 0) {
        why = std::string("could not be written (") + std::strerror(errno) + ")";
        return false;
    }
    struct stat existing;
    if (::fstatat(m_folderFd, m_name.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISDIR(existing.st_mode)) {
        why = "could not be written (a folder of that name is in the way)";
        return false;
    }
    if (::renameat(m_folderFd, m_tempName.c_str(), m_folderFd, m_name.c_str()) != 0) {
        why = std::string("could not be written (") + std::strerror(errno) + ")";
        return false;
    }
    m_done = true;
    return true;
}

void PendingFile::discard() {
    if (m_done || m_tempName.empty())
        return;
    m_fd = UniqueFd();
    ::unlinkat(m_folderFd, m_tempName.c_str(), 0);
    m_done = true;
}
