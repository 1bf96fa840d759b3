// The splash window, checked as the painting it records: frame, bar and
// text of the progress area; no window without its bitmap.
#include <gtest/gtest.h>

#include "module/module_resource.h"
#include "module/splash_wnd.h"
#include "vpr/testing/temp_machine.h"

namespace {

// The colour at a point of the window's client area.
COLORREF PixelAt(HWND window, int x, int y) {
    HDC dc = GetDC(window);
    COLORREF colour = GetPixel(dc, x, y);
    ReleaseDC(window, dc);
    return colour;
}

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlack = RGB(0, 0, 0);

TEST(SplashWnd, ShowsTheBitmapAndDrawsTheProgressOverIt) {
    vpr::testing::TempMachine machine;
    CSplashWnd splash(IDB_SPLASH, IDS_LOADING);
    ASSERT_NE(splash.m_hWnd, nullptr);
    HWND window = splash.m_hWnd;
    EXPECT_TRUE(IsWindowVisible(window));

    BITMAP bitmap = {};
    HBITMAP loaded = LoadBitmapA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDB_SPLASH));
    GetObjectA(loaded, sizeof bitmap, &bitmap);
    DeleteObject(loaded);
    TEXTMETRICA metrics = {};
    HDC information = CreateICA("DISPLAY", nullptr, nullptr, nullptr);
    GetTextMetricsA(information, &metrics);
    DeleteDC(information);
    RECT frame = {};
    GetWindowRect(window, &frame);
    EXPECT_EQ(frame.right - frame.left, bitmap.bmWidth + 1);
    EXPECT_EQ(frame.bottom - frame.top, bitmap.bmHeight + 2 * metrics.tmHeight);
    const CRect& bar = splash.GetProgressRect();
    EXPECT_EQ(bar.left, 2 * metrics.tmAveCharWidth);
    EXPECT_EQ(bar.right, bitmap.bmWidth - 2 * metrics.tmAveCharWidth);
    EXPECT_EQ(bar.top, static_cast<int>(bitmap.bmHeight + metrics.tmHeight / 2.0 - 2));
    EXPECT_EQ(bar.bottom, static_cast<int>(bitmap.bmHeight + 1.5 * metrics.tmHeight + 2));

    // Painted: a black border, the bitmap's top-left pixel inside it.
    InvalidateRect(window, nullptr, TRUE);
    UpdateWindow(window);
    EXPECT_EQ(PixelAt(window, 0, 0), RGB(40, 80, 200));

    int inner = bar.Width() - 2;
    int middleY = (bar.top + bar.bottom) / 2;
    // 0: only the frame (and the text); nothing red inside.
    splash.DrawProgress(0);
    EXPECT_EQ(PixelAt(window, bar.left, middleY), kBlack);
    EXPECT_NE(PixelAt(window, bar.right - 2, middleY), kRed);
    // 50: the left half of the inside, (width - 2) * 50 / 100 pixels.
    splash.DrawProgress(50);
    int filled = inner * 50 / 100;
    EXPECT_EQ(PixelAt(window, bar.left + filled, bar.bottom - 2), kRed);
    EXPECT_NE(PixelAt(window, bar.left + filled + 1, bar.bottom - 2), kRed);
    // 100: the whole inside.
    splash.DrawProgress(100);
    EXPECT_EQ(PixelAt(window, bar.right - 2, bar.bottom - 2), kRed);
    EXPECT_EQ(PixelAt(window, bar.right - 1, bar.bottom - 2), kBlack);
}

TEST(SplashWnd, WithoutItsBitmapNoWindowIsMade) {
    vpr::testing::TempMachine machine;
    CSplashWnd splash(9999, IDS_LOADING);
    EXPECT_EQ(splash.m_hWnd, nullptr);
    splash.DrawProgress(50);  // draws nothing, and does not fail
}

}  // namespace
