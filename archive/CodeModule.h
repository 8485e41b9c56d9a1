#pragma once

#include "archive/UnzipLibrary.h"

#include <QString>
#include <QStringList>
#include <cstdint>

class ProgressSink;
class Prompter;

// The program's whole contact with the extraction library (UnzipLibrary.h). VBUnzip turns the
// options of one extraction request into the library's option record, hands the library the five
// callbacks below, queries its version and runs the extraction. Its process-wide state (the last
// message, the password skip flag) lives in BindingState.h; the package counters that the
// service callback advances live in package/PackageCounters.h and are reset by the caller.

// Runs one extraction of sZipFileName into sExtractDir and returns the library's result (0 for
// success) unchanged. The options arrive as the request holds them (flags 1 or 0), in this order,
// which differs from the record's. Empties the last message and clears the password skip flag
// first; never touches the package counters. While it runs, the callbacks report progress to
// progress and ask their questions through prompter. Raises GyroError (source
// "CodeModule::VBUnzip") when the extraction cannot be prepared: a path that cannot be passed
// as a zero-terminated byte string in the system's encoding raises error 52. includePatterns
// (at most kUnzipNameListSize) limit the extraction to the members they match; none: every member.
// Of those, the members leavePatterns (as many) match are left in the archive where it stores
// them uncompressed and unencrypted (see Wiz_SingleEntryUnzip), and counted by UnzipLeftCallback.
std::int32_t VBUnzip(const QString& sZipFileName, const QString& sExtractDir,
                     std::int16_t iExtractNewer, std::int16_t iSpaceToUnderScore,
                     std::int16_t iPromptOverwrite, std::int16_t iMessageLevel,
                     std::int16_t iWriteToStdOut, std::int16_t iTestZip, std::int16_t iExtractList,
                     std::int16_t iExtractOnlyNewer, std::int16_t iDisplayComment,
                     std::int16_t iHonorDirectories, std::int16_t iOverWriteFiles,
                     std::int16_t iConvertCRtoCRLF, std::int16_t iVerbose,
                     std::int16_t iCaseSensitive, std::int16_t iPrivilege, ProgressSink& progress,
                     Prompter& prompter, const QStringList& includePatterns = {},
                     const QStringList& leavePatterns = {});

// Fills the option record from the values in VBUnzip's order, each sign-extended to 32 bits.
// The record points at the two byte strings, which must outlive it.
UnzipOptions makeUnzipOptions(const char* zipFileName, const char* extractDir,
                              std::int16_t iExtractNewer, std::int16_t iSpaceToUnderScore,
                              std::int16_t iPromptOverwrite, std::int16_t iMessageLevel,
                              std::int16_t iWriteToStdOut, std::int16_t iTestZip,
                              std::int16_t iExtractList, std::int16_t iExtractOnlyNewer,
                              std::int16_t iDisplayComment, std::int16_t iHonorDirectories,
                              std::int16_t iOverWriteFiles, std::int16_t iConvertCRtoCRLF,
                              std::int16_t iVerbose, std::int16_t iCaseSensitive,
                              std::int16_t iPrivilege);

// The callbacks. None lets an error out.

// Appends at most count (and never more than 32,801) bytes, up to a zero byte, to the last
// message; a piece that begins with a line feed is appended as CR LF alone. Returns 0.
std::int32_t UnzipPrintCallback(const char* text, std::int32_t count);

// Asks "Overwrite <name>?" (the name read up to 256 bytes) in a Yes/No/Cancel box titled
// "VBUnZip32 - File Already Exists!" with the warning icon. Returns 102 for Yes, 100 for No,
// 104 for Cancel or a box closed without a choice (and when no prompter is set).
std::int32_t UnzipReplaceCallback(const char* fileName);

// Unless the skip flag is set, asks "Please Enter The Password!" with an empty default. An empty
// answer sets the skip flag and returns 1. Otherwise zeroes the first size bytes of the buffer
// (never more than 257) and writes the answer there, zero-terminated, returning 0. An answer
// that does not fit with its terminating zero is refused: the buffer is left zeroed, a line
// saying so is added to the last message, the skip flag is set and 1 is returned.
std::int16_t UnzipPasswordCallback(char* buffer, std::int32_t size, const char* prompt,
                                   const char* memberName);

// Accepts the library's report of one member; the program shows no listing.
void UnzipListingCallback(const char* name, const char* method, std::uint64_t size,
                          std::uint64_t compressedSize, std::int32_t percent, std::int32_t year,
                          std::int32_t month, std::int32_t day, std::int32_t hour,
                          std::int32_t minute, std::uint32_t crc, std::int32_t encrypted,
                          std::int32_t folder);

// Called once per member written, with its path (read up to count bytes, never more than
// 32,801). Counts the member (package counters); when the name is not empty, shows
// "Uncompressing #<count>" in the progress sink and refreshes it, counts the member by the
// patterns in its file name (the part after the last '/', so that the folder it was extracted
// into never counts), notes the size of the file found under the name when it is the largest so
// far and tells the member watcher (MemberWatch) its path. Returns 0.
std::int32_t UnzipServiceCallback(const char* name, std::int32_t count);

// Called once per member left in the archive, with the path it would have been written to: counts
// and shows it exactly as UnzipServiceCallback does, with `size` as the member's size (there is no
// file to measure), and tells the watcher of members left (MemberWatch) its path. Returns 0.
std::int32_t UnzipLeftCallback(const char* name, std::int32_t count, std::uint64_t size);
