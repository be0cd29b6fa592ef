#include "packcheck/folder_tree.h"

#include "base/paths.h"
#include "packcheck/folder_access.h"

static char FoldNameChar(char c) {
    unsigned char u = static_cast<unsigned char>(c);
    if (u >= 'A' && u <= 'Z') return static_cast<char>(u + 32);
    if (u >= 0xC0 && u <= 0xDF) return static_cast<char>(u + 32);  // А-Я
    if (u == 0xA8) return static_cast<char>(0xB8);                  // Ё
    return c;
}

std::string FoldNameCase(std::string name) {
    for (char& c : name) c = FoldNameChar(c);
    return name;
}

bool NormalRelativePath(const std::string& path, std::string& normal) {
    std::vector<std::string> names;
    for (std::string_view name : PathNames(path)) {
        if (name.empty() || name == ".") continue;
        if (name == "..") {
            if (names.empty()) return false;
            names.pop_back();
            continue;
        }
        // The system drops a name's trailing dots and blanks.
        size_t kept = name.find_last_not_of(". ");
        if (kept == std::string::npos) return false;
        names.emplace_back(name.substr(0, kept + 1));
    }
    normal.clear();
    for (const auto& name : names) normal += (normal.empty() ? "" : "\\") + name;
    return true;
}

bool FolderTree::Load(const std::string& folder) {
    root = folder;
    // A drive's root keeps its separator ("C:\\"); "C:" alone is another folder.
    while (root.size() > 1 && (root.back() == '/' || root.back() == '\\') && root[root.size() - 2] != ':') root.pop_back();
    entries.clear();
    if (!ListFolderTree(root, entries)) return false;
    Index();
    return true;
}

FolderTree FolderTree::InMemory(const std::map<std::string, std::string>& files) {
    FolderTree tree;
    tree.inMemory = true;
    std::map<std::string, bool> seen;
    for (const auto& [path, bytes] : files) {
        for (size_t cut = path.find('\\'); cut != std::string::npos; cut = path.find('\\', cut + 1)) {
            std::string folder = path.substr(0, cut);
            if (!seen[folder]) tree.entries.push_back({folder, folder, true, true, false});
            seen[folder] = true;
        }
        tree.entries.push_back({path, path, false, true, false});
        tree.memory[path] = bytes;
    }
    tree.Index();
    return tree;
}

void FolderTree::Index() {
    index_.clear();
    for (size_t i = 0; i < entries.size(); ++i) index_[FoldNameCase(entries[i].name)] = i;
}

const TreeEntry* FolderTree::Find(const std::string& relative) const {
    std::string normal;
    if (!NormalRelativePath(relative, normal) || normal.empty()) return nullptr;
    auto it = index_.find(FoldNameCase(normal));
    return it == index_.end() ? nullptr : &entries[it->second];
}

bool FolderTree::IsPresent(const std::string& relative) const {
    const TreeEntry* entry = Find(relative);
    return entry && !entry->folder && entry->dosDated;
}

std::optional<std::string> FolderTree::Read(const TreeEntry& entry) const {
    if (entry.folder) return std::nullopt;
    if (!inMemory) return ReadWholeFile(root, entry.diskName);
    auto it = memory.find(entry.diskName);
    if (it == memory.end()) return std::nullopt;
    return it->second;
}

bool FolderTree::CanWrite(const std::string& relative) const {
    const TreeEntry* entry = relative.empty() ? nullptr : Find(relative);
    if (!relative.empty() && !entry) return true;  // made by the run, so its own
    std::string key = entry ? FoldNameCase(entry->name) : "";
    auto known = writable_.find(key);
    if (known != writable_.end()) return known->second;
    bool answer = inMemory ? !unwritable.count(entry ? entry->name : "")
                           : CanWriteOnDisk(root, entry ? entry->diskName : "", entry ? entry->folder : true);
    writable_[key] = answer;
    return answer;
}
