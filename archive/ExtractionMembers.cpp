// The member-by-member half of ExtractionRun: listing, testing and writing one member, the
// password questions and the overwrite decision.
#include "ExtractionRun.h"

#include "DisplayText.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kMaxPasswordAsks = 3;
constexpr std::size_t kPasswordBufferSize = 257;

std::string methodName(zip_int32_t method) {
    switch (method) {
    case ZIP_CM_STORE:
        return "Stored";
    case ZIP_CM_DEFLATE:
        return "Deflated";
    case ZIP_CM_DEFLATE64:
        return "Deflate64";
    case ZIP_CM_BZIP2:
        return "BZip2";
    case ZIP_CM_LZMA:
        return "LZMA";
    case ZIP_CM_XZ:
        return "XZ";
    case 93: // Zstandard
        return "Zstandard";
    default:
        return "Method " + std::to_string(method);
    }
}

} // namespace

void ExtractionRun::listMembers() {
    if (!m_functions.listing)
        return;
    for (const Member& member : m_members) {
        if (!member.selected)
            continue;
        const zip_stat_t& stat = member.stat;
        std::tm when{};
        const std::time_t modified = (stat.valid & ZIP_STAT_MTIME) ? stat.mtime : 0;
        localtime_r(&modified, &when);
        const std::int32_t percent =
            stat.size == 0 || stat.comp_size >= stat.size
                ? 0
                : static_cast<std::int32_t>(100 - stat.comp_size * 100 / stat.size);
        const std::string method = methodName(stat.comp_method);
        m_functions.listing(member.name.c_str(), method.c_str(), stat.size, stat.comp_size, percent,
                            when.tm_year + 1900, when.tm_mon + 1, when.tm_mday, when.tm_hour,
                            when.tm_min, stat.crc, stat.encryption_method != ZIP_EM_NONE ? 1 : 0,
                            member.path.kind == EntryPath::Kind::Folder ||
                                    member.path.kind == EntryPath::Kind::Skip
                                ? 1
                                : 0);
        ++m_handled;
    }
}

void ExtractionRun::handleMember(Member& member) {
    switch (member.path.kind) {
    case EntryPath::Kind::Skip:
        return;
    case EntryPath::Kind::Refused:
        ++m_handled;
        fail(member, member.path.refusal);
        return;
    case EntryPath::Kind::Folder:
        if (m_mode == Mode::Files)
            writeFolder(member);
        return;
    case EntryPath::Kind::File:
        break;
    }
    ++m_handled;
    const zip_stat_t& stat = member.stat;
    if (!zip_compression_method_supported(stat.comp_method, 0)) {
        fail(member, "cannot be extracted (its compression method " +
                         std::to_string(stat.comp_method) + " is not supported)");
        return;
    }
    if (stat.encryption_method != ZIP_EM_NONE &&
        !zip_encryption_method_supported(stat.encryption_method, 0)) {
        fail(member, "cannot be extracted (its encryption method is not supported)");
        return;
    }
    if (m_mode == Mode::Files) {
        if (member.left)
            announceLeft(member);
        else
            writeFile(member);
        return;
    }
    const CopyOutcome outcome = copyWithPassword(member, [&](const char* password) {
        DiscardSink discard;
        FdSink out(STDOUT_FILENO);
        CrLfSink converted(out);
        ByteSink& sink = m_mode == Mode::Test        ? static_cast<ByteSink&>(discard)
                         : m_options.ConvertCRtoCRLF ? static_cast<ByteSink&>(converted)
                                                     : static_cast<ByteSink&>(out);
        return copyMember(m_archive, member.index, member.stat, password, sink);
    });
    if (outcome.status != CopyOutcome::Status::Ok)
        fail(member, outcome.problem);
    else if (m_options.Verbose)
        say(displayName(member.rawName) + (m_mode == Mode::Test ? ": OK" : ": written out"));
}

void ExtractionRun::announceLeft(const Member& member) {
    if (m_options.Verbose)
        say(displayName(member.rawName) + ": left in the archive (" +
            std::to_string(member.stat.size) + " bytes)");
    const std::string fullPath = m_folderPrefix + member.path.relative();
    if (m_functions.left &&
        m_functions.left(fullPath.c_str(), std::int32_t(fullPath.size()), member.stat.size) != 0)
        m_cancelled = true;
}

void ExtractionRun::writeFolder(Member& member) {
    std::vector<std::string> created;
    std::string why;
    const mode_t mode = m_options.Privilege ? 0755 : 0700;
    if (!openFolderChain(m_folder.get(), member.path.folders, mode, created, why).valid()) {
        ++m_handled;
        removeCreatedFolders(m_folder.get(), created);
        fail(member, why);
    }
}

bool ExtractionRun::keepExisting(const Member& member, int folderFd, const std::string& fullPath) {
    struct stat existing;
    const bool exists =
        ::fstatat(folderFd, member.path.file.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0;
    if (!exists) {
        if (m_options.ExtractOnlyNewer) {
            note(member, "left alone (there is no older file to freshen)");
            return true;
        }
        return false;
    }
    if ((m_options.ExtractOnlyNewer || m_options.ExtractNewer) &&
        (member.stat.valid & ZIP_STAT_MTIME) && member.stat.mtime <= existing.st_mtime) {
        note(member, "left alone (the existing file is not older)");
        return true;
    }
    if (m_options.PromptOverwrite) {
        const std::int32_t reply =
            m_functions.replace ? m_functions.replace(fullPath.c_str()) : UnzipReply::No;
        if (reply == UnzipReply::Yes)
            return false;
        if (reply == UnzipReply::Cancel)
            m_cancelled = true;
        else
            note(member, "left alone (the existing file was kept)");
        return true;
    }
    if (!m_options.OverWriteFiles) {
        note(member, "left alone (a file of that name exists)");
        return true;
    }
    return false;
}

void ExtractionRun::writeFile(Member& member) {
    std::vector<std::string> created;
    std::string why;
    const mode_t folderMode = m_options.Privilege ? 0755 : 0700;
    UniqueFd folder =
        openFolderChain(m_folder.get(), member.path.folders, folderMode, created, why);
    if (!folder.valid()) {
        removeCreatedFolders(m_folder.get(), created);
        fail(member, why);
        return;
    }
    const std::string fullPath = m_folderPrefix + member.path.relative();
    if (keepExisting(member, folder.get(), fullPath)) {
        --m_handled;
        removeCreatedFolders(m_folder.get(), created);
        return;
    }

    PendingFile pending(folder.get(), member.path.file);
    bool ok = pending.create(why);
    if (ok) {
        const CopyOutcome outcome = copyWithPassword(member, [&](const char* password) {
            // A second attempt (another password) starts the file afresh.
            if (::ftruncate(pending.fd(), 0) != 0 || ::lseek(pending.fd(), 0, SEEK_SET) != 0)
                return CopyOutcome{CopyOutcome::Status::Failed,
                                   std::string("could not be written (") + std::strerror(errno) +
                                       ")"};
            FdSink file(pending.fd());
            CrLfSink converted(file);
            ByteSink& sink = m_options.ConvertCRtoCRLF ? static_cast<ByteSink&>(converted)
                                                       : static_cast<ByteSink&>(file);
            return copyMember(m_archive, member.index, member.stat, password, sink);
        });
        ok = outcome.status == CopyOutcome::Status::Ok;
        why = outcome.problem;
    }
    if (ok) {
        const mode_t stored = member.unixMode & 0777;
        const mode_t mode = m_options.Privilege ? (stored ? stored : 0644) : 0600;
        const std::time_t modified = member.stat.mtime;
        ok = pending.commit(mode, (member.stat.valid & ZIP_STAT_MTIME) ? &modified : nullptr, why);
    }
    if (!ok) {
        fail(member, why);
        removeCreatedFolders(m_folder.get(), created);
        return;
    }
    if (m_options.Verbose)
        say(displayName(member.rawName) + ": extracted (" + std::to_string(member.stat.size) +
            " bytes)");
    if (m_functions.service &&
        m_functions.service(fullPath.c_str(), static_cast<std::int32_t>(fullPath.size())) != 0)
        m_cancelled = true;
}

CopyOutcome ExtractionRun::copyWithPassword(const Member& member, const Attempt& attempt) {
    if (member.stat.encryption_method == ZIP_EM_NONE)
        return attempt(nullptr);
    std::string password = m_lastPassword;
    bool havePassword = !password.empty();
    int asks = 0;
    CopyOutcome outcome{CopyOutcome::Status::Failed, "skipped (no password was given)"};
    for (;;) {
        if (!havePassword) {
            if (asks == kMaxPasswordAsks || !askPassword(member, password))
                break;
            ++asks;
            havePassword = true;
        }
        outcome = attempt(password.c_str());
        if (outcome.status != CopyOutcome::Status::WrongPassword) {
            if (outcome.status == CopyOutcome::Status::Ok)
                m_lastPassword = password;
            break;
        }
        havePassword = false;
    }
    explicit_bzero(password.data(), password.size());
    return outcome;
}

bool ExtractionRun::askPassword(const Member& member, std::string& password) {
    if (!m_functions.password)
        return false;
    char buffer[kPasswordBufferSize] = {};
    const std::string prompt = "Password for " + displayName(member.rawName) + ":";
    const std::int16_t reply = m_functions.password(
        buffer, static_cast<std::int32_t>(sizeof buffer), prompt.c_str(), member.name.c_str());
    const std::size_t length = ::strnlen(buffer, sizeof buffer);
    const bool given = reply == 0 && length > 0 && length < sizeof buffer;
    if (given)
        password.assign(buffer, length);
    explicit_bzero(buffer, sizeof buffer);
    return given;
}
