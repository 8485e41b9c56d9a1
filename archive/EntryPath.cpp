#include "EntryPath.h"

#include "DisplayText.h"

#include <algorithm>
#include <map>
#include <set>

namespace {

constexpr std::size_t kMaxPartLength = 255;
constexpr std::size_t kMaxRelativeLength = 4000;

bool holdsControlByte(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7F;
    });
}

std::vector<std::string> splitParts(std::string_view name) {
    std::vector<std::string> parts;
    std::string current;
    for (char c : name) {
        if (c == '/' || c == '\\') {
            if (!current.empty())
                parts.push_back(std::move(current));
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.empty())
        parts.push_back(std::move(current));
    return parts;
}

EntryPath refused(const char* why) {
    EntryPath path;
    path.kind = EntryPath::Kind::Refused;
    path.refusal = std::string("refused (") + why + ")";
    return path;
}

std::string foldedKey(std::string text, bool caseSensitive) {
    if (!caseSensitive)
        std::transform(text.begin(), text.end(), text.begin(), [](char c) {
            return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        });
    return text;
}

} // namespace

std::string EntryPath::relative() const {
    std::string out;
    for (const std::string& folder : folders) {
        out += folder;
        out += '/';
    }
    if (kind == Kind::File)
        out += file;
    else if (!out.empty())
        out.pop_back();
    return out;
}

EntryPath planEntryPath(std::string_view rawName, std::string_view name, bool markedFolder,
                        bool honorFolders, bool spaceToUnderscore) {
    if (holdsControlByte(rawName) || holdsControlByte(name))
        return refused("the name holds a control character");
    const bool folderEntry =
        markedFolder || (!name.empty() && (name.back() == '/' || name.back() == '\\'));
    std::vector<std::string> parts = splitParts(name);

    EntryPath path;
    if (folderEntry && !honorFolders) {
        path.kind = EntryPath::Kind::Skip;
        return path;
    }
    if (parts.empty()) {
        if (folderEntry) {
            path.kind = EntryPath::Kind::Skip;
            return path;
        }
        return refused("the name is empty");
    }
    // A ".." anywhere marks a name made to climb out; it is refused even where only the bare
    // name would be used.
    if (std::find(parts.begin(), parts.end(), "..") != parts.end())
        return refused("the name points outside the extraction folder");
    if (!honorFolders)
        parts.erase(parts.begin(), parts.end() - 1);
    for (const std::string& part : parts) {
        if (part == ".")
            return refused("the name holds a \".\" part");
        if (part.size() > kMaxPartLength)
            return refused("a part of the name is longer than 255 bytes");
    }
    if (spaceToUnderscore)
        for (std::string& part : parts)
            std::replace(part.begin(), part.end(), ' ', '_');
    if (folderEntry) {
        path.kind = EntryPath::Kind::Folder;
        path.folders = std::move(parts);
    } else {
        path.kind = EntryPath::Kind::File;
        path.file = std::move(parts.back());
        parts.pop_back();
        path.folders = std::move(parts);
    }
    if (path.relative().size() > kMaxRelativeLength)
        return refused("the name is longer than 4,000 bytes");
    return path;
}

void refuseCollisions(std::vector<EntryPath*>& entries, bool caseSensitive) {
    std::set<std::string> folders;
    std::map<std::string, std::vector<std::string>> files; // key -> written paths
    for (const EntryPath* entry : entries) {
        if (entry->kind != EntryPath::Kind::File && entry->kind != EntryPath::Kind::Folder)
            continue;
        std::string prefix;
        for (const std::string& folder : entry->folders) {
            prefix += folder;
            folders.insert(foldedKey(prefix, caseSensitive));
            prefix += '/';
        }
        if (entry->kind == EntryPath::Kind::File)
            files[foldedKey(entry->relative(), caseSensitive)].push_back(entry->relative());
    }
    for (EntryPath* entry : entries) {
        if (entry->kind != EntryPath::Kind::File)
            continue;
        const std::string own = entry->relative();
        const std::string key = foldedKey(own, caseSensitive);
        const std::vector<std::string>& same = files[key];
        // A name that differs only by case names the other member, so both are named.
        const auto other = std::find_if(same.begin(), same.end(),
                                        [&own](const std::string& path) { return path != own; });
        std::string why;
        if (other != same.end())
            why = "its name differs only by case from another member's, " + displayName(*other);
        else if (same.size() > 1)
            why = "another member is also written as " + displayName(own);
        else if (folders.count(key))
            why = "the archive also needs a folder named " + displayName(own);
        if (!why.empty()) {
            entry->refusal = "refused (" + why + ")";
            entry->kind = EntryPath::Kind::Refused;
        }
    }
}
