#include <gtest/gtest.h>

#include <vector>

#include "windows.h"

namespace {

// Draws the icon on a white 16x16 memory bitmap and reads pixel (x, y).
COLORREF DrawnPixel(HICON icon, int x, int y) {
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP canvas = CreateBitmap(16, 16, 1, 32, nullptr);
    HGDIOBJ old = SelectObject(dc, canvas);
    RECT all{0, 0, 16, 16};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    DrawIconEx(dc, 0, 0, icon, 16, 16, 0, nullptr, DI_NORMAL);
    COLORREF pixel = GetPixel(dc, x, y);
    SelectObject(dc, old);
    DeleteObject(canvas);
    DeleteDC(dc);
    return pixel;
}

// A 32-bit bitmap pixel holds red, green and blue from the high byte down.
DWORD BitmapPixel(COLORREF color) { return (GetRValue(color) << 16) | (GetGValue(color) << 8) | GetBValue(color); }

// A 16x16 icon of one colour, opaque everywhere.
HICON SolidIcon(COLORREF color) {
    std::vector<DWORD> pixels(16 * 16, BitmapPixel(color));
    HBITMAP image = CreateBitmap(16, 16, 1, 32, pixels.data());
    HBITMAP mask = CreateBitmap(16, 16, 1, 1, nullptr);
    ICONINFO info{TRUE, 8, 8, mask, image};
    HICON icon = CreateIconIndirect(&info);
    DeleteObject(image);
    DeleteObject(mask);
    return icon;
}

TEST(ImageListTest, IconsAreCopiedInAndOut) {
    size_t before = vpr::user::ImageListCount();
    HIMAGELIST list = ImageList_Create(16, 16, ILC_MASK, 0, 30);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(vpr::user::ImageListCount(), before + 1);
    HICON red = SolidIcon(RGB(255, 0, 0));
    HICON blue = SolidIcon(RGB(0, 0, 255));
    EXPECT_EQ(ImageList_AddIcon(list, red), 0);
    EXPECT_EQ(ImageList_AddIcon(list, blue), 1);
    DestroyIcon(red);  // the list keeps its own copy
    EXPECT_EQ(ImageList_GetImageCount(list), 2);
    HICON first = ImageList_GetIcon(list, 0, ILD_NORMAL);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(DrawnPixel(first, 3, 3), RGB(255, 0, 0));
    DestroyIcon(first);
    EXPECT_EQ(ImageList_ReplaceIcon(list, 0, blue), 0);
    HICON replaced = ImageList_GetIcon(list, 0, ILD_NORMAL);
    EXPECT_EQ(DrawnPixel(replaced, 3, 3), RGB(0, 0, 255));
    DestroyIcon(replaced);
    EXPECT_EQ(ImageList_ReplaceIcon(list, 5, blue), -1);
    EXPECT_EQ(ImageList_AddIcon(list, nullptr), -1);
    EXPECT_EQ(ImageList_GetIcon(list, 2, ILD_NORMAL), nullptr);
    EXPECT_TRUE(ImageList_Remove(list, 0));
    EXPECT_EQ(ImageList_GetImageCount(list), 1);
    DestroyIcon(blue);
    EXPECT_TRUE(ImageList_Destroy(list));
    EXPECT_FALSE(ImageList_Destroy(list));
    EXPECT_EQ(vpr::user::ImageListCount(), before);
    EXPECT_EQ(ImageList_Create(0, 16, 0, 0, 0), nullptr);
}

TEST(ImageListTest, BitmapsAreCutIntoImagesOfTheListsWidth) {
    HIMAGELIST list = ImageList_Create(16, 16, ILC_COLOR, 4, 4);
    // Three images side by side: red, green, blue.
    std::vector<DWORD> pixels(48 * 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 48; ++x) pixels[y * 48 + x] = BitmapPixel(x < 16 ? RGB(255, 0, 0) : x < 32 ? RGB(0, 255, 0) : RGB(0, 0, 255));
    HBITMAP strip = CreateBitmap(48, 16, 1, 32, pixels.data());
    EXPECT_EQ(ImageList_Add(list, strip, nullptr), 0);
    EXPECT_EQ(ImageList_Add(list, strip, nullptr), 3);
    EXPECT_EQ(ImageList_GetImageCount(list), 6);
    HICON green = ImageList_GetIcon(list, 4, ILD_NORMAL);
    EXPECT_EQ(DrawnPixel(green, 8, 8), RGB(0, 255, 0));
    HICON blue = ImageList_GetIcon(list, 5, ILD_NORMAL);
    EXPECT_EQ(DrawnPixel(blue, 0, 15), RGB(0, 0, 255));
    DestroyIcon(blue);
    int cx = 0, cy = 0;
    EXPECT_TRUE(ImageList_GetIconSize(list, &cx, &cy));
    EXPECT_EQ(cx, 16);
    EXPECT_EQ(cy, 16);
    DestroyIcon(green);
    DeleteObject(strip);
    ImageList_Destroy(list);
}

}  // namespace
