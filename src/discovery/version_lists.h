// Which installed copies fit the package: by the versions the package lists in
// its Source\Versions.ini, or by the copy's own record of this package in its
// Resource\Packages.ini; and the walk that collects the copies that fit.
#pragma once
#include <string>

// True when a copy whose executable has this file version fits the package.
// Throws FileError when Source\Versions.ini cannot be read.
bool IsVersionSupported(const std::string& version, const std::string& exePath);
bool IsVersionSupportedIn(const std::string& setupFolder, const std::string& version, const std::string& exePath);

// Walks the copy records of PackProgramName: the first copy that fits goes to
// slot 0 of FoundCopies, every further distinct one to AddFoundCopy, which
// creates the copy list and sets `listCreated`.
void CollectCompatibleCopies(bool& listCreated);
void CollectCompatibleCopiesIn(const std::string& setupFolder, bool& listCreated);
