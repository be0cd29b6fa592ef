// Keeps setup.exe loadable on Windows XP: the C++ runtime's thread support
// (winpthreads, behind thread-safe statics) calls GetTickCount64, which XP's
// kernel32 lacks. Its import slot is defined here, so the loader never looks
// for it; the slot calls the system's function where there is one.
#include <windows.h>

#include "base/system_library.h"

namespace {

using TickCount64Fn = ULONGLONG(WINAPI*)();

// Plain globals, no static locals: a guarded static would come back here.
TickCount64Fn systemTickCount64 = nullptr;
bool lookedUp = false;
DWORD lastTicks = 0;
ULONGLONG wraps = 0;

ULONGLONG WINAPI TickCount64() {
    if (!lookedUp) {
        systemTickCount64 = KernelFunctionAs<TickCount64Fn>("GetTickCount64");
        lookedUp = true;
    }
    if (systemTickCount64) return systemTickCount64();
    // XP: the 32-bit count, widened by counting its wraps (every 49.7 days).
    DWORD now = GetTickCount();
    if (now < lastTicks) ++wraps;
    lastTicks = now;
    return (wraps << 32) | now;
}

}  // namespace

#if defined(__i386__)
#define TICK_COUNT64_SLOT "__imp__GetTickCount64@0"
#else
#define TICK_COUNT64_SLOT "__imp_GetTickCount64"
#endif
extern "C" TickCount64Fn tickCount64Slot __asm__(TICK_COUNT64_SLOT);
TickCount64Fn tickCount64Slot = &TickCount64;
