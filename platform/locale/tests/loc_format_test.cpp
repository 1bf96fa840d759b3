#include <gtest/gtest.h>

#include <cstring>
#include <ctime>
#include <string>

#include "code_page_scope.h"
#include "vpr/locale/locale.h"

using namespace vpr::locale;

namespace {

// Friday 11 December 2026, 13:05:09, day 345 of the year.
std::tm SampleTime() {
    std::tm time{};
    time.tm_year = 126;
    time.tm_mon = 11;
    time.tm_mday = 11;
    time.tm_hour = 13;
    time.tm_min = 5;
    time.tm_sec = 9;
    time.tm_wday = 5;
    time.tm_yday = 344;
    time.tm_isdst = 0;
    return time;
}

std::string Format(const char* format) {
    constexpr size_t size = 300;
    std::tm time = SampleTime();
    std::string buffer(size, '\x7F');
    size_t length = LocFormat(buffer.data(), size, format, &time);
    std::string text(buffer.c_str());
    EXPECT_EQ(length, text.size()) << format;
    return text;
}

struct FormatCase {
    const char* format;
    const char* expected;
};

TEST(LocFormat, ConversionsGiveTheLocaleTexts) {
    const FormatCase cases[] = {
        {"%x", "12/11/26"},
        {"%X", "13:05:09"},
        {"%c", "Fri Dec 11 13:05:09 2026"},
        {"%Y-%m-%d %H:%M:%S", "2026-12-11 13:05:09"},
        {"%a %A %b %B", "Fri Friday Dec December"},
        {"%I:%M %p", "01:05 PM"},
        {"%j %w %y %e", "345 5 26 11"},
        {"%-d.%-m.", "11.12."},        // flags as the C library takes them
        {"%Ey %Od", "26 11"},          // E and O modifiers
        {"100%%", "100%"},
        {"date: %x.", "date: 12/11/26."},
        {"", ""},
        {"%", "%"},                    // a lone '%' at the end stays
        {"%-", "%-"},                  // so does a cut conversion
    };
    for (const auto& c : cases) EXPECT_EQ(Format(c.format), c.expected) << c.format;
}

// Every conversion letter gives what the C library's strftime gives.
TEST(LocFormat, EachConversionMatchesTheCLibrary) {
    std::tm time = SampleTime();
    for (char letter : std::string("aAbBcCdDeFgGhHIjmMnprRStTuUVwWxXyYzZ%")) {
        const std::string format = std::string("<%") + letter + ">";
        char expected[100];
        size_t length = std::strftime(expected, sizeof expected, format.c_str(), &time);
        ASSERT_GT(length, 0u);
        EXPECT_EQ(Format(format.c_str()), std::string(expected, length)) << format;
    }
}

struct CutCase {
    UINT codePage;
    const char* format;
    size_t size;
    const char* expected;  // what the buffer holds
    size_t answer;         // its length, 0 when the text was cut
};

// A text that does not fit is cut before the first character that would
// overflow, never inside one, and the answer tells that it was cut.
TEST(LocFormat, TextsThatDoNotFitAreCutAtWholeCharacters) {
    const CutCase cases[] = {
        {kCodePageUtf8, "%x", 9, "12/11/26", 8},           // fits exactly
        {kCodePageUtf8, "%x", 8, "12/11/2", 0},
        {kCodePageUtf8, "%c", 31, "Fri Dec 11 13:05:09 2026", 24},
        {kCodePageUtf8, "%Y\xC3\xA9", 6, "2026", 0},       // e acute needs two bytes
        {kCodePageUtf8, "%Y\xC3\xA9", 7, "2026\xC3\xA9", 6},
        {kCodePageUtf8, "\xE2\x82\xAC%d", 3, "", 0},       // euro sign of three bytes
        {kCodePageJapanese, "%Y\x94\x4E", 6, "2026", 0},   // year sign, double-byte
        {kCodePageJapanese, "%Y\x94\x4E", 7, "2026\x94\x4E", 6},
        {kCodePageJapanese, "\x95\x5C%d", 4, "\x95\x5C" "1", 0},  // trail byte '\'
        {kCodePageJapanese, "\x95\x5C%d", 2, "", 0},
        {kCodePageUtf8, "%x", 1, "", 0},
    };
    for (const auto& c : cases) {
        CodePageScope scope(c.codePage);
        std::tm time = SampleTime();
        char buffer[64];
        std::memset(buffer, 0x7F, sizeof buffer);
        size_t length = LocFormat(buffer, c.size, c.format, &time);
        EXPECT_STREQ(buffer, c.expected) << c.format << " in " << c.size;
        EXPECT_EQ(length, c.answer) << c.format << " in " << c.size;
    }
}

TEST(LocFormat, MissingArgumentsWriteNothingOrAnEmptyText) {
    std::tm time = SampleTime();
    char buffer[8] = "keep";
    EXPECT_EQ(LocFormat(buffer, 0, "%x", &time), 0u);
    EXPECT_STREQ(buffer, "keep");
    EXPECT_EQ(LocFormat(nullptr, 8, "%x", &time), 0u);
    EXPECT_EQ(LocFormat(buffer, sizeof buffer, nullptr, &time), 0u);
    EXPECT_STREQ(buffer, "");
    std::strcpy(buffer, "keep");
    EXPECT_EQ(LocFormat(buffer, sizeof buffer, "%x", nullptr), 0u);
    EXPECT_STREQ(buffer, "");
}

}  // namespace
