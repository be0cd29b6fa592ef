// The shell's folder browser, for pointing at the target program by hand.
#pragma once
#include <windows.h>

#include <string>

// The folder the user picked in a browser owned by `owner` with `title` above
// its tree, or "" when the dialog was cancelled or the pick has no file-system
// path. COM must be initialised on the thread.
std::string ChooseFolder(HWND owner, const std::string& title);
