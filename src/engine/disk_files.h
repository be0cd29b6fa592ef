// The install run's file work on the disk: what setup.exe does, with the
// single steps its transaction takes and the transaction's journal file.
#pragma once
#include <functional>
#include <string>
#include <unordered_map>

#include "base/handles.h"
#include "engine/install_files.h"
#include "engine/install_journal.h"

class DiskFiles : public InstallFiles, public JournalDisk {
public:
    bool FileIsPresent(const std::string& path) override;
    bool FileExists(const std::string& path) override;
    TextBuffer ReadText(const std::string& path) override;
    void WriteLineStream(const std::string& path, const std::function<void(const LineSink&)>& produce) override;
    void CopyWholeFile(const std::string& source, const std::string& destination) override;
    bool CopyPackageFile(const std::string& source, const std::string& destination) override;
    void WatchCopies(std::function<bool()> keepGoing) override { keepGoing_ = std::move(keepGoing); }
    void RemoveFile(const std::string& path) override;
    void CreateFolderTree(const std::string& folder) override;

    Entry EntryAt(const std::string& path) override;
    bool Rename(const std::string& from, const std::string& to, bool writeThrough) override;
    bool Erase(const std::string& path) override;
    bool MakeFolder(const std::string& folder) override;
    bool RemoveFolder(const std::string& folder) override;
    void KeepAttributes(const std::string& from, const std::string& to) override;
    void AppendJournal(const std::string& path, const std::string& bytes) override;
    void CloseJournal() override { journal_.reset(); }
    std::string ReadJournal(const std::string& path) override;

private:
    std::function<bool()> keepGoing_;
    // The sizes the existence test found, until a copy takes them: the copy
    // that follows the test need not ask again.
    std::unordered_map<std::string, long long> presentSizes_;
    FileHandle journal_;
};
