// Start-up hardening for a program that is run from download folders, where
// anyone may have left a DLL named like a system one: the DLL search is limited
// to the system folder, and DLL redirection beside the program is refused.
#pragma once
#include <string>

// Keeps the system's critical-error boxes away (an empty drive fails quietly),
// restricts the DLL search to the system folder and turns on the safe search
// mode and DEP where the system offers them. Call before anything else.
void HardenProcess();
// The path of a file or folder "<own executable>.local" lying beside the
// program (which would redirect its DLLs), or "" when there is none.
std::string DllRedirectionPath();
