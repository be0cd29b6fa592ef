#include "engine/disk_files.h"

#include <windows.h>

#include "base/failure.h"
#include "base/files.h"
#include "base/text_file.h"
#include "engine/file_ops.h"

bool DiskFiles::FileIsPresent(const std::string& path) {
    long long size = -1;
    bool present = ::FileIsPresent(path, &size);
    if (present) presentSizes_[path] = size;
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
    auto known = presentSizes_.find(source);
    long long size = known == presentSizes_.end() ? -1 : known->second;
    if (known != presentSizes_.end()) presentSizes_.erase(known);
    return ::CopyPackageFile(source, destination, keepGoing_, size);
}

void DiskFiles::RemoveFile(const std::string& path) { DeletePath(path); }

void DiskFiles::CreateFolderTree(const std::string& folder) { ::CreateFolderTree(folder); }

JournalDisk::Entry DiskFiles::EntryAt(const std::string& path) {
    DWORD attributes = PathAttributes(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) return Entry::None;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return Entry::Folder;
    return attributes & FILE_ATTRIBUTE_READONLY ? Entry::ReadOnlyFile : Entry::File;
}

bool DiskFiles::Rename(const std::string& from, const std::string& to, bool writeThrough) {
    return RenamePath(from, to, writeThrough ? MOVEFILE_WRITE_THROUGH : 0);
}

bool DiskFiles::Erase(const std::string& path) {
    if (DeletePath(path)) return true;
    // A package file may carry the read-only attribute its source had.
    DWORD attributes = PathAttributes(path);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_READONLY)) return false;
    return SetPathAttributes(path, attributes & ~FILE_ATTRIBUTE_READONLY) && DeletePath(path);
}

bool DiskFiles::MakeFolder(const std::string& folder) { return ::MakeFolder(folder); }

bool DiskFiles::RemoveFolder(const std::string& folder) { return RemoveEmptyFolder(folder); }

void DiskFiles::KeepAttributes(const std::string& from, const std::string& to) {
    const DWORD kept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;
    DWORD old = PathAttributes(from);
    if (old != INVALID_FILE_ATTRIBUTES && (old & kept)) SetPathAttributes(to, (PathAttributes(to) & ~kept) | (old & kept));
}

void DiskFiles::AppendJournal(const std::string& path, const std::string& bytes) {
    if (!journal_.valid()) {
        journal_.reset(OpenFilePath(path, GENERIC_WRITE, FILE_SHARE_READ, OPEN_ALWAYS, FILE_ATTRIBUTE_HIDDEN));
        if (!journal_.valid()) throw LastFileError(path);
        SetFilePointer(journal_.get(), 0, nullptr, FILE_END);
    }
    DWORD wrote = 0;
    if (!WriteFile(journal_.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &wrote, nullptr) ||
        wrote != bytes.size() || !FlushFileBuffers(journal_.get())) {
        throw LastFileError(path);
    }
}

std::string DiskFiles::ReadJournal(const std::string& path) {
    // Opened without sharing: the journal of a run still at work (another
    // setup.exe on the same target) holds it open, and must not be undone.
    FileHandle file(OpenFilePath(path, GENERIC_READ, 0, OPEN_EXISTING, 0));
    if (!file.valid()) throw LastFileError(path);
    std::string bytes;
    char chunk[4096];
    for (DWORD got = 0;; bytes.append(chunk, got)) {
        if (!ReadFile(file.get(), chunk, sizeof chunk, &got, nullptr)) throw LastFileError(path);
        if (got == 0) return bytes;
    }
}
