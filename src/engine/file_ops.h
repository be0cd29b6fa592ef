// The package file copy, on the disk.
#pragma once
#include <functional>
#include <string>

#include "base/files.h"
#include "base/handles.h"
#include "engine/install_journal.h"

// Creates the destination's folders when the copy needs them and copies over
// any existing file, with the shell's copy as a last try into a folder that is
// there; true when the copy itself succeeded (a destination it
// could not replace is a failure). `keepGoing`, when set, runs between pieces
// of the copy; false cancels it. Paths too long for the ANSI functions are
// copied with the wide-character ones. `sourceSize`: the source's size when
// known already, else -1. The copy never keeps the source's read-only
// attribute; a failed one leaves the system copy's error as the last error.
bool CopyPackageFile(const std::string& source, const std::string& destination,
                     const std::function<bool()>& keepGoing = nullptr, long long sourceSize = -1);

// The source's bytes, last-write time and attributes (less read-only, so the
// next update can replace the file) in a new destination,
// written with its own loop and flushed on its handle as it goes and at its
// end: on the disk when it returns true. `keepGoing` as above; a copy that
// fails or is cancelled leaves no destination.
// `open`, when given, receives the open file instead of its last flush:
// the caller flushes and closes it (its bytes are written, its time set).
// `source`'s attributes and time are looked up unless `known` tells them.
// `onlyNew`: fails when the destination is there, never writing through it.
bool CopyFileDurably(const std::string& source, const std::string& destination,
                     const std::function<bool()>& keepGoing = nullptr, FileHandle* open = nullptr,
                     const FileFacts* known = nullptr, bool onlyNew = false);

// The identity of an open file; size -1 for a folder or when the system cannot tell.
FileIdentity HandleIdentity(void* file);
// The same without the volume's serial number (0), which costs a look at the
// volume: the caller knows it from another file of the same folder.
FileIdentity HandleIdentityOffVolume(void* file);

// One shell copy of `source` into `folder`, under its own name; true when the
// shell reports success.
bool ShellCopyToFolder(const std::string& source, const std::string& folder);
