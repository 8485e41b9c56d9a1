#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

class ProgressSink;
class Prompter;

// One ZIP extraction request: holds the options of an extraction, runs it through VBUnzip and
// returns the library's result code. The opening pipeline creates one per package, sets
// ZipFileName, ExtractDir and HonorDirectories (false), calls Unzip with two empty texts and
// shows GetLastMessage when the result is not 0. Flags are held as 1 or 0, the way the library
// takes them. The progress sink and prompter belong to the caller and must outlive the request;
// they are handed to the library's callbacks during Unzip.
class CGUnzipFiles {
public:
    CGUnzipFiles(ProgressSink& progress, Prompter& prompter);

    bool ExtractNewer() const { return m_ExtractNewer == 1; }
    void setExtractNewer(bool value) { m_ExtractNewer = value ? 1 : 0; }
    bool SpaceToUnderScore() const { return m_SpaceToUnderScore == 1; }
    void setSpaceToUnderScore(bool value) { m_SpaceToUnderScore = value ? 1 : 0; }
    bool PromptOverwrite() const { return m_PromptOverwrite == 1; }
    void setPromptOverwrite(bool value) { m_PromptOverwrite = value ? 1 : 0; }
    std::int32_t MessageLevel() const { return m_MessageLevel; }
    void setMessageLevel(std::int32_t value) { m_MessageLevel = value; }
    bool WriteToStdOut() const { return m_WriteToStdOut == 1; }
    void setWriteToStdOut(bool value) { m_WriteToStdOut = value ? 1 : 0; }
    bool TestZip() const { return m_TestZip == 1; }
    void setTestZip(bool value) { m_TestZip = value ? 1 : 0; }
    std::int32_t ExtractList() const { return m_ExtractList; }
    void setExtractList(std::int32_t value) { m_ExtractList = value; }
    bool ExtractOnlyNewer() const { return m_ExtractOnlyNewer == 1; }
    void setExtractOnlyNewer(bool value) { m_ExtractOnlyNewer = value ? 1 : 0; }
    bool DisplayComment() const { return m_DisplayComment == 1; }
    void setDisplayComment(bool value) { m_DisplayComment = value ? 1 : 0; }
    bool HonorDirectories() const { return m_HonorDirectories == 1; }
    void setHonorDirectories(bool value) { m_HonorDirectories = value ? 1 : 0; }
    bool OverWriteFiles() const { return m_OverWriteFiles == 1; }
    void setOverWriteFiles(bool value) { m_OverWriteFiles = value ? 1 : 0; }
    bool ConvertCRtoCRLF() const { return m_ConvertCRtoCRLF == 1; }
    void setConvertCRtoCRLF(bool value) { m_ConvertCRtoCRLF = value ? 1 : 0; }
    bool Verbose() const { return m_Verbose == 1; }
    void setVerbose(bool value) { m_Verbose = value ? 1 : 0; }
    bool CaseSensitive() const { return m_CaseSensitive == 1; }
    void setCaseSensitive(bool value) { m_CaseSensitive = value ? 1 : 0; }
    std::int32_t Privilege() const { return m_Privilege; }
    void setPrivilege(std::int32_t value) { m_Privilege = value; }
    QString ZipFileName() const { return m_ZipFileName; }
    void setZipFileName(const QString& value) { m_ZipFileName = value; }
    QString ExtractDir() const { return m_ExtractDir; }
    void setExtractDir(const QString& value) { m_ExtractDir = value; }
    // Only members matching one of these patterns are extracted (none: every member).
    void setIncludePatterns(const QStringList& patterns) { m_IncludePatterns = patterns; }
    // Of the members extracted, those matching one of these patterns that the package stores
    // uncompressed and unencrypted are left in it instead of written: counted and shown as every
    // member, but read later from the package where they lie (their checksum with them).
    void setLeavePatterns(const QStringList& patterns) { m_LeavePatterns = patterns; }

    // Runs one extraction. A non-empty sZipFileName or sExtractDir first replaces ZipFileName or
    // ExtractDir for good. Returns the library's result unchanged (0 for success); a non-zero
    // result is not an error. Raises GyroError with the source "CGUnZipFiles::Unzip" (same
    // number and description) for every error underneath, among them error 6 "Overflow" when
    // MessageLevel, ExtractList or Privilege does not fit in 16 bits (the library is then not
    // called).
    std::int32_t Unzip(const QString& sZipFileName, const QString& sExtractDir);

    // What the library printed during the most recent extraction of the whole process (not of
    // this request alone); empty before the first one.
    QString GetLastMessage() const;

private:
    void Class_Initialize();

    ProgressSink& m_progress;
    Prompter& m_prompter;

    std::int16_t m_ExtractNewer;
    std::int16_t m_SpaceToUnderScore;
    std::int16_t m_PromptOverwrite;
    std::int32_t m_MessageLevel;
    std::int16_t m_WriteToStdOut;
    std::int16_t m_TestZip;
    std::int32_t m_ExtractList;
    std::int16_t m_ExtractOnlyNewer;
    std::int16_t m_DisplayComment;
    std::int16_t m_HonorDirectories;
    std::int16_t m_OverWriteFiles;
    std::int16_t m_ConvertCRtoCRLF;
    std::int16_t m_Verbose;
    std::int16_t m_CaseSensitive;
    std::int32_t m_Privilege;
    QString m_ZipFileName;
    QString m_ExtractDir;
    QStringList m_IncludePatterns;
    QStringList m_LeavePatterns;
};
