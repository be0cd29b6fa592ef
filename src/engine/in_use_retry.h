// The install run's disk with a second chance for a file in use: a step the
// system refuses because another program holds the file asks the user (through
// a callback: the engine shows nothing) and is taken again on Retry; after a
// Cancel the run fails and nothing more is asked, its undo included. Every
// refusal is remembered, so a failed run can say which file and why. Pure.
#pragma once
#include <functional>
#include <string>

#include "engine/failure_report.h"
#include "engine/install_files.h"
#include "engine/install_journal.h"

// Asked once for each refusal of a file in use: true tries it again.
using AskRetryFile = std::function<bool(const std::string& path)>;

class InUseRetry : public InstallFiles, public JournalDisk {
public:
    // `lastError` gives the system's code for the step just refused.
    InUseRetry(InstallFiles& files, JournalDisk& disk, std::function<unsigned long()> lastError, AskRetryFile ask);

    // The last step the disk refused: its path and the system's code.
    const InstallFailure& lastRefusal() const { return refusal_; }

    bool FileIsPresent(const std::string& path) override { return files_.FileIsPresent(path); }
    bool FileExists(const std::string& path) override { return files_.FileExists(path); }
    TextBuffer ReadText(const std::string& path) override;
    void WriteLineStream(const std::string& path, const std::function<void(const LineSink&)>& produce) override;
    void CopyWholeFile(const std::string& source, const std::string& destination) override;
    bool CopyPackageFile(const std::string& source, const std::string& destination) override;
    void WatchCopies(std::function<bool()> keepGoing) override { files_.WatchCopies(std::move(keepGoing)); }
    void RemoveFile(const std::string& path) override { files_.RemoveFile(path); }
    void CreateFolderTree(const std::string& folder) override { files_.CreateFolderTree(folder); }

    Entry EntryAt(const std::string& path) override { return disk_.EntryAt(path); }
    FileIdentity Identify(const std::string& path) override { return disk_.Identify(path); }
    bool SettleCopies(std::map<std::string, FileIdentity>& written, std::string& failed) override {
        return disk_.SettleCopies(written, failed);
    }
    unsigned long long UnsettledBytes() override { return disk_.UnsettledBytes(); }
    bool Link(const std::string& existing, const std::string& link) override;
    bool Replace(const std::string& from, const std::string& to) override;
    bool Rename(const std::string& from, const std::string& to, bool writeThrough) override;
    bool Erase(const std::string& path) override;
    bool MakeFolder(const std::string& folder) override { return disk_.MakeFolder(folder); }
    bool RemoveFolder(const std::string& folder) override { return disk_.RemoveFolder(folder); }
    bool HoldFolder(const std::string& folder) override { return disk_.HoldFolder(folder); }
    void KeepAttributes(const std::string& from, const std::string& to) override { disk_.KeepAttributes(from, to); }
    unsigned long LastError() override { return disk_.LastError(); }
    bool CreateJournal(const std::string& path) override { return disk_.CreateJournal(path); }
    void AppendJournal(const std::string& bytes) override;
    void CloseJournal() override { disk_.CloseJournal(); }
    Read ReadJournal(const std::string& path, std::string& bytes) override { return disk_.ReadJournal(path, bytes); }
    bool WriteRunRecord(const std::string& target, const std::string& bytes) override {
        return disk_.WriteRunRecord(target, bytes);
    }
    std::string ReadRunRecord(const std::string& target) override { return disk_.ReadRunRecord(target); }
    bool EraseRunRecord(const std::string& target) override { return disk_.EraseRunRecord(target); }
    bool FolderLinkAt(const std::string& folder, FileIdentity& leadsTo) override {
        return disk_.FolderLinkAt(folder, leadsTo);
    }
    unsigned long long RandomNumber() override { return disk_.RandomNumber(); }
    std::string LocalTimeNow() override { return disk_.LocalTimeNow(); }
    std::string FoldCase(const std::string& path) override { return disk_.FoldCase(path); }

private:
    // Asks the user about `path`; after one Cancel, never again in this run.
    bool AskAgain(const std::string& path);
    // Takes the step until it succeeds, or it is refused for another reason,
    // or the user declines to try again.
    bool Retried(const std::string& path, const std::function<bool()>& step);
    template <typename Step>
    auto RetriedThrowing(Step step) -> decltype(step());

    InstallFiles& files_;
    JournalDisk& disk_;
    std::function<unsigned long()> lastError_;
    AskRetryFile ask_;
    InstallFailure refusal_;
    bool declined_ = false;
};
