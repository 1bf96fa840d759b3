#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "vpr/win/memory_file.h"
#include "windows.h"

namespace fs = std::filesystem;
using vpr::win::HandleTable;
using vpr::win::MemoryFile;

namespace {

class HostFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("vprwin-" + std::to_string(::getpid()));
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string PathOf(const char* name) const { return (dir_ / name).string(); }

    fs::path dir_;
};

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST_F(HostFileTest, WriteSeekReadAndTruncateByZeroByteWrite) {
    std::string path = PathOf("a.bin");
    HFILE f = _lcreat(path.c_str(), 0);
    ASSERT_NE(f, HFILE_ERROR);
    EXPECT_EQ(_lwrite(f, "hello world", 11), 11u);
    EXPECT_EQ(_llseek(f, 0, FILE_END), 11);
    EXPECT_EQ(_llseek(f, 6, FILE_BEGIN), 6);
    char buf[16] = {};
    EXPECT_EQ(_lread(f, buf, sizeof buf), 5u);
    EXPECT_STREQ(buf, "world");
    // Overwrite inside what the read buffer holds, then read it back.
    EXPECT_EQ(_llseek(f, 0, FILE_BEGIN), 0);
    EXPECT_EQ(_lwrite(f, "J", 1), 1u);
    EXPECT_EQ(_llseek(f, -1, FILE_CURRENT), 0);
    EXPECT_EQ(_lread(f, buf, 5), 5u);
    EXPECT_EQ(std::string(buf, 5), "Jello");
    // A zero-byte write cuts the file where the position stands.
    EXPECT_EQ(_lwrite(f, "", 0), 0u);
    EXPECT_EQ(_lclose(f), 0);
    EXPECT_EQ(ReadAll(path), "Jello");
}

TEST_F(HostFileTest, LcreatEmptiesAnExistingFile) {
    std::string path = PathOf("b.bin");
    std::ofstream(path) << "old contents";
    HFILE f = _lcreat(path.c_str(), 0);
    ASSERT_NE(f, HFILE_ERROR);
    EXPECT_EQ(_lclose(f), 0);
    EXPECT_EQ(fs::file_size(path), 0u);
}

TEST_F(HostFileTest, ReadOnlyOpenRefusesWrites) {
    std::string path = PathOf("c.bin");
    std::ofstream(path) << "data";
    HFILE f = _lopen(path.c_str(), OF_READ);
    ASSERT_NE(f, HFILE_ERROR);
    EXPECT_EQ(_lwrite(f, "x", 1), static_cast<UINT>(HFILE_ERROR));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(_lclose(f), 0);
    EXPECT_EQ(ReadAll(path), "data");
}

TEST_F(HostFileTest, ReadsLargerThanTheBufferAndAcrossItsEdge) {
    std::string path = PathOf("big.bin");
    std::string data(200000, '\0');
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 7);
    std::ofstream(path, std::ios::binary) << data;
    HFILE f = _lopen(path.c_str(), OF_READ);
    ASSERT_NE(f, HFILE_ERROR);
    std::string got(data.size(), '\0');
    // Small read, then one that crosses the read-ahead edge, then a large one.
    ASSERT_EQ(_lread(f, got.data(), 10), 10u);
    ASSERT_EQ(_lread(f, got.data() + 10, 70000), 70000u);
    ASSERT_EQ(_lread(f, got.data() + 70010, 200000), 200000u - 70010u);
    EXPECT_EQ(got, data);
    EXPECT_EQ(_lread(f, got.data(), 1), 0u);
    EXPECT_EQ(_lclose(f), 0);
}

TEST(FileErrors, MissingFilesAndBadHandles) {
    // A missing file in a missing folder is a missing path, as on Windows.
    EXPECT_EQ(_lopen("/nonexistent-vpr/x.qmt", OF_READ), HFILE_ERROR);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(_lcreat("/nonexistent-vpr/dir/x.qmt", 0), HFILE_ERROR);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(_lopen("/tmp/nonexistent-vpr.qmt", OF_READ), HFILE_ERROR);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(_lopen("", OF_READ), HFILE_ERROR);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));

    char buf[4];
    EXPECT_EQ(_lread(12345, buf, 4), static_cast<UINT>(HFILE_ERROR));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(_lclose(12345), HFILE_ERROR);
    EXPECT_EQ(_llseek(12345, 0, FILE_BEGIN), HFILE_ERROR);
}

TEST(FileErrors, ErrnoMapsToWindowsCodes) {
    struct Case {
        int err;
        DWORD code;
    } cases[] = {
        {0, ERROR_SUCCESS},          {ENOENT, ERROR_FILE_NOT_FOUND},
        {ENOTDIR, ERROR_PATH_NOT_FOUND}, {EACCES, ERROR_ACCESS_DENIED},
        {EEXIST, ERROR_ALREADY_EXISTS},  {ENOSPC, ERROR_DISK_FULL},
        {ENOTEMPTY, ERROR_DIR_NOT_EMPTY}, {EBADF, ERROR_INVALID_HANDLE},
        {ENOMEM, ERROR_NOT_ENOUGH_MEMORY}, {EMFILE, ERROR_TOO_MANY_OPEN_FILES},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(vpr::win::ErrorFromErrno(c.err), c.code) << "errno " << c.err;
    }
    vpr::win::SetLastErrorFromErrno(EACCES);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

TEST(MemoryFileTest, CapacityGivesShortWritesAndKeepsWhatFit) {
    auto file = std::make_shared<MemoryFile>();
    file->SetCapacity(10);
    HFILE f = MemoryFile::Open(file);
    EXPECT_EQ(_lwrite(f, "12345678", 8), 8u);
    EXPECT_EQ(_lwrite(f, "abcdef", 6), 2u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DISK_FULL));
    EXPECT_EQ(_lwrite(f, "z", 1), static_cast<UINT>(HFILE_ERROR));
    EXPECT_EQ(_lclose(f), 0);
    EXPECT_TRUE(file->closed());
    auto contents = file->Contents();
    EXPECT_EQ(std::string(contents.begin(), contents.end()), "12345678ab");
}

TEST(MemoryFileTest, InjectedReadAndWriteFaults) {
    auto file = std::make_shared<MemoryFile>(std::vector<uint8_t>{'a', 'b', 'c', 'd', 'e'});
    file->FailReadsAfter(3);
    HFILE f = MemoryFile::Open(file);
    char buf[8];
    EXPECT_EQ(_lread(f, buf, 2), 2u);
    EXPECT_EQ(_lread(f, buf, 2), 1u);  // crosses the fault: only the byte before it
    EXPECT_EQ(_lread(f, buf, 2), static_cast<UINT>(HFILE_ERROR));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_READ_FAULT));

    file->FailWritesAfter(1);
    EXPECT_EQ(_llseek(f, 0, FILE_END), 5);
    EXPECT_EQ(_lwrite(f, "xy", 2), 1u);
    EXPECT_EQ(_lwrite(f, "z", 1), static_cast<UINT>(HFILE_ERROR));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_WRITE_FAULT));
    EXPECT_EQ(_lclose(f), 0);
    EXPECT_EQ(file->Contents().size(), 6u);
}

TEST(MemoryFileTest, SeekRulesAndTruncation) {
    auto file = std::make_shared<MemoryFile>(std::vector<uint8_t>(8, 'x'));
    HFILE f = MemoryFile::Open(file);
    EXPECT_EQ(_llseek(f, -1, FILE_BEGIN), HFILE_ERROR);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NEGATIVE_SEEK));
    EXPECT_EQ(_llseek(f, 3, FILE_BEGIN), 3);
    EXPECT_EQ(_lwrite(f, "", 0), 0u);
    EXPECT_EQ(file->Contents().size(), 3u);
    // Writing past the end fills the gap with zeros.
    EXPECT_EQ(_llseek(f, 5, FILE_BEGIN), 5);
    EXPECT_EQ(_lwrite(f, "y", 1), 1u);
    EXPECT_EQ(file->Contents(), (std::vector<uint8_t>{'x', 'x', 'x', 0, 0, 'y'}));
    EXPECT_EQ(_lclose(f), 0);
}

TEST(HandleTableTest, ValuesAreNotReusedAtOnce) {
    size_t before = HandleTable::Instance().Count();
    auto file = std::make_shared<MemoryFile>();
    HFILE first = MemoryFile::Open(file);
    EXPECT_EQ(_lclose(first), 0);
    HFILE second = MemoryFile::Open(file);
    EXPECT_NE(first, second);
    EXPECT_GT(first, 0);
    EXPECT_EQ(_lclose(second), 0);
    EXPECT_EQ(_lclose(second), HFILE_ERROR);
    EXPECT_EQ(HandleTable::Instance().Count(), before);
}

}  // namespace
