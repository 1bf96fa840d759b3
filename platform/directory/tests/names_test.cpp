#include <gtest/gtest.h>

#include "vpr/directory/client.h"
#include "vpr/directory/names.h"

namespace vpr::directory {
namespace {

struct NameCase {
    const char* text;
    const char* context;  // complete name, "" for the root
    const char* full;     // nullptr: malformed
};

TEST(NamesTest, ParseCompletesRelativeNamesAndRefusesMalformedOnes) {
    const NameCase cases[] = {
        {"jdoe.sales.acme", "", "jdoe.sales.acme"},
        {".jdoe.sales.acme", "sales.acme", "jdoe.sales.acme"},
        {"jdoe", "sales.acme", "jdoe.sales.acme"},
        {"jdoe.sales", "acme", "jdoe.sales.acme"},
        {"CN=jdoe.OU=sales.O=acme", "", "jdoe.sales.acme"},
        {"[Root]", "sales.acme", "[Root]"},
        {".[Root]", "", "[Root]"},
        {"", "", nullptr},
        {".", "", nullptr},
        {"a..b", "", nullptr},
        {"jdoe.", "", nullptr},
        {"a+b.acme", "", nullptr},
        {"a=b.acme", "", nullptr},
        {" jdoe.acme", "", nullptr},
        {"[Public]", "", nullptr},
        {"tab\tname", "", nullptr},
    };
    for (const NameCase& c : cases) {
        NameParts context, parsed;
        if (*c.context) {
            ASSERT_EQ(ParseName(std::string(".") + c.context, {}, &context), DIR_SUCCESS);
        }
        int status = ParseName(c.text, context, &parsed);
        if (!c.full) {
            EXPECT_EQ(status, DIR_ERR_BAD_NAME) << '"' << c.text << '"';
            continue;
        }
        ASSERT_EQ(status, DIR_SUCCESS) << '"' << c.text << '"';
        EXPECT_EQ(FormatName(parsed), c.full) << '"' << c.text << '"';
    }
    NameParts out;
    EXPECT_EQ(ParseName(std::string(kMaxComponentBytes + 1, 'x'), {}, &out), DIR_ERR_BAD_NAME);
    std::string deep;
    for (int i = 0; i < 60; ++i) deep += "level.";
    EXPECT_EQ(ParseName(deep + "acme", {}, &out), DIR_ERR_BAD_NAME);
}

TEST(NamesTest, AbbreviationDropsTheNameContext) {
    NameParts user = {"jdoe", "sales", "acme"};
    EXPECT_EQ(AbbreviateName(user, {}), "jdoe.sales.acme");
    EXPECT_EQ(AbbreviateName(user, {"SALES", "acme"}), "jdoe");
    EXPECT_EQ(AbbreviateName(user, {"other", "acme"}), ".jdoe.sales.acme");
    EXPECT_EQ(AbbreviateName(user, user), ".jdoe.sales.acme");
    EXPECT_EQ(AbbreviateName({}, {"acme"}), "[Root]");
    EXPECT_TRUE(SameName(NameParts{"JDOE", "Sales"}, NameParts{"jdoe", "sales"}));
}

}  // namespace
}  // namespace vpr::directory
