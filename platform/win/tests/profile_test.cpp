#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "vpr/testing/child_processes.h"
#include "windows.h"

namespace fs = std::filesystem;
using namespace std::string_literals;

namespace {

class ProfileTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("vprini-" + std::to_string(::getpid()));
        fs::create_directories(dir_);
        path_ = (dir_ / "test.ini").string();
    }
    void TearDown() override { fs::remove_all(dir_); }

    void WriteFile(const std::string& text) const {
        std::ofstream(path_, std::ios::binary) << text;
    }
    std::string ReadFile() const {
        std::ifstream in(path_, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    std::string Get(const char* section, const char* key, const char* fallback = "") const {
        char buffer[256];
        DWORD n = GetPrivateProfileStringA(section, key, fallback, buffer, sizeof buffer, path_.c_str());
        EXPECT_EQ(n, std::strlen(buffer));
        return buffer;
    }

    fs::path dir_;
    std::string path_;
};

const char kSample[] =
    "; comment before any section\r\n"
    "orphan=outside\r\n"
    "[Main]\r\n"
    "  Name = Alpha  \r\n"
    "name=second\n"
    "Quoted=\"  spaced  \"\r\n"
    "Single='x'\r\n"
    "Mismatch=\"x'\r\n"
    "a line without equals\r\n"
    ";Hidden=1\r\n"
    "Empty=\r\n"
    "  [ Other ]  trailing text\r\n"
    "Name=beta\r\n"
    "[main]\r\n"
    "Extra=from the second header\r\n";

TEST_F(ProfileTest, ReadsValuesByTheWindowsRules) {
    WriteFile(kSample);
    struct Case {
        const char* section;
        const char* key;
        const char* fallback;
        const char* expected;
    } cases[] = {
        {"Main", "Name", "", "Alpha"},            // blanks trimmed, first match wins
        {"MAIN", "nAmE", "", "Alpha"},            // case does not count
        {"Main", "Quoted", "", "  spaced  "},     // one pair of quotes removed
        {"Main", "Single", "", "x"},
        {"Main", "Mismatch", "", "\"x'"},         // quotes that do not pair stay
        {"Main", "Empty", "dflt", ""},            // an empty value is a value
        {"Main", "a line without equals", "dflt", "dflt"},
        {"Main", ";Hidden", "dflt", "dflt"},      // comments are not keys
        {"Main", "Extra", "", "from the second header"},
        {"Other", "Name", "", "beta"},
        {"Other", "Missing", "dflt  ", "dflt"},   // the default loses trailing blanks
        {"Nowhere", "Name", nullptr, ""},
        {"", "orphan", "dflt", "dflt"},           // keys before any section are not read
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Get(c.section, c.key, c.fallback), c.expected) << c.section << "/" << c.key;
    }
}

TEST_F(ProfileTest, ListsSectionsAndKeysAsNulSeparatedLists) {
    WriteFile(kSample);
    char buffer[256];
    DWORD n = GetPrivateProfileStringA(nullptr, nullptr, "dflt", buffer, sizeof buffer, path_.c_str());
    EXPECT_EQ(std::string(buffer, n + 1), "Main\0Other\0\0"s);
    n = GetPrivateProfileStringA("main", nullptr, "dflt", buffer, sizeof buffer, path_.c_str());
    EXPECT_EQ(std::string(buffer, n + 1), "Name\0Quoted\0Single\0Mismatch\0Empty\0Extra\0\0"s);
    n = GetPrivateProfileStringA("Nowhere", nullptr, "dflt", buffer, sizeof buffer, path_.c_str());
    EXPECT_EQ(n, 0u);
    EXPECT_EQ(buffer[0], '\0');
}

TEST_F(ProfileTest, CutsWhatDoesNotFitTheBuffer) {
    WriteFile("[s]\r\nkey=Alpha\r\n[second]\r\n");
    char buffer[16];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(GetPrivateProfileStringA("s", "key", "", buffer, 3, path_.c_str()), 2u);
    EXPECT_STREQ(buffer, "Al");
    EXPECT_EQ(GetPrivateProfileStringA("s", "key", "", buffer, 6, path_.c_str()), 5u);
    EXPECT_STREQ(buffer, "Alpha");
    // A cut list still ends in two NULs and counts nSize - 2.
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(GetPrivateProfileStringA(nullptr, nullptr, "", buffer, 6, path_.c_str()), 4u);
    EXPECT_EQ(std::string(buffer, 6), "s\0se\0\0"s);
    EXPECT_EQ(GetPrivateProfileStringA(nullptr, nullptr, "", buffer, 1, path_.c_str()), 0u);
    EXPECT_EQ(buffer[0], '\0');
    EXPECT_EQ(GetPrivateProfileStringA("s", "key", "", buffer, 0, path_.c_str()), 0u);
}

TEST_F(ProfileTest, MissingFileGivesTheDefaultAndCreatesNothing) {
    EXPECT_EQ(Get("s", "k", "fallback"), "fallback");
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(GetPrivateProfileIntA("s", "k", 17, path_.c_str()), 17u);
    EXPECT_TRUE(WritePrivateProfileStringA("s", "k", nullptr, path_.c_str()));
    EXPECT_TRUE(WritePrivateProfileStringA("s", nullptr, nullptr, path_.c_str()));
    EXPECT_FALSE(fs::exists(path_));
}

TEST_F(ProfileTest, ReadsIntegers) {
    struct Case {
        const char* text;
        UINT expected;
    } cases[] = {
        {"42", 42},       {"  7", 7},        {"+5", 5},  {"-3", static_cast<UINT>(-3)},
        {"0x1F", 31},     {"0X10", 16},      {"12abc", 12}, {"abc", 0},
        {"", 0},          {"\"9\"", 9},      {"0x", 0},  {"4294967295", 4294967295u},
    };
    for (const auto& c : cases) {
        WriteFile(std::string("[s]\r\nk=") + c.text + "\r\n");
        EXPECT_EQ(GetPrivateProfileIntA("s", "k", 99, path_.c_str()), c.expected) << c.text;
    }
    EXPECT_EQ(GetPrivateProfileIntA("s", "absent", 99, path_.c_str()), 99u);
}

TEST_F(ProfileTest, WritesChangeOnlyTheLinesConcerned) {
    const std::string before =
        "; keep me\n"
        "[First]\n"
        "Key = old\n"
        "free text line\n"
        "Other=1\n"
        "\n"
        "; about Second\n"
        "[Second]\n"
        "X=1";
    struct Case {
        const char* section;
        const char* key;
        const char* value;
        std::string expected;
    } cases[] = {
        {"FIRST", "key", "new",
         "; keep me\n[First]\nKey=new\nfree text line\nOther=1\n\n; about Second\n[Second]\nX=1"},
        {"first", "Added", "v",
         "; keep me\n[First]\nKey = old\nfree text line\nOther=1\nAdded=v\r\n\n; about Second\n[Second]\nX=1"},
        {"Second", "Y", "2",
         "; keep me\n[First]\nKey = old\nfree text line\nOther=1\n\n; about Second\n[Second]\nX=1\r\nY=2\r\n"},
        {"Third", "Z", "3",
         "; keep me\n[First]\nKey = old\nfree text line\nOther=1\n\n; about Second\n[Second]\nX=1\r\n"
         "[Third]\r\nZ=3\r\n"},
        {"First", "Other", nullptr,
         "; keep me\n[First]\nKey = old\nfree text line\n\n; about Second\n[Second]\nX=1"},
        // The section runs up to the next header, comments and blank lines included.
        {"first", nullptr, nullptr, "; keep me\n[Second]\nX=1"},
    };
    for (const auto& c : cases) {
        WriteFile(before);
        EXPECT_TRUE(WritePrivateProfileStringA(c.section, c.key, c.value, path_.c_str()));
        EXPECT_EQ(ReadFile(), c.expected) << c.section << "/" << (c.key ? c.key : "(null)");
    }
}

TEST_F(ProfileTest, DeletesEveryCopyOfAKeyAndSection) {
    WriteFile("[A]\r\nk=1\r\nK=2\r\n[B]\r\nk=3\r\n[a]\r\nk=4\r\nj=5\r\n");
    EXPECT_TRUE(WritePrivateProfileStringA("a", "K", nullptr, path_.c_str()));
    EXPECT_EQ(ReadFile(), "[A]\r\n[B]\r\nk=3\r\n[a]\r\nj=5\r\n");
    EXPECT_TRUE(WritePrivateProfileStringA("A", nullptr, nullptr, path_.c_str()));
    EXPECT_EQ(ReadFile(), "[B]\r\nk=3\r\n");
}

TEST_F(ProfileTest, CreatesTheFileAndReportsAFailedWrite) {
    EXPECT_TRUE(WritePrivateProfileStringA("New", "Key", "Value", path_.c_str()));
    EXPECT_EQ(ReadFile(), "[New]\r\nKey=Value\r\n");

    std::string noFolder = (dir_ / "missing" / "x.ini").string();
    EXPECT_FALSE(WritePrivateProfileStringA("s", "k", "v", noFolder.c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));

    // A folder in place of the file cannot be written.
    std::string folder = (dir_ / "folder.ini").string();
    fs::create_directory(folder);
    EXPECT_FALSE(WritePrivateProfileStringA("s", "k", "v", folder.c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

TEST_F(ProfileTest, ProcessesWritingAtOnceLoseNothing) {
    constexpr int kWriters = 8;
    constexpr int kKeys = 40;
    ASSERT_TRUE(vpr::testing::RunInChildProcesses(kWriters, [&](int w) {
        bool ok = true;
        for (int k = 0; k < kKeys; ++k) {
            std::string key = "w" + std::to_string(w) + "k" + std::to_string(k);
            ok = WritePrivateProfileStringA(k % 2 ? "Odd" : "Even", key.c_str(), key.c_str(), path_.c_str()) && ok;
            // Read back at once, while the others keep writing.
            ok = Get(k % 2 ? "Odd" : "Even", key.c_str()) == key && ok;
        }
        return ok;
    }));
    for (int w = 0; w < kWriters; ++w) {
        for (int k = 0; k < kKeys; ++k) {
            std::string key = "w" + std::to_string(w) + "k" + std::to_string(k);
            EXPECT_EQ(Get(k % 2 ? "Odd" : "Even", key.c_str()), key);
        }
    }
}

// A process keeps a parsed copy of each file it reads; a change by another
// process, even one of the same size, is seen by the next read, and the
// process's own writes are read back at once.
TEST_F(ProfileTest, ParsedCopySeesAnotherProcesssWrite) {
    WriteFile("[Main]\r\nName=Alpha\r\n");
    // Past the tick of the file system's clock, so that the copy is kept.
    usleep(50'000);
    EXPECT_EQ(Get("Main", "Name"), "Alpha");
    EXPECT_EQ(Get("Main", "Name"), "Alpha");
    ASSERT_TRUE(vpr::testing::RunInChildProcesses(1, [&](int) {
        return WritePrivateProfileStringA("Main", "Name", "Gamma", path_.c_str()) == TRUE;
    }));
    EXPECT_EQ(Get("Main", "Name"), "Gamma");
    usleep(50'000);
    EXPECT_EQ(Get("Main", "Name"), "Gamma");
    ASSERT_TRUE(vpr::testing::RunInChildProcesses(1, [&](int) {
        return WritePrivateProfileStringA("Main", "Other", "1", path_.c_str()) == TRUE;
    }));
    EXPECT_EQ(Get("Main", "Other"), "1");
    // A child that reads, writes and reads again, each time its parent's copy is settled.
    ASSERT_TRUE(vpr::testing::RunInChildProcesses(1, [&](int) {
        bool ok = Get("Main", "Name") == "Gamma" && Get("Main", "Name") == "Gamma";
        ok = WritePrivateProfileStringA("Main", "Name", "Kappa", path_.c_str()) && ok;
        return Get("Main", "Name") == "Kappa" && Get("Main", "Other") == "1" && ok;
    }));
    EXPECT_EQ(Get("Main", "Name"), "Kappa");
    usleep(50'000);
    EXPECT_EQ(Get("Main", "Name"), "Kappa");
    ASSERT_TRUE(vpr::testing::RunInChildProcesses(1, [&](int) {
        return WritePrivateProfileStringA("Main", "Name", "Gamma", path_.c_str()) == TRUE;
    }));
    EXPECT_EQ(Get("Main", "Name"), "Gamma");
    // Replaced by another file under the same name.
    usleep(50'000);
    EXPECT_EQ(Get("Main", "Name"), "Gamma");
    std::string other = path_ + ".new";
    std::ofstream(other, std::ios::binary) << "[Main]\r\nName=Delta\r\nOther=1\r\n";
    fs::rename(other, path_);
    EXPECT_EQ(Get("Main", "Name"), "Delta");
    // Our own writes.
    ASSERT_TRUE(WritePrivateProfileStringA("Main", "Name", "Omega", path_.c_str()));
    EXPECT_EQ(Get("Main", "Name"), "Omega");
    ASSERT_TRUE(WritePrivateProfileStringA("Main", "Name", nullptr, path_.c_str()));
    EXPECT_EQ(Get("Main", "Name", "none"), "none");
    EXPECT_EQ(ReadFile(), "[Main]\r\nOther=1\r\n");
    // Gone altogether.
    fs::remove(path_);
    EXPECT_EQ(Get("Main", "Other", "none"), "none");
}

// A copy read through a folder answers for the path, not for the folder: when
// a folder on the way is renamed and another put in its place, or the file is
// written over in place with as many bytes, the next read sees the new file.
TEST_F(ProfileTest, ParsedCopyFollowsThePathNotTheFolder) {
    fs::create_directories(dir_ / "a" / "b");
    std::string path = (dir_ / "a" / "b" / "deep.ini").string();
    auto get = [&](const char* key) {
        char buffer[64];
        GetPrivateProfileStringA("Main", key, "none", buffer, sizeof buffer, path.c_str());
        return std::string(buffer);
    };
    std::ofstream(path, std::ios::binary) << "[Main]\r\nName=Alpha\r\n";
    usleep(50'000);
    EXPECT_EQ(get("Name"), "Alpha");
    EXPECT_EQ(get("Name"), "Alpha");
    fs::rename(dir_ / "a", dir_ / "moved");
    EXPECT_EQ(get("Name"), "none");
    fs::create_directories(dir_ / "a" / "b");
    std::ofstream(path, std::ios::binary) << "[Main]\r\nName=Delta\r\n";
    EXPECT_EQ(get("Name"), "Delta");
    EXPECT_EQ(get("Name"), "Delta");
    usleep(50'000);
    EXPECT_EQ(get("Name"), "Delta");
    std::ofstream(path, std::ios::binary) << "[Main]\r\nName=Omega\r\n";
    EXPECT_EQ(get("Name"), "Omega");
    // The folder that was moved away is no longer the path's.
    std::ofstream((dir_ / "moved" / "b" / "deep.ini").string(), std::ios::binary) << "[Main]\r\nName=Sigma\r\n";
    EXPECT_EQ(get("Name"), "Omega");
}

// Lines that end in a CR alone read as lines, and a write changes only its own.
TEST_F(ProfileTest, BareCarriageReturnFilesAreReadAndWrittenAsLines) {
    WriteFile("[One]\rName=Alpha\rOther=1\r[Two]\rName=beta\r");
    EXPECT_EQ(Get("One", "Name"), "Alpha");
    EXPECT_EQ(Get("One", "Other"), "1");
    EXPECT_EQ(Get("Two", "Name"), "beta");
    char buffer[64];
    DWORD n = GetPrivateProfileStringA(nullptr, nullptr, "", buffer, sizeof buffer, path_.c_str());
    EXPECT_EQ(std::string(buffer, n + 1), "One\0Two\0\0"s);

    EXPECT_TRUE(WritePrivateProfileStringA("One", "Name", "new", path_.c_str()));
    EXPECT_EQ(ReadFile(), "[One]\rName=new\rOther=1\r[Two]\rName=beta\r");
    EXPECT_TRUE(WritePrivateProfileStringA("Two", "Added", "2", path_.c_str()));
    EXPECT_EQ(ReadFile(), "[One]\rName=new\rOther=1\r[Two]\rName=beta\rAdded=2\r\n");
    EXPECT_EQ(Get("Two", "Name"), "beta");
    EXPECT_EQ(Get("Two", "Added"), "2");
    EXPECT_TRUE(WritePrivateProfileStringA("One", "Other", nullptr, path_.c_str()));
    EXPECT_EQ(ReadFile(), "[One]\rName=new\r[Two]\rName=beta\rAdded=2\r\n");
}

// The section calls, with the buffer rules: a list that does not fit keeps
// its whole entries, ends in two NULs and counts nSize - 2.
TEST_F(ProfileTest, SectionCallsAnswerAsWindowsDoes) {
    WriteFile("[S]\r\n  a = 1  \r\n; a comment\r\n\r\n\"q\"=\"x y\"\r\n plain text \r\n[T]\r\nb=2\r\n[s]\r\nc=3\r\n");
    const std::string lines = "a=1\0\"q\"=\"x y\"\0plain text\0c=3\0\0"s;  // 30 bytes
    const std::string names = "S\0T\0\0"s;
    struct Case {
        const char* what;
        const char* section;  // nullptr: the section names
        DWORD size;
        DWORD count;
        std::string buffer;  // the whole buffer after the call ('x': untouched)
    } cases[] = {
        {"lines, room to spare", "s", 33, 29, lines + "xxx"},
        {"lines, exact fit", "S", 30, 29, lines},
        {"lines, one byte short", "S", 29, 27, "a=1\0\"q\"=\"x y\"\0plain text\0\0\0\0\0"s},
        {"lines, room for the first", "S", 6, 4, "a=1\0\0\0"s},
        {"lines, room for none", "S", 4, 2, "\0\0\0\0"s},
        {"lines, two bytes", "S", 2, 0, "\0\0"s},
        {"lines, one byte", "S", 1, 0, "\0"s},
        {"no such section", "None", 2, 0, "\0\0"s},
        {"names, room to spare", nullptr, 5, 4, names},
        {"names, one byte short", nullptr, 4, 2, "S\0\0\0"s},
    };
    for (const Case& c : cases) {
        char buffer[80];
        std::memset(buffer, 'x', sizeof buffer);
        DWORD count = c.section ? GetPrivateProfileSectionA(c.section, buffer, c.size, path_.c_str())
                                : GetPrivateProfileSectionNamesA(buffer, c.size, path_.c_str());
        EXPECT_EQ(count, c.count) << c.what;
        ASSERT_EQ(c.buffer.size(), c.size) << c.what;
        EXPECT_EQ(std::string(buffer, c.size), c.buffer) << c.what;
        EXPECT_EQ(buffer[c.size], 'x') << c.what;  // nothing past the buffer
    }
    // No buffer, no size, no section: nothing.
    char buffer[8] = "xxxxxxx";
    EXPECT_EQ(GetPrivateProfileSectionA("S", nullptr, 8, path_.c_str()), 0u);
    EXPECT_EQ(GetPrivateProfileSectionA("S", buffer, 0, path_.c_str()), 0u);
    EXPECT_EQ(buffer[0], 'x');
    EXPECT_EQ(GetPrivateProfileSectionNamesA(nullptr, 8, path_.c_str()), 0u);
    EXPECT_EQ(GetPrivateProfileSectionA(nullptr, buffer, sizeof buffer, path_.c_str()), 0u);
    EXPECT_EQ(std::string(buffer, 2), "\0\0"s);
    // A missing file is an empty list.
    std::string missing = (dir_ / "missing.ini").string();
    EXPECT_EQ(GetPrivateProfileSectionNamesA(buffer, sizeof buffer, missing.c_str()), 0u);
    EXPECT_EQ(std::string(buffer, 2), "\0\0"s);
}

TEST_F(ProfileTest, WritingASectionGivesItExactlyTheseLines) {
    const std::string before = "[A]\r\nold=1\r\n; note\r\n\r\n[B]\r\nb=2\r\n[a]\r\nlater=3\r\n";
    struct Case {
        const char* what;
        const char* section;
        const char* list;  // NUL-separated, ending in a second NUL; nullptr deletes
        BOOL result;
        std::string after;
    } cases[] = {
        {"replaced, the later copy removed", "a", "x=1\0y = 2\0\0", TRUE,
         "[A]\r\nx=1\r\ny = 2\r\n\r\n[B]\r\nb=2\r\n"},
        {"emptied", "A", "\0", TRUE, "[A]\r\n\r\n[B]\r\nb=2\r\n"},
        {"made at the end", "C", "c=3\0\0", TRUE, before + "[C]\r\nc=3\r\n"},
        {"deleted", "a", nullptr, TRUE, "[B]\r\nb=2\r\n"},
        {"no section", nullptr, "x=1\0\0", FALSE, before},
    };
    for (const Case& c : cases) {
        WriteFile(before);
        EXPECT_EQ(WritePrivateProfileSectionA(c.section, c.list, path_.c_str()), c.result) << c.what;
        EXPECT_EQ(ReadFile(), c.after) << c.what;
    }
    WriteFile(before);
    ASSERT_TRUE(WritePrivateProfileSectionA("A", "k=v\0\0", path_.c_str()));
    EXPECT_EQ(Get("a", "k"), "v");
    EXPECT_EQ(Get("a", "later", "gone"), "gone");
    // A file is made for a new section.
    std::string fresh = (dir_ / "fresh.ini").string();
    EXPECT_TRUE(WritePrivateProfileSectionA("N", "n=1\0\0", fresh.c_str()));
    std::ifstream in(fresh, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "[N]\r\nn=1\r\n");
}

// The request to flush (no section) on a file with nothing in it.
TEST_F(ProfileTest, NoSectionOnAMissingOrEmptyFileIsFileNotFound) {
    SetLastError(0);
    EXPECT_FALSE(WritePrivateProfileStringA(nullptr, nullptr, nullptr, path_.c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(fs::exists(path_));
    WriteFile("");
    EXPECT_FALSE(WritePrivateProfileStringA(nullptr, "k", "v", path_.c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(ReadFile(), "");
    WriteFile("[s]\r\nk=v\r\n");
    EXPECT_TRUE(WritePrivateProfileStringA(nullptr, nullptr, nullptr, path_.c_str()));
    EXPECT_FALSE(WritePrivateProfileStringA(nullptr, "k", "v", path_.c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(ReadFile(), "[s]\r\nk=v\r\n");
}

}  // namespace
