#include "driver/hardening.h"

#include <windows.h>

#include "base/files.h"
#include "base/system_library.h"

namespace {
// Values of the newer SDKs, spelled out so the program still starts where the
// functions are missing (they are looked up by name).
const DWORD SearchSystem32 = 0x00000800;      // LOAD_LIBRARY_SEARCH_SYSTEM32
const DWORD SafeSearchPermanent = 0x00008001; // BASE_SEARCH_PATH_ENABLE_SAFE_SEARCHMODE | _PERMANENT
const DWORD DepEnable = 0x00000001;           // PROCESS_DEP_ENABLE
}  // namespace

void HardenProcess() {
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    using SetDllDirectoryFn = BOOL(WINAPI*)(LPCSTR);
    using SetSearchPathModeFn = BOOL(WINAPI*)(DWORD);
    using SetProcessDepPolicyFn = BOOL(WINAPI*)(DWORD);

    // Before any file is looked at: a copy record naming an empty removable
    // drive must not raise the system's "insert a disk" box.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    auto setDefault = KernelFunctionAs<SetDefaultDllDirectoriesFn>("SetDefaultDllDirectories");
    if (!setDefault || !setDefault(SearchSystem32)) {
        // Older systems: at least take the program's and the current folder out of the search.
        auto setDirectory = KernelFunctionAs<SetDllDirectoryFn>("SetDllDirectoryA");
        if (setDirectory) setDirectory("");
    }
    // Libraries the system's own code loads on demand while the wizard runs
    // (theming, alpha blending, window composition). Not every system restricts
    // those loads to its own folder (older ones lack the call above; Wine's
    // delay-loads ignore it), so they are loaded here first, by full path, and
    // later loads find them already in the process.
    for (const char* name : {"version.dll", "uxtheme.dll", "msimg32.dll", "dwmapi.dll"}) LoadSystemLibrary(name);
    auto setSearchMode = KernelFunctionAs<SetSearchPathModeFn>("SetSearchPathMode");
    if (setSearchMode) setSearchMode(SafeSearchPermanent);
    auto setDep = KernelFunctionAs<SetProcessDepPolicyFn>("SetProcessDEPPolicy");
    if (setDep) setDep(DepEnable);
}

std::string DllRedirectionPath() {
    std::string path = OwnExecutablePath() + ".local";
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES ? path : std::string();
}
