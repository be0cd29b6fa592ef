#include "records_support.h"

#include <windows.h>

#include "discovery/copy_registry.h"
#include "discovery/mini_reg.h"
#include "support/test_files.h"
#include "support/test_registry.h"

void ClearCopyRecords() { DeleteRegistryTree(HKEY_CURRENT_USER, CopyRecordsKey); }

void WriteCopyRecord(int number, const std::string& exePath, const std::string& version,
                     const std::string& programName) {
    std::string record = CopyRecordPath(number);
    ASSERT_TRUE(WriteRegString(HKEY_CURRENT_USER, record + "\\ExePatch", exePath));
    ASSERT_TRUE(WriteRegString(HKEY_CURRENT_USER, record + "\\Version", version));
    ASSERT_TRUE(WriteRegString(HKEY_CURRENT_USER, record + "\\ProgramName", programName));
}

void WriteCopyCount(int count) {
    ASSERT_TRUE(WriteRegInteger(HKEY_CURRENT_USER, std::string(CopyRecordsKey) + "\\QuillsetPatchCount", count));
}

void WriteCopyRecords(const std::vector<TCopyRecord>& records) {
    for (size_t i = 0; i < records.size(); ++i) {
        const TCopyRecord& r = records[i];
        WriteCopyRecord(static_cast<int>(i) + 1, r.ExePatch, r.Version, r.ProgramName);
    }
    WriteCopyCount(static_cast<int>(records.size()));
}

bool CopyRecordExists(int number) { return RegKeyExists(HKEY_CURRENT_USER, CopyRecordPath(number)); }

bool CopyRecordsKeyExists() { return RegKeyExists(HKEY_CURRENT_USER, CopyRecordsKey); }

std::string TargetVariantExe(const std::string& variant) {
    return std::string(TEST_BIN_DIR) + "\\demo\\" + variant + ".exe";
}

std::string InstallTargetCopy(const std::string& variant, const std::string& folder, const std::string& name) {
    MakeFolders(folder);
    std::string path = folder + "\\" + name;
    CopyFileA(TargetVariantExe(variant).c_str(), path.c_str(), FALSE);
    return path;
}

void RunTargetToRecord(const std::string& exe) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::string line = "\"" + exe + "\" /quit";
    ASSERT_TRUE(
        CreateProcessA(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process));
    EXPECT_EQ(WaitForSingleObject(process.hProcess, 20000), WAIT_OBJECT_0);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}
