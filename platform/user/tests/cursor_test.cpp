// The cursor position: where the last mouse input put it, and the position
// a thread's last taken message carries.
#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>

#include "commctrl.h"
#include "vpr/user/ui_driver.h"
#include "windows.h"

namespace {

constexpr int kPad = 5;
DWORD g_downPos = 0;  // GetMessagePos while the pad handled its button-down

LRESULT CALLBACK PadProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_LBUTTONDOWN) g_downPos = GetMessagePos();
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

class CursorTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        InitCommonControls();
        WNDCLASSA wc{};
        wc.lpfnWndProc = PadProc;
        wc.lpszClassName = "CursorPad";
        RegisterClassA(&wc);
    }
    void TearDown() override {
        if (top_) DestroyWindow(top_);
    }
    // A borderless top-level window at (x, y) with a pad child at (10, 20).
    HWND MakeAt(int x, int y) {
        top_ = CreateWindowExA(0, "CursorPad", "top", WS_POPUP | WS_VISIBLE, x, y, 300, 200, nullptr, nullptr,
                               nullptr, nullptr);
        CreateWindowExA(0, "CursorPad", "pad", WS_CHILD | WS_VISIBLE, 10, 20, 100, 50, top_,
                        reinterpret_cast<HMENU>(kPad), nullptr, nullptr);
        return top_;
    }
    HWND top_ = nullptr;
};

POINT Cursor() {
    POINT at{-1, -1};
    EXPECT_TRUE(GetCursorPos(&at));
    return at;
}

// Run in a fresh process, where no input has happened yet.
[[noreturn]] void ExitWithCursorAtOrigin() {
    POINT at{-1, -1};
    std::exit(GetCursorPos(&at) && at.x == 0 && at.y == 0 ? 0 : 1);
}

// Before any mouse input the cursor is at the screen's corner; a thread
// that took no message has no message position either.
TEST(CursorStartTest, BeforeAnyInputTheCursorIsAtTheOrigin) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(ExitWithCursorAtOrigin(), ::testing::ExitedWithCode(0), "");
    DWORD fresh = 1;
    std::thread([&] { fresh = GetMessagePos(); }).join();
    EXPECT_EQ(fresh, 0u);
    EXPECT_FALSE(GetCursorPos(nullptr));
}

// A click of the driver puts the cursor on the clicked screen point, and the
// button message carries it, packed as signed 16-bit halves.
TEST_F(CursorTest, AClickPutsTheCursorOnTheClickedScreenPoint) {
    struct Case {
        POINT window;
        POINT click;  // in the pad's client area
        POINT screen;
    };
    const Case cases[] = {
        {{100, 50}, {3, 4}, {113, 74}},
        {{0, 0}, {0, 0}, {10, 20}},
        {{-50, -40}, {7, 2}, {-33, -18}},
    };
    for (const Case& c : cases) {
        HWND top = MakeAt(c.window.x, c.window.y);
        g_downPos = 0;
        ASSERT_TRUE(vpr::user::ui::ClickPoint(top, kPad, c.click.x, c.click.y));
        const POINT at = Cursor();
        EXPECT_EQ(at.x, c.screen.x) << c.window.x;
        EXPECT_EQ(at.y, c.screen.y) << c.window.x;
        EXPECT_EQ(GET_X_LPARAM(g_downPos), c.screen.x) << c.window.x;
        EXPECT_EQ(GET_Y_LPARAM(g_downPos), c.screen.y) << c.window.x;
        DestroyWindow(top);
        top_ = nullptr;
    }
}

// A move carries the cursor along: after dragging a trackbar's thumb it is
// where the thumb was let go, and messages posted by a program afterwards
// carry that position without moving it.
TEST_F(CursorTest, AMoveCarriesTheCursorAlong) {
    HWND top = MakeAt(200, 100);
    HWND slider = CreateWindowExA(0, TRACKBAR_CLASSA, "", WS_CHILD | WS_VISIBLE, 10, 80, 200, 30, top,
                                  reinterpret_cast<HMENU>(7), nullptr, nullptr);
    SendMessageA(slider, TBM_SETRANGEMIN, FALSE, 0);
    SendMessageA(slider, TBM_SETRANGEMAX, TRUE, 10);
    ASSERT_TRUE(vpr::user::ui::ClickPoint(top, kPad, 1, 1));
    ASSERT_TRUE(vpr::user::ui::MoveSlider(top, 7, 8));
    RECT thumb;
    SendMessageA(slider, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
    RECT client;
    GetClientRect(slider, &client);
    POINT expected{(thumb.left + thumb.right) / 2, client.bottom / 2};
    ClientToScreen(slider, &expected);
    POINT at = Cursor();
    EXPECT_EQ(at.x, expected.x);
    EXPECT_EQ(at.y, expected.y);
    EXPECT_NE(at.x, 211);  // no longer where the pad was clicked

    PostMessageA(GetDlgItem(top, kPad), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(60, 30));
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_LBUTTONDOWN, WM_LBUTTONDOWN, PM_REMOVE));
    EXPECT_EQ(msg.pt.x, expected.x);
    EXPECT_EQ(msg.pt.y, expected.y);
    at = Cursor();
    EXPECT_EQ(at.x, expected.x);
    EXPECT_EQ(GET_X_LPARAM(GetMessagePos()), expected.x);
    EXPECT_EQ(GET_Y_LPARAM(GetMessagePos()), expected.y);
}

}  // namespace
