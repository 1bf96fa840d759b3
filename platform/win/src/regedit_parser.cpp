#include "regedit_parser.h"

#include "vpr/machine/code_page.h"
#include "vpr/machine/machine.h"
#include "vpr/win/path.h"

namespace vpr::win {

const RegeditHive kRegeditHives[4] = {
    {"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
    {"HKEY_USERS", HKEY_USERS},
    {"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
    {"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
};

const RegeditHive* SplitFullKeyName(std::string_view full, std::string_view* path) {
    size_t slash = full.find('\\');
    std::string_view hive = full.substr(0, slash);
    *path = slash == std::string_view::npos ? std::string_view() : full.substr(slash + 1);
    for (const RegeditHive& h : kRegeditHives) {
        if (SameFileName(h.name, std::string(hive))) return &h;
    }
    return nullptr;
}

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimLeft(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    return s;
}

std::string_view TrimRight(std::string_view s) {
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

std::string_view Trim(std::string_view s) { return TrimRight(TrimLeft(s)); }

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Characters of a name in the machine's code page.
size_t CharCount(std::string_view text) {
    auto machine = vpr::machine::CurrentMachine();
    unsigned codePage = machine ? machine->codePage : 65001;
    std::string copy(text);
    size_t count = 0;
    for (size_t at = 0; at < copy.size(); ++count) {
        size_t n = vpr::machine::CharLength(reinterpret_cast<const unsigned char*>(copy.c_str()) + at, codePage);
        at += n == 0 ? 1 : n;
    }
    return count;
}

// Reads a quoted string with \\ and \" escapes from the start of `s` and
// leaves in `s` what follows it.
bool Unquote(std::string_view* s, std::string* out) {
    if (s->empty() || s->front() != '"') return false;
    out->clear();
    for (size_t i = 1; i < s->size(); ++i) {
        char c = (*s)[i];
        if (c == '\\' && i + 1 < s->size()) {
            *out += (*s)[++i];
        } else if (c == '"') {
            s->remove_prefix(i + 1);
            return true;
        } else {
            *out += c;
        }
    }
    return false;
}

// Splits a value line into its name ("" for @) and what follows the '='.
bool SplitValueLine(std::string_view line, std::string* name, std::string_view* data) {
    line = TrimLeft(line);
    if (!line.empty() && line.front() == '@') {
        name->clear();
        line.remove_prefix(1);
    } else if (!Unquote(&line, name)) {
        return false;
    }
    line = TrimLeft(line);
    if (line.empty() || line.front() != '=') return false;
    *data = TrimLeft(line.substr(1));
    return true;
}

bool IsHexValueLine(std::string_view line) {
    std::string name;
    std::string_view data;
    return SplitValueLine(line, &name, &data) && data.substr(0, 3) == "hex";
}

// Data other than a string ends at a ';', which starts a comment.
std::string_view WithoutComment(std::string_view data) { return Trim(data.substr(0, data.find(';'))); }

}  // namespace

bool RegeditParser::NextPhysicalLine(std::string_view* line) {
    if (pos_ >= text_.size()) return false;
    size_t stop = text_.find_first_of("\r\n", pos_);
    if (stop == std::string_view::npos) stop = text_.size();
    *line = text_.substr(pos_, stop - pos_);
    // CR LF ends a line as one; so do LF and CR alone.
    bool crLf = stop + 1 < text_.size() && text_[stop] == '\r' && text_[stop + 1] == '\n';
    pos_ = stop + (stop == text_.size() ? 0 : crLf ? 2 : 1);
    ++lineNumber_;
    return true;
}

bool RegeditParser::NextLogicalLine(std::string* line) {
    std::string_view first;
    if (!NextPhysicalLine(&first)) return false;
    logicalLine_ = lineNumber_;
    std::string_view trimmed = TrimRight(first);
    if (trimmed.empty() || trimmed.back() != '\\' || !IsHexValueLine(trimmed)) {
        *line = first;
        return true;
    }
    *line = TrimRight(trimmed.substr(0, trimmed.size() - 1));
    std::string_view next;
    while (NextPhysicalLine(&next)) {
        next = Trim(next);
        if (next.empty() || next.front() == ';') continue;
        bool more = next.back() == '\\';
        if (more) next = TrimRight(next.substr(0, next.size() - 1));
        *line += next;
        if (!more) break;
    }
    return true;
}

bool RegeditParser::Fail(const std::string& what, std::string* error) const {
    *error = "line " + std::to_string(logicalLine_) + ": " + what;
    return false;
}

bool RegeditParser::Parse(std::vector<ImportStep>* steps, std::string* error) {
    std::string line;
    bool started = false;
    const RegeditHive* hive = nullptr;
    std::string path;
    bool deleted = false;
    while (NextLogicalLine(&line)) {
        std::string_view l = Trim(line);
        if (!started) {
            if (l.empty()) continue;
            if (l != "REGEDIT4") return Fail("the text does not start with REGEDIT4", error);
            started = true;
            continue;
        }
        if (l.empty() || l.front() == ';') continue;
        ImportStep step;
        if (l.front() == '[') {
            if (!ParseHeader(l, &step, error)) return false;
            hive = step.hive;
            path = step.path;
            deleted = step.kind == ImportStep::kDeleteKey;
            steps->push_back(std::move(step));
            continue;
        }
        if (hive == nullptr) return Fail("a value outside a key", error);
        step.hive = hive;
        step.path = path;
        if (!ParseValue(l, &step, error)) return false;
        if (!deleted) steps->push_back(std::move(step));  // values of a deleted key go nowhere
    }
    if (!started) return Fail("the text does not start with REGEDIT4", error);
    return true;
}

bool RegeditParser::ParseHeader(std::string_view l, ImportStep* step, std::string* error) const {
    if (l.back() != ']') return Fail("a key line must end with ]", error);
    std::string_view full = l.substr(1, l.size() - 2);
    bool deleted = !full.empty() && full.front() == '-';
    if (deleted) full.remove_prefix(1);
    std::string_view below;
    step->hive = SplitFullKeyName(full, &below);
    if (step->hive == nullptr) return Fail("unknown root key in [" + std::string(full) + "]", error);
    while (!below.empty() && below.back() == '\\') below.remove_suffix(1);
    size_t depth = 0;
    for (std::string_view rest = below; !rest.empty();) {
        size_t slash = rest.find('\\');
        std::string_view name = rest.substr(0, slash);
        rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
        if (name.empty()) continue;
        if (CharCount(name) > kMaxKeyNameChars) {
            return Fail("the key name \"" + std::string(name.substr(0, 20)) + "...\" is longer than " +
                            std::to_string(kMaxKeyNameChars) + " characters",
                        error);
        }
        ++depth;
    }
    if (depth > kMaxKeyDepth) {
        return Fail("the key is " + std::to_string(depth) + " levels deep; keys go " + std::to_string(kMaxKeyDepth) +
                        " levels deep at most",
                    error);
    }
    step->kind = deleted ? ImportStep::kDeleteKey : ImportStep::kCreateKey;
    step->path = below;
    return true;
}

bool RegeditParser::ParseValue(std::string_view l, ImportStep* step, std::string* error) const {
    std::string_view data;
    if (!SplitValueLine(l, &step->value.name, &data)) {
        bool named = l.front() == '@' || l.front() == '"';
        return Fail(named ? "= expected after the value name" : "a value name must be @ or a quoted name", error);
    }
    if (CharCount(step->value.name) > kMaxValueNameChars) {
        return Fail("the value name is longer than " + std::to_string(kMaxValueNameChars) + " characters", error);
    }
    step->kind = ImportStep::kSetValue;
    std::string& bytes = step->value.data;
    if (!data.empty() && data.front() == '"') {
        if (!Unquote(&data, &bytes)) return Fail("a string must end with \"", error);
        data = Trim(data);
        if (!data.empty() && data.front() != ';') return Fail("nothing but a comment may follow a string", error);
        bytes += '\0';
        step->value.type = REG_SZ;
        return true;
    }
    data = WithoutComment(data);
    if (data == "-") {
        step->kind = ImportStep::kDeleteValue;
        return true;
    }
    if (data.substr(0, 6) == "dword:") {
        std::string_view digits = data.substr(6);
        uint32_t v = 0;
        if (digits.empty() || digits.size() > 8) return Fail("dword: takes up to eight hex digits", error);
        for (char c : digits) {
            int d = HexDigit(c);
            if (d < 0) return Fail("dword: takes up to eight hex digits", error);
            v = v << 4 | static_cast<uint32_t>(d);
        }
        for (int i = 0; i < 4; ++i) bytes += static_cast<char>((v >> (8 * i)) & 0xFF);
        step->value.type = REG_DWORD;
        return true;
    }
    if (data.substr(0, 4) != "hex:" && data.substr(0, 4) != "hex(") return Fail("unknown value data", error);
    step->value.type = REG_BINARY;
    if (data[3] == '(') {
        size_t close = data.find("):");
        if (close == std::string_view::npos || close == 4 || close > 12) return Fail("hex(type): expected", error);
        uint32_t type = 0;
        for (char c : data.substr(4, close - 4)) {
            int d = HexDigit(c);
            if (d < 0) return Fail("hex(type): expected", error);
            type = type << 4 | static_cast<uint32_t>(d);
        }
        step->value.type = type;
        data.remove_prefix(close + 2);
    } else {
        data.remove_prefix(4);
    }
    if (!ParseHex(data, &bytes, error)) return false;
    // Expandable strings and string lists end in their NULs.
    if (step->value.type == REG_EXPAND_SZ && !bytes.empty() && bytes.back() != '\0') bytes += '\0';
    if (step->value.type == REG_MULTI_SZ && !bytes.empty()) {
        if (bytes.back() != '\0') bytes += '\0';
        if (bytes.size() < 2 || bytes[bytes.size() - 2] != '\0') bytes += '\0';
    }
    return true;
}

bool RegeditParser::ParseHex(std::string_view data, std::string* bytes, std::string* error) const {
    for (size_t i = 0; i < data.size();) {
        while (i < data.size() && IsBlank(data[i])) ++i;
        if (i + 1 >= data.size() || HexDigit(data[i]) < 0 || HexDigit(data[i + 1]) < 0) {
            return Fail("hex bytes are two hex digits each, separated by commas", error);
        }
        *bytes += static_cast<char>(HexDigit(data[i]) * 16 + HexDigit(data[i + 1]));
        i += 2;
        while (i < data.size() && IsBlank(data[i])) ++i;
        if (i < data.size() && data[i++] != ',') return Fail("hex bytes are separated by commas", error);
    }
    return true;
}

}  // namespace vpr::win
