#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "vpr/testing/child_processes.h"
#include "vpr/testing/temp_machine.h"
#include "vpr/win/clock.h"
#include "vpr/win/handle_table.h"
#include "vpr/win/sqlite_database.h"
#include "windows.h"

namespace fs = std::filesystem;
using namespace std::string_literals;

namespace {

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("vprreg-" + std::to_string(::getpid()));
        fs::create_directories(dir_);
        file_ = (dir_ / "registry.db").string();
        vpr::win::SetRegistryFile(file_);
    }
    void TearDown() override {
        vpr::win::SetRegistryFile("");  // back to the machine's registry for the tests that follow
        fs::remove_all(dir_);
    }

    static HKEY Create(HKEY root, const char* path, DWORD* disposition = nullptr) {
        HKEY key = nullptr;
        EXPECT_EQ(RegCreateKeyExA(root, path, 0, const_cast<char*>(""), 0, KEY_ALL_ACCESS, nullptr, &key,
                                  disposition),
                  ERROR_SUCCESS)
            << path;
        return key;
    }
    static std::vector<std::string> SubKeys(HKEY key) {
        std::vector<std::string> names;
        char name[MAX_PATH];
        for (DWORD i = 0; RegEnumKeyA(key, i, name, sizeof name) == ERROR_SUCCESS; ++i) names.push_back(name);
        return names;
    }
    static std::vector<std::string> ValueNames(HKEY key) {
        std::vector<std::string> names;
        char name[MAX_PATH];
        DWORD size = sizeof name;
        for (DWORD i = 0; RegEnumValueA(key, i, name, &size, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
             ++i, size = sizeof name) {
            names.push_back(name);
        }
        return names;
    }
    static std::string ReadBytes(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    fs::path dir_;
    std::string file_;
};

TEST_F(RegistryTest, CreatesMissingLevelsAndOpensWithoutRegardToCase) {
    DWORD disposition = 0;
    HKEY key = Create(HKEY_LOCAL_MACHINE, "Software\\Maker\\Product", &disposition);
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_CREATED_NEW_KEY));
    RegCloseKey(key);
    key = Create(HKEY_LOCAL_MACHINE, "SOFTWARE\\maker\\PRODUCT\\", &disposition);
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_OPENED_EXISTING_KEY));
    RegCloseKey(key);

    HKEY software = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "software", 0, KEY_READ, &software), ERROR_SUCCESS);
    EXPECT_EQ(SubKeys(software), std::vector<std::string>{"Maker"});  // case as first written
    EXPECT_EQ(RegCloseKey(software), ERROR_SUCCESS);

    HKEY none = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Other", 0, KEY_READ, &none), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "\\Software", 0, KEY_READ, &none), ERROR_BAD_PATHNAME);
    EXPECT_EQ(RegCloseKey(reinterpret_cast<HKEY>(uintptr_t{0x1234})), ERROR_INVALID_HANDLE);
    EXPECT_EQ(vpr::win::HandleTable::Instance().Count(), 0u);
}

TEST_F(RegistryTest, StoresValuesOfEveryTypeAndLengthWithTheQuerySizeRules) {
    HKEY key = Create(HKEY_CURRENT_USER, "Software\\Values");
    std::string big(100000, '\0');
    for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7);
    struct Case {
        const char* name;
        DWORD type;
        std::string data;
    } cases[] = {
        {"Text", REG_SZ, "hello\0"s},
        {"Path", REG_EXPAND_SZ, "%WINDIR%\\x\0"s},
        {"Number", REG_DWORD, "\x78\x56\x34\x12"s},
        {"Bytes", REG_BINARY, "\x40\x01\x00\xA0"s},
        {"List", REG_MULTI_SZ, "one\0two\0\0"s},
        {"Empty", REG_SZ, ""s},
        {"Big", REG_BINARY, big},
        {"Odd", 0x1234, "x"s},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(RegSetValueExA(key, c.name, 0, c.type, reinterpret_cast<const BYTE*>(c.data.data()),
                                 static_cast<DWORD>(c.data.size())),
                  ERROR_SUCCESS);
    }
    for (const auto& c : cases) {
        DWORD type = 0, size = 0;
        EXPECT_EQ(RegQueryValueExA(key, c.name, nullptr, &type, nullptr, &size), ERROR_SUCCESS);
        EXPECT_EQ(type, c.type);
        EXPECT_EQ(size, c.data.size()) << c.name;
        std::vector<BYTE> buffer(c.data.size() + 1, 0xEE);
        if (!c.data.empty()) {
            DWORD small = size - 1;
            EXPECT_EQ(RegQueryValueExA(key, c.name, nullptr, nullptr, buffer.data(), &small), ERROR_MORE_DATA);
            EXPECT_EQ(small, size);
        }
        size = static_cast<DWORD>(buffer.size());
        EXPECT_EQ(RegQueryValueExA(key, c.name, nullptr, &type, buffer.data(), &size), ERROR_SUCCESS);
        EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer.data()), size), c.data) << c.name;
    }
    // Names match without regard to case and keep the case first written.
    const BYTE two[] = {2, 0, 0, 0};
    EXPECT_EQ(RegSetValueExA(key, "NUMBER", 0, REG_DWORD, two, 4), ERROR_SUCCESS);
    DWORD number = 0, size = sizeof number;
    EXPECT_EQ(RegQueryValueExA(key, "number", nullptr, nullptr, reinterpret_cast<BYTE*>(&number), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(number, 2u);
    EXPECT_EQ(ValueNames(key)[4], "Number");
    EXPECT_EQ(RegQueryValueExA(key, "Missing", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
    RegCloseKey(key);
}

TEST_F(RegistryTest, DefaultValuesOfSubkeys) {
    EXPECT_EQ(RegSetValueA(HKEY_LOCAL_MACHINE, "Network\\Install\\Target Path", REG_SZ, "C:\\CLIENT", 0),
              ERROR_SUCCESS);
    char buffer[MAX_PATH];
    LONG size = sizeof buffer;
    EXPECT_EQ(RegQueryValueA(HKEY_LOCAL_MACHINE, "network\\install\\target path", buffer, &size), ERROR_SUCCESS);
    EXPECT_STREQ(buffer, "C:\\CLIENT");
    EXPECT_EQ(size, 10);
    size = 4;
    EXPECT_EQ(RegQueryValueA(HKEY_LOCAL_MACHINE, "Network\\Install\\Target Path", buffer, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 10);
    // A key without a default value reads as an empty string.
    size = sizeof buffer;
    EXPECT_EQ(RegQueryValueA(HKEY_LOCAL_MACHINE, "Network\\Install", buffer, &size), ERROR_SUCCESS);
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(size, 1);
    EXPECT_EQ(RegQueryValueA(HKEY_LOCAL_MACHINE, "Network\\Missing", buffer, &size), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryTest, EnumeratesInCaseInsensitiveNameOrder) {
    HKEY key = Create(HKEY_LOCAL_MACHINE, "Order");
    for (const char* name : {"beta", "Alpha", "gamma", "Zeta", "_under"}) {
        RegCloseKey(Create(key, name));
        EXPECT_EQ(RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(name),
                                 static_cast<DWORD>(std::strlen(name) + 1)),
                  ERROR_SUCCESS);
    }
    EXPECT_EQ(RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>("d"), 2), ERROR_SUCCESS);
    std::vector<std::string> expected = {"_under", "Alpha", "beta", "gamma", "Zeta"};
    EXPECT_EQ(SubKeys(key), expected);
    expected.insert(expected.begin(), "");  // the default value comes first
    EXPECT_EQ(ValueNames(key), expected);

    char name[4];
    DWORD nameSize = sizeof name;
    EXPECT_EQ(RegEnumKeyExA(key, 1, name, &nameSize, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);
    EXPECT_EQ(RegEnumKeyA(key, 5, name, sizeof name), ERROR_NO_MORE_ITEMS);
    char valueName[16];
    BYTE data[2];
    DWORD valueSize = sizeof valueName, dataSize = sizeof data, type = 0;
    EXPECT_EQ(RegEnumValueA(key, 2, valueName, &valueSize, nullptr, &type, data, &dataSize), ERROR_MORE_DATA);
    EXPECT_EQ(dataSize, 6u);  // "Alpha" and its terminator

    DWORD subKeys = 0, values = 0, maxSubKey = 0, maxValueName = 0, maxValue = 0;
    EXPECT_EQ(RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subKeys, &maxSubKey, nullptr, &values,
                               &maxValueName, &maxValue, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(subKeys, 5u);
    EXPECT_EQ(values, 6u);
    EXPECT_EQ(maxSubKey, 6u);
    EXPECT_EQ(maxValueName, 6u);
    EXPECT_EQ(maxValue, 7u);
    RegCloseKey(key);
}

// An index counts what the key holds at the call: a key or value added or
// removed between steps, through this handle, another one or another
// process, moves the entries after it.
TEST_F(RegistryTest, EnumerationByIndexSeesChangesBetweenSteps) {
    HKEY key = Create(HKEY_LOCAL_MACHINE, "Steps");
    for (const char* name : {"b", "d", "f"}) {
        RegCloseKey(Create(key, name));
        ASSERT_EQ(RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(name), 2), ERROR_SUCCESS);
    }
    HKEY other = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Steps", 0, KEY_ALL_ACCESS, &other), ERROR_SUCCESS);
    auto keyAt = [&](DWORD index) {
        char name[16];
        DWORD size = sizeof name;
        LONG r = RegEnumKeyExA(key, index, name, &size, nullptr, nullptr, nullptr, nullptr);
        return r == ERROR_SUCCESS ? std::string(name) : "error " + std::to_string(r);
    };
    auto valueAt = [&](DWORD index) {
        char name[16];
        BYTE data[16];
        DWORD size = sizeof name, dataSize = sizeof data;
        LONG r = RegEnumValueA(key, index, name, &size, nullptr, nullptr, data, &dataSize);
        return r == ERROR_SUCCESS ? std::string(name) + "=" + reinterpret_cast<char*>(data) : "error " + std::to_string(r);
    };
    auto inChild = [](const std::function<bool()>& work) {
        return vpr::testing::RunInChildProcesses(1, [&](int) { return work(); });
    };
    const std::string kNoMore = "error " + std::to_string(ERROR_NO_MORE_ITEMS);

    EXPECT_EQ(keyAt(0), "b");
    RegCloseKey(Create(key, "a"));  // before the next index, through the same handle
    EXPECT_EQ(keyAt(1), "b");
    EXPECT_EQ(RegDeleteKeyA(other, "d"), ERROR_SUCCESS);  // through another handle
    EXPECT_EQ(keyAt(2), "f");
    ASSERT_TRUE(inChild([] {  // by another process
        HKEY k = nullptr;
        return RegCreateKeyA(HKEY_LOCAL_MACHINE, "Steps\\e", &k) == ERROR_SUCCESS && RegCloseKey(k) == ERROR_SUCCESS;
    }));
    EXPECT_EQ(keyAt(3), "f");
    EXPECT_EQ(keyAt(4), kNoMore);

    EXPECT_EQ(valueAt(0), "b=b");
    ASSERT_EQ(RegDeleteValueA(other, "b"), ERROR_SUCCESS);
    EXPECT_EQ(valueAt(0), "d=d");
    ASSERT_TRUE(inChild([] {
        HKEY k = nullptr;
        return RegOpenKeyA(HKEY_LOCAL_MACHINE, "Steps", &k) == ERROR_SUCCESS &&
               RegSetValueExA(k, "c", 0, REG_SZ, reinterpret_cast<const BYTE*>("c"), 2) == ERROR_SUCCESS &&
               RegSetValueExA(k, "D", 0, REG_SZ, reinterpret_cast<const BYTE*>("x"), 2) == ERROR_SUCCESS &&
               RegCloseKey(k) == ERROR_SUCCESS;
    }));
    EXPECT_EQ(valueAt(0), "c=c");
    EXPECT_EQ(valueAt(1), "d=x");  // the new data, under the name as first written
    EXPECT_EQ(valueAt(2), "f=f");
    EXPECT_EQ(valueAt(3), kNoMore);

    // A key deleted between steps answers so.
    for (const char* name : {"a", "b", "e", "f"}) ASSERT_EQ(RegDeleteKeyA(other, name), ERROR_SUCCESS);
    EXPECT_EQ(keyAt(0), kNoMore);
    HKEY child = Create(key, "gone");
    EXPECT_EQ(RegSetValueExA(child, "v", 0, REG_SZ, reinterpret_cast<const BYTE*>("v"), 2), ERROR_SUCCESS);
    char name[16];
    DWORD size = sizeof name;
    EXPECT_EQ(RegEnumValueA(child, 0, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKeyA(other, "gone"), ERROR_SUCCESS);
    size = sizeof name;
    EXPECT_EQ(RegEnumValueA(child, 0, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_KEY_DELETED);
    RegCloseKey(child);
    RegCloseKey(other);
    RegCloseKey(key);
}

TEST_F(RegistryTest, DeletesLeavesOnlyAndAnOpenHandleSeesTheKeyGone) {
    HKEY parent = Create(HKEY_LOCAL_MACHINE, "Tree");
    HKEY leaf = Create(parent, "Leaf");
    RegCloseKey(Create(parent, "Branch\\Twig"));
    EXPECT_EQ(RegSetValueExA(leaf, "v", 0, REG_SZ, reinterpret_cast<const BYTE*>("x"), 2), ERROR_SUCCESS);

    EXPECT_EQ(RegDeleteKeyA(parent, "Branch"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteKeyA(parent, "Branch\\Twig"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKeyA(parent, "Branch"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKeyA(parent, "Branch"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, ""), ERROR_ACCESS_DENIED);

    EXPECT_EQ(RegDeleteValueA(leaf, "V"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValueA(leaf, "V"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegSetValueExA(leaf, "w", 0, REG_SZ, reinterpret_cast<const BYTE*>("x"), 2), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKeyA(parent, "LEAF"), ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(leaf, "w", 0, REG_SZ, reinterpret_cast<const BYTE*>("x"), 2), ERROR_KEY_DELETED);
    RegCloseKey(leaf);
    // Made again, the key has none of its old values.
    leaf = Create(parent, "Leaf");
    EXPECT_TRUE(ValueNames(leaf).empty());
    RegCloseKey(leaf);
    RegCloseKey(parent);
}

TEST_F(RegistryTest, ClassesRootAndCurrentUserAreKeysOfTheStoredHives) {
    RegCloseKey(Create(HKEY_CLASSES_ROOT, "CLSID\\{1234}\\InProcServer32"));
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Classes\\CLSID\\{1234}\\InProcServer32", 0, KEY_READ,
                            &key),
              ERROR_SUCCESS);
    RegCloseKey(key);
    RegCloseKey(Create(HKEY_CURRENT_USER, "Software\\Mine"));
    EXPECT_EQ(RegOpenKeyExA(HKEY_USERS, ".DEFAULT\\Software\\Mine", 0, KEY_READ, &key), ERROR_SUCCESS);
    RegCloseKey(key);
}

TEST_F(RegistryTest, DeniedRightsRefuseWhatTheyCover) {
    RegCloseKey(Create(HKEY_LOCAL_MACHINE, "Locked\\Child"));
    ASSERT_EQ(vpr::win::SetRegistryKeyDeniedAccess(HKEY_LOCAL_MACHINE, "Locked",
                                                   KEY_SET_VALUE | KEY_CREATE_SUB_KEY | DELETE),
              ERROR_SUCCESS);
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Locked", 0, KEY_ALL_ACCESS, &key), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Locked", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Locked\\New", 0, nullptr, 0, KEY_READ, nullptr, &key, nullptr),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Locked\\Child"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Locked"), ERROR_ACCESS_DENIED);

    // Reading still works, and a handle opened for reading cannot write.
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Locked", 0, KEY_READ, &key), ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(key, "v", 0, REG_SZ, reinterpret_cast<const BYTE*>("x"), 2), ERROR_ACCESS_DENIED);
    RegCloseKey(key);
    // RegOpenKeyA takes what is left.
    ASSERT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, "Locked", &key), ERROR_SUCCESS);
    EXPECT_TRUE(SubKeys(key).empty());
    EXPECT_EQ(RegSetValueExA(key, "v", 0, REG_SZ, reinterpret_cast<const BYTE*>("x"), 2), ERROR_ACCESS_DENIED);
    RegCloseKey(key);

    EXPECT_EQ(vpr::win::SetRegistryKeyDeniedAccess(HKEY_LOCAL_MACHINE, "Locked", 0), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Locked"), ERROR_SUCCESS);
}

TEST_F(RegistryTest, ProcessesWritingAtOnceLoseNothing) {
    RegCloseKey(Create(HKEY_LOCAL_MACHINE, "Shared"));  // the parent has the file open before forking
    constexpr int kWriters = 4;
    constexpr int kValues = 25;
    ASSERT_TRUE(vpr::testing::RunInChildProcesses(kWriters, [&](int w) {
        bool ok = true;
        for (int v = 0; v < kValues; ++v) {
            std::string path = "Shared\\Writer" + std::to_string(w);
            std::string name = "v" + std::to_string(v);
            HKEY key = nullptr;
            ok = ok && RegCreateKeyA(HKEY_LOCAL_MACHINE, path.c_str(), &key) == ERROR_SUCCESS &&
                 RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(name.c_str()),
                                static_cast<DWORD>(name.size() + 1)) == ERROR_SUCCESS &&
                 RegCloseKey(key) == ERROR_SUCCESS;
        }
        return ok;
    }));
    HKEY shared = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Shared", 0, KEY_READ, &shared), ERROR_SUCCESS);
    EXPECT_EQ(SubKeys(shared).size(), static_cast<size_t>(kWriters));
    for (int w = 0; w < kWriters; ++w) {
        HKEY key = nullptr;
        ASSERT_EQ(RegOpenKeyExA(shared, ("Writer" + std::to_string(w)).c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);
        EXPECT_EQ(ValueNames(key).size(), static_cast<size_t>(kValues));
        RegCloseKey(key);
    }
    RegCloseKey(shared);
}

TEST_F(RegistryTest, DamagedFileGivesBadDbAndStaysAsItWas) {
    // Made and then cut short, filled with noise, or another program's database.
    RegCloseKey(Create(HKEY_LOCAL_MACHINE, "Software\\Something"));
    RegFlushKey(HKEY_LOCAL_MACHINE);
    std::string good = ReadBytes(file_);
    ASSERT_GT(good.size(), 4096u);
    std::vector<std::string> damaged = {good.substr(0, 100), std::string(8192, '\x5A'),
                                        good.substr(0, 4096) + std::string(good.size() - 4096, '\xFF')};
    {
        std::string foreign = (dir_ / "foreign.db").string();
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(foreign.c_str(), &db), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(db, "CREATE TABLE t(x); INSERT INTO t VALUES(1);", nullptr, nullptr, nullptr),
                  SQLITE_OK);
        sqlite3_close(db);
        damaged.push_back(ReadBytes(foreign));
    }
    for (size_t i = 0; i < damaged.size(); ++i) {
        std::string path = (dir_ / ("damaged" + std::to_string(i) + ".db")).string();
        std::ofstream(path, std::ios::binary) << damaged[i];
        vpr::win::SetRegistryFile(path);
        HKEY key = nullptr;
        EXPECT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, "Software\\New", &key), ERROR_BADDB) << i;
        EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software", 0, KEY_READ, &key), ERROR_BADDB) << i;
        EXPECT_EQ(ReadBytes(path), damaged[i]) << i;
    }
}

TEST_F(RegistryTest, StoreFaultsHaveCodesAndWords) {
    RegCloseKey(Create(HKEY_LOCAL_MACHINE, "Software\\Kept"));
    {
        // Another process holds the write lock for the whole busy timeout.
        auto clock = std::make_shared<vpr::win::ManualClock>();
        vpr::win::SetClock(clock);
        sqlite3* other = nullptr;
        ASSERT_EQ(sqlite3_open(file_.c_str(), &other), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
        LONG result = ERROR_SUCCESS;
        std::thread writer([&] {
            HKEY key = nullptr;
            result = RegCreateKeyA(HKEY_LOCAL_MACHINE, "Software\\Late", &key);
        });
        clock->WaitForTimedWaiters(1);
        clock->Advance(vpr::win::kStoreBusyTimeoutMs);
        writer.join();
        vpr::win::SetClock(nullptr);
        sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(other);
        EXPECT_EQ(result, ERROR_LOCK_VIOLATION);
        EXPECT_EQ(vpr::win::RegistryErrorText(result), "the registry file " + file_ + " is locked by another process");
    }
    EXPECT_NE(vpr::win::RegistryErrorText(ERROR_BADDB).find("registry.db is damaged"), std::string::npos);
    EXPECT_NE(vpr::win::RegistryErrorText(ERROR_DISK_FULL).find("the disk is full"), std::string::npos);

    // A read-only file is read, and changes to it are refused.
    fs::permissions(file_, fs::perms::owner_read | fs::perms::group_read);
    vpr::win::SetRegistryFile(file_);
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Kept", 0, KEY_READ, &key), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, "Software\\New", &key), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\New", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
    fs::permissions(file_, fs::perms::owner_read | fs::perms::owner_write);
}

// Strings get their terminating NUL; sizes and counts as Windows sets them.
TEST_F(RegistryTest, ValuesAndSizesAsWindowsAnswers) {
    HKEY key = Create(HKEY_LOCAL_MACHINE, "Exact");
    struct Written {
        const char* name;
        DWORD type;
        std::string data;
        std::string stored;
    } written[] = {
        {"sz", REG_SZ, "abc"s, "abc\0"s},
        {"expand", REG_EXPAND_SZ, "%A%"s, "%A%\0"s},
        {"multi", REG_MULTI_SZ, "a\0b"s, "a\0b\0"s},
        {"terminated", REG_SZ, "abc\0"s, "abc\0"s},
        {"empty", REG_SZ, ""s, ""s},
        {"binary", REG_BINARY, "abc"s, "abc"s},
    };
    for (const Written& w : written) {
        ASSERT_EQ(RegSetValueExA(key, w.name, 0, w.type, reinterpret_cast<const BYTE*>(w.data.data()),
                                 static_cast<DWORD>(w.data.size())),
                  ERROR_SUCCESS);
        char buffer[16];
        DWORD size = sizeof buffer;
        ASSERT_EQ(RegQueryValueExA(key, w.name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size),
                  ERROR_SUCCESS);
        EXPECT_EQ(std::string(buffer, size), w.stored) << w.name;
    }

    // A string stored without its NUL (as a text may bring one) gets one when
    // the buffer has room; the size stays that of the data.
    std::string error;
    ASSERT_EQ(vpr::win::ImportRegistryText("REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\Exact]\r\n\"bare\"=hex(1):61,62\r\n", &error),
              ERROR_SUCCESS) << error;
    char buffer[4] = "xxx";
    DWORD size = 3;
    EXPECT_EQ(RegQueryValueExA(key, "bare", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 2u);
    EXPECT_EQ(std::string(buffer, 3), "ab\0"s);
    std::memcpy(buffer, "xxx", 4);
    size = 2;
    EXPECT_EQ(RegQueryValueExA(key, "bare", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size), ERROR_SUCCESS);
    EXPECT_EQ(std::string(buffer, 3), "abx");

    // A missing value has no size.
    size = 99;
    EXPECT_EQ(RegQueryValueExA(key, "missing", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(size, 0u);

    // Enumeration with a buffer too small: ERROR_MORE_DATA; the data size is
    // told either way, the name's count only when the name fitted.
    struct Enumerated {
        const char* what;
        DWORD nameRoom;
        DWORD dataRoom;
        LONG result;
        DWORD nameCount;
        DWORD dataCount;
    } enumerated[] = {
        {"both fit", 16, 16, ERROR_SUCCESS, 6, 3},  // index 1 is "binary", "abc"
        {"data too small", 16, 2, ERROR_MORE_DATA, 6, 3},
        {"name too small", 6, 16, ERROR_MORE_DATA, 6, 3},
        {"name too small, no data buffer", 3, 0, ERROR_MORE_DATA, 3, 3},
    };
    for (const Enumerated& e : enumerated) {
        char name[16];
        BYTE data[16];
        DWORD nameCount = e.nameRoom, dataCount = e.dataRoom, type = 0;
        LONG result = RegEnumValueA(key, 1, name, &nameCount, nullptr, &type, e.dataRoom ? data : nullptr, &dataCount);
        EXPECT_EQ(result, e.result) << e.what;
        EXPECT_EQ(nameCount, e.nameCount) << e.what;
        EXPECT_EQ(dataCount, e.dataCount) << e.what;
        EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY)) << e.what;
        if (result == ERROR_SUCCESS) {
            EXPECT_STREQ(name, "binary");
        }
    }
    RegCloseKey(key);
}

TEST_F(RegistryTest, KeyCallsAsWindowsAnswers) {
    HKEY parent = Create(HKEY_LOCAL_MACHINE, "Keys");
    // No subkey opens the key itself, in a handle of its own.
    for (const char* none : {static_cast<const char*>(nullptr), ""}) {
        HKEY same = nullptr;
        ASSERT_EQ(RegOpenKeyExA(parent, none, 0, KEY_ALL_ACCESS, &same), ERROR_SUCCESS);
        EXPECT_NE(same, parent);
        ASSERT_EQ(RegSetValueExA(same, "via", 0, REG_SZ, reinterpret_cast<const BYTE*>("x"), 2), ERROR_SUCCESS);
        EXPECT_EQ(RegQueryValueExA(parent, "via", nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
        EXPECT_EQ(RegDeleteValueA(parent, "via"), ERROR_SUCCESS);
        RegCloseKey(same);
    }
    // Making a subkey asks nothing of the parent handle's rights.
    HKEY readOnly = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Keys", 0, KEY_READ, &readOnly), ERROR_SUCCESS);
    HKEY child = nullptr;
    EXPECT_EQ(RegCreateKeyExA(readOnly, "Child", 0, const_cast<char*>("Document"), 0, KEY_ALL_ACCESS, nullptr, &child,
                              nullptr),
              ERROR_SUCCESS);
    RegCloseKey(child);
    // No subkey to delete is a bad parameter, and the key stays.
    EXPECT_EQ(RegDeleteKeyA(readOnly, nullptr), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(SubKeys(parent), std::vector<std::string>{"Child"});
    RegCloseKey(readOnly);

    // The class given at creation.
    ASSERT_EQ(RegOpenKeyExA(parent, "Child", 0, KEY_READ, &child), ERROR_SUCCESS);
    char keyClass[16];
    DWORD classCount = sizeof keyClass;
    EXPECT_EQ(RegQueryInfoKeyA(child, keyClass, &classCount, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                               nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_STREQ(keyClass, "Document");
    EXPECT_EQ(classCount, 8u);
    classCount = 8;
    EXPECT_EQ(RegQueryInfoKeyA(child, keyClass, &classCount, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                               nullptr, nullptr, nullptr),
              ERROR_MORE_DATA);
    EXPECT_EQ(classCount, 8u);
    RegCloseKey(child);
    char name[16];
    DWORD nameCount = sizeof name;
    classCount = sizeof keyClass;
    EXPECT_EQ(RegEnumKeyExA(parent, 0, name, &nameCount, nullptr, keyClass, &classCount, nullptr), ERROR_SUCCESS);
    EXPECT_STREQ(keyClass, "Document");
    RegCloseKey(parent);
}

// RegQueryInfoKeyA's longest lengths: bytes of the ANSI text on 95, bytes of
// UTF-16 on NT, where the registry keeps text that way.
TEST_F(RegistryTest, LongestLengthsCountAsEachPlatformStores) {
    struct Case {
        vpr::machine::Platform platform;
        DWORD subKey, keyClass, valueName, value;
    } cases[] = {
        {vpr::machine::Platform::Win95, 7, 3, 5, 7},
        {vpr::machine::Platform::NT4, 8, 4, 6, 10},
    };
    for (const Case& c : cases) {
        vpr::testing::TempMachine machine(c.platform);
        vpr::win::SetRegistryFile((dir_ / (std::to_string(static_cast<int>(c.platform)) + ".db")).string());
        HKEY key = Create(HKEY_LOCAL_MACHINE, "Lengths");
        HKEY child = nullptr;
        // "Bé😀": 7 bytes of UTF-8, four UTF-16 units.
        ASSERT_EQ(RegCreateKeyExA(key, "B\xC3\xA9\xF0\x9F\x98\x80", 0, const_cast<char*>("C\xC3\xA9"), 0, KEY_ALL_ACCESS,
                                  nullptr, &child, nullptr),
                  ERROR_SUCCESS);
        RegCloseKey(child);
        RegCloseKey(Create(key, "abc"));
        ASSERT_EQ(RegSetValueExA(key, "V\xF0\x9F\x98\x80", 0, REG_SZ, reinterpret_cast<const BYTE*>("\xC3\xA9xyz"), 6),
                  ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueExA(key, "bin", 0, REG_BINARY, reinterpret_cast<const BYTE*>("1234567"), 7),
                  ERROR_SUCCESS);
        DWORD subKey = 0, keyClass = 0, valueName = 0, value = 0;
        ASSERT_EQ(RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, &subKey, &keyClass, nullptr, &valueName,
                                   &value, nullptr, nullptr),
                  ERROR_SUCCESS);
        EXPECT_EQ(subKey, c.subKey);
        EXPECT_EQ(keyClass, c.keyClass);
        EXPECT_EQ(valueName, c.valueName);
        EXPECT_EQ(value, c.value);
        RegCloseKey(key);
        vpr::win::SetRegistryFile(file_);
    }
}

}  // namespace
