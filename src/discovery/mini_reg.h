// MiniReg: registry access by path. A path joins a key path and a final name
// with a backslash; every operation opens what it needs, does one thing,
// closes its key again and reports only success or failure.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

// 1-based position of the last `c` in `text`; 0 when it does not occur.
size_t LastCharPos(char c, const std::string& text);
// Splits at the last backslash; false (outputs untouched) when there is none.
bool SplitRegPath(const std::string& path, std::string& keyPart, std::string& namePart);

bool WriteRegData(HKEY root, const std::string& path, DWORD type, const void* bytes, DWORD byteCount);
// Fails unless the stored type equals `type`; `bytes` is written only on success.
bool ReadRegData(HKEY root, const std::string& path, DWORD type, std::vector<BYTE>& bytes);
bool WriteRegString(HKEY root, const std::string& path, const std::string& text);
bool WriteRegInteger(HKEY root, const std::string& path, int value);
bool ReadRegString(HKEY root, const std::string& path, std::string& text);
bool ReadRegInteger(HKEY root, const std::string& path, int& value);
// True for a value of any type.
bool RegValueExists(HKEY root, const std::string& path);
// True when the key the whole path names opens; a trailing backslash makes no
// difference.
bool RegKeyExists(HKEY root, const std::string& path);
// Deletes the subkey named by the name part; refused when it has subkeys.
bool DeleteRegKey(HKEY root, const std::string& path);
