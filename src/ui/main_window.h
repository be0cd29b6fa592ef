// The main window's procedure: hands the window's events to the wizard that
// owns it.
#pragma once
#include <windows.h>

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
