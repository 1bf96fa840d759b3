#include "vpr/machine/ini_text.h"

#include "vpr/machine/code_page.h"

namespace vpr::machine {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

// A value as read: one pair of matching single or double quotes removed.
std::string Unquoted(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return std::string(value);
}

}  // namespace

IniText::IniText(std::string text, unsigned codePage) : text_(std::move(text)), codePage_(codePage) { Parse(); }

// Section and key names compare as the machine's file names do: without
// regard to case, a multibyte character only equal to itself.
bool IniText::SameName(std::string_view a, std::string_view b) const { return SameNoCase(a, b, codePage_); }

std::string IniText::IndexKey(std::string_view section, std::string_view key) const {
    return FoldNoCase(section, codePage_) + '\0' + FoldNoCase(key, codePage_);
}

void IniText::Parse() {
    lines_.clear();
    keyIndex_.clear();
    size_t section = kNone;
    size_t pos = 0;
    while (pos < text_.size()) {
        Line line;
        line.begin = pos;
        // A line ends at CR LF, LF or a CR on its own.
        size_t stop = text_.find_first_of("\r\n", pos);
        line.end = stop == std::string::npos ? text_.size() : stop;
        line.next = line.end;
        if (stop != std::string::npos) {
            line.next = text_[stop] == '\r' && stop + 1 < text_.size() && text_[stop + 1] == '\n' ? stop + 2 : stop + 1;
        }
        std::string_view body = Trim(Body(line));
        if (!body.empty() && body.front() == '[') {
            size_t close = body.find(']');
            line.kind = Kind::kSection;
            line.name = Trim(body.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
            section = lines_.size();
        } else if (!body.empty() && body.front() != ';' && section != kNone) {
            size_t eq = body.find('=');
            if (eq != std::string_view::npos && !Trim(body.substr(0, eq)).empty()) {
                line.kind = Kind::kKey;
                line.name = Trim(body.substr(0, eq));
                line.value = Trim(body.substr(eq + 1));
            } else {
                line.kind = Kind::kText;
                line.name = body;
            }
        }
        line.section = section;
        if (line.kind == Kind::kKey) keyIndex_.emplace(IndexKey(lines_[section].name, line.name), lines_.size());
        lines_.push_back(std::move(line));
        pos = lines_.back().next;
    }
}

bool IniText::InSection(const Line& line, std::string_view section) const {
    return line.section != kNone && SameName(lines_[line.section].name, section);
}

std::vector<std::string> IniText::SectionNames() const {
    std::vector<std::string> names;
    std::unordered_map<std::string, bool> seen;
    for (const auto& line : lines_) {
        if (line.kind == Kind::kSection && seen.emplace(FoldNoCase(line.name, codePage_), true).second) {
            names.push_back(line.name);
        }
    }
    return names;
}

std::vector<std::string> IniText::KeyNames(std::string_view section) const {
    std::vector<std::string> names;
    std::unordered_map<std::string, bool> seen;
    for (const auto& line : lines_) {
        if (line.kind == Kind::kKey && InSection(line, section) &&
            seen.emplace(FoldNoCase(line.name, codePage_), true).second) {
            names.push_back(line.name);
        }
    }
    return names;
}

std::optional<std::string> IniText::Value(std::string_view section, std::string_view key) const {
    auto found = keyIndex_.find(IndexKey(section, Trim(key)));
    if (found == keyIndex_.end()) return std::nullopt;
    return Unquoted(lines_[found->second].value);
}

std::vector<IniText::KeyLine> IniText::KeyLines() const {
    std::vector<KeyLine> keys;
    for (size_t i = 0; i < lines_.size(); ++i) {
        const Line& line = lines_[i];
        if (line.kind == Kind::kKey) {
            keys.push_back({lines_[line.section].name, line.name, line.value, static_cast<int>(i + 1)});
        }
    }
    return keys;
}

std::string IniText::FirstMalformedLine() const {
    for (size_t i = 0; i < lines_.size(); ++i) {
        const Line& line = lines_[i];
        std::string_view body = Trim(Body(line));
        std::string problem;
        if (line.kind == Kind::kSection && (body.size() < 3 || body.back() != ']')) {
            problem = "a section header needs a closing ]";
        } else if (line.kind == Kind::kText) {
            problem = "expected key=value, found \"" + std::string(body) + "\"";
        } else if (line.kind == Kind::kOther && !body.empty() && body.front() != ';') {
            size_t eq = body.find('=');
            problem = eq == std::string_view::npos || eq == 0
                          ? "expected key=value, found \"" + std::string(body) + "\""
                          : "key=value before any [section]";
        }
        if (!problem.empty()) return "line " + std::to_string(i + 1) + ": " + problem;
    }
    return "";
}

std::vector<std::pair<std::string, std::string>> IniText::Entries(std::string_view section) const {
    std::vector<std::pair<std::string, std::string>> entries;
    for (const auto& line : lines_) {
        if (line.kind == Kind::kKey && InSection(line, section)) entries.emplace_back(line.name, Unquoted(line.value));
    }
    return entries;
}

void IniText::SetValue(std::string_view section, std::string_view key, std::string_view value) {
    key = Trim(key);
    section = Trim(section);
    size_t header = kNone;
    for (const Line& line : lines_) {
        if (line.kind == Kind::kKey && InSection(line, section) && SameName(line.name, key)) {
            // Keep the key as it is spelt in the file; only the value changes.
            Splice(line.begin, line.end, line.name + "=" + std::string(value));
            return;
        }
        if (header == kNone && line.kind == Kind::kSection && SameName(line.name, section)) {
            header = static_cast<size_t>(&line - lines_.data());
        }
    }
    std::string entry = std::string(key) + "=" + std::string(value) + lineEnd_;
    if (header == kNone) {
        Splice(text_.size(), text_.size(), EndOfText() + "[" + std::string(section) + "]" + lineEnd_ + entry);
        return;
    }
    // The new key goes after the section's last key, before any blank or
    // comment lines that lead to the next section.
    size_t last = header;
    for (size_t j = header + 1; j < lines_.size() && lines_[j].section == header; ++j) {
        if (lines_[j].kind == Kind::kKey) last = j;
    }
    const Line& after = lines_[last];
    std::string prefix = after.next == after.end ? lineEnd_ : "";
    Splice(after.next, after.next, prefix + entry);
}

void IniText::DeleteKey(std::string_view section, std::string_view key) {
    key = Trim(key);
    for (size_t i = lines_.size(); i-- > 0;) {
        const Line& line = lines_[i];
        if (line.kind == Kind::kKey && InSection(line, section) && SameName(line.name, key)) {
            Splice(line.begin, line.next, "");
        }
    }
}

void IniText::DeleteSection(std::string_view section) {
    section = Trim(section);
    for (size_t i = lines_.size(); i-- > 0;) {
        const Line& line = lines_[i];
        if (line.kind != Kind::kSection || !SameName(line.name, section)) continue;
        Splice(line.begin, SectionEnd(i), "");
    }
}

std::vector<std::string> IniText::SectionLines(std::string_view section) const {
    std::vector<std::string> lines;
    for (const auto& line : lines_) {
        if (line.kind == Kind::kKey && InSection(line, section)) lines.push_back(line.name + "=" + line.value);
        if (line.kind == Kind::kText && InSection(line, section)) lines.push_back(line.name);
    }
    return lines;
}

void IniText::ReplaceSection(std::string_view section, const std::vector<std::string>& lines) {
    section = Trim(section);
    std::string body;
    for (const std::string& line : lines) body += line + lineEnd_;
    size_t first = kNone;
    for (size_t i = 0; i < lines_.size() && first == kNone; ++i) {
        if (lines_[i].kind == Kind::kSection && SameName(lines_[i].name, section)) first = i;
    }
    if (first == kNone) {
        Splice(text_.size(), text_.size(), EndOfText() + "[" + std::string(section) + "]" + lineEnd_ + body);
        return;
    }
    // Later sections of the same name go, so that only the new lines answer.
    for (size_t i = lines_.size(); i-- > first + 1;) {
        if (lines_[i].kind == Kind::kSection && SameName(lines_[i].name, section)) {
            Splice(lines_[i].begin, SectionEnd(i), "");
        }
    }
    // The first one's lines are replaced; blank lines that part it from the
    // next section stay.
    const Line& header = lines_[first];
    size_t begin = header.next;
    size_t end = begin;
    for (size_t j = first + 1; j < lines_.size() && lines_[j].section == first; ++j) {
        if (!Trim(Body(lines_[j])).empty()) end = lines_[j].next;
    }
    if (header.next == header.end) body = lineEnd_ + body;  // the header ends the file without a line end
    Splice(begin, end, body);
}

size_t IniText::SectionEnd(size_t header) const {
    size_t end = lines_[header].next;
    for (size_t j = header + 1; j < lines_.size() && lines_[j].section == header; ++j) end = lines_[j].next;
    return end;
}

std::string_view IniText::Body(const Line& line) const {
    return std::string_view(text_).substr(line.begin, line.end - line.begin);
}

std::string IniText::EndOfText() const {
    return !text_.empty() && text_.back() != '\n' && text_.back() != '\r' ? lineEnd_ : std::string();
}

void IniText::Splice(size_t begin, size_t end, std::string_view replacement) {
    text_.replace(begin, end - begin, replacement);
    Parse();
}

}  // namespace vpr::machine
