// The dry run: the install run itself, over the setup folder and a copy of the
// target that are only read, reported as what it would change, in order.
#pragma once
#include <string>
#include <vector>

#include "base/package.h"
#include "packcheck/folder_tree.h"

// The report's lines (ANSI): the installed stamps' verdict, then the files
// deleted, the files copied, the folders created, the uninstall record as a
// unified diff, the components entry, the stamps and the result.
std::vector<std::string> DryRun(const FolderTree& setup, const FolderTree& target, const Package& package);
