#include "engine/disk_files.h"

#include <windows.h>
#include <ntsecapi.h>
#include <shlobj.h>

#include <cstdio>

#include "base/failure.h"
#include "base/files.h"
#include "base/package_layout.h"
#include "base/paths.h"
#include "base/text_file.h"
#include "engine/file_ops.h"

bool DiskFiles::FileIsPresent(const std::string& path) {
    FileFacts facts;
    bool present = ::FileIsPresent(path, nullptr, &facts);
    if (present) presentFacts_[path] = facts;
    return present;
}

bool DiskFiles::FileExists(const std::string& path) { return ::FileExists(path); }

TextBuffer DiskFiles::ReadText(const std::string& path) { return ReadTextBuffer(path); }

void DiskFiles::WriteLineStream(const std::string& path, const std::function<void(const LineSink&)>& produce) {
    WriteTextLineStream(path, produce);
}

void DiskFiles::CopyWholeFile(const std::string& source, const std::string& destination) {
    ReplaceFileBytes(destination, ReadFileBytes(source));
}

bool DiskFiles::CopyPackageFile(const std::string& source, const std::string& destination) {
    auto known = presentFacts_.find(source);
    FileFacts facts;
    bool looked = known != presentFacts_.end();
    if (looked) {
        facts = known->second;
        presentFacts_.erase(known);
        if (facts.size > 0) unsettledBytes_ += static_cast<unsigned long long>(facts.size);
    }
    FileHandle written;
    // The run's temporaries are new files: one found at such a name was put
    // there by another hand (a link to someone's file, say) and is never written through.
    if (!CopyFileDurably(source, destination, keepGoing_, &written, looked ? &facts : nullptr,
                         IsReplacementPath(destination)))
        return Failed();
    flushes_.Add(std::move(written), destination);
    return true;
}

bool DiskFiles::SettleCopies(std::map<std::string, FileIdentity>& written, std::string& failed) {
    bool settled = true;
    unsettledBytes_ = 0;
    for (auto& file : flushes_.Settle([&] {
             if (keepGoing_) keepGoing_();
         })) {
        if (file.error && settled) {
            settled = false;
            failed = file.path;
            lastError_ = file.error;
        }
        // One look at the volume for each folder: its files share it.
        if (!file.error) {
            auto volume = volumes_.find(FolderOf(file.path));
            if (volume == volumes_.end())
                volume = volumes_.emplace(FolderOf(file.path), HandleIdentity(file.file.get()).volume).first;
            file.identity.volume = volume->second;
        }
        written[file.path] = file.identity;
        settled_[FoldCase(file.path)] = std::move(file.file);
    }
    return settled;
}

FileHandle DiskFiles::TakeSettled(const std::string& path) {
    FileHandle file;
    auto it = settled_.find(FoldCase(path));
    if (it == settled_.end()) return file;
    file = std::move(it->second);
    settled_.erase(it);
    return file;
}

void DiskFiles::RemoveFile(const std::string& path) { DeletePath(path); }

void DiskFiles::CreateFolderTree(const std::string& folder) { ::CreateFolderTree(folder); }

bool DiskFiles::Failed() {
    lastError_ = GetLastError();
    return false;
}

JournalDisk::Entry DiskFiles::EntryAt(const std::string& path) {
    DWORD attributes = PathAttributes(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) return Entry::None;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return Entry::Folder;
    return attributes & FILE_ATTRIBUTE_READONLY ? Entry::ReadOnlyFile : Entry::File;
}

FileIdentity DiskFiles::Identify(const std::string& path) {
    FileIdentity identity;
    // The file itself, never what a link leads to: no sharing asked of it, no data read.
    FileHandle file(OpenFilePath(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING,
                                 FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT));
    return file.valid() ? HandleIdentity(file.get()) : identity;
}

bool DiskFiles::FolderLinkAt(const std::string& folder, FileIdentity& leadsTo) {
    leadsTo = FileIdentity{};
    // The link itself shows the attribute; Wine shows it for a Unix symbolic link too.
    DWORD attributes = PathAttributes(folder);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY) ||
        !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return false;
    // Opened through the link: the folder it leads to now.
    FileHandle reached(OpenFilePath(folder, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS));
    BY_HANDLE_FILE_INFORMATION info;
    if (reached.valid() && GetFileInformationByHandle(reached.get(), &info)) {
        leadsTo.size = 0;
        leadsTo.volume = info.dwVolumeSerialNumber;
        leadsTo.index = (static_cast<unsigned long long>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
        leadsTo.hasIndex = true;
    }
    return true;
}

bool DiskFiles::Link(const std::string& existing, const std::string& link) {
    TakeSettled(existing);
    // A file held open without leave to delete it cannot be replaced either:
    // no second name for it, so nothing is left to undo.
    FileHandle probe(OpenFilePath(existing, DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING,
                                  FILE_FLAG_OPEN_REPARSE_POINT));
    if (!probe.valid()) return Failed();
    probe.reset();
    return LinkPath(existing, link) || Failed();
}

bool DiskFiles::Replace(const std::string& from, const std::string& to) {
    FileHandle file = TakeSettled(from);
    if (file.valid() && RenameOpenFile(file.get(), to, true)) return true;
    file.reset();
    const DWORD flags = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
    // Most replacements go through at once: the attributes are looked at only
    // when the system refuses, as it does for a read-only file.
    if (RenamePath(from, to, flags)) return true;
    Failed();
    DWORD old = PathAttributes(to);
    if (old != INVALID_FILE_ATTRIBUTES && (old & FILE_ATTRIBUTE_READONLY)) {
        SetPathAttributes(to, old & ~FILE_ATTRIBUTE_READONLY);
        if (RenamePath(from, to, flags)) return true;
        Failed();
        SetPathAttributes(to, old);
    }
    // The refusal's own reason, not the look's: the retry reads it.
    SetLastError(lastError_);
    return false;
}

bool DiskFiles::Rename(const std::string& from, const std::string& to, bool writeThrough) {
    FileHandle file = TakeSettled(from);
    if (file.valid() && !writeThrough && RenameOpenFile(file.get(), to, false)) return true;
    file.reset();
    return RenamePath(from, to, writeThrough ? MOVEFILE_WRITE_THROUGH : 0) || Failed();
}

bool DiskFiles::Erase(const std::string& path) {
    // An erase comes once the copies are in place, or in an undo, where none
    // is put in place any more: every copy still open is closed.
    settled_.clear();
    if (DeletePath(path)) return true;
    Failed();
    // A package file may carry the read-only attribute its source had.
    DWORD attributes = PathAttributes(path);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_READONLY)) return false;
    return (SetPathAttributes(path, attributes & ~FILE_ATTRIBUTE_READONLY) && DeletePath(path)) || Failed();
}

bool DiskFiles::MakeFolder(const std::string& folder) { return ::MakeFolder(folder) || Failed(); }

bool DiskFiles::RemoveFolder(const std::string& folder) {
    if (heldFolder_.valid() && FoldCase(folder) == heldFolderKey_) heldFolder_.reset();
    return RemoveEmptyFolder(folder) || Failed();
}

bool DiskFiles::HoldFolder(const std::string& folder) {
    // Sharing binds only a handle with some data access: listing is enough.
    // The folder itself, never what a link there leads to.
    FileHandle held(OpenFilePath(folder, FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING,
                                 FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT));
    BY_HANDLE_FILE_INFORMATION info;
    if (!held.valid() || !GetFileInformationByHandle(held.get(), &info)) return Failed();
    if (!(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        lastError_ = ERROR_ACCESS_DENIED;
        return false;
    }
    heldFolder_ = std::move(held);
    heldFolderKey_ = FoldCase(folder);
    return true;
}

void DiskFiles::KeepAttributes(const std::string& from, const std::string& to) {
    const DWORD kept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;
    DWORD old = PathAttributes(from);
    if (old != INVALID_FILE_ATTRIBUTES && (old & kept)) SetPathAttributes(to, (PathAttributes(to) & ~kept) | (old & kept));
}

bool DiskFiles::CreateJournal(const std::string& path) {
    // No sharing but deletion: another run can neither read nor write it while this one lives.
    journal_.reset(OpenFilePath(path, GENERIC_WRITE, FILE_SHARE_DELETE, CREATE_NEW, FILE_ATTRIBUTE_HIDDEN));
    journalPath_ = path;
    return journal_.valid() || Failed();
}

void DiskFiles::AppendJournal(const std::string& bytes) {
    DWORD wrote = 0;
    if (!journal_.valid() || !WriteFile(journal_.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &wrote, nullptr) ||
        wrote != bytes.size() || !FlushFileBuffers(journal_.get())) {
        throw LastFileError(journalPath_);
    }
}

JournalDisk::Read DiskFiles::ReadJournal(const std::string& path, std::string& bytes) {
    bytes.clear();
    FileHandle file(OpenFilePath(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, 0));
    if (!file.valid()) {
        Failed();
        if (lastError_ == ERROR_FILE_NOT_FOUND || lastError_ == ERROR_PATH_NOT_FOUND) return Read::Absent;
        return lastError_ == ERROR_SHARING_VIOLATION ? Read::Busy : Read::Failed;
    }
    char chunk[4096];
    for (DWORD got = 0;; bytes.append(chunk, got)) {
        if (!ReadFile(file.get(), chunk, sizeof chunk, &got, nullptr)) return Failed(), Read::Failed;
        if (got == 0) return Read::Done;
    }
}

std::string DiskFiles::RunRecordPath(const std::string& target) {
    char folder[MAX_PATH] = "";
    if (FAILED(SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, folder)) || !folder[0]) return "";
    // One record per target: named by a hash of its folded full path.
    unsigned long long hash = 14695981039346656037ull;
    for (char c : FoldCase(target)) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    char name[17];
    std::snprintf(name, sizeof name, "%016llx", hash);
    return JoinPath(JoinPath(folder, RunRecordsFolder), name + std::string(RunRecordExtension));
}

bool DiskFiles::WriteRunRecord(const std::string& target, const std::string& bytes) {
    std::string path = RunRecordPath(target);
    if (path.empty() || !::CreateFolderTree(FolderOf(path))) return Failed();
    try {
        ReplaceFileBytes(path, bytes);
        return true;
    } catch (const FileError&) {
        return Failed();
    }
}

std::string DiskFiles::ReadRunRecord(const std::string& target) {
    std::string path = RunRecordPath(target);
    try {
        return path.empty() ? "" : ReadFileBytes(path);
    } catch (const FileError&) {
        return "";
    }
}

bool DiskFiles::EraseRunRecord(const std::string& target) {
    std::string path = RunRecordPath(target);
    return !path.empty() && (DeletePath(path) || Failed());
}

unsigned long long DiskFiles::RandomNumber() {
    unsigned long long number = 0;
    if (RtlGenRandom(&number, sizeof number)) return number;
    // Unique is what the nonce must be; the time and the process make it so.
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return ((static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime) ^
           (static_cast<unsigned long long>(GetCurrentProcessId()) << 48);
}

std::string DiskFiles::LocalTimeNow() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u", now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute);
    return text;
}

std::string DiskFiles::FoldCase(const std::string& path) {
    // As the file system compares names: by the ANSI code page's own upper case.
    std::string folded = path;
    if (!folded.empty()) CharUpperBuffA(folded.data(), static_cast<DWORD>(folded.size()));
    return folded;
}
