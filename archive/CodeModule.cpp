#include "CodeModule.h"

#include "archive/BindingState.h"
#include "format/GyroError.h"
#include "format/PackageCounters.h"
#include "format/ProgressSink.h"
#include "format/Prompter.h"

#include <QFile>
#include <QStringEncoder>

#include <algorithm>
#include <cstring>
#include <limits>
#include <optional>
#include <string_view>
#include <sys/stat.h>
#include <vector>

namespace {

constexpr std::size_t kMaxCallbackText = 32801;
constexpr std::size_t kMaxReplaceName = 256;
constexpr std::int32_t kMaxPasswordBuffer = 257;
const char* const kVBUnzipSource = "CodeModule::VBUnzip";

// The bytes of a string handed over by the library: from its start up to the first zero byte,
// count bytes or limit bytes, whichever comes first.
std::string_view readBytes(const char* text, std::int64_t count, std::size_t limit) {
    if (!text || count <= 0)
        return {};
    const std::size_t most = std::min<std::size_t>(static_cast<std::size_t>(count), limit);
    return std::string_view(text, ::strnlen(text, most));
}

QString toText(std::string_view bytes) {
    return QString::fromLocal8Bit(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

// A text as the zero-terminated byte string the library takes.
QByteArray toLibraryBytes(const QString& text) {
    QStringEncoder encoder(QStringEncoder::System);
    QByteArray bytes = encoder.encode(text);
    if (encoder.hasError() || bytes.contains('\0'))
        throw GyroError(ErrorNumber::BadFileName, QStringLiteral("Bad file name or number"),
                        QStringLiteral("CodeModule::toLibraryBytes"));
    return bytes;
}

void wipe(QByteArray& bytes) {
    std::fill(bytes.begin(), bytes.end(), '\0');
}

// The patterns as the library takes them; `bytes` keeps them alive. At most kUnzipNameListSize.
void fillNameList(const QStringList& patterns, std::vector<QByteArray>& bytes,
                  UnzipNameList& list) {
    if (patterns.size() > kUnzipNameListSize)
        throw GyroError(ErrorNumber::Overflow, QStringLiteral("Overflow"),
                        QString::fromLatin1(kVBUnzipSource));
    bytes.reserve(std::size_t(patterns.size()));
    for (const QString& pattern : patterns) {
        bytes.push_back(toLibraryBytes(pattern));
        list.names[bytes.size() - 1] = bytes.back().constData();
    }
}

std::optional<std::int64_t> regularFileSize(std::string_view path) {
    struct stat info;
    if (::stat(std::string(path).c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    return static_cast<std::int64_t>(info.st_size);
}

} // namespace

UnzipOptions makeUnzipOptions(const char* zipFileName, const char* extractDir,
                              std::int16_t iExtractNewer, std::int16_t iSpaceToUnderScore,
                              std::int16_t iPromptOverwrite, std::int16_t iMessageLevel,
                              std::int16_t iWriteToStdOut, std::int16_t iTestZip,
                              std::int16_t iExtractList, std::int16_t iExtractOnlyNewer,
                              std::int16_t iDisplayComment, std::int16_t iHonorDirectories,
                              std::int16_t iOverWriteFiles, std::int16_t iConvertCRtoCRLF,
                              std::int16_t iVerbose, std::int16_t iCaseSensitive,
                              std::int16_t iPrivilege) {
    UnzipOptions options{};
    options.ExtractOnlyNewer = iExtractOnlyNewer;
    options.SpaceToUnderScore = iSpaceToUnderScore;
    options.PromptOverwrite = iPromptOverwrite;
    options.MessageLevel = iMessageLevel;
    options.WriteToStdOut = iWriteToStdOut;
    options.TestZip = iTestZip;
    options.ExtractList = iExtractList;
    options.ExtractNewer = iExtractNewer;
    options.DisplayComment = iDisplayComment;
    options.HonorDirectories = iHonorDirectories;
    options.OverWriteFiles = iOverWriteFiles;
    options.ConvertCRtoCRLF = iConvertCRtoCRLF;
    options.Verbose = iVerbose;
    options.CaseSensitive = iCaseSensitive;
    options.Privilege = iPrivilege;
    options.ZipFileName = zipFileName;
    options.ExtractDir = extractDir;
    return options;
}

std::int32_t VBUnzip(const QString& sZipFileName, const QString& sExtractDir,
                     std::int16_t iExtractNewer, std::int16_t iSpaceToUnderScore,
                     std::int16_t iPromptOverwrite, std::int16_t iMessageLevel,
                     std::int16_t iWriteToStdOut, std::int16_t iTestZip, std::int16_t iExtractList,
                     std::int16_t iExtractOnlyNewer, std::int16_t iDisplayComment,
                     std::int16_t iHonorDirectories, std::int16_t iOverWriteFiles,
                     std::int16_t iConvertCRtoCRLF, std::int16_t iVerbose,
                     std::int16_t iCaseSensitive, std::int16_t iPrivilege, ProgressSink& progress,
                     Prompter& prompter, const QStringList& includePatterns,
                     const QStringList& leavePatterns) {
    try {
        BindingState& state = bindingState();
        state.sLastMessage.clear();
        state.bSkipPassword = false;

        const QByteArray zipFileName = toLibraryBytes(sZipFileName);
        const QByteArray extractDir = toLibraryBytes(sExtractDir);
        const UnzipOptions options = makeUnzipOptions(
            zipFileName.constData(), extractDir.constData(), iExtractNewer, iSpaceToUnderScore,
            iPromptOverwrite, iMessageLevel, iWriteToStdOut, iTestZip, iExtractList,
            iExtractOnlyNewer, iDisplayComment, iHonorDirectories, iOverWriteFiles,
            iConvertCRtoCRLF, iVerbose, iCaseSensitive, iPrivilege);

        UnzipUserFunctions functions{};
        functions.print = &UnzipPrintCallback;
        functions.sound = nullptr;
        functions.replace = &UnzipReplaceCallback;
        functions.password = &UnzipPasswordCallback;
        functions.listing = &UnzipListingCallback;
        functions.service = &UnzipServiceCallback;
        functions.left = &UnzipLeftCallback;

        std::vector<QByteArray> includeBytes;
        std::vector<QByteArray> leaveBytes;
        UnzipNameList include{};
        UnzipNameList leave{};
        fillNameList(includePatterns, includeBytes, include);
        fillNameList(leavePatterns, leaveBytes, leave);
        const UnzipNameList exclude{};

        UnzipVersionInfo version{};
        version.structLength = sizeof(UnzipVersionInfo);
        std::memset(version.releaseLevel, ' ', sizeof version.releaseLevel - 1);
        std::memset(version.releaseDate, ' ', sizeof version.releaseDate - 1);
        std::memset(version.backendVersion, ' ', sizeof version.backendVersion - 1);
        UzpVersion2(&version);

        const CallbackTargets targets(progress, prompter);
        return Wiz_SingleEntryUnzip(std::int32_t(includeBytes.size()), include.names, 0,
                                    exclude.names, &options, &functions,
                                    std::int32_t(leaveBytes.size()), leave.names);
    } catch (const GyroError& error) {
        throw error.withSource(QString::fromLatin1(kVBUnzipSource));
    } catch (const std::bad_alloc&) {
        throw GyroError(ErrorNumber::OutOfMemory, QStringLiteral("Out of memory"),
                        QString::fromLatin1(kVBUnzipSource));
    }
}

std::int32_t UnzipPrintCallback(const char* text, std::int32_t count) {
    try {
        const std::string_view bytes = readBytes(text, count, kMaxCallbackText);
        if (!bytes.empty() && bytes.front() == '\n')
            bindingState().sLastMessage += QStringLiteral("\r\n");
        else
            bindingState().sLastMessage += toText(bytes);
    } catch (...) {
    }
    return 0;
}

std::int32_t UnzipReplaceCallback(const char* fileName) {
    try {
        Prompter* prompter = bindingState().prompter;
        if (!prompter)
            return UnzipReply::Cancel;
        const QString name = toText(readBytes(fileName, kMaxReplaceName, kMaxReplaceName));
        switch (prompter->askYesNoCancel(QStringLiteral("Overwrite ") + name + QLatin1Char('?'),
                                         QStringLiteral("VBUnZip32 - File Already Exists!"))) {
        case Prompter::Reply::Yes:
            return UnzipReply::Yes;
        case Prompter::Reply::No:
            return UnzipReply::No;
        default:
            return UnzipReply::Cancel;
        }
    } catch (...) {
        return UnzipReply::Cancel;
    }
}

std::int16_t UnzipPasswordCallback(char* buffer, std::int32_t size, const char*, const char*) {
    try {
        BindingState& state = bindingState();
        if (state.bSkipPassword)
            return 1;
        const QString answer =
            state.prompter
                ? state.prompter->inputBox(QStringLiteral("Please Enter The Password!"), QString())
                : QString();
        if (answer.isEmpty()) {
            state.bSkipPassword = true;
            return 1;
        }
        const std::int32_t usable = buffer ? std::clamp(size, 0, kMaxPasswordBuffer) : 0;
        if (usable > 0)
            std::memset(buffer, 0, static_cast<std::size_t>(usable));
        QByteArray bytes = answer.toLocal8Bit();
        if (bytes.contains('\0') || bytes.size() + 1 > usable) {
            wipe(bytes);
            state.bSkipPassword = true;
            state.sLastMessage += QStringLiteral("The password was refused: it is longer than "
                                                 "%1 bytes.\r\n")
                                      .arg(std::max(usable - 1, 0));
            return 1;
        }
        std::memcpy(buffer, bytes.constData(), static_cast<std::size_t>(bytes.size()));
        wipe(bytes);
        return 0;
    } catch (...) {
        return 1;
    }
}

void UnzipListingCallback(const char*, const char*, std::uint64_t, std::uint64_t, std::int32_t,
                          std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                          std::uint32_t, std::int32_t, std::int32_t) {}

namespace {

// Counts one member handed over by the library (written, or left in the archive with its size
// given) and shows the running count. Never lets an error out.
void countHandedMember(const char* name, std::int32_t count, std::optional<std::int64_t> leftSize) {
    std::string_view bytes;
    try {
        bytes = readBytes(name, count, kMaxCallbackText);
        if (bytes.empty()) {
            countMember(packageCounters(), {}, std::nullopt);
            return;
        }
        const std::size_t slash = bytes.rfind('/');
        const std::string_view fileName =
            slash == std::string_view::npos ? bytes : bytes.substr(slash + 1);
        countMember(packageCounters(), fileName, leftSize ? leftSize : regularFileSize(bytes));
        const auto& watcher = leftSize ? bindingState().memberLeft : bindingState().memberWritten;
        if (watcher)
            watcher(QFile::decodeName(QByteArray(bytes.data(), qsizetype(bytes.size()))));
    } catch (...) {
        return;
    }
    try {
        if (ProgressSink* progress = bindingState().progress) {
            progress->setMessage(
                QStringLiteral("Uncompressing #") +
                QString::number(static_cast<qint64>(packageCounters().sngUnzipCount)));
            progress->refresh();
        }
    } catch (...) {
    }
}

} // namespace

std::int32_t UnzipServiceCallback(const char* name, std::int32_t count) {
    countHandedMember(name, count, std::nullopt);
    return 0;
}

std::int32_t UnzipLeftCallback(const char* name, std::int32_t count, std::uint64_t size) {
    countHandedMember(name, count,
                      std::int64_t(std::min<std::uint64_t>(
                          size, std::uint64_t(std::numeric_limits<std::int64_t>::max()))));
    return 0;
}
