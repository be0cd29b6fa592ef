#include "base/system_library.h"

static std::string SystemFolder() {
    char buffer[MAX_PATH];
    UINT n = GetSystemDirectoryA(buffer, MAX_PATH);
    return (n > 0 && n < MAX_PATH) ? std::string(buffer, n) : std::string();
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
