#include "registry_picture.h"

#include <new>
#include <string>
#include <vector>

#include "snapshot/engine/engine_ui.h"

namespace snapshot {

namespace {

constexpr DWORD kKeyNameSize = 1024;
constexpr DWORD kValueNameSize = 16384;

std::vector<std::string> SubkeyNames(HKEY key) {
    std::vector<std::string> names;
    std::vector<char> name(kKeyNameSize);
    for (DWORD index = 0;; ++index) {
        DWORD length = kKeyNameSize;
        if (RegEnumKeyExA(key, index, name.data(), &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        names.emplace_back(name.data(), length);
    }
    return names;
}

std::vector<std::string> ValueNames(HKEY key) {
    std::vector<std::string> names;
    std::vector<char> name(kValueNameSize);
    for (DWORD index = 0;; ++index) {
        DWORD length = kValueNameSize;
        if (RegEnumValueA(key, index, name.data(), &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        names.emplace_back(name.data(), length);
    }
    return names;
}

// One value record; a value whose data cannot be read is left out.
void SnapValue(PictureWriter& picture, HKEY key, const std::string& name) {
    DWORD type = 0, size = 0;
    if (RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return;
    if (type == REG_MULTI_SZ && size > kMultiStringLimit) {
        picture.WriteRegValueRecord(name, type, nullptr, 0);
        return;
    }
    std::vector<uint8_t> data;
    try {
        data.resize(size);
    } catch (const std::bad_alloc&) {
        StopProgram(kStrOutOfMemory);
    }
    if (RegQueryValueExA(key, name.c_str(), nullptr, &type, data.data(), &size) != ERROR_SUCCESS) return;
    picture.WriteRegValueRecord(name, type, data.data(), size);
}

void SnapRegistryKey(PictureWriter& picture, HKEY root, const std::string& path, const std::string& hive) {
    HKEY key = nullptr;
    std::string subKey = !path.empty() && path[0] == '\\' ? path.substr(1) : path;
    if (RegOpenKeyExA(root, subKey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
    std::vector<std::string> names = SubkeyNames(key);
    RegCloseKey(key);
    for (const auto& name : names) {
        ProcessMessages();
        std::string childPath = path + "\\" + name;
        SnapRegistryKey(picture, root, childPath, hive);
        std::string fullName = hive + childPath;
        picture.WriteKeyRecord(fullName);
        ShowStatus("[" + fullName + "]");
        HKEY child = nullptr;
        if (RegOpenKeyExA(root, childPath.substr(1).c_str(), 0, KEY_READ, &child) != ERROR_SUCCESS) continue;
        for (const auto& value : ValueNames(child)) SnapValue(picture, child, value);
        RegCloseKey(child);
    }
}

}  // namespace

void SnapRegistry(PictureWriter& picture, bool fastScan) {
    if (!fastScan) SnapRegistryKey(picture, HKEY_LOCAL_MACHINE, "", "HKEY_LOCAL_MACHINE");
    SnapRegistryKey(picture, HKEY_CURRENT_USER, "", "HKEY_CURRENT_USER");
}

}  // namespace snapshot
