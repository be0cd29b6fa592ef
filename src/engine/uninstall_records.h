// The target's uninstall record and installed-components list: the clear and
// add scripts applied to the record, and the package's components entry. Every
// rewrite goes through a temporary file in the setup folder's Source folder.
#pragma once
#include <string>

enum class UninstallList { Record, ClearScript };

// True when no line of the list equals `line`, or the list is not present.
bool LineAbsentFrom(UninstallList list, const std::string& line);
// Drops from the record every line the clear script lists. Throws FileError.
void ApplyUninstallClear();
// Merges the add script into the record; one progress step per script line,
// counted on `stepCounter`. Throws FileError.
void ApplyUninstallAdd(int& stepCounter);
// Puts the block (lines joined by CR LF) under every record line equal to the
// header, or appends header and block; an empty block changes nothing.
void MergeUninstallSection(const std::string& header, const std::string& block);
// Appends the entry to the installed-components list unless it is there,
// creating the list when absent. Throws FileError.
void AddInstalledComponent(const std::string& entry);
