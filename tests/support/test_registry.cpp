#include "support/test_registry.h"

#include <vector>

void DeleteRegistryTree(HKEY root, const std::string& path) {
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ | KEY_WRITE, &key) == ERROR_SUCCESS) {
        std::vector<std::string> children;
        char name[1024];
        for (DWORD i = 0;; ++i) {
            DWORD size = sizeof name;
            if (RegEnumKeyExA(key, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
            children.emplace_back(name, size);
        }
        RegCloseKey(key);
        for (const auto& child : children) DeleteRegistryTree(root, path + "\\" + child);
    }
    RegDeleteKeyA(root, path.c_str());
}
