// The string routines on double-byte text (code page 932, whose trail bytes
// include '\') and on texts past 255 bytes.
#include <gtest/gtest.h>

#include "snapshot/engine/mb_strings.h"
#include "vpr/testing/temp_machine.h"

namespace snapshot {
namespace {

class MBStringsTest : public ::testing::Test {
protected:
    explicit MBStringsTest(unsigned codePage = 932) : machine_(Options(codePage)) { MBStringsInit(); }
    ~MBStringsTest() override { MBStringsInit(); }

    static vpr::machine::CreateOptions Options(unsigned codePage) {
        vpr::machine::CreateOptions options;
        options.codePage = codePage;
        return options;
    }

    vpr::testing::TempMachine machine_;
};

// "C:\" then the character 0x95 0x5C (its trail byte is '\'), "\a.b".
const std::string kPath = "C:\\\x95\x5C\\a.b";

TEST_F(MBStringsTest, ExtractsNeverTakeATrailByteForABackslash) {
    struct Case {
        std::string path, dir, name, ext;
    };
    const Case cases[] = {
        {kPath, "C:\\\x95\x5C", "a.b", ".b"},
        {"C:\\\x95\x5C", "C:", "\x95\x5C", ""},
        {"C:\\dir.x\\file", "C:\\dir.x", "file", ""},
        {"a.b.swp", "", "a.b.swp", ".swp"},
        {"C:\\dir\\", "C:\\dir", "", ""},
        {"", "", "", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MBExtractFileDir(c.path), c.dir) << c.path;
        EXPECT_EQ(MBExtractFileName(c.path), c.name) << c.path;
        EXPECT_EQ(MBExtractFileExt(c.path), c.ext) << c.path;
    }
}

TEST_F(MBStringsTest, PositionsInsideACharacterRaiseEMBIndex) {
    EXPECT_TRUE(MBHasLeadBytes());
    EXPECT_EQ(MBCopy(kPath, 4, 2), "\x95\x5C");
    EXPECT_EQ(MBCopy(kPath, 6, 100), "\\a.b");  // cut at the end
    EXPECT_EQ(MBCopy(kPath, 50, 2), "");
    try {
        MBCopy(kPath, 5, 2);  // starts on the trail byte
        FAIL() << "no EMBIndex";
    } catch (const EMBIndex& error) {
        EXPECT_STREQ(error.what(), "String index is not on a character boundary.");
    }
    EXPECT_THROW(MBCopy(kPath, 1, 4), EMBIndex);  // ends inside the character
    std::string text = kPath;
    EXPECT_THROW(MBDelete(text, 5, 1), EMBIndex);
    EXPECT_EQ(text, kPath);
    MBDelete(text, 4, 3);
    EXPECT_EQ(text, "C:\\a.b");
}

TEST_F(MBStringsTest, CountsAndPicksWholeCharacters) {
    EXPECT_EQ(MBLength(kPath), 8u);
    EXPECT_EQ(MBCopyChars(kPath, 4, 2), "\x95\x5C\\");
    EXPECT_EQ(MBCopyChars(kPath, 7, 10), ".b");
    EXPECT_EQ(MBLastChar("a\x95\x5C"), "\x95\x5C");
    EXPECT_EQ(MBLastChar(""), "");
    EXPECT_EQ(MBPos("\\", kPath), 3u);
    EXPECT_EQ(MBPos("\\a", kPath), 6u);  // the trail byte before it is no match
    EXPECT_EQ(MBPos("x", kPath), 0u);
    EXPECT_EQ(MBPos("", kPath), 0u);
    EXPECT_EQ(MBUpperCase("c:\\\x95\x5C\\a.b"), "C:\\\x95\x5C\\A.B");
}

// A typed path has no length limit.
TEST_F(MBStringsTest, TextsLongerThan255BytesStayWhole) {
    std::string folder = "C:";
    while (folder.size() < 400) folder += "\\\x95\x5C" "folder";
    std::string path = folder + "\\template.qmt";
    EXPECT_EQ(MBExtractFileDir(path), folder);
    EXPECT_EQ(MBExtractFileName(path), "template.qmt");
    EXPECT_EQ(MBExtractFileExt(path), ".qmt");
    EXPECT_EQ(MBCopy(path, 1, folder.size()), folder);
    EXPECT_EQ(MBLastChar(path), "t");
}

class MBStringsLatin1Test : public MBStringsTest {
protected:
    MBStringsLatin1Test() : MBStringsTest(1252) {}
};

// A single-byte code page has no lead bytes: every byte is a character.
TEST_F(MBStringsLatin1Test, EveryByteIsABoundary) {
    EXPECT_FALSE(MBHasLeadBytes());
    EXPECT_EQ(MBCopy(kPath, 5, 2), "\x5C\\");
    EXPECT_EQ(MBLength(kPath), 9u);
}

}  // namespace
}  // namespace snapshot
