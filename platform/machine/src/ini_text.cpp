#include "ini_text.h"

#include <strings.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include "vpr/machine/atomic_file.h"

namespace vpr::machine {

namespace {

std::string Trim(const std::string& text) {
    size_t begin = text.find_first_not_of(" \t\r");
    if (begin == std::string::npos) return "";
    size_t end = text.find_last_not_of(" \t\r");
    return text.substr(begin, end - begin + 1);
}

bool SameName(const std::string& a, const std::string& b) {
    return a.size() == b.size() && ::strcasecmp(a.c_str(), b.c_str()) == 0;
}

}  // namespace

bool IniText::Read(const std::string& path, std::string* error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        *error = "cannot read " + path + ": " + std::strerror(errno);
        return false;
    }
    std::stringstream content;
    content << in.rdbuf();
    std::string text = content.str();
    if (text.find('\0') != std::string::npos) {
        *error = path + ": not a text file";
        return false;
    }
    std::istringstream lines(text);
    std::string raw;
    std::string section;
    int number = 0;
    while (std::getline(lines, raw)) {
        ++number;
        std::string line = Trim(raw);
        if (line.empty() || line[0] == ';') continue;
        if (line[0] == '[') {
            if (line.back() != ']' || line.size() < 3) {
                *error = path + " line " + std::to_string(number) + ": a section header needs a closing ]";
                return false;
            }
            section = Trim(line.substr(1, line.size() - 2));
            if (!HasSection(section)) sections_.push_back(section);
            continue;
        }
        size_t equals = line.find('=');
        if (equals == std::string::npos || equals == 0) {
            *error = path + " line " + std::to_string(number) + ": expected key=value, found \"" + line + "\"";
            return false;
        }
        if (section.empty()) {
            *error = path + " line " + std::to_string(number) + ": key=value before any [section]";
            return false;
        }
        entries_.push_back({section, Trim(line.substr(0, equals)), Trim(line.substr(equals + 1)), number});
    }
    return true;
}

bool IniText::Write(const std::string& path, std::string* error) const {
    std::string text;
    for (const auto& section : sections_) {
        if (!text.empty()) text += "\n";
        text += "[" + section + "]\n";
        for (const auto& e : entries_)
            if (SameName(e.section, section)) text += e.key + "=" + e.value + "\n";
    }
    return WriteFileAtomically(path, text, error);
}

bool IniText::HasSection(const std::string& section) const {
    return std::any_of(sections_.begin(), sections_.end(),
                       [&](const std::string& s) { return SameName(s, section); });
}

void IniText::Set(const std::string& section, const std::string& key, const std::string& value) {
    for (auto& e : entries_) {
        if (SameName(e.section, section) && SameName(e.key, key)) {
            e.value = value;
            return;
        }
    }
    if (!HasSection(section)) sections_.push_back(section);
    entries_.push_back({section, key, value, 0});
}

}  // namespace vpr::machine
