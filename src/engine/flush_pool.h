// A few threads that flush the files the install run has written, so the
// run copies the next files while the disk takes the last ones: every file is
// still flushed on the handle that wrote it before anything depends on it.
#pragma once
#include <windows.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "base/handles.h"
#include "engine/install_journal.h"

class FlushPool {
public:
    FlushPool() = default;
    // Waits for every file handed over.
    ~FlushPool();
    FlushPool(const FlushPool&) = delete;
    FlushPool& operator=(const FlushPool&) = delete;

    struct Flushed {
        std::string path;
        FileHandle file;          // still open: it can be renamed through its handle
        FileIdentity identity;    // as the file's own handle saw it once flushed
        unsigned long error = 0;  // the system's code when the flush failed
    };
    // Hands over a file written at `path`: flushed and identified on another
    // thread. Without threads it is done here and now.
    void Add(FileHandle file, const std::string& path);
    // Waits until every file handed over is flushed, and gives each back in the
    // order handed over. `waiting` runs every 50 ms or so meanwhile.
    std::vector<Flushed> Settle(const std::function<void()>& waiting);

private:
    struct Work {
        HANDLE file;
        size_t slot;
    };
    bool Start();
    static unsigned __stdcall Thread(void* pool);
    void Take();
    static void Finish(Flushed& result);

    bool started_ = false;
    bool failedToStart_ = false;
    CRITICAL_SECTION lock_{};
    ProcessHandle work_;  // a semaphore counting queued files
    ProcessHandle idle_;  // set while nothing is queued or being flushed
    std::vector<ProcessHandle> threads_;
    std::deque<Work> queue_;
    std::vector<Flushed> results_;
    size_t busy_ = 0;     // queued or being flushed
    size_t waiting_ = 0;  // threads waiting for the semaphore, or woken and not yet running
    bool stopping_ = false;
};
