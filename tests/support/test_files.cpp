#include "support/test_files.h"

#include <windows.h>

#include <algorithm>
#include <stdexcept>

static unsigned scratchCounter = 0;

ScratchDir::ScratchDir() {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    std::string base(temp);
    if (!base.empty() && base.back() == '\\') base.pop_back();
    for (;;) {
        path = base + "\\setuptest_" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++scratchCounter);
        if (CreateDirectoryA(path.c_str(), nullptr)) break;
        if (GetLastError() != ERROR_ALREADY_EXISTS) throw std::runtime_error("cannot create " + path);
    }
}

ScratchDir::~ScratchDir() { RemoveTree(path); }

void MakeFolders(const std::string& path) {
    for (size_t i = 3; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == '\\') CreateDirectoryA(path.substr(0, i).c_str(), nullptr);
    }
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    size_t cut = path.find_last_of('\\');
    if (cut != std::string::npos) MakeFolders(path.substr(0, cut));
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot write " + path);
    DWORD wrote = 0;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &wrote, nullptr);
    CloseHandle(h);
}

std::string ReadBytes(const std::string& path) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot read " + path);
    std::string bytes;
    char chunk[65536];
    DWORD got = 0;
    while (ReadFile(h, chunk, sizeof chunk, &got, nullptr) && got) bytes.append(chunk, got);
    CloseHandle(h);
    return bytes;
}

bool PathExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void RemoveTree(const std::string& path) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((path + "\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::string name = data.cFileName;
            if (name == "." || name == "..") continue;
            std::string child = path + "\\" + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(child);
            } else {
                SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(child.c_str());
            }
        } while (FindNextFileA(find, &data));
        FindClose(find);
    }
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryA(path.c_str());
}

std::vector<std::string> FolderListing(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        std::string name = data.cFileName;
        if (name != "." && name != "..") names.push_back(name);
    } while (FindNextFileA(find, &data));
    FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}
