#include <gtest/gtest.h>

#include <string>

#include "qmtdump/keyword_table.h"

namespace {

TEST(KeywordTable, RowsKeepTheirTextsExactly) {
    struct Row {
        uint32_t id;
        const char* text;
    };
    const Row rows[] = {
        {0, "First Token"},
        {1, "[File Copy]"},
        {6, "[Directory **Unknown**"},
        {21, "[Application Decription]"},
        {44, "Text Find **Unknown**]"},
        {60, "[Unknown Entry]"},
        {61, "Day"},
        {85, "Do not Cleanup Resources"},
        {91, "Enable Error logging"},
        {94, "386"},
        {108, "Resource Requirements List"},
        {130, "Timezone"},
        {139, "Command-line"},
        {146, "Length"},
    };
    for (const Row& row : rows) EXPECT_STREQ(KeywordTable::Text(row.id), row.text) << row.id;
    EXPECT_STREQ(KeywordTable::Text(147), "");
}

TEST(KeywordTable, LookupIsCaseInsensitiveFirstMatchOr147) {
    EXPECT_EQ(KeywordTable::Lookup("[file copy]"), 1u);
    EXPECT_EQ(KeywordTable::Lookup("SELECTED"), 111u);
    EXPECT_EQ(KeywordTable::Lookup("selected date"), 133u);
    EXPECT_EQ(KeywordTable::Lookup("first token"), 0u);
    EXPECT_EQ(KeywordTable::Lookup("[Application Description]"), 147u);
    EXPECT_EQ(KeywordTable::Lookup(""), 147u);
    // Every row is found by its own text, so no two rows share a text.
    for (uint32_t id = 0; id < KeywordTable::kRowCount; ++id) {
        EXPECT_EQ(KeywordTable::Lookup(KeywordTable::Text(id)), id);
    }
}

}  // namespace
