#pragma once

#include <string>
#include <string_view>
#include <vector>

// Where one archive member goes below the extraction folder, worked out from its stored name
// alone. Pure logic: the extraction run plans every member with it before anything is written.
struct EntryPath {
    enum class Kind {
        File,    // written as a file: folders (possibly none) then file
        Folder,  // a folder entry: folders to create when honoring folders
        Skip,    // a folder entry while folders are not honored: left alone without a word
        Refused, // refusal says why
    };

    Kind kind = Kind::Refused;
    std::vector<std::string> folders; // folder parts below the extraction folder, outermost first
    std::string file;                 // the file's own name (Kind::File only)
    std::string refusal;              // "refused (...)" (Kind::Refused only)

    // The written path relative to the extraction folder, parts joined with '/'.
    std::string relative() const;
};

// Plans one member. rawName is the name exactly as stored, name the one that will be written
// (the stored name, converted to UTF-8 where the archive did not mark it as such); both are
// checked for control bytes. markedFolder is true when the member's attributes say it is a
// folder; a name ending in '/' or '\' is a folder entry too. Names are split on '/' and '\';
// empty parts are dropped (so a leading '/' is too). Refused: a name with a control byte (below
// 0x20 or 0x7F), an empty name, a ".." part anywhere, "." as the bare name (or as any part when
// honoring folders), a written part longer than 255 bytes, a written path longer than 4,000
// bytes. With spaceToUnderscore, blanks in the
// written parts become underscores.
EntryPath planEntryPath(std::string_view rawName, std::string_view name, bool markedFolder,
                        bool honorFolders, bool spaceToUnderscore);

// Refuses every file entry whose written path equals another file entry's, or a folder another
// entry needs; with caseSensitive clear the comparison ignores ASCII case. Entries of other
// kinds only contribute their folders.
void refuseCollisions(std::vector<EntryPath*>& entries, bool caseSensitive);
