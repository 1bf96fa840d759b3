// The icon cache: slots shared by the large and small lists, counted uses,
// reuse of freed slots, the default icons from the module's resources.
#include <gtest/gtest.h>

#include "module/icon_cache.h"
#include "module/module_resource.h"
#include "vpr/testing/temp_machine.h"

namespace {

HICON TestIcon() { return LoadIconA(nullptr, MAKEINTRESOURCEA(32512)); }  // IDI_APPLICATION

TEST(IconCache, FirstDefaultFolderIconLoadsAllThreeDefaultsInOrder) {
    vpr::testing::TempMachine machine;
    CIconCache cache;
    CIconRef folder = cache.GetDefaultFolderIcon(1);
    ASSERT_TRUE(folder.IsValid());
    // 104 went to slot 0, 100 to slot 1, 102 to slot 2.
    EXPECT_EQ(folder.GetIndex(), 2);
    EXPECT_EQ(cache.GetDefaultFolderIcon(0).GetIndex(), 1);
    EXPECT_EQ(cache.GetDefaultAppIcon().GetIndex(), 0);
    EXPECT_EQ(ImageList_GetImageCount(cache.GetLargeImageList()), 3);
    EXPECT_EQ(ImageList_GetImageCount(cache.GetSmallImageList()), 3);
    // The default's own use and this ref's.
    EXPECT_EQ(cache.GetUseCount(2), 2);
    int cx = 0, cy = 0;
    ImageList_GetIconSize(cache.GetSmallImageList(), &cx, &cy);
    EXPECT_EQ(cx, GetSystemMetrics(SM_CXSMICON));
    ImageList_GetIconSize(cache.GetLargeImageList(), &cx, &cy);
    EXPECT_EQ(cx, GetSystemMetrics(SM_CXICON));
}

TEST(IconCache, AFreedSlotIsReusedInBothListsWithoutGrowingThem) {
    vpr::testing::TempMachine machine;
    CIconCache cache;
    HICON icon = TestIcon();
    ASSERT_NE(icon, nullptr);
    CIconRef refs[5];
    for (int i = 0; i < 5; ++i) {
        ASSERT_TRUE(cache.AddIcon(refs[i], icon));
        EXPECT_EQ(refs[i].GetIndex(), i);
        EXPECT_EQ(cache.GetUseCount(i), 1);
    }
    CIconRef copy = refs[3];
    EXPECT_EQ(cache.GetUseCount(3), 2);
    EXPECT_EQ(cache.FindFreeSlot(), -1);
    copy.Clear();
    refs[3].Clear();
    EXPECT_FALSE(refs[3].IsValid());
    EXPECT_EQ(cache.GetUseCount(3), 0);
    EXPECT_EQ(cache.FindFreeSlot(), 3);

    CIconRef again;
    ASSERT_TRUE(cache.AddIcon(again, icon));
    EXPECT_EQ(again.GetIndex(), 3);
    EXPECT_EQ(ImageList_GetImageCount(cache.GetLargeImageList()), 5);
    EXPECT_EQ(ImageList_GetImageCount(cache.GetSmallImageList()), 5);
}

TEST(IconCache, RefsCountTheirUsesAndGetIconAnswersTwoSizes) {
    vpr::testing::TempMachine machine;
    CIconCache cache;
    CIconRef ref;
    ASSERT_TRUE(cache.AddIcon(ref, TestIcon()));
    // Assigning a ref to itself releases, then adds: the count stays.
    CIconRef& same = ref;
    ref = same;
    EXPECT_EQ(cache.GetUseCount(0), 1);
    {
        CIconRef other;
        other = ref;
        EXPECT_EQ(cache.GetUseCount(0), 2);
    }
    EXPECT_EQ(cache.GetUseCount(0), 1);
    EXPECT_EQ(cache.AddUse(ref), 1);
    EXPECT_EQ(cache.ReleaseUse(ref), 2);

    HICON large = cache.GetIcon(ref, 0), small = cache.GetIcon(ref, 1);
    EXPECT_NE(large, nullptr);
    EXPECT_NE(small, nullptr);
    DestroyIcon(large);
    DestroyIcon(small);
    EXPECT_EQ(cache.GetIcon(ref, 2), nullptr);
    EXPECT_EQ(cache.GetIcon(CIconRef(), 0), nullptr);
    CIconRef refused;
    EXPECT_FALSE(cache.AddIcon(refused, nullptr));
    EXPECT_FALSE(refused.IsValid());
}

}  // namespace
