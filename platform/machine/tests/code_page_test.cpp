#include <gtest/gtest.h>

#include <string>

#include "vpr/machine/code_page.h"

namespace {

using vpr::machine::CompareNoCase;
using vpr::machine::FoldNoCase;
using vpr::machine::HashNoCase;
using vpr::machine::SameNoCase;

int Sign(int value) { return (value > 0) - (value < 0); }

// The one comparison of names: its order, and folded texts and hashes as map
// keys that agree with it, in each code page.
TEST(CompareNoCase, OrdersNamesAndAgreesWithFoldedKeys) {
    struct Case {
        unsigned codePage;
        std::string a, b;
        int sign;
    };
    const Case cases[] = {
        {65001, "Section", "SECTION", 0},
        {65001, "abc", "abd", -1},
        {65001, "ab", "abc", -1},
        {65001, "_under", "Alpha", -1},                // '_' sorts before letters once they are folded
        {65001, "\xC3\xA9t\xC3\xA9", "\xC3\x89T\xC3\x89", 1},  // no case mapping beyond ASCII in UTF-8
        {1252, "\xC9t\xE9", "\xE9T\xC9", 0},             // Latin-1 letters fold
        {1252, "\x8A", "\x9A", 0},
        {932, "\x83\x41", "\x83\x61", -1},             // a trail byte is never folded
        {932, "A\x83\x41", "a\x83\x41", 0},
        {932, "\x83", "\x83\x41", -1},                 // a lead byte alone at the end
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.a + " / " + c.b + " in " + std::to_string(c.codePage));
        EXPECT_EQ(Sign(CompareNoCase(c.a, c.b, c.codePage)), c.sign);
        EXPECT_EQ(Sign(CompareNoCase(c.b, c.a, c.codePage)), -c.sign);
        EXPECT_EQ(SameNoCase(c.a, c.b, c.codePage), c.sign == 0);
        EXPECT_EQ(FoldNoCase(c.a, c.codePage) == FoldNoCase(c.b, c.codePage), c.sign == 0);
        EXPECT_EQ(HashNoCase(c.a, c.codePage) == HashNoCase(c.b, c.codePage), c.sign == 0);
    }
}

}  // namespace
