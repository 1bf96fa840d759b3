#include <gtest/gtest.h>

#include <cstring>

#include "windows.h"

namespace {

TEST(GlobalMemory, SizesAreExactAndHandlesOfBothKindsWork) {
    size_t before = vpr::win::LiveGlobalBlocks();
    HGLOBAL fixed = GlobalAlloc(GPTR, 13);
    HGLOBAL moveable = GlobalAlloc(GHND, 7);
    ASSERT_TRUE(fixed && moveable);
    EXPECT_EQ(GlobalSize(fixed), 13u);
    EXPECT_EQ(GlobalSize(moveable), 7u);
    EXPECT_EQ(GlobalLock(fixed), fixed);  // a fixed block's handle is its address
    auto* bytes = static_cast<char*>(GlobalLock(moveable));
    ASSERT_NE(bytes, nullptr);
    EXPECT_EQ(std::memcmp(bytes, "\0\0\0\0\0\0\0", 7), 0);
    std::memcpy(bytes, "abcdefg", 7);
    EXPECT_EQ(GlobalFlags(moveable) & GMEM_LOCKCOUNT, 1u);
    EXPECT_EQ(GlobalHandle(bytes), moveable);
    EXPECT_FALSE(GlobalUnlock(moveable));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(NO_ERROR));

    HGLOBAL grown = GlobalReAlloc(moveable, 20, GMEM_ZEROINIT);
    EXPECT_EQ(grown, moveable);
    EXPECT_EQ(GlobalSize(grown), 20u);
    bytes = static_cast<char*>(GlobalLock(grown));
    EXPECT_EQ(std::memcmp(bytes, "abcdefg\0\0", 9), 0);
    GlobalUnlock(grown);
    EXPECT_EQ(vpr::win::LiveGlobalBlocks(), before + 2);
    EXPECT_EQ(GlobalFree(fixed), nullptr);
    EXPECT_EQ(GlobalFree(grown), nullptr);
    EXPECT_EQ(vpr::win::LiveGlobalBlocks(), before);
}

TEST(GlobalMemory, StaleAndForeignHandlesFailAndTouchNothing) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 4);
    ASSERT_EQ(GlobalFree(block), nullptr);
    SetLastError(0);
    EXPECT_EQ(GlobalSize(block), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(GlobalLock(block), nullptr);
    EXPECT_EQ(GlobalFree(block), block);  // not freed twice
    int local = 0;
    EXPECT_EQ(GlobalFree(&local), static_cast<HGLOBAL>(&local));
}

}  // namespace
