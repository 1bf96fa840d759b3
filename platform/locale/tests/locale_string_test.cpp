#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "vpr/locale/locale.h"
#include "code_page_scope.h"

using namespace vpr::locale;

namespace {

TEST(CodePage, WithoutAMachineTheProcessSpeaksUtf8) {
    EXPECT_EQ(CurrentCodePage(), kCodePageUtf8);
    {
        CodePageScope scope(kCodePageJapanese);
    }
    EXPECT_EQ(CurrentCodePage(), kCodePageUtf8);
}

struct StepCase {
    UINT codePage;
    const char* text;
    size_t firstCharBytes;
};

TEST(KMNextChar, StepsWholeCharactersAndStopsAtTheEnd) {
    const StepCase cases[] = {
        {kCodePageUtf8, "a", 1},
        {kCodePageUtf8, "\xC3\xA9x", 2},            // e acute
        {kCodePageUtf8, "\xE2\x82\xAC", 3},         // euro sign
        {kCodePageUtf8, "\xF0\x9F\x98\x80", 4},     // four-byte character
        {kCodePageUtf8, "\xC3x", 1},                // broken sequence: one byte
        {kCodePageUtf8, "\xE2\x82", 1},             // cut short by the end
        {kCodePageLatin1, "\xC3\xA9", 1},           // single-byte page
        {kCodePageJapanese, "\x95\x5C" "a", 2},     // lead byte and trail '\'
        {kCodePageJapanese, "\xE0\x40", 2},
        {kCodePageJapanese, "\xB1x", 1},            // half-width katakana
        {kCodePageJapanese, "\x95", 1},             // lead byte before the NUL
        {kCodePageUtf8, "", 0},
    };
    for (const auto& c : cases) {
        CodePageScope scope(c.codePage);
        EXPECT_EQ(KMNextChar(c.text), c.text + c.firstCharBytes)
            << "code page " << c.codePage << " text " << c.text;
    }
}

TEST(KMLstrrchr, FindsTheLastWholeCharacter) {
    const char* path = "dir.x/name.tar.qmt";
    EXPECT_EQ(KMLstrrchr(path, '.'), path + std::strlen("dir.x/name.tar"));
    EXPECT_EQ(KMLstrrchr(path, '\\'), nullptr);
    EXPECT_EQ(KMLstrrchr("", '.'), nullptr);

    const char* euro = "a\xE2\x82\xAC" "b\xE2\x82\xAC";
    EXPECT_EQ(KMLstrrchr(euro, 0xE282AC), euro + 5);
}

TEST(KMLstrrchr, NeverTakesA932TrailByteForASeparator) {
    CodePageScope scope(kCodePageJapanese);
    // 0x95 0x5C is one character whose trail byte is '\'.
    const char* name = "C:\\dir\\\x95\x5C.qmt";
    EXPECT_EQ(KMLstrrchr(name, '\\'), name + 6);
    EXPECT_EQ(KMLstrrchr(name, 0x955C), name + 7);
    const char* onlyTrail = "\x95\x5C\x95\x5C";
    EXPECT_EQ(KMLstrrchr(onlyTrail, '\\'), nullptr);
}

TEST(KMLstrrchr, ReadsTheSameBytesAsSingleBytesIn1252) {
    CodePageScope scope(kCodePageLatin1);
    const char* name = "\x95\x5C";
    EXPECT_EQ(KMLstrrchr(name, '\\'), name + 1);
}

TEST(KMLstrupr, FoldsWholeCharactersOfTheCodePage) {
    struct Case {
        UINT codePage;
        const char* text;
        const char* upper;
    } cases[] = {
        {kCodePageUtf8, "setup.exe", "SETUP.EXE"},
        {kCodePageUtf8, "", ""},
        {kCodePageUtf8, "caf\xC3\xA9", "CAF\xC3\xA9"},        // UTF-8: ASCII letters only
        {kCodePageLatin1, "caf\xE9", "CAF\xC9"},              // an ASCII start, then Latin-1
        {kCodePageLatin1, "\xFF\x9A", "\x9F\x8A"},
        {kCodePageJapanese, "ab\x83\x61z", "AB\x83\x61Z"},    // the trail byte 'a' stays
    };
    for (const auto& c : cases) {
        CodePageScope scope(c.codePage);
        std::string text = c.text;
        EXPECT_EQ(KMLstrupr(text.data()), text.data());
        EXPECT_EQ(text, c.upper) << "code page " << c.codePage << " text " << c.text;
    }
}

TEST(LocFindChar, GivesTheOffsetsOfTheFirstAndLastWholeCharacter) {
    CodePageScope scope(kCodePageJapanese);
    // The 932 character 0x95 0x5C has a backslash for its trail byte: no separator.
    const char* path = "\x95\x5C" "a\\b\\\x95\x5C";
    EXPECT_EQ(LocFindChar(path, '\\'), 3);
    EXPECT_EQ(LocFindLastChar(path, '\\'), 5);
    EXPECT_EQ(LocFindChar("\x95\x5C", '\\'), -1);
    EXPECT_EQ(LocFindLastChar("", '%'), -1);
    EXPECT_EQ(LocFindChar("50%%", '%'), 2);
}

struct CompareCase {
    UINT codePage;
    const char* first;
    const char* second;
    int sign;  // -1, 0 or 1
};

int Sign(int value) { return (value > 0) - (value < 0); }

TEST(KMLstricmp, ComparesWithoutRegardToCaseByCodePage) {
    const CompareCase cases[] = {
        {kCodePageUtf8, ".QMT", ".qmt", 0},
        {kCodePageUtf8, ".qmt", ".QMTX", -1},
        {kCodePageUtf8, "b", "A", 1},
        {kCodePageUtf8, "", "", 0},
        {kCodePageUtf8, "\xC3\xA9", "\xC3\x89", 1},      // UTF-8: ASCII case only
        {kCodePageLatin1, "\xE9", "\xC9", 0},            // e acute, Latin-1 mapping
        {kCodePageLatin1, "\x9A", "\x8A", 0},            // s caron
        {kCodePageLatin1, "\xFF", "\x9F", 0},            // y diaeresis
        {kCodePageLatin1, "\xF7", "\xD7", 1},            // division / multiplication signs
        {kCodePageJapanese, "\x83\x41", "\x83\x61", -1}, // trail bytes 'A' and 'a' differ
        {kCodePageJapanese, "\x83\x41" "A", "\x83\x41" "a", 0},
        // An ASCII start, then the code page's own characters.
        {kCodePageLatin1, "Caf\xE9", "cAF\xC9", 0},
        {kCodePageLatin1, "ab", "a\xE9", -1},
        {kCodePageJapanese, "ab\x83\x41", "AB\x83\x61", -1},
        {kCodePageUtf8, "x\xC3\xA9", "X\xC3\xA9", 0},
        {kCodePageUtf8, "abc", "ABCD", -1},
        {kCodePageJapanese, "\x95\x5C", "\x95", 1},
    };
    for (const auto& c : cases) {
        CodePageScope scope(c.codePage);
        EXPECT_EQ(Sign(KMLstricmp(c.first, c.second)), c.sign)
            << "code page " << c.codePage << " [" << c.first << "] [" << c.second << "]";
        EXPECT_EQ(Sign(KMLstricmp(c.second, c.first)), -c.sign);
    }
}

TEST(KMLstrchr, FindsTheFirstWholeCharacter) {
    CodePageScope scope(kCodePageJapanese);
    const char* name = "\x95\x5C" "a\\b\\";
    EXPECT_EQ(KMLstrchr(name, '\\'), name + 3);
    EXPECT_EQ(KMLstrchr(name, 0x955C), name);
    EXPECT_EQ(KMLstrchr(name, 'z'), nullptr);
}

TEST(KMLstrstr, MatchesOnlyOnCharacterBoundaries) {
    CodePageScope scope(kCodePageJapanese);
    // "\x5C" "A" appears inside the text, but its '\' is a trail byte there.
    const char* text = "\x95\x5C" "A\\A";
    EXPECT_EQ(KMLstrstr(text, "\\A"), text + 3);
    EXPECT_EQ(KMLstrstr(text, "\x95\x5C"), text);
    EXPECT_EQ(KMLstrstr(text, ""), text);
    EXPECT_EQ(KMLstrstr(text, "B"), nullptr);
    EXPECT_EQ(KMLstrstr("", "B"), nullptr);
}

TEST(KMLstrupr, UpperCasesSingleByteCharactersOnly) {
    const struct {
        UINT codePage;
        const char* text;
        const char* upper;
    } cases[] = {
        {kCodePageUtf8, "abc.qmt", "ABC.QMT"},
        {kCodePageUtf8, "\xC3\xA9x", "\xC3\xA9X"},        // UTF-8: ASCII only
        {kCodePageLatin1, "\xE9\x9A\xFF\xF7", "\xC9\x8A\x9F\xF7"},
        {kCodePageJapanese, "\x83\x61" "a", "\x83\x61" "A"},  // trail 'a' stays
    };
    for (const auto& c : cases) {
        CodePageScope scope(c.codePage);
        char buffer[32];
        std::strcpy(buffer, c.text);
        EXPECT_STREQ(KMLstrupr(buffer), c.upper) << "code page " << c.codePage;
    }
}

// The shell extension's names for the same steps: a host path whose
// double-byte character has a lower-case trail byte keeps that byte, and the
// walk of a padded tree name steps over the character whole.
TEST(LocUpperCase, UpperCasesAPathAndLocNextCharStepsWholeCharacters) {
    CodePageScope scope(kCodePageJapanese);
    char path[] = "c:\\\x83\x65xplorer.exe";
    EXPECT_STREQ(LocUpperCase(path), "C:\\\x83\x65XPLORER.EXE");
    EXPECT_EQ(std::strstr(path, "EXPLORER.EXE"), nullptr);
    const char* name = "\x95\x5C_";
    EXPECT_EQ(LocNextChar(name), name + 2);
    EXPECT_EQ(LocNextChar(name + 3), name + 3);
}

}  // namespace

namespace {

TEST(KMPrevChar, StepsBackOverWholeCharacters) {
    CodePageScope scope(kCodePageJapanese);
    const char* text = "a\x95\x5C" "b";
    EXPECT_EQ(KMPrevChar(text, text + 4), text + 3);  // from the NUL to 'b'
    EXPECT_EQ(KMPrevChar(text, text + 3), text + 1);  // over the double-byte character
    EXPECT_EQ(KMPrevChar(text, text + 2), text + 1);  // inside it: its own start
    EXPECT_EQ(KMPrevChar(text, text + 1), text);
    EXPECT_EQ(KMPrevChar(text, text), text);
}

TEST(KMCharVal, ReadsTheWholeCharacter) {
    struct ValueCase {
        UINT codePage;
        const char* text;
        UINT value;
    };
    const ValueCase cases[] = {
        {kCodePageJapanese, "\x95\x5C", 0x955C}, {kCodePageJapanese, "\\x", '\\'},
        {kCodePageLatin1, "\x95\x5C", 0x95},     {kCodePageUtf8, "\xE2\x82\xAC", 0xE282AC},
        {kCodePageUtf8, "", 0},
    };
    for (const auto& c : cases) {
        CodePageScope scope(c.codePage);
        EXPECT_EQ(KMCharVal(c.text), c.value) << c.codePage;
    }
}

TEST(KMstrncpy, CopiesWholeCharactersAndTerminates) {
    CodePageScope scope(kCodePageJapanese);
    struct Case {
        size_t count;
        const char* copied;
    };
    const Case cases[] = {
        {1, ""}, {2, "a"}, {3, "a"}, {4, "a\x95\x5C"}, {5, "a\x95\x5C" "b"}, {50, "a\x95\x5C" "b"},
    };
    for (const Case& c : cases) {
        char buffer[8];
        std::memset(buffer, 'X', sizeof buffer);
        EXPECT_EQ(KMstrncpy(buffer, "a\x95\x5C" "b", c.count), buffer);
        EXPECT_STREQ(buffer, c.copied) << c.count;
    }
    char untouched[2] = "Q";
    KMstrncpy(untouched, "abc", 0);
    EXPECT_STREQ(untouched, "Q");
}

TEST(KMLsetlocale, NamesTheMachinesCodePageAndRefusesOthers) {
    CodePageScope scope(kCodePageJapanese);
    for (const char* name : {static_cast<const char*>(nullptr), "", ".ACP", ".932"})
        EXPECT_STREQ(KMLsetlocale(0, name), ".932") << (name ? name : "(null)");
    EXPECT_EQ(KMLsetlocale(0, ".1252"), nullptr);
    EXPECT_EQ(KMLsetlocale(0, "German"), nullptr);
    EXPECT_EQ(KMLsetlocale(6, ""), nullptr);
}

}  // namespace
