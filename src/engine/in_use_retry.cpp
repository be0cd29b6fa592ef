#include "engine/in_use_retry.h"

#include "base/failure.h"
#include "base/package_layout.h"
#include "base/paths.h"

// The file the user knows: a replacement written beside a file is named by that file.
static std::string KnownName(const std::string& path) {
    return IsReplacementPath(path) ? path.substr(0, path.size() - std::string(ReplacementSuffix).size()) : path;
}

InUseRetry::InUseRetry(InstallFiles& files, JournalDisk& disk, std::function<unsigned long()> lastError,
                       AskRetryFile ask)
    : files_(files), disk_(disk), lastError_(std::move(lastError)), ask_(std::move(ask)) {}

bool InUseRetry::AskAgain(const std::string& path) {
    if (declined_ || !ask_) return false;
    if (ask_(path)) return true;
    declined_ = true;  // the run fails now: its undo asks nothing more
    return false;
}

bool InUseRetry::Retried(const std::string& path, const std::function<bool()>& step) {
    for (;;) {
        if (step()) return true;
        unsigned long code = lastError_ ? lastError_() : 0;
        // What failed the run is the refusal the user declined, not its undo's.
        if (!declined_) refusal_ = {path, "", code};
        if (!IsFileInUseCode(code) || !AskAgain(path)) return false;
    }
}

template <typename Step>
auto InUseRetry::RetriedThrowing(Step step) -> decltype(step()) {
    for (;;) {
        try {
            return step();
        } catch (const FileError& error) {
            if (!declined_) refusal_ = {KnownName(error.path), error.reason, error.code};
            if (!IsFileInUseCode(error.code) || !AskAgain(KnownName(error.path))) throw;
        }
    }
}

TextBuffer InUseRetry::ReadText(const std::string& path) {
    return RetriedThrowing([&] { return files_.ReadText(path); });
}

// A write starts from nothing each time, so `produce` may run again.
void InUseRetry::WriteLineStream(const std::string& path, const std::function<void(const LineSink&)>& produce) {
    RetriedThrowing([&] { files_.WriteLineStream(path, produce); });
}

void InUseRetry::CopyWholeFile(const std::string& source, const std::string& destination) {
    RetriedThrowing([&] { files_.CopyWholeFile(source, destination); });
}

bool InUseRetry::CopyPackageFile(const std::string& source, const std::string& destination) {
    // The copy cannot tell which end was refused; the destination is the file
    // the user knows, unless it is new in the run's staging folder, where
    // nobody else holds it: then the package file was refused.
    bool staged = IsReplacementPath(FolderOf(destination));
    return Retried(staged ? source : KnownName(destination), [&] { return files_.CopyPackageFile(source, destination); });
}

bool InUseRetry::Rename(const std::string& from, const std::string& to, bool writeThrough) {
    return Retried(from, [&] { return disk_.Rename(from, to, writeThrough); });
}

bool InUseRetry::Erase(const std::string& path) {
    return Retried(path, [&] { return disk_.Erase(path); });
}

bool InUseRetry::Link(const std::string& existing, const std::string& link) {
    return Retried(existing, [&] { return disk_.Link(existing, link); });
}

bool InUseRetry::Replace(const std::string& from, const std::string& to) {
    // The file the user knows is the one being replaced.
    return Retried(KnownName(to), [&] { return disk_.Replace(from, to); });
}

void InUseRetry::AppendJournal(const std::string& bytes) {
    RetriedThrowing([&] { disk_.AppendJournal(bytes); });
}
