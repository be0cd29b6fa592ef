#include "discovery/mini_reg.h"

#include "base/handles.h"

size_t LastCharPos(char c, const std::string& text) {
    size_t at = text.rfind(c);
    return at == std::string::npos ? 0 : at + 1;
}

bool SplitRegPath(const std::string& path, std::string& keyPart, std::string& namePart) {
    size_t pos = LastCharPos('\\', path);
    if (pos == 0) return false;
    keyPart = path.substr(0, pos - 1);
    namePart = path.substr(pos);
    return true;
}

static bool OpenKeyPart(HKEY root, const std::string& keyPart, REGSAM access, RegKey& key) {
    return RegOpenKeyExA(root, keyPart.c_str(), 0, access, key.receive()) == ERROR_SUCCESS;
}

bool WriteRegData(HKEY root, const std::string& path, DWORD type, const void* bytes, DWORD byteCount) {
    std::string keyPart, name;
    if (!SplitRegPath(path, keyPart, name)) return false;
    RegKey key;
    DWORD disposition = 0;
    if (RegCreateKeyExA(root, keyPart.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, key.receive(),
                        &disposition) != ERROR_SUCCESS)
        return false;
    return RegSetValueExA(key.get(), name.c_str(), 0, type, static_cast<const BYTE*>(bytes), byteCount) ==
           ERROR_SUCCESS;
}

bool ReadRegData(HKEY root, const std::string& path, DWORD type, std::vector<BYTE>& bytes) {
    std::string keyPart, name;
    if (!SplitRegPath(path, keyPart, name)) return false;
    RegKey key;
    if (!OpenKeyPart(root, keyPart, KEY_READ, key)) return false;
    DWORD storedType = 0;
    DWORD size = 0;
    if (RegQueryValueExA(key.get(), name.c_str(), nullptr, &storedType, nullptr, &size) != ERROR_SUCCESS) return false;
    if (storedType != type) return false;
    // One spare byte keeps the buffer non-empty; a value that outgrew it since
    // the size query fails the second query instead of overrunning.
    std::vector<BYTE> buffer(static_cast<size_t>(size) + 1);
    DWORD got = static_cast<DWORD>(buffer.size());
    if (RegQueryValueExA(key.get(), name.c_str(), nullptr, &storedType, buffer.data(), &got) != ERROR_SUCCESS)
        return false;
    if (storedType != type || got > buffer.size()) return false;
    buffer.resize(got);
    bytes.swap(buffer);
    return true;
}

bool WriteRegString(HKEY root, const std::string& path, const std::string& text) {
    return WriteRegData(root, path, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
}

bool WriteRegInteger(HKEY root, const std::string& path, int value) {
    BYTE bytes[4];
    auto raw = static_cast<unsigned>(value);
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<BYTE>(raw >> (8 * i));
    return WriteRegData(root, path, REG_DWORD, bytes, sizeof bytes);
}

bool ReadRegString(HKEY root, const std::string& path, std::string& text) {
    std::vector<BYTE> bytes;
    if (!ReadRegData(root, path, REG_SZ, bytes)) return false;
    // The text ends at the stored terminator; a value stored without one keeps all its characters.
    size_t length = 0;
    while (length < bytes.size() && bytes[length] != 0) ++length;
    text.assign(reinterpret_cast<const char*>(bytes.data()), length);
    return true;
}

bool ReadRegInteger(HKEY root, const std::string& path, int& value) {
    std::vector<BYTE> bytes;
    if (!ReadRegData(root, path, REG_DWORD, bytes)) return false;
    unsigned raw = 0;
    for (size_t i = 0; i < bytes.size() && i < 4; ++i) raw |= static_cast<unsigned>(bytes[i]) << (8 * i);
    value = static_cast<int>(raw);
    return true;
}

bool RegValueExists(HKEY root, const std::string& path) {
    std::string keyPart, name;
    if (!SplitRegPath(path, keyPart, name)) return false;
    RegKey key;
    if (!OpenKeyPart(root, keyPart, KEY_READ, key)) return false;
    return RegQueryValueExA(key.get(), name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

bool RegKeyExists(HKEY root, const std::string& path) {
    std::string keyPath = path;
    if (!keyPath.empty() && keyPath.back() == '\\') keyPath.pop_back();
    // An empty path would open the root itself.
    if (keyPath.empty()) return false;
    RegKey key;
    return OpenKeyPart(root, keyPath, KEY_READ, key);
}

bool DeleteRegKey(HKEY root, const std::string& path) {
    std::string keyPart, name;
    if (!SplitRegPath(path, keyPart, name)) return false;
    RegKey key;
    if (!OpenKeyPart(root, keyPart, KEY_WRITE, key)) return false;
    return RegDeleteKeyA(key.get(), name.c_str()) == ERROR_SUCCESS;
}
