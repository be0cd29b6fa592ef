// The install run's file work on the disk: what setup.exe does, with the
// single steps its transaction takes, the transaction's journal file and the
// user's own records of the runs not yet finished.
#pragma once
#include <functional>
#include <string>
#include <unordered_map>

#include "base/files.h"
#include "base/handles.h"
#include "engine/install_files.h"
#include "engine/flush_pool.h"
#include "engine/install_journal.h"

class DiskFiles : public InstallFiles, public JournalDisk {
public:
    bool FileIsPresent(const std::string& path) override;
    bool FileExists(const std::string& path) override;
    TextBuffer ReadText(const std::string& path) override;
    void WriteLineStream(const std::string& path, const std::function<void(const LineSink&)>& produce) override;
    void CopyWholeFile(const std::string& source, const std::string& destination) override;
    // A durable copy (CopyFileDurably), into a folder that is there; its last
    // flush may still be under way on return (SettleCopies waits for it).
    bool CopyPackageFile(const std::string& source, const std::string& destination) override;
    void WatchCopies(std::function<bool()> keepGoing) override { keepGoing_ = std::move(keepGoing); }
    void RemoveFile(const std::string& path) override;
    void CreateFolderTree(const std::string& folder) override;

    Entry EntryAt(const std::string& path) override;
    FileIdentity Identify(const std::string& path) override;
    bool SettleCopies(std::map<std::string, FileIdentity>& written, std::string& failed) override;
    unsigned long long UnsettledBytes() override { return unsettledBytes_; }
    bool Link(const std::string& existing, const std::string& link) override;
    bool Replace(const std::string& from, const std::string& to) override;
    bool Rename(const std::string& from, const std::string& to, bool writeThrough) override;
    bool Erase(const std::string& path) override;
    bool MakeFolder(const std::string& folder) override;
    bool RemoveFolder(const std::string& folder) override;
    bool HoldFolder(const std::string& folder) override;
    void KeepAttributes(const std::string& from, const std::string& to) override;
    unsigned long LastError() override { return lastError_; }
    bool CreateJournal(const std::string& path) override;
    void AppendJournal(const std::string& bytes) override;
    void CloseJournal() override { journal_.reset(); }
    Read ReadJournal(const std::string& path, std::string& bytes) override;
    bool WriteRunRecord(const std::string& target, const std::string& bytes) override;
    std::string ReadRunRecord(const std::string& target) override;
    bool EraseRunRecord(const std::string& target) override;
    bool FolderLinkAt(const std::string& folder, FileIdentity& leadsTo) override;
    unsigned long long RandomNumber() override;
    std::string LocalTimeNow() override;
    std::string FoldCase(const std::string& path) override;

private:
    bool Failed();  // keeps the system's error code; false
    // Where this user's record of a run on `target` lives; "" when the system has no such folder.
    std::string RunRecordPath(const std::string& target);

    std::function<bool()> keepGoing_;
    // What the existence test found of a package file, until its copy takes
    // it: the copy that follows the test need not ask again.
    std::unordered_map<std::string, FileFacts> presentFacts_;
    // Flushes the package copies' files while the next ones are copied.
    FlushPool flushes_;
    FileHandle heldFolder_;  // open without leave to delete: it stays where it is
    std::string heldFolderKey_;
    unsigned long long unsettledBytes_ = 0;
    // Copies flushed and still open, by folded path: put in place through
    // their own handles. Any other step on such a path closes it first.
    std::unordered_map<std::string, FileHandle> settled_;
    FileHandle TakeSettled(const std::string& path);
    std::unordered_map<std::string, unsigned long> volumes_;  // by folder: the serial number of its volume
    FileHandle journal_;
    std::string journalPath_;
    unsigned long lastError_ = 0;
};
