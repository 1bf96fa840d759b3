// The registry file of a machine: an SQLite database with one table of keys
// (each under its parent, the hives at the top) and one of values. Several
// processes share it: the database runs in WAL mode, waits for a busy writer,
// and each registry call is one transaction. Names compare without regard to
// ASCII case and keep the case they were made with.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "vpr/win/sqlite_database.h"
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
    std::string keyClass;  // the class given when the key was made
};

// What RegQueryInfoKey counts, as stored.
struct RegistryKeyInfo {
    std::string keyClass;
    int64_t written = 0;
    DWORD subKeys = 0;
    std::vector<std::string> subKeyNames;
    std::vector<std::string> subKeyClasses;
    std::vector<RegistryValue> values;
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

    const std::string& Path() const { return db_.path(); }

    // Runs `body` as one transaction (a write transaction when `write`); it is
    // committed when the body returns ERROR_SUCCESS and rolled back otherwise.
    // Returns the body's result or the store's own error (ErrorOf). The
    // functions below are called only inside.
    LONG Run(bool write, const std::function<LONG()>& body);
    // Copies what the write-ahead log holds into the database file.
    LONG Flush();

    LONG GetKey(int64_t id, RegistryKeyRow* row);  // ERROR_KEY_DELETED when gone
    LONG FindChild(int64_t parent, std::string_view name, RegistryKeyRow* row);
    LONG AddChild(int64_t parent, std::string_view name, std::string_view keyClass, int64_t* id);
    LONG ChildAt(int64_t parent, DWORD index, RegistryKeyRow* row);  // ERROR_NO_MORE_ITEMS past the end
    // Every subkey, in the order of enumeration (names without regard to case).
    LONG Children(int64_t parent, std::vector<RegistryKeyRow>* rows);
    LONG DeleteKey(int64_t id);  // the key and its values; its subkeys must be gone
    LONG SetDenied(int64_t id, DWORD denied);
    LONG Touch(int64_t id);

    LONG GetValue(int64_t key, std::string_view name, RegistryValue* value);
    LONG SetValue(int64_t key, std::string_view name, DWORD type, std::string_view data);
    LONG DeleteValue(int64_t key, std::string_view name);
    LONG ValueAt(int64_t key, DWORD index, RegistryValue* value);
    // Every value of the key, in the order of enumeration.
    LONG Values(int64_t key, std::vector<RegistryValue>* values);
    LONG Info(int64_t key, RegistryKeyInfo* info);

    // The Windows code of a store fault: ERROR_BADDB for a damaged or foreign
    // file, ERROR_DISK_FULL, ERROR_LOCK_VIOLATION when another process held
    // the file for the whole busy timeout, ERROR_ACCESS_DENIED for a change to
    // a read-only file, ERROR_CANTOPEN, ERROR_NOT_ENOUGH_MEMORY, ERROR_CANTWRITE.
    static LONG ErrorOf(StoreFault fault);

    // A number that changes, in every process of the machine, once a
    // transaction that changed the key's subkeys or values (or a subkey's
    // class or last write time) has committed. Read it before the
    // transaction that reads what it guards. Empty when the file has no
    // change counters (a folder that cannot take them): then nothing read
    // may be kept for later.
    std::optional<uint64_t> ChangeStamp(int64_t id);

private:
    class ChangeCounters;

    // Marks the key changed by the running transaction.
    void Changed(int64_t id) { changed_.push_back(id); }
    // Opens the file in this process and checks it once: a new file gets the
    // schema, an older one the columns added since.
    LONG Connect();
    LONG CheckFile();
    LONG Upgrade();
    LONG SchemaVersion(int64_t* version);
    LONG Error(int sqliteResult) const { return ErrorOf(StoreFaultOf(sqliteResult)); }

    SqliteDatabase db_;
    std::unique_ptr<ChangeCounters> counters_;  // mapped by Connect; guarded by db_.mutex()
    bool countersTried_ = false;                // guarded by db_.mutex()
    std::vector<int64_t> changed_;              // keys the running transaction changed; guarded by db_.mutex()
    int runs_ = 0;                              // Run calls under way on this thread; guarded by db_.mutex()
};

}  // namespace vpr::win
