// Which installed copies fit the package: by the versions the package lists in
// its Source\Versions.ini, or by the copy's own record of this package in its
// Resource\Packages.ini; and the walk that collects the copies that fit.
#pragma once
#include <string>

#include "base/files.h"
#include "base/package.h"
#include "discovery/copy_registry.h"
#include "discovery/found_copies.h"

// True when a copy whose executable has this file version fits the package.
// Throws FileError when Source\Versions.ini cannot be read.
bool IsVersionSupported(const std::string& setupFolder, const Package& package, const std::string& version,
                        const std::string& exePath);

// Walks the copy records of the package's program: the first copy that fits
// goes to slot 0, every further distinct one to AddFoundCopy.
// A copy on a drive or share that `roots` finds away is passed over unasked.
// A copy that `unfinishedRun` names is taken whatever its executable: what
// the interrupted run left is settled before the executable is judged.
FoundCopyTable CollectCompatibleCopies(const std::string& setupFolder, const Package& package, RootReachability& roots,
                                       const UnfinishedRunTest& unfinishedRun = nullptr);
FoundCopyTable CollectCompatibleCopies(const std::string& setupFolder, const Package& package);
