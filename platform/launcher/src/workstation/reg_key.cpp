#include "reg_key.h"

namespace vpr::launcher {

RegKey& RegKey::operator=(RegKey&& other) noexcept {
    if (this != &other) {
        Close();
        key_ = other.key_;
        other.key_ = nullptr;
    }
    return *this;
}

LONG RegKey::Open(HKEY root, const std::string& path) {
    Close();
    return RegOpenKeyExA(root, path.c_str(), 0, KEY_ALL_ACCESS, &key_);
}

LONG RegKey::Create(HKEY root, const std::string& path) {
    Close();
    char noClass[] = "";
    return RegCreateKeyExA(root, path.c_str(), 0, noClass, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                           &key_, nullptr);
}

void RegKey::Close() {
    if (key_) RegCloseKey(key_);
    key_ = nullptr;
}

bool RegKey::GetDword(const std::string& name, DWORD* value) const {
    DWORD type = 0, size = sizeof(DWORD);
    BYTE data[sizeof(DWORD)] = {};
    if (!key_ || RegQueryValueExA(key_, name.c_str(), nullptr, &type, data, &size) != ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof(DWORD))
        return false;
    *value = DWORD{data[0]} | DWORD{data[1]} << 8 | DWORD{data[2]} << 16 | DWORD{data[3]} << 24;
    return true;
}

DWORD RegKey::GetDword(const std::string& name, DWORD fallback) const {
    DWORD value = fallback;
    return GetDword(name, &value) ? value : fallback;
}

bool RegKey::GetString(const std::string& name, std::string* value) const {
    DWORD type = 0, size = 0;
    if (!key_ || RegQueryValueExA(key_, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return false;
    std::string data(size, '\0');
    if (RegQueryValueExA(key_, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size) !=
        ERROR_SUCCESS)
        return false;
    data.resize(size);
    while (!data.empty() && data.back() == '\0') data.pop_back();
    *value = data;
    return true;
}

LONG RegKey::SetDword(const std::string& name, DWORD value) const {
    BYTE data[4] = {static_cast<BYTE>(value), static_cast<BYTE>(value >> 8), static_cast<BYTE>(value >> 16),
                    static_cast<BYTE>(value >> 24)};
    return key_ ? RegSetValueExA(key_, name.c_str(), 0, REG_DWORD, data, sizeof data) : ERROR_INVALID_HANDLE;
}

LONG RegKey::SetString(const std::string& name, const std::string& value) const {
    return key_ ? RegSetValueExA(key_, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                 static_cast<DWORD>(value.size() + 1))
                : ERROR_INVALID_HANDLE;
}

LONG RegKey::DeleteValue(const std::string& name) const {
    return key_ ? RegDeleteValueA(key_, name.c_str()) : ERROR_INVALID_HANDLE;
}

bool RegKey::HasValue(const std::string& name) const {
    DWORD type = 0, size = 0;
    return key_ && RegQueryValueExA(key_, name.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS;
}

std::vector<std::string> RegKey::SubkeyNames() const {
    std::vector<std::string> names;
    for (DWORD index = 0; key_; ++index) {
        char name[MAX_PATH + 1] = {};
        DWORD length = sizeof name;
        if (RegEnumKeyExA(key_, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        names.emplace_back(name, length);
    }
    return names;
}

std::vector<std::pair<std::string, DWORD>> RegKey::DwordValues() const {
    std::vector<std::pair<std::string, DWORD>> values;
    for (DWORD index = 0; key_; ++index) {
        char name[1024] = {};
        DWORD length = sizeof name, type = 0;
        BYTE data[4] = {};
        DWORD size = sizeof data;
        LONG result = RegEnumValueA(key_, index, name, &length, nullptr, &type, data, &size);
        if (result == ERROR_MORE_DATA) {
            values.emplace_back(std::string(name, length), 0);
            continue;
        }
        if (result != ERROR_SUCCESS) break;
        DWORD value = type == REG_DWORD && size == 4
                          ? DWORD{data[0]} | DWORD{data[1]} << 8 | DWORD{data[2]} << 16 | DWORD{data[3]} << 24
                          : 0;
        values.emplace_back(std::string(name, length), value);
    }
    return values;
}

LONG DeleteKeyTree(HKEY root, const std::string& path) {
    RegKey key;
    LONG result = key.Open(root, path);
    if (result == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;
    if (result != ERROR_SUCCESS) return result;
    for (const std::string& child : key.SubkeyNames()) {
        result = DeleteKeyTree(key.get(), child);
        if (result != ERROR_SUCCESS) return result;
    }
    key.Close();
    result = RegDeleteKeyA(root, path.c_str());
    return result == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : result;
}

}  // namespace vpr::launcher
