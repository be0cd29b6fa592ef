// Start-up hardening for a program that is run from download folders, where
// anyone may have left a DLL named like a system one: the DLL search is limited
// to the system folder, and DLL redirection beside the program is refused.
#pragma once
#include <windows.h>

#include <string>

// Restricts the DLL search to the system folder and turns on the safe search
// mode and DEP where the system offers them. Call before anything else.
void HardenProcess();
// The path of a file or folder "<own executable>.local" lying beside the
// program (which would redirect its DLLs), or "" when there is none.
std::string DllRedirectionPath();
// The full path of the program's own executable, whatever its length.
std::string OwnExecutablePath();
// Loads a library from the system folder by full path; 0 when it cannot.
HMODULE LoadSystemLibrary(const std::string& name);
// A function of a system library, looked up by name; 0 when either is missing.
FARPROC SystemFunction(const std::string& library, const char* function);

// A looked-up function as its real type (through void*, which every compiler accepts).
template <typename Function>
Function FunctionAs(FARPROC address) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(address));
}
template <typename Function>
Function SystemFunctionAs(const std::string& library, const char* function) {
    return FunctionAs<Function>(SystemFunction(library, function));
}
