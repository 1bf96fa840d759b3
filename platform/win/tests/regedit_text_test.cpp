#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "vpr/win/file_fault.h"
#include "windows.h"

namespace fs = std::filesystem;
using namespace std::string_literals;

namespace {

class RegeditTextTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("vprregedit-" + std::to_string(::getpid()));
        fs::create_directories(dir_);
        Use("first.db");
    }
    void TearDown() override {
        vpr::win::SetRegistryFile("");
        fs::remove_all(dir_);
    }
    void Use(const char* file) { vpr::win::SetRegistryFile((dir_ / file).string()); }

    static void Set(HKEY root, const char* path, const char* name, DWORD type, const std::string& data) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyA(root, path, &key), ERROR_SUCCESS);
        if (name != nullptr || !data.empty() || type != REG_NONE) {
            ASSERT_EQ(RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                                     static_cast<DWORD>(data.size())),
                      ERROR_SUCCESS);
        }
        RegCloseKey(key);
    }
    static std::string Export(const char* key = "") {
        std::string text;
        EXPECT_EQ(vpr::win::ExportRegistryText(key, &text), ERROR_SUCCESS);
        return text;
    }

    fs::path dir_;
};

TEST_F(RegeditTextTest, WritesEachTypeInItsForm) {
    Set(HKEY_CURRENT_USER, "Software\\Demo", nullptr, REG_SZ, "C:\\Program Files\\\"x\"\0"s);
    Set(HKEY_CURRENT_USER, "Software\\Demo", "Count", REG_DWORD, "\x1f\x00\x00\xa0"s);
    Set(HKEY_CURRENT_USER, "Software\\Demo", "Bytes", REG_BINARY, "\x01\xff"s);
    Set(HKEY_CURRENT_USER, "Software\\Demo", "Path", REG_EXPAND_SZ, "%A%\0"s);
    Set(HKEY_CURRENT_USER, "Software\\Demo", "Say \"hi\"", REG_SZ, ""s);
    Set(HKEY_CURRENT_USER, "Software\\Demo\\Empty", nullptr, REG_NONE, "");
    EXPECT_EQ(Export("hkey_current_user\\SOFTWARE\\demo\\"),
              "REGEDIT4\r\n"
              "\r\n"
              "[HKEY_CURRENT_USER\\Software\\Demo]\r\n"
              "@=\"C:\\\\Program Files\\\\\\\"x\\\"\"\r\n"
              "\"Bytes\"=hex:01,ff\r\n"
              "\"Count\"=dword:a000001f\r\n"
              "\"Path\"=hex(2):25,41,25,00\r\n"
              "\"Say \\\"hi\\\"\"=\"\"\r\n"
              "\r\n"
              "[HKEY_CURRENT_USER\\Software\\Demo\\Empty]\r\n"
              "\r\n");
    std::string text;
    EXPECT_EQ(vpr::win::ExportRegistryText("HKEY_CURRENT_USER\\Software\\Missing", &text), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(vpr::win::ExportRegistryText("HKEY_NOWHERE\\x", &text), ERROR_BADKEY);
}

TEST_F(RegeditTextTest, RoundTripIsExact) {
    std::string big(3000, '\0');
    for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i);
    Set(HKEY_LOCAL_MACHINE, "SOFTWARE\\Maker\\App", nullptr, REG_SZ, "default\0"s);
    Set(HKEY_LOCAL_MACHINE, "SOFTWARE\\Maker\\App", "Back\\slash", REG_SZ, "a\\b\"c\0"s);
    Set(HKEY_LOCAL_MACHINE, "SOFTWARE\\Maker\\App", "NoTerminator", REG_SZ, "abc"s);
    Set(HKEY_LOCAL_MACHINE, "SOFTWARE\\Maker\\App", "Inner NUL", REG_SZ, "a\0b\0"s);
    Set(HKEY_LOCAL_MACHINE, "SOFTWARE\\Maker\\App", "Lines", REG_SZ, "one\r\ntwo\0"s);
    Set(HKEY_LOCAL_MACHINE, "SOFTWARE\\Maker\\App", "Short dword", REG_DWORD, "\x01\x02\x03"s);
    Set(HKEY_LOCAL_MACHINE, "SOFTWARE\\Maker\\App", "Multi", REG_MULTI_SZ, "x\0y\0\0"s);
    Set(HKEY_LOCAL_MACHINE, "SOFTWARE\\Maker\\App", "Big", REG_BINARY, big);
    Set(HKEY_LOCAL_MACHINE, "SOFTWARE\\Maker\\App", "Odd type", 0x1234, "\x80"s);
    Set(HKEY_LOCAL_MACHINE, "SOFTWARE\\Maker\\App", "High bytes \xe9\xe8", REG_SZ, "\xc3\xa9t\xc3\xa9\0"s);
    Set(HKEY_LOCAL_MACHINE, "SOFTWARE\\Maker\\App\\Sub [1]", nullptr, REG_NONE, "");
    Set(HKEY_CLASSES_ROOT, "CLSID\\{5B2D}\\InProcServer32", "ThreadingModel", REG_SZ, "Apartment\0"s);
    Set(HKEY_CURRENT_USER, "Software\\Kalmora", "Empty", REG_SZ, ""s);
    std::string first = Export();

    Use("second.db");
    std::string error;
    ASSERT_EQ(vpr::win::ImportRegistryText(first, &error), ERROR_SUCCESS) << error;
    EXPECT_EQ(Export(), first);
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Maker\\App", 0, KEY_READ, &key), ERROR_SUCCESS);
    std::string data(4000, '\0');
    DWORD type = 0, size = static_cast<DWORD>(data.size());
    ASSERT_EQ(RegQueryValueExA(key, "Big", nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(data.substr(0, size), big);
    RegCloseKey(key);
}

TEST_F(RegeditTextTest, ImportsDeletionsAndContinuedHexLines) {
    Set(HKEY_LOCAL_MACHINE, "SOFTWARE\\Old\\Deep\\Deeper", "v", REG_SZ, "x\0"s);
    Set(HKEY_LOCAL_MACHINE, "SOFTWARE\\Keep", "gone", REG_SZ, "x\0"s);
    std::string error;
    ASSERT_EQ(vpr::win::ImportRegistryText("REGEDIT4\n"
                                           "; a comment\n"
                                           "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Old]\n"
                                           "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Never]\n"
                                           "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Keep]\n"
                                           "\"gone\"=-\n"
                                           "\"list\"=hex(7):61,00,\\\n"
                                           "  62,00,00\n"
                                           "\"n\" = dword:1\n",
                                           &error),
              ERROR_SUCCESS)
        << error;
    EXPECT_EQ(Export("HKEY_LOCAL_MACHINE\\SOFTWARE"),
              "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE]\r\n\r\n"
              "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Keep]\r\n\"list\"=hex(7):61,00,62,00,00\r\n\"n\"=dword:00000001\r\n\r\n");
}

TEST_F(RegeditTextTest, TextWithAnErrorChangesNothing) {
    Set(HKEY_LOCAL_MACHINE, "SOFTWARE\\Before", "v", REG_SZ, "x\0"s);
    std::string before = Export();
    struct Case {
        const char* text;
        const char* message;
    } cases[] = {
        {"[HKEY_LOCAL_MACHINE\\A]\r\n", "line 1: the text does not start with REGEDIT4"},
        {"REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\A]\r\n[HKEY_NOWHERE\\B]\r\n", "line 3: unknown root key"},
        {"REGEDIT4\r\n\"v\"=\"x\"\r\n", "line 2: a value outside a key"},
        {"REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\A]\r\n\"v\"=hex:0g\r\n", "line 3: hex bytes"},
        {"REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\A]\r\n\"v\"=dword:123456789\r\n", "line 3: dword:"},
        {"REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\A]\r\n\"v\"=\"open\r\n", "line 3: a string must end"},
        {"REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\A\r\n", "line 2: a key line must end with ]"},
        {"REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\A]\r\nv=1\r\n", "line 3: a value name must be @"},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_EQ(vpr::win::ImportRegistryText(c.text, &error), ERROR_INVALID_DATA) << c.text;
        EXPECT_EQ(error.rfind(c.message, 0), 0u) << error;
        EXPECT_EQ(Export(), before);
    }
    // A change refused half-way is rolled back as a whole.
    ASSERT_EQ(vpr::win::SetRegistryKeyDeniedAccess(HKEY_LOCAL_MACHINE, "SOFTWARE\\Before", KEY_SET_VALUE),
              ERROR_SUCCESS);
    std::string error;
    EXPECT_EQ(vpr::win::ImportRegistryText("REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\New]\r\n"
                                           "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Before]\r\n\"v\"=\"y\"\r\n",
                                           &error),
              ERROR_ACCESS_DENIED);
    EXPECT_NE(error.find("SOFTWARE\\Before"), std::string::npos) << error;
    EXPECT_EQ(Export(), before);
}

TEST_F(RegeditTextTest, ExportToAFullDiskLeavesTheOldFileWhole) {
    Set(HKEY_LOCAL_MACHINE, "SOFTWARE\\Big", "v", REG_BINARY, std::string(3000, 'x'));
    fs::create_directories(dir_ / "out");
    std::string file = (dir_ / "out" / "big.reg").string();
    std::ofstream(file, std::ios::binary) << "the old export";
    for (uint64_t room : {uint64_t{0}, uint64_t{1000}}) {
        ASSERT_TRUE(vpr::win::InjectFileFault((dir_ / "out").c_str(), vpr::win::FileFault::DiskFull, room));
        std::string error;
        EXPECT_EQ(vpr::win::ExportRegistryFile("HKEY_LOCAL_MACHINE\\SOFTWARE\\Big", file, &error), ERROR_DISK_FULL);
        vpr::win::ClearFileFaults();
        EXPECT_NE(error.find("big.reg: No space left on device"), std::string::npos) << error;
        std::ifstream in(file, std::ios::binary);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "the old export");
        EXPECT_EQ(std::distance(fs::directory_iterator(dir_ / "out"), {}), 1);
    }
    std::string error;
    ASSERT_EQ(vpr::win::ExportRegistryFile("HKEY_LOCAL_MACHINE\\SOFTWARE\\Big", file, &error), ERROR_SUCCESS);
    std::ifstream in(file, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), Export("HKEY_LOCAL_MACHINE\\SOFTWARE\\Big"));
}

// Each text is imported into an empty registry; the key's values after it,
// as exported, or the error that refused the whole text.
TEST_F(RegeditTextTest, ImportReadsTheTextAsRegeditDoes) {
    const std::string head = "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\T]\r\n";
    const std::string key = "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\T]\r\n";
    struct Case {
        const char* what;
        std::string text;
        std::string values;  // lines of [HKEY_LOCAL_MACHINE\T] as exported
    } cases[] = {
        {"continued with blanks around the backslash", head + "\"a\"=hex:01,02, \\  \r\n    03,04\r\n",
         "\"a\"=hex:01,02,03,04\r\n"},
        {"blank and comment lines inside a continuation",
         head + "\"a\"=hex:01,\\\r\n\r\n; between\r\n  02,\\\r\n  03\r\n\"b\"=\"x\"\r\n",
         "\"a\"=hex:01,02,03\r\n\"b\"=\"x\"\r\n"},
        {"a comment after a value", head + "\"d\"=dword:00000010 ; sixteen\r\n\"s\"=\"x;y\" ;c\r\n\"h\"=hex:01 ;c\r\n",
         "\"d\"=dword:00000010\r\n\"h\"=hex:01\r\n\"s\"=\"x;y\"\r\n"},
        {"expandable strings and lists get their NULs",
         head + "\"e\"=hex(2):41,42\r\n\"l\"=hex(7):61,00,62\r\n\"m\"=hex(7):61,00\r\n\"n\"=hex(7):\r\n",
         "\"e\"=hex(2):41,42,00\r\n\"l\"=hex(7):61,00,62,00,00\r\n\"m\"=hex(7):61,00,00\r\n\"n\"=hex(7):\r\n"},
        {"lines ending in a CR alone", "REGEDIT4\r\r[HKEY_LOCAL_MACHINE\\T]\r\"a\"=\"b\"\r\"c\"=hex:01,\\\r  02\r",
         "\"a\"=\"b\"\r\n\"c\"=hex:01,02\r\n"},
        {"values after a deleted key go nowhere",
         head + "\"kept\"=\"1\"\r\n[-HKEY_LOCAL_MACHINE\\T\\Gone]\r\n\"v\"=\"x\"\r\n@=\"y\"\r\n", "\"kept\"=\"1\"\r\n"},
        {"a deletion with a comment", head + "\"v\"=\"x\"\r\n\"v\"=- ;gone\r\n", ""},
    };
    for (const Case& c : cases) {
        Use((std::string("import-") + std::to_string(&c - cases) + ".db").c_str());
        std::string error;
        ASSERT_EQ(vpr::win::ImportRegistryText(c.text, &error), ERROR_SUCCESS) << c.what << ": " << error;
        EXPECT_EQ(Export("HKEY_LOCAL_MACHINE\\T"), key + c.values + "\r\n") << c.what;
    }
}

TEST_F(RegeditTextTest, MalformedTextsAndTextsBeyondWindowsLimitsChangeNothing) {
    Set(HKEY_LOCAL_MACHINE, "SOFTWARE\\Before", "v", REG_SZ, "x\0"s);
    const std::string before = Export();
    const std::string good = "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\New]\r\n\"n\"=\"1\"\r\n";
    std::string deep = "REGEDIT4\r\n[HKEY_LOCAL_MACHINE";
    for (int i = 0; i < 513; ++i) deep += "\\k";
    struct Case {
        const char* what;
        std::string text;
        const char* message;
    } cases[] = {
        {"odd hex digits", good + "\"v\"=hex:0\r\n", "line 4: hex bytes"},
        {"bytes without a comma", good + "\"v\"=hex:01 02\r\n", "line 4: hex bytes are separated"},
        {"an empty dword", good + "\"v\"=dword:\r\n", "line 4: dword:"},
        {"text after a string", good + "\"v\"=\"a\" b\r\n", "line 4: nothing but a comment"},
        {"a broken type", good + "\"v\"=hex(2:41\r\n", "line 4: hex(type): expected"},
        {"a name without its quote", good + "\"v=1\r\n", "line 4: = expected"},
        {"a key name of 256 characters", good + "[HKEY_LOCAL_MACHINE\\" + std::string(256, 'k') + "]\r\n",
         "line 4: the key name"},
        {"a key 513 levels deep", good + deep.substr(10) + "]\r\n", "line 4: the key is 513 levels deep"},
        {"a value name of 16384 characters", good + "\"" + std::string(16384, 'v') + "\"=\"x\"\r\n",
         "line 4: the value name is longer than 16383"},
    };
    for (const Case& c : cases) {
        std::string error;
        EXPECT_EQ(vpr::win::ImportRegistryText(c.text, &error), ERROR_INVALID_DATA) << c.what;
        EXPECT_EQ(error.rfind(c.message, 0), 0u) << c.what << ": " << error;
        EXPECT_EQ(Export(), before) << c.what;
        std::string checked;
        EXPECT_FALSE(vpr::win::CheckRegistryText(c.text, &checked)) << c.what;
        EXPECT_EQ(checked, error) << c.what;
    }
    // At the limits the text is taken.
    std::string error;
    std::string atLimits = good + "[HKEY_LOCAL_MACHINE\\" + std::string(255, 'k') + "]\r\n\"" +
                           std::string(16383, 'v') + "\"=\"x\"\r\n" + deep.substr(10, deep.size() - 12) + "]\r\n";
    EXPECT_EQ(vpr::win::ImportRegistryText(atLimits, &error), ERROR_SUCCESS) << error;
}

// Long hex data: lines of at most 80 columns ending in ",\", the next ones
// starting with two blanks, each line as full as it can be, and the text
// reads back to the same bytes.
TEST_F(RegeditTextTest, ExportWrapsLongDataAt80ColumnsAndReadsBack) {
    for (size_t nameLength : {size_t{1}, size_t{20}, size_t{75}}) {
        for (size_t size : {size_t{0}, size_t{23}, size_t{24}, size_t{25}, size_t{48}, size_t{300}}) {
            std::string what = std::to_string(nameLength) + "/" + std::to_string(size);
            std::string data(size, '\0');
            for (size_t i = 0; i < size; ++i) data[i] = static_cast<char>(i * 37);
            std::string name(nameLength, 'n');
            Use(("wrap-" + what.replace(what.find('/'), 1, "-") + "-a.db").c_str());
            Set(HKEY_LOCAL_MACHINE, "W", name.c_str(), REG_BINARY, data);
            std::string text = Export("HKEY_LOCAL_MACHINE\\W");

            std::string prefix = "\"" + name + "\"=hex:";
            size_t at = text.find(prefix);
            ASSERT_NE(at, std::string::npos) << what;
            for (bool first = true;; first = false) {
                size_t end = text.find("\r\n", at);
                std::string line = text.substr(at, end - at);
                at = end + 2;
                EXPECT_LE(line.size(), first ? std::max<size_t>(80, prefix.size() + 4) : 80u) << what << ": " << line;
                if (!first) {
                    EXPECT_EQ(line.substr(0, 2), "  ") << what;
                }
                if (line.empty() || line.back() != '\\') break;
                EXPECT_EQ(line.substr(line.size() - 2), ",\\") << what;
                EXPECT_GE(line.size(), 78u) << what << ": " << line;  // no room was left for another byte
            }

            Use(("wrap-" + what + "-b.db").c_str());
            std::string error;
            ASSERT_EQ(vpr::win::ImportRegistryText(text, &error), ERROR_SUCCESS) << what << ": " << error;
            EXPECT_EQ(Export("HKEY_LOCAL_MACHINE\\W"), text) << what;
            HKEY key = nullptr;
            ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "W", 0, KEY_READ, &key), ERROR_SUCCESS);
            std::string back(size + 1, 'x');
            DWORD got = static_cast<DWORD>(back.size());
            ASSERT_EQ(RegQueryValueExA(key, name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(back.data()), &got),
                      ERROR_SUCCESS);
            EXPECT_EQ(back.substr(0, got), data) << what;
            RegCloseKey(key);
        }
    }
}

}  // namespace
