// The target's uninstall record and installed-components list: the clear and
// add scripts applied to the record, and the package's components entry, each
// file written once through InstallFiles.
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

// Drops from the record every line the clear script lists, then merges the add
// script into it, and writes the record once: a reader sees the old record or
// the finished one, never the cleared one alone. `onStep` runs once per add
// script line. Without a record nothing changes, but the lines still take their
// steps. A record the clear script touched is written even when no line went.
// Throws FileError.
void ApplyUninstallScripts(InstallFiles& files, const RecordPaths& paths, const std::function<void()>& onStep);
// Appends the entry to the components list unless it is there, creating the
// list when absent (its folder is not created). Throws FileError.
void AddInstalledComponent(InstallFiles& files, const RecordPaths& paths, const std::string& entry);
