// The target's uninstall record and installed-components list: the clear and
// add scripts applied to the record, and the package's components entry, as
// whole-file rewrites through InstallFiles.
#pragma once
#include <functional>
#include <string>

#include "engine/install_files.h"

// The files the edits read and write.
struct RecordPaths {
    std::string record;       // T\Resource\Uninstall.ini
    std::string components;   // T\Resource\InstallComponents.ini
    std::string clearScript;  // S\Source\Script_Uninstall_Clear.ini
    std::string addScript;    // S\Source\Script_Uninstall_Add.ini
};

// Drops from the record every line the clear script lists. Throws FileError.
void ApplyUninstallClear(InstallFiles& files, const RecordPaths& paths);
// Merges the add script into the record; `onStep` runs once per script line.
// Without a record nothing changes, but the lines still take their steps.
// Throws FileError.
void ApplyUninstallAdd(InstallFiles& files, const RecordPaths& paths, const std::function<void()>& onStep);
// Appends the entry to the components list unless it is there, creating the
// list when absent (its folder is not created). Throws FileError.
void AddInstalledComponent(InstallFiles& files, const RecordPaths& paths, const std::string& entry);
