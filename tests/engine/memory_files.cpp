#include "engine/memory_files.h"

#include <vector>

#include "base/failure.h"
#include "base/paths.h"
#include "base/text_lines.h"

std::string MemoryFiles::Normal(const std::string& path) {
    std::vector<std::string> names;
    for (std::string_view name : PathNames(path)) {
        if (name == "..") {
            if (!names.empty()) names.pop_back();
        } else if (!name.empty() && name != ".") {
            names.emplace_back(name);
        }
    }
    std::string normal;
    for (const auto& name : names) normal += (normal.empty() ? "" : "\\") + name;
    return normal;
}

void MemoryFiles::Put(const std::string& path, const std::string& bytes) {
    CreateFolderTree(FolderOf(Normal(path)));
    files[Normal(path)] = bytes;
}

std::string MemoryFiles::Bytes(const std::string& path) const {
    auto it = files.find(Normal(path));
    return it == files.end() ? "<absent>" : it->second;
}

bool MemoryFiles::FileIsPresent(const std::string& path) { return Has(path) && !undated.count(Normal(path)); }

void MemoryFiles::Change() {
    if (killAt >= 0 && changes >= killAt) {
        killed = true;
        throw Killed{};
    }
    ++changes;
}

TextBuffer MemoryFiles::ReadText(const std::string& path) {
    auto it = files.find(Normal(path));
    if (it == files.end()) throw FileError(path, "The system cannot find the file specified.");
    return SplitTextBuffer(std::vector<char>(it->second.begin(), it->second.end()));
}

void MemoryFiles::Replace(const std::string& path, const std::string& bytes) {
    Change();
    std::string folder = FolderOf(Normal(path));
    if (!folder.empty() && !folders.count(folder)) throw FileError(path, "The system cannot find the path specified.");
    if (refusedWrites.count(Normal(path))) throw FileError(path, "Access is denied.");
    if (Has(path)) ++rewrites;
    files[Normal(path)] = bytes;
}

void MemoryFiles::WriteLineStream(const std::string& path, const std::function<void(const LineSink&)>& produce) {
    std::string bytes;
    produce([&](std::string_view line) { bytes.append(line).append("\r\n"); });
    Replace(path, bytes);
}

void MemoryFiles::CopyWholeFile(const std::string& source, const std::string& destination) {
    auto it = files.find(Normal(source));
    if (it == files.end()) throw FileError(source, "The system cannot find the file specified.");
    Replace(destination, it->second);
}

bool MemoryFiles::CopyPackageFile(const std::string& source, const std::string& destination) {
    Change();
    std::string to = Normal(destination);
    if (refusedCopies.count(to) || readOnly.count(to) || locked.count(to)) return false;
    Put(to, files.at(Normal(source)));
    return true;
}

void MemoryFiles::RemoveFile(const std::string& path) {
    Change();
    if (!readOnly.count(Normal(path)) && !locked.count(Normal(path))) files.erase(Normal(path));
}

void MemoryFiles::CreateFolderTree(const std::string& folder) {
    Change();
    for (std::string f = Normal(folder); !f.empty(); f = FolderOf(f)) folders.insert(f);
}

JournalDisk::Entry MemoryFiles::EntryAt(const std::string& path) {
    std::string at = Normal(path);
    if (files.count(at)) return readOnly.count(at) ? Entry::ReadOnlyFile : Entry::File;
    return folders.count(at) ? Entry::Folder : Entry::None;
}

bool MemoryFiles::Rename(const std::string& from, const std::string& to, bool) {
    Change();
    std::string a = Normal(from), b = Normal(to);
    if (!files.count(a) || locked.count(a) || EntryAt(b) != Entry::None || !folders.count(FolderOf(b))) return false;
    files[b] = files[a];
    files.erase(a);
    if (readOnly.erase(a)) readOnly.insert(b);
    if (undated.erase(a)) undated.insert(b);
    return true;
}

bool MemoryFiles::Erase(const std::string& path) {
    Change();
    std::string at = Normal(path);
    if (locked.count(at)) return false;
    readOnly.erase(at);
    undated.erase(at);
    return files.erase(at) != 0;
}

bool MemoryFiles::MakeFolder(const std::string& folder) {
    Change();
    std::string at = Normal(folder);
    if (EntryAt(at) != Entry::None || !folders.count(FolderOf(at))) return false;
    folders.insert(at);
    return true;
}

bool MemoryFiles::RemoveFolder(const std::string& folder) {
    Change();
    std::string prefix = Normal(folder) + "\\";
    auto inside = [&](const std::string& path) { return path.rfind(prefix, 0) == 0; };
    for (const auto& [path, bytes] : files) if (inside(path)) return false;
    for (const auto& path : folders) if (inside(path)) return false;
    return folders.erase(Normal(folder)) != 0;
}

void MemoryFiles::AppendJournal(const std::string& path, const std::string& bytes) {
    Change();
    std::string at = Normal(path);
    if (!folders.count(FolderOf(at))) throw FileError(path, "The system cannot find the path specified.");
    files[at] += bytes;
}

std::string MemoryFiles::ReadJournal(const std::string& path) {
    auto it = files.find(Normal(path));
    if (it == files.end()) throw FileError(path, "The system cannot find the file specified.");
    return it->second;
}
