// The install run's file work in memory, for tests of the run's rules without
// a disk: paths are normalised ("/" as "\", "." and ".." resolved), a file can
// only be written into a folder that exists, and chosen copies and writes can
// be made to fail (a failed write leaves the old file). It also takes a
// transaction's single steps, and can be killed: after a chosen number of
// changes every further call throws Killed and changes nothing. It models a
// power cut too: file data not flushed is lost (zeros at the file's size),
// while every change of names and folders made before the cut stays. Hard
// links are copies that keep their identity: nothing writes into a file in
// place but the journal. A folder link leads to another folder: every path
// through it reaches that folder's entries. Pure.
#pragma once
#include <map>
#include <set>
#include <vector>
#include <string>

#include "engine/install_files.h"
#include "engine/install_journal.h"

struct Killed {};

class MemoryFiles : public InstallFiles, public JournalDisk {
public:
    std::map<std::string, std::string> files;  // normalised path -> bytes
    std::set<std::string> folders;
    std::set<std::string> refusedCopies;  // destinations no copy can reach, package files no copy can read
    std::set<std::string> refusedWrites;  // files that cannot be replaced
    std::set<std::string> readOnly;       // files with the read-only attribute
    std::set<std::string> locked;         // files held open: no rename, no delete
    std::set<std::string> undated;        // files stamped before 1980
    int rewrites = 0;                     // writes over files that were there
    int changes = 0;                      // changes made so far
    int killAt = -1;                      // the change that is never made (none when negative)
    bool killed = false;                  // killAt was reached
    std::set<std::string> unflushed;      // files whose bytes a power cut loses
    bool copiesFlushed = true;            // package copies are flushed once settled (SettleCopies)
    bool linksWork = true;                // false: a volume with no hard links (FAT32)
    std::map<std::string, std::string> runRecords;  // the user's own store, by folded target
    std::string heldJournal;                        // the journal a run holds open, "" for none
    std::map<std::string, std::string> folderLinks;  // a link's normalised path -> the folder it leads to

    static std::string Normal(const std::string& path);
    // The normalised path with each folder link on the way followed: where the system gets to.
    std::string Reached(const std::string& path) const;
    void Put(const std::string& path, const std::string& bytes);  // creates the folders too
    std::string Bytes(const std::string& path) const;             // "<absent>" when there is no such file
    bool Has(const std::string& path) const { return files.count(Reached(path)) != 0; }
    // What a power cut leaves now: unflushed bytes lost, open files closed.
    void PowerCut();

    bool FileIsPresent(const std::string& path) override;
    bool FileExists(const std::string& path) override { return Has(path); }
    TextBuffer ReadText(const std::string& path) override;
    void WriteLineStream(const std::string& path, const std::function<void(const LineSink&)>& produce) override;
    void CopyWholeFile(const std::string& source, const std::string& destination) override;
    bool CopyPackageFile(const std::string& source, const std::string& destination) override;
    bool SettleCopies(std::map<std::string, FileIdentity>& written, std::string& failed) override;
    unsigned long long UnsettledBytes() override;
    void RemoveFile(const std::string& path) override;
    void CreateFolderTree(const std::string& folder) override;

    Entry EntryAt(const std::string& path) override;
    FileIdentity Identify(const std::string& path) override;
    bool Link(const std::string& existing, const std::string& link) override;
    bool Replace(const std::string& from, const std::string& to) override;
    bool Rename(const std::string& from, const std::string& to, bool writeThrough) override;
    bool Erase(const std::string& path) override;
    bool MakeFolder(const std::string& folder) override;
    bool RemoveFolder(const std::string& folder) override;
    // Nothing here moves a folder but the test: only a link in its place is refused.
    bool HoldFolder(const std::string& folder) override { return !folderLinks.count(Normal(folder)) || Fail(5); }
    void KeepAttributes(const std::string&, const std::string&) override {}
    unsigned long LastError() override { return lastError_; }
    bool CreateJournal(const std::string& path) override;
    void AppendJournal(const std::string& bytes) override;
    void CloseJournal() override { heldJournal.clear(); }
    Read ReadJournal(const std::string& path, std::string& bytes) override;
    bool WriteRunRecord(const std::string& target, const std::string& bytes) override;
    std::string ReadRunRecord(const std::string& target) override;
    bool EraseRunRecord(const std::string& target) override;
    unsigned long long RandomNumber() override { return 0x9e3779b97f4a7c15ull * ++nonces_; }
    std::string LocalTimeNow() override { return "2026-12-10 03:30"; }
    std::string FoldCase(const std::string& path) override { return FoldCp1251Case(path); }
    bool FolderLinkAt(const std::string& folder, FileIdentity& leadsTo) override;

private:
    void Change();  // throws Killed at the chosen change, and after it
    void Store(const std::string& path, const std::string& bytes);
    void Written(const std::string& normal, bool flushed);  // a new file's identity, its bytes flushed or not
    bool Fail(unsigned long error);
    std::map<std::string, unsigned long long> ids_;  // normal path -> file index
    std::map<std::string, unsigned long long> folderIds_;  // a folder's normal path -> its index
    std::vector<std::string> copied_;                 // package copies not yet settled, as named
    unsigned long long nextId_ = 0;
    unsigned long long nonces_ = 0;
    unsigned long lastError_ = 0;
};
