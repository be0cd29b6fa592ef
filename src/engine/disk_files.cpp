#include "engine/disk_files.h"

#include <windows.h>

#include "base/files.h"
#include "base/text_file.h"
#include "engine/file_ops.h"

bool DiskFiles::FileIsPresent(const std::string& path) { return ::FileIsPresent(path); }

std::vector<std::string> DiskFiles::ReadLines(const std::string& path) { return ReadTextLines(path); }

void DiskFiles::WriteLines(const std::string& path, const std::vector<std::string>& lines) {
    WriteTextLines(path, lines);
}

void DiskFiles::CopyWholeFile(const std::string& source, const std::string& destination) {
    ReplaceFileBytes(destination, ReadFileBytes(source));
}

bool DiskFiles::CopyPackageFile(const std::string& source, const std::string& destination) {
    return ::CopyPackageFile(source, destination);
}

void DiskFiles::RemoveFile(const std::string& path) {
    if (NeedsExtendedLength(path)) {
        DeleteFileW(ExtendedLengthPath(path).c_str());
    } else {
        DeleteFileA(path.c_str());
    }
}

void DiskFiles::CreateFolderTree(const std::string& folder) { ::CreateFolderTree(folder); }
