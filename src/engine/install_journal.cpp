#include "engine/install_journal.h"

#include <algorithm>

#include "base/ascii.h"
#include "base/failure.h"
#include "base/package_layout.h"
#include "base/paths.h"

namespace {

const char AccessDenied[] = "Access is denied.";
const unsigned long AccessDeniedCode = 5;  // the system's, so the user is told what to do

const char* KindWord(JournalEntry::Kind kind) {
    switch (kind) {
        case JournalEntry::Kind::Folder: return "folder";
        case JournalEntry::Kind::New: return "new";
        case JournalEntry::Kind::Aside: return "aside";
        case JournalEntry::Kind::Committed: return "committed";
    }
    return "";
}

std::string Absolute(const std::string& target, const std::string& relative) { return JoinPath(target, relative); }

// Each step is taken only where its change is found, so a step whose change
// never happened, or that was undone already, does nothing: the undo can run
// again after a kill, and a line whose change was not yet made costs nothing.
bool UndoEntry(JournalDisk& disk, const std::string& target, const JournalEntry& entry) {
    std::string path = Absolute(target, entry.path);
    switch (entry.kind) {
        case JournalEntry::Kind::New: {
            JournalDisk::Entry now = disk.EntryAt(path);
            return now == JournalDisk::Entry::None || now == JournalDisk::Entry::Folder || disk.Erase(path);
        }
        case JournalEntry::Kind::Aside: {
            std::string aside = Absolute(target, entry.aside);
            if (disk.EntryAt(aside) == JournalDisk::Entry::None) return true;
            JournalDisk::Entry now = disk.EntryAt(path);
            if (now == JournalDisk::Entry::Folder) return false;
            if (now != JournalDisk::Entry::None && !disk.Erase(path)) return false;
            return disk.Rename(aside, path, true);
        }
        case JournalEntry::Kind::Folder:
            // A folder something else has filled since stays; it is not ours alone.
            if (disk.EntryAt(path) == JournalDisk::Entry::Folder) disk.RemoveFolder(path);
            return true;
        case JournalEntry::Kind::Committed: return true;
    }
    return true;
}

bool UndoEntries(JournalDisk& disk, const std::string& target, const std::vector<JournalEntry>& entries) {
    bool all = true;
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) all = UndoEntry(disk, target, *it) && all;
    return all;
}

// After the commit the old files kept aside go; the new ones stay.
bool RemoveAsides(JournalDisk& disk, const std::string& target, const std::vector<JournalEntry>& entries) {
    bool all = true;
    for (const auto& entry : entries) {
        if (entry.kind != JournalEntry::Kind::Aside) continue;
        std::string aside = Absolute(target, entry.aside);
        if (disk.EntryAt(aside) != JournalDisk::Entry::None) all = disk.Erase(aside) && all;
    }
    return all;
}

bool EndJournal(JournalDisk& disk, const std::string& target) {
    disk.CloseJournal();
    std::string journal = JournalPath(target);
    return disk.EntryAt(journal) == JournalDisk::Entry::None || disk.Erase(journal);
}

bool Committed(const std::vector<JournalEntry>& entries) {
    return std::any_of(entries.begin(), entries.end(),
                       [](const JournalEntry& e) { return e.kind == JournalEntry::Kind::Committed; });
}

// A path in a journal line: no control bytes, so a line with a lost piece of
// the disk in it (zeros) is never taken for a whole one.
bool CleanPath(std::string_view path) {
    return !path.empty() && std::none_of(path.begin(), path.end(), [](char c) {
        return static_cast<unsigned char>(c) < 0x20;
    });
}

}  // namespace

std::string JournalPath(const std::string& target) { return JoinPath(target, JournalName); }

std::string FormatJournalEntry(const JournalEntry& entry) {
    std::string line = KindWord(entry.kind);
    if (entry.kind != JournalEntry::Kind::Committed) line += "\t" + entry.path;
    if (entry.kind == JournalEntry::Kind::Aside) line += "\t" + entry.aside;
    return line + "\r\n";
}

std::vector<JournalEntry> ParseJournal(const std::string& bytes) {
    std::vector<JournalEntry> entries;
    size_t start = 0;
    for (size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2) {
        std::string_view line(bytes.data() + start, end - start);
        std::vector<std::string_view> fields;
        for (size_t from = 0;;) {
            size_t tab = line.find('\t', from);
            fields.push_back(line.substr(from, tab == std::string_view::npos ? std::string_view::npos : tab - from));
            if (tab == std::string_view::npos) break;
            from = tab + 1;
        }
        JournalEntry entry{JournalEntry::Kind::Committed, "", ""};
        if (fields[0] == "committed" && fields.size() == 1) {
        } else if (fields[0] == "folder" && fields.size() == 2 && CleanPath(fields[1])) {
            entry = {JournalEntry::Kind::Folder, std::string(fields[1]), ""};
        } else if (fields[0] == "new" && fields.size() == 2 && CleanPath(fields[1])) {
            entry = {JournalEntry::Kind::New, std::string(fields[1]), ""};
        } else if (fields[0] == "aside" && fields.size() == 3 && CleanPath(fields[1]) && CleanPath(fields[2])) {
            entry = {JournalEntry::Kind::Aside, std::string(fields[1]), std::string(fields[2])};
        } else {
            break;
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

Recovery RecoverTarget(JournalDisk& disk, const std::string& target) {
    std::string journal = JournalPath(target);
    if (disk.EntryAt(journal) == JournalDisk::Entry::None) return Recovery::Clean;
    std::vector<JournalEntry> entries;
    try {
        entries = ParseJournal(disk.ReadJournal(journal));
    } catch (const FileError&) {
        return Recovery::Stuck;  // read later, when whatever holds it lets go
    }
    bool committed = Committed(entries);
    bool done = committed ? RemoveAsides(disk, target, entries) : UndoEntries(disk, target, entries);
    if (!done || !EndJournal(disk, target)) return Recovery::Stuck;
    return committed ? Recovery::FinishedCleanUp : Recovery::UndoneRun;
}

InstallTransaction::InstallTransaction(InstallFiles& files, JournalDisk& disk, std::string target)
    : files_(files), disk_(disk), target_(std::move(target)), journal_(JournalPath(target_)) {
    // A journal left by a run nobody finished: this run must not write over it.
    if (disk_.EntryAt(journal_) != JournalDisk::Entry::None) throw FileError(journal_, AccessDenied);
    folders_.insert(AsciiLower(target_));
    present_.insert(AsciiLower(target_));
}

std::string InstallTransaction::Relative(const std::string& path) const {
    // Every path the run builds starts with the target; one that does not is never touched.
    if (path.size() <= target_.size() + 1 || path.compare(0, target_.size(), target_) != 0 || path[target_.size()] != '\\')
        throw FileError(path, AccessDenied);
    return path.substr(target_.size() + 1);
}

void InstallTransaction::Log(const JournalEntry& entry) {
    unflushed_ += FormatJournalEntry(entry);
    entries_.push_back(entry);
}

void InstallTransaction::Durable() {
    if (unflushed_.empty()) return;
    disk_.AppendJournal(journal_, unflushed_);
    unflushed_.clear();
    ++flushes_;
}

void InstallTransaction::AnnounceFolders(const std::string& folder) {
    std::vector<std::string> missing;
    for (std::string level = folder; !folders_.count(AsciiLower(level)); level = FolderOf(level)) {
        JournalDisk::Entry entry = disk_.EntryAt(level);
        if (entry == JournalDisk::Entry::Folder) {
            folders_.insert(AsciiLower(level));
            present_.insert(AsciiLower(level));
            break;
        }
        // A file where a folder must go: the copy cannot be made, and the file stays.
        if (entry != JournalDisk::Entry::None) throw FileError(level, AccessDenied, AccessDeniedCode);
        missing.push_back(level);
        Relative(level);
    }
    for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
        Log({JournalEntry::Kind::Folder, Relative(*it), ""});
        folders_.insert(AsciiLower(*it));
    }
}

void InstallTransaction::MakeFolders(const std::string& folder) {
    // Most copies go to folders met before: they cost no look at the disk.
    std::string key = AsciiLower(folder);
    if (present_.count(key)) return;
    if (disk_.EntryAt(folder) != JournalDisk::Entry::Folder) {
        if (key != AsciiLower(target_)) MakeFolders(FolderOf(folder));
        if (!disk_.MakeFolder(folder) && disk_.EntryAt(folder) != JournalDisk::Entry::Folder)
            throw FileError(folder, AccessDenied, AccessDeniedCode);
    }
    present_.insert(key);
}

std::string InstallTransaction::FreeAsideName(const std::string& path) {
    std::string aside = path + AsideSuffix;
    for (int n = 1; asides_.count(AsciiLower(aside)) || disk_.EntryAt(aside) != JournalDisk::Entry::None; ++n) {
        aside = path + AsideSuffix + std::to_string(n);
    }
    asides_.insert(AsciiLower(aside));
    return aside;
}

void InstallTransaction::Announce(const std::string& path) { AnnounceFile(path, true); }

void InstallTransaction::AnnounceFile(const std::string& path, bool withFolders) {
    std::string key = AsciiLower(path);
    if (planned_.count(key)) return;
    std::string relative = Relative(path);
    switch (disk_.EntryAt(path)) {
        case JournalDisk::Entry::Folder:
        case JournalDisk::Entry::ReadOnlyFile: throw FileError(path, AccessDenied, AccessDeniedCode);
        case JournalDisk::Entry::File: {
            std::string aside = FreeAsideName(path);
            Log({JournalEntry::Kind::Aside, relative, Relative(aside)});
            planned_[key] = {true, aside};
            break;
        }
        case JournalDisk::Entry::None:
            if (withFolders) {
                AnnounceFolders(FolderOf(path));
            } else if (!folders_.count(AsciiLower(FolderOf(path))) &&
                       disk_.EntryAt(FolderOf(path)) != JournalDisk::Entry::Folder) {
                throw FileError(path, "The system cannot find the path specified.");
            }
            Log({JournalEntry::Kind::New, relative, ""});
            planned_[key] = {false, ""};
            break;
    }
}

void InstallTransaction::AnnounceText(const std::string& path) {
    AnnounceFile(ReplacementPath(path), false);  // where the disk writes first; gone again when it succeeds
    AnnounceFile(path, false);
}

void InstallTransaction::AnnounceRemoval(const std::string& path) {
    // A delete the system refuses (read-only) was never a failure: the file stays.
    if (disk_.EntryAt(path) == JournalDisk::Entry::ReadOnlyFile) return;
    Announce(path);
}

bool InstallTransaction::BeforeWrite(const std::string& path, bool withFolders) {
    AnnounceFile(path, withFolders);
    Durable();
    Planned& plan = planned_[AsciiLower(path)];
    if (!plan.asidePending) {
        if (withFolders) MakeFolders(FolderOf(path));
        return false;
    }
    if (!disk_.Rename(path, plan.aside, false)) throw FileError(path, "The file is in use or cannot be moved aside.");
    plan.asidePending = false;
    return true;
}

void InstallTransaction::AfterTextWrite(const std::string& path, bool asideNow) {
    if (asideNow) disk_.KeepAttributes(planned_[AsciiLower(path)].aside, path);
}

void InstallTransaction::WriteLineStream(const std::string& path, const std::function<void(const LineSink&)>& produce) {
    AnnounceText(path);
    bool asideNow = BeforeWrite(path, false);
    files_.WriteLineStream(path, produce);
    AfterTextWrite(path, asideNow);
}

void InstallTransaction::CopyWholeFile(const std::string& source, const std::string& destination) {
    AnnounceText(destination);
    bool asideNow = BeforeWrite(destination, false);
    files_.CopyWholeFile(source, destination);
    AfterTextWrite(destination, asideNow);
}

bool InstallTransaction::CopyPackageFile(const std::string& source, const std::string& destination) {
    BeforeWrite(destination, true);
    // Judged by the copy's own result; a failed one ends the run.
    if (!files_.CopyPackageFile(source, destination)) throw FileError(destination, "The file could not be copied.");
    return true;
}

void InstallTransaction::RemoveFile(const std::string& path) {
    JournalDisk::Entry entry = disk_.EntryAt(path);
    if (entry == JournalDisk::Entry::None || entry == JournalDisk::Entry::Folder) return;
    if (entry == JournalDisk::Entry::ReadOnlyFile) return;
    bool ours = planned_.count(AsciiLower(path)) && !planned_[AsciiLower(path)].asidePending;
    if (ours) {
        // Made or replaced by this run: its undo is known already.
        disk_.Erase(path);
        return;
    }
    BeforeWrite(path, false);
}

void InstallTransaction::CreateFolderTree(const std::string& folder) {
    AnnounceFolders(folder);
    Durable();
    MakeFolders(folder);
}

void InstallTransaction::Commit() {
    Log({JournalEntry::Kind::Committed, "", ""});
    Durable();
    if (RemoveAsides(disk_, target_, entries_)) EndJournal(disk_, target_);
    disk_.CloseJournal();
}

bool InstallTransaction::Undo() {
    // Lines never flushed name changes never made: their undo finds nothing.
    unflushed_.clear();
    bool all = UndoEntries(disk_, target_, entries_);
    return all && EndJournal(disk_, target_);
}
