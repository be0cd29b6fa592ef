// The check that the target program is not running from the chosen copy: a
// top-level window of the target's class whose process runs the chosen
// copy's executable.
#pragma once
#include <windows.h>
#include <tlhelp32.h>

#include <string>
#include <vector>

#include "base/package.h"

using TModuleArray = std::vector<MODULEENTRY32>;

// True when a window of the package's target class belongs to a process
// running folder + "\" + PackExeName.
bool IsTargetRunning(const Package& package, const std::string& folder);
// The same for an explicit class (ASCII case ignored) and executable path
// (any name of the same file: case, short names, "." and ".." do not matter).
bool IsProgramRunning(const std::string& windowClass, const std::string& exePath);
// The key PathCompareKey gives for the path as the system names the file:
// made full, short (8.3) names taken long where the file is there.
std::string SystemPathKey(const std::string& path);
// The executable of the process owning the window, or "" when none can be had.
std::string GetWindowExePath(HWND window);
// The process's modules in Tool Help order; false when no snapshot can be taken.
bool GetProcessModules(DWORD processId, TModuleArray& modules);
// The process's image path as the system reports it; "" when it cannot be had.
std::string QueryProcessImagePath(DWORD processId);
