// The install run's file work on the disk: what setup.exe does.
#pragma once
#include <string>
#include <utility>

#include "engine/install_files.h"

class DiskFiles : public InstallFiles {
public:
    // Records and lists are rewritten through temporary files in `sourceFolder`.
    explicit DiskFiles(std::string sourceFolder) : sourceFolder_(std::move(sourceFolder)) {}
    bool FileIsPresent(const std::string& path) override;
    std::vector<std::string> ReadLines(const std::string& path) override;
    void WriteLines(const std::string& path, const std::vector<std::string>& lines) override;
    void RewriteLines(const std::string& path, const std::vector<std::string>& lines) override;
    bool CopyPackageFile(const std::string& source, const std::string& destination) override;
    void RemoveFile(const std::string& path) override;
    void CreateFolderTree(const std::string& folder) override;

private:
    std::string sourceFolder_;
};
