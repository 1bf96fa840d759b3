// The fixed-size list: exact entry copies, growth, lookups in any order and
// indexes past the end.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "snapin/core/fixed_size_list.h"

namespace {

TEST(FixedSizeListTest, KeepsExactCopiesOfEntrySizeBytes) {
    for (DWORD size : {1u, 3u, 66u, 646u}) {
        SCOPED_TRACE(size);
        CFixedSizeList list(size);
        std::string entry(size, 'x');
        entry.back() = 'y';  // the last byte is copied too; no byte past the entry is read
        EXPECT_EQ(list.Add(entry.data()), 1u);
        entry[0] = 'z';  // the list holds a copy, not the caller's bytes
        const char* stored = static_cast<const char*>(list.GetAt(0));
        ASSERT_NE(stored, nullptr);
        EXPECT_EQ(std::string(stored, size), std::string(size - 1, 'x') + "y");
    }
}

TEST(FixedSizeListTest, GrowsAndFindsEveryEntryInAnyOrder) {
    CFixedSizeList list(sizeof(DWORD));
    for (DWORD i = 0; i < 200; ++i) EXPECT_EQ(list.Add(&i), i + 1);
    EXPECT_EQ(list.GetCount(), 200u);
    for (DWORD i : {0u, 199u, 57u, 56u, 58u, 0u, 120u}) {
        DWORD value = 0;
        std::memcpy(&value, list.GetAt(i), sizeof value);
        EXPECT_EQ(value, i);
    }
    for (DWORD i = 200; i-- > 0;) EXPECT_EQ(*static_cast<DWORD*>(list.GetAt(i)), i);
}

TEST(FixedSizeListTest, IndexesPastTheEndAndRemoveAll) {
    CFixedSizeList list(4);
    EXPECT_EQ(list.GetAt(0), nullptr);
    EXPECT_EQ(list.Add(nullptr), 0u);  // nothing to copy: the list is unchanged
    EXPECT_EQ(list.GetCount(), 0u);
    EXPECT_EQ(list.Add("abc"), 1u);
    EXPECT_EQ(list.Add("def"), 2u);
    EXPECT_EQ(list.GetAt(2), nullptr);
    EXPECT_EQ(list.GetAt(0xFFFFFFFFu), nullptr);
    EXPECT_STREQ(static_cast<char*>(list.GetAt(1)), "def");
    list.RemoveAll();
    EXPECT_EQ(list.GetCount(), 0u);
    EXPECT_EQ(list.GetAt(0), nullptr);
    // Usable again after emptying, from a fresh start.
    EXPECT_EQ(list.Add("ghi"), 1u);
    EXPECT_STREQ(static_cast<char*>(list.GetAt(0)), "ghi");
}

}  // namespace
