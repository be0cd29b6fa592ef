// The install run's file work in memory, for tests of the run's rules without
// a disk: paths are normalised ("/" as "\", "." and ".." resolved), a file can
// only be written into a folder that exists, and chosen copies and writes can
// be made to fail (a failed write leaves the old file). Pure.
#pragma once
#include <map>
#include <set>
#include <string>

#include "engine/install_files.h"

class MemoryFiles : public InstallFiles {
public:
    std::map<std::string, std::string> files;  // normalised path -> bytes
    std::set<std::string> folders;
    std::set<std::string> refusedCopies;  // destinations no copy can reach
    std::set<std::string> refusedWrites;  // files that cannot be replaced
    int rewrites = 0;                     // writes over files that were there

    static std::string Normal(const std::string& path);
    void Put(const std::string& path, const std::string& bytes);  // creates the folders too
    std::string Bytes(const std::string& path) const;             // "<absent>" when there is no such file
    bool Has(const std::string& path) const { return files.count(Normal(path)) != 0; }

    bool FileIsPresent(const std::string& path) override;
    TextBuffer ReadText(const std::string& path) override;
    void WriteLineStream(const std::string& path, const std::function<void(const LineSink&)>& produce) override;
    void CopyWholeFile(const std::string& source, const std::string& destination) override;
    bool CopyPackageFile(const std::string& source, const std::string& destination) override;
    void RemoveFile(const std::string& path) override;
    void CreateFolderTree(const std::string& folder) override;

private:
    void Replace(const std::string& path, const std::string& bytes);
};
