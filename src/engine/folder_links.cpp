#include "engine/folder_links.h"

#include <map>

#include "base/paths.h"

namespace {

// Each folder from the target (not included) down to `relative`, relative to the target.
std::vector<std::string> Levels(const std::string& relative) {
    std::vector<std::string> levels;
    if (relative.empty()) return levels;
    std::string level;
    for (std::string_view name : PathNames(relative)) {
        if (!level.empty()) level += '\\';
        level.append(name);
        levels.push_back(level);
    }
    return levels;
}

std::string RelativeFolder(const std::string& target, const std::string& folder) {
    return folder.size() > target.size() + 1 ? folder.substr(target.size() + 1) : "";
}

bool SameLead(const FileIdentity& a, const FileIdentity& b) {
    if (a.size < 0 || b.size < 0) return a.size < 0 && b.size < 0;
    return a.volume == b.volume && a.hasIndex == b.hasIndex && a.index == b.index;
}

}  // namespace

std::vector<JournalEntry> LinksOnTheWay(JournalDisk& disk, const std::string& target, const std::string& folder,
                                        std::set<std::string>& seen) {
    std::vector<JournalEntry> links;
    // Most files go to a folder met before, whose way down was looked at with it.
    if (seen.count(disk.FoldCase(folder))) return links;
    for (const std::string& level : Levels(RelativeFolder(target, folder))) {
        std::string path = JoinPath(target, level);
        if (!seen.insert(disk.FoldCase(path)).second) continue;
        FileIdentity leadsTo;
        if (disk.FolderLinkAt(path, leadsTo)) links.push_back({JournalEntry::Kind::Link, level, "", leadsTo});
    }
    return links;
}

std::string LinkNotAsRecorded(JournalDisk& disk, const std::string& target, const std::vector<JournalEntry>& entries) {
    std::map<std::string, FileIdentity> recorded;  // folded relative path -> where it led
    for (const auto& e : entries) {
        if (e.kind == JournalEntry::Kind::Link) recorded[disk.FoldCase(e.path)] = e.identity;
    }
    std::set<std::string> checked;
    for (const auto& e : entries) {
        if (e.kind == JournalEntry::Kind::Link || e.kind == JournalEntry::Kind::Committed) continue;
        // A folder the run made is removed by the undo: it must not have become a link either.
        std::string way = e.kind == JournalEntry::Kind::Folder ? e.path : FolderOf(e.path);
        for (const std::string& level : Levels(way)) {
            std::string key = disk.FoldCase(level);
            if (!checked.insert(key).second) continue;
            std::string path = JoinPath(target, level);
            FileIdentity now;
            auto known = recorded.find(key);
            if (disk.FolderLinkAt(path, now)) {
                if (known == recorded.end() || !SameLead(known->second, now)) return path;
            } else if (known != recorded.end() && disk.EntryAt(path) != JournalDisk::Entry::None) {
                return path;  // a link then, a plain folder or a file now: not the folder the run wrote through
            }
        }
    }
    return "";
}
