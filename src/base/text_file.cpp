#include "base/text_file.h"

#include <windows.h>

#include <algorithm>

#include "base/failure.h"
#include "base/handles.h"
#include "base/text_lines.h"

std::string SystemErrorText(unsigned long code) {
    char* buffer = nullptr;
    DWORD length = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                      FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, code, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
    std::string text = length ? std::string(buffer, length) : "System error " + std::to_string(code);
    if (buffer) LocalFree(buffer);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
    return text;
}

static FileError LastFileError(const std::string& path) {
    return FileError(path, SystemErrorText(GetLastError()));
}

std::vector<std::string> ReadTextLines(const std::string& path) {
    FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) throw LastFileError(path);
    std::string bytes;
    char chunk[65536];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file.get(), chunk, sizeof chunk, &got, nullptr)) throw LastFileError(path);
        if (got == 0) break;
        bytes.append(chunk, got);
    }
    return SplitTextLines(bytes);
}

void WriteTextLines(const std::string& path, const std::vector<std::string>& lines) {
    FileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) throw LastFileError(path);
    std::string bytes = JoinTextLines(lines);
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD wrote = 0;
        DWORD want = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1 << 20));
        if (!WriteFile(file.get(), bytes.data() + done, want, &wrote, nullptr) || wrote == 0) throw LastFileError(path);
        done += wrote;
    }
    if (!file.reset()) throw LastFileError(path);
}
