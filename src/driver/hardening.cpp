#include "driver/hardening.h"

#include <string>

namespace {
// Values of the newer SDKs, spelled out so the program still starts where the
// functions are missing (they are looked up by name).
const DWORD SearchSystem32 = 0x00000800;      // LOAD_LIBRARY_SEARCH_SYSTEM32
const DWORD SafeSearchPermanent = 0x00008001; // BASE_SEARCH_PATH_ENABLE_SAFE_SEARCHMODE | _PERMANENT
const DWORD DepEnable = 0x00000001;           // PROCESS_DEP_ENABLE

FARPROC Kernel32Function(const char* name) { return GetProcAddress(GetModuleHandleA("kernel32.dll"), name); }

std::string SystemFolder() {
    char buffer[MAX_PATH];
    UINT n = GetSystemDirectoryA(buffer, MAX_PATH);
    return (n > 0 && n < MAX_PATH) ? std::string(buffer, n) : std::string();
}
}  // namespace

void HardenProcess() {
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    using SetDllDirectoryFn = BOOL(WINAPI*)(LPCSTR);
    using SetSearchPathModeFn = BOOL(WINAPI*)(DWORD);
    using SetProcessDepPolicyFn = BOOL(WINAPI*)(DWORD);

    auto setDefault = FunctionAs<SetDefaultDllDirectoriesFn>(Kernel32Function("SetDefaultDllDirectories"));
    if (!setDefault || !setDefault(SearchSystem32)) {
        // Older systems: at least take the program's and the current folder out of the search.
        auto setDirectory = FunctionAs<SetDllDirectoryFn>(Kernel32Function("SetDllDirectoryA"));
        if (setDirectory) setDirectory("");
    }
    // Libraries the system's own code loads on demand while the wizard runs
    // (theming, alpha blending, window composition). Not every system restricts
    // those loads to its own folder (older ones lack the call above; Wine's
    // delay-loads ignore it), so they are loaded here first, by full path, and
    // later loads find them already in the process.
    for (const char* name : {"version.dll", "uxtheme.dll", "msimg32.dll", "dwmapi.dll"}) LoadSystemLibrary(name);
    auto setSearchMode = FunctionAs<SetSearchPathModeFn>(Kernel32Function("SetSearchPathMode"));
    if (setSearchMode) setSearchMode(SafeSearchPermanent);
    auto setDep = FunctionAs<SetProcessDepPolicyFn>(Kernel32Function("SetProcessDEPPolicy"));
    if (setDep) setDep(DepEnable);
}

std::string OwnExecutablePath() {
    std::string path(MAX_PATH, '\0');
    for (;;) {
        DWORD n = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n < path.size()) return path.substr(0, n);
        path.resize(path.size() * 2);
    }
}

std::string DllRedirectionPath() {
    std::string path = OwnExecutablePath() + ".local";
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES ? path : std::string();
}

HMODULE LoadSystemLibrary(const std::string& name) {
    std::string folder = SystemFolder();
    if (folder.empty()) return nullptr;
    return LoadLibraryA((folder + "\\" + name).c_str());
}

FARPROC SystemFunction(const std::string& library, const char* function) {
    HMODULE module = GetModuleHandleA(library.c_str());
    if (!module) module = LoadSystemLibrary(library);
    return module ? GetProcAddress(module, function) : nullptr;
}
