// System libraries bound at run time, always from the system folder by full
// path, and their functions looked up by name (older systems lack some).
#pragma once
#include <windows.h>

#include <string>

// Loads a library from the system folder by full path; 0 when it cannot.
HMODULE LoadSystemLibrary(const std::string& name);
// A function of a system library (loaded from the system folder when it is
// not in the process yet); 0 when either is missing.
FARPROC SystemFunction(const std::string& library, const char* function);

// A looked-up function as its real type (through void*, which every compiler
// accepts). The type must carry WINAPI: a 32-bit call with the wrong
// convention corrupts the stack.
template <typename Function>
Function FunctionAs(FARPROC address) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(address));
}
template <typename Function>
Function SystemFunctionAs(const std::string& library, const char* function) {
    return FunctionAs<Function>(SystemFunction(library, function));
}
// kernel32 is always in the process: its functions need no loading.
template <typename Function>
Function KernelFunctionAs(const char* function) {
    return FunctionAs<Function>(GetProcAddress(GetModuleHandleA("kernel32.dll"), function));
}
