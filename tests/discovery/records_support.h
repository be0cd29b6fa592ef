// Helpers for the discovery tests: the copy records key of the test prefix
// cleared and filled by hand, and copies of the stand-in target program.
#pragma once
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "discovery/copy_registry.h"

// Removes the copy records key with all its record keys.
void ClearCopyRecords();
void WriteCopyRecord(int number, const std::string& exePath, const std::string& version,
                     const std::string& programName);
void WriteCopyCount(int count);
// Writes the records as numbers 1..N and the count N.
void WriteCopyRecords(const std::vector<TCopyRecord>& records);
bool CopyRecordExists(int number);
bool CopyRecordsKeyExists();

// Path of a built stand-in target variant ("target_v1", "target_nover", ...).
std::string TargetVariantExe(const std::string& variant);
// Copies a target variant to folder\name, creating the folder; returns the path.
std::string InstallTargetCopy(const std::string& variant, const std::string& folder,
                              const std::string& name = "Quill.exe");
// Runs a target copy with /quit, so that it records itself, and waits for its end.
void RunTargetToRecord(const std::string& exe);

// Starts each test with no copy records and leaves none behind.
class CopyRecordsTest : public ::testing::Test {
protected:
    void SetUp() override { ClearCopyRecords(); }
    void TearDown() override { ClearCopyRecords(); }
};
