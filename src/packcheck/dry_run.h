// The dry run: the install run itself, over the setup folder and a copy of the
// target that are only read, reported as what it would change, in order.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "base/package.h"
#include "packcheck/folder_tree.h"

struct DryRunReport {
    // The report's lines (ANSI): setup's verdict on the folder and the stamps,
    // then the files deleted, the files copied, the folders created, the
    // uninstall record as a unified diff, the components entry, the stamps,
    // the space, the links and the result.
    std::vector<std::string> lines;
    // Why an install into this copy would not do what the package means:
    // setup refuses the folder, a check stops it, or the run fails.
    std::vector<std::string> stops;
};

// `freeBytes`: what the target's volume has free (nothing when unknown);
// `running`: the target program runs from the folder now.
DryRunReport DryRun(const FolderTree& setup, const FolderTree& target, const Package& package,
                    std::optional<unsigned long long> freeBytes = std::nullopt, bool running = false);
