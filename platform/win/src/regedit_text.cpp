// REGEDIT4 text: export of a key tree and import of such a text.
#include <cstdio>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "vpr/machine/atomic_file.h"
#include "vpr/win/path.h"
#include "registry_key.h"
#include "vpr/win/error.h"

namespace vpr::win {

namespace {

struct Hive {
    const char* name;
    HKEY key;
};
const Hive kHives[] = {
    {"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
    {"HKEY_USERS", HKEY_USERS},
    {"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
    {"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
};

// Splits "HKEY_...\path" into its hive and the path below it.
const Hive* SplitFullName(std::string_view full, std::string_view* path) {
    size_t slash = full.find('\\');
    std::string_view hive = full.substr(0, slash);
    *path = slash == std::string_view::npos ? std::string_view() : full.substr(slash + 1);
    for (const Hive& h : kHives) {
        if (SameFileName(h.name, std::string(hive))) return &h;
    }
    return nullptr;
}

std::string Quote(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"') out += '\\';
        out += c;
    }
    return out + "\"";
}

// A REG_SZ is written as "text" when reading it back gives the same bytes
// (one terminating NUL, none inside, no line break), and an empty one as "".
bool IsPlainString(const std::string& data) {
    if (data.empty()) return true;
    if (data.back() != '\0') return false;
    return data.find_first_of(std::string_view("\0\r\n", 3)) == data.size() - 1;
}

std::string ValueLine(const RegistryValue& value) {
    std::string line = value.name.empty() ? "@" : Quote(value.name);
    line += '=';
    const std::string& data = value.data;
    if (value.type == REG_SZ && IsPlainString(data)) {
        return line + Quote(std::string_view(data).substr(0, data.empty() ? 0 : data.size() - 1));
    }
    char buffer[32];
    if (value.type == REG_DWORD && data.size() == 4) {
        uint32_t v = 0;
        for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<uint8_t>(data[static_cast<size_t>(i)]);
        std::snprintf(buffer, sizeof buffer, "dword:%08x", v);
        return line + buffer;
    }
    if (value.type == REG_BINARY) {
        line += "hex:";
    } else {
        std::snprintf(buffer, sizeof buffer, "hex(%x):", static_cast<unsigned>(value.type));
        line += buffer;
    }
    for (size_t i = 0; i < data.size(); ++i) {
        std::snprintf(buffer, sizeof buffer, i ? ",%02x" : "%02x", static_cast<uint8_t>(data[i]));
        line += buffer;
    }
    return line;
}

LONG ExportTree(RegistryStore& store, int64_t id, const std::string& fullName, std::string* text) {
    *text += "[" + fullName + "]\r\n";
    RegistryValue value;
    LONG r;
    for (DWORD i = 0; (r = store.ValueAt(id, i, &value)) == ERROR_SUCCESS; ++i) *text += ValueLine(value) + "\r\n";
    if (r != ERROR_NO_MORE_ITEMS) return r;
    *text += "\r\n";
    RegistryKeyRow child;
    for (DWORD i = 0; (r = store.ChildAt(id, i, &child)) == ERROR_SUCCESS; ++i) {
        r = ExportTree(store, child.id, fullName + "\\" + child.name, text);
        if (r != ERROR_SUCCESS) return r;
    }
    return r == ERROR_NO_MORE_ITEMS ? ERROR_SUCCESS : r;
}

LONG DeleteTree(RegistryStore& store, const RegistryKeyRow& key) {
    if (key.id == RegistryStore::kLocalMachine || key.id == RegistryStore::kUsers || (key.denied & DELETE)) {
        return ERROR_ACCESS_DENIED;
    }
    RegistryKeyRow child;
    LONG r;
    while ((r = store.ChildAt(key.id, 0, &child)) == ERROR_SUCCESS) {
        r = DeleteTree(store, child);
        if (r != ERROR_SUCCESS) return r;
    }
    return r == ERROR_NO_MORE_ITEMS ? store.DeleteKey(key.id) : r;
}

// One step of an import.
struct ImportStep {
    enum Kind { kCreateKey, kDeleteKey, kSetValue, kDeleteValue } kind;
    const Hive* hive = nullptr;
    std::string path;  // of the key
    RegistryValue value;
};

class Parser {
public:
    explicit Parser(std::string_view text) : text_(text) {}

    bool Parse(std::vector<ImportStep>* steps, std::string* error) {
        std::string line;
        bool header = false;
        const Hive* hive = nullptr;
        std::string path;
        bool deleted = false;
        while (NextLine(&line)) {
            std::string_view l = TrimBlanks(line);
            if (!header) {
                if (l.empty()) continue;
                if (l != "REGEDIT4") return Fail("the text does not start with REGEDIT4", error);
                header = true;
                continue;
            }
            if (l.empty() || l.front() == ';') continue;
            if (l.front() == '[') {
                if (l.back() != ']') return Fail("a key line must end with ]", error);
                std::string_view full = l.substr(1, l.size() - 2);
                deleted = !full.empty() && full.front() == '-';
                if (deleted) full.remove_prefix(1);
                std::string_view below;
                hive = SplitFullName(full, &below);
                if (hive == nullptr) return Fail("unknown root key in [" + std::string(full) + "]", error);
                path = below;
                steps->push_back({deleted ? ImportStep::kDeleteKey : ImportStep::kCreateKey, hive, path, {}});
                continue;
            }
            if (hive == nullptr || deleted) return Fail("a value outside a key", error);
            ImportStep step{ImportStep::kSetValue, hive, path, {}};
            if (!ParseValue(l, &step, error)) return false;
            steps->push_back(std::move(step));
        }
        if (!header) return Fail("the text does not start with REGEDIT4", error);
        return true;
    }

private:
    static std::string_view TrimBlanks(std::string_view s) {
        while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
        while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
        return s;
    }

    // The next logical line: a hex list may go on over lines ending in '\'.
    bool NextLine(std::string* line) {
        if (pos_ >= text_.size()) return false;
        line->clear();
        for (bool first = true;; first = false) {
            size_t lf = text_.find('\n', pos_);
            std::string_view part = text_.substr(pos_, lf == std::string_view::npos ? std::string_view::npos : lf - pos_);
            pos_ = lf == std::string_view::npos ? text_.size() : lf + 1;
            ++lineNumber_;
            std::string_view trimmed = TrimBlanks(part);
            bool continues = !trimmed.empty() && trimmed.back() == '\\' && pos_ < text_.size() &&
                             (line->find("=hex") != std::string::npos || trimmed.find("=hex") != std::string_view::npos);
            if (continues) trimmed.remove_suffix(1);
            // Continuation lines lose their indent.
            *line += continues || !first ? trimmed : part;
            if (!continues) return true;
        }
    }

    bool Fail(const std::string& what, std::string* error) const {
        *error = "line " + std::to_string(lineNumber_) + ": " + what;
        return false;
    }

    // Reads a quoted string with \\ and \" escapes from the start of `s`.
    static bool Unquote(std::string_view* s, std::string* out) {
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

    static int HexDigit(char c) {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    }

    bool ParseValue(std::string_view l, ImportStep* step, std::string* error) const {
        if (l.front() == '@') {
            l.remove_prefix(1);
        } else if (!Unquote(&l, &step->value.name)) {
            return Fail("a value name must be @ or a quoted name", error);
        }
        l = TrimBlanks(l);
        if (l.empty() || l.front() != '=') return Fail("= expected after the value name", error);
        l = TrimBlanks(l.substr(1));
        std::string& data = step->value.data;
        if (l == "-") {
            step->kind = ImportStep::kDeleteValue;
            return true;
        }
        if (!l.empty() && l.front() == '"') {
            if (!Unquote(&l, &data) || !TrimBlanks(l).empty()) return Fail("a string must end with \"", error);
            data += '\0';
            step->value.type = REG_SZ;
            return true;
        }
        if (l.substr(0, 6) == "dword:") {
            std::string_view digits = l.substr(6);
            uint32_t v = 0;
            if (digits.empty() || digits.size() > 8) return Fail("dword: takes up to eight hex digits", error);
            for (char c : digits) {
                int d = HexDigit(c);
                if (d < 0) return Fail("dword: takes up to eight hex digits", error);
                v = v << 4 | static_cast<uint32_t>(d);
            }
            for (int i = 0; i < 4; ++i) data += static_cast<char>((v >> (8 * i)) & 0xFF);
            step->value.type = REG_DWORD;
            return true;
        }
        if (l.substr(0, 4) != "hex:" && l.substr(0, 4) != "hex(") return Fail("unknown value data", error);
        step->value.type = REG_BINARY;
        if (l[3] == '(') {
            size_t close = l.find("):");
            if (close == std::string_view::npos || close == 4) return Fail("hex(type): expected", error);
            uint32_t type = 0;
            for (char c : l.substr(4, close - 4)) {
                int d = HexDigit(c);
                if (d < 0) return Fail("hex(type): expected", error);
                type = type << 4 | static_cast<uint32_t>(d);
            }
            step->value.type = type;
            l.remove_prefix(close + 2);
        } else {
            l.remove_prefix(4);
        }
        for (size_t i = 0; i < l.size();) {
            while (i < l.size() && (l[i] == ' ' || l[i] == '\t')) ++i;
            if (i + 1 >= l.size() || HexDigit(l[i]) < 0 || HexDigit(l[i + 1]) < 0) {
                return Fail("hex bytes are two hex digits each, separated by commas", error);
            }
            data += static_cast<char>(HexDigit(l[i]) * 16 + HexDigit(l[i + 1]));
            i += 2;
            while (i < l.size() && (l[i] == ' ' || l[i] == '\t')) ++i;
            if (i < l.size() && l[i++] != ',') return Fail("hex bytes are separated by commas", error);
        }
        return true;
    }

    std::string_view text_;
    size_t pos_ = 0;
    int lineNumber_ = 0;
};

LONG ApplyStep(RegistryStore& store, int64_t hiveId, const ImportStep& step) {
    RegistryKeyRow key;
    if (step.kind == ImportStep::kDeleteKey) {
        LONG r = WalkKeyPath(store, hiveId, step.path, false, &key);
        return r == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : r != ERROR_SUCCESS ? r : DeleteTree(store, key);
    }
    LONG r = WalkKeyPath(store, hiveId, step.path, true, &key);
    if (r != ERROR_SUCCESS || step.kind == ImportStep::kCreateKey) return r;
    if (key.denied & KEY_SET_VALUE) return ERROR_ACCESS_DENIED;
    if (step.kind == ImportStep::kDeleteValue) {
        r = store.DeleteValue(key.id, step.value.name);
        return r == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : r;
    }
    return store.SetValue(key.id, step.value.name, step.value.type, step.value.data);
}

}  // namespace

LONG ExportRegistryText(const char* key, std::string* text) {
    auto store = CurrentRegistry();
    if (!store) return ERROR_CANTOPEN;
    std::string_view full = key ? key : "";
    std::vector<std::pair<std::string, HKEY>> roots;  // full name shown, root key
    std::vector<std::string> paths;
    if (full.empty()) {
        roots = {{"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE}, {"HKEY_USERS", HKEY_USERS}};
        paths = {"", ""};
    } else {
        std::string_view path;
        const Hive* hive = SplitFullName(full, &path);
        if (hive == nullptr) return ERROR_BADKEY;
        while (!path.empty() && path.back() == '\\') path.remove_suffix(1);
        roots = {{hive->name, hive->key}};
        paths = {std::string(path)};
    }
    std::vector<int64_t> ids;
    for (const auto& root : roots) {
        int64_t id = 0;
        LONG r = ResolvePredefinedKey(*store, root.second, &id);
        if (r != ERROR_SUCCESS) return r;
        ids.push_back(id);
    }
    std::string out = "REGEDIT4\r\n\r\n";
    LONG result = store->Run(false, [&]() -> LONG {
        for (size_t i = 0; i < roots.size(); ++i) {
            // The key's name as stored, level by level, after the root's.
            std::string name = roots[i].first;
            int64_t id = ids[i];
            std::string_view rest = paths[i];
            while (!rest.empty()) {
                size_t slash = rest.find('\\');
                std::string_view part = rest.substr(0, slash);
                rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
                if (part.empty()) continue;
                RegistryKeyRow level;
                LONG r = store->FindChild(id, part, &level);
                if (r != ERROR_SUCCESS) return r;
                name += "\\" + level.name;
                id = level.id;
            }
            LONG r = ExportTree(*store, id, name, &out);
            if (r != ERROR_SUCCESS) return r;
        }
        return ERROR_SUCCESS;
    });
    if (result == ERROR_SUCCESS) *text = std::move(out);
    return result;
}

std::string RegistryErrorText(LONG error) {
    std::string file = "the registry file " + RegistryFile() + " ";
    switch (error) {
        case ERROR_BADDB: return file + StoreFaultText(StoreFault::kDamaged);
        case ERROR_DISK_FULL: return file + StoreFaultText(StoreFault::kDiskFull);
        case ERROR_LOCK_VIOLATION: return file + StoreFaultText(StoreFault::kLocked);
        case ERROR_CANTOPEN: return file + StoreFaultText(StoreFault::kCannotOpen);
        case ERROR_CANTWRITE: return file + StoreFaultText(StoreFault::kIoError);
        case ERROR_ACCESS_DENIED: return "access denied (error 5)";
        case ERROR_FILE_NOT_FOUND: return "no such key (error 2)";
        default: return "error " + std::to_string(error);
    }
}

LONG ExportRegistryFile(const char* key, const std::string& hostPath, std::string* error) {
    std::string text;
    LONG result = ExportRegistryText(key, &text);
    if (result == ERROR_FILE_NOT_FOUND || result == ERROR_BADKEY) {
        *error = std::string("no key ") + (key ? key : "");
        return result;
    }
    if (result != ERROR_SUCCESS) {
        *error = "cannot read the registry: " + RegistryErrorText(result);
        return result;
    }
    vpr::machine::AtomicFile file(hostPath);
    if (file.Open() && file.Write(text) && file.Commit()) return ERROR_SUCCESS;
    *error = file.ErrorText();
    return static_cast<LONG>(ErrorFromErrno(file.error()));
}

LONG ImportRegistryText(const std::string& text, std::string* error) {
    std::vector<ImportStep> steps;
    if (!Parser(text).Parse(&steps, error)) return ERROR_INVALID_DATA;
    auto store = CurrentRegistry();
    if (!store) {
        *error = "no registry: the process runs on no machine";
        return ERROR_CANTOPEN;
    }
    // Only the hives the text names are resolved (HKEY_CURRENT_USER and
    // HKEY_CLASSES_ROOT are made on first use).
    int64_t hiveIds[std::size(kHives)] = {};
    for (const ImportStep& step : steps) {
        int64_t& id = hiveIds[step.hive - kHives];
        if (id != 0) continue;
        LONG r = ResolvePredefinedKey(*store, step.hive->key, &id);
        if (r != ERROR_SUCCESS) {
            *error = "cannot open " + std::string(step.hive->name) + ": " + RegistryErrorText(r);
            return r;
        }
    }
    size_t failed = 0;
    LONG result = store->Run(true, [&]() -> LONG {
        for (size_t i = 0; i < steps.size(); ++i) {
            LONG r = ApplyStep(*store, hiveIds[steps[i].hive - kHives], steps[i]);
            if (r != ERROR_SUCCESS) {
                failed = i;
                return r;
            }
        }
        return ERROR_SUCCESS;
    });
    if (result != ERROR_SUCCESS) {
        *error = steps.empty() ? "cannot write the registry: " + RegistryErrorText(result)
                               : "cannot apply the change to " + std::string(steps[failed].hive->name) + "\\" +
                                     steps[failed].path + ": " + RegistryErrorText(result);
    }
    return result;
}

}  // namespace vpr::win
