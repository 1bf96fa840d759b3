#include <cstdlib>

#include "vpr/forms/ini_files.h"

namespace vpr::forms {
namespace {

[[noreturn]] void WriteFailed(const std::string& fileName) {
    throw EIniFileException("Unable to write to " + fileName);
}

}  // namespace

std::string TIniFile::ReadString(const std::string& section, const std::string& key,
                                 const std::string& defaultValue) const {
    std::vector<char> buffer(2048);
    DWORD length = GetPrivateProfileStringA(section.c_str(), key.c_str(), defaultValue.c_str(), buffer.data(),
                                            static_cast<DWORD>(buffer.size()), FileName.c_str());
    return std::string(buffer.data(), length);
}

int TIniFile::ReadInteger(const std::string& section, const std::string& key, int defaultValue) const {
    std::string text = ReadString(section, key, "");
    if (text.empty()) return defaultValue;
    char* end = nullptr;
    long value = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')
                     ? std::strtol(text.c_str() + 2, &end, 16)
                     : std::strtol(text.c_str(), &end, 10);
    return end && *end == '\0' ? static_cast<int>(value) : defaultValue;
}

void TIniFile::WriteString(const std::string& section, const std::string& key, const std::string& value) {
    if (!WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), FileName.c_str()))
        WriteFailed(FileName);
}

void TIniFile::WriteInteger(const std::string& section, const std::string& key, int value) {
    WriteString(section, key, std::to_string(value));
}

std::vector<std::string> TIniFile::ReadSection(const std::string& section) const {
    std::vector<char> buffer(8192);
    DWORD length = GetPrivateProfileStringA(section.c_str(), nullptr, "", buffer.data(),
                                            static_cast<DWORD>(buffer.size()), FileName.c_str());
    std::vector<std::string> keys;
    for (DWORD at = 0; at < length && buffer[at];) {
        std::string key(buffer.data() + at);
        at += static_cast<DWORD>(key.size()) + 1;
        keys.push_back(key);
    }
    return keys;
}

void TIniFile::EraseSection(const std::string& section) {
    if (!WritePrivateProfileStringA(section.c_str(), nullptr, nullptr, FileName.c_str())) WriteFailed(FileName);
}

void TIniFile::DeleteKey(const std::string& section, const std::string& key) {
    WritePrivateProfileStringA(section.c_str(), key.c_str(), nullptr, FileName.c_str());
}

}  // namespace vpr::forms
