#include <gtest/gtest.h>

#include <cstring>

#include "vpr/locale/locale.h"
#include "vpr/testing/temp_machine.h"
#include "vpr/win/error.h"

using namespace vpr::locale;

namespace {

struct WideCase {
    UINT codePage;
    const char* bytes;
    std::u16string wide;
};

// Each text converts both ways in its code page.
TEST(WideText, TextsConvertBothWaysInEachCodePage) {
    const WideCase cases[] = {
        {65001, "abc", u"abc"},
        {65001, "\xC3\xA9t\xC3\xA9", u"\u00E9t\u00E9"},
        {65001, "\xE2\x82\xAC", u"\u20AC"},
        {65001, "\xF0\x9F\x98\x80", u"\U0001F600"},
        {1252, "\x80\xE9\x9F", u"\u20AC\u00E9\u0178"},
        {1252, "\x81", u"\u0081"},
        {932, "\x95\x5C", u"\u8868"},  // a trail byte that is a backslash
        {932, "a\x82\xA0" "b", u"a\u3042b"},
        {932, "\xB1", u"\uFF71"},  // half-width katakana, one byte
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes);
        EXPECT_EQ(ToWide(c.bytes, c.codePage), c.wide);
        EXPECT_EQ(FromWide(c.wide, c.codePage), c.bytes);
    }
}

TEST(WideText, KernelCallsCountTheNulAndRefuseSmallBuffers) {
    WCHAR wide[8] = {};
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "ab\xC3\xA9", -1, nullptr, 0), 4);
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "ab\xC3\xA9", -1, wide, 8), 4);
    EXPECT_EQ(std::u16string(wide), u"ab\u00E9");
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "abcd", 2, wide, 8), 2);
    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "abcd", -1, wide, 3), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(MultiByteToWideChar(437, 0, "a", -1, wide, 8), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

    char text[8] = {};
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"\u00E9x", -1, nullptr, 0, nullptr, nullptr), 4);
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"\u00E9x", -1, text, 8, nullptr, nullptr), 4);
    EXPECT_STREQ(text, "\xC3\xA9x");
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"x", -1, text, 8, "?", nullptr), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST(WideText, BadBytesAndMissingCharactersAreReplacedOrRefused) {
    EXPECT_EQ(ToWide("a\xC3", 65001), u"a\uFFFD");
    EXPECT_EQ(ToWide("\xC0\xAF", 65001), u"\uFFFD\uFFFD");  // an overlong '/'
    EXPECT_EQ(ToWide("\xED\xA0\x80", 65001).substr(0, 1), u"\uFFFD");  // a surrogate
    WCHAR wide[8];
    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(65001, MB_ERR_INVALID_CHARS, "a\xC3", 2, wide, 8), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION));

    bool usedDefault = false;
    EXPECT_EQ(FromWide(u"a\u3042", 1252, &usedDefault), "a?");
    EXPECT_TRUE(usedDefault);
    char text[8] = {};
    BOOL used = FALSE;
    EXPECT_EQ(WideCharToMultiByte(932, 0, u"\u00E9", 1, text, 8, "*", &used), 1);
    EXPECT_EQ(text[0], '*');
    EXPECT_TRUE(used);
}

TEST(WideText, TheAnsiCodePageIsTheMachines) {
    vpr::machine::CreateOptions options;
    options.codePage = 932;
    vpr::testing::TempMachine machine(options);
    EXPECT_EQ(ToWide("\x95\x5C"), u"\u8868");
    WCHAR wide[4] = {};
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "\x95\x5C", -1, wide, 4), 2);
    EXPECT_EQ(wide[0], u'\u8868');
}

}  // namespace
