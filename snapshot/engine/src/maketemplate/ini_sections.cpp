#include "ini_sections.h"

#include <algorithm>

#include "../core/text.h"
#include "vpr/locale/locale.h"

namespace snapshot {

namespace {

// The last character of a text is the ASCII character `c` (a trail byte that
// happens to equal it does not count).
bool EndsWith(const std::string& line, char c) {
    if (line.empty()) return false;
    const char* last = nullptr;
    for (const char* at = line.c_str(); *at != '\0'; at = KMNextChar(at)) last = at;
    return last != nullptr && last[0] == c && last[1] == '\0';
}

bool BeginsWith(const std::string& line, char c) { return !line.empty() && line[0] == c; }

bool IsMarkupLine(const std::string& line) { return BeginsWith(line, '<') && EndsWith(line, '>'); }

}  // namespace

bool IsSectionHeader(const std::string& line) { return BeginsWith(line, '[') && EndsWith(line, ']'); }

std::vector<IniSection> IndexIniSections(const std::vector<std::string>& lines) {
    std::vector<IniSection> sections;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (!IsSectionHeader(lines[i])) continue;
        IniSection section;
        for (const std::string& character : Characters(lines[i]))
            if (character != "[" && character != "]") section.name += character;
        section.line = i;
        sections.push_back(std::move(section));
    }
    return sections;
}

std::vector<std::string> NewSectionLines(const std::vector<std::string>& lines, size_t header) {
    std::vector<std::string> result;
    for (size_t i = header + 1; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (IsSectionHeader(line) || IsMarkupLine(line)) break;
        if (line.empty() || BeginsWith(line, ';')) continue;
        result.push_back(line);
    }
    return result;
}

std::vector<std::string> CommonSectionLines(const std::vector<std::string>& lines, size_t header) {
    std::vector<std::pair<std::string, std::string>> sorted;  // upper case, line
    for (size_t i = header + 1; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (line.empty() || BeginsWith(line, '[') || EndsWith(line, ']') || BeginsWith(line, '<') ||
            EndsWith(line, '>'))
            break;
        if (BeginsWith(line, ';')) continue;
        sorted.emplace_back(UpperCase(line), line);
    }
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    sorted.erase(std::unique(sorted.begin(), sorted.end(),
                             [](const auto& a, const auto& b) { return a.first == b.first; }),
                 sorted.end());
    std::vector<std::string> result;
    for (auto& entry : sorted) result.push_back(std::move(entry.second));
    return result;
}

}  // namespace snapshot
