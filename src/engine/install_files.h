// The file work of an install run behind one interface, so that the run's
// rules are plain C++: the disk implementation acts (disk_files.h); another
// may only record what would change. Paths are Windows paths.
#pragma once
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/text_lines.h"

using LineSink = std::function<void(std::string_view)>;

class InstallFiles {
public:
    virtual ~InstallFiles() = default;
    // The one existence test: an entry that is found and is not a folder.
    virtual bool FileIsPresent(const std::string& path) = 0;
    // For the files the run edits: found and not a folder, whatever its date.
    virtual bool FileExists(const std::string& path) { return FileIsPresent(path); }
    // The file's bytes with views of its lines by the text-file rules. Throws FileError.
    virtual TextBuffer ReadText(const std::string& path) = 0;
    // Creates or replaces a text file in one step: whatever happens, it holds
    // its old bytes or all of the new ones. `produce` hands the lines to the
    // sink in order, so a large record is written as it is put together.
    // Throws FileError.
    virtual void WriteLineStream(const std::string& path, const std::function<void(const LineSink&)>& produce) = 0;
    // Gives the destination the source's exact bytes, in one step like
    // WriteLines. Throws FileError.
    virtual void CopyWholeFile(const std::string& source, const std::string& destination) = 0;
    // Copies a package file over any existing destination, creating its
    // folders; true when the copy succeeded.
    virtual bool CopyPackageFile(const std::string& source, const std::string& destination) = 0;
    // `keepGoing` runs now and then during a long copy; false cancels the copy.
    virtual void WatchCopies(std::function<bool()> keepGoing) { (void)keepGoing; }
    // Deletes a file; whether it went is not looked at.
    virtual void RemoveFile(const std::string& path) = 0;
    // Creates the folder with all missing parents.
    virtual void CreateFolderTree(const std::string& folder) = 0;

    // The same for the small files that are kept as strings.
    std::vector<std::string> ReadLines(const std::string& path) { return LineStrings(ReadText(path).lines); }
    void WriteLines(const std::string& path, const std::vector<std::string>& lines) { WriteEach(path, lines); }
    void WriteLineViews(const std::string& path, const std::vector<std::string_view>& lines) { WriteEach(path, lines); }

private:
    template <typename Lines>
    void WriteEach(const std::string& path, const Lines& lines) {
        WriteLineStream(path, [&](const LineSink& sink) {
            for (std::string_view line : lines) sink(line);
        });
    }
};

// Number of text lines of the file; 0 when it is not present. Throws FileError.
int CountScriptLines(InstallFiles& files, const std::string& path);
