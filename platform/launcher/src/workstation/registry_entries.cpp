// Keys and values of "App:Registry Settings".
#include <cstring>
#include <string>

#include "distributor.h"
#include "reg_key.h"
#include "vpr/locale/locale.h"

namespace vpr::launcher {

namespace {

constexpr DWORD kAlways = 0x1, kIfExists = 0x2, kIfAbsent = 0x4;
constexpr DWORD kTypeDefault = 4;

// A key path "ROOT\sub\key" split into its root and the rest; false when the
// root is not one the registry names.
bool SplitKey(const std::string& path, HKEY* root, std::string* rest) {
    static const std::pair<const char*, HKEY> roots[] = {
        {"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
        {"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
        {"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
        {"HKEY_USERS", HKEY_USERS},
    };
    size_t slash = path.find('\\');
    std::string first = path.substr(0, slash);
    *rest = slash == std::string::npos ? "" : path.substr(slash + 1);
    for (const auto& [name, key] : roots) {
        if (KMLstricmp(first.c_str(), name) == 0) {
            *root = key;
            return true;
        }
    }
    return false;
}

// The Windows type of a template registry type; false for an unknown one.
bool WindowsType(DWORD templateType, DWORD* type) {
    static const DWORD types[] = {0, REG_BINARY, REG_SZ, REG_DWORD, REG_SZ, REG_NONE, REG_EXPAND_SZ,
                                  REG_DWORD_BIG_ENDIAN, REG_LINK, REG_MULTI_SZ, REG_RESOURCE_LIST,
                                  REG_FULL_RESOURCE_DESCRIPTOR, REG_RESOURCE_REQUIREMENTS_LIST};
    if (templateType == 0 || templateType >= sizeof types / sizeof types[0]) return false;
    *type = types[templateType];
    return true;
}

}  // namespace

bool Distributor::ApplyRegistry(const std::vector<TemplateEntry*>& entries) {
    DWORD total = 0, position = 0;
    for (const TemplateEntry* entry : entries)
        if (entry->kind == TEMPLATE_KIND_KEY || entry->kind == TEMPLATE_KIND_VALUE) ++total;
    for (const TemplateEntry* entry : entries) {
        if (entry->kind != TEMPLATE_KIND_KEY && entry->kind != TEMPLATE_KIND_VALUE) continue;
        std::string path = Text(*entry, 0);
        HKEY root = nullptr;
        std::string subkey;
        if (!SplitKey(path, &root, &subkey)) return Fail(KMAPP_LAUNCH_BAD_REGISTRY, ERROR_INVALID_DATA, path);
        bool valueEntry = entry->kind == TEMPLATE_KIND_VALUE;
        DWORD templateType = valueEntry ? entry->values[1] : 0;
        DWORD type = 0;
        if (valueEntry && entry->subtype != 2 && !WindowsType(templateType, &type))
            return Fail(KMAPP_LAUNCH_BAD_REGISTRY, ERROR_INVALID_DATA, path);
        // The key's default value has no name, whatever the entry calls it.
        std::string name = valueEntry && templateType != kTypeDefault ? Text(*entry, 1) : "";
        std::string shown = valueEntry ? path + "\\" + name : path;
        KmappItemStatus status{0, shown.data(), ++position, total};
        Report(KMAPP_STATUS_REGISTRY, &status);

        LONG result = ERROR_SUCCESS;
        if (!valueEntry) {
            RegKey key;
            result = entry->subtype == 2 ? DeleteKeyTree(root, subkey) : key.Create(root, subkey);
        } else if (entry->subtype == 2) {
            RegKey key;
            if (key.Open(root, subkey) == ERROR_SUCCESS) {
                result = key.DeleteValue(name);
                if (result == ERROR_FILE_NOT_FOUND) result = ERROR_SUCCESS;
            }
        } else {
            DWORD flags = entry->values[0];
            RegKey key;
            bool exists = key.Open(root, subkey) == ERROR_SUCCESS && key.HasValue(name);
            bool write = (flags & kAlways) || !(flags & (kIfExists | kIfAbsent)) ||
                         ((flags & kIfExists) ? exists : !exists);
            if (write) {
                const TemplateField& field = entry->fields[2];
                std::string data(reinterpret_cast<const char*>(field.data), field.data ? field.length : 0);
                if (templateType == kTypeDefault) {
                    // Text with its terminator, else bytes.
                    bool text = !data.empty() && data.back() == '\0' && data.find('\0') == data.size() - 1;
                    type = text ? REG_SZ : REG_BINARY;
                    if (text) data = macros_.Expand(data.substr(0, data.size() - 1)) + '\0';
                } else if (type == REG_SZ) {
                    data = macros_.Expand(data.substr(0, data.find('\0'))) + '\0';
                } else if (type == REG_DWORD || type == REG_DWORD_BIG_ENDIAN) {
                    data.resize(4, '\0');
                }
                result = key.Create(root, subkey);
                if (result == ERROR_SUCCESS)
                    result = RegSetValueExA(key.get(), name.c_str(), 0, type,
                                            reinterpret_cast<const BYTE*>(data.data()), static_cast<DWORD>(data.size()));
            }
        }
        if (result != ERROR_SUCCESS) return Fail(KMAPP_LAUNCH_REGISTRY_FAILED, static_cast<DWORD>(result), shown);
    }
    return true;
}

}  // namespace vpr::launcher
