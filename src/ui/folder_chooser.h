// The shell's folder browser, for pointing at the target program by hand.
#pragma once
#include <string>

// The folder the user picked, or "" when the dialog was cancelled or the pick
// has no file-system path.
std::string ChooseFolder();
