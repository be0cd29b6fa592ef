// The copy list.
#pragma once
#include <windows.h>

#include <string>

extern std::string FoundCopies[11];
extern HWND CopyListFrame;
