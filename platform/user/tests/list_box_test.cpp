#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "windows.h"

namespace {

// The parent logs what its list box tells it.
std::vector<std::string> g_events;

LRESULT CALLBACK ParentProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_COMMAND:
        g_events.push_back("command " + std::to_string(HIWORD(wParam)));
        return 0;
    case WM_DELETEITEM: {
        auto* item = reinterpret_cast<DELETEITEMSTRUCT*>(lParam);
        g_events.push_back("delete " + std::to_string(item->itemID) + " data " + std::to_string(item->itemData));
        return TRUE;
    }
    case WM_MEASUREITEM:
        reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemHeight = 20;
        return TRUE;
    case WM_DRAWITEM: {
        auto* draw = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
        char text[64];
        SendMessageA(draw->hwndItem, LB_GETTEXT, draw->itemID, reinterpret_cast<LPARAM>(text));
        FillRect(draw->hDC, &draw->rcItem, GetSysColorBrush((draw->itemState & ODS_SELECTED) ? COLOR_HIGHLIGHT : COLOR_WINDOW));
        RECT rect = draw->rcItem;
        rect.left += 3;
        DrawTextA(draw->hDC, text, -1, &rect, DT_SINGLELINE | DT_VCENTER);
        return TRUE;
    }
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

void ClickRow(HWND list, int row, WPARAM keys = 0);

class ListBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        WNDCLASSA wc{};
        wc.lpfnWndProc = ParentProc;
        wc.lpszClassName = "ListParent";
        RegisterClassA(&wc);
        parent_ = CreateWindowExA(0, "ListParent", "parent", WS_POPUP | WS_VISIBLE, 0, 0, 400, 400, nullptr,
                                  nullptr, nullptr, nullptr);
        g_events.clear();
    }
    void TearDown() override { DestroyWindow(parent_); }
    HWND List(DWORD style) {
        return CreateWindowExA(0, "LISTBOX", "", WS_CHILD | WS_VISIBLE | style, 10, 10, 200, 100, parent_,
                               reinterpret_cast<HMENU>(100), nullptr, nullptr);
    }
    static void Add(HWND list, std::initializer_list<const char*> texts) {
        for (const char* text : texts) SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    }
    static std::string Text(HWND list, int index) {
        char text[64] = {};
        SendMessageA(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text));
        return text;
    }
    HWND parent_ = nullptr;
};

TEST_F(ListBoxTest, SortedInsertIgnoresCaseAndKeepsEqualTextsInOrder) {
    HWND list = List(LBS_SORT);
    EXPECT_EQ(SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("beta")), 0);
    EXPECT_EQ(SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("Alpha")), 0);
    EXPECT_EQ(SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("alpha")), 1);
    EXPECT_EQ(SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("Gamma")), 3);
    EXPECT_EQ(SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("BETA")), 3);
    std::vector<std::string> order;
    for (int i = 0; i < SendMessageA(list, LB_GETCOUNT, 0, 0); ++i) order.push_back(Text(list, i));
    EXPECT_EQ(order, (std::vector<std::string>{"Alpha", "alpha", "beta", "BETA", "Gamma"}));
    // Inserting by position never sorts.
    EXPECT_EQ(SendMessageA(list, LB_INSERTSTRING, 1, reinterpret_cast<LPARAM>("zulu")), 1);
    EXPECT_EQ(Text(list, 1), "zulu");
    EXPECT_EQ(SendMessageA(list, LB_GETTEXTLEN, 1, 0), 4);
    EXPECT_EQ(SendMessageA(list, LB_GETTEXT, 9, 0), LB_ERR);
}

TEST_F(ListBoxTest, FindingIgnoresCaseAndWrapsAround) {
    HWND list = List(0);
    Add(list, {"Apple", "apricot", "Banana", "APPLE"});
    struct Case {
        UINT message;
        int start;
        const char* text;
        LRESULT found;
    } cases[] = {
        {LB_FINDSTRING, -1, "ap", 0},        {LB_FINDSTRING, 0, "ap", 1},
        {LB_FINDSTRING, 1, "APP", 3},        {LB_FINDSTRING, 3, "app", 0},  // wraps
        {LB_FINDSTRING, -1, "cherry", LB_ERR}, {LB_FINDSTRINGEXACT, -1, "apple", 0},
        {LB_FINDSTRINGEXACT, 0, "apple", 3}, {LB_FINDSTRINGEXACT, -1, "app", LB_ERR},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SendMessageA(list, c.message, static_cast<WPARAM>(c.start), reinterpret_cast<LPARAM>(c.text)), c.found)
            << c.text << " from " << c.start;
    EXPECT_EQ(SendMessageA(list, LB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("b")), 2);
    EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), 2);
    EXPECT_TRUE(g_events.empty());  // selecting by program tells nobody
}

// Each row: the list's style, what happens, and the notifications the parent gets.
struct NotificationCase {
    const char* name;
    DWORD style;
    std::function<void(HWND)> act;
    std::vector<std::string> events;
    std::vector<int> selected;  // the items selected afterwards
};
// A case is printed as text, not as raw bytes, when it fails.
void PrintTo(const NotificationCase& c, std::ostream* os) { *os << c.name; }

class ListBoxNotificationTest : public ListBoxTest, public ::testing::WithParamInterface<NotificationCase> {};

const std::string kSelChange = "command " + std::to_string(LBN_SELCHANGE);
const std::string kSetFocus = "command " + std::to_string(LBN_SETFOCUS);
const std::string kDblClk = "command " + std::to_string(LBN_DBLCLK);

TEST_P(ListBoxNotificationTest, Rule) {
    const auto& c = GetParam();
    HWND list = List(c.style);
    Add(list, {"zero", "one", "two", "three"});
    SetFocus(list);
    g_events.clear();
    c.act(list);
    EXPECT_EQ(g_events, c.events);
    std::vector<int> selected;
    for (int i = 0; i < 4; ++i)
        if (SendMessageA(list, LB_GETSEL, i, 0) > 0) selected.push_back(i);
    EXPECT_EQ(selected, c.selected);
}

void ClickRow(HWND list, int row, WPARAM keys) {
    SendMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON | keys, MAKELPARAM(5, row * 16 + 2));
    SendMessageA(list, WM_LBUTTONUP, keys, MAKELPARAM(5, row * 16 + 2));
}

void Key(HWND list, int vk) { SendMessageA(list, WM_KEYDOWN, vk, 0); }

INSTANTIATE_TEST_SUITE_P(
    Table, ListBoxNotificationTest,
    ::testing::Values(
        NotificationCase{"ProgramSelection", LBS_NOTIFY, [](HWND l) { SendMessageA(l, LB_SETCURSEL, 2, 0); }, {}, {2}},
        NotificationCase{"ClickSelects", LBS_NOTIFY, [](HWND l) { ClickRow(l, 1); }, {kSelChange}, {1}},
        NotificationCase{"ClickOnSelectedItem", LBS_NOTIFY,
                         [](HWND l) {
                             SendMessageA(l, LB_SETCURSEL, 1, 0);
                             ClickRow(l, 1);
                         },
                         {}, {1}},
        NotificationCase{"ClickWithoutNotifyStyle", 0, [](HWND l) { ClickRow(l, 1); }, {}, {1}},
        NotificationCase{"ClickBelowTheItems", LBS_NOTIFY, [](HWND l) { ClickRow(l, 5); }, {}, {}},
        NotificationCase{"ArrowKeyMoves", LBS_NOTIFY,
                         [](HWND l) {
                             SendMessageA(l, LB_SETCURSEL, 1, 0);
                             Key(l, VK_DOWN);
                         },
                         {kSelChange}, {2}},
        NotificationCase{"EndKey", LBS_NOTIFY, [](HWND l) { Key(l, VK_END); }, {kSelChange}, {3}},
        NotificationCase{"TypedLetterFindsItem", LBS_NOTIFY, [](HWND l) { SendMessageA(l, WM_CHAR, 't', 0); },
                         {kSelChange}, {2}},
        NotificationCase{"DoubleClick", LBS_NOTIFY,
                         [](HWND l) {
                             ClickRow(l, 0);
                             SendMessageA(l, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 2));
                         },
                         {kSelChange, kDblClk}, {0}},
        NotificationCase{"MultipleToggles", LBS_NOTIFY | LBS_MULTIPLESEL,
                         [](HWND l) {
                             ClickRow(l, 1);
                             ClickRow(l, 3);
                             ClickRow(l, 1);
                         },
                         {kSelChange, kSelChange, kSelChange}, {3}},
        NotificationCase{"ExtendedShiftClickSelectsRange", LBS_NOTIFY | LBS_EXTENDEDSEL,
                         [](HWND l) {
                             ClickRow(l, 1);
                             ClickRow(l, 3, MK_SHIFT);
                         },
                         {kSelChange, kSelChange}, {1, 2, 3}},
        NotificationCase{"ExtendedControlClickAdds", LBS_NOTIFY | LBS_EXTENDEDSEL,
                         [](HWND l) {
                             ClickRow(l, 0);
                             ClickRow(l, 2, MK_CONTROL);
                         },
                         {kSelChange, kSelChange}, {0, 2}},
        NotificationCase{"ExtendedPlainClickReplaces", LBS_NOTIFY | LBS_EXTENDEDSEL,
                         [](HWND l) {
                             SendMessageA(l, LB_SETSEL, TRUE, -1);
                             ClickRow(l, 2);
                         },
                         {kSelChange}, {2}},
        NotificationCase{"ProgramMultipleSelection", LBS_NOTIFY | LBS_EXTENDEDSEL,
                         [](HWND l) { SendMessageA(l, LB_SELITEMRANGEEX, 0, 2); }, {}, {0, 1, 2}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ListBoxTest, FocusIsAnnouncedToTheParent) {
    HWND list = List(0);
    Add(list, {"a"});
    ClickRow(list, 0);
    EXPECT_EQ(g_events, (std::vector<std::string>{kSetFocus}));
}

TEST_F(ListBoxTest, ItemDataAndDeletionNotices) {
    HWND list = List(LBS_OWNERDRAWFIXED | LBS_HASSTRINGS);
    EXPECT_EQ(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0), 20);  // from WM_MEASUREITEM
    Add(list, {"a", "b", "c"});
    for (int i = 0; i < 3; ++i) SendMessageA(list, LB_SETITEMDATA, i, 10 + i);
    SendMessageA(list, LB_SETCURSEL, 2, 0);
    EXPECT_EQ(SendMessageA(list, LB_DELETESTRING, 0, 0), 2);
    EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), 1);  // the selection moves with its item
    EXPECT_EQ(SendMessageA(list, LB_GETITEMDATA, 1, 0), 12);
    DestroyWindow(list);
    EXPECT_EQ(g_events, (std::vector<std::string>{"delete 0 data 10", "delete 0 data 11", "delete 1 data 12"}));
}

TEST_F(ListBoxTest, GeometryOfItems) {
    HWND list = List(0);  // no border: the client area is 200 by 100, six rows of 16
    for (int i = 0; i < 10; ++i) SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("item"));
    SendMessageA(list, LB_SETCURSEL, 9, 0);  // scrolls the item into view
    EXPECT_EQ(SendMessageA(list, LB_GETTOPINDEX, 0, 0), 4);
    RECT rect;
    SendMessageA(list, LB_GETITEMRECT, 5, reinterpret_cast<LPARAM>(&rect));
    EXPECT_EQ(rect.top, 16);
    EXPECT_EQ(rect.right, 200);
    EXPECT_EQ(SendMessageA(list, LB_ITEMFROMPOINT, 0, MAKELPARAM(3, 40)), MAKELRESULT(6, 0));
    EXPECT_EQ(HIWORD(SendMessageA(list, LB_ITEMFROMPOINT, 0, MAKELPARAM(3, 99 + 16 * 6))), 1);
    SendMessageA(list, LB_SETHORIZONTALEXTENT, 300, 0);
    EXPECT_EQ(SendMessageA(list, LB_GETHORIZONTALEXTENT, 0, 0), 300);
}

TEST_F(ListBoxTest, WorkerFillsTheListWhileTheOwnerPumps) {
    HWND list = List(LBS_SORT);
    std::thread worker([list, this] {
        for (int i = 0; i < 40; ++i) {
            std::string text = "row " + std::to_string(39 - i);
            SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        }
        PostMessageA(parent_, WM_APP, 0, 0);
    });
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) && msg.message != WM_APP) DispatchMessageA(&msg);
    worker.join();
    EXPECT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 40);
    EXPECT_EQ(Text(list, 0), "row 0");
    EXPECT_EQ(Text(list, 1), "row 1");
    EXPECT_EQ(Text(list, 2), "row 10");
}

TEST_F(ListBoxTest, OwnerDrawnRowsArePaintedByTheParent) {
    HWND list = List(LBS_OWNERDRAWFIXED | LBS_HASSTRINGS);
    Add(list, {"first", "second"});
    SendMessageA(list, LB_SETCURSEL, 1, 0);
    vpr::user::ClearPaintRecord(list);
    vpr::user::PaintNow(list);
    std::vector<std::string> texts;
    std::vector<LONG> tops;
    for (const auto& call : vpr::user::PaintRecord(list)) {
        if (call.kind != vpr::user::GdiCall::Kind::kText) continue;
        texts.push_back(call.text);
        tops.push_back(call.rect.top);
        EXPECT_EQ(call.rect.left, 3);
    }
    EXPECT_EQ(texts, (std::vector<std::string>{"first", "second"}));
    EXPECT_EQ(tops, (std::vector<LONG>{2, 22}));  // rows of 20, text of 16 centred
    // The selected row was filled with the highlight colour.
    EXPECT_EQ(vpr::user::WindowPixel(list, 100, 30), GetSysColor(COLOR_HIGHLIGHT));
    EXPECT_EQ(vpr::user::WindowPixel(list, 100, 10), GetSysColor(COLOR_WINDOW));
}

}  // namespace
