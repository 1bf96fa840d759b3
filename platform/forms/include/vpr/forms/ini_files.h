// Ini files through the profile functions. A write that Windows refuses
// raises EIniFileException "Unable to write to %s" with the file's name.
#pragma once

#include <string>
#include <vector>

#include "vpr/forms/classes.h"

namespace vpr::forms {

class TIniFile : public TObject {
public:
    // A bare name means the Windows folder, as the profile functions have it.
    explicit TIniFile(std::string fileName) : FileName(std::move(fileName)) {}
    std::string FileName;

    std::string ReadString(const std::string& section, const std::string& key, const std::string& defaultValue) const;
    // A decimal integer, or "0x" with hexadecimal digits; the default when
    // the value is missing or not a number.
    int ReadInteger(const std::string& section, const std::string& key, int defaultValue) const;
    void WriteString(const std::string& section, const std::string& key, const std::string& value);
    void WriteInteger(const std::string& section, const std::string& key, int value);
    // The section's key names, in file order (up to 8192 bytes of names).
    std::vector<std::string> ReadSection(const std::string& section) const;
    void EraseSection(const std::string& section);
    void DeleteKey(const std::string& section, const std::string& key);
};

}  // namespace vpr::forms
