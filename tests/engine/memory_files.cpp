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

std::string MemoryFiles::Reached(const std::string& path) const {
    std::string reached;
    const std::string normal = Normal(path);  // the names below are views into it
    for (std::string_view name : PathNames(normal)) {
        if (!reached.empty()) reached += '\\';
        reached.append(name);
        // A link to a link is followed too, as far as the system would go.
        for (int hops = 0; hops < 8; ++hops) {
            auto link = folderLinks.find(reached);
            if (link == folderLinks.end()) break;
            reached = link->second;
        }
    }
    return reached;
}

bool MemoryFiles::FolderLinkAt(const std::string& folder, FileIdentity& leadsTo) {
    leadsTo = FileIdentity{};
    std::string normal = Normal(folder), parent = FolderOf(normal);
    // The link itself: its folder reached, its own name not followed.
    std::string at = parent.empty() ? normal : Reached(parent) + normal.substr(parent.size());
    auto link = folderLinks.find(at);
    if (link == folderLinks.end()) return false;
    if (folders.count(link->second)) {
        if (!folderIds_.count(link->second)) folderIds_[link->second] = ++nextId_;
        leadsTo = {0, 0, 1, folderIds_[link->second], true};
    }
    return true;
}

void MemoryFiles::Put(const std::string& path, const std::string& bytes) {
    CreateFolderTree(FolderOf(Reached(path)));
    files[Reached(path)] = bytes;
}

std::string MemoryFiles::Bytes(const std::string& path) const {
    auto it = files.find(Reached(path));
    return it == files.end() ? "<absent>" : it->second;
}

bool MemoryFiles::FileIsPresent(const std::string& path) { return Has(path) && !undated.count(Reached(path)); }

void MemoryFiles::Change() {
    if (killAt >= 0 && changes >= killAt) {
        killed = true;
        throw Killed{};
    }
    ++changes;
}

TextBuffer MemoryFiles::ReadText(const std::string& path) {
    auto it = files.find(Reached(path));
    if (it == files.end()) throw FileError(path, "The system cannot find the file specified.");
    return SplitTextBuffer(std::vector<char>(it->second.begin(), it->second.end()));
}

void MemoryFiles::Store(const std::string& path, const std::string& bytes) {
    Change();
    std::string folder = FolderOf(Reached(path));
    if (!folder.empty() && !folders.count(folder)) throw FileError(path, "The system cannot find the path specified.");
    if (refusedWrites.count(Reached(path))) throw FileError(path, "Access is denied.");
    if (Has(path)) ++rewrites;
    files[Reached(path)] = bytes;
    Written(Reached(path), true);  // written beside, flushed, then renamed over
}

void MemoryFiles::WriteLineStream(const std::string& path, const std::function<void(const LineSink&)>& produce) {
    std::string bytes;
    produce([&](std::string_view line) { bytes.append(line).append("\r\n"); });
    Store(path, bytes);
}

void MemoryFiles::CopyWholeFile(const std::string& source, const std::string& destination) {
    auto it = files.find(Reached(source));
    if (it == files.end()) throw FileError(source, "The system cannot find the file specified.");
    Store(destination, it->second);
}

bool MemoryFiles::CopyPackageFile(const std::string& source, const std::string& destination) {
    Change();
    std::string to = Reached(destination);
    // A copy to the temporary name beside a file is refused like one to the file.
    std::string beside = IsReplacementPath(to) ? to.substr(0, to.size() - 10) : to;
    if (refusedCopies.count(to) || refusedCopies.count(beside) || refusedCopies.count(Reached(source)) ||
        readOnly.count(to) || locked.count(to))
        return Fail(5);
    Put(to, files.at(Reached(source)));
    Written(to, false);
    copied_.push_back(destination);
    return true;
}

unsigned long long MemoryFiles::UnsettledBytes() {
    unsigned long long bytes = 0;
    for (const auto& path : copied_) bytes += Bytes(path).size();
    return bytes;
}

bool MemoryFiles::SettleCopies(std::map<std::string, FileIdentity>& written, std::string&) {
    for (const auto& path : copied_) {
        if (copiesFlushed) unflushed.erase(Reached(path));
        written[path] = Identify(path);
    }
    copied_.clear();
    return true;
}

void MemoryFiles::RemoveFile(const std::string& path) {
    Change();
    if (!readOnly.count(Reached(path)) && !locked.count(Reached(path))) files.erase(Reached(path));
}

void MemoryFiles::CreateFolderTree(const std::string& folder) {
    Change();
    for (std::string f = Reached(folder); !f.empty(); f = FolderOf(f)) folders.insert(f);
}

void MemoryFiles::Written(const std::string& normal, bool flushed) {
    ids_[normal] = ++nextId_;
    if (flushed) {
        unflushed.erase(normal);
    } else {
        unflushed.insert(normal);
    }
}

bool MemoryFiles::Fail(unsigned long error) {
    lastError_ = error;
    return false;
}

void MemoryFiles::PowerCut() {
    for (const auto& path : unflushed) {
        auto it = files.find(path);
        if (it != files.end()) it->second.assign(it->second.size(), '\0');
    }
    unflushed.clear();
    heldJournal.clear();
}

JournalDisk::Entry MemoryFiles::EntryAt(const std::string& path) {
    std::string at = Reached(path);
    if (files.count(at)) return readOnly.count(at) ? Entry::ReadOnlyFile : Entry::File;
    return folders.count(at) ? Entry::Folder : Entry::None;
}

FileIdentity MemoryFiles::Identify(const std::string& path) {
    std::string at = Reached(path);
    auto it = files.find(at);
    if (it == files.end()) return {};
    if (!ids_.count(at)) ids_[at] = ++nextId_;  // a file a test put there
    return {static_cast<long long>(it->second.size()), ids_[at], 1, ids_[at], true};
}

bool MemoryFiles::Link(const std::string& existing, const std::string& link) {
    Change();
    std::string a = Reached(existing), b = Reached(link);
    if (!linksWork) return Fail(1);
    if (!files.count(a) || EntryAt(b) != Entry::None || !folders.count(FolderOf(b))) return Fail(183);
    Identify(a);
    files[b] = files[a];
    ids_[b] = ids_[a];
    if (unflushed.count(a)) unflushed.insert(b);
    if (readOnly.count(a)) readOnly.insert(b);
    return true;
}

bool MemoryFiles::Replace(const std::string& from, const std::string& to) {
    Change();
    std::string a = Reached(from), b = Reached(to);
    // A copy refused at its destination is refused too when it is put there
    // from the run's staging folder, which names no destination.
    if (IsReplacementPath(a) && refusedCopies.count(b)) return Fail(5);
    if (!files.count(a) || locked.count(a) || locked.count(b)) return Fail(32);
    if (folders.count(b) || !folders.count(FolderOf(b))) return Fail(5);
    Identify(a);
    files[b] = files[a];
    ids_[b] = ids_[a];
    files.erase(a);
    ids_.erase(a);
    readOnly.erase(b);
    if (readOnly.erase(a)) readOnly.insert(b);
    undated.erase(b);
    if (undated.erase(a)) undated.insert(b);
    unflushed.erase(b);
    if (unflushed.erase(a)) unflushed.insert(b);
    return true;
}

bool MemoryFiles::Rename(const std::string& from, const std::string& to, bool) {
    Change();
    std::string a = Reached(from), b = Reached(to);
    if (IsReplacementPath(a) && refusedCopies.count(b)) return Fail(5);
    if (!files.count(a) || locked.count(a) || EntryAt(b) != Entry::None || !folders.count(FolderOf(b))) return Fail(32);
    Identify(a);
    files[b] = files[a];
    ids_[b] = ids_[a];
    files.erase(a);
    ids_.erase(a);
    if (readOnly.erase(a)) readOnly.insert(b);
    if (undated.erase(a)) undated.insert(b);
    if (unflushed.erase(a)) unflushed.insert(b);
    return true;
}

bool MemoryFiles::Erase(const std::string& path) {
    Change();
    std::string at = Reached(path);
    if (locked.count(at)) return Fail(32);
    readOnly.erase(at);
    undated.erase(at);
    unflushed.erase(at);
    ids_.erase(at);
    return files.erase(at) != 0 || Fail(2);
}

bool MemoryFiles::MakeFolder(const std::string& folder) {
    Change();
    std::string at = Reached(folder);
    if (EntryAt(at) != Entry::None || !folders.count(FolderOf(at))) return Fail(183);
    folders.insert(at);
    return true;
}

bool MemoryFiles::RemoveFolder(const std::string& folder) {
    Change();
    std::string prefix = Reached(folder) + "\\";
    auto inside = [&](const std::string& path) { return path.rfind(prefix, 0) == 0; };
    for (const auto& [path, bytes] : files) if (inside(path)) return Fail(145);
    for (const auto& path : folders) if (inside(path)) return Fail(145);
    return folders.erase(Reached(folder)) != 0 || Fail(2);
}

bool MemoryFiles::CreateJournal(const std::string& path) {
    Change();
    std::string at = Reached(path);
    if (!heldJournal.empty() || files.count(at)) return Fail(80);
    if (!folders.count(FolderOf(at))) return Fail(3);
    files[at] = "";
    Written(at, true);
    heldJournal = at;
    return true;
}

void MemoryFiles::AppendJournal(const std::string& bytes) {
    Change();
    if (heldJournal.empty() || !files.count(heldJournal)) throw FileError(heldJournal, "The handle is invalid.");
    files[heldJournal] += bytes;  // flushed
}

JournalDisk::Read MemoryFiles::ReadJournal(const std::string& path, std::string& bytes) {
    std::string at = Reached(path);
    if (at == heldJournal) return Fail(32), Read::Busy;
    auto it = files.find(at);
    if (it == files.end()) return Read::Absent;
    bytes = it->second;
    return Read::Done;
}

bool MemoryFiles::WriteRunRecord(const std::string& target, const std::string& bytes) {
    Change();
    runRecords[FoldCase(Normal(target))] = bytes;
    return true;
}

std::string MemoryFiles::ReadRunRecord(const std::string& target) {
    auto it = runRecords.find(FoldCase(Normal(target)));
    return it == runRecords.end() ? "" : it->second;
}

bool MemoryFiles::EraseRunRecord(const std::string& target) {
    Change();
    return runRecords.erase(FoldCase(Normal(target))) != 0;
}
