#include "support/unix_side.h"

#include <windows.h>

#include <functional>

namespace {

bool Within(DWORD ms, const std::function<bool()>& condition) {
    for (DWORD start = GetTickCount();; Sleep(10)) {
        if (condition()) return true;
        if (GetTickCount() - start > ms) return false;
    }
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// The folder's volume and index as reached through any links on its path.
unsigned long long IndexOf(const std::string& folder) {
    HANDLE handle = CreateFileA(folder.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return 0;
    BY_HANDLE_FILE_INFORMATION info{};
    GetFileInformationByHandle(handle, &info);
    CloseHandle(handle);
    return (static_cast<unsigned long long>(info.nFileIndexHigh) << 32 | info.nFileIndexLow) ^
           static_cast<unsigned long long>(info.dwVolumeSerialNumber) << 40;
}

// The link's own Unix name: its folder's, then its name, never followed.
std::string UnixLinkPath(const std::string& link) {
    size_t cut = link.find_last_of('\\');
    std::string folder = UnixPath(link.substr(0, cut));
    return folder.empty() ? "" : folder + "/" + link.substr(cut + 1);
}

}  // namespace

std::string UnixPath(const std::string& path) {
    using UnixNameFn = char*(CDECL*)(LPCWSTR);
    auto unixName = reinterpret_cast<UnixNameFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (!unixName) return "";
    std::wstring wide(path.size(), L'\0');
    wide.resize(MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()), wide.data(),
                                    static_cast<int>(wide.size())));
    char* name = unixName(wide.c_str());
    if (!name) return "";
    std::string result = name;
    HeapFree(GetProcessHeap(), 0, name);
    return result;
}

void RunUnix(const std::string& program, const std::string& arguments) {
    std::string commandLine = program + " " + arguments;
    std::string windowsName = "Z:" + program;
    for (char& c : windowsName) c = c == '/' ? '\\' : c;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (CreateProcessA(windowsName.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                       &process)) {
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
}

bool MakeFolderLink(const std::string& link, const std::string& destination) {
    std::string from = UnixLinkPath(link), to = UnixPath(destination);
    unsigned long long index = IndexOf(destination);
    if (from.empty() || to.empty() || !index) return false;
    // -n: a link there already is replaced, never followed into.
    RunUnix("/bin/ln", "-sfn " + Quoted(to) + " " + Quoted(from));
    return Within(5000, [&] {
        DWORD attributes = GetFileAttributesA(link.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
               IndexOf(link) == index;
    });
}

bool RemoveFolderLink(const std::string& link) {
    std::string path = UnixLinkPath(link);
    if (path.empty()) return false;
    RunUnix("/bin/rm", "-f " + Quoted(path));
    return Within(5000, [&] {
        WIN32_FIND_DATAA data;
        HANDLE find = FindFirstFileA(link.c_str(), &data);
        if (find == INVALID_HANDLE_VALUE) return true;
        FindClose(find);
        return false;
    });
}
