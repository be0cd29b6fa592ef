#include "engine/disk_files.h"

#include <windows.h>

#include "base/files.h"
#include "base/paths.h"
#include "base/text_file.h"
#include "engine/file_ops.h"

bool DiskFiles::FileIsPresent(const std::string& path) { return ::FileIsPresent(path); }

std::vector<std::string> DiskFiles::ReadLines(const std::string& path) { return ReadTextLines(path); }

void DiskFiles::WriteLines(const std::string& path, const std::vector<std::string>& lines) {
    WriteTextLines(path, lines);
}

// The new contents go to "<name>.tmp" in the setup folder's Source folder, are
// copied over the file (a failed copy leaves the old file) and the temporary
// file is removed.
void DiskFiles::RewriteLines(const std::string& path, const std::vector<std::string>& lines) {
    std::string name = path.substr(path.find_last_of("\\/") + 1);
    std::string temporary = JoinPath(sourceFolder_, name.substr(0, name.rfind('.')) + ".tmp");
    WriteTextLines(temporary, lines);
    ::CopyPackageFile(temporary, path);
    DeleteFileA(temporary.c_str());
}

bool DiskFiles::CopyPackageFile(const std::string& source, const std::string& destination) {
    return ::CopyPackageFile(source, destination);
}

void DiskFiles::RemoveFile(const std::string& path) { DeleteFileA(path.c_str()); }

void DiskFiles::CreateFolderTree(const std::string& folder) { ::CreateFolderTree(folder); }
