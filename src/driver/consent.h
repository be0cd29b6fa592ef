// The elevated copy of setup: started through the system's consent prompt
// for the install of one target, and waited for with the window kept alive.
#pragma once
#include <windows.h>

#include <string>

#include "driver/handoff.h"

// Starts this program elevated with `arguments`, the prompt owned by
// `owner`, and waits for it, handling the thread's messages meanwhile.
ElevatedRunEnd RunElevatedCopy(HWND owner, const std::string& arguments);
