#include "vpr/machine/ini_text.h"

#include "vpr/machine/code_page.h"

#include <unordered_map>

namespace vpr::machine {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

// A value as read: one pair of matching single or double quotes removed.
std::string_view Unquoted(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return value;
}

}  // namespace

IniText::IniText(std::string text, unsigned codePage) : text_(std::move(text)), codePage_(codePage) { Parse(); }

// Section and key names compare as the machine's file names do: without
// regard to case, a multibyte character only equal to itself.
bool IniText::SameName(std::string_view a, std::string_view b) const { return SameNoCase(a, b, codePage_); }

uint64_t IniText::IndexHash(std::string_view section, std::string_view key) const {
    return HashNoCase(key, codePage_, HashNoCase(section, codePage_) * 31 + 1);
}

void IniText::Parse() {
    lines_.clear();
    size_t section = kNone;
    size_t keys = 0;
    size_t pos = 0;
    // Where a trimmed part of the text lies.
    auto span = [&](std::string_view part) {
        size_t begin = static_cast<size_t>(part.data() - text_.data());
        return Span{begin, begin + part.size()};
    };
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
            line.name = span(Trim(body.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1)));
            section = lines_.size();
        } else if (!body.empty() && body.front() != ';' && section != kNone) {
            size_t eq = body.find('=');
            if (eq != std::string_view::npos && !Trim(body.substr(0, eq)).empty()) {
                line.kind = Kind::kKey;
                line.name = span(Trim(body.substr(0, eq)));
                line.value = span(Trim(body.substr(eq + 1)));
                ++keys;
            } else {
                line.kind = Kind::kText;
                line.name = span(body);
            }
        }
        line.section = section;
        lines_.push_back(line);
        pos = line.next;
    }
    BuildIndex(keys);
}

// Each name's first key line, in a table at most half full.
void IniText::BuildIndex(size_t keys) {
    size_t size = 8;
    while (size < 2 * keys) size *= 2;
    index_.assign(size, Slot{});
    for (size_t i = 0; i < lines_.size(); ++i) {
        const Line& line = lines_[i];
        if (line.kind != Kind::kKey) continue;
        std::string_view section = Name(lines_[line.section]);
        uint64_t hash = IndexHash(section, Name(line));
        size_t at = hash & (size - 1);
        bool seen = false;
        for (; index_[at].line != kNone && !seen; at = (at + 1) & (size - 1)) {
            const Line& other = lines_[index_[at].line];
            seen = index_[at].hash == hash && SameName(Name(other), Name(line)) &&
                   SameName(Name(lines_[other.section]), section);
        }
        if (!seen) index_[at] = Slot{hash, i};
    }
}

size_t IniText::FindKeyLine(std::string_view section, std::string_view key) const {
    uint64_t hash = IndexHash(section, key);
    size_t mask = index_.size() - 1;
    for (size_t at = hash & mask; index_[at].line != kNone; at = (at + 1) & mask) {
        const Line& line = lines_[index_[at].line];
        if (index_[at].hash == hash && SameName(Name(line), key) && SameName(Name(lines_[line.section]), section)) {
            return index_[at].line;
        }
    }
    return kNone;
}

bool IniText::InSection(const Line& line, std::string_view section) const {
    return line.section != kNone && SameName(Name(lines_[line.section]), section);
}

std::vector<std::string> IniText::SectionNames() const {
    std::vector<std::string> names;
    std::unordered_map<std::string, bool> seen;
    for (const auto& line : lines_) {
        if (line.kind == Kind::kSection && seen.emplace(FoldNoCase(Name(line), codePage_), true).second) {
            names.emplace_back(Name(line));
        }
    }
    return names;
}

std::vector<std::string> IniText::KeyNames(std::string_view section) const {
    std::vector<std::string> names;
    std::unordered_map<std::string, bool> seen;
    for (const auto& line : lines_) {
        if (line.kind == Kind::kKey && InSection(line, section) &&
            seen.emplace(FoldNoCase(Name(line), codePage_), true).second) {
            names.emplace_back(Name(line));
        }
    }
    return names;
}

std::optional<std::string> IniText::Value(std::string_view section, std::string_view key) const {
    auto value = ValueView(section, key);
    if (!value) return std::nullopt;
    return std::string(*value);
}

std::optional<std::string_view> IniText::ValueView(std::string_view section, std::string_view key) const {
    size_t line = FindKeyLine(section, Trim(key));
    if (line == kNone) return std::nullopt;
    return Unquoted(ValueText(lines_[line]));
}

std::vector<IniText::KeyLine> IniText::KeyLines() const {
    std::vector<KeyLine> keys;
    for (size_t i = 0; i < lines_.size(); ++i) {
        const Line& line = lines_[i];
        if (line.kind == Kind::kKey) {
            keys.push_back({std::string(Name(lines_[line.section])), std::string(Name(line)), std::string(ValueText(line)),
                            static_cast<int>(i + 1)});
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
        if (line.kind == Kind::kKey && InSection(line, section)) {
            entries.emplace_back(Name(line), Unquoted(ValueText(line)));
        }
    }
    return entries;
}

void IniText::SetValue(std::string_view section, std::string_view key, std::string_view value) {
    key = Trim(key);
    section = Trim(section);
    size_t header = kNone;
    for (const Line& line : lines_) {
        if (line.kind == Kind::kKey && InSection(line, section) && SameName(Name(line), key)) {
            // Keep the key as it is spelt in the file; only the value changes.
            Splice(line.begin, line.end, std::string(Name(line)) + "=" + std::string(value));
            return;
        }
        if (header == kNone && line.kind == Kind::kSection && SameName(Name(line), section)) {
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
        if (line.kind == Kind::kKey && InSection(line, section) && SameName(Name(line), key)) {
            Splice(line.begin, line.next, "");
        }
    }
}

void IniText::DeleteSection(std::string_view section) {
    section = Trim(section);
    for (size_t i = lines_.size(); i-- > 0;) {
        const Line& line = lines_[i];
        if (line.kind != Kind::kSection || !SameName(Name(line), section)) continue;
        Splice(line.begin, SectionEnd(i), "");
    }
}

std::vector<std::string> IniText::SectionLines(std::string_view section) const {
    std::vector<std::string> lines;
    for (const auto& line : lines_) {
        if (line.kind == Kind::kKey && InSection(line, section)) {
            lines.push_back(std::string(Name(line)) + "=" + std::string(ValueText(line)));
        }
        if (line.kind == Kind::kText && InSection(line, section)) lines.emplace_back(Name(line));
    }
    return lines;
}

void IniText::ReplaceSection(std::string_view section, const std::vector<std::string>& lines) {
    section = Trim(section);
    std::string body;
    for (const std::string& line : lines) body += line + lineEnd_;
    size_t first = kNone;
    for (size_t i = 0; i < lines_.size() && first == kNone; ++i) {
        if (lines_[i].kind == Kind::kSection && SameName(Name(lines_[i]), section)) first = i;
    }
    if (first == kNone) {
        Splice(text_.size(), text_.size(), EndOfText() + "[" + std::string(section) + "]" + lineEnd_ + body);
        return;
    }
    // Later sections of the same name go, so that only the new lines answer.
    for (size_t i = lines_.size(); i-- > first + 1;) {
        if (lines_[i].kind == Kind::kSection && SameName(Name(lines_[i]), section)) {
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
