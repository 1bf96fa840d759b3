#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "commdlg.h"
#include "console_file_dialog.h"

namespace fs = std::filesystem;

namespace {

class ConsoleFileDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("vpruser-" + std::to_string(::getpid()));
        fs::create_directories(dir_ / "sub");
        std::ofstream(dir_ / "sub" / "app.qmt") << "x";
        ofn_.lStructSize = sizeof(ofn_);
        ofn_.lpstrFilter = "Application Template (*.QMT)\0*.QMT\0All files (*.*)\0*.*\0";
        ofn_.nFilterIndex = 1;
        ofn_.lpstrFile = file_;
        ofn_.nMaxFile = sizeof(file_);
        ofn_.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_LONGNAMES;
    }
    void TearDown() override { fs::remove_all(dir_); }

    // Runs the console dialog on the given typed input; returns its result and
    // keeps what it printed in prompt_.
    bool Ask(const std::string& typed) {
        FILE* in = fmemopen(const_cast<char*>(typed.data()), typed.size(), "r");
        if (typed.empty()) in = std::fopen("/dev/null", "r");
        char* printed = nullptr;
        size_t printedSize = 0;
        FILE* out = open_memstream(&printed, &printedSize);
        bool chosen = vpr::user::AskOpenFileNameOnConsole(&ofn_, in, out);
        std::fclose(out);
        std::fclose(in);
        prompt_.assign(printed, printedSize);
        std::free(printed);
        return chosen;
    }

    fs::path dir_;
    char file_[64] = "";
    OPENFILENAMEA ofn_{};
    std::string prompt_;
};

TEST_F(ConsoleFileDialogTest, AnExistingFileIsChosenWithItsOffsets) {
    std::string path = (dir_ / "sub" / "app.qmt").string();
    ASSERT_LT(path.size(), sizeof(file_));
    char title[16];
    ofn_.lpstrFileTitle = title;
    ofn_.nMaxFileTitle = sizeof(title);
    ASSERT_TRUE(Ask(path + "\n"));
    EXPECT_EQ(std::string(file_), path);
    EXPECT_EQ(std::string(file_ + ofn_.nFileOffset), "app.qmt");
    EXPECT_EQ(std::string(file_ + ofn_.nFileExtension), "qmt");
    EXPECT_STREQ(title, "app.qmt");
    EXPECT_EQ(prompt_, "Open - Application Template (*.QMT)\nFile name (empty to cancel): ");
}

TEST_F(ConsoleFileDialogTest, EmptyLineOrEndOfInputCancels) {
    EXPECT_FALSE(Ask("\n"));
    EXPECT_FALSE(Ask(""));
    EXPECT_STREQ(file_, "");
}

TEST_F(ConsoleFileDialogTest, MustExistFlagsAskAgain) {
    std::string missingFile = (dir_ / "sub" / "none.qmt").string();
    std::string existing = (dir_ / "sub" / "app.qmt").string();
    ASSERT_TRUE(Ask(missingFile + "\n" + dir_.string() + "\n" + existing + "\n"));
    EXPECT_EQ(std::string(file_), existing);
    EXPECT_NE(prompt_.find(missingFile + "\nFile not found."), std::string::npos);
    EXPECT_NE(prompt_.find(dir_.string() + "\nFile not found."), std::string::npos);

    // Only the path must exist: a new file in an existing folder is fine, one
    // in a missing folder is not.
    ofn_.Flags = OFN_PATHMUSTEXIST;
    std::string missingFolder = (dir_ / "nofolder" / "a.qmt").string();
    ASSERT_TRUE(Ask(missingFolder + "\n" + missingFile + "\n"));
    EXPECT_EQ(std::string(file_), missingFile);
    EXPECT_NE(prompt_.find("The folder does not exist."), std::string::npos);
}

TEST_F(ConsoleFileDialogTest, NameLongerThanTheBufferIsRefused) {
    ofn_.Flags = 0;
    std::string longName(sizeof(file_), 'n');
    EXPECT_FALSE(Ask(longName + "\n\n"));
    EXPECT_NE(prompt_.find("The file name is too long."), std::string::npos);
    EXPECT_STREQ(file_, "");
}

TEST(GetOpenFileNameA, WithoutATerminalAnswersCancel) {
    int saved = ::dup(STDIN_FILENO);
    int null = ::open("/dev/null", O_RDONLY);
    ASSERT_GE(::dup2(null, STDIN_FILENO), 0);
    char file[260] = "";
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.lpstrFile = file;
    ofn.nMaxFile = sizeof(file);
    BOOL chosen = GetOpenFileNameA(&ofn);
    ::dup2(saved, STDIN_FILENO);
    ::close(saved);
    ::close(null);
    EXPECT_FALSE(chosen);
    EXPECT_EQ(CommDlgExtendedError(), 0u);

    ofn.lStructSize = 12;
    EXPECT_FALSE(GetOpenFileNameA(&ofn));
    EXPECT_EQ(CommDlgExtendedError(), static_cast<DWORD>(CDERR_STRUCTSIZE));
    ofn.lStructSize = sizeof(ofn);
    ofn.lpstrFile = nullptr;
    EXPECT_FALSE(GetOpenFileNameA(&ofn));
    EXPECT_EQ(CommDlgExtendedError(), static_cast<DWORD>(CDERR_INITIALIZATION));
}

}  // namespace
