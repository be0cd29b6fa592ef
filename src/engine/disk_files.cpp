#include "engine/disk_files.h"

#include <windows.h>

#include "base/files.h"
#include "base/text_file.h"
#include "engine/file_ops.h"

bool DiskFiles::FileIsPresent(const std::string& path) { return ::FileIsPresent(path); }

TextBuffer DiskFiles::ReadText(const std::string& path) { return ReadTextBuffer(path); }

void DiskFiles::WriteLineStream(const std::string& path, const std::function<void(const LineSink&)>& produce) {
    WriteTextLineStream(path, produce);
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
