// Outputs written whole or not at all, and the journal's lines kept whole.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "vpr/machine/atomic_file.h"
#include "vpr/machine/machine.h"

namespace fs = std::filesystem;
using vpr::machine::AtomicFile;
using vpr::machine::WriteFileAtomically;

namespace {

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// A disk with `left` bytes free for every file written through the helper.
uint64_t g_left = 0;
uint64_t LimitedDisk(const std::string&, uint64_t bytes) {
    uint64_t fits = bytes < g_left ? bytes : g_left;
    g_left -= fits;
    return fits;
}

class AtomicFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "vpr-atomic-test-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
    }
    void TearDown() override {
        vpr::machine::SetWriteLimit(nullptr);
        fs::remove_all(dir_);
    }
    void FullDiskAfter(uint64_t bytes) {
        g_left = bytes;
        vpr::machine::SetWriteLimit(&LimitedDisk);
    }
    // Names in the folder, so that a left-over temporary file shows.
    std::vector<std::string> Names(const fs::path& folder) {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    fs::path dir_;
};

TEST_F(AtomicFileTest, ReplacesTheFileWholeAndKeepsItsMode) {
    fs::path file = dir_ / "out.txt";
    std::ofstream(file) << "old content";
    ::chmod(file.c_str(), 0640);
    std::string error;
    ASSERT_TRUE(WriteFileAtomically(file.string(), "new", &error)) << error;
    EXPECT_EQ(ReadAll(file), "new");
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(Names(dir_), std::vector<std::string>{"out.txt"});

    // A file dropped before its commit changes nothing.
    {
        AtomicFile dropped(file.string());
        ASSERT_TRUE(dropped.Open() && dropped.Write("never"));
    }
    EXPECT_EQ(ReadAll(file), "new");
    EXPECT_EQ(Names(dir_), std::vector<std::string>{"out.txt"});

    // Through a link the file it names is replaced, and the link stays.
    fs::create_symlink(file, dir_ / "link.txt");
    ASSERT_TRUE(WriteFileAtomically((dir_ / "link.txt").string(), "via link", &error)) << error;
    EXPECT_TRUE(fs::is_symlink(dir_ / "link.txt"));
    EXPECT_EQ(ReadAll(file), "via link");
}

TEST_F(AtomicFileTest, AFailureLeavesTheOldFileWholeAndNoTemporaryFile) {
    const std::string old = "the old file, whole";
    const std::string text(5000, 'x');
    struct Case {
        const char* what;
        std::function<bool(const std::string& path, std::string* error)> write;
    } cases[] = {
        {"whole content", [&](const std::string& path, std::string* error) {
             return WriteFileAtomically(path, text, error);
         }},
        {"in pieces", [&](const std::string& path, std::string* error) {
             AtomicFile file(path);
             bool ok = file.Open();
             for (size_t at = 0; ok && at < text.size(); at += 700) ok = file.Write(text.substr(at, 700));
             ok = ok && file.Commit();
             *error = file.ErrorText();
             return ok;
         }},
    };
    for (const Case& c : cases) {
        for (uint64_t room : {uint64_t{0}, uint64_t{1}, uint64_t{4096}, text.size() - 1}) {
            fs::path file = dir_ / "out.txt";
            std::ofstream(file, std::ios::trunc) << old;
            FullDiskAfter(room);
            std::string error;
            EXPECT_FALSE(c.write(file.string(), &error)) << c.what << " " << room;
            EXPECT_NE(error.find("No space left on device"), std::string::npos) << c.what << ": " << error;
            EXPECT_EQ(ReadAll(file), old) << c.what << " " << room;
            EXPECT_EQ(Names(dir_), std::vector<std::string>{"out.txt"}) << c.what << " " << room;
            vpr::machine::SetWriteLimit(nullptr);
        }
    }
}

TEST_F(AtomicFileTest, RefusalsAndDevices) {
    std::string error;
    // No folder, a folder in the way, a file the user may not write.
    EXPECT_FALSE(WriteFileAtomically((dir_ / "none" / "x").string(), "x", &error));
    EXPECT_NE(error.find("No such file or directory"), std::string::npos) << error;
    fs::create_directories(dir_ / "folder");
    EXPECT_FALSE(WriteFileAtomically((dir_ / "folder").string(), "x", &error));
    EXPECT_TRUE(fs::is_directory(dir_ / "folder"));
    // A device is written in place, never replaced.
    EXPECT_TRUE(WriteFileAtomically("/dev/null", "gone", &error)) << error;
    EXPECT_FALSE(WriteFileAtomically("/dev/full", "never", &error));
    EXPECT_NE(error.find("No space left on device"), std::string::npos) << error;
    struct stat st {};
    ASSERT_EQ(::stat("/dev/full", &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode));
}

TEST_F(AtomicFileTest, MachineOutputsUnderAFullDisk) {
    std::string root = (dir_ / "m").string();
    std::string error;
    ASSERT_TRUE(vpr::machine::CreateMachine(root, {}, &error)) << error;
    vpr::machine::Machine m;
    ASSERT_TRUE(vpr::machine::LoadMachine(root, &m, &error)) << error;
    ASSERT_TRUE(m.Record("first", "line", &error)) << error;
    std::string ini = ReadAll(m.IniFile());
    std::string journal = ReadAll(m.JournalFile());

    // machine.ini: the facts are saved whole or the old file stays.
    m.computerName = "RENAMED";
    FullDiskAfter(20);
    EXPECT_FALSE(m.Save(&error));
    EXPECT_NE(error.find("machine.ini"), std::string::npos) << error;
    EXPECT_EQ(ReadAll(m.IniFile()), ini);

    // The journal: a line that does not fit is taken back out.
    FullDiskAfter(3);
    EXPECT_FALSE(m.Record("second", "a line longer than what fits", &error));
    EXPECT_NE(error.find("No space left on device"), std::string::npos) << error;
    EXPECT_EQ(ReadAll(m.JournalFile()), journal);
    vpr::machine::SetWriteLimit(nullptr);
    ASSERT_TRUE(m.Record("third", "fits", &error)) << error;
    EXPECT_EQ(m.ReadJournal().size(), 2u);

    // A new machine that cannot be written whole leaves nothing behind.
    FullDiskAfter(100);
    EXPECT_FALSE(vpr::machine::CreateMachine((dir_ / "n").string(), {}, &error));
    EXPECT_TRUE(fs::is_empty(dir_ / "n"));
}

}  // namespace
