// The install run's file work in memory, for tests of the run's rules without
// a disk: paths are normalised ("/" as "\", "." and ".." resolved), a file can
// only be written into a folder that exists, and chosen copies and writes can
// be made to fail (a failed write leaves the old file). It also takes a
// transaction's single steps, and can be killed: after a chosen number of
// changes every further call throws Killed and changes nothing. Pure.
#pragma once
#include <map>
#include <set>
#include <string>

#include "engine/install_files.h"
#include "engine/install_journal.h"

struct Killed {};

class MemoryFiles : public InstallFiles, public JournalDisk {
public:
    std::map<std::string, std::string> files;  // normalised path -> bytes
    std::set<std::string> folders;
    std::set<std::string> refusedCopies;  // destinations no copy can reach
    std::set<std::string> refusedWrites;  // files that cannot be replaced
    std::set<std::string> readOnly;       // files with the read-only attribute
    std::set<std::string> locked;         // files held open: no rename, no delete
    std::set<std::string> undated;        // files stamped before 1980
    int rewrites = 0;                     // writes over files that were there
    int changes = 0;                      // changes made so far
    int killAt = -1;                      // the change that is never made (none when negative)
    bool killed = false;                  // killAt was reached

    static std::string Normal(const std::string& path);
    void Put(const std::string& path, const std::string& bytes);  // creates the folders too
    std::string Bytes(const std::string& path) const;             // "<absent>" when there is no such file
    bool Has(const std::string& path) const { return files.count(Normal(path)) != 0; }

    bool FileIsPresent(const std::string& path) override;
    bool FileExists(const std::string& path) override { return Has(path); }
    TextBuffer ReadText(const std::string& path) override;
    void WriteLineStream(const std::string& path, const std::function<void(const LineSink&)>& produce) override;
    void CopyWholeFile(const std::string& source, const std::string& destination) override;
    bool CopyPackageFile(const std::string& source, const std::string& destination) override;
    void RemoveFile(const std::string& path) override;
    void CreateFolderTree(const std::string& folder) override;

    Entry EntryAt(const std::string& path) override;
    bool Rename(const std::string& from, const std::string& to, bool writeThrough) override;
    bool Erase(const std::string& path) override;
    bool MakeFolder(const std::string& folder) override;
    bool RemoveFolder(const std::string& folder) override;
    void KeepAttributes(const std::string&, const std::string&) override {}
    void AppendJournal(const std::string& path, const std::string& bytes) override;
    void CloseJournal() override {}
    std::string ReadJournal(const std::string& path) override;

private:
    void Change();  // throws Killed at the chosen change, and after it
    void Replace(const std::string& path, const std::string& bytes);
};
