// The Reg*A calls. An opened key is a kernel object in the handle table that
// names its registry file, its key id and the rights it was opened with; the
// key itself is looked up again by every call, so a key deleted by another
// process answers ERROR_KEY_DELETED. Enumeration keeps the key's list on the
// handle between steps (see EnumerationRow).
#include "vpr/win/registry.h"

#include <algorithm>
#include <cstring>
#include <mutex>

#include "registry_key.h"
#include "vpr/win/error.h"
#include "vpr/machine/code_page.h"
#include "vpr/machine/machine.h"
#include "vpr/win/handle_table.h"

namespace vpr::win {

namespace {

// What a key handle keeps of its key between enumeration steps: the subkeys
// or the values as read under one change stamp of the key.
template <class Row>
struct Listing {
    bool valid = false;
    uint64_t stamp = 0;
    std::vector<Row> rows;
};

class RegistryKeyObject : public KernelObject {
public:
    RegistryKeyObject(std::shared_ptr<RegistryStore> store, int64_t id, REGSAM granted)
        : store(std::move(store)), id(id), granted(granted) {}
    std::shared_ptr<RegistryStore> store;
    int64_t id;
    REGSAM granted;
    std::mutex listingMutex;
    Listing<RegistryKeyRow> subKeys;  // guarded by listingMutex
    Listing<RegistryValue> values;    // guarded by listingMutex
};

// Rights a key gives: what was asked for, or for MAXIMUM_ALLOWED everything
// that is not denied. Returns false when a right asked for is denied.
bool GrantRights(REGSAM desired, DWORD denied, REGSAM* granted) {
    if (desired & MAXIMUM_ALLOWED) {
        *granted = (KEY_ALL_ACCESS | (desired & ~MAXIMUM_ALLOWED)) & ~denied;
        return true;
    }
    if (desired & denied) return false;
    *granted = desired;
    return true;
}

std::mutex g_fileMutex;
std::string g_file;                       // set by SetRegistryFile
std::shared_ptr<RegistryStore> g_store;   // the store of the file in use
unsigned long g_storeGeneration = 0;      // the machine generation it was opened in

std::string MachineRegistryFile() {
    auto machine = vpr::machine::CurrentMachine();
    return machine ? machine->RegistryFile() : std::string();
}

// The name of HKEY_CURRENT_USER under HKEY_USERS: the machine's user.
std::string CurrentUserKeyName() {
    auto machine = vpr::machine::CurrentMachine();
    return machine && !machine->userName.empty() ? machine->userName : ".DEFAULT";
}

// An open key as a call sees it: the predefined keys resolve to their ids.
struct KeyRef {
    std::shared_ptr<RegistryStore> store;
    int64_t id = 0;
    REGSAM granted = 0;
};

// `object` gets the key object of an opened key (null for a predefined key).
LONG ResolveHandle(HKEY hKey, KeyRef* ref, std::shared_ptr<RegistryKeyObject>* object = nullptr) {
    if (IsPredefinedKey(hKey)) {
        ref->store = CurrentRegistry();
        if (!ref->store) return ERROR_CANTOPEN;
        ref->granted = KEY_ALL_ACCESS;
        return ResolvePredefinedKey(*ref->store, hKey, &ref->id);
    }
    auto key = HandleTable::Instance().GetAs<RegistryKeyObject>(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(hKey)));
    if (!key) return ERROR_INVALID_HANDLE;
    ref->store = key->store;
    ref->id = key->id;
    ref->granted = key->granted;
    if (object) *object = std::move(key);
    return ERROR_SUCCESS;
}

HKEY NewHandle(const KeyRef& parent, int64_t id, REGSAM granted) {
    uint32_t value = HandleTable::Instance().Add(std::make_shared<RegistryKeyObject>(parent.store, id, granted));
    return reinterpret_cast<HKEY>(static_cast<uintptr_t>(value));
}

std::string_view NameOrDefault(LPCSTR name) { return name ? std::string_view(name) : std::string_view(); }

// Opens or creates a key below hKey in one transaction. Making a key asks
// nothing of the parent handle's rights, as on Windows: only the key's own
// denials (its security) count.
LONG OpenOrCreate(HKEY hKey, LPCSTR lpSubKey, LPCSTR lpClass, REGSAM samDesired, bool create, PHKEY phkResult,
                  LPDWORD lpdwDisposition) {
    if (phkResult == nullptr) return ERROR_INVALID_PARAMETER;
    *phkResult = nullptr;
    KeyRef parent;
    LONG result = ResolveHandle(hKey, &parent);
    if (result != ERROR_SUCCESS) return result;
    std::string_view path = NameOrDefault(lpSubKey);
    RegistryKeyRow row;
    bool created = false;
    REGSAM granted = 0;
    result = parent.store->Run(create, [&]() -> LONG {
        LONG r = WalkKeyPath(*parent.store, parent.id, path, create, &row, &created, NameOrDefault(lpClass));
        if (r != ERROR_SUCCESS) return r;
        return GrantRights(samDesired, created ? 0 : row.denied, &granted) ? ERROR_SUCCESS
                                                                           : ERROR_ACCESS_DENIED;
    });
    if (result != ERROR_SUCCESS) return result;
    *phkResult = NewHandle(parent, row.id, granted);
    if (lpdwDisposition) *lpdwDisposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    return ERROR_SUCCESS;
}

// Runs `body` on the key behind hKey when the handle holds `right`.
template <class Body>
LONG OnKey(HKEY hKey, REGSAM right, bool write, Body body) {
    KeyRef ref;
    LONG result = ResolveHandle(hKey, &ref);
    if (result != ERROR_SUCCESS) return result;
    if ((ref.granted & right) != right) return ERROR_ACCESS_DENIED;
    return ref.store->Run(write, [&]() -> LONG {
        RegistryKeyRow row;
        LONG r = ref.store->GetKey(ref.id, &row);
        return r != ERROR_SUCCESS ? r : body(*ref.store, row);
    });
}

// The index-th subkey or value of the key behind hKey, as enumeration sees it
// now: in order of names without regard to case, counting what is there at
// this call. An opened key's handle keeps the whole list between calls while
// the key's change stamp stays the same, so enumerating n entries reads the
// list once, not n times; a predefined key, or a file without change
// counters, reads the one row at each call.
template <class Row>
LONG EnumerationRow(HKEY hKey, REGSAM right, DWORD index, Listing<Row> RegistryKeyObject::*member,
                    LONG (RegistryStore::*list)(int64_t, std::vector<Row>*),
                    LONG (RegistryStore::*at)(int64_t, DWORD, Row*), Row* out) {
    KeyRef ref;
    std::shared_ptr<RegistryKeyObject> object;
    LONG result = ResolveHandle(hKey, &ref, &object);
    if (result != ERROR_SUCCESS) return result;
    if ((ref.granted & right) != right) return ERROR_ACCESS_DENIED;
    RegistryStore& store = *ref.store;
    std::optional<uint64_t> stamp = object ? store.ChangeStamp(ref.id) : std::nullopt;
    auto read = [&](const std::function<LONG()>& body) {
        return store.Run(false, [&]() -> LONG {
            RegistryKeyRow key;
            LONG r = store.GetKey(ref.id, &key);
            return r != ERROR_SUCCESS ? r : body();
        });
    };
    if (!stamp) return read([&] { return (store.*at)(ref.id, index, out); });
    std::lock_guard lock(object->listingMutex);
    Listing<Row>& listing = (*object).*member;
    if (!listing.valid || listing.stamp != *stamp) {
        listing.valid = false;
        result = read([&] { return (store.*list)(ref.id, &listing.rows); });
        if (result != ERROR_SUCCESS) return result;
        listing.valid = true;
        listing.stamp = *stamp;
    }
    if (index >= listing.rows.size()) return ERROR_NO_MORE_ITEMS;
    *out = listing.rows[index];
    return ERROR_SUCCESS;
}

// Copies a name into a caller's buffer of *size characters; on success *size
// becomes its length without the terminator.
LONG CopyName(const std::string& name, LPSTR out, LPDWORD size) {
    if (size == nullptr || out == nullptr) return ERROR_INVALID_PARAMETER;
    if (name.size() >= *size) return ERROR_MORE_DATA;
    std::memcpy(out, name.data(), name.size());
    out[name.size()] = '\0';
    *size = static_cast<DWORD>(name.size());
    return ERROR_SUCCESS;
}

bool IsStringType(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

// Copies value data under the RegQueryValueEx rules: no buffer asks for the
// size; a buffer too small gets nothing and ERROR_MORE_DATA. A string stored
// without its terminating NUL gets one when the buffer has room for it.
LONG CopyData(const std::string& data, DWORD type, LPBYTE out, LPDWORD size) {
    if (size == nullptr) return out == nullptr ? ERROR_SUCCESS : ERROR_INVALID_PARAMETER;
    DWORD available = *size;
    *size = static_cast<DWORD>(data.size());
    if (out == nullptr) return ERROR_SUCCESS;
    if (data.size() > available) return ERROR_MORE_DATA;
    if (!data.empty()) std::memcpy(out, data.data(), data.size());
    if (IsStringType(type) && !data.empty() && data.back() != '\0' && available > data.size()) out[data.size()] = 0;
    return ERROR_SUCCESS;
}

// Copies a class into a caller's buffer of *size characters; a buffer too
// small gets ERROR_MORE_DATA, and *size becomes the class's length either way.
LONG CopyClass(const std::string& keyClass, LPSTR out, LPDWORD size) {
    if (size == nullptr) return ERROR_SUCCESS;
    DWORD available = *size;
    *size = static_cast<DWORD>(keyClass.size());
    if (out == nullptr) return ERROR_SUCCESS;
    if (keyClass.size() >= available) return ERROR_MORE_DATA;
    std::memcpy(out, keyClass.data(), keyClass.size());
    out[keyClass.size()] = '\0';
    return ERROR_SUCCESS;
}

// Lengths as RegQueryInfoKeyA counts them: bytes of the ANSI text on 95; on
// NT, where the registry keeps text as UTF-16, bytes of that form.
DWORD StoredLength(std::string_view text) {
    auto machine = vpr::machine::CurrentMachine();
    if (!machine || machine->platform != vpr::machine::Platform::NT4) return static_cast<DWORD>(text.size());
    DWORD units = 0;
    for (size_t at = 0; at < text.size();) {
        std::string piece(text.substr(at, 4));
        size_t n = text[at] == '\0' ? 1 : vpr::machine::CharLength(reinterpret_cast<const unsigned char*>(piece.c_str()),
                                                                   machine->codePage);
        // A UTF-8 character beyond the basic plane takes two UTF-16 units.
        units += machine->codePage == 65001 && n == 4 ? 2 : 1;
        at += n == 0 ? 1 : n;
    }
    return units * 2;
}

void ToFileTime(int64_t unixSeconds, PFILETIME time) {
    if (time == nullptr) return;
    uint64_t ticks = (static_cast<uint64_t>(unixSeconds) + 11644473600ull) * 10000000ull;
    time->dwLowDateTime = static_cast<DWORD>(ticks);
    time->dwHighDateTime = static_cast<DWORD>(ticks >> 32);
}

}  // namespace

std::shared_ptr<RegistryStore> CurrentRegistry() {
    std::lock_guard lock(g_fileMutex);
    std::string path = g_file.empty() ? MachineRegistryFile() : g_file;
    if (path.empty()) return nullptr;
    // A new machine, or the file named again, opens the file anew: a file of
    // the same name may have been removed and made again since.
    unsigned long generation = vpr::machine::MachineGeneration();
    if (!g_store || g_store->Path() != path || g_storeGeneration != generation) {
        g_store = std::make_shared<RegistryStore>(path);
        g_storeGeneration = generation;
    }
    return g_store;
}

void SetRegistryFile(const std::string& hostPath) {
    std::lock_guard lock(g_fileMutex);
    g_file = hostPath;
    g_store.reset();
}

std::string RegistryFile() {
    auto store = CurrentRegistry();
    return store ? store->Path() : std::string();
}

bool IsPredefinedKey(HKEY key) {
    return key == HKEY_CLASSES_ROOT || key == HKEY_CURRENT_USER || key == HKEY_LOCAL_MACHINE || key == HKEY_USERS;
}

LONG ResolvePredefinedKey(RegistryStore& store, HKEY key, int64_t* id) {
    int64_t hive = key == HKEY_CURRENT_USER || key == HKEY_USERS ? RegistryStore::kUsers : RegistryStore::kLocalMachine;
    std::string path = key == HKEY_CLASSES_ROOT ? "SOFTWARE\\Classes" : key == HKEY_CURRENT_USER ? CurrentUserKeyName() : "";
    if (path.empty()) {
        *id = hive;
        return ERROR_SUCCESS;
    }
    RegistryKeyRow row;
    LONG result = store.Run(false, [&]() -> LONG { return WalkKeyPath(store, hive, path, false, &row); });
    if (result == ERROR_FILE_NOT_FOUND) {
        result = store.Run(true, [&]() -> LONG { return WalkKeyPath(store, hive, path, true, &row); });
    }
    *id = row.id;
    return result;
}

LONG WalkKeyPath(RegistryStore& store, int64_t start, std::string_view path, bool create, RegistryKeyRow* row,
                 bool* created, std::string_view keyClass) {
    if (!path.empty() && path.front() == '\\') return ERROR_BAD_PATHNAME;
    LONG result = store.GetKey(start, row);
    if (created) *created = false;
    while (result == ERROR_SUCCESS && !path.empty()) {
        size_t slash = path.find('\\');
        std::string_view name = path.substr(0, slash);
        path = slash == std::string_view::npos ? std::string_view() : path.substr(slash + 1);
        if (name.empty()) continue;
        RegistryKeyRow parent = *row;
        result = store.FindChild(parent.id, name, row);
        if (result == ERROR_FILE_NOT_FOUND && create) {
            if (parent.denied & KEY_CREATE_SUB_KEY) return ERROR_ACCESS_DENIED;
            bool last = path.find_first_not_of('\\') == std::string_view::npos;
            *row = RegistryKeyRow{};
            row->name = name;
            if (last) row->keyClass = keyClass;
            result = store.AddChild(parent.id, name, row->keyClass, &row->id);
            if (created) *created = true;
        } else if (created) {
            *created = false;
        }
    }
    return result;
}

LONG SetRegistryKeyDeniedAccess(HKEY root, const char* subKey, REGSAM denied) {
    KeyRef ref;
    LONG result = ResolveHandle(root, &ref);
    if (result != ERROR_SUCCESS) return result;
    return ref.store->Run(true, [&]() -> LONG {
        RegistryKeyRow row;
        LONG r = WalkKeyPath(*ref.store, ref.id, NameOrDefault(subKey), false, &row);
        return r != ERROR_SUCCESS ? r : ref.store->SetDenied(row.id, denied);
    });
}

LONG ChangeRegistryValue(HKEY root, std::string_view subKey, std::string_view name,
                         const RegistryValueChange& change) {
    KeyRef ref;
    LONG result = ResolveHandle(root, &ref);
    if (result != ERROR_SUCCESS) return result;
    return ref.store->Run(true, [&]() -> LONG {
        RegistryKeyRow row;
        LONG r = WalkKeyPath(*ref.store, ref.id, subKey, true, &row);
        if (r != ERROR_SUCCESS) return r;
        std::optional<RegistryValue> value;
        RegistryValue stored;
        r = ref.store->GetValue(row.id, name, &stored);
        if (r == ERROR_SUCCESS) {
            value = std::move(stored);
        } else if (r != ERROR_FILE_NOT_FOUND) {
            return r;
        }
        bool existed = value.has_value();
        r = change(&value);
        if (r != ERROR_SUCCESS) return r;
        if (value) return ref.store->SetValue(row.id, name, value->type, value->data);
        return existed ? ref.store->DeleteValue(row.id, name) : ERROR_SUCCESS;
    });
}

}  // namespace vpr::win

using namespace vpr::win;

extern "C" LONG WINAPI RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD, REGSAM samDesired, PHKEY phkResult) {
    return OpenOrCreate(hKey, lpSubKey, nullptr, samDesired, false, phkResult, nullptr);
}

extern "C" LONG WINAPI RegOpenKeyA(HKEY hKey, LPCSTR lpSubKey, PHKEY phkResult) {
    // No subkey gives back the very handle passed in.
    if ((lpSubKey == nullptr || *lpSubKey == '\0') && phkResult != nullptr) {
        KeyRef ref;
        LONG result = ResolveHandle(hKey, &ref);
        if (result == ERROR_SUCCESS) *phkResult = hKey;
        return result;
    }
    return OpenOrCreate(hKey, lpSubKey, nullptr, MAXIMUM_ALLOWED, false, phkResult, nullptr);
}

extern "C" LONG WINAPI RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD, LPSTR lpClass, DWORD, REGSAM samDesired,
                                       LPSECURITY_ATTRIBUTES, PHKEY phkResult, LPDWORD lpdwDisposition) {
    return OpenOrCreate(hKey, lpSubKey, lpClass, samDesired, true, phkResult, lpdwDisposition);
}

extern "C" LONG WINAPI RegCreateKeyA(HKEY hKey, LPCSTR lpSubKey, PHKEY phkResult) {
    return OpenOrCreate(hKey, lpSubKey, nullptr, MAXIMUM_ALLOWED, true, phkResult, nullptr);
}

extern "C" LONG WINAPI RegCloseKey(HKEY hKey) {
    if (IsPredefinedKey(hKey)) return ERROR_SUCCESS;
    uint32_t value = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(hKey));
    if (!HandleTable::Instance().GetAs<RegistryKeyObject>(value)) return ERROR_INVALID_HANDLE;
    HandleTable::Instance().Remove(value);
    return ERROR_SUCCESS;
}

extern "C" LONG WINAPI RegFlushKey(HKEY hKey) {
    KeyRef ref;
    LONG result = ResolveHandle(hKey, &ref);
    return result != ERROR_SUCCESS ? result : ref.store->Flush();
}

extern "C" LONG WINAPI RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD, LPDWORD lpType, LPBYTE lpData,
                                        LPDWORD lpcbData) {
    if (lpData != nullptr && lpcbData == nullptr) return ERROR_INVALID_PARAMETER;
    RegistryValue value;
    LONG result = OnKey(hKey, KEY_QUERY_VALUE, false, [&](RegistryStore& store, const RegistryKeyRow& key) -> LONG {
        return store.GetValue(key.id, NameOrDefault(lpValueName), &value);
    });
    if (result != ERROR_SUCCESS) {
        // A missing value has no size.
        if (result == ERROR_FILE_NOT_FOUND && lpcbData != nullptr) *lpcbData = 0;
        return result;
    }
    if (lpType) *lpType = value.type;
    return CopyData(value.data, value.type, lpData, lpcbData);
}

extern "C" LONG WINAPI RegQueryValueA(HKEY hKey, LPCSTR lpSubKey, LPSTR lpData, PLONG lpcbData) {
    HKEY key = hKey;
    bool opened = lpSubKey != nullptr && *lpSubKey != '\0';
    if (opened) {
        LONG result = RegOpenKeyExA(hKey, lpSubKey, 0, KEY_QUERY_VALUE, &key);
        if (result != ERROR_SUCCESS) return result;
    }
    RegistryValue value;
    LONG result = OnKey(key, KEY_QUERY_VALUE, false, [&](RegistryStore& store, const RegistryKeyRow& row) -> LONG {
        LONG r = store.GetValue(row.id, "", &value);
        if (r == ERROR_FILE_NOT_FOUND) {
            // A key without a default value reads as an empty string.
            value.data.assign(1, '\0');
            r = ERROR_SUCCESS;
        }
        return r;
    });
    if (opened) RegCloseKey(key);
    if (result != ERROR_SUCCESS) return result;
    DWORD size = lpcbData ? static_cast<DWORD>(*lpcbData) : 0;
    result = CopyData(value.data, REG_SZ, reinterpret_cast<LPBYTE>(lpData), lpcbData ? &size : nullptr);
    if (lpcbData) *lpcbData = static_cast<LONG>(size);
    return result;
}

extern "C" LONG WINAPI RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD, DWORD dwType, const BYTE* lpData,
                                      DWORD cbData) {
    if (lpData == nullptr && cbData != 0) return ERROR_INVALID_PARAMETER;
    std::string data(reinterpret_cast<const char*>(lpData), lpData ? cbData : 0);
    // A string written without its terminating NUL is stored with one.
    if (IsStringType(dwType) && !data.empty() && data.back() != '\0') data += '\0';
    return OnKey(hKey, KEY_SET_VALUE, true, [&](RegistryStore& store, const RegistryKeyRow& key) -> LONG {
        return store.SetValue(key.id, NameOrDefault(lpValueName), dwType, data);
    });
}

extern "C" LONG WINAPI RegSetValueA(HKEY hKey, LPCSTR lpSubKey, DWORD dwType, LPCSTR lpData, DWORD) {
    if (dwType != REG_SZ || lpData == nullptr) return ERROR_INVALID_PARAMETER;
    HKEY key = hKey;
    bool opened = lpSubKey != nullptr && *lpSubKey != '\0';
    if (opened) {
        LONG result = RegCreateKeyExA(hKey, lpSubKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr);
        if (result != ERROR_SUCCESS) return result;
    }
    // The string is stored with its terminator, whatever length is passed.
    LONG result = RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(lpData),
                                 static_cast<DWORD>(std::strlen(lpData) + 1));
    if (opened) RegCloseKey(key);
    return result;
}

extern "C" LONG WINAPI RegDeleteValueA(HKEY hKey, LPCSTR lpValueName) {
    return OnKey(hKey, KEY_SET_VALUE, true, [&](RegistryStore& store, const RegistryKeyRow& key) -> LONG {
        return store.DeleteValue(key.id, NameOrDefault(lpValueName));
    });
}

extern "C" LONG WINAPI RegDeleteKeyA(HKEY hKey, LPCSTR lpSubKey) {
    if (lpSubKey == nullptr) return ERROR_INVALID_PARAMETER;
    return OnKey(hKey, 0, true, [&](RegistryStore& store, const RegistryKeyRow& parent) -> LONG {
        RegistryKeyRow row;
        LONG r = WalkKeyPath(store, parent.id, lpSubKey, false, &row);
        if (r != ERROR_SUCCESS) return r;
        // A hive, a key with subkeys or one that denies DELETE stays.
        if (row.id == RegistryStore::kLocalMachine || row.id == RegistryStore::kUsers || (row.denied & DELETE)) {
            return ERROR_ACCESS_DENIED;
        }
        RegistryKeyRow child;
        r = store.ChildAt(row.id, 0, &child);
        if (r == ERROR_SUCCESS) return ERROR_ACCESS_DENIED;
        if (r != ERROR_NO_MORE_ITEMS) return r;
        return store.DeleteKey(row.id);
    });
}

extern "C" LONG WINAPI RegEnumKeyExA(HKEY hKey, DWORD dwIndex, LPSTR lpName, LPDWORD lpcchName, LPDWORD,
                                     LPSTR lpClass, LPDWORD lpcchClass, PFILETIME lpftLastWriteTime) {
    RegistryKeyRow child;
    LONG result = EnumerationRow(hKey, KEY_ENUMERATE_SUB_KEYS, dwIndex, &RegistryKeyObject::subKeys,
                                 &RegistryStore::Children, &RegistryStore::ChildAt, &child);
    if (result != ERROR_SUCCESS) return result;
    result = CopyName(child.name, lpName, lpcchName);
    if (result != ERROR_SUCCESS) return result;
    if (lpClass != nullptr && lpcchClass == nullptr) return ERROR_INVALID_PARAMETER;
    if (lpClass != nullptr || lpcchClass != nullptr) {
        result = CopyClass(child.keyClass, lpClass, lpcchClass);
        if (result != ERROR_SUCCESS) return result;
    }
    ToFileTime(child.written, lpftLastWriteTime);
    return ERROR_SUCCESS;
}

extern "C" LONG WINAPI RegEnumKeyA(HKEY hKey, DWORD dwIndex, LPSTR lpName, DWORD cchName) {
    return RegEnumKeyExA(hKey, dwIndex, lpName, &cchName, nullptr, nullptr, nullptr, nullptr);
}

extern "C" LONG WINAPI RegEnumValueA(HKEY hKey, DWORD dwIndex, LPSTR lpValueName, LPDWORD lpcchValueName,
                                     LPDWORD, LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData) {
    if (lpValueName == nullptr || lpcchValueName == nullptr) return ERROR_INVALID_PARAMETER;
    if (lpData != nullptr && lpcbData == nullptr) return ERROR_INVALID_PARAMETER;
    RegistryValue value;
    LONG result = EnumerationRow(hKey, KEY_QUERY_VALUE, dwIndex, &RegistryKeyObject::values, &RegistryStore::Values,
                                 &RegistryStore::ValueAt, &value);
    if (result != ERROR_SUCCESS) return result;
    if (lpType) *lpType = value.type;
    // The name is copied when it fits; the data size is told whether or not
    // either fits, and the data copied only when both do.
    LONG nameResult = CopyName(value.name, lpValueName, lpcchValueName);
    if (nameResult != ERROR_SUCCESS) {
        if (lpcbData != nullptr) *lpcbData = static_cast<DWORD>(value.data.size());
        return nameResult;
    }
    return CopyData(value.data, value.type, lpData, lpcbData);
}

extern "C" LONG WINAPI RegQueryInfoKeyA(HKEY hKey, LPSTR lpClass, LPDWORD lpcchClass, LPDWORD, LPDWORD lpcSubKeys,
                                        LPDWORD lpcbMaxSubKeyLen, LPDWORD lpcbMaxClassLen, LPDWORD lpcValues,
                                        LPDWORD lpcbMaxValueNameLen, LPDWORD lpcbMaxValueLen,
                                        LPDWORD lpcbSecurityDescriptor, PFILETIME lpftLastWriteTime) {
    if (lpClass != nullptr && lpcchClass == nullptr) return ERROR_INVALID_PARAMETER;
    RegistryKeyInfo info;
    LONG result = OnKey(hKey, KEY_QUERY_VALUE, false, [&](RegistryStore& store, const RegistryKeyRow& key) -> LONG {
        return store.Info(key.id, &info);
    });
    if (result != ERROR_SUCCESS) return result;
    DWORD maxSubKey = 0, maxClass = 0, maxValueName = 0, maxValue = 0;
    for (const std::string& name : info.subKeyNames) maxSubKey = std::max(maxSubKey, StoredLength(name));
    for (const std::string& keyClass : info.subKeyClasses) maxClass = std::max(maxClass, StoredLength(keyClass));
    for (const RegistryValue& value : info.values) {
        maxValueName = std::max(maxValueName, StoredLength(value.name));
        DWORD size = IsStringType(value.type) ? StoredLength(value.data) : static_cast<DWORD>(value.data.size());
        maxValue = std::max(maxValue, size);
    }
    if (lpcSubKeys) *lpcSubKeys = info.subKeys;
    if (lpcbMaxSubKeyLen) *lpcbMaxSubKeyLen = maxSubKey;
    if (lpcbMaxClassLen) *lpcbMaxClassLen = maxClass;
    if (lpcValues) *lpcValues = static_cast<DWORD>(info.values.size());
    if (lpcbMaxValueNameLen) *lpcbMaxValueNameLen = maxValueName;
    if (lpcbMaxValueLen) *lpcbMaxValueLen = maxValue;
    if (lpcbSecurityDescriptor) *lpcbSecurityDescriptor = 0;
    ToFileTime(info.written, lpftLastWriteTime);
    return CopyClass(info.keyClass, lpClass, lpcchClass);
}
