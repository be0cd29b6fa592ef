#include "discovery/file_version.h"

#include <windows.h>

#include <cstdio>
#include <vector>

#include "base/files.h"
#include "base/handles.h"
#include "base/system_library.h"

// The three version.dll calls. The library is not a known DLL, so it is bound
// at run time from the system folder rather than imported.
static DWORD VersionInfoSize(const std::string& path, DWORD& handle) {
    using SizeFn = DWORD(WINAPI*)(LPCSTR, LPDWORD);
    static const auto size = SystemFunctionAs<SizeFn>("version.dll", "GetFileVersionInfoSizeA");
    return size ? size(path.c_str(), &handle) : 0;
}

static bool VersionInfoRead(const std::string& path, DWORD handle, std::vector<BYTE>& block) {
    using ReadFn = BOOL(WINAPI*)(LPCSTR, DWORD, DWORD, LPVOID);
    static const auto read = SystemFunctionAs<ReadFn>("version.dll", "GetFileVersionInfoA");
    return read && read(path.c_str(), handle, static_cast<DWORD>(block.size()), block.data()) != 0;
}

static bool VersionInfoQuery(std::vector<BYTE>& block, const std::string& subBlock, void*& value, UINT& length) {
    using QueryFn = BOOL(WINAPI*)(LPCVOID, LPCSTR, LPVOID*, PUINT);
    static const auto query = SystemFunctionAs<QueryFn>("version.dll", "VerQueryValueA");
    value = nullptr;
    length = 0;
    return query && query(block.data(), subBlock.c_str(), &value, &length) != 0 && value != nullptr;
}

static std::string TranslationDigits(std::vector<BYTE>& block) {
    void* value = nullptr;
    UINT length = 0;
    if (!VersionInfoQuery(block, "\\VarFileInfo\\Translation", value, length) || length < 4) return "";
    const BYTE* entry = static_cast<const BYTE*>(value);
    unsigned language = entry[0] | (entry[1] << 8);
    unsigned codePage = entry[2] | (entry[3] << 8);
    char digits[9];
    std::snprintf(digits, sizeof digits, "%04X%04X", language, codePage);
    return digits;
}

std::string GetFileVersionString(const std::string& path) {
    DWORD handle = 0;
    DWORD size = VersionInfoSize(path, handle);
    if (size == 0) return "";
    std::vector<BYTE> block(size);
    if (!VersionInfoRead(path, handle, block)) return "";
    void* value = nullptr;
    UINT length = 0;
    if (!VersionInfoQuery(block, "\\StringFileInfo\\" + TranslationDigits(block) + "\\FileVersion", value, length))
        return "";
    // The text lies inside the block; never read past its end even if it lacks a NUL.
    const char* text = static_cast<const char*>(value);
    const char* end = reinterpret_cast<const char*>(block.data() + block.size());
    size_t n = 0;
    while (text + n < end && text[n] != '\0') ++n;
    return std::string(text, n);
}

bool ReadFileVersionNow(const std::string& path, std::string& version) {
    FileHandle file(OpenFilePath(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 OPEN_EXISTING, 0));
    if (!file.valid()) {
        DWORD error = GetLastError();
        if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION || error == ERROR_ACCESS_DENIED)
            return false;
    }
    file.reset();
    version = GetFileVersionString(path);
    return true;
}
