#include "support/locked_path.h"

#include <windows.h>

#include <functional>

#include "support/unix_side.h"

namespace {

bool Refuses(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return !FolderTakesFiles(path);
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_ACCESS_DENIED;
    CloseHandle(file);
    return false;
}

bool Within(DWORD ms, const std::function<bool()>& condition) {
    for (DWORD start = GetTickCount();; Sleep(10)) {
        if (condition()) return true;
        if (GetTickCount() - start > ms) return false;
    }
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

const char ProbeName[] = "probe-from-test.tmp";

}  // namespace

bool FolderTakesFiles(const std::string& folder) {
    std::string probe = folder + "\\" + ProbeName;
    HANDLE file = CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
}

LockedPath::LockedPath(std::string path) : path_(std::move(path)), unix_(UnixPath(path_)) {
    if (unix_.empty()) return;
    RunUnix("/usr/bin/chattr", "+i " + Quoted(unix_));
    if (Within(3000, [&] { return Refuses(path_); })) return;
    RunUnix("/bin/chmod", "a-w " + Quoted(unix_));
    Within(3000, [&] { return Refuses(path_); });
}

LockedPath::~LockedPath() { Unlock(); }

bool LockedPath::locked() const { return !unix_.empty() && Refuses(path_); }

void LockedPath::Unlock() {
    if (unix_.empty()) return;
    RunUnix("/usr/bin/chattr", "-i " + Quoted(unix_));
    RunUnix("/bin/chmod", "u+w " + Quoted(unix_));
    Within(5000, [&] { return !Refuses(path_); });
    // A probe made just as the lock took hold could not be deleted on close.
    DeleteFileA((path_ + "\\" + ProbeName).c_str());
    unix_.clear();
}
