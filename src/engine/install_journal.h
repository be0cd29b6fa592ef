// The install run as one transaction over the target folder: every file it
// replaces or deletes is first renamed aside, every file and folder it creates
// is known, and a journal in the target says so before each change, so a failed
// run is put back at once and a killed one by the next run. Pure.
#pragma once
#include <map>
#include <set>
#include <string>
#include <vector>

#include "engine/install_files.h"

// The single file-system steps a transaction takes besides InstallFiles.
class JournalDisk {
public:
    virtual ~JournalDisk() = default;
    enum class Entry { None, File, ReadOnlyFile, Folder };
    virtual Entry EntryAt(const std::string& path) = 0;
    // A rename that never replaces an entry; `writeThrough` when it must be on the disk on return.
    virtual bool Rename(const std::string& from, const std::string& to, bool writeThrough) = 0;
    // Deletes a file, read-only or not.
    virtual bool Erase(const std::string& path) = 0;
    virtual bool MakeFolder(const std::string& folder) = 0;
    virtual bool RemoveFolder(const std::string& folder) = 0;  // only an empty one
    // The hidden, system and archive attributes of `from` given to `to`.
    virtual void KeepAttributes(const std::string& from, const std::string& to) = 0;
    // Appends to the journal (created hidden when absent) and flushes it to the disk. Throws FileError.
    virtual void AppendJournal(const std::string& path, const std::string& bytes) = 0;
    virtual void CloseJournal() = 0;
    // The journal's bytes. Throws FileError.
    virtual std::string ReadJournal(const std::string& path) = 0;
};

// One line of the journal: what a change did, written before the change.
struct JournalEntry {
    enum class Kind { Folder, New, Aside, Committed } kind;
    std::string path;   // relative to the target
    std::string aside;  // for Aside: where the old file went, relative to the target
};

// The journal's file in the target folder.
std::string JournalPath(const std::string& target);
std::string FormatJournalEntry(const JournalEntry& entry);
// The entries up to the first line that is not whole (a torn tail never counts).
std::vector<JournalEntry> ParseJournal(const std::string& bytes);

// What the next run found of an earlier one.
enum class Recovery { Clean, UndoneRun, FinishedCleanUp, Stuck };
// Finishes what a killed run left in the target: undoes it, or, when it had
// committed, removes the old files it kept. Stuck: a step could not be taken
// (a file in use); the journal stays for the next try.
Recovery RecoverTarget(JournalDisk& disk, const std::string& target);

// The run's file work, journalled. Reads pass through; every write, copy,
// delete and folder first records its undo; a copy that fails throws.
class InstallTransaction : public InstallFiles {
public:
    InstallTransaction(InstallFiles& files, JournalDisk& disk, std::string target);

    // Records what writing `path` will change, flushed with the first change
    // that follows: announcing many at once costs one flush. A folder, a
    // read-only file or one that cannot be named aside throws FileError.
    void Announce(const std::string& path);
    // The same for a text file to be written (never its folder) and for a folder tree to be made.
    void AnnounceText(const std::string& path);
    void AnnounceFolderTree(const std::string& folder) { AnnounceFolders(folder); }
    // The same for a file the delete phase will remove; a read-only one stays.
    void AnnounceRemoval(const std::string& path);
    // The point of no return: the mark is flushed, then the old files go.
    void Commit();
    // Puts back every change; false when a step failed (the journal then stays
    // for the next run).
    bool Undo();
    int flushes() const { return flushes_; }

    bool FileIsPresent(const std::string& path) override { return files_.FileIsPresent(path); }
    bool FileExists(const std::string& path) override { return files_.FileExists(path); }
    TextBuffer ReadText(const std::string& path) override { return files_.ReadText(path); }
    void WriteLineStream(const std::string& path, const std::function<void(const LineSink&)>& produce) override;
    void CopyWholeFile(const std::string& source, const std::string& destination) override;
    bool CopyPackageFile(const std::string& source, const std::string& destination) override;
    void RemoveFile(const std::string& path) override;
    void CreateFolderTree(const std::string& folder) override;

private:
    struct Planned {
        bool asidePending = false;  // the old file is still to be renamed aside
        std::string aside;          // where the old file goes, "" for a new one
    };
    std::string Relative(const std::string& path) const;
    // A text file is written only into a folder that is there: its folder is never made.
    void AnnounceFile(const std::string& path, bool withFolders);
    void Log(const JournalEntry& entry);
    void Durable();
    void AnnounceFolders(const std::string& folder);
    void MakeFolders(const std::string& folder);
    std::string FreeAsideName(const std::string& path);
    // Before `path` is written: its undo is on the disk, its old file aside,
    // its folders made. True when an old file went aside just now.
    bool BeforeWrite(const std::string& path, bool withFolders);
    void AfterTextWrite(const std::string& path, bool asideNow);

    InstallFiles& files_;
    JournalDisk& disk_;
    std::string target_;
    std::string journal_;
    std::vector<JournalEntry> entries_;  // logged so far, flushed or not
    std::string unflushed_;
    std::map<std::string, Planned> planned_;  // by ASCII-folded path
    std::set<std::string> folders_;           // folded folders there or announced
    std::set<std::string> present_;           // folded folders known to be there
    std::set<std::string> asides_;            // folded aside names taken
    int flushes_ = 0;
};
