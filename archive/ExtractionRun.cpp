#include "ExtractionRun.h"

#include "DisplayText.h"
#include "ForeignFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace {

constexpr zip_int64_t kMaxMembers = 4096;
constexpr std::size_t kMaxPiece = 32000;
// A member's line names it with at most this many characters; at most this many members get a
// line of their own, the rest are counted.
constexpr std::size_t kMaxNameLength = 80;
constexpr int kMaxMemberLines = 20;
// Bytes the extraction leaves free in its folder beyond the members' blocks.
constexpr std::uint64_t kFreeSpaceReserve = 256 * 1024;
constexpr std::uint32_t kMsDosFolderAttribute = 0x10;

std::string baseName(const char* path) {
    const char* slash = std::strrchr(path, '/');
    return slash ? std::string(slash + 1) : std::string(path);
}

std::uint64_t addSaturating(std::uint64_t a, std::uint64_t b) {
    return a > UINT64_MAX - b ? UINT64_MAX : a + b;
}

std::uint32_t to32(std::uint64_t value) {
    return value > UINT32_MAX ? UINT32_MAX : static_cast<std::uint32_t>(value);
}

} // namespace

ExtractionRun::ExtractionRun(const UnzipOptions& options, UnzipUserFunctions& functions,
                             std::vector<std::string> include, std::vector<std::string> exclude,
                             std::vector<std::string> leave)
    : m_options(options), m_functions(functions), m_include(std::move(include)),
      m_exclude(std::move(exclude)), m_leave(std::move(leave)) {
    if (options.ExtractList)
        m_mode = Mode::List;
    else if (options.TestZip)
        m_mode = Mode::Test;
    else if (options.WriteToStdOut)
        m_mode = Mode::StdOut;
}

ExtractionRun::~ExtractionRun() {
    if (m_archive)
        zip_discard(m_archive);
    if (!m_lastPassword.empty())
        explicit_bzero(m_lastPassword.data(), m_lastPassword.size());
}

void ExtractionRun::say(const std::string& line) {
    if (!m_functions.print)
        return;
    std::size_t start = 0;
    while (start < line.size()) {
        std::size_t end = std::min(line.size(), start + kMaxPiece);
        while (end < line.size() && end > start + 1 &&
               (static_cast<unsigned char>(line[end]) & 0xC0) == 0x80)
            --end;
        m_functions.print(line.data() + start, static_cast<std::int32_t>(end - start));
        start = end;
    }
    m_functions.print("\n", 1);
}

std::int32_t ExtractionRun::run() {
    std::int32_t result = openArchive();
    if (result == UnzipResult::Ok)
        result = readMembers();
    if (result != UnzipResult::Ok) {
        if (m_functions.sound)
            m_functions.sound();
        return result;
    }
    planMembers();
    fillTotals();
    if (m_options.DisplayComment)
        showComment();
    if (m_mode == Mode::List) {
        listMembers();
        return finish();
    }
    if (m_mode == Mode::Files) {
        result = openExtractionFolder();
        if (result == UnzipResult::Ok)
            result = checkFreeSpace();
        if (result != UnzipResult::Ok) {
            if (m_functions.sound)
                m_functions.sound();
            return result;
        }
    }
    for (Member& member : m_members) {
        if (m_cancelled)
            break;
        if (member.selected)
            handleMember(member);
    }
    return finish();
}

std::int32_t ExtractionRun::openArchive() {
    const char* path = m_options.ZipFileName;
    if (!path || !*path) {
        say("No archive was named.");
        return UnzipResult::BadArguments;
    }
    m_label = displayName(baseName(path));
    UniqueFd fd(::open(path, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (!fd.valid()) {
        say(m_label + (errno == ENOENT
                           ? " does not exist"
                           : std::string(" cannot be opened: ") + std::strerror(errno)));
        return UnzipResult::CannotRead;
    }
    struct stat info;
    if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        say(m_label + " is not a file");
        return UnzipResult::CannotRead;
    }
    m_archiveSize = static_cast<std::uint64_t>(info.st_size);
    ::fcntl(fd.get(), F_SETFL, ::fcntl(fd.get(), F_GETFL) & ~O_NONBLOCK);

    int error = 0;
    m_archive = zip_fdopen(fd.get(), ZIP_RDONLY, &error);
    if (!m_archive)
        return refuseArchive(error, fd.get());
    fd.release(); // zip_fdopen has taken it over
    return UnzipResult::Ok;
}

std::int32_t ExtractionRun::refuseArchive(int error, int fd) {
    switch (error) {
    case ZIP_ER_NOZIP: {
        unsigned char head[kForeignFileHead] = {};
        const ssize_t got = ::pread(fd, head, sizeof head, 0);
        const std::size_t size = got > 0 ? std::size_t(got) : 0;
        const bool local = size >= 4 && std::memcmp(head, "PK\3\4", 4) == 0;
        const std::string kind = foreignFileKind(head, size);
        if (m_archiveSize == 0)
            say(m_label + " is empty");
        else if (local)
            say(m_label + " is damaged: it is truncated or its directory is missing");
        else if (!kind.empty())
            say(m_label + " is " + kind + ", not a package");
        else
            say(m_label + " is not a ZIP archive");
        return UnzipResult::ArchiveRefused;
    }
    case ZIP_ER_INCONS:
        say(m_label + " is damaged: its directory does not agree with its contents");
        return UnzipResult::ArchiveRefused;
    case ZIP_ER_EXISTS:
        say(m_label + " is damaged: two of its members have the same name");
        return UnzipResult::ArchiveRefused;
    case ZIP_ER_EOF:
        say(m_label + " is damaged: it ends in the middle of a member");
        return UnzipResult::ArchiveRefused;
    case ZIP_ER_MULTIDISK:
        say(m_label + " is one part of an archive split over several files; it cannot be read");
        return UnzipResult::ArchiveRefused;
    case ZIP_ER_MEMORY:
        say("There is not enough memory to read " + m_label);
        return UnzipResult::OutOfMemory;
    default: {
        zip_error_t described;
        zip_error_init_with_code(&described, error);
        say(m_label + " cannot be read: " + zip_error_strerror(&described));
        zip_error_fini(&described);
        return UnzipResult::CannotRead;
    }
    }
}

std::int32_t ExtractionRun::readMembers() {
    const zip_int64_t count = zip_get_num_entries(m_archive, 0);
    if (count < 0) {
        say(m_label + " is damaged: its directory cannot be read");
        return UnzipResult::ArchiveRefused;
    }
    if (count > kMaxMembers) {
        say(m_label + " holds " + std::to_string(count) +
            " members; at most 4,096 members are accepted");
        return UnzipResult::ArchiveRefused;
    }
    m_members.reserve(static_cast<std::size_t>(count));
    std::uint64_t compressedSum = 0;
    for (zip_int64_t i = 0; i < count; ++i) {
        Member member;
        member.index = static_cast<zip_uint64_t>(i);
        zip_stat_init(&member.stat);
        const char* raw = zip_get_name(m_archive, member.index, ZIP_FL_ENC_RAW);
        if (zip_stat_index(m_archive, member.index, 0, &member.stat) != 0 || !raw ||
            !(member.stat.valid & ZIP_STAT_NAME) || !(member.stat.valid & ZIP_STAT_COMP_SIZE)) {
            say(m_label + " is damaged: its member " + std::to_string(i + 1) + " cannot be read");
            return UnzipResult::ArchiveRefused;
        }
        member.rawName = raw;
        member.name = member.stat.name;
        zip_uint8_t system = 0;
        zip_uint32_t attributes = 0;
        if (zip_file_get_external_attributes(m_archive, member.index, 0, &system, &attributes) ==
            0) {
            if (system == ZIP_OPSYS_UNIX)
                member.unixMode = attributes >> 16;
            else if (system == ZIP_OPSYS_DOS)
                member.folder = (attributes & kMsDosFolderAttribute) != 0;
        }
        member.link = (member.unixMode & S_IFMT) == S_IFLNK;
        member.folder = member.folder || (member.unixMode & S_IFMT) == S_IFDIR;
        compressedSum = addSaturating(compressedSum, member.stat.comp_size);
        m_members.push_back(std::move(member));
    }
    if (compressedSum > m_archiveSize) {
        say(m_label + " is damaged: its members overlap (their compressed sizes add up to more "
                      "than the file holds)");
        return UnzipResult::ArchiveRefused;
    }
    return UnzipResult::Ok;
}

bool ExtractionRun::matches(const std::vector<std::string>& patterns,
                            const std::string& name) const {
    const int flags = FNM_NOESCAPE | (m_options.CaseSensitive ? 0 : FNM_CASEFOLD);
    for (const std::string& pattern : patterns)
        if (::fnmatch(pattern.c_str(), name.c_str(), flags) == 0)
            return true;
    return false;
}

bool ExtractionRun::selected(const std::string& name) const {
    return (m_include.empty() || matches(m_include, name)) && !matches(m_exclude, name);
}

bool ExtractionRun::leftInArchive(const Member& member) const {
    const zip_stat_t& stat = member.stat;
    return m_mode == Mode::Files && member.path.kind == EntryPath::Kind::File &&
           matches(m_leave, member.name) && (stat.valid & ZIP_STAT_COMP_METHOD) &&
           stat.comp_method == ZIP_CM_STORE && (stat.valid & ZIP_STAT_ENCRYPTION_METHOD) &&
           stat.encryption_method == ZIP_EM_NONE && (stat.valid & ZIP_STAT_SIZE) &&
           stat.size == stat.comp_size;
}

void ExtractionRun::planMembers() {
    std::vector<EntryPath*> planned;
    for (Member& member : m_members) {
        member.selected = selected(member.name);
        if (!member.selected)
            continue;
        member.path =
            planEntryPath(member.rawName, member.name, member.folder,
                          m_options.HonorDirectories != 0, m_options.SpaceToUnderScore != 0);
        if (member.link && member.path.kind != EntryPath::Kind::Skip &&
            member.path.kind != EntryPath::Kind::Refused) {
            member.path.kind = EntryPath::Kind::Refused;
            member.path.refusal = "refused (it is a symbolic link; links are not extracted)";
        }
        planned.push_back(&member.path);
    }
    refuseCollisions(planned, m_options.CaseSensitive != 0);
    for (Member& member : m_members)
        member.left = member.selected && leftInArchive(member);
}

std::int32_t ExtractionRun::openExtractionFolder() {
    const char* dir = m_options.ExtractDir;
    const bool current = !dir || !*dir;
    m_folder = UniqueFd(::open(current ? "." : dir, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!m_folder.valid()) {
        say("The extraction folder " + displayName(current ? "." : dir) +
            " cannot be opened: " + std::strerror(errno));
        return UnzipResult::CannotWrite;
    }
    if (!current) {
        m_folderPrefix = dir;
        if (m_folderPrefix.back() != '/')
            m_folderPrefix += '/';
    }
    return UnzipResult::Ok;
}

std::int32_t ExtractionRun::checkFreeSpace() {
    struct statvfs space;
    if (::fstatvfs(m_folder.get(), &space) != 0)
        return UnzipResult::Ok; // no figure to compare with; the writes themselves will tell
    // Every file takes whole blocks; a small reserve keeps the folder from filling to the last
    // byte. Whatever does not fit is still caught by the writes themselves.
    const std::uint64_t block = space.f_frsize > 0 ? space.f_frsize : 4096;
    std::uint64_t needed = kFreeSpaceReserve;
    for (const Member& member : m_members)
        if (member.selected && member.path.kind == EntryPath::Kind::File && !member.left)
            needed =
                addSaturating(needed, addSaturating(member.stat.size, block - 1) / block * block);
    const unsigned __int128 free = static_cast<unsigned __int128>(space.f_bavail) * space.f_frsize;
    if (static_cast<unsigned __int128>(needed) > free) {
        const std::uint64_t shown = free > UINT64_MAX ? UINT64_MAX : std::uint64_t(free);
        say(m_label + " needs " + std::to_string(needed) + " bytes when extracted, more than the " +
            std::to_string(shown) + " bytes free in the extraction folder");
        return UnzipResult::ArchiveRefused;
    }
    return UnzipResult::Ok;
}

void ExtractionRun::showComment() {
    int length = 0;
    const char* comment = zip_get_archive_comment(m_archive, &length, 0);
    if (!comment || length <= 0)
        return;
    std::string_view text(comment, static_cast<std::size_t>(length));
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        say(displayName(line));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    }
}

void ExtractionRun::fillTotals() {
    std::uint64_t compressed = 0;
    std::uint64_t uncompressed = 0;
    for (const Member& member : m_members) {
        compressed = addSaturating(compressed, member.stat.comp_size);
        uncompressed = addSaturating(uncompressed, member.stat.size);
    }
    m_functions.compressedTotal = to32(compressed);
    m_functions.uncompressedTotal = to32(uncompressed);
    m_functions.compressionPercent =
        uncompressed == 0 || compressed >= uncompressed
            ? 0
            : static_cast<std::uint32_t>(100 - compressed * 100 / uncompressed);
    m_functions.memberCount = static_cast<std::uint32_t>(m_members.size());
    int length = 0;
    zip_get_archive_comment(m_archive, &length, ZIP_FL_ENC_RAW);
    m_functions.commentLength = length > 0 ? static_cast<std::uint32_t>(length) : 0;
}

void ExtractionRun::fail(const Member& member, const std::string& problem) {
    ++m_failures;
    if (m_memberLines >= kMaxMemberLines) {
        ++m_failuresUnsaid;
        return;
    }
    ++m_memberLines;
    say(clippedInMiddle(displayName(member.rawName), kMaxNameLength) + ": " + problem);
}

void ExtractionRun::note(const Member& member, const std::string& text) {
    if (m_options.MessageLevel < 2)
        return;
    if (m_memberLines >= kMaxMemberLines) {
        ++m_notesUnsaid;
        return;
    }
    ++m_memberLines;
    say(clippedInMiddle(displayName(member.rawName), kMaxNameLength) + ": " + text);
}

std::int32_t ExtractionRun::finish() {
    if (m_failuresUnsaid > 0)
        say("... and " + std::to_string(m_failuresUnsaid) + " more failed");
    if (m_notesUnsaid > 0)
        say("... and " + std::to_string(m_notesUnsaid) + " more were left alone");
    if (m_cancelled)
        say(m_label + ": the extraction was cancelled");
    else if (m_failures > 0 && m_options.MessageLevel >= 1)
        say(m_label + ": " + std::to_string(m_failures) + " of " + std::to_string(m_handled) +
            (m_mode == Mode::Test ? " members failed the test" : " members were not extracted"));
    else if (m_failures == 0 && m_mode == Mode::Test && m_options.MessageLevel >= 1)
        say("No errors were found in " + m_label);
    if (m_functions.sound)
        m_functions.sound();
    if (m_cancelled)
        return UnzipResult::Cancelled;
    return m_failures > 0 ? UnzipResult::MemberFailures : UnzipResult::Ok;
}
