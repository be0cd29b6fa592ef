// The boxes that tell the user what went wrong and how to put it right: a
// file in use (Retry or Cancel, with the programs holding it), the failed
// run's file and reason, too little room on the target's volume, and the
// package missing beside setup.exe.
#pragma once
#include <string>

#include "base/package.h"
#include "engine/failure_report.h"
#include "lang/catalogue.h"

// One box naming the file (and who holds it, where the system can tell);
// true when the user chose Retry.
bool AskRetryFileInUse(const Catalogue& texts, const std::string& target, const std::string& path);

// The lines below the failure box's first: the failure, with the system's
// own text for its code, the code taken from the disk's last refusal of the
// same file when the failure has none.
std::string InstallFailureDetails(const Catalogue& texts, const std::string& target, const InstallFailure& failure,
                                  const InstallFailure& lastRefusal);

// Compares what the run will write with the free room on the target's volume
// before anything is changed; false, after a box with both figures, when it
// does not fit. A volume that does not answer is let through.
bool EnoughSpaceForRun(const Catalogue& texts, const std::string& setupFolder, const std::string& target,
                       const Package& package);

// True when the package's description lies beside setup.exe; otherwise shows
// the box naming the folder it looked in.
bool PackagePresentOrSay(const Catalogue& texts, const std::string& setupFolder);
