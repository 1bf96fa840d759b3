#include "registry_values.h"

#include "kmapp32.h"

std::vector<std::string> RegistryValueNames(HKEY root, const std::string& subkey) {
    std::vector<std::string> names;
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, subkey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return names;
    for (DWORD i = 0;; ++i) {
        char name[16384] = {};  // the longest value name the registry allows, and its NUL
        DWORD size = sizeof name;
        if (RegEnumValueA(key, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        names.push_back(name);
    }
    RegCloseKey(key);
    return names;
}

std::vector<std::string> PersonalFolderItems(const std::string& tree, const std::string& folder) {
    return RegistryValueNames(HKEY_CURRENT_USER, std::string(KMAPP_FOLDERS_KEY) + "\\" + tree + "\\" + folder);
}
