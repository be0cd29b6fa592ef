// A plain, slow model of the uninstall record edits, step for step as the
// program's rules state them: every check re-reads the file, every section
// rewrites the whole record. Files are held as bytes, so the fast merge can be
// compared with it byte for byte. Pure: no Windows header.
#pragma once
#include <optional>
#include <string>

struct UninstallFiles {
    std::optional<std::string> record;       // Resource\Uninstall.ini of the target; nullopt when absent
    std::optional<std::string> clearScript;  // Source\Script_Uninstall_Clear.ini
    std::optional<std::string> addScript;    // Source\Script_Uninstall_Add.ini
};

// The uninstall phase by the reference model: the clear script when present,
// then the add script when present. Counts one step per add script line.
void ReferenceUninstallPhase(UninstallFiles& files, int& steps);

// The same phase as the program runs it, on files held in memory.
void FastUninstallPhase(UninstallFiles& files, int& steps);
