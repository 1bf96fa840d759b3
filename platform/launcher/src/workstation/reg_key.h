// An open registry key that closes itself, with the value and subkey calls
// the launcher's records need.
#pragma once

#include <string>
#include <vector>

#include "windows.h"

namespace vpr::launcher {

class RegKey {
public:
    RegKey() = default;
    ~RegKey() { Close(); }
    RegKey(RegKey&& other) noexcept : key_(other.key_) { other.key_ = nullptr; }
    RegKey& operator=(RegKey&& other) noexcept;
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;

    // ERROR_SUCCESS or the registry's error.
    LONG Open(HKEY root, const std::string& path);
    LONG Create(HKEY root, const std::string& path);
    void Close();
    bool IsOpen() const { return key_ != nullptr; }
    HKEY get() const { return key_; }

    bool GetDword(const std::string& name, DWORD* value) const;
    DWORD GetDword(const std::string& name, DWORD fallback) const;
    bool GetString(const std::string& name, std::string* value) const;
    LONG SetDword(const std::string& name, DWORD value) const;
    LONG SetString(const std::string& name, const std::string& value) const;
    LONG DeleteValue(const std::string& name) const;
    bool HasValue(const std::string& name) const;

    std::vector<std::string> SubkeyNames() const;
    // Value names with their REG_DWORD data (0 for values of other types).
    std::vector<std::pair<std::string, DWORD>> DwordValues() const;

private:
    HKEY key_ = nullptr;
};

// Deletes a key with everything beneath it; ERROR_SUCCESS also when it was
// not there.
LONG DeleteKeyTree(HKEY root, const std::string& path);

}  // namespace vpr::launcher
