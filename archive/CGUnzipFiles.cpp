#include "CGUnzipFiles.h"

#include "archive/BindingState.h"
#include "archive/CodeModule.h"
#include "format/GyroError.h"

#include <limits>
#include <new>

namespace {

const char* const kUnzipSource = "CGUnZipFiles::Unzip";

std::int16_t narrow(std::int32_t value) {
    if (value < std::numeric_limits<std::int16_t>::min() ||
        value > std::numeric_limits<std::int16_t>::max())
        throw GyroError(ErrorNumber::Overflow, QStringLiteral("Overflow"),
                        QString::fromLatin1(kUnzipSource));
    return static_cast<std::int16_t>(value);
}

} // namespace

CGUnzipFiles::CGUnzipFiles(ProgressSink& progress, Prompter& prompter)
    : m_progress(progress), m_prompter(prompter) {
    Class_Initialize();
}

void CGUnzipFiles::Class_Initialize() {
    m_ExtractNewer = 0;
    m_SpaceToUnderScore = 0;
    m_PromptOverwrite = 0;
    m_MessageLevel = 2;
    m_WriteToStdOut = 0;
    m_TestZip = 0;
    m_ExtractList = 0;
    m_ExtractOnlyNewer = 0;
    m_DisplayComment = 0;
    m_HonorDirectories = 1;
    m_OverWriteFiles = 1;
    m_ConvertCRtoCRLF = 0;
    m_Verbose = 0;
    m_CaseSensitive = 1;
    m_Privilege = 0;
    m_ZipFileName.clear();
    m_ExtractDir.clear();
}

std::int32_t CGUnzipFiles::Unzip(const QString& sZipFileName, const QString& sExtractDir) {
    try {
        if (!sZipFileName.isEmpty())
            m_ZipFileName = sZipFileName;
        if (!sExtractDir.isEmpty())
            m_ExtractDir = sExtractDir;
        const std::int16_t messageLevel = narrow(m_MessageLevel);
        const std::int16_t extractList = narrow(m_ExtractList);
        const std::int16_t privilege = narrow(m_Privilege);
        return VBUnzip(m_ZipFileName, m_ExtractDir, m_ExtractNewer, m_SpaceToUnderScore,
                       m_PromptOverwrite, messageLevel, m_WriteToStdOut, m_TestZip, extractList,
                       m_ExtractOnlyNewer, m_DisplayComment, m_HonorDirectories, m_OverWriteFiles,
                       m_ConvertCRtoCRLF, m_Verbose, m_CaseSensitive, privilege, m_progress,
                       m_prompter, m_IncludePatterns, m_LeavePatterns);
    } catch (const GyroError& error) {
        throw error.withSource(QString::fromLatin1(kUnzipSource));
    } catch (const std::bad_alloc&) {
        throw GyroError(ErrorNumber::OutOfMemory, QStringLiteral("Out of memory"),
                        QString::fromLatin1(kUnzipSource));
    }
}

QString CGUnzipFiles::GetLastMessage() const {
    return bindingState().sLastMessage;
}
