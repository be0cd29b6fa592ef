// How many bytes an install run will write into the target's volume, asked
// before any change: every copy line's package file, the records and stamps
// written whole, and the journal. The old files a run replaces are kept aside
// until its commit, so they give no room back. Pure.
#pragma once
#include <functional>
#include <string>

#include "base/package.h"
#include "engine/install_files.h"

// The size of a file in bytes; -1 when there is none.
using FileSizeOf = std::function<long long(const std::string& path)>;

// Each file counted in whole clusters of `cluster` bytes (at least 1).
// Throws FileError when a script that is present cannot be read.
unsigned long long BytesTheRunWrites(InstallFiles& files, const FileSizeOf& sizeOf, const std::string& setupFolder,
                                     const std::string& target, const Package& package, unsigned long cluster);

// A byte count as megabytes with one decimal, rounded up or down, e.g. "12.5".
std::string MegabytesText(unsigned long long bytes, bool roundUp);
