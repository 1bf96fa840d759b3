#include <gtest/gtest.h>

#include "windows.h"

namespace {

constexpr COLORREF kMagenta = RGB(128, 0, 128);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kGreen = RGB(0, 255, 0);

HWND Canvas(int width, int height) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = "GdiCanvas";
    RegisterClassA(&wc);
    return CreateWindowExA(0, "GdiCanvas", "", WS_POPUP, 0, 0, width, height, nullptr, nullptr, nullptr, nullptr);
}

// Draws a bitmap leaving its magenta pixels transparent, the way owner-drawn
// lists of the system do it: mask, inverse mask, AND, AND, OR.
void DrawTransparent(HDC target, HBITMAP bitmap, int x, int y) {
    BITMAP info;
    GetObjectA(bitmap, sizeof info, &info);
    int w = info.bmWidth, h = info.bmHeight;
    HDC source = CreateCompatibleDC(target);
    HDC mask = CreateCompatibleDC(target);
    HDC inverse = CreateCompatibleDC(target);
    HDC save = CreateCompatibleDC(target);
    HGDIOBJ oldSource = SelectObject(source, bitmap);
    HBITMAP maskBits = CreateBitmap(w, h, 1, 1, nullptr);
    HBITMAP inverseBits = CreateBitmap(w, h, 1, 1, nullptr);
    HBITMAP saveBits = CreateCompatibleBitmap(target, w, h);
    HGDIOBJ oldMask = SelectObject(mask, maskBits);
    HGDIOBJ oldInverse = SelectObject(inverse, inverseBits);
    HGDIOBJ oldSave = SelectObject(save, saveBits);
    COLORREF oldBk = SetBkColor(source, kMagenta);
    BitBlt(mask, 0, 0, w, h, source, 0, 0, SRCCOPY);
    SetBkColor(source, oldBk);
    BitBlt(inverse, 0, 0, w, h, mask, 0, 0, NOTSRCCOPY);
    BitBlt(save, 0, 0, w, h, target, x, y, SRCCOPY);
    BitBlt(save, 0, 0, w, h, mask, 0, 0, SRCAND);
    HDC original = CreateCompatibleDC(target);
    HBITMAP originalBits = CreateCompatibleBitmap(target, w, h);
    HGDIOBJ oldOriginal = SelectObject(original, originalBits);
    BitBlt(original, 0, 0, w, h, source, 0, 0, SRCCOPY);
    BitBlt(source, 0, 0, w, h, inverse, 0, 0, SRCAND);
    BitBlt(save, 0, 0, w, h, source, 0, 0, SRCPAINT);
    BitBlt(target, x, y, w, h, save, 0, 0, SRCCOPY);
    BitBlt(source, 0, 0, w, h, original, 0, 0, SRCCOPY);  // the bitmap's own pixels back
    SelectObject(original, oldOriginal);
    DeleteObject(originalBits);
    DeleteDC(original);
    SelectObject(mask, oldMask);
    SelectObject(inverse, oldInverse);
    SelectObject(save, oldSave);
    SelectObject(source, oldSource);
    DeleteObject(maskBits);
    DeleteObject(inverseBits);
    DeleteObject(saveBits);
    DeleteDC(source);
    DeleteDC(mask);
    DeleteDC(inverse);
    DeleteDC(save);
}

// A 32-bit bitmap from pixels given row by row.
HBITMAP Bitmap(int w, int h, std::initializer_list<COLORREF> pixels) {
    std::vector<BYTE> bits;
    for (COLORREF c : pixels) {
        bits.push_back(GetBValue(c));
        bits.push_back(GetGValue(c));
        bits.push_back(GetRValue(c));
        bits.push_back(0);
    }
    return CreateBitmap(w, h, 1, 32, bits.data());
}

TEST(GdiTest, TransparentBitmapKeepsTheBackgroundWhereItIsMagenta) {
    HWND window = Canvas(10, 10);
    HDC screen = GetDC(window);
    RECT all{0, 0, 10, 10};
    HBRUSH green = CreateSolidBrush(kGreen);
    FillRect(screen, &all, green);
    HBITMAP picture = Bitmap(2, 2, {kRed, kMagenta, kMagenta, kBlue});
    DrawTransparent(screen, picture, 3, 4);
    EXPECT_EQ(GetPixel(screen, 3, 4), kRed);
    EXPECT_EQ(GetPixel(screen, 4, 4), kGreen);
    EXPECT_EQ(GetPixel(screen, 3, 5), kGreen);
    EXPECT_EQ(GetPixel(screen, 4, 5), kBlue);
    EXPECT_EQ(GetPixel(screen, 2, 4), kGreen);
    // The bitmap's own pixels are as they were.
    HDC memory = CreateCompatibleDC(screen);
    SelectObject(memory, picture);
    EXPECT_EQ(GetPixel(memory, 1, 0), kMagenta);
    DeleteDC(memory);
    ReleaseDC(window, screen);
    DeleteObject(picture);
    DeleteObject(green);
    DestroyWindow(window);
}

TEST(GdiTest, RasterOperationsCombinePixels) {
    struct Case {
        DWORD rop;
        COLORREF expected;
    } cases[] = {
        {SRCCOPY, 0x00F0F0F0},   {SRCAND, 0x00F0F0F0 & 0x00CCCCCC}, {SRCPAINT, 0x00F0F0F0 | 0x00CCCCCC},
        {SRCINVERT, 0x003C3C3C}, {NOTSRCCOPY, 0x000F0F0F},          {DSTINVERT, 0x00333333},
        {BLACKNESS, 0},          {WHITENESS, 0x00FFFFFF},           {SRCERASE, 0x00F0F0F0 & ~0x00CCCCCC & 0xFFFFFF},
        {PATCOPY, 0x00FFFFFF},  // the default brush is white
    };
    HDC dc = CreateCompatibleDC(nullptr);
    HDC src = CreateCompatibleDC(nullptr);
    HBITMAP target = Bitmap(1, 1, {0x00CCCCCC});
    HBITMAP source = Bitmap(1, 1, {0x00F0F0F0});
    SelectObject(src, source);
    SelectObject(dc, target);
    for (const auto& c : cases) {
        SetPixel(dc, 0, 0, 0x00CCCCCC);
        BitBlt(dc, 0, 0, 1, 1, src, 0, 0, c.rop);
        EXPECT_EQ(GetPixel(dc, 0, 0), c.expected) << std::hex << c.rop;
    }
    DeleteDC(dc);
    DeleteDC(src);
    DeleteObject(target);
    DeleteObject(source);
}

TEST(GdiTest, StretchingRepeatsPixels) {
    HDC dc = CreateCompatibleDC(nullptr);
    HDC src = CreateCompatibleDC(nullptr);
    HBITMAP target = Bitmap(4, 2, {0, 0, 0, 0, 0, 0, 0, 0});
    HBITMAP source = Bitmap(2, 1, {kRed, kBlue});
    SelectObject(dc, target);
    SelectObject(src, source);
    StretchBlt(dc, 0, 0, 4, 2, src, 0, 0, 2, 1, SRCCOPY);
    EXPECT_EQ(GetPixel(dc, 1, 1), kRed);
    EXPECT_EQ(GetPixel(dc, 2, 0), kBlue);
    auto record = vpr::user::BitmapRecord(target);
    ASSERT_EQ(record.size(), 1u);
    EXPECT_EQ(record[0].kind, vpr::user::GdiCall::Kind::kBlit);
    EXPECT_EQ(record[0].bitmap, source);
    DeleteDC(dc);
    DeleteDC(src);
    DeleteObject(target);
    DeleteObject(source);
}

TEST(GdiTest, IconsDrawThroughTheirMask) {
    // Left column opaque red, right column transparent.
    const BYTE andBits[] = {0x40, 0, 0x40, 0};  // rows of 16 bits: second pixel shows through
    const BYTE xorBits[] = {0, 0, 255, 0, 0, 0, 0, 0, 0, 0, 255, 0, 0, 0, 0, 0};
    HICON icon = CreateIcon(nullptr, 2, 2, 1, 32, andBits, xorBits);
    ASSERT_TRUE(icon);
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP target = Bitmap(3, 2, {kGreen, kGreen, kGreen, kGreen, kGreen, kGreen});
    SelectObject(dc, target);
    DrawIcon(dc, 1, 0, icon);
    EXPECT_EQ(GetPixel(dc, 0, 0), kGreen);
    EXPECT_EQ(GetPixel(dc, 1, 0), kRed);
    EXPECT_EQ(GetPixel(dc, 2, 1), kGreen);
    DeleteDC(dc);
    DeleteObject(target);
    DestroyIcon(icon);
}

TEST(GdiTest, FontsHaveFixedMetricsAndTextIsRecorded) {
    HWND window = Canvas(200, 100);
    HDC dc = GetDC(window);
    TEXTMETRICA metrics;
    GetTextMetricsA(dc, &metrics);
    EXPECT_EQ(metrics.tmHeight, 16);
    EXPECT_EQ(metrics.tmAveCharWidth, 8);
    HFONT font = CreateFontA(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "MS Sans Serif");
    HGDIOBJ old = SelectObject(dc, font);
    SIZE size;
    GetTextExtentPoint32A(dc, "Hello", 5, &size);
    EXPECT_EQ(size.cx, 30);
    EXPECT_EQ(size.cy, 12);
    vpr::user::ClearPaintRecord(window);
    RECT rect{0, 0, 100, 40};
    EXPECT_EQ(DrawTextA(dc, "&Open", -1, &rect, DT_SINGLELINE | DT_CENTER | DT_VCENTER), 12);
    RECT calc{0, 0, 20, 0};
    DrawTextA(dc, "one two three", -1, &calc, DT_WORDBREAK | DT_CALCRECT);
    EXPECT_EQ(calc.bottom, 36);  // three lines of 12
    SelectObject(dc, old);
    auto record = vpr::user::PaintRecord(window);
    ASSERT_EQ(record.size(), 1u);
    EXPECT_EQ(record[0].text, "Open");
    EXPECT_EQ(record[0].rect.left, 38);
    EXPECT_EQ(record[0].rect.top, 14);
    ReleaseDC(window, dc);
    DeleteObject(font);
    DestroyWindow(window);
}

}  // namespace
