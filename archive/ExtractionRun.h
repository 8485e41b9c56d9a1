#pragma once

#include "EntryPath.h"
#include "MemberCopy.h"
#include "OutputFolder.h"
#include "UnzipLibrary.h"

#include <zip.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// One call of the extraction entry, from opening the archive to the closing summary. It refuses
// what must be refused as a whole before anything is written, plans every member's path, then
// lists, tests or writes the members in archive order. Internal to the library: UnzipLibrary.h
// states the contract. Holds the archive and the extraction folder open for its lifetime.
class ExtractionRun {
public:
    ExtractionRun(const UnzipOptions& options, UnzipUserFunctions& functions,
                  std::vector<std::string> include, std::vector<std::string> exclude,
                  std::vector<std::string> leave = {});
    ~ExtractionRun();
    ExtractionRun(const ExtractionRun&) = delete;
    ExtractionRun& operator=(const ExtractionRun&) = delete;

    std::int32_t run();

    // Prints one line through the print callback: the text in pieces that never split a UTF-8
    // sequence, then a piece holding one line feed.
    void say(const std::string& line);

private:
    struct Member {
        zip_uint64_t index = 0;
        zip_stat_t stat{};
        std::string rawName;
        std::string name; // UTF-8
        std::uint32_t unixMode = 0;
        bool link = false;
        bool folder = false;
        bool selected = true;
        bool left = false; // left in the archive: nothing of it is read or written
        EntryPath path;
    };
    enum class Mode { Files, Test, List, StdOut };
    using Attempt = std::function<CopyOutcome(const char* password)>;

    std::int32_t openArchive();
    // Says why libzip would not open the archive (its error code; fd still open) and gives the
    // result for it.
    std::int32_t refuseArchive(int error, int fd);
    std::int32_t readMembers();
    void planMembers();
    bool matches(const std::vector<std::string>& patterns, const std::string& name) const;
    bool selected(const std::string& name) const;
    // Whether a member to be written as a file is to be left in the archive instead.
    bool leftInArchive(const Member& member) const;
    void announceLeft(const Member& member);
    std::int32_t openExtractionFolder();
    std::int32_t checkFreeSpace();
    void showComment();
    void fillTotals();
    void listMembers();
    void handleMember(Member& member);
    void writeFile(Member& member);
    void writeFolder(Member& member);
    CopyOutcome copyWithPassword(const Member& member, const Attempt& attempt);
    bool askPassword(const Member& member, std::string& password);
    bool keepExisting(const Member& member, int folderFd, const std::string& fullPath);
    void fail(const Member& member, const std::string& problem);
    void note(const Member& member, const std::string& text);
    std::int32_t finish();

    const UnzipOptions& m_options;
    UnzipUserFunctions& m_functions;
    std::vector<std::string> m_include;
    std::vector<std::string> m_exclude;
    std::vector<std::string> m_leave;
    Mode m_mode = Mode::Files;

    std::string m_label; // the archive's file name, escaped for display
    zip_t* m_archive = nullptr;
    std::uint64_t m_archiveSize = 0;
    std::vector<Member> m_members;
    UniqueFd m_folder;
    std::string m_folderPrefix; // the extraction folder as the service callback's paths begin

    std::string m_lastPassword;
    int m_handled = 0;
    int m_failures = 0;
    int m_memberLines = 0;    // lines said about single members
    int m_failuresUnsaid = 0; // failures and notes past the bound on member lines
    int m_notesUnsaid = 0;
    bool m_cancelled = false;
};
