// The plain ini text of machine.ini: sections of key=value lines. Only the
// machine library reads it; the Windows profile functions live in vprwin.
#pragma once

#include <string>
#include <vector>

namespace vpr::machine {

class IniText {
public:
    struct Entry {
        std::string section;
        std::string key;
        std::string value;
        int line = 0;
    };

    // Reads the file; a line that is neither blank, a ";" comment, a
    // "[section]" nor "key=value" inside a section fails with its number.
    bool Read(const std::string& path, std::string* error);
    // Writes every section in order, through a temporary file and a rename so
    // that a reader never sees half a file.
    bool Write(const std::string& path, std::string* error) const;

    bool HasSection(const std::string& section) const;
    // Replaces the first value of section/key (names compared without case)
    // or appends it to its section.
    void Set(const std::string& section, const std::string& key, const std::string& value);
    const std::vector<Entry>& entries() const { return entries_; }

private:
    std::vector<std::string> sections_;  // in order of first appearance
    std::vector<Entry> entries_;
};

}  // namespace vpr::machine
