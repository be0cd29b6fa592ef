// The install run's file work on the disk: what setup.exe does.
#pragma once
#include <string>

#include "engine/install_files.h"

class DiskFiles : public InstallFiles {
public:
    bool FileIsPresent(const std::string& path) override;
    TextBuffer ReadText(const std::string& path) override;
    void WriteLineStream(const std::string& path, const std::function<void(const LineSink&)>& produce) override;
    void CopyWholeFile(const std::string& source, const std::string& destination) override;
    bool CopyPackageFile(const std::string& source, const std::string& destination) override;
    void RemoveFile(const std::string& path) override;
    void CreateFolderTree(const std::string& folder) override;
};
