#include "driver/running_check.h"

#include <cstring>
#include <functional>

#include "base/ascii.h"
#include "base/handles.h"
#include "base/paths.h"
#include "base/system_library.h"

using SnapshotFn = HANDLE(WINAPI*)(DWORD, DWORD);
using ModuleWalkFn = BOOL(WINAPI*)(HANDLE, MODULEENTRY32*);
using ImageNameFn = BOOL(WINAPI*)(HANDLE, DWORD, LPSTR, PDWORD);

static const DWORD QueryLimitedInformation = 0x1000;  // PROCESS_QUERY_LIMITED_INFORMATION (Vista on)

struct ToolHelp {
    SnapshotFn snapshot = nullptr;
    ModuleWalkFn first = nullptr;
    ModuleWalkFn next = nullptr;
    ImageNameFn imageName = nullptr;
};

#ifndef _WIN64
static_assert(sizeof(MODULEENTRY32) == 548, "the ANSI module record as the 32-bit system fills it");
#endif

// Looked up by name once: older systems lack some of them.
static const ToolHelp& KernelTools() {
    static const ToolHelp tools = [] {
        ToolHelp t;
        t.snapshot = KernelFunctionAs<SnapshotFn>("CreateToolhelp32Snapshot");
        t.first = KernelFunctionAs<ModuleWalkFn>("Module32First");
        t.next = KernelFunctionAs<ModuleWalkFn>("Module32Next");
        t.imageName = KernelFunctionAs<ImageNameFn>("QueryFullProcessImageNameA");
        return t;
    }();
    return tools;
}

// A process that is loading or unloading a module can refuse one snapshot.
static SnapshotHandle TakeModuleSnapshot(SnapshotFn snapshot, DWORD processId) {
    SnapshotHandle handle;
    for (int attempt = 0; attempt < 3; ++attempt) {
        handle.reset(snapshot(TH32CS_SNAPMODULE, processId));
        if (handle.valid() || GetLastError() != ERROR_BAD_LENGTH) break;
    }
    return handle;
}

bool GetProcessModules(DWORD processId, TModuleArray& modules) {
    modules.clear();
    const ToolHelp& tools = KernelTools();
    if (!tools.snapshot || !tools.first || !tools.next) return false;
    SnapshotHandle snapshot = TakeModuleSnapshot(tools.snapshot, processId);
    if (!snapshot.valid()) return false;
    MODULEENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = tools.first(snapshot.get(), &entry); more; more = tools.next(snapshot.get(), &entry)) {
        modules.push_back(entry);
        entry.dwSize = sizeof entry;
    }
    return true;
}

static std::string ModulePath(const MODULEENTRY32& module) {
    return std::string(module.szExePath, strnlen(module.szExePath, sizeof module.szExePath));
}

// The limited right is enough from Vista on; older systems know only the full one.
static ProcessHandle OpenForQuery(DWORD processId) {
    ProcessHandle process(OpenProcess(QueryLimitedInformation, FALSE, processId));
    if (!process.valid()) process.reset(OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, processId));
    return process;
}

std::string QueryProcessImagePath(DWORD processId) {
    ImageNameFn imageName = KernelTools().imageName;
    if (!imageName) return "";
    ProcessHandle process = OpenForQuery(processId);
    if (!process.valid()) return "";
    std::string path(MAX_PATH, '\0');
    for (;;) {
        DWORD size = static_cast<DWORD>(path.size());
        if (imageName(process.get(), 0, path.data(), &size)) return path.substr(0, size);
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || path.size() >= 32768) return "";
        path.resize(path.size() * 2);
    }
}

// The module loaded at the classic image base is the program itself; a
// relocated image is still the snapshot's first module.
static std::string ImagePathFromModules(const TModuleArray& modules) {
    for (const MODULEENTRY32& module : modules) {
        if (reinterpret_cast<UINT_PTR>(module.modBaseAddr) == 0x00400000) return ModulePath(module);
    }
    return modules.empty() ? "" : ModulePath(modules.front());
}

std::string GetWindowExePath(HWND window) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (processId == 0) return "";
    TModuleArray modules;
    std::string path;
    if (GetProcessModules(processId, modules)) path = ImagePathFromModules(modules);
    if (path.empty()) path = QueryProcessImagePath(processId);
    return path;
}

static std::string WindowClassName(HWND window) {
    char name[257];  // class names are at most 256 characters
    int length = GetClassNameA(window, name, sizeof name);
    return std::string(name, length > 0 ? static_cast<size_t>(length) : 0);
}

// The topmost top-level window; the desktop's own list serves where no
// program manager window exists.
static HWND FirstTopWindow() {
    HWND programManager = FindWindowA("ProgMan", nullptr);
    if (programManager) return GetWindow(programManager, GW_HWNDFIRST);
    return GetTopWindow(nullptr);
}

// The ANSI path functions both report the length they need when the buffer is short.
static std::string GrowingPathCall(const std::function<DWORD(char*, DWORD)>& call) {
    std::string out(MAX_PATH, '\0');
    for (int attempt = 0; attempt < 3; ++attempt) {
        DWORD got = call(out.data(), static_cast<DWORD>(out.size()));
        if (got == 0) return "";
        if (got < out.size()) return out.substr(0, got);
        out.resize(got + 1);
    }
    return "";
}

std::string SystemPathKey(const std::string& path) {
    std::string full = GrowingPathCall([&](char* buffer, DWORD size) {
        return GetFullPathNameA(path.c_str(), size, buffer, nullptr);
    });
    if (full.empty()) full = path;
    // Only a file that is there has a long name to find; otherwise the full one serves.
    std::string longName = GrowingPathCall([&](char* buffer, DWORD size) {
        return GetLongPathNameA(full.c_str(), buffer, size);
    });
    return PathCompareKey(longName.empty() ? full : longName);
}

bool IsProgramRunning(const std::string& windowClass, const std::string& exePath) {
    std::string wanted;
    for (HWND window = FirstTopWindow(); window; window = GetWindow(window, GW_HWNDNEXT)) {
        if (!EqualsAsciiNoCase(WindowClassName(window), windowClass)) continue;
        std::string running = GetWindowExePath(window);
        if (running.empty()) continue;
        if (wanted.empty()) wanted = SystemPathKey(exePath);
        if (SystemPathKey(running) == wanted) return true;
    }
    return false;
}

bool IsTargetRunning(const Package& package, const std::string& folder) {
    return IsProgramRunning(package.PackWindowClass, JoinPath(folder, package.PackExeName));
}
