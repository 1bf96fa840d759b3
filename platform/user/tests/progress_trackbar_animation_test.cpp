#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include <unistd.h>

#include "test_ids.h"
#include "windows.h"

namespace {

using vpr::user::ModalElement;
using vpr::user::UiDriver;
namespace ui = vpr::user::ui;

// What a parent heard: a scroll message from a trackbar (id, TB_ code, high
// word, position after it) or a command from a child (id, code, 0, 0).
using Heard = std::tuple<int, int, int, int>;
std::vector<Heard> g_heard;

void Record(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_HSCROLL || msg == WM_VSCROLL) {
        auto control = reinterpret_cast<HWND>(lParam);
        g_heard.emplace_back(GetDlgCtrlID(control), LOWORD(wParam), HIWORD(wParam),
                             static_cast<int>(SendMessageA(control, TBM_GETPOS, 0, 0)));
    } else if (msg == WM_COMMAND && LOWORD(wParam) != IDOK) {
        g_heard.emplace_back(LOWORD(wParam), HIWORD(wParam), 0, 0);
    }
}

LRESULT CALLBACK ParentProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    Record(msg, wParam, lParam);
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

class FeedbackControlTest : public ::testing::Test {
protected:
    void SetUp() override {
        WNDCLASSA wc{};
        wc.lpfnWndProc = ParentProc;
        wc.lpszClassName = "HearingParent";
        RegisterClassA(&wc);
        InitCommonControls();
        parent_ = CreateWindowExA(0, "HearingParent", "", WS_POPUP | WS_VISIBLE, 0, 0, 400, 300, nullptr, nullptr,
                                  nullptr, nullptr);
        g_heard.clear();
    }
    void TearDown() override { DestroyWindow(parent_); }
    HWND Child(const char* className, DWORD style, int id, int width = 200, int height = 20) {
        return CreateWindowExA(0, className, "", WS_CHILD | WS_VISIBLE | style, 0, 0, width, height, parent_,
                               reinterpret_cast<HMENU>(static_cast<intptr_t>(id)), GetModuleHandleA(nullptr), nullptr);
    }
    HWND parent_ = nullptr;
};

// A progress bar message, its answer and the position after it.
struct ProgressStep {
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
    LRESULT answer;
    int pos;
};

TEST_F(FeedbackControlTest, ProgressBarKeepsItsPositionWithinTheRange) {
    HWND bar = Child(PROGRESS_CLASSA, 0, 1);
    const ProgressStep steps[] = {
        {PBM_SETPOS, 50, 0, 0, 50},                      // range 0..100 at first
        {PBM_SETRANGE, 0, MAKELPARAM(0, 20), MAKELRESULT(0, 100), 20},  // the position follows the range
        {PBM_SETPOS, 25, 0, 20, 20},                     // above the top: the top
        {PBM_DELTAPOS, static_cast<WPARAM>(-5), 0, 20, 15},
        {PBM_SETSTEP, 4, 0, 10, 15},
        {PBM_STEPIT, 0, 0, 15, 19},
        {PBM_STEPIT, 0, 0, 19, 3},                       // past the end: round again from the bottom
        {PBM_SETRANGE32, 100, 70000, MAKELRESULT(0, 20), 100},
        {PBM_SETPOS, 65000, 0, 100, 65000},
        {PBM_GETPOS, 0, 0, 65000, 65000},
        {PBM_GETRANGE, TRUE, 0, 100, 65000},
        {PBM_GETRANGE, FALSE, 0, 70000, 65000},
    };
    for (const auto& step : steps) {
        EXPECT_EQ(SendMessageA(bar, step.msg, step.wParam, step.lParam), step.answer) << step.msg - WM_USER;
        EXPECT_EQ(SendMessageA(bar, PBM_GETPOS, 0, 0), step.pos) << step.msg - WM_USER;
    }
    PBRANGE range{};
    SendMessageA(bar, PBM_GETRANGE, 0, reinterpret_cast<LPARAM>(&range));
    EXPECT_EQ(range.iLow, 100);
    EXPECT_EQ(range.iHigh, 70000);
    EXPECT_TRUE(g_heard.empty());
}

TEST_F(FeedbackControlTest, TrackbarChangedByProgramSaysNothing) {
    HWND slider = Child(TRACKBAR_CLASSA, TBS_AUTOTICKS, 4801, 392, 30);
    SendMessageA(slider, TBM_SETRANGEMIN, FALSE, 0);
    SendMessageA(slider, TBM_SETRANGEMAX, TRUE, 96);
    SendMessageA(slider, TBM_SETTICFREQ, 4, 0);
    SendMessageA(slider, TBM_SETPOS, TRUE, 200);
    EXPECT_EQ(SendMessageA(slider, TBM_GETPOS, 0, 0), 96);
    SendMessageA(slider, TBM_SETPOS, TRUE, -3);
    EXPECT_EQ(SendMessageA(slider, TBM_GETPOS, 0, 0), 0);
    EXPECT_EQ(SendMessageA(slider, TBM_GETPAGESIZE, 0, 0), 19);  // a fifth of the range until set
    EXPECT_EQ(SendMessageA(slider, TBM_SETPAGESIZE, 0, 4), 19);
    EXPECT_EQ(SendMessageA(slider, TBM_SETLINESIZE, 0, 1), 1);
    // Ticks: both ends and one every 4 positions between them.
    EXPECT_EQ(SendMessageA(slider, TBM_GETNUMTICS, 0, 0), 25);
    EXPECT_EQ(SendMessageA(slider, TBM_GETTIC, 0, 0), 4);
    EXPECT_EQ(SendMessageA(slider, TBM_GETTIC, 22, 0), 92);
    EXPECT_EQ(SendMessageA(slider, TBM_GETTIC, 23, 0), -1);
    // The documented geometry: 8 pixels in, (392 - 16) / 96 pixels a position.
    SendMessageA(slider, TBM_SETPOS, TRUE, 48);
    RECT thumb, channel;
    SendMessageA(slider, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
    SendMessageA(slider, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&channel));
    EXPECT_EQ((thumb.left + thumb.right) / 2, 8 + 48 * 376 / 96);
    EXPECT_EQ(thumb.right - thumb.left, 10);
    EXPECT_EQ(channel.left, 8);
    EXPECT_EQ(channel.right, 384);
    EXPECT_TRUE(g_heard.empty());
}

// The time dialog's two sliders, driven by the person: a quarter hour a position.
INT_PTR CALLBACK ProgressProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_INITDIALOG:
        for (int id : {IDC_START, IDC_END}) {
            SendDlgItemMessageA(dialog, id, TBM_SETRANGEMIN, FALSE, 0);
            SendDlgItemMessageA(dialog, id, TBM_SETRANGEMAX, FALSE, 96);
            SendDlgItemMessageA(dialog, id, TBM_SETTICFREQ, 4, 0);
            SendDlgItemMessageA(dialog, id, TBM_SETLINESIZE, 0, 1);
            SendDlgItemMessageA(dialog, id, TBM_SETPAGESIZE, 0, 4);
        }
        SendDlgItemMessageA(dialog, IDC_START, TBM_SETPOS, TRUE, 40);
        SendDlgItemMessageA(dialog, IDC_END, TBM_SETPOS, TRUE, 48);
        SendDlgItemMessageA(dialog, IDC_PROGRESS, PBM_SETRANGE, 0, MAKELPARAM(0, 7));
        SendDlgItemMessageA(dialog, IDC_PROGRESS, PBM_SETPOS, 3, 0);
        EXPECT_TRUE(Animate_Open(GetDlgItem(dialog, IDC_ANIMATION), MAKEINTRESOURCEA(IDR_CLIP)));
        EXPECT_TRUE(Animate_Play(GetDlgItem(dialog, IDC_ANIMATION), 0, -1, -1));
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            Animate_Stop(GetDlgItem(dialog, IDC_ANIMATION));
            EndDialog(dialog, static_cast<INT_PTR>(SendDlgItemMessageA(dialog, IDC_START, TBM_GETPOS, 0, 0)));
            return TRUE;
        }
        break;
    }
    Record(msg, wParam, lParam);
    return FALSE;
}

TEST_F(FeedbackControlTest, ThePersonMovesTheSlidersWithMouseAndKeys) {
    UiDriver driver;
    vpr::user::Animation played;
    driver.OnDialog(IDD_PROGRESS, [&](const ModalElement& e) {
        EXPECT_TRUE(ui::MoveSlider(e.window, IDC_START, 60));
        ui::PressKey(e.window, VK_RIGHT);
        ui::PressKey(e.window, VK_NEXT);
        ui::PressKey(e.window, VK_END);
        ui::PressKey(e.window, VK_END);  // already at the end: only the key's release is told
        ui::PressKey(e.window, VK_TAB);  // to the end slider
        ui::PressKey(e.window, VK_HOME);
        ui::PressKey(e.window, VK_LEFT);
        EXPECT_FALSE(ui::MoveSlider(e.window, IDC_END, 97));  // no such position
        EXPECT_TRUE(vpr::user::GetAnimation(GetDlgItem(e.window, IDC_ANIMATION), &played));
        ui::Click(e.window, IDOK);
    });
    EXPECT_EQ(DialogBoxParamA(nullptr, MAKEINTRESOURCEA(IDD_PROGRESS), nullptr, ProgressProc, 0), 96);
    const std::vector<Heard> expected = {
        {IDC_ANIMATION, ACN_START, 0, 0},
        {IDC_START, TB_THUMBTRACK, 60, 60},
        {IDC_START, TB_THUMBPOSITION, 60, 60},
        {IDC_START, TB_ENDTRACK, 0, 60},
        {IDC_START, TB_LINEDOWN, 0, 61},
        {IDC_START, TB_ENDTRACK, 0, 61},
        {IDC_START, TB_PAGEDOWN, 0, 65},
        {IDC_START, TB_ENDTRACK, 0, 65},
        {IDC_START, TB_BOTTOM, 0, 96},
        {IDC_START, TB_ENDTRACK, 0, 96},
        {IDC_START, TB_ENDTRACK, 0, 96},
        {IDC_END, TB_TOP, 0, 0},
        {IDC_END, TB_ENDTRACK, 0, 0},
        {IDC_END, TB_ENDTRACK, 0, 0},  // left at the top: nothing moved
        {IDC_ANIMATION, ACN_STOP, 0, 0},
    };
    EXPECT_EQ(g_heard, expected);
    EXPECT_EQ(played.clip, "#411");
    EXPECT_TRUE(played.playing);
    EXPECT_EQ(played.repeat, -1);
    EXPECT_EQ(played.to, 0xFFFFu);
    EXPECT_EQ(driver.Failures(), std::vector<std::string>{"trackbar 4804 has no position 97"});
}

TEST_F(FeedbackControlTest, AnimationOpensOnlyWhatExistsAndRecordsWhatPlays) {
    HWND clip = Child(ANIMATE_CLASSA, 0, 5186);
    vpr::user::Animation seen;
    EXPECT_FALSE(Animate_Play(clip, 0, -1, -1));  // nothing open
    EXPECT_FALSE(Animate_Open(clip, MAKEINTRESOURCEA(410)));  // no such resource
    EXPECT_FALSE(Animate_Open(clip, "/no/such/clip.avi"));
    ASSERT_TRUE(vpr::user::GetAnimation(clip, &seen));
    EXPECT_EQ(seen.clip, "");

    std::string file = (std::filesystem::temp_directory_path() /
                        ("vpruser-clip-" + std::to_string(::getpid()) + ".avi")).string();
    std::ofstream(file) << "RIFF";
    EXPECT_TRUE(Animate_Open(clip, file.c_str()));
    EXPECT_TRUE(Animate_Play(clip, 2, 5, 1));  // a counted play has no frames to wait for
    EXPECT_TRUE(Animate_Play(clip, 0, -1, -1));
    ASSERT_TRUE(vpr::user::GetAnimation(clip, &seen));
    EXPECT_EQ(seen.clip, file);
    EXPECT_TRUE(seen.playing);
    EXPECT_EQ(seen.plays, 2);
    EXPECT_TRUE(Animate_Close(clip));  // closing stops it
    std::filesystem::remove(file);

    HWND autoplay = Child(ANIMATE_CLASSA, ACS_AUTOPLAY, 5101);
    EXPECT_TRUE(Animate_Open(autoplay, MAKEINTRESOURCEA(IDR_CLIP)));
    ASSERT_TRUE(vpr::user::GetAnimation(autoplay, &seen));
    EXPECT_TRUE(seen.playing);
    EXPECT_EQ(seen.module, GetModuleHandleA(nullptr));
    EXPECT_TRUE(Animate_Stop(autoplay));
    EXPECT_FALSE(vpr::user::GetAnimation(parent_, &seen));  // not an animation

    const std::vector<Heard> expected = {
        {5186, ACN_START, 0, 0}, {5186, ACN_STOP, 0, 0}, {5186, ACN_START, 0, 0}, {5186, ACN_STOP, 0, 0},
        {5101, ACN_START, 0, 0}, {5101, ACN_STOP, 0, 0},
    };
    EXPECT_EQ(g_heard, expected);
}

}  // namespace
