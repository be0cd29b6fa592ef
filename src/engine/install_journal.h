// The install run as one transaction over the target folder: every file it
// replaces is written beside it and put in place in one step that keeps the
// old file aside, every file and folder it creates is known, and a journal in
// the target, checked line by line and vouched for by the user's own record of
// the run, says so before each change. A failed run is put back at once, a
// killed one by the next run. Pure.
#pragma once
#include <map>
#include <set>
#include <string>
#include <vector>

#include "engine/install_files.h"

// What tells a file apart from the one it replaced or the user's later edit:
// its size and last-write time and, where the system has them, its volume's
// serial number and its index on that volume.
struct FileIdentity {
    long long size = -1;  // -1: no file
    unsigned long long written = 0;
    unsigned long volume = 0;
    unsigned long long index = 0;
    bool hasIndex = false;
    bool operator==(const FileIdentity&) const = default;
};

// The single file-system steps a transaction takes besides InstallFiles.
class JournalDisk {
public:
    virtual ~JournalDisk() = default;
    enum class Entry { None, File, ReadOnlyFile, Folder };
    virtual Entry EntryAt(const std::string& path) = 0;
    // The file's identity; size -1 when there is no file.
    virtual FileIdentity Identify(const std::string& path) = 0;
    // Waits until every package copy made since the last call is on the disk.
    // `written` gets, by the path each copy wrote, the identity its own handle
    // saw once flushed: no second open of the file. False when one could not
    // be flushed: `failed` names it, LastError() says why.
    virtual bool SettleCopies(std::map<std::string, FileIdentity>& written, std::string& failed) = 0;
    // The bytes the package copies not yet settled wrote, as far as known.
    virtual unsigned long long UnsettledBytes() = 0;
    // A second name for an existing file (a hard link); false where the volume has none.
    virtual bool Link(const std::string& existing, const std::string& link) = 0;
    // Puts `from` at `to` in one step, replacing any file there, on the disk on return.
    virtual bool Replace(const std::string& from, const std::string& to) = 0;
    // A rename that never replaces an entry; `writeThrough` when it must be on the disk on return.
    virtual bool Rename(const std::string& from, const std::string& to, bool writeThrough) = 0;
    // Deletes a file, read-only or not.
    virtual bool Erase(const std::string& path) = 0;
    virtual bool MakeFolder(const std::string& folder) = 0;
    virtual bool RemoveFolder(const std::string& folder) = 0;  // only an empty one
    // Keeps a folder the run made from being moved or deleted, and so from
    // being swapped for a link, until RemoveFolder takes it or the run ends.
    // False when what is there is not a plain folder.
    virtual bool HoldFolder(const std::string& folder) = 0;
    // The hidden, system and archive attributes of `from` given to `to`.
    virtual void KeepAttributes(const std::string& from, const std::string& to) = 0;
    // The system's error code for the last step that failed.
    virtual unsigned long LastError() = 0;

    // Creates the journal, failing when there is one, and holds it open with
    // no sharing until CloseJournal: a second run cannot read or write it.
    virtual bool CreateJournal(const std::string& path) = 0;
    // Appends to the held journal and flushes it to the disk. Throws FileError.
    virtual void AppendJournal(const std::string& bytes) = 0;
    virtual void CloseJournal() = 0;
    enum class Read { Done, Absent, Busy, Failed };
    // The journal's bytes; Busy when a run holds it.
    virtual Read ReadJournal(const std::string& path, std::string& bytes) = 0;

    // The record of a run this user started on `target`, kept where only this
    // user and administrators can write; written and flushed. Bytes "" when none.
    virtual bool WriteRunRecord(const std::string& target, const std::string& bytes) = 0;
    virtual std::string ReadRunRecord(const std::string& target) = 0;
    virtual bool EraseRunRecord(const std::string& target) = 0;

    // True when `folder` itself is a link to a folder (a junction, symbolic
    // link or mount point); `leadsTo` is then the identity of the folder
    // reached through it: its volume and index, size -1 when it leads nowhere.
    virtual bool FolderLinkAt(const std::string& folder, FileIdentity& leadsTo) = 0;

    // Eight random bytes for a run's nonce.
    virtual unsigned long long RandomNumber() = 0;
    // The local time now, "YYYY-MM-DD HH:MM".
    virtual std::string LocalTimeNow() = 0;
    // The path with its letters upper-cased as the file system compares them.
    virtual std::string FoldCase(const std::string& path) = 0;
};

// A journal's header: which run wrote it.
struct JournalHeader {
    std::string PackName, PackVersion, startedAt /* "YYYY-MM-DD HH:MM" local */, setupFolder;
    unsigned long long nonce = 0;
};

// One line of the journal: what a change did (written before the change),
// what a change left (Done, written after it), or a folder link the run
// crossed (Link, written before the first change below it).
struct JournalEntry {
    enum class Kind { Folder, New, Aside, Done, Committed, Link } kind;
    std::string path;   // relative to the target
    std::string aside;  // for Aside: where the old file went, relative to the target
    // For Done: the file the change left at `path` (size -1: none); for Link:
    // the folder the link led to (volume and index; size -1: nowhere).
    FileIdentity identity{};
};

// The journal's file in the target folder.
std::string JournalPath(const std::string& target);
// Lines end with a tab and a checksum over the run's nonce and the line.
std::string FormatJournalHeader(const JournalHeader& header);
std::string FormatJournalEntry(const JournalEntry& entry, unsigned long long nonce);
// Any line's body sealed with its checksum and line end.
std::string SealJournalLine(const std::string& body, unsigned long long nonce);

// LinkMoved: a folder on the way to a path the journal names is a link the
// run did not cross, or no longer leads where it did.
enum class JournalState { None, Unfinished, Committed, Damaged, Untrusted, Busy, LinkMoved };
struct ParsedJournal {
    JournalState state = JournalState::None;  // Unfinished, Committed, Damaged or Untrusted
    JournalHeader header;
    std::string headerLine;  // the first line as read, without its end
    std::vector<JournalEntry> entries;
    std::string reason;
};
// Reads the bytes strictly: a bad last line is a tear and ignored; a bad line
// with a good one after it, a whole line of an unknown kind, or an unknown
// header is damage; a path that could leave the target makes it untrusted.
ParsedJournal ParseJournal(const std::string& bytes);
// True for a journal path that stays inside the target: relative, no drive,
// root, stream, device, "." or ".." name, no name ending in a dot or blank.
bool JournalPathIsSafe(const std::string& path);
// Case folded as Windows folds it in the code page 1251: Latin and Cyrillic.
std::string FoldCp1251Case(std::string text);

struct JournalFinding {
    JournalState state = JournalState::None;
    JournalHeader header;
    std::string journalPath;
    std::string reason;  // LinkMoved: the link's full path
};
// Looks only; changes nothing. Busy: another run holds it. Untrusted: this
// user's record of the run is missing or does not match. LinkMoved: nothing
// may be done through the link named.
JournalFinding InspectJournal(JournalDisk& disk, const std::string& target);

// What the next run did with an earlier one.
enum class Recovery { Clean, UndoneRun, FinishedCleanUp, Stuck, Refused, LinkMoved };
struct RecoveryReport {
    Recovery outcome = Recovery::Clean;
    std::string file;         // Stuck: the file a step could not put back; LinkMoved: the link
    unsigned long error = 0;  // Stuck: the system's error code
    std::vector<std::string> leftAlone;  // files changed since the run, not touched
};
// Finishes what a killed run left in the target: undoes it, or, when it had
// committed, removes the old files it kept. Refused: the journal is damaged,
// not trusted or held by a run at work; nothing is done. LinkMoved: a folder
// link on the way is not the one the run crossed; nothing is done and the
// journal stays. Stuck: a step could not be taken; the journal stays for the
// next try.
RecoveryReport RecoverTarget(JournalDisk& disk, const std::string& target);

// The run's file work, journalled. Reads pass through; every write, copy,
// delete and folder first records its undo; a copy that fails throws.
class InstallTransaction : public InstallFiles {
public:
    // Opens the journal for this run alone; throws JournalBusy when there is one.
    InstallTransaction(InstallFiles& files, JournalDisk& disk, std::string target, const JournalHeader& header);
    ~InstallTransaction() override;
    struct JournalBusy {};

    // Records what writing `path` will change, flushed with the first change
    // that follows: announcing many at once costs one flush. A folder, a
    // read-only file or one that cannot be named aside throws FileError.
    void Announce(const std::string& path);
    // The same for a text file to be written (never its folder) and for a folder tree to be made.
    void AnnounceText(const std::string& path);
    void AnnounceFolderTree(const std::string& folder);
    // The same for a file the delete phase will remove; a read-only one stays.
    void AnnounceRemoval(const std::string& path);
    // The point of no return: the mark is flushed, then the old files go.
    void Commit();
    // Puts back every change; Stuck names the file a step could not put back,
    // LinkMoved the link through which nothing was put back.
    RecoveryReport Undo();
    // Journal flushes plus files flushed.
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
        bool asidePending = false;  // the old file is still to be kept aside
        std::string aside;          // where the old file goes, "" for a new one
        bool written = false;       // a new file the run has put there already
        FileIdentity left = {};     // and what it put there last
    };
    std::string Key(const std::string& path) const { return disk_.FoldCase(path); }
    // The path as the system names it, inside the target; throws FileError for one outside.
    std::string Inside(const std::string& path) const;
    std::string Relative(const std::string& path) const;
    // A text file is written only into a folder that is there: its folder is never made.
    void AnnounceFile(const std::string& path, bool withFolders);
    // Where the copy to `destination` is written first: in the run's staging
    // folder, whose few names are looked up fast, or beside `destination`
    // when a folder link on its way may lead to another volume.
    std::string TemporaryFor(const std::string& destination);
    bool StagingReady();
    bool BehindLink(const std::string& folder) const;
    void Log(const JournalEntry& entry);
    // Logs the links on the way from the target to `folder` not logged before.
    void CrossLinks(const std::string& folder);
    void Durable();
    void AnnounceFolders(const std::string& folder);
    void MakeFolders(const std::string& folder);
    std::string FreeAsideName(const std::string& path);
    // Before `path` is replaced: its undo is on the disk, its old file kept
    // aside under a second name (moved aside where the volume has no links),
    // its folders made. True when the old file was moved away from `path`.
    bool BeforeWrite(const std::string& path, bool withFolders);
    void AfterWrite(const std::string& path, bool movedAside);
    // A file left under a temporary name by a killed run is moved aside whole, never written into.
    void MoveLeftOverAside(const std::string& temporary);
    // The copies written beside their paths: flushed, their identities on the
    // disk, then each put at its path. A new file gets there only by a rename
    // that never replaces, after its identity: the undo deletes no file the
    // run did not write.
    void PutCopiesInPlace();
    // A new file's first write gets to its path by that rename; a second
    // write in the run replaces the first, if that is still there.
    void PutNewInPlace(const std::string& temporary, const std::string& path, const FileIdentity& identity);
    // The text files' write: a new one is written beside and put in place like a copy.
    void WriteText(const std::string& path, const std::function<void(const std::string&)>& write);
    void End();

    InstallFiles& files_;
    JournalDisk& disk_;
    std::string target_;
    std::string journal_;
    unsigned long long nonce_ = 0;
    std::vector<JournalEntry> entries_;  // flushed to the journal
    std::vector<JournalEntry> pending_;  // logged, not yet flushed
    std::map<std::string, Planned> planned_;  // by folded path
    std::set<std::string> folders_;           // folded folders there or announced
    std::set<std::string> present_;           // folded folders known to be there
    std::set<std::string> fresh_;             // folded folders announced as missing: all in them is the run's
    std::set<std::string> asides_;            // folded aside names taken
    std::set<std::string> linksSeen_;         // folded folders looked at for links
    std::set<std::string> links_;             // folded folders that are links
    std::map<std::string, std::string> temporaries_;  // by folded destination
    std::string staging_;                     // the staging folder once announced
    bool stagingTried_ = false;
    int staged_ = 0;                          // temporaries named in it so far
    struct Copy {
        std::string destination, temporary;
    };
    std::vector<Copy> copies_;            // written beside their paths, not yet put in place
    std::set<std::string> copiedPaths_;   // their folded destinations
    bool announced_ = false;  // pending_ holds a line that must be flushed before its change
    int flushes_ = 0;
    bool open_ = false;
};
