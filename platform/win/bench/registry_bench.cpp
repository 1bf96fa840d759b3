// The registry against raw SQLite: the same schema and pragmas in a file of
// its own, prepared statements, one transaction per change as the registry
// calls make. Also the growth of an export from 2,000 to 20,000 keys.
// Run by hand from a release tree (scripts/bench.sh).
#include <sqlite3.h>

#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "vpr/testing/bench.h"
#include "vpr/testing/temp_machine.h"
#include "vpr/win/registry.h"

using vpr::testing::BenchWork;
using vpr::testing::CompareBench;

namespace {

constexpr int kItems = 1000;

// The registry file's own tables, as the store makes them.
const char kSchema[] =
    "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL; PRAGMA foreign_keys=ON;"
    "CREATE TABLE reg_key(id INTEGER PRIMARY KEY AUTOINCREMENT, parent INTEGER NOT NULL,"
    "  name TEXT NOT NULL COLLATE NOCASE, denied INTEGER NOT NULL DEFAULT 0,"
    "  written INTEGER NOT NULL DEFAULT 0, class TEXT NOT NULL DEFAULT '', UNIQUE(parent, name));"
    "CREATE TABLE reg_value(key INTEGER NOT NULL, name TEXT NOT NULL COLLATE NOCASE,"
    "  type INTEGER NOT NULL, data BLOB NOT NULL, PRIMARY KEY(key, name)) WITHOUT ROWID;"
    "INSERT INTO reg_key(id, parent, name) VALUES(1, 0, 'HKEY_LOCAL_MACHINE'), (2, 0, 'HKEY_USERS');";

class RawStore {
public:
    explicit RawStore(const std::string& path) {
        if (sqlite3_open(path.c_str(), &db_) != SQLITE_OK || sqlite3_exec(db_, kSchema, nullptr, nullptr, nullptr) != SQLITE_OK) {
            throw std::runtime_error("raw store: " + std::string(sqlite3_errmsg(db_)));
        }
    }
    ~RawStore() {
        for (sqlite3_stmt* s : statements_) sqlite3_finalize(s);
        sqlite3_close(db_);
    }
    sqlite3_stmt* Prepare(const char* sql) {
        sqlite3_stmt* s = nullptr;
        if (sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, &s, nullptr) != SQLITE_OK) {
            throw std::runtime_error("raw prepare: " + std::string(sqlite3_errmsg(db_)));
        }
        statements_.push_back(s);
        return s;
    }
    void Exec(const char* sql) { sqlite3_exec(db_, sql, nullptr, nullptr, nullptr); }
    int64_t LastId() { return sqlite3_last_insert_rowid(db_); }

private:
    sqlite3* db_ = nullptr;
    std::vector<sqlite3_stmt*> statements_;
};

void Run(sqlite3_stmt* s) {
    sqlite3_step(s);
    sqlite3_reset(s);
}

std::string ValueName(int i) { return "Value Name " + std::to_string(i); }
std::string KeyName(int i) { return "Key Name " + std::to_string(i); }
const std::string kData = "C:\\PROGRAM FILES\\SAMPLE\\SAMPLE.EXE";

HKEY MakeKey(const char* path) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS) {
        throw std::runtime_error(std::string("cannot make ") + path);
    }
    return key;
}

void ValuesAndKeys(RawStore& raw) {
    HKEY values = MakeKey("SOFTWARE\\Bench\\Values");
    HKEY keys = MakeKey("SOFTWARE\\Bench\\Keys");
    for (int i = 0; i < kItems; ++i) RegCloseKey(MakeKey(("SOFTWARE\\Bench\\Keys\\" + KeyName(i)).c_str()));

    raw.Exec("INSERT INTO reg_key(parent, name) VALUES(1, 'Values')");
    int64_t rawValues = raw.LastId();
    raw.Exec("INSERT INTO reg_key(parent, name) VALUES(1, 'Keys')");
    int64_t rawKeys = raw.LastId();
    sqlite3_stmt* addKey = raw.Prepare("INSERT INTO reg_key(parent, name) VALUES(?, ?)");
    for (int i = 0; i < kItems; ++i) {
        std::string name = KeyName(i);
        sqlite3_bind_int64(addKey, 1, rawKeys);
        sqlite3_bind_text(addKey, 2, name.c_str(), -1, SQLITE_TRANSIENT);
        Run(addKey);
    }
    sqlite3_stmt* begin = raw.Prepare("BEGIN IMMEDIATE");
    sqlite3_stmt* commit = raw.Prepare("COMMIT");
    sqlite3_stmt* upsert = raw.Prepare(
        "INSERT INTO reg_value(key, name, type, data) VALUES(?, ?, ?, ?) "
        "ON CONFLICT(key, name) DO UPDATE SET type = excluded.type, data = excluded.data");
    sqlite3_stmt* touch = raw.Prepare("UPDATE reg_key SET written = ? WHERE id = ?");
    sqlite3_stmt* query = raw.Prepare("SELECT type, data FROM reg_value WHERE key = ? AND name = ?");
    sqlite3_stmt* childKeys = raw.Prepare("SELECT name, class, written FROM reg_key WHERE parent = ? ORDER BY name");
    sqlite3_stmt* childValues = raw.Prepare("SELECT name, type, data FROM reg_value WHERE key = ? ORDER BY name");

    std::vector<std::string> names;
    for (int i = 0; i < kItems; ++i) names.push_back(ValueName(i));

    BenchWork set{kItems, [&] {
        for (const std::string& name : names) {
            RegSetValueExA(values, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(kData.c_str()),
                           static_cast<DWORD>(kData.size() + 1));
        }
    }};
    BenchWork rawSet{kItems, [&] {
        for (const std::string& name : names) {
            Run(begin);
            sqlite3_bind_int64(upsert, 1, rawValues);
            sqlite3_bind_text(upsert, 2, name.c_str(), static_cast<int>(name.size()), SQLITE_STATIC);
            sqlite3_bind_int64(upsert, 3, REG_SZ);
            sqlite3_bind_blob(upsert, 4, kData.c_str(), static_cast<int>(kData.size() + 1), SQLITE_STATIC);
            Run(upsert);
            sqlite3_bind_int64(touch, 1, 1000);
            sqlite3_bind_int64(touch, 2, rawValues);
            Run(touch);
            Run(commit);
        }
    }};
    CompareBench("registry set value (1,000 values)", set, rawSet, ">= 0.5");

    BenchWork get{kItems, [&] {
        char buffer[256];
        for (const std::string& name : names) {
            DWORD type = 0, size = sizeof buffer;
            if (RegQueryValueExA(values, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) != ERROR_SUCCESS) {
                throw std::runtime_error("query failed");
            }
        }
    }};
    BenchWork rawGet{kItems, [&] {
        char buffer[256];
        for (const std::string& name : names) {
            sqlite3_bind_int64(query, 1, rawValues);
            sqlite3_bind_text(query, 2, name.c_str(), static_cast<int>(name.size()), SQLITE_STATIC);
            if (sqlite3_step(query) != SQLITE_ROW) throw std::runtime_error("raw query failed");
            int size = sqlite3_column_bytes(query, 1);
            std::memcpy(buffer, sqlite3_column_blob(query, 1), std::min<size_t>(size, sizeof buffer));
            sqlite3_reset(query);
        }
    }};
    CompareBench("registry query value (1,000 values)", get, rawGet, ">= 0.5");

    BenchWork enumKeys{kItems, [&] {
        char name[256];
        DWORD i = 0;
        for (;; ++i) {
            DWORD size = sizeof name;
            FILETIME written;
            if (RegEnumKeyExA(keys, i, name, &size, nullptr, nullptr, nullptr, &written) != ERROR_SUCCESS) break;
        }
        if (i != kItems) throw std::runtime_error("enumerated " + std::to_string(i) + " keys");
    }};
    BenchWork rawEnumKeys{kItems, [&] {
        char name[256];
        sqlite3_bind_int64(childKeys, 1, rawKeys);
        while (sqlite3_step(childKeys) == SQLITE_ROW) {
            std::strncpy(name, reinterpret_cast<const char*>(sqlite3_column_text(childKeys, 0)), sizeof name - 1);
        }
        sqlite3_reset(childKeys);
    }};
    CompareBench("registry enumerate keys (1,000 subkeys)", enumKeys, rawEnumKeys, ">= 0.5");

    BenchWork enumValues{kItems, [&] {
        char name[256];
        BYTE data[256];
        DWORD i = 0;
        for (;; ++i) {
            DWORD nameSize = sizeof name, dataSize = sizeof data, type = 0;
            if (RegEnumValueA(values, i, name, &nameSize, nullptr, &type, data, &dataSize) != ERROR_SUCCESS) break;
        }
        if (i != kItems) throw std::runtime_error("enumerated " + std::to_string(i) + " values");
    }};
    BenchWork rawEnumValues{kItems, [&] {
        char name[256];
        BYTE data[256];
        sqlite3_bind_int64(childValues, 1, rawValues);
        while (sqlite3_step(childValues) == SQLITE_ROW) {
            std::strncpy(name, reinterpret_cast<const char*>(sqlite3_column_text(childValues, 0)), sizeof name - 1);
            std::memcpy(data, sqlite3_column_blob(childValues, 2),
                        std::min<size_t>(sqlite3_column_bytes(childValues, 2), sizeof data));
        }
        sqlite3_reset(childValues);
    }};
    CompareBench("registry enumerate values (1,000 values)", enumValues, rawEnumValues, ">= 0.5");
    RegCloseKey(values);
    RegCloseKey(keys);
}

// Exporting a key with `count` subkeys of one value each, made here.
vpr::testing::BenchWork Export(int count) {
    std::string path = "SOFTWARE\\Export" + std::to_string(count);
    HKEY parent = MakeKey(path.c_str());
    for (int i = 0; i < count; ++i) {
        HKEY key = MakeKey((path + "\\" + KeyName(i)).c_str());
        RegSetValueExA(key, "Path", 0, REG_SZ, reinterpret_cast<const BYTE*>(kData.c_str()),
                       static_cast<DWORD>(kData.size() + 1));
        RegCloseKey(key);
    }
    RegCloseKey(parent);
    return {static_cast<size_t>(count), [full = "HKEY_LOCAL_MACHINE\\" + path] {
                std::string text;
                if (vpr::win::ExportRegistryText(full.c_str(), &text) != ERROR_SUCCESS)
                    throw std::runtime_error("export");
            }};
}

}  // namespace

int main() {
    vpr::testing::TempMachine machine(vpr::machine::Platform::NT4, "bench");
    vpr::testing::PrintBenchHeader("registry_bench: the Reg*A calls against raw SQLite");
    RawStore raw(machine.root() + "/raw-registry.db");
    ValuesAndKeys(raw);
    // Time grows at most 12-fold for 10 times the keys: a ratio of keys/s of
    // at least 10/12. Rounds of both sizes alternate, as ours and a baseline do.
    vpr::testing::BenchWork small = Export(2000);
    vpr::testing::BenchWork large = Export(20000);
    CompareBench("registry export 20,000 keys vs 2,000", large, small, ">= 0.833 (time <= 12x)");
    return 0;
}
