// The sections of an ini file copy, as the ini pass reads them.
#pragma once

#include <string>
#include <vector>

namespace snapshot {

struct IniSection {
    std::string name;  // the header's text with every square bracket removed
    size_t line = 0;   // index of the header line
    bool isNew = false;
    bool removed = false;
};

// A line that begins with "[" and ends with "]".
bool IsSectionHeader(const std::string& line);

// One row per section header, in file order.
std::vector<IniSection> IndexIniSections(const std::vector<std::string>& lines);

// The lines of a section that is new: after its header up to the next header
// or the next line that begins with "<" and ends with ">"; empty lines and
// comments (";") are passed over.
std::vector<std::string> NewSectionLines(const std::vector<std::string>& lines, size_t header);

// The lines of a section in both copies, sorted in locale upper case, each
// once: they end at the first empty line, at a line that begins with "[" or
// ends with "]", or one that begins with "<" or ends with ">"; comments are
// passed over.
std::vector<std::string> CommonSectionLines(const std::vector<std::string>& lines, size_t header);

}  // namespace snapshot
