#include <gtest/gtest.h>

#include "test_ids.h"
#include "vpr/locale/locale.h"
#include "vpr/mfc/string.h"
#include "vpr/testing/temp_machine.h"

namespace {

vpr::machine::CreateOptions CodePage(UINT codePage) {
    vpr::machine::CreateOptions options;
    options.codePage = codePage;
    return options;
}

TEST(CString, AssignsConcatenatesAndCompares) {
    CString a = "App";
    CString b(a);
    b += ":";
    b += CString("Path");
    b += '!';
    EXPECT_STREQ(b, "App:Path!");
    EXPECT_EQ(a + "." + b, CString("App.App:Path!"));
    EXPECT_EQ('x' + a, "xApp");
    EXPECT_TRUE(a != b);
    EXPECT_LT(a.Compare("Apq"), 0);
    EXPECT_EQ(CString(static_cast<LPCSTR>(nullptr)).GetLength(), 0);
    a.Empty();
    EXPECT_TRUE(a.IsEmpty());
}

TEST(CString, FormatsAnyLength) {
    CString text;
    text.Format("Error %d\r\nThe schema on tree \"%s\" could not be updated", -304, "TREE");
    EXPECT_STREQ(text, "Error -304\r\nThe schema on tree \"TREE\" could not be updated");
    std::string longText(5000, 'x');
    text.Format("%s.", longText.c_str());
    EXPECT_EQ(text.GetLength(), 5001);
}

TEST(CString, BufferIsWrittenInPlaceAndReleased) {
    CString text = "abc";
    char* buffer = text.GetBuffer(260);
    std::snprintf(buffer, 261, "C:\\APPS\\WORD.EXE");
    text.ReleaseBuffer();
    EXPECT_STREQ(text, "C:\\APPS\\WORD.EXE");
    text.GetBuffer(0)[2] = '/';
    text.ReleaseBuffer(3);
    EXPECT_STREQ(text, "C:/");
}

TEST(CString, SearchesAndCutsSingleByteText) {
    CString name = "CN.OU.O";
    EXPECT_EQ(name.Find('.'), 2);
    EXPECT_EQ(name.Find('.', 3), 5);
    EXPECT_EQ(name.Find("OU"), 3);
    EXPECT_EQ(name.Find("X"), -1);
    EXPECT_EQ(name.Find('.', 99), -1);
    EXPECT_EQ(name.ReverseFind('.'), 5);
    EXPECT_STREQ(name.Left(2), "CN");
    EXPECT_STREQ(name.Mid(3), "OU.O");
    EXPECT_STREQ(name.Mid(3, 2), "OU");
    EXPECT_STREQ(name.Right(1), "O");
    EXPECT_STREQ(name.Left(99), "CN.OU.O");
    EXPECT_STREQ(name.Mid(99), "");
    EXPECT_STREQ(name.Right(-1), "");
    name.MakeUpper();
    EXPECT_EQ(CString("cn.ou.o").CompareNoCase(name), 0);
}

// In code page 932 the character 0x95 0x5C ends in the byte of '\' and
// 0x83 0x61 in the byte of 'a'.
TEST(CString, NeverSplitsOrMisreadsDoubleByteCharacters) {
    vpr::testing::TempMachine machine(CodePage(vpr::locale::kCodePageJapanese));
    CString path = "C:\\\x95\x5C\\x";  // C:\ <char> \ x
    EXPECT_EQ(path.Find('\\'), 2);
    EXPECT_EQ(path.Find('\\', 3), 5);
    EXPECT_EQ(path.Find('\\', 4), 5);  // a start inside a character skips it
    EXPECT_EQ(path.ReverseFind('\\'), 5);
    EXPECT_EQ(path.Find("\\x"), 5);
    EXPECT_EQ(CString("\x95\x5C" "A").Find("\\A"), -1);

    CString text = "a\x83\x61z";
    EXPECT_STREQ(text.Left(2), "a");          // would cut the character
    EXPECT_STREQ(text.Left(3), "a\x83\x61");
    EXPECT_STREQ(text.Mid(2), "z");           // starts inside the character
    EXPECT_STREQ(text.Mid(1, 1), "");
    EXPECT_STREQ(text.Right(2), "z");
    EXPECT_STREQ(text.Right(3), "\x83\x61z");

    text.MakeUpper();
    EXPECT_STREQ(text, "A\x83\x61Z");  // the trail byte stays
    EXPECT_EQ(text.CompareNoCase("a\x83\x61z"), 0);
    EXPECT_NE(text.CompareNoCase("a\x83\x41z"), 0);
}

TEST(CString, LoadsStringsOfAnyLengthThroughTheResourceHandle) {
    CString text;
    EXPECT_TRUE(text.LoadString(IDS_WHO));
    EXPECT_STREQ(text, "the program");
    EXPECT_TRUE(text.LoadString(IDS_LONG));
    EXPECT_GT(text.GetLength(), 256);
    EXPECT_EQ(text.Right(4), "6789");
    EXPECT_FALSE(text.LoadString(4000));
    EXPECT_TRUE(text.IsEmpty());
}

}  // namespace
