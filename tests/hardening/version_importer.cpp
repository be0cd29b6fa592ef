// Imports version.dll the ordinary way, as a program without any hardening
// does: the control case showing that a planted copy would be loaded.
#include <windows.h>

int main() {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    DWORD handle = 0;
    return GetFileVersionInfoSizeA(path, &handle) > 0 ? 0 : 2;
}
