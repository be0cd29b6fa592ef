#include "engine/flush_pool.h"

#include <process.h>

#include "engine/file_ops.h"

namespace {

// Flushes from several threads at once let the disk take them together; a
// few are enough, and each holds little.
const int Threads = 4;
const DWORD WaitPiece = 50;
// Threads are woken for so many files at once: each wake is a call to the system.
const size_t WakeFor = 8;

}  // namespace

FlushPool::~FlushPool() {
    if (!started_) return;
    Settle(nullptr);
    EnterCriticalSection(&lock_);
    stopping_ = true;
    LeaveCriticalSection(&lock_);
    ReleaseSemaphore(work_.get(), static_cast<LONG>(threads_.size()), nullptr);  // more than are waiting: harmless
    for (auto& thread : threads_) WaitForSingleObject(thread.get(), INFINITE);
    DeleteCriticalSection(&lock_);
}

bool FlushPool::Start() {
    if (started_ || failedToStart_) return !threads_.empty();
    work_.reset(CreateSemaphoreA(nullptr, 0, 0x7fffffff, nullptr));
    idle_.reset(CreateEventA(nullptr, TRUE, TRUE, nullptr));
    if (!work_.valid() || !idle_.valid()) {
        failedToStart_ = true;
        return false;
    }
    InitializeCriticalSection(&lock_);
    started_ = true;
    for (int i = 0; i < Threads; ++i) {
        ProcessHandle thread(reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 64 << 10, Thread, this, 0, nullptr)));
        if (thread.valid()) threads_.push_back(std::move(thread));
    }
    // No thread at all: every file is flushed as it is handed over.
    return !threads_.empty();
}

void FlushPool::Finish(Flushed& result) {
    if (!FlushFileBuffers(result.file.get())) result.error = GetLastError();
    if (!result.error) result.identity = HandleIdentityOffVolume(result.file.get());
}

void FlushPool::Add(FileHandle file, const std::string& path) {
    if (!Start()) {
        results_.push_back({path, std::move(file), {}, 0});
        Finish(results_.back());
        return;
    }
    // Each signal is a call to the system (under Wine, to its server): a
    // thread that is at work takes the next file without one.
    EnterCriticalSection(&lock_);
    results_.push_back({path, FileHandle(), {}, 0});
    queue_.push_back({file.release(), results_.size() - 1});
    if (busy_++ == 0) ResetEvent(idle_.get());
    bool wake = waiting_ > 0 && queue_.size() >= WakeFor;
    if (wake) --waiting_;
    LeaveCriticalSection(&lock_);
    if (wake) ReleaseSemaphore(work_.get(), 1, nullptr);
}

unsigned __stdcall FlushPool::Thread(void* pool) {
    static_cast<FlushPool*>(pool)->Take();
    return 0;
}

void FlushPool::Take() {
    EnterCriticalSection(&lock_);
    for (;;) {
        if (stopping_) break;
        if (queue_.empty()) {
            ++waiting_;
            LeaveCriticalSection(&lock_);
            WaitForSingleObject(work_.get(), INFINITE);
            EnterCriticalSection(&lock_);
            continue;
        }
        Work work = queue_.front();
        queue_.pop_front();
        LeaveCriticalSection(&lock_);
        Flushed result;
        result.file.reset(work.file);
        Finish(result);
        EnterCriticalSection(&lock_);
        results_[work.slot].file = std::move(result.file);
        results_[work.slot].identity = result.identity;
        results_[work.slot].error = result.error;
        if (--busy_ == 0) SetEvent(idle_.get());
    }
    LeaveCriticalSection(&lock_);
}

std::vector<FlushPool::Flushed> FlushPool::Settle(const std::function<void()>& waiting) {
    if (started_ && !threads_.empty()) {
        // The files not yet worth a wake are taken now. With none queued the
        // waiting threads are left waiting, and counted: the next files wake them.
        EnterCriticalSection(&lock_);
        LONG wake = 0;
        if (!queue_.empty()) {
            wake = static_cast<LONG>(waiting_);
            waiting_ = 0;
        }
        LeaveCriticalSection(&lock_);
        if (wake) ReleaseSemaphore(work_.get(), wake, nullptr);
        while (WaitForSingleObject(idle_.get(), WaitPiece) == WAIT_TIMEOUT) {
            if (waiting) waiting();
        }
    }
    std::vector<Flushed> settled;
    if (started_) EnterCriticalSection(&lock_);
    settled.swap(results_);
    if (started_) LeaveCriticalSection(&lock_);
    return settled;
}
