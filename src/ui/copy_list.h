// The copy list: the table of compatible copies found by discovery and the
// list box, frame and tooltip window that let the user choose one of them.
#pragma once
#include <windows.h>

#include <array>
#include <string>

constexpr int FoundCopySlots = 11;
// Executable paths of compatible copies: slot 0 the first found, then further
// distinct copies in the order found. Copies past the last slot are dropped.
extern std::array<std::string, FoundCopySlots> FoundCopies;
extern HWND CopyListFrame;  // the etched frame around the copy list

// Hands one more compatible copy (differing from slot 0) to the list: the first
// call creates the list; later calls append a path not yet listed while a slot
// is free. `usedSlots` is the number of the last used slot.
void AddFoundCopy(bool& listCreated, const std::string& path, int& usedSlots);
// Builds the frame, the list with slot 0 and `secondPath`, and the tooltip window.
void CreateCopyList(const std::string& secondPath, bool& listCreated);
