#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "afxwin.h"
#include "test_ids.h"

using vpr::user::UiDriver;
namespace ui = vpr::user::ui;

namespace {

constexpr UINT kAnswered = WM_USER + 1;  // the previous procedure answers it
constexpr UINT kMapped = WM_USER + 2;    // the object's map answers it

// A window procedure of someone else's: answers kAnswered with 55 and
// records what reaches it.
std::vector<UINT> g_reachedElsewhere;
LRESULT CALLBACK ElsewhereProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message >= WM_USER) g_reachedElsewhere.push_back(message);
    if (message == kAnswered) return 55;
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

HWND CreateElsewhere(const char* title = "made elsewhere", DWORD style = WS_OVERLAPPEDWINDOW) {
    static ATOM registered = [] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = ElsewhereProc;
        wc.lpszClassName = "Elsewhere";
        return RegisterClassA(&wc);
    }();
    (void)registered;
    return CreateWindowExA(0, "Elsewhere", title, style, 0, 0, 400, 300, nullptr, nullptr, nullptr, nullptr);
}

class CWatcher : public CWnd {
public:
    int destroyed = 0;
    int finished = 0;

protected:
    afx_msg LRESULT OnMapped(WPARAM wParam, LPARAM) { return static_cast<LRESULT>(wParam) * 2; }
    afx_msg void OnDestroy() {
        ++destroyed;
        CWnd::OnDestroy();
    }
    void PostNcDestroy() override { ++finished; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CWatcher, CWnd)
ON_MESSAGE(kMapped, OnMapped)
ON_WM_DESTROY()
END_MESSAGE_MAP()

TEST(Subclassing, HandlesItsMessagesAndPassesTheRestToThePreviousProcedure) {
    g_reachedElsewhere.clear();
    HWND hwnd = CreateElsewhere();
    ASSERT_NE(hwnd, nullptr);
    CWatcher watcher;
    ASSERT_TRUE(watcher.SubclassWindow(hwnd));
    EXPECT_EQ(CWnd::FromHandlePermanent(hwnd), &watcher);
    EXPECT_EQ(watcher.SendMessage(kMapped, 21), 42);
    EXPECT_EQ(watcher.SendMessage(kAnswered), 55);
    EXPECT_EQ(g_reachedElsewhere, std::vector<UINT>{kAnswered});
    watcher.SetWindowText("renamed");  // unmapped: the previous procedure keeps the text
    CString text;
    watcher.GetWindowText(text);
    EXPECT_STREQ(text, "renamed");

    CWatcher second;
    EXPECT_FALSE(second.SubclassWindow(hwnd));  // one object per window

    EXPECT_EQ(watcher.UnsubclassWindow(), hwnd);
    EXPECT_EQ(GetWindowLongPtrA(hwnd, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(ElsewhereProc));
    EXPECT_EQ(CWnd::FromHandlePermanent(hwnd), nullptr);
    EXPECT_EQ(SendMessageA(hwnd, kMapped, 21, 0), 0);

    // Bound again, the window's end unbinds the object.
    ASSERT_TRUE(watcher.SubclassWindow(hwnd));
    DestroyWindow(hwnd);
    EXPECT_EQ(watcher.destroyed, 1);
    EXPECT_EQ(watcher.finished, 1);
    EXPECT_EQ(watcher.m_hWnd, nullptr);
    EXPECT_EQ(CWnd::FromHandlePermanent(hwnd), nullptr);
}

TEST(Subclassing, AnObjectGoingFirstGivesTheWindowBack) {
    HWND hwnd = CreateElsewhere();
    {
        CWatcher watcher;
        ASSERT_TRUE(watcher.SubclassWindow(hwnd));
    }
    EXPECT_TRUE(IsWindow(hwnd));
    EXPECT_EQ(GetWindowLongPtrA(hwnd, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(ElsewhereProc));
    EXPECT_EQ(SendMessageA(hwnd, kAnswered, 0, 0), 55);
    DestroyWindow(hwnd);
}

TEST(HandleMaps, TemporaryObjectsAndAttachedOnes) {
    HWND hwnd = CreateElsewhere();
    CWnd* temporary = CWnd::FromHandle(hwnd);
    ASSERT_NE(temporary, nullptr);
    EXPECT_EQ(temporary->m_hWnd, hwnd);
    EXPECT_EQ(CWnd::FromHandle(hwnd), temporary);
    EXPECT_EQ(CWnd::FromHandlePermanent(hwnd), nullptr);
    EXPECT_EQ(CWnd::FromHandle(nullptr), nullptr);

    // Attaching binds without taking the window's procedure.
    CWnd attached;
    ASSERT_TRUE(attached.Attach(hwnd));
    EXPECT_EQ(CWnd::FromHandle(hwnd), &attached);
    EXPECT_EQ(GetWindowLongPtrA(hwnd, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(ElsewhereProc));
    EXPECT_EQ(attached.Detach(), hwnd);
    EXPECT_EQ(attached.m_hWnd, nullptr);
    EXPECT_EQ(CWnd::FromHandle(hwnd), temporary);
    DestroyWindow(hwnd);
}

// --- Message maps and reflection ---------------------------------------------------

std::vector<std::string> g_events;

class CBaseWnd : public CWnd {
protected:
    afx_msg int OnCreate(LPCREATESTRUCTA create) {
        g_events.push_back(std::string("create ") + create->lpszName);
        return CWnd::OnCreate(create);
    }
    afx_msg LRESULT OnBaseMessage(WPARAM, LPARAM) { return 10; }
    afx_msg void OnHundred() { g_events.push_back("base 100"); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CBaseWnd, CWnd)
ON_WM_CREATE()
ON_MESSAGE(WM_USER + 10, OnBaseMessage)
ON_COMMAND(100, OnHundred)
ON_COMMAND(101, OnHundred)
END_MESSAGE_MAP()

UINT g_refill = 0;

class CParentWnd : public CBaseWnd {
protected:
    afx_msg void OnHundred() { g_events.push_back("derived 100"); }
    afx_msg void OnClicked201() { g_events.push_back("parent 201"); }
    afx_msg void OnClicked202() { g_events.push_back("parent 202"); }
    afx_msg void OnClick300(NMHDR* header, LRESULT* result) {
        g_events.push_back("parent notify " + std::to_string(header->idFrom));
        *result = 7;
    }
    afx_msg LRESULT OnRefill(WPARAM, LPARAM) {
        g_events.push_back("refill");
        return 1;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CParentWnd, CBaseWnd)
ON_COMMAND(100, OnHundred)
ON_BN_CLICKED(201, OnClicked201)
ON_BN_CLICKED(202, OnClicked202)
ON_NOTIFY(NM_CLICK, 300, OnClick300)
ON_NOTIFY(NM_CLICK, 301, OnClick300)
ON_REGISTERED_MESSAGE(g_refill, OnRefill)
END_MESSAGE_MAP()

// A control class that handles its own click and notification.
class CReflectingButton : public CButton {
protected:
    afx_msg void OnReflectedClick() { g_events.push_back("button reflected"); }
    afx_msg void OnReflectedNotify(NMHDR*, LRESULT* result) {
        g_events.push_back("button notify reflected");
        *result = 9;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CReflectingButton, CButton)
ON_CONTROL_REFLECT(BN_CLICKED, OnReflectedClick)
ON_NOTIFY_REFLECT(NM_CLICK, OnReflectedNotify)
END_MESSAGE_MAP()

LRESULT Notify(HWND parent, HWND from, UINT_PTR id) {
    NMHDR header{from, id, NM_CLICK};
    return SendMessageA(parent, WM_NOTIFY, id, reinterpret_cast<LPARAM>(&header));
}

TEST(MessageMaps, DispatchThroughClassesAndReflectToControls) {
    UiDriver driver;
    g_events.clear();
    g_refill = RegisterWindowMessageA("RefillViewMessage");
    HWND parentWindow = nullptr;
    {
        CParentWnd parent;
        ASSERT_TRUE(parent.CreateEx(0, nullptr, "parent", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200, nullptr,
                                    nullptr));
        parentWindow = parent.m_hWnd;
        EXPECT_EQ(g_events, std::vector<std::string>{"create parent"});  // bound before its first message
        g_events.clear();

        CReflectingButton reflecting;
        ASSERT_TRUE(reflecting.Create("Reflecting", WS_VISIBLE | BS_PUSHBUTTON, CRect(5, 5, 80, 25), &parent, 201));
        HWND plain = CreateWindowExA(0, "BUTTON", "Plain", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 5, 30, 80, 20,
                                     parent.m_hWnd, reinterpret_cast<HMENU>(202), nullptr, nullptr);
        ui::Click(parent.m_hWnd, 201);
        ui::Click(parent.m_hWnd, 202);
        EXPECT_EQ(g_events, (std::vector<std::string>{"button reflected", "parent 202"}));
        g_events.clear();

        // Commands: the most derived class's entry wins, the base's entries
        // still serve what the derived class does not map.
        parent.SendMessage(WM_COMMAND, MAKEWPARAM(100, 0));
        parent.SendMessage(WM_COMMAND, MAKEWPARAM(101, 0));
        EXPECT_EQ(parent.SendMessage(WM_USER + 10), 10);
        EXPECT_EQ(g_events, (std::vector<std::string>{"derived 100", "base 100"}));
        g_events.clear();

        // Notifications: the control's reflected entry answers first.
        EXPECT_EQ(Notify(parent.m_hWnd, reflecting.m_hWnd, 201), 9);
        EXPECT_EQ(Notify(parent.m_hWnd, plain, 301), 7);
        EXPECT_EQ(Notify(parent.m_hWnd, plain, 302), 0);  // nobody maps it
        EXPECT_EQ(parent.SendMessage(g_refill), 1);
        EXPECT_EQ(g_events, (std::vector<std::string>{"button notify reflected", "parent notify 301", "refill"}));

        EXPECT_EQ(parent.SendMessage(WM_USER + 50), 0);  // unmapped: the default procedure
        parent.SetWindowText("still works");
        CString text;
        parent.GetWindowText(text);
        EXPECT_STREQ(text, "still works");
    }
    // The object made its window, so the window went with it.
    EXPECT_FALSE(IsWindow(parentWindow));
    EXPECT_TRUE(driver.Failures().empty());
}

// --- A page as the administration module writes them ----------------------------

// An owner-drawn list: draws each row's text itself.
class COwnerList : public CListBox {
public:
    std::vector<std::string> drawn;
    void DrawItem(LPDRAWITEMSTRUCT item) override {
        CString text;
        GetText(static_cast<int>(item->itemID), text);
        drawn.push_back((LPCSTR)text);
        CDC* dc = CDC::FromHandle(item->hDC);
        dc->TextOut(item->rcItem.left + 3, item->rcItem.top, text);
    }
};

class CSamplePage : public CDialog {
public:
    CSamplePage() : CDialog(IDD_PAGE) {}
    CEdit m_edit;
    COwnerList m_list;
    int initialised = 0;

    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        ++initialised;
        m_list.AddString("first");
        m_list.AddString("second");
        return TRUE;
    }
    // A page never ends itself: OK goes to the host's procedure.
    void OnOK() override { DefWindowProc(WM_COMMAND, IDOK, 0); }

protected:
    void DoDataExchange(CDataExchange* pDX) override {
        DDX_Control(pDX, IDC_NAME_EDIT, m_edit);
        DDX_Control(pDX, IDC_LIST, m_list);
    }
    afx_msg void OnUpper() {
        CString text;
        m_edit.GetWindowText(text);
        text.MakeUpper();
        m_edit.SetWindowText(text);
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CSamplePage, CDialog)
ON_BN_CLICKED(IDC_UPPER, OnUpper)
END_MESSAGE_MAP()

std::vector<UINT> g_hostSaw;

// The page's dialog procedure, as every page of the module carries it: the
// host makes the window and passes the page object with WM_INITDIALOG.
INT_PTR CALLBACK PageDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* page = reinterpret_cast<CDialog*>(lParam);
        if (!CWnd::FromHandlePermanent(window)) page->SubclassWindow(window);
        return page->OnInitDialog();
    }
    if (message == WM_COMMAND && lParam == 0) g_hostSaw.push_back(LOWORD(wParam));  // not from a control
    return 0;
}

TEST(Pages, RunOnAWindowTheHostMade) {
    UiDriver driver;
    g_hostSaw.clear();
    HWND frame = CreateElsewhere("host", WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    CSamplePage page;
    HWND window = CreateDialogParamA(nullptr, MAKEINTRESOURCEA(IDD_PAGE), frame, PageDialogProc,
                                     reinterpret_cast<LPARAM>(&page));
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(page.m_hWnd, window);
    EXPECT_EQ(page.initialised, 1);
    EXPECT_NE(page.m_edit.m_hWnd, nullptr);

    // The person types and clicks; the page's map handles the click.
    ui::Type(window, IDC_NAME_EDIT, "word.exe");
    ui::Click(window, IDC_UPPER);
    CString text;
    page.m_edit.GetWindowText(text);
    EXPECT_STREQ(text, "WORD.EXE");

    // The owner-drawn list's rows come to the list's own DrawItem.
    vpr::user::PaintNow(page.m_list.m_hWnd);
    EXPECT_EQ(page.m_list.drawn, (std::vector<std::string>{"first", "second"}));
    bool drewFirst = false;
    for (const auto& call : vpr::user::PaintRecord(page.m_list.m_hWnd)) drewFirst |= call.text == "first";
    EXPECT_TRUE(drewFirst);

    // OK goes to the host's procedure and leaves page and window in place.
    page.SendMessage(WM_COMMAND, IDOK);
    EXPECT_EQ(g_hostSaw, std::vector<UINT>{IDOK});
    EXPECT_TRUE(IsWindow(window));
    EXPECT_EQ(page.m_hWnd, window);

    DestroyWindow(frame);
    EXPECT_EQ(page.m_hWnd, nullptr);
    EXPECT_EQ(page.m_edit.m_hWnd, nullptr);
    EXPECT_EQ(page.m_list.m_hWnd, nullptr);
    EXPECT_TRUE(driver.Failures().empty());
}

// A parent that draws its list itself keeps the message.
class CDrawingPage : public CSamplePage {
public:
    int parentDrew = 0;

protected:
    afx_msg void OnDrawItem(int, LPDRAWITEMSTRUCT) { ++parentDrew; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CDrawingPage, CSamplePage)
ON_WM_DRAWITEM()
END_MESSAGE_MAP()

TEST(Pages, ParentsOwnDrawItemComesBeforeReflection) {
    CWnd frame;
    ASSERT_TRUE(frame.CreateEx(0, nullptr, "frame", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400, 300, nullptr, nullptr));
    CDrawingPage page;
    ASSERT_TRUE(page.Create(IDD_PAGE, &frame));
    vpr::user::PaintNow(page.m_list.m_hWnd);
    EXPECT_EQ(page.parentDrew, 2);
    EXPECT_TRUE(page.m_list.drawn.empty());
    page.DestroyWindow();
}

}  // namespace
