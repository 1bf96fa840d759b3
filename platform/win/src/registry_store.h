// The registry file of a machine: an SQLite database with one table of keys
// (each under its parent, the hives at the top) and one of values. Several
// processes share it: the database runs in WAL mode, waits for a busy writer,
// and each registry call is one transaction. Names compare without regard to
// ASCII case and keep the case they were made with.
#pragma once

#include <sqlite3.h>
#include <unistd.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "vpr/win/types.h"

namespace vpr::win {

struct RegistryValue {
    std::string name;
    DWORD type = 0;
    std::string data;
};

struct RegistryKeyRow {
    int64_t id = 0;
    std::string name;
    DWORD denied = 0;    // access rights refused on this key (test hook)
    int64_t written = 0; // last change, seconds since 1970
};

struct RegistryKeyInfo {
    DWORD subKeys = 0;
    DWORD maxSubKeyLength = 0;
    DWORD values = 0;
    DWORD maxValueNameLength = 0;
    DWORD maxValueLength = 0;
    int64_t written = 0;
};

class RegistryStore {
public:
    // The two stored hives.
    static constexpr int64_t kLocalMachine = 1;
    static constexpr int64_t kUsers = 2;

    explicit RegistryStore(std::string path);
    ~RegistryStore();
    RegistryStore(const RegistryStore&) = delete;
    RegistryStore& operator=(const RegistryStore&) = delete;

    const std::string& Path() const { return path_; }

    // Runs `body` as one transaction (a write transaction when `write`); it is
    // committed when the body returns ERROR_SUCCESS and rolled back otherwise.
    // Returns the body's result or the store's own error (ERROR_BADDB for a
    // damaged or foreign file). The functions below are called only inside.
    LONG Run(bool write, const std::function<LONG()>& body);
    // Copies what the write-ahead log holds into the database file.
    LONG Flush();

    LONG GetKey(int64_t id, RegistryKeyRow* row);  // ERROR_KEY_DELETED when gone
    LONG FindChild(int64_t parent, std::string_view name, RegistryKeyRow* row);
    LONG AddChild(int64_t parent, std::string_view name, int64_t* id);
    LONG ChildAt(int64_t parent, DWORD index, RegistryKeyRow* row);  // ERROR_NO_MORE_ITEMS past the end
    LONG DeleteKey(int64_t id);  // the key and its values; its subkeys must be gone
    LONG SetDenied(int64_t id, DWORD denied);
    LONG Touch(int64_t id);

    LONG GetValue(int64_t key, std::string_view name, RegistryValue* value);
    LONG SetValue(int64_t key, std::string_view name, DWORD type, std::string_view data);
    LONG DeleteValue(int64_t key, std::string_view name);
    LONG ValueAt(int64_t key, DWORD index, RegistryValue* value);
    LONG Info(int64_t key, RegistryKeyInfo* info);

private:
    class Statement;

    LONG Connect();
    LONG Exec(const char* sql);
    LONG Error(int code) const;

    std::string path_;
    std::recursive_mutex mutex_;
    sqlite3* db_ = nullptr;
    pid_t pid_ = 0;  // process that opened db_; a forked child opens its own
};

}  // namespace vpr::win
