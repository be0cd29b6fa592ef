// The copy registry: numbered records of installed copies of target programs
// under HKCU\Software\Torvane\QuillsetPatch, pruned, renumbered and walked here
// (never added to).
#pragma once
#include <functional>
#include <string>

#include "base/files.h"

struct TCopyRecord {
    std::string ExePatch;     // full path of the copy's executable
    std::string Version;      // its version when the record was made
    std::string ProgramName;  // the target program the copy belongs to
};

extern const char CopyRecordsKey[];  // "Software\Torvane\QuillsetPatch"

// Record n's key path under the records key.
std::string CopyRecordPath(int number);
// The record count, or 0 when it is missing, negative or not a REG_DWORD.
int ReadCopyCount();
// The three values of the record at the key path; missing or non-string values are "".
TCopyRecord ReadCopyRecord(const std::string& recordPath);

// Removes stale records (missing executable, or recorded version not matching
// the file's) and the record equal to the three given strings (ASCII case
// ignored), moves later records down to close the gaps, rewrites the count and
// deletes the records key once no record is left.
// `roots` answers for the drives and shares of the run, each asked once.
// A copy that `unfinishedRun` names (its folder holds what an interrupted
// install left) is never stale: its executable may be aside or of the
// interrupted run's version, and its record is the way back to it.
using UnfinishedRunTest = std::function<bool(const std::string& exePath)>;
void PruneCopyRecords(const std::string& exePath, const std::string& programName, const std::string& version,
                      RootReachability& roots, const UnfinishedRunTest& unfinishedRun = nullptr);
void PruneCopyRecords(const std::string& exePath, const std::string& programName, const std::string& version);
// Copies the three values from one record key to another and deletes the source.
void MoveCopyRecord(const std::string& source, const std::string& destination);
// Looks past record `lastNumber` for the next record of the program (ASCII case
// ignored); on a match sets exePath and lastNumber, otherwise exePath is "".
void FindNextCopy(const std::string& programName, int& lastNumber, std::string& exePath);
