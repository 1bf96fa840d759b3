#include <gtest/gtest.h>

#include <fstream>

#include "items/shortcut_path.h"
#include "vpr/testing/temp_machine.h"

namespace {

TEST(CleanFileName, KeepsPlainNamesAndReplacesWhatAFileNameMayNotHold) {
    vpr::testing::TempMachine machine;
    const struct {
        const char* display;
        const char* file;
    } cases[] = {
        {"Word Pad", "Word Pad"},
        {"..\\..\\WINDOWS\\win", ".._.._WINDOWS_win"},
        {"a/b:c*d?e\"f<g>h|i", "a_b_c_d_e_f_g_h_i"},
        {"tab\there", "tab_here"},
        {"C:\\AUTOEXEC", "C__AUTOEXEC"},
        {"...", "..."},
        {"", ""},
        {".", ""},
        {"..", ""},
    };
    for (const auto& c : cases) EXPECT_STREQ(CleanFileName(c.display), c.file) << c.display;
    EXPECT_STREQ(CleanFileName(nullptr), "");
}

TEST(CleanFileName, KeepsATrailByteThatLooksLikeASeparator) {
    vpr::machine::CreateOptions options;
    options.codePage = 932;
    vpr::testing::TempMachine machine(options);
    // 0x95 0x5C is one character of code page 932; the lone \ after it is not.
    EXPECT_STREQ(CleanFileName("\x95\x5C\\x"), "\x95\x5C_x");
}

class ShortcutPathTest : public ::testing::Test {
protected:
    void Write(const char* path, const char* text) { std::ofstream(machine_.HostPath(path)) << text; }
    vpr::testing::TempMachine machine_;
    const char* desktop_ = "C:\\WINDOWS\\Desktop";
};

TEST_F(ShortcutPathTest, TakesTheFirstNameThatIsFreeOrAlreadyTheShortcut) {
    CString path;
    BOOL exists = TRUE;
    auto never = [](LPCSTR) { return FALSE; };
    ASSERT_TRUE(FindShortcutPath(desktop_, "Calc", never, path, exists));
    EXPECT_STREQ(path, "C:\\WINDOWS\\Desktop\\Calc.lnk");
    EXPECT_FALSE(exists);

    // Another file of that name is never overwritten.
    Write("C:\\WINDOWS\\Desktop\\Calc.lnk", "someone else's");
    Write("C:\\WINDOWS\\Desktop\\Calc (2).lnk", "someone else's too");
    ASSERT_TRUE(FindShortcutPath(desktop_, "Calc", never, path, exists));
    EXPECT_STREQ(path, "C:\\WINDOWS\\Desktop\\Calc (3).lnk");
    EXPECT_FALSE(exists);

    // The shortcut wanted is found where it is.
    auto second = [](LPCSTR p) { return CString(p) == "C:\\WINDOWS\\Desktop\\Calc (2).lnk" ? TRUE : FALSE; };
    ASSERT_TRUE(FindShortcutPath(desktop_, "Calc", second, path, exists));
    EXPECT_STREQ(path, "C:\\WINDOWS\\Desktop\\Calc (2).lnk");
    EXPECT_TRUE(exists);
}

TEST_F(ShortcutPathTest, RefusesANameWithNothingLeft) {
    CString path = "left over";
    BOOL exists = TRUE;
    auto never = [](LPCSTR) { return FALSE; };
    EXPECT_FALSE(FindShortcutPath(desktop_, "..", never, path, exists));
    EXPECT_TRUE(path.IsEmpty());
    EXPECT_FALSE(exists);
    // A name that would leave the folder stays in it.
    ASSERT_TRUE(FindShortcutPath(desktop_, "..\\Start Menu\\x", never, path, exists));
    EXPECT_STREQ(path, "C:\\WINDOWS\\Desktop\\.._Start Menu_x.lnk");
}

}  // namespace
