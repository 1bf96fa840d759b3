#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "vpr/testing/temp_machine.h"
#include "windows.h"

namespace {

// Records the messages a window gets as "name:MESSAGE" strings.
std::vector<std::string> g_log;
// What the logging procedure answers for the largest size; none when x is 0.
POINT g_maxTrack{0, 0};

const char* NameOf(UINT msg) {
    switch (msg) {
    case WM_GETMINMAXINFO: return "GETMINMAXINFO";
    case WM_NCCREATE: return "NCCREATE";
    case WM_NCCALCSIZE: return "NCCALCSIZE";
    case WM_CREATE: return "CREATE";
    case WM_DESTROY: return "DESTROY";
    case WM_NCDESTROY: return "NCDESTROY";
    case WM_SIZE: return "SIZE";
    case WM_MOVE: return "MOVE";
    case WM_PARENTNOTIFY: return "PARENTNOTIFY";
    case WM_SETFOCUS: return "SETFOCUS";
    case WM_KILLFOCUS: return "KILLFOCUS";
    case WM_ACTIVATE: return "ACTIVATE";
    case WM_SHOWWINDOW: return "SHOWWINDOW";
    case WM_STYLECHANGING: return "STYLECHANGING";
    case WM_STYLECHANGED: return "STYLECHANGED";
    case WM_ENABLE: return "ENABLE";
    default: return nullptr;
    }
}

LRESULT CALLBACK LoggingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (const char* name = NameOf(msg)) {
        char text[64] = {};
        GetWindowTextA(hwnd, text, sizeof text);
        g_log.push_back(std::string(text) + ":" + name);
    }
    if (msg == WM_GETMINMAXINFO && g_maxTrack.x) reinterpret_cast<MINMAXINFO*>(lParam)->ptMaxTrackSize = g_maxTrack;
    if (msg == WM_CREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTA*>(lParam);
        if (cs->lpCreateParams == reinterpret_cast<void*>(-1)) return -1;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        WNDCLASSA wc{};
        wc.lpfnWndProc = LoggingProc;
        wc.lpszClassName = "LogWindow";
        wc.hInstance = Instance();
        RegisterClassA(&wc);
        g_log.clear();
        g_maxTrack = POINT{0, 0};
        before_ = vpr::user::WindowCount();
    }
    void TearDown() override {
        for (HWND hwnd : created_)
            if (IsWindow(hwnd)) DestroyWindow(hwnd);
        EXPECT_EQ(vpr::user::WindowCount(), before_);
    }
    static HINSTANCE Instance() { return reinterpret_cast<HINSTANCE>(0x10000); }
    HWND Top(const char* name, DWORD style = WS_OVERLAPPEDWINDOW) {
        HWND hwnd = CreateWindowExA(0, "LogWindow", name, style, 10, 20, 300, 200, nullptr, nullptr,
                                    Instance(), nullptr);
        created_.push_back(hwnd);
        return hwnd;
    }
    HWND Child(HWND parent, const char* name, int id, DWORD style = WS_CHILD | WS_VISIBLE) {
        return CreateWindowExA(0, "logwindow", name, style, 5, 6, 50, 40, parent,
                               reinterpret_cast<HMENU>(static_cast<intptr_t>(id)), Instance(), nullptr);
    }
    std::vector<HWND> created_;
    size_t before_ = 0;
};

TEST_F(WindowTest, CreationSendsMessagesInWindowsOrder) {
    // Only overlapped and sizeable windows are asked their sizes; the text is
    // set by the default handling of WM_NCCREATE; a child tells its parent.
    struct Case {
        const char* name;
        DWORD style;
        DWORD exStyle;
        bool child;
        std::vector<std::string> log;
    } cases[] = {
        {"overlapped", WS_OVERLAPPEDWINDOW, 0, false,
         {":GETMINMAXINFO", ":NCCREATE", "overlapped:NCCALCSIZE", "overlapped:CREATE", "overlapped:SIZE",
          "overlapped:MOVE"}},
        {"bare", WS_OVERLAPPED, 0, false,
         {":GETMINMAXINFO", ":NCCREATE", "bare:NCCALCSIZE", "bare:CREATE", "bare:SIZE", "bare:MOVE"}},
        {"popup", WS_POPUP, 0, false, {":NCCREATE", "popup:NCCALCSIZE", "popup:CREATE", "popup:SIZE", "popup:MOVE"}},
        {"sizing", WS_POPUP | WS_THICKFRAME, 0, false,
         {":GETMINMAXINFO", ":NCCREATE", "sizing:NCCALCSIZE", "sizing:CREATE", "sizing:SIZE", "sizing:MOVE"}},
        {"child", WS_CHILD | WS_VISIBLE, 0, true,
         {":NCCREATE", "child:NCCALCSIZE", "child:CREATE", "child:SIZE", "child:MOVE", "top:PARENTNOTIFY",
          "child:SHOWWINDOW"}},
        {"quiet", WS_CHILD, WS_EX_NOPARENTNOTIFY, true,
         {":NCCREATE", "quiet:NCCALCSIZE", "quiet:CREATE", "quiet:SIZE", "quiet:MOVE"}},
    };
    HWND top = Top("top");
    ASSERT_TRUE(top);
    for (const Case& c : cases) {
        g_log.clear();
        HWND hwnd = CreateWindowExA(c.exStyle, "logwindow", c.name, c.style, 5, 6, 50, 40, c.child ? top : nullptr,
                                    c.child ? reinterpret_cast<HMENU>(7) : nullptr, Instance(), nullptr);
        ASSERT_TRUE(hwnd) << c.name;
        created_.push_back(hwnd);
        EXPECT_EQ(g_log, c.log) << c.name;
    }
}

TEST_F(WindowTest, CreationKeepsAWindowWithinTheSizesItAnswers) {
    g_maxTrack = POINT{100, 30};
    HWND limited = Top("limited");
    RECT rect;
    GetWindowRect(limited, &rect);
    EXPECT_EQ(rect.right - rect.left, 100);
    EXPECT_EQ(rect.bottom - rect.top, 30);
    // A pop-up without a sizing frame is not asked.
    HWND popup = Top("popup", WS_POPUP);
    GetWindowRect(popup, &rect);
    EXPECT_EQ(rect.right - rect.left, 300);
    // Asked without a caller's answer, WM_NCCALCSIZE gives the client area in the window.
    RECT frame{10, 20, 310, 220};
    SendMessageA(limited, WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&frame));
    RECT client;
    GetClientRect(limited, &client);
    EXPECT_EQ(frame.right - frame.left, 300 - (100 - client.right));
    EXPECT_GT(frame.top, 20);
}

TEST_F(WindowTest, ChildWindowsBelongToTheirParent) {
    HWND top = Top("top");
    ASSERT_TRUE(top);
    HWND child = Child(top, "child", 7);
    ASSERT_TRUE(child);
    char name[32];
    EXPECT_EQ(GetClassNameA(child, name, sizeof name), 9);
    EXPECT_STREQ(name, "LogWindow");
    EXPECT_EQ(GetDlgCtrlID(child), 7);
    EXPECT_EQ(GetDlgItem(top, 7), child);
    EXPECT_EQ(GetParent(child), top);
    EXPECT_TRUE(IsChild(top, child));
    EXPECT_TRUE(IsWindowVisible(child) == FALSE);  // the parent is still hidden
    ShowWindow(top, SW_SHOW);
    EXPECT_TRUE(IsWindowVisible(child));
}

TEST_F(WindowTest, FailedCreateLeavesNoWindow) {
    HWND hwnd = CreateWindowExA(0, "LogWindow", "bad", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                Instance(), reinterpret_cast<void*>(-1));
    EXPECT_EQ(hwnd, nullptr);
    // The text is set by the default handling of WM_NCCREATE.
    EXPECT_EQ(g_log, (std::vector<std::string>{":NCCREATE", "bad:NCCALCSIZE", "bad:CREATE", "bad:DESTROY",
                                               "bad:NCDESTROY"}));

    EXPECT_EQ(CreateWindowExA(0, "NoSuchClass", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr),
              nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CANNOT_FIND_WND_CLASS));
    EXPECT_EQ(CreateWindowExA(0, "LogWindow", "", WS_CHILD, 0, 0, 1, 1, nullptr, nullptr, Instance(), nullptr),
              nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_TLW_WITH_WSCHILD));
}

TEST_F(WindowTest, RegisteringAClassTwiceFails) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = LoggingProc;
    wc.lpszClassName = "LOGWINDOW";
    wc.hInstance = Instance();
    EXPECT_EQ(RegisterClassA(&wc), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_ALREADY_EXISTS));
    wc.hInstance = reinterpret_cast<HINSTANCE>(0x20000);  // another module may have its own
    EXPECT_NE(RegisterClassA(&wc), 0);
    EXPECT_TRUE(UnregisterClassA("LOGWINDOW", wc.hInstance));
}

TEST_F(WindowTest, DestructionFollowsWindowsOrder) {
    HWND top = Top("top");
    HWND a = Child(top, "a", 1);
    Child(a, "a1", 11);
    HWND b = Child(top, "b", 2);
    // An owned pop-up goes before its owner.
    HWND popup = CreateWindowExA(0, "LogWindow", "popup", WS_POPUP, 0, 0, 10, 10, top, nullptr, Instance(),
                                 nullptr);
    EXPECT_EQ(GetWindow(popup, GW_OWNER), top);
    g_log.clear();
    ASSERT_TRUE(DestroyWindow(top));
    EXPECT_EQ(g_log, (std::vector<std::string>{"popup:DESTROY", "popup:NCDESTROY", "top:DESTROY", "a:DESTROY",
                                               "a1:DESTROY", "b:DESTROY", "a1:NCDESTROY", "a:NCDESTROY",
                                               "b:NCDESTROY", "top:NCDESTROY"}));
    EXPECT_FALSE(IsWindow(top));
    EXPECT_FALSE(IsWindow(a));
    EXPECT_FALSE(IsWindow(b));
    EXPECT_FALSE(IsWindow(popup));
}

TEST_F(WindowTest, DestroyingAChildTellsTheParentFirst) {
    HWND top = Top("top");
    HWND a = Child(top, "a", 1);
    g_log.clear();
    DestroyWindow(a);
    EXPECT_EQ(g_log, (std::vector<std::string>{"top:PARENTNOTIFY", "a:DESTROY", "a:NCDESTROY"}));
    EXPECT_EQ(GetWindow(top, GW_CHILD), nullptr);
}

LRESULT CALLBACK UpperCaseProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto previous = reinterpret_cast<WNDPROC>(GetPropA(hwnd, "previous"));
    if (msg == WM_SETTEXT) {
        std::string text = reinterpret_cast<const char*>(lParam);
        for (char& c : text) c = static_cast<char>(toupper(c));
        return CallWindowProcA(previous, hwnd, msg, wParam, reinterpret_cast<LPARAM>(text.c_str()));
    }
    return CallWindowProcA(previous, hwnd, msg, wParam, lParam);
}

TEST_F(WindowTest, SubclassingPassesOnWhatItDoesNotHandle) {
    HWND top = Top("top");
    LONG_PTR old = SetWindowLongA(top, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(UpperCaseProc));
    EXPECT_EQ(old, reinterpret_cast<LONG_PTR>(LoggingProc));
    SetPropA(top, "previous", reinterpret_cast<HANDLE>(old));
    SetWindowTextA(top, "mixed Case");
    char text[32];
    GetWindowTextA(top, text, sizeof text);
    EXPECT_STREQ(text, "MIXED CASE");
    EXPECT_EQ(GetWindowTextLengthA(top), 10);
    // A short buffer gets what fits and its terminator.
    EXPECT_EQ(GetWindowTextA(top, text, 4), 3);
    EXPECT_STREQ(text, "MIX");
    g_log.clear();
    DestroyWindow(top);
    EXPECT_EQ(g_log, (std::vector<std::string>{"MIXED CASE:DESTROY", "MIXED CASE:NCDESTROY"}));
}

TEST_F(WindowTest, StyleChangesAreAnnounced) {
    HWND top = Top("top", WS_POPUP);
    g_log.clear();
    LONG_PTR old = SetWindowLongA(top, GWL_STYLE, WS_POPUP | WS_BORDER);
    EXPECT_EQ(old, static_cast<LONG>(WS_POPUP));
    EXPECT_EQ(GetWindowLongA(top, GWL_STYLE), static_cast<LONG>(WS_POPUP | WS_BORDER));
    EXPECT_EQ(g_log, (std::vector<std::string>{"top:STYLECHANGING", "top:STYLECHANGED"}));
    EXPECT_EQ(SetWindowLongA(top, GWL_USERDATA, 42), 0);
    EXPECT_EQ(GetWindowLongA(top, GWL_USERDATA), 42);
}

TEST_F(WindowTest, WindowExtraBytesHoldPointers) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = "WithExtra";
    wc.cbWndExtra = 12;
    RegisterClassA(&wc);
    HWND hwnd = CreateWindowExA(0, "WithExtra", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    created_.push_back(hwnd);
    LONG_PTR pointer = reinterpret_cast<LONG_PTR>(&wc);
    SetWindowLongA(hwnd, 0, pointer);
    SetWindowLongA(hwnd, 8, -5);
    EXPECT_EQ(GetWindowLongA(hwnd, 0), pointer);
    EXPECT_EQ(GetWindowLongA(hwnd, 8), -5);
    EXPECT_EQ(GetWindowLongA(hwnd, 12), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_INDEX));
}

TEST_F(WindowTest, GeometryFollowsFramesAndParents) {
    HWND top = Top("top", WS_POPUP | WS_CAPTION);  // dialog frame 3, caption 18
    RECT rect;
    GetWindowRect(top, &rect);
    EXPECT_EQ(rect.left, 10);
    EXPECT_EQ(rect.top, 20);
    GetClientRect(top, &rect);
    EXPECT_EQ(rect.right, 300 - 6);
    EXPECT_EQ(rect.bottom, 200 - 6 - 18);
    HWND child = Child(top, "child", 1, WS_CHILD | WS_BORDER);
    GetWindowRect(child, &rect);
    EXPECT_EQ(rect.left, 10 + 3 + 5);
    EXPECT_EQ(rect.top, 20 + 3 + 18 + 6);
    GetClientRect(child, &rect);
    EXPECT_EQ(rect.right, 48);
    POINT pt{0, 0};
    ClientToScreen(child, &pt);
    EXPECT_EQ(pt.x, 10 + 3 + 5 + 1);
    ScreenToClient(top, &pt);
    EXPECT_EQ(pt.x, 6);
    EXPECT_EQ(pt.y, 7);

    g_log.clear();
    MoveWindow(child, 20, 30, 70, 80, TRUE);
    EXPECT_EQ(g_log, (std::vector<std::string>{"child:MOVE", "child:SIZE"}));
    g_log.clear();
    SetWindowPos(child, nullptr, 1, 1, 70, 80, SWP_NOSIZE | SWP_NOZORDER);
    EXPECT_EQ(g_log, (std::vector<std::string>{"child:MOVE"}));
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, top, reinterpret_cast<POINT*>(&rect), 2);
    EXPECT_EQ(rect.left, 1);
    EXPECT_EQ(rect.right, 71);

    RECT frame{0, 0, 100, 50};
    AdjustWindowRectEx(&frame, WS_POPUP | WS_CAPTION, FALSE, 0);
    EXPECT_EQ(frame.top, -21);
    EXPECT_EQ(frame.right, 103);
}

TEST_F(WindowTest, FocusMovesWithKillAndSetFocus) {
    HWND top = Top("top", WS_POPUP | WS_VISIBLE);
    HWND a = Child(top, "a", 1);
    HWND b = Child(top, "b", 2);
    SetFocus(a);
    g_log.clear();
    EXPECT_EQ(SetFocus(b), a);
    EXPECT_EQ(g_log, (std::vector<std::string>{"a:KILLFOCUS", "b:SETFOCUS"}));
    EXPECT_EQ(GetFocus(), b);
    g_log.clear();
    EnableWindow(b, FALSE);  // a disabled window gives up the focus
    EXPECT_EQ(GetFocus(), nullptr);
    EXPECT_EQ(g_log, (std::vector<std::string>{"b:KILLFOCUS", "b:ENABLE"}));
    EXPECT_FALSE(IsWindowEnabled(b));
    SetFocus(a);
    g_log.clear();
    DestroyWindow(a);
    EXPECT_EQ(GetFocus(), nullptr);
    EXPECT_EQ(g_log, (std::vector<std::string>{"top:PARENTNOTIFY", "a:KILLFOCUS", "a:DESTROY", "a:NCDESTROY"}));
}

TEST_F(WindowTest, FocusInAnotherTopLevelWindowActivatesIt) {
    HWND first = Top("first", WS_POPUP | WS_VISIBLE);
    HWND second = Top("second", WS_POPUP | WS_VISIBLE);
    EXPECT_EQ(GetActiveWindow(), second);
    HWND child = Child(first, "child", 1);
    g_log.clear();
    SetFocus(child);
    EXPECT_EQ(GetActiveWindow(), first);
    EXPECT_EQ(GetFocus(), child);
    // Activating the frame focuses it by default; the child then takes the focus.
    EXPECT_EQ(g_log, (std::vector<std::string>{"second:ACTIVATE", "first:ACTIVATE", "second:KILLFOCUS",
                                               "first:SETFOCUS", "first:KILLFOCUS", "child:SETFOCUS"}));
    // A window under a disabled frame cannot take the focus.
    EnableWindow(second, FALSE);
    HWND other = Child(second, "other", 1);
    EXPECT_EQ(SetFocus(other), nullptr);
    EXPECT_EQ(GetFocus(), child);
}

BOOL CALLBACK CollectNames(HWND hwnd, LPARAM lParam) {
    char text[16];
    GetWindowTextA(hwnd, text, sizeof text);
    auto* names = reinterpret_cast<std::vector<std::string>*>(lParam);
    names->push_back(text);
    return names->size() < 4;
}

TEST_F(WindowTest, EnumerationAndSearch) {
    HWND top = Top("top");
    HWND a = Child(top, "a", 1);
    Child(a, "a1", 11);
    Child(a, "a2", 12);
    HWND b = Child(top, "b", 2);
    Child(top, "c", 3);
    std::vector<std::string> names;
    EXPECT_FALSE(EnumChildWindows(top, CollectNames, reinterpret_cast<LPARAM>(&names)));
    EXPECT_EQ(names, (std::vector<std::string>{"a", "a1", "a2", "b"}));  // stops on FALSE

    EXPECT_EQ(GetWindow(a, GW_HWNDNEXT), b);
    EXPECT_EQ(GetWindow(b, GW_HWNDPREV), a);
    EXPECT_EQ(FindWindowExA(top, nullptr, "LOGWINDOW", "B"), b);
    EXPECT_EQ(FindWindowExA(top, a, nullptr, nullptr), b);
    EXPECT_EQ(FindWindowA("LogWindow", "top"), top);
    EXPECT_EQ(FindWindowA("LogWindow", "a"), nullptr);  // children are not top-level
    ATOM atom = static_cast<ATOM>(RegisterWindowMessageA("LogWindow"));
    EXPECT_EQ(FindWindowA(MAKEINTRESOURCEA(atom), "top"), top);

    // Z-order of siblings changes with SetWindowPos.
    SetWindowPos(b, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_EQ(GetWindow(top, GW_CHILD), b);
    EXPECT_EQ(GetWindow(b, GW_HWNDLAST), GetDlgItem(top, 3));
}

TEST_F(WindowTest, RegisteredMessagesAreSharedByName) {
    UINT first = RegisterWindowMessageA("vpr private message");
    EXPECT_GE(first, 0xC000u);
    EXPECT_EQ(RegisterWindowMessageA("VPR PRIVATE MESSAGE"), first);
    EXPECT_NE(RegisterWindowMessageA("another"), first);
}

TEST(ScreenTest, TheDesktopIsTheScreenOfTheMachine) {
    vpr::testing::TempMachine machine;
    auto facts = *machine.machine();
    facts.screen.width = 640;
    facts.screen.height = 480;
    ASSERT_TRUE(facts.Save(nullptr));
    ASSERT_TRUE(vpr::machine::ReloadMachine(nullptr));

    RECT desktop;
    GetWindowRect(GetDesktopWindow(), &desktop);
    EXPECT_EQ(desktop.right, 640);
    EXPECT_EQ(desktop.bottom, 480);
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(GetDeviceCaps(screen, HORZRES), 640);
    EXPECT_EQ(GetDeviceCaps(screen, VERTRES), 480);
    ReleaseDC(nullptr, screen);
    // A top-level window without a size gets three quarters of the screen.
    HWND hwnd = CreateWindowExA(0, "Static", "", WS_POPUP, CW_USEDEFAULT, 0, CW_USEDEFAULT, 0,
                                nullptr, nullptr, nullptr, nullptr);
    RECT rect;
    GetWindowRect(hwnd, &rect);
    EXPECT_EQ(rect.right - rect.left, 480);
    EXPECT_EQ(rect.bottom - rect.top, 360);
    DestroyWindow(hwnd);
}

}  // namespace
