#pragma once

// The ZIP extraction library: a one-shot extraction entry driven by an option record and a
// callback record, with a version query. It is built over libzip and is the only code of the
// program that reads archives. Its one caller is the binding (CodeModule.h); everything it has
// to say arrives through the print callback, every question through the replace and password
// callbacks, and every member written is announced through the service callback.
//
// Safety guarantees, whatever the archive holds:
// - nothing is written outside the extraction folder: member names are reduced to their parts
//   (split on both '/' and '\'; empty parts, and so leading slashes, dropped); names that are
//   empty, hold a ".." part, are "." (or hold a "." part when folders are honored), hold a
//   control byte (below 0x20 or 0x7F) or have a written part longer than 255 bytes are
//   refused; no link is ever created
//   (symbolic-link members are refused), and every file is created afresh with O_EXCL and
//   O_NOFOLLOW under a temporary name relative to the opened extraction folder;
// - a member is moved to its name only when it was read to its end, its checksum matched and its
//   size equalled the declared size; whatever a failed member wrote is removed again;
// - members whose names collide (also after their folder parts are stripped, and without regard
//   to case when CaseSensitive is clear) are all refused;
// - an archive is refused before anything is written when it is not a ZIP archive or is
//   damaged, holds more than 4,096 members, when its members' compressed sizes add up to more
//   than the archive file (overlapping members), or when its declared uncompressed sizes (each
//   rounded up to whole blocks, plus a reserve of 256 KiB) add up to more than the free space of
//   the extraction folder's file system;
// - reading is streamed in fixed chunks; declared sizes never size an allocation and a member
//   that yields more data than it declares fails.
// Every refused or failed member is named in one line "<name>: <reason>" (names escaped for
// display: control bytes and bytes that are not UTF-8 appear as \xNN; names longer than 80
// characters keep their start and end around "..."), and the result is then non-zero. Only the
// first 20 members get a line of their own; one more line counts the rest ("... and N more
// failed"), so that the message stays short whatever the archive holds.

#include <cstdint>

// The options of one extraction. Fields 1 to 15 are flags (0 clear, any other value set) or small
// integers; the two texts are zero-terminated byte strings owned by the caller.
struct UnzipOptions {
    // Freshen: extract only members whose file exists already and is older than the member.
    std::int32_t ExtractOnlyNewer;
    // Blanks in the written file and folder names become underscores.
    std::int32_t SpaceToUnderScore;
    // Before replacing an existing file, ask through the replace callback (Yes replaces it, No
    // keeps it, Cancel ends the extraction). Takes precedence over OverWriteFiles.
    std::int32_t PromptOverwrite;
    // 0: only failures are printed; 1: also a closing summary; 2 and above: also the members
    // that were deliberately left alone (existing files kept).
    std::int32_t MessageLevel;
    // Write the members' data to standard output instead of files (nothing is created on disk,
    // no service call is made). Failures are still reported.
    std::int32_t WriteToStdOut;
    // Test only: read every member to its end and check it; nothing is written.
    std::int32_t TestZip;
    // List only: one listing call per member; nothing is read or written.
    std::int32_t ExtractList;
    // Update: extract members whose file does not exist yet or is older than the member.
    std::int32_t ExtractNewer;
    // Print the archive's comment before extracting.
    std::int32_t DisplayComment;
    // Recreate the members' folders inside the extraction folder (never outside it). When
    // clear, every member is written directly into the extraction folder under its bare name and
    // folder entries (names ending in '/') are skipped without a word.
    std::int32_t HonorDirectories;
    // Replace an existing file of the same name without asking. When clear (and PromptOverwrite
    // is clear), existing files are kept.
    std::int32_t OverWriteFiles;
    // Line ends of every written member become CR LF (lone CR, lone LF and CR LF alike). Meant
    // for archives of text files; the written size then differs from the member's size.
    std::int32_t ConvertCRtoCRLF;
    // Print one line for every member extracted or tested.
    std::int32_t Verbose;
    // Compare member names (duplicates, include and exclude patterns) exactly; when clear,
    // without regard to ASCII case.
    std::int32_t CaseSensitive;
    // 0: written files are private to the user (mode 0600, folders 0700); any other value:
    // files take the permission bits stored in the archive (without set-id and sticky bits),
    // 0644 when it stores none, folders 0755.
    std::int32_t Privilege;
    // Path of the archive.
    const char* ZipFileName;
    // Folder to extract into; it must exist. Null or empty means the current folder.
    const char* ExtractDir;
};

// Prints one piece of explanatory text (count bytes, not zero-terminated necessarily). Lines are
// printed as their text followed by a separate piece holding one line feed. The result is
// ignored.
using UnzipPrintFn = std::int32_t (*)(const char* text, std::int32_t count);
// Called once when the extraction has finished, when given.
using UnzipSoundFn = void (*)();
// Asked before an existing file is replaced (PromptOverwrite). Receives the file's path; answers
// one of UnzipReply.
using UnzipReplaceFn = std::int32_t (*)(const char* path);
// Asked when an encrypted member needs a password. The callback writes a zero-terminated
// password into buffer (size bytes) and returns 0, or returns 1 to give none, which leaves the
// member unextracted. A wrong answer is asked again, up to three times per member; a password
// that worked is tried first for the following members.
using UnzipPasswordFn = std::int16_t (*)(char* buffer, std::int32_t size, const char* prompt,
                                         const char* memberName);
// One member's report in list-only mode: name, compression method, size, compressed size,
// compression in percent, year, month, day, hour, minute, CRC-32, encrypted (0/1), folder (0/1).
using UnzipListingFn = void (*)(const char* name, const char* method, std::uint64_t size,
                                std::uint64_t compressedSize, std::int32_t percent,
                                std::int32_t year, std::int32_t month, std::int32_t day,
                                std::int32_t hour, std::int32_t minute, std::uint32_t crc,
                                std::int32_t encrypted, std::int32_t folder);
// Called once for every member written, after its file is complete under its own name. Receives
// the file's full path (the extraction folder joined with the member's written name) and that
// path's length. A non-zero result ends the extraction as cancelled.
using UnzipServiceFn = std::int32_t (*)(const char* path, std::int32_t count);
// Called, in place of the service callback, for every member left in the archive (see the leave
// patterns of Wiz_SingleEntryUnzip): the path it would have been written to and that path's
// length, as for the service callback, and the member's size. A non-zero result ends the
// extraction as cancelled.
using UnzipLeftFn = std::int32_t (*)(const char* path, std::int32_t count, std::uint64_t size);

// The callbacks; any may be null (a null question callback answers "no" / "no password").
struct UnzipUserFunctions {
    UnzipPrintFn print;
    UnzipSoundFn sound;
    UnzipReplaceFn replace;
    UnzipPasswordFn password;
    UnzipListingFn listing;
    UnzipServiceFn service;
    UnzipLeftFn left;
    // Filled by the library once the archive is read (sizes saturate at 0xFFFFFFFF).
    std::uint32_t compressedTotal;
    std::uint32_t uncompressedTotal;
    std::uint32_t compressionPercent;
    std::uint32_t memberCount;
    std::uint32_t commentLength;
};

// Answers of the replace callback.
namespace UnzipReply {
constexpr std::int32_t No = 100;
constexpr std::int32_t Yes = 102;
constexpr std::int32_t Cancel = 104;
} // namespace UnzipReply

// Results of Wiz_SingleEntryUnzip.
namespace UnzipResult {
constexpr std::int32_t Ok = 0;
constexpr std::int32_t MemberFailures = 1; // some members refused or failed, the others written
constexpr std::int32_t ArchiveRefused = 2; // not a ZIP, damaged, too many members, too large
constexpr std::int32_t CannotRead = 3;     // the archive cannot be opened or is not a file
constexpr std::int32_t CannotWrite = 4;    // the extraction folder cannot be opened
constexpr std::int32_t Cancelled = 5;      // cancelled by the replace or service callback
constexpr std::int32_t BadArguments = 6;   // a record or the archive name is missing
constexpr std::int32_t OutOfMemory = 7;
constexpr std::int32_t Failed = 8; // any other failure of the library itself
} // namespace UnzipResult

// A list of member-name patterns (shell wildcards), as the binding hands them over.
constexpr int kUnzipNameListSize = 100;
struct UnzipNameList {
    const char* names[kUnzipNameListSize];
};

// The version record, 64 bytes. The caller sets structLength to 64 and fills the texts with
// blanks; the library fills what fits.
struct UnzipVersionInfo {
    std::uint32_t structLength;
    std::uint32_t flags;
    char releaseLevel[10];
    char releaseDate[20];
    char backendVersion[10];
    std::uint8_t libraryVersion[4];
    std::uint8_t interfaceVersion[4];
    std::uint32_t reserved;
    std::uint8_t reserved2[4];
};
static_assert(sizeof(UnzipVersionInfo) == 64);

// Fills the version record: the library's version, its interface version and the version of
// libzip underneath. Does nothing when info is null or its structLength is below 64.
void UzpVersion2(UnzipVersionInfo* info);

// Runs one whole extraction. Members whose names match no include pattern (when includeCount is
// above 0) or match an exclude pattern are left alone. Returns UnzipResult::Ok when every member
// handled was extracted (or tested, or listed) and a non-zero UnzipResult otherwise; all callbacks
// run on the calling thread before it returns.
// When extracting into files, a member whose name also matches a leave pattern and that the
// archive stores uncompressed and unencrypted (method 0, its size and compressed size equal) is
// left in the archive, for the caller to read where it lies: it is handled, refused and counted
// like any member, but nothing of it is read or written and its blocks do not count against the
// free space; the left callback announces it instead of the service callback. Its checksum is
// not checked (its data is never read): that is for whoever reads it.
std::int32_t Wiz_SingleEntryUnzip(std::int32_t includeCount, const char* const* includeNames,
                                  std::int32_t excludeCount, const char* const* excludeNames,
                                  const UnzipOptions* options, UnzipUserFunctions* functions,
                                  std::int32_t leaveCount = 0,
                                  const char* const* leaveNames = nullptr);
