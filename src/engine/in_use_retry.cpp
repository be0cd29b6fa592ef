#include "engine/in_use_retry.h"

#include "base/failure.h"

InUseRetry::InUseRetry(InstallFiles& files, JournalDisk& disk, std::function<unsigned long()> lastError,
                       AskRetryFile ask)
    : files_(files), disk_(disk), lastError_(std::move(lastError)), ask_(std::move(ask)) {}

bool InUseRetry::Retried(const std::string& path, const std::function<bool()>& step) {
    for (;;) {
        if (step()) return true;
        unsigned long code = lastError_ ? lastError_() : 0;
        refusal_ = {path, "", code};
        if (!IsFileInUseCode(code) || !ask_ || !ask_(path)) return false;
    }
}

template <typename Step>
auto InUseRetry::RetriedThrowing(Step step) -> decltype(step()) {
    for (;;) {
        try {
            return step();
        } catch (const FileError& error) {
            refusal_ = {error.path, error.reason, error.code};
            if (!IsFileInUseCode(error.code) || !ask_ || !ask_(error.path)) throw;
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
    // The copy cannot tell which end was refused; the destination is the file the user knows.
    return Retried(destination, [&] { return files_.CopyPackageFile(source, destination); });
}

bool InUseRetry::Rename(const std::string& from, const std::string& to, bool writeThrough) {
    return Retried(from, [&] { return disk_.Rename(from, to, writeThrough); });
}

bool InUseRetry::Erase(const std::string& path) {
    return Retried(path, [&] { return disk_.Erase(path); });
}

void InUseRetry::AppendJournal(const std::string& path, const std::string& bytes) {
    RetriedThrowing([&] { disk_.AppendJournal(path, bytes); });
}
