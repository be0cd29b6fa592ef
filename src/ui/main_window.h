// The main window's procedure: turns Next, Back, Exit, the close box and list
// picks into the global facts the pages and the driver act on.
#pragma once
#include <windows.h>

enum CommandId {
    CmdExit = 1027,
    CmdCopyList = 1029,
    CmdNext = 1030,
    CmdBack = 1046,
    CmdLanguageList = 1050,
};

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
