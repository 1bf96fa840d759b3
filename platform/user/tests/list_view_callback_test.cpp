#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "windows.h"

namespace {

// A parent that keeps the texts and images of its list view's items itself,
// keyed by the item's lParam, and notes every question it is asked.
struct Asked {
    int item;
    int subItem;
    UINT mask;
    bool operator==(const Asked&) const = default;
};
std::map<LPARAM, std::string> g_names;
std::map<LPARAM, int> g_images;
std::vector<Asked> g_asked;
bool g_keep = false;        // answer with LVIF_DI_SETITEM
bool g_ownBuffer = false;   // point pszText at the parent's own text

LRESULT CALLBACK KeeperProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NOTIFY && reinterpret_cast<NMHDR*>(lParam)->code == LVN_GETDISPINFOA) {
        auto* info = reinterpret_cast<NMLVDISPINFOA*>(lParam);
        g_asked.push_back({info->item.iItem, info->item.iSubItem, info->item.mask});
        if (info->item.mask & LVIF_TEXT) {
            static std::string own;
            own = g_names[info->item.lParam] + (info->item.iSubItem ? " detail" : "");
            if (g_ownBuffer) {
                info->item.pszText = own.data();
            } else {
                std::strncpy(info->item.pszText, own.c_str(), static_cast<size_t>(info->item.cchTextMax) - 1);
            }
        }
        if (info->item.mask & LVIF_IMAGE) info->item.iImage = g_images[info->item.lParam];
        if (g_keep) info->item.mask |= LVIF_DI_SETITEM;
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

class ListViewCallbackTest : public ::testing::Test {
protected:
    void SetUp() override {
        WNDCLASSA wc{};
        wc.lpfnWndProc = KeeperProc;
        wc.lpszClassName = "ItemKeeper";
        RegisterClassA(&wc);
        InitCommonControls();
        parent_ = CreateWindowExA(0, "ItemKeeper", "", WS_POPUP | WS_VISIBLE, 0, 0, 400, 300, nullptr, nullptr,
                                  nullptr, nullptr);
        g_names = {{1, "Word"}, {2, "calc"}, {3, "Access"}};
        g_images = {{1, 4}, {2, 5}, {3, 6}};
        g_asked.clear();
        g_keep = g_ownBuffer = false;
    }
    void TearDown() override { DestroyWindow(parent_); }
    HWND List(DWORD style) {
        return CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_REPORT | style, 0, 0, 300, 200,
                               parent_, reinterpret_cast<HMENU>(9), nullptr, nullptr);
    }
    static void InsertKept(HWND list, LPARAM param) {
        LVITEMA item{};
        item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
        item.iItem = 100;
        item.pszText = LPSTR_TEXTCALLBACKA;
        item.iImage = I_IMAGECALLBACK;
        item.lParam = param;
        SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    }
    static std::string Text(HWND list, int index, int subItem = 0) {
        char text[64] = {};
        LVITEMA item{};
        item.iSubItem = subItem;
        item.pszText = text;
        item.cchTextMax = sizeof(text);
        SendMessageA(list, LVM_GETITEMTEXTA, index, reinterpret_cast<LPARAM>(&item));
        return text;
    }
    static int Image(HWND list, int index) {
        LVITEMA item{};
        item.mask = LVIF_IMAGE;
        item.iItem = index;
        SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
        return item.iImage;
    }
    HWND parent_ = nullptr;
};

TEST_F(ListViewCallbackTest, SortedInsertionFindingAndReadingAskTheParent) {
    for (bool ownBuffer : {false, true}) {
        g_ownBuffer = ownBuffer;
        HWND list = List(LVS_SORTASCENDING);
        for (LPARAM param : {1, 2, 3}) InsertKept(list, param);
        // Sorted by the parent's texts, without regard to case.
        EXPECT_EQ(Text(list, 0), "Access");
        EXPECT_EQ(Text(list, 1), "calc");
        EXPECT_EQ(Text(list, 2), "Word");
        EXPECT_EQ(Image(list, 2), 4);
        LVFINDINFOA find{};
        find.flags = LVFI_STRING;
        find.psz = "CALC";
        EXPECT_EQ(SendMessageA(list, LVM_FINDITEMA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)), 1);
        // A sub-item may be kept by the parent too.
        LVITEMA sub{};
        sub.mask = LVIF_TEXT;
        sub.iItem = 1;
        sub.iSubItem = 1;
        sub.pszText = LPSTR_TEXTCALLBACKA;
        SendMessageA(list, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&sub));
        EXPECT_EQ(Text(list, 1, 1), "calc detail");
        // A text given later replaces the callback.
        sub.pszText = const_cast<char*>("own");
        SendMessageA(list, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&sub));
        g_asked.clear();
        EXPECT_EQ(Text(list, 1, 1), "own");
        EXPECT_TRUE(g_asked.empty());
        DestroyWindow(list);
    }
}

TEST_F(ListViewCallbackTest, PaintingAsksForEveryShownTextAndImageUntilTheParentSaysKeepIt) {
    HWND list = List(0);
    LVCOLUMNA column{};
    column.mask = LVCF_WIDTH;
    column.cx = 100;
    SendMessageA(list, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
    HIMAGELIST images = ImageList_Create(16, 16, ILC_COLOR, 8, 0);
    SendMessageA(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images));
    InsertKept(list, 1);
    InsertKept(list, 2);
    g_asked.clear();
    UpdateWindow(list);
    const std::vector<Asked> painted = {{0, 0, LVIF_IMAGE}, {0, 0, LVIF_TEXT}, {1, 0, LVIF_IMAGE}, {1, 0, LVIF_TEXT}};
    EXPECT_EQ(g_asked, painted);

    // Answers marked to be kept are asked for once.
    g_keep = true;
    EXPECT_EQ(Text(list, 0), "Word");
    EXPECT_EQ(Image(list, 0), 4);
    g_names[1] = "Changed";
    g_asked.clear();
    EXPECT_EQ(Text(list, 0), "Word");
    EXPECT_EQ(Image(list, 0), 4);
    EXPECT_TRUE(g_asked.empty());
    DestroyWindow(list);
}

}  // namespace
