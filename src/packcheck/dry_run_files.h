// The install run's file work done on paper: reads come from the real setup
// folder and target (never written), every change is recorded and kept in an
// overlay, so the run goes on exactly as over the disk.
#pragma once
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "engine/install_files.h"
#include "packcheck/folder_tree.h"

// Where a path the install run builds lies: below one of the two roots (names
// relative to it, "\" between them) or elsewhere (the path as built).
struct Place {
    enum class Root { Setup, Target, Outside } root = Root::Outside;
    std::string relative;
};

struct Change {
    enum class Kind { Delete, Copy, Write, Rewrite, Folder } kind;
    Place place;
    Place source;  // for a copy
    bool overwrites = false;
};

class DryRunFiles : public InstallFiles {
public:
    // The run is to be given setup.root and target.root as its folders.
    DryRunFiles(const FolderTree& setup, const FolderTree& target) : setup_(setup), target_(target) {}

    std::vector<Change> changes;
    // Why the run fails where the disk would refuse it (a read-only file, a
    // file where a folder must be), in the run's order.
    std::vector<std::string> failures;
    // Bytes of every file the run writes: all stay on the disk until it ends.
    unsigned long long bytesWritten = 0;

    Place Locate(const std::string& path) const;
    // A target file's lines before the run, and as the run left them.
    std::optional<std::vector<std::string>> LinesBefore(const std::string& relative) const;
    std::optional<std::vector<std::string>> LinesAfter(const std::string& relative) const;

    bool FileIsPresent(const std::string& path) override;
    TextBuffer ReadText(const std::string& path) override;
    void WriteLineStream(const std::string& path, const std::function<void(const LineSink&)>& produce) override;
    void CopyWholeFile(const std::string& source, const std::string& destination) override;
    bool CopyPackageFile(const std::string& source, const std::string& destination) override;
    void RemoveFile(const std::string& path) override;
    void CreateFolderTree(const std::string& folder) override;

private:
    struct Written {
        bool exists = false;
        bool folder = false;
        std::string bytes;
        bool readOnly = false;
    };
    const FolderTree& setup_;
    const FolderTree& target_;
    std::map<std::string, Written> overlay_;  // target paths, folded

    // What the place holds now: nothing, a folder, or a file with its bytes.
    std::optional<Written> Now(const Place& place) const;
    void Put(const Place& place, Written state);
    bool FolderExistsNow(const Place& place) const;
    // The file that stands where one of the folders of `place` must be; "" for none.
    std::string FileInTheWay(const Place& place) const;
    // Whether the process can write there: a place the run made is its own;
    // one of the target is asked of the disk.
    bool Writable(const Place& place) const;
    // The reason the run cannot write `place` (a file it replaces or makes),
    // or "" when it can.
    std::string WriteRefusal(const Place& place) const;
    // Gives the file new bytes, as a write or copy over the disk would, and records the change.
    void Replace(const std::string& path, Change change, const std::string& bytes);
};
