// REGEDIT4 text: export of a key tree and import of such a text.
#include <cstdio>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "vpr/machine/atomic_file.h"
#include "vpr/win/path.h"
#include "regedit_parser.h"
#include "registry_key.h"
#include "vpr/win/error.h"

namespace vpr::win {

namespace {

constexpr size_t kExportColumns = 80;

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
    // A line that would pass 80 columns goes on in the next after ",\" and
    // two blanks, as regedit writes it (never before the first byte).
    size_t column = line.size();
    for (size_t i = 0; i < data.size(); ++i) {
        bool last = i + 1 == data.size();
        if (i > 0 && column + (last ? 2 : 4) > kExportColumns) {
            line += "\\\r\n  ";
            column = 2;
        }
        std::snprintf(buffer, sizeof buffer, last ? "%02x" : "%02x,", static_cast<uint8_t>(data[i]));
        line += buffer;
        column += last ? 2 : 3;
    }
    return line;
}

LONG ExportTree(RegistryStore& store, int64_t id, const std::string& fullName, std::string* text) {
    *text += "[" + fullName + "]\r\n";
    std::vector<RegistryValue> values;
    LONG r = store.Values(id, &values);
    if (r != ERROR_SUCCESS) return r;
    for (const RegistryValue& value : values) *text += ValueLine(value) + "\r\n";
    *text += "\r\n";
    std::vector<RegistryKeyRow> children;
    r = store.Children(id, &children);
    for (size_t i = 0; r == ERROR_SUCCESS && i < children.size(); ++i) {
        r = ExportTree(store, children[i].id, fullName + "\\" + children[i].name, text);
    }
    return r;
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
        const RegeditHive* hive = SplitFullKeyName(full, &path);
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

bool CheckRegistryText(std::string_view text, std::string* error) {
    std::vector<ImportStep> steps;
    return RegeditParser(text).Parse(&steps, error);
}

LONG ImportRegistryText(const std::string& text, std::string* error) {
    std::vector<ImportStep> steps;
    if (!RegeditParser(text).Parse(&steps, error)) return ERROR_INVALID_DATA;
    auto store = CurrentRegistry();
    if (!store) {
        *error = "no registry: the process runs on no machine";
        return ERROR_CANTOPEN;
    }
    // Only the hives the text names are resolved (HKEY_CURRENT_USER and
    // HKEY_CLASSES_ROOT are made on first use).
    int64_t hiveIds[std::size(kRegeditHives)] = {};
    for (const ImportStep& step : steps) {
        int64_t& id = hiveIds[step.hive - kRegeditHives];
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
            LONG r = ApplyStep(*store, hiveIds[steps[i].hive - kRegeditHives], steps[i]);
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
