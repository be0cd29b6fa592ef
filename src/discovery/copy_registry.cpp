#include "discovery/copy_registry.h"

#include <windows.h>

#include <algorithm>

#include "base/ascii.h"
#include "base/files.h"
#include "base/handles.h"
#include "discovery/file_version.h"
#include "discovery/mini_reg.h"
#include "discovery/version_match.h"

const char CopyRecordsKey[] = "Software\\Torvane\\QuillsetPatch";
static const char CountName[] = "QuillsetPatchCount";
static const char RecordPrefix[] = "QuillsetPatch";

std::string CopyRecordPath(int number) {
    return std::string(CopyRecordsKey) + "\\" + RecordPrefix + std::to_string(number);
}

static std::string CountPath() { return std::string(CopyRecordsKey) + "\\" + CountName; }

static bool RecordsKeyExists() { return RegKeyExists(HKEY_CURRENT_USER, CopyRecordsKey); }

int ReadCopyCount() {
    int count = 0;
    if (!RegValueExists(HKEY_CURRENT_USER, CountPath())) return 0;
    if (!ReadRegInteger(HKEY_CURRENT_USER, CountPath(), count)) return 0;
    return count < 0 ? 0 : count;
}

static std::string ReadRecordValue(const std::string& recordPath, const char* name) {
    std::string path = recordPath + "\\" + name;
    std::string text;
    if (!RegValueExists(HKEY_CURRENT_USER, path) || !ReadRegString(HKEY_CURRENT_USER, path, text)) return "";
    return text;
}

TCopyRecord ReadCopyRecord(const std::string& recordPath) {
    return {ReadRecordValue(recordPath, "ExePatch"), ReadRecordValue(recordPath, "Version"),
            ReadRecordValue(recordPath, "ProgramName")};
}

// A copy whose drive or share is away for now (a disk unplugged, a share
// offline) is kept: other programs made its record, and this one cannot make
// it again. Only a copy whose root is there and whose file is not is gone.
// The root is asked first: its file would only wait for the same time-out.
// A file that cannot be read right now (a scanner or a backup holding it) is
// kept too: only a version read and found different makes a record stale.
static bool IsStale(const TCopyRecord& record, RootReachability& roots, const UnfinishedRunTest& unfinishedRun) {
    if (record.ExePatch.empty()) return true;
    if (!roots.IsReachable(record.ExePatch)) return false;
    if (unfinishedRun && unfinishedRun(record.ExePatch)) return false;
    if (!FileIsPresent(record.ExePatch)) return true;
    std::string version;
    if (!ReadFileVersionNow(record.ExePatch, version)) return false;
    return !VersionsMatch(record.Version, version);
}

static bool IsGivenRecord(const TCopyRecord& record, const std::string& exePath, const std::string& programName,
                          const std::string& version) {
    return EqualsAsciiNoCase(record.ExePatch, exePath) && EqualsAsciiNoCase(record.Version, version) &&
           EqualsAsciiNoCase(record.ProgramName, programName);
}

// The highest number N for which a record key QuillsetPatchN exists; 0 for none.
// Record numbers above it name missing keys, which the passes below would visit
// one by one: with a corrupt count of two thousand million that never ends.
static int HighestRecordNumber() {
    RegKey base;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, CopyRecordsKey, 0, KEY_READ, base.receive()) != ERROR_SUCCESS) return 0;
    int highest = 0;
    const size_t prefixLength = sizeof RecordPrefix - 1;
    char name[256];
    for (DWORD index = 0;; ++index) {
        DWORD length = sizeof name;
        if (RegEnumKeyExA(base.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        std::string key(name, length);
        // Key names ignore case, as the registry does.
        if (key.size() <= prefixLength || key.size() > prefixLength + 9 ||
            !EqualsAsciiNoCase(std::string_view(key).substr(0, prefixLength), RecordPrefix))
            continue;
        int number = 0;
        bool digits = true;
        for (size_t i = prefixLength; i < key.size(); ++i) {
            if (key[i] < '0' || key[i] > '9') digits = false;
            else number = number * 10 + (key[i] - '0');
        }
        if (digits && number > highest) highest = number;
    }
    return highest;
}

void PruneCopyRecords(const std::string& exePath, const std::string& programName, const std::string& version) {
    RootReachability roots;
    PruneCopyRecords(exePath, programName, version, roots);
}

void PruneCopyRecords(const std::string& exePath, const std::string& programName, const std::string& version,
                      RootReachability& roots, const UnfinishedRunTest& unfinishedRun) {
    if (!RecordsKeyExists()) return;
    int count = ReadCopyCount();
    if (count <= 0) return;
    // Numbers above the highest record key would each be found missing and
    // removed in turn; taking them off at once leaves the same records and count.
    int live = std::min(count, HighestRecordNumber());
    if (live < count) WriteRegInteger(HKEY_CURRENT_USER, CountPath(), live);
    count = live;
    int removed = 0;
    for (int i = 1; i <= count; ++i) {
        int slot = i - removed;
        TCopyRecord record = ReadCopyRecord(CopyRecordPath(slot));
        if (IsStale(record, roots, unfinishedRun) || IsGivenRecord(record, exePath, programName, version)) {
            DeleteRegKey(HKEY_CURRENT_USER, CopyRecordPath(slot));
            for (int k = slot + 1; k <= count - removed; ++k) {
                if (RegKeyExists(HKEY_CURRENT_USER, CopyRecordPath(k)))
                    MoveCopyRecord(CopyRecordPath(k), CopyRecordPath(k - 1));
            }
            ++removed;
        }
        WriteRegInteger(HKEY_CURRENT_USER, CountPath(), count - removed);
    }
    if (count - removed == 0) DeleteRegKey(HKEY_CURRENT_USER, CopyRecordsKey);
}

void MoveCopyRecord(const std::string& source, const std::string& destination) {
    TCopyRecord record = ReadCopyRecord(source);
    WriteRegString(HKEY_CURRENT_USER, destination + "\\ExePatch", record.ExePatch);
    WriteRegString(HKEY_CURRENT_USER, destination + "\\Version", record.Version);
    WriteRegString(HKEY_CURRENT_USER, destination + "\\ProgramName", record.ProgramName);
    DeleteRegKey(HKEY_CURRENT_USER, source);
}

void FindNextCopy(const std::string& programName, int& lastNumber, std::string& exePath) {
    exePath.clear();
    if (!RecordsKeyExists()) return;
    int count = std::min(ReadCopyCount(), HighestRecordNumber());
    if (lastNumber >= count) return;
    for (int n = lastNumber < 0 ? 1 : lastNumber + 1; n <= count; ++n) {
        std::string recordPath = CopyRecordPath(n);
        if (EqualsAsciiNoCase(ReadRecordValue(recordPath, "ProgramName"), programName)) {
            exePath = ReadRecordValue(recordPath, "ExePatch");
            lastNumber = n;
            return;
        }
    }
}
