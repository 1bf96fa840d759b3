#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "windows.h"

namespace {

constexpr UINT kDouble = WM_APP + 1;    // answers wParam * 2
constexpr UINT kCallBack = WM_APP + 2;  // sends kDouble to the window in lParam
std::vector<UINT> g_seen;

LRESULT CALLBACK QueueProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case kDouble: return static_cast<LRESULT>(wParam * 2);
    case kCallBack: return SendMessageA(reinterpret_cast<HWND>(lParam), kDouble, wParam, 0) + 1;
    case WM_APP + 10:
    case WM_APP + 11:
    case WM_PAINT:
        g_seen.push_back(msg);
        break;
    case WM_DESTROY: PostQuitMessage(3); return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

class MessageQueueTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        WNDCLASSA wc{};
        wc.lpfnWndProc = QueueProc;
        wc.lpszClassName = "QueueWindow";
        RegisterClassA(&wc);
    }
    void SetUp() override { g_seen.clear(); }
    static HWND Make(DWORD style = WS_POPUP) {
        return CreateWindowExA(0, "QueueWindow", "q", style, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    }
    // Pumps until WM_QUIT and returns its code.
    static int Pump() {
        MSG msg;
        while (GetMessageA(&msg, nullptr, 0, 0)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        return static_cast<int>(msg.wParam);
    }
};

TEST_F(MessageQueueTest, PostedThenQuitThenPaint) {
    HWND hwnd = Make(WS_POPUP | WS_VISIBLE);
    PostMessageA(hwnd, WM_APP + 10, 0, 0);
    PostQuitMessage(9);
    PostMessageA(hwnd, WM_APP + 11, 0, 0);
    MSG msg;
    // Looking without removing leaves the message in place; filters select.
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_APP + 11, WM_APP + 11, PM_NOREMOVE));
    EXPECT_EQ(msg.message, WM_APP + 11u);
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.message, WM_APP + 10u);

    EXPECT_TRUE(GetMessageA(&msg, nullptr, 0, 0));
    DispatchMessageA(&msg);
    EXPECT_TRUE(GetMessageA(&msg, nullptr, 0, 0));
    DispatchMessageA(&msg);
    EXPECT_FALSE(GetMessageA(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.wParam, 9u);
    // The window is invalid since it was shown; paint comes once nothing else waits.
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_PAINT));
    DispatchMessageA(&msg);  // the default handling validates
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(g_seen, (std::vector<UINT>{WM_APP + 10, WM_APP + 11, WM_PAINT}));

    InvalidateRect(hwnd, nullptr, TRUE);
    UpdateWindow(hwnd);  // paints at once, leaving nothing queued
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    DestroyWindow(hwnd);
    PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
}

TEST_F(MessageQueueTest, MessagesPostedToADestroyedWindowAreDiscarded) {
    HWND gone = Make();
    HWND kept = Make();
    PostMessageA(gone, WM_APP + 10, 0, 0);
    PostMessageA(kept, WM_APP + 11, 0, 0);
    PostThreadMessageA(GetCurrentThreadId(), WM_APP + 12, 0, 0);
    DestroyWindow(gone);  // also posts the quit message of its WM_DESTROY
    EXPECT_FALSE(PostMessageA(gone, WM_APP + 10, 0, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    std::vector<std::pair<HWND, UINT>> left;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) left.emplace_back(msg.hwnd, msg.message);
    EXPECT_EQ(left, (std::vector<std::pair<HWND, UINT>>{{kept, WM_APP + 11}, {nullptr, WM_APP + 12},
                                                        {nullptr, WM_QUIT}}));
    DestroyWindow(kept);
    PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
}

TEST_F(MessageQueueTest, WorkerSendsWhileOwnerPumps) {
    HWND hwnd = Make();
    std::vector<LRESULT> answers;
    std::thread worker([&] {
        for (WPARAM i = 0; i < 50; ++i) answers.push_back(SendMessageA(hwnd, kDouble, i, 0));
        // The worker may not destroy the window; it asks the owner to close it.
        EXPECT_FALSE(DestroyWindow(hwnd));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
        PostMessageA(hwnd, WM_CLOSE, 0, 0);
    });
    EXPECT_EQ(Pump(), 3);
    worker.join();
    ASSERT_EQ(answers.size(), 50u);
    for (size_t i = 0; i < answers.size(); ++i) EXPECT_EQ(answers[i], static_cast<LRESULT>(i * 2));
    EXPECT_FALSE(IsWindow(hwnd));
}

TEST_F(MessageQueueTest, ThreadsSendingToEachOtherDoNotDeadlock) {
    HWND mine = Make();
    std::atomic<HWND> theirs{nullptr};
    std::atomic<bool> done{false};
    std::thread worker([&] {
        theirs = Make();
        MSG msg;
        while (!done) {
            GetMessageA(&msg, nullptr, 0, 0);
            DispatchMessageA(&msg);
        }
        DestroyWindow(theirs);
    });
    while (!theirs) std::this_thread::yield();
    // The worker's handler sends back to this thread while it waits for the answer.
    EXPECT_EQ(SendMessageA(theirs, kCallBack, 21, reinterpret_cast<LPARAM>(mine)), 43);
    // Text of a window of another thread is read without its owner.
    SetWindowTextA(theirs, "their text");
    char text[32];
    EXPECT_EQ(GetWindowTextA(theirs, text, sizeof text), 10);
    done = true;
    PostMessageA(theirs, WM_NULL, 0, 0);
    worker.join();
    DestroyWindow(mine);
    MSG msg;
    PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
}

TEST_F(MessageQueueTest, EndingThreadDestroysItsWindowsAndAnswersWaitingSenders) {
    std::atomic<HWND> hwnd{nullptr};
    std::thread worker([&] {
        hwnd = Make();
        // Leave without taking the message the main thread sends.
        while (!(GetQueueStatus(QS_SENDMESSAGE) & QS_SENDMESSAGE)) std::this_thread::yield();
    });
    while (!hwnd) std::this_thread::yield();
    EXPECT_EQ(SendMessageA(hwnd, kDouble, 5, 0), 0);
    worker.join();
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_FALSE(PostMessageA(hwnd, WM_NULL, 0, 0));
}

TEST_F(MessageQueueTest, ThreadMessagesAndKeyboardTranslation) {
    HWND hwnd = Make();
    EXPECT_TRUE(PostThreadMessageA(GetWindowThreadProcessId(hwnd, nullptr), WM_APP + 5, 1, 2));
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, reinterpret_cast<HWND>(-1), 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.hwnd, nullptr);
    EXPECT_EQ(msg.message, WM_APP + 5u);

    PostMessageA(hwnd, WM_KEYDOWN, 'A', 0);
    ASSERT_TRUE(PeekMessageA(&msg, hwnd, 0, 0, PM_REMOVE));
    EXPECT_TRUE(GetKeyState('A') & 0x8000);
    EXPECT_TRUE(TranslateMessage(&msg));
    ASSERT_TRUE(PeekMessageA(&msg, hwnd, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_CHAR));
    EXPECT_EQ(msg.wParam, static_cast<WPARAM>('a'));

    PostMessageA(hwnd, WM_KEYDOWN, VK_SHIFT, 0);
    PostMessageA(hwnd, WM_KEYDOWN, 'B', 0);
    PostMessageA(hwnd, WM_KEYUP, VK_SHIFT, 0);
    PeekMessageA(&msg, hwnd, 0, 0, PM_REMOVE);
    PeekMessageA(&msg, hwnd, 0, 0, PM_REMOVE);
    TranslateMessage(&msg);
    PeekMessageA(&msg, hwnd, 0, 0, PM_REMOVE);
    EXPECT_FALSE(GetKeyState(VK_SHIFT) & 0x8000);
    ASSERT_TRUE(PeekMessageA(&msg, hwnd, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.wParam, static_cast<WPARAM>('B'));
    DestroyWindow(hwnd);
    PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
}

}  // namespace
