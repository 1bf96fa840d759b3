#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <map>
#include <numeric>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "notify_parent.h"
#include "windows.h"

namespace {

using vpr::user::testing::NotifyParent;

int Insert(HWND list, const char* text, LPARAM param = 0, int at = 1000) {
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = at;
    item.pszText = const_cast<char*>(text);
    item.lParam = param;
    return static_cast<int>(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
}

std::string Text(HWND list, int index, int subItem = 0) {
    char text[64] = {};
    LVITEMA item{};
    item.iSubItem = subItem;
    item.pszText = text;
    item.cchTextMax = sizeof(text);
    SendMessageA(list, LVM_GETITEMTEXTA, index, reinterpret_cast<LPARAM>(&item));
    return text;
}

std::vector<std::string> Texts(HWND list) {
    std::vector<std::string> texts;
    for (int i = 0; i < SendMessageA(list, LVM_GETITEMCOUNT, 0, 0); ++i) texts.push_back(Text(list, i));
    return texts;
}

void SetState(HWND list, int index, UINT state, UINT mask) {
    LVITEMA item{};
    item.state = state;
    item.stateMask = mask;
    SendMessageA(list, LVM_SETITEMSTATE, index, reinterpret_cast<LPARAM>(&item));
}

int Next(HWND list, int start, UINT flags) {
    return static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, start, MAKELPARAM(flags, 0)));
}

std::vector<int> Selected(HWND list) {
    std::vector<int> rows;
    for (int i = Next(list, -1, LVNI_SELECTED); i >= 0; i = Next(list, i, LVNI_SELECTED)) rows.push_back(i);
    return rows;
}

void AddColumn(HWND list, int index, const char* text, int width) {
    LVCOLUMNA column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = const_cast<char*>(text);
    column.cx = width;
    SendMessageA(list, LVM_INSERTCOLUMNA, index, reinterpret_cast<LPARAM>(&column));
}

// Report rows are 16 high under a 20 pixel header.
LPARAM RowPoint(int row) { return MAKELPARAM(10, 20 + row * 16 + 4); }

TEST(ListViewTest, SortedInsertIgnoresCaseAndKeepsEqualTextsInOrder) {
    struct Case {
        DWORD style;
        std::vector<int> positions;
        std::vector<std::string> order;
    };
    const Case cases[] = {
        {LVS_SORTASCENDING, {0, 0, 1, 3, 3}, {"Alpha", "alpha", "beta", "BETA", "Gamma"}},
        {LVS_SORTDESCENDING, {0, 1, 2, 0, 2}, {"Gamma", "beta", "BETA", "Alpha", "alpha"}},
        {0, {0, 1, 2, 3, 4}, {"beta", "Alpha", "alpha", "Gamma", "BETA"}},
    };
    for (const Case& c : cases) {
        NotifyParent parent;
        HWND list = parent.Child(WC_LISTVIEWA, LVS_REPORT | c.style);
        std::vector<int> positions;
        for (const char* text : {"beta", "Alpha", "alpha", "Gamma", "BETA"}) positions.push_back(Insert(list, text));
        EXPECT_EQ(positions, c.positions) << c.style;
        EXPECT_EQ(Texts(list), c.order) << c.style;
    }
}

int CALLBACK CompareTens(LPARAM a, LPARAM b, LPARAM direction) {
    return static_cast<int>((a / 10 - b / 10) * direction);
}

TEST(ListViewTest, SortByCallbackIsStable) {
    NotifyParent parent;
    HWND list = parent.Child(WC_LISTVIEWA, LVS_REPORT);
    for (LPARAM param : {31, 12, 35, 11, 22, 33}) Insert(list, std::to_string(param).c_str(), param);
    EXPECT_TRUE(SendMessageA(list, LVM_SORTITEMS, 1, reinterpret_cast<LPARAM>(CompareTens)));
    EXPECT_EQ(Texts(list), (std::vector<std::string>{"12", "11", "22", "31", "35", "33"}));
    // In order already, equal values included: nothing moves.
    EXPECT_TRUE(SendMessageA(list, LVM_SORTITEMS, 1, reinterpret_cast<LPARAM>(CompareTens)));
    EXPECT_EQ(Texts(list), (std::vector<std::string>{"12", "11", "22", "31", "35", "33"}));
    SendMessageA(list, LVM_SORTITEMS, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(CompareTens));
    EXPECT_EQ(Texts(list), (std::vector<std::string>{"31", "35", "33", "22", "12", "11"}));
}

TEST(ListViewTest, EveryItemIsReportedDeletedAlsoWhenTheControlIsDestroyed) {
    NotifyParent parent;
    HWND list = parent.Child(WC_LISTVIEWA, LVS_REPORT);
    for (LPARAM param : {101, 102, 103, 104}) Insert(list, "row", param);
    EXPECT_TRUE(SendMessageA(list, LVM_DELETEITEM, 1, 0));
    EXPECT_FALSE(SendMessageA(list, LVM_DELETEITEM, 9, 0));
    ASSERT_EQ(parent.Of(LVN_DELETEITEM).size(), 1u);
    EXPECT_EQ(parent.Of(LVN_DELETEITEM)[0].param, 102);
    parent.log.clear();
    DestroyWindow(parent.window);  // the list goes with its parent
    std::vector<LPARAM> params;
    for (auto& n : parent.Of(LVN_DELETEITEM)) params.push_back(n.param);
    EXPECT_EQ(params, (std::vector<LPARAM>{101, 103, 104}));
}

TEST(ListViewTest, DeleteAllAsksTheParentWhetherToReportEachItem) {
    for (LRESULT answer : {0, 1}) {
        NotifyParent parent;
        parent.answers[LVN_DELETEALLITEMS] = answer;
        HWND list = parent.Child(WC_LISTVIEWA, LVS_REPORT);
        Insert(list, "a", 1);
        Insert(list, "b", 2);
        EXPECT_TRUE(SendMessageA(list, LVM_DELETEALLITEMS, 0, 0));
        EXPECT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 0);
        std::vector<UINT> expected{LVN_DELETEALLITEMS};
        if (!answer) expected.insert(expected.end(), {LVN_DELETEITEM, LVN_DELETEITEM});
        std::vector<UINT> codes;
        for (UINT code : parent.Codes())
            if (code != LVN_INSERTITEM) codes.push_back(code);
        EXPECT_EQ(codes, expected) << answer;
    }
}

TEST(ListViewTest, NextItemByStateStartsAfterTheGivenItem) {
    NotifyParent parent;
    HWND list = parent.Child(WC_LISTVIEWA, LVS_REPORT);
    for (const char* text : {"a", "b", "c", "d", "e"}) Insert(list, text);
    SetState(list, 0, LVIS_SELECTED, LVIS_SELECTED);
    SetState(list, 2, LVIS_SELECTED, LVIS_SELECTED);
    SetState(list, 3, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    EXPECT_EQ(Selected(list), (std::vector<int>{0, 2, 3}));
    EXPECT_EQ(Next(list, 2, LVNI_SELECTED), 3);
    EXPECT_EQ(Next(list, 3, LVNI_SELECTED), -1);
    EXPECT_EQ(Next(list, -1, LVNI_FOCUSED), 3);
    EXPECT_EQ(Next(list, 1, LVNI_ALL), 2);
    EXPECT_EQ(Next(list, 3, LVNI_SELECTED | LVNI_ABOVE), 2);
    EXPECT_EQ(SendMessageA(list, LVM_GETSELECTEDCOUNT, 0, 0), 3);
    // The focus is on one item only.
    SetState(list, 1, LVIS_FOCUSED, LVIS_FOCUSED);
    EXPECT_EQ(Next(list, -1, LVNI_FOCUSED), 1);
    EXPECT_EQ(Next(list, 1, LVNI_FOCUSED), -1);
    EXPECT_EQ(SendMessageA(list, LVM_GETITEMSTATE, 3, LVIS_SELECTED | LVIS_FOCUSED), LVIS_SELECTED);
}

TEST(ListViewTest, ProgramStateChangesAreReportedAndMayBeRefused) {
    NotifyParent parent;
    HWND list = parent.Child(WC_LISTVIEWA, LVS_REPORT);
    Insert(list, "a", 5);
    parent.log.clear();
    SetState(list, 0, LVIS_SELECTED, LVIS_SELECTED);
    SetState(list, 0, LVIS_SELECTED, LVIS_SELECTED);  // no change, no notification
    EXPECT_EQ(parent.Codes(), (std::vector<UINT>{LVN_ITEMCHANGING, LVN_ITEMCHANGED}));
    auto changed = parent.Of(LVN_ITEMCHANGED)[0];
    EXPECT_EQ(changed.param, 5);
    EXPECT_EQ(changed.newState, static_cast<UINT>(LVIS_SELECTED));
    EXPECT_EQ(changed.oldState, 0u);
    parent.answers[LVN_ITEMCHANGING] = TRUE;
    SetState(list, 0, 0, LVIS_SELECTED);
    EXPECT_EQ(Selected(list), std::vector<int>{0});
}

TEST(ListViewTest, SingleSelectionKeepsOneSelectedItem) {
    NotifyParent parent;
    HWND list = parent.Child(WC_LISTVIEWA, LVS_REPORT | LVS_SINGLESEL);
    for (const char* text : {"a", "b", "c"}) Insert(list, text);
    SetState(list, 0, LVIS_SELECTED, LVIS_SELECTED);
    SetState(list, 2, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_EQ(Selected(list), std::vector<int>{2});
}

TEST(ListViewTest, ItemsCarryImageParamAndSubItemTexts) {
    NotifyParent parent;
    HWND list = parent.Child(WC_LISTVIEWA, LVS_REPORT);
    AddColumn(list, 0, "Name", 130);
    AddColumn(list, 1, "Value", 300);
    EXPECT_EQ(Insert(list, "first", 42), 0);
    LVITEMA sub{};
    sub.iSubItem = 1;
    sub.pszText = const_cast<char*>("one");
    EXPECT_TRUE(SendMessageA(list, LVM_SETITEMTEXTA, 0, reinterpret_cast<LPARAM>(&sub)));
    LVITEMA set{};
    set.mask = LVIF_IMAGE;
    set.iImage = 3;
    EXPECT_TRUE(SendMessageA(list, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&set)));

    char text[4] = {};
    LVITEMA got{};
    got.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
    got.pszText = text;
    got.cchTextMax = sizeof(text);
    EXPECT_TRUE(SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&got)));
    EXPECT_STREQ(text, "fir");  // cut to the buffer
    EXPECT_EQ(got.iImage, 3);
    EXPECT_EQ(got.lParam, 42);
    EXPECT_EQ(Text(list, 0, 1), "one");
    EXPECT_EQ(Text(list, 0, 2), "");
    got.iItem = 1;
    EXPECT_FALSE(SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&got)));

    LVFINDINFOA find{LVFI_PARAM, nullptr, 42, {0, 0}, 0};
    EXPECT_EQ(SendMessageA(list, LVM_FINDITEMA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)), 0);
    find = LVFINDINFOA{LVFI_STRING, "FIRST", 0, {0, 0}, 0};
    EXPECT_EQ(SendMessageA(list, LVM_FINDITEMA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)), 0);
    EXPECT_EQ(SendMessageA(list, LVM_FINDITEMA, 0, reinterpret_cast<LPARAM>(&find)), -1);  // start is exclusive
}

TEST(ListViewTest, ColumnsInsertDeleteAndWidths) {
    NotifyParent parent;
    HWND list = parent.Child(WC_LISTVIEWA, LVS_REPORT);
    AddColumn(list, 0, "Name", 130);
    AddColumn(list, 1, "Value", 300);
    AddColumn(list, 1, "Type", 50);
    EXPECT_EQ(SendMessageA(list, LVM_GETCOLUMNWIDTH, 1, 0), 50);
    EXPECT_EQ(SendMessageA(list, LVM_GETCOLUMNWIDTH, 2, 0), 300);
    EXPECT_TRUE(SendMessageA(list, LVM_DELETECOLUMN, 1, 0));
    EXPECT_FALSE(SendMessageA(list, LVM_DELETECOLUMN, 5, 0));
    EXPECT_EQ(SendMessageA(list, LVM_GETCOLUMNWIDTH, 1, 0), 300);
    Insert(list, "a rather long name");
    EXPECT_TRUE(SendMessageA(list, LVM_SETCOLUMNWIDTH, 0, MAKELPARAM(LVSCW_AUTOSIZE, 0)));
    EXPECT_EQ(SendMessageA(list, LVM_GETCOLUMNWIDTH, 0, 0), 18 * 8 + 12);
    char text[16] = {};
    LVCOLUMNA column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = text;
    column.cchTextMax = sizeof(text);
    EXPECT_TRUE(SendMessageA(list, LVM_GETCOLUMNA, 1, reinterpret_cast<LPARAM>(&column)));
    EXPECT_STREQ(text, "Value");
    EXPECT_EQ(column.cx, 300);
}

TEST(ListViewTest, HitTestAndItemRectanglesInReportView) {
    NotifyParent parent;
    HWND list = parent.Child(WC_LISTVIEWA, LVS_REPORT);
    AddColumn(list, 0, "Name", 100);
    for (const char* text : {"a", "b", "c"}) Insert(list, text);
    RECT rect{LVIR_BOUNDS, 0, 0, 0};
    EXPECT_TRUE(SendMessageA(list, LVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&rect)));
    EXPECT_EQ(rect.top, 36);
    EXPECT_EQ(rect.bottom, 52);
    EXPECT_EQ(rect.right, 100);
    LVHITTESTINFO hit{{10, 40}, 0, 0, 0};
    EXPECT_EQ(SendMessageA(list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)), 1);
    EXPECT_EQ(hit.flags, static_cast<UINT>(LVHT_ONITEMLABEL));
    hit.pt = POINT{10, 10};  // on the header
    EXPECT_EQ(SendMessageA(list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)), -1);
    EXPECT_EQ(hit.flags, static_cast<UINT>(LVHT_NOWHERE));
    hit.pt = POINT{10, 150};  // below the rows
    EXPECT_EQ(SendMessageA(list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)), -1);
}

TEST(ListViewTest, IconViewPlacesItemsInSlotsAndArrangeClosesGaps) {
    NotifyParent parent;
    HWND list = parent.Child(WC_LISTVIEWA, LVS_ICON, 160);  // two cells per row
    for (const char* text : {"a", "b", "c"}) Insert(list, text);
    auto position = [&](int index) {
        POINT at{};
        SendMessageA(list, LVM_GETITEMPOSITION, index, reinterpret_cast<LPARAM>(&at));
        return std::make_pair(at.x, at.y);
    };
    EXPECT_EQ(position(2), std::make_pair(0, 64));
    SendMessageA(list, LVM_DELETEITEM, 0, 0);
    EXPECT_EQ(position(0), std::make_pair(76, 0));  // no auto arrange: items stay
    EXPECT_EQ(Insert(list, "d"), 2);
    EXPECT_EQ(position(2), std::make_pair(0, 0));  // the first free slot
    EXPECT_TRUE(SendMessageA(list, LVM_SETITEMPOSITION, 0, MAKELPARAM(300, 300)));
    EXPECT_TRUE(SendMessageA(list, LVM_ARRANGE, LVA_DEFAULT, 0));
    EXPECT_EQ(position(0), std::make_pair(0, 0));
    EXPECT_EQ(position(2), std::make_pair(0, 64));
    // Switching to a report moves the items into rows.
    SetWindowLongA(list, GWL_STYLE, (GetWindowLongA(list, GWL_STYLE) & ~LVS_TYPEMASK) | LVS_REPORT);
    EXPECT_EQ(position(1), std::make_pair(0, 36));
}

TEST(ListViewTest, OwnedImageListsGoWithTheControlSharedOnesStay) {
    size_t before = vpr::user::ImageListCount();
    for (DWORD style : {0ul, static_cast<unsigned long>(LVS_SHAREIMAGELISTS)}) {
        NotifyParent parent;
        HWND list = parent.Child(WC_LISTVIEWA, LVS_REPORT | style);
        HIMAGELIST images = ImageList_Create(16, 16, ILC_MASK, 0, 2);
        EXPECT_EQ(SendMessageA(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images)), 0);
        EXPECT_EQ(SendMessageA(list, LVM_GETIMAGELIST, LVSIL_SMALL, 0), reinterpret_cast<LRESULT>(images));
        DestroyWindow(list);
        EXPECT_EQ(vpr::user::ImageListCount(), before + (style ? 1 : 0));
        ImageList_Destroy(images);
    }
    EXPECT_EQ(vpr::user::ImageListCount(), before);
}

struct InputCase {
    const char* name;
    DWORD style;
    std::function<void(HWND)> act;
    std::vector<UINT> codes;  // notifications other than item changes, in order
    std::vector<int> selected;
};
// A case is printed as text, not as raw bytes, when it fails.
void PrintTo(const InputCase& c, std::ostream* os) { *os << c.name; }

// Fills in the text a list view asks its parent for.
void Answer(NMLVDISPINFOA* info, const std::string& text) {
    std::strncpy(info->item.pszText, text.c_str(), static_cast<size_t>(info->item.cchTextMax) - 1);
}

// Each case runs on a list that keeps its items and on an owner-data list
// (true) whose parent has the same rows: input works alike on both.
class ListViewInputTest : public ::testing::TestWithParam<std::tuple<InputCase, bool>> {};

TEST_P(ListViewInputTest, UserInputSelectsAndNotifies) {
    const auto& [c, ownerData] = GetParam();
    NotifyParent parent;
    HWND list = parent.Child(WC_LISTVIEWA, LVS_REPORT | c.style | (ownerData ? LVS_OWNERDATA : 0));
    AddColumn(list, 0, "Name", 100);
    if (ownerData) {
        parent.onNotify = [](NMHDR* header) {
            auto* info = reinterpret_cast<NMLVDISPINFOA*>(header);
            if (header->code == LVN_GETDISPINFOA) Answer(info, "row" + std::to_string(info->item.iItem));
        };
        EXPECT_TRUE(SendMessageA(list, LVM_SETITEMCOUNT, 5, 0));
    } else {
        for (LPARAM i = 0; i < 5; ++i) Insert(list, ("row" + std::to_string(i)).c_str(), i);
    }
    SetFocus(list);
    SendMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, RowPoint(1));
    SendMessageA(list, WM_LBUTTONUP, 0, RowPoint(1));
    parent.log.clear();
    c.act(list);
    std::vector<UINT> codes;
    for (UINT code : parent.Codes())
        if (code != LVN_ITEMCHANGING && code != LVN_ITEMCHANGED && code != LVN_GETDISPINFOA) codes.push_back(code);
    EXPECT_EQ(codes, c.codes);
    EXPECT_EQ(Selected(list), c.selected);
}

void Click(HWND list, int row, WPARAM keys = 0) {
    SendMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON | keys, RowPoint(row));
    SendMessageA(list, WM_LBUTTONUP, keys, RowPoint(row));
}

INSTANTIATE_TEST_SUITE_P(
    Table, ListViewInputTest,
    ::testing::Combine(::testing::Values(
        InputCase{"Click", 0, [](HWND l) { Click(l, 3); }, {NM_CLICK}, {3}},
        InputCase{"ControlClickAdds", 0, [](HWND l) { Click(l, 3, MK_CONTROL); }, {NM_CLICK}, {1, 3}},
        InputCase{"ControlClickRemoves", 0, [](HWND l) { Click(l, 1, MK_CONTROL); }, {NM_CLICK}, {}},
        InputCase{"ShiftClickRange", 0, [](HWND l) { Click(l, 3, MK_SHIFT); }, {NM_CLICK}, {1, 2, 3}},
        InputCase{"ShiftClickSingle", LVS_SINGLESEL, [](HWND l) { Click(l, 3, MK_SHIFT); }, {NM_CLICK}, {3}},
        InputCase{"ClickOnNothing", 0, [](HWND l) { Click(l, 9); }, {NM_CLICK}, {}},
        InputCase{"ProgramSelection", 0, [](HWND l) { SetState(l, 2, LVIS_SELECTED, LVIS_SELECTED); }, {}, {1, 2}},
        InputCase{"ArrowDown", 0, [](HWND l) { SendMessageA(l, WM_KEYDOWN, VK_DOWN, 0); }, {LVN_KEYDOWN}, {2}},
        InputCase{"End", 0, [](HWND l) { SendMessageA(l, WM_KEYDOWN, VK_END, 0); }, {LVN_KEYDOWN}, {4}},
        InputCase{"Return", 0, [](HWND l) { SendMessageA(l, WM_KEYDOWN, VK_RETURN, 0); }, {LVN_KEYDOWN}, {1}},
        InputCase{"TypeSearches", 0, [](HWND l) { SendMessageA(l, WM_CHAR, 'r', 0); }, {}, {2}},
        InputCase{"RightClickSelects", 0,
                  [](HWND l) { SendMessageA(l, WM_RBUTTONDOWN, MK_RBUTTON, RowPoint(4)); }, {NM_RCLICK}, {4}},
        InputCase{"RightClickOnSelectionKeepsIt", 0,
                  [](HWND l) {
                      Click(l, 2, MK_CONTROL);
                      SendMessageA(l, WM_RBUTTONDOWN, MK_RBUTTON, RowPoint(2));
                  },
                  {NM_CLICK, NM_RCLICK}, {1, 2}},
        InputCase{"DoubleClick", 0, [](HWND l) { SendMessageA(l, WM_LBUTTONDBLCLK, MK_LBUTTON, RowPoint(1)); },
                  {NM_DBLCLK}, {1}},
        InputCase{"ColumnClick", 0, [](HWND l) { SendMessageA(l, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5)); },
                  {LVN_COLUMNCLICK}, {1}},
        InputCase{"NoSortHeader", LVS_NOSORTHEADER,
                  [](HWND l) { SendMessageA(l, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5)); }, {}, {1}},
        InputCase{"Drag", 0,
                  [](HWND l) {
                      SendMessageA(l, WM_LBUTTONDOWN, MK_LBUTTON, RowPoint(1));
                      SendMessageA(l, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(12, 20 + 16 + 5));  // too short
                      SendMessageA(l, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(30, 90));
                      SendMessageA(l, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(40, 95));
                  },
                  {NM_CLICK, LVN_BEGINDRAG}, {1}}),
                       ::testing::Bool()),
    [](const auto& info) {
        return std::string(std::get<0>(info.param).name) + (std::get<1>(info.param) ? "OwnerData" : "");
    });

TEST(ListViewTest, FocusIsReportedToTheParent) {
    NotifyParent parent;
    HWND list = parent.Child(WC_LISTVIEWA, LVS_REPORT);
    HWND other = parent.Child(WC_LISTVIEWA, LVS_REPORT);
    SetFocus(other);
    parent.log.clear();
    SetFocus(list);
    EXPECT_EQ(parent.Codes(), (std::vector<UINT>{NM_KILLFOCUS, NM_SETFOCUS}));
}

}  // namespace

namespace {

TEST(ListViewLabelEditTest, ParentRefusesAcceptsOrTheUserCancels) {
    NotifyParent parent;
    HWND list = parent.Child(WC_LISTVIEWA, LVS_REPORT | LVS_EDITLABELS);
    AddColumn(list, 0, "Name", 100);
    Insert(list, "alpha", 1);
    Insert(list, "beta", 2);
    parent.answers[LVN_BEGINLABELEDITA] = TRUE;
    EXPECT_EQ(SendMessageA(list, LVM_EDITLABELA, 0, 0), 0);
    parent.answers.clear();

    // Accepted: the parent answers TRUE to the end notification.
    parent.answers[LVN_ENDLABELEDITA] = TRUE;
    auto edit = reinterpret_cast<HWND>(SendMessageA(list, LVM_EDITLABELA, 0, 0));
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(GetParent(edit), list);
    EXPECT_EQ(GetFocus(), edit);
    EXPECT_EQ(reinterpret_cast<HWND>(SendMessageA(list, LVM_GETEDITCONTROL, 0, 0)), edit);
    SetWindowTextA(edit, "gamma");
    SendMessageA(edit, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_FALSE(IsWindow(edit));
    EXPECT_EQ(GetFocus(), list);
    EXPECT_EQ(Text(list, 0), "gamma");
    auto ended = parent.Of(LVN_ENDLABELEDITA);
    ASSERT_EQ(ended.size(), 1u);
    EXPECT_EQ(ended[0].text, "gamma");
    EXPECT_EQ(ended[0].param, 1);

    // Escape offers no text and changes nothing.
    edit = reinterpret_cast<HWND>(SendMessageA(list, LVM_EDITLABELA, 1, 0));
    SetWindowTextA(edit, "delta");
    SendMessageA(edit, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(parent.Of(LVN_ENDLABELEDITA).back().text, "(null)");
    EXPECT_EQ(Text(list, 1), "beta");

    // Refused at the end: the label stays. Losing the focus ends editing too.
    parent.answers[LVN_ENDLABELEDITA] = FALSE;
    edit = reinterpret_cast<HWND>(SendMessageA(list, LVM_EDITLABELA, 1, 0));
    SetWindowTextA(edit, "epsilon");
    SetFocus(parent.window);
    EXPECT_FALSE(IsWindow(edit));
    EXPECT_EQ(parent.Of(LVN_ENDLABELEDITA).back().text, "epsilon");
    EXPECT_EQ(Text(list, 1), "beta");

    // A click on the label of the focused, selected item starts editing.
    SetFocus(list);
    SendMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, RowPoint(1));
    EXPECT_EQ(SendMessageA(list, LVM_GETEDITCONTROL, 0, 0), 0);
    SendMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, RowPoint(1));
    EXPECT_NE(SendMessageA(list, LVM_GETEDITCONTROL, 0, 0), 0);
    DestroyWindow(list);  // with the edit open
}

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

namespace {

// An owner-data list whose parent keeps the rows: record numbers, shown as
// "row N" with sub-items "sub N,M" and image N % 7. The parent answers with
// LVIF_DI_SETITEM, which such a list ignores.
class ListViewOwnerDataTest : public ::testing::Test {
protected:
    void SetUp() override {
        parent_.onNotify = [this](NMHDR* header) {
            if (header->code == LVN_DELETEITEM) {
                int count = static_cast<int>(SendMessageA(header->hwndFrom, LVM_GETITEMCOUNT, 0, 0));
                deleted_.emplace_back(reinterpret_cast<NMLISTVIEW*>(header)->iItem, count);
            }
            if (header->code != LVN_GETDISPINFOA) return;
            auto* info = reinterpret_cast<NMLVDISPINFOA*>(header);
            int id = rows_.at(static_cast<size_t>(info->item.iItem));
            std::string row = std::to_string(id);
            std::string column = std::to_string(info->item.iSubItem);
            if (info->item.mask & LVIF_TEXT)
                Answer(info, info->item.iSubItem ? "sub " + row + "," + column : "row " + row);
            if (info->item.mask & LVIF_IMAGE) info->item.iImage = id % 7;
            info->item.mask |= LVIF_DI_SETITEM;
        };
    }
    // A list of `count` rows numbered from 0, its notifications forgotten.
    HWND List(DWORD style, int count) {
        HWND list = parent_.Child(WC_LISTVIEWA, LVS_OWNERDATA | style);
        AddColumn(list, 0, "Name", 100);
        AddColumn(list, 1, "Value", 100);
        EXPECT_TRUE(SetCount(list, count));
        parent_.log.clear();
        return list;
    }
    // The parent's rows become `count` (new ones numbered by place), then the list's.
    BOOL SetCount(HWND list, int count, LPARAM flags = 0) {
        size_t old = rows_.size();
        rows_.resize(static_cast<size_t>(count));
        if (rows_.size() > old) std::iota(rows_.begin() + static_cast<long>(old), rows_.end(), static_cast<int>(old));
        return static_cast<BOOL>(SendMessageA(list, LVM_SETITEMCOUNT, static_cast<WPARAM>(count), flags));
    }
    int Count(HWND list) { return static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)); }
    std::vector<UINT> CodesBut(UINT skipped) {
        std::vector<UINT> codes;
        for (UINT code : parent_.Codes())
            if (code != skipped) codes.push_back(code);
        return codes;
    }

    std::vector<int> rows_;
    std::vector<std::pair<int, int>> deleted_;  // row told of, and the count the list had then
    NotifyParent parent_;  // declared last, so gone first: its lists' last notifications find the rest
};

TEST_F(ListViewOwnerDataTest, CountKeepsOrDropsRowStatesAndTellsNoRow) {
    HWND list = List(LVS_REPORT, 5);
    SetState(list, 1, LVIS_SELECTED, LVIS_SELECTED);
    SetState(list, 3, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    SetState(list, 4, LVIS_CUT | 0x0300, LVIS_CUT | 0x0300);  // overlay bits kept too
    parent_.log.clear();
    EXPECT_TRUE(SetCount(list, 8));
    EXPECT_EQ(Count(list), 8);
    EXPECT_EQ(Selected(list), (std::vector<int>{1, 3}));
    EXPECT_EQ(Next(list, -1, LVNI_FOCUSED), 3);
    EXPECT_EQ(SendMessageA(list, LVM_GETITEMSTATE, 4, 0xFFFF), LVIS_CUT | 0x0300);
    EXPECT_EQ(SendMessageA(list, LVM_GETITEMSTATE, 7, 0xFFFF), 0);
    EXPECT_TRUE(SetCount(list, 3, LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL));
    EXPECT_EQ(Selected(list), std::vector<int>{1});
    EXPECT_EQ(Next(list, -1, LVNI_FOCUSED), -1);
    EXPECT_EQ(SendMessageA(list, LVM_GETSELECTEDCOUNT, 0, 0), 1);
    EXPECT_TRUE(SetCount(list, 5));
    EXPECT_EQ(SendMessageA(list, LVM_GETITEMSTATE, 4, 0xFFFF), 0);  // dropped, not kept aside
    EXPECT_TRUE(parent_.log.empty());
    EXPECT_FALSE(SendMessageA(list, LVM_SETITEMCOUNT, static_cast<WPARAM>(-1), 0));
    EXPECT_EQ(Count(list), 5);

    // A shift range starts at the anchor while it stays, from the row
    // itself once the anchor was cut off.
    Click(list, 1);
    SetCount(list, 3);
    Click(list, 2, MK_SHIFT);
    EXPECT_EQ(Selected(list), (std::vector<int>{1, 2}));
    Click(list, 2);  // the anchor on row 2, then cut off
    SetCount(list, 2);
    SetCount(list, 5);
    Click(list, 4, MK_SHIFT);
    EXPECT_EQ(Selected(list), std::vector<int>{4});

    // The top row comes back within the rows.
    SetCount(list, 100);
    EXPECT_TRUE(SendMessageA(list, LVM_ENSUREVISIBLE, 99, FALSE));
    EXPECT_GT(SendMessageA(list, LVM_GETTOPINDEX, 0, 0), 80);
    SetCount(list, 10);
    EXPECT_EQ(SendMessageA(list, LVM_GETTOPINDEX, 0, 0), 9);

    // A list keeping its items counts them itself.
    HWND plain = parent_.Child(WC_LISTVIEWA, LVS_REPORT);
    Insert(plain, "kept");
    EXPECT_TRUE(SendMessageA(plain, LVM_SETITEMCOUNT, 10, 0));
    EXPECT_EQ(Count(plain), 1);
}

TEST_F(ListViewOwnerDataTest, TextsAndImagesAreAskedOfTheParentEachTime) {
    HWND list = List(LVS_REPORT, 5);
    EXPECT_EQ(Text(list, 2), "row 2");
    EXPECT_EQ(Text(list, 2, 1), "sub 2,1");
    SetState(list, 3, LVIS_SELECTED, LVIS_SELECTED);
    char text[16] = {};
    LVITEMA got{};
    got.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM | LVIF_STATE;
    got.iItem = 3;
    got.stateMask = 0xFFFF;
    got.pszText = text;
    got.cchTextMax = sizeof(text);
    got.lParam = 77;
    EXPECT_TRUE(SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&got)));
    EXPECT_STREQ(text, "row 3");
    EXPECT_EQ(got.iImage, 3);
    EXPECT_EQ(got.lParam, 0);
    EXPECT_EQ(got.state, static_cast<UINT>(LVIS_SELECTED));
    for (const auto& asked : parent_.Of(LVN_GETDISPINFOA)) EXPECT_EQ(asked.param, 0);

    // Nothing is kept: the parent's change shows at once; texts set are
    // taken and not kept, states set are kept.
    rows_[2] = 42;
    EXPECT_EQ(Text(list, 2), "row 42");
    parent_.log.clear();
    LVITEMA set{};
    set.iSubItem = 1;
    set.pszText = const_cast<char*>("mine");
    EXPECT_TRUE(SendMessageA(list, LVM_SETITEMTEXTA, 2, reinterpret_cast<LPARAM>(&set)));
    set = LVITEMA{};
    set.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM | LVIF_STATE;
    set.iItem = 2;
    set.pszText = const_cast<char*>("mine");
    set.lParam = 5;
    set.state = set.stateMask = LVIS_SELECTED;
    EXPECT_TRUE(SendMessageA(list, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&set)));
    EXPECT_EQ(parent_.Codes(), (std::vector<UINT>{LVN_ITEMCHANGING, LVN_ITEMCHANGED}));
    EXPECT_EQ(Text(list, 2, 1), "sub 42,1");
    EXPECT_EQ(Text(list, 2), "row 42");
    EXPECT_EQ(Selected(list), (std::vector<int>{2, 3}));
    set.mask = LVIF_STATE;
    set.iSubItem = 1;
    EXPECT_FALSE(SendMessageA(list, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&set)));

    struct Find {
        LVFINDINFOA find;
        int start;
        int found;
    };
    const Find finds[] = {
        {{LVFI_STRING, "ROW 3", 0, {0, 0}, 0}, -1, 3},
        {{LVFI_STRING | LVFI_PARTIAL, "row 4", 0, {0, 0}, 0}, -1, 2},  // "row 42"
        {{LVFI_STRING | LVFI_PARTIAL, "row 4", 0, {0, 0}, 0}, 2, 4},
        {{LVFI_STRING | LVFI_PARTIAL | LVFI_WRAP, "row 0", 0, {0, 0}, 0}, 3, 0},
        {{LVFI_PARAM, nullptr, 0, {0, 0}, 0}, -1, -1},  // no row has an lParam
    };
    for (const Find& f : finds)
        EXPECT_EQ(SendMessageA(list, LVM_FINDITEMA, static_cast<WPARAM>(f.start), reinterpret_cast<LPARAM>(&f.find)),
                  f.found)
            << f.find.psz << " from " << f.start;

    // Auto-size measures the parent's texts: "sub 42,1" is the widest.
    EXPECT_TRUE(SendMessageA(list, LVM_SETCOLUMNWIDTH, 1, MAKELPARAM(LVSCW_AUTOSIZE, 0)));
    EXPECT_EQ(SendMessageA(list, LVM_GETCOLUMNWIDTH, 1, 0), 8 * 8 + 12);
}

TEST_F(ListViewOwnerDataTest, LabelEditingOffersTheParentsTextAndKeepsNone) {
    HWND list = List(LVS_REPORT | LVS_EDITLABELS, 5);
    parent_.answers[LVN_ENDLABELEDITA] = TRUE;
    auto edit = reinterpret_cast<HWND>(SendMessageA(list, LVM_EDITLABELA, 1, 0));
    ASSERT_NE(edit, nullptr);
    char text[16] = {};
    GetWindowTextA(edit, text, sizeof text);
    EXPECT_STREQ(text, "row 1");
    EXPECT_EQ(parent_.Of(LVN_BEGINLABELEDITA).at(0).text, "row 1");
    SetWindowTextA(edit, "renamed");
    SendMessageA(edit, WM_KEYDOWN, VK_RETURN, 0);
    auto ended = parent_.Of(LVN_ENDLABELEDITA);
    ASSERT_EQ(ended.size(), 1u);
    EXPECT_EQ(ended[0].item, 1);
    EXPECT_EQ(ended[0].text, "renamed");
    EXPECT_EQ(Text(list, 1), "row 1");  // the parent renames its row, if it will

    // Cutting off the edited row ends the edit.
    edit = reinterpret_cast<HWND>(SendMessageA(list, LVM_EDITLABELA, 4, 0));
    ASSERT_NE(edit, nullptr);
    SetCount(list, 3);
    EXPECT_FALSE(IsWindow(edit));
    EXPECT_EQ(SendMessageA(list, LVM_GETEDITCONTROL, 0, 0), 0);
}

TEST_F(ListViewOwnerDataTest, InsertAndDeleteMoveTheStatesOfLaterRows) {
    HWND list = List(LVS_REPORT | LVS_SORTASCENDING, 5);  // the parent's order: never sorted
    Click(list, 1);
    Click(list, 3, MK_CONTROL);  // selected 1 and 3, the focus and anchor on 3
    parent_.log.clear();
    rows_.insert(rows_.begin() + 2, 100);
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_PARAM | LVIF_STATE;
    item.iItem = 2;
    item.pszText = const_cast<char*>("zzz");
    item.lParam = 9;
    item.state = item.stateMask = LVIS_SELECTED;
    EXPECT_EQ(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)), 2);
    EXPECT_EQ(Texts(list), (std::vector<std::string>{"row 0", "row 1", "row 100", "row 2", "row 3", "row 4"}));
    EXPECT_EQ(Selected(list), (std::vector<int>{1, 2, 4}));
    EXPECT_EQ(Next(list, -1, LVNI_FOCUSED), 4);
    auto inserted = parent_.Of(LVN_INSERTITEM);
    ASSERT_EQ(inserted.size(), 1u);
    EXPECT_EQ(inserted[0].item, 2);
    EXPECT_EQ(inserted[0].param, 0);
    rows_.push_back(101);
    item.mask = 0;
    item.iItem = 1000;  // past the end: added last
    EXPECT_EQ(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)), 6);
    item.iSubItem = 1;
    EXPECT_EQ(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)), -1);

    parent_.log.clear();
    EXPECT_TRUE(SendMessageA(list, LVM_DELETEITEM, 1, 0));
    rows_.erase(rows_.begin() + 1);
    EXPECT_EQ(deleted_, (std::vector<std::pair<int, int>>{{1, 7}}));  // told before the row went
    EXPECT_EQ(parent_.Of(LVN_DELETEITEM).at(0).param, 0);
    EXPECT_FALSE(SendMessageA(list, LVM_DELETEITEM, 6, 0));
    EXPECT_EQ(Texts(list), (std::vector<std::string>{"row 0", "row 100", "row 2", "row 3", "row 4", "row 101"}));
    EXPECT_EQ(Selected(list), (std::vector<int>{1, 3}));
    EXPECT_EQ(Next(list, -1, LVNI_FOCUSED), 3);
    Click(list, 5, MK_SHIFT);  // from the anchor, moved with its row
    EXPECT_EQ(Selected(list), (std::vector<int>{3, 4, 5}));
}

TEST_F(ListViewOwnerDataTest, DeleteAllAndDestructionTellNoRow) {
    for (LRESULT answer : {0, 1}) {
        HWND list = List(LVS_REPORT, 5);
        parent_.answers[LVN_DELETEALLITEMS] = answer;
        EXPECT_TRUE(SendMessageA(list, LVM_DELETEALLITEMS, 0, 0));
        EXPECT_EQ(Count(list), 0);
        EXPECT_EQ(CodesBut(LVN_GETDISPINFOA), std::vector<UINT>{static_cast<UINT>(LVN_DELETEALLITEMS)}) << answer;
        SetCount(list, 3);
        parent_.log.clear();
        DestroyWindow(list);
        EXPECT_TRUE(parent_.Of(LVN_DELETEITEM).empty());
    }
}

TEST_F(ListViewOwnerDataTest, SortingAndPlacingAreRefusedIconsStandInTheirSlots) {
    HWND list = List(LVS_REPORT, 3);
    SetState(list, 0, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_FALSE(SendMessageA(list, LVM_SORTITEMS, 1, reinterpret_cast<LPARAM>(CompareTens)));
    EXPECT_EQ(Selected(list), std::vector<int>{0});

    HWND icons = parent_.Child(WC_LISTVIEWA, LVS_OWNERDATA | LVS_ICON, 160);  // two cells per row
    SendMessageA(icons, LVM_SETITEMCOUNT, 3, 0);
    auto position = [&](int index) {
        POINT at{};
        SendMessageA(icons, LVM_GETITEMPOSITION, index, reinterpret_cast<LPARAM>(&at));
        return std::make_pair(at.x, at.y);
    };
    EXPECT_EQ(position(2), std::make_pair(0, 64));
    EXPECT_FALSE(SendMessageA(icons, LVM_SETITEMPOSITION, 0, MAKELPARAM(300, 300)));
    EXPECT_TRUE(SendMessageA(icons, LVM_DELETEITEM, 0, 0));
    EXPECT_EQ(position(1), std::make_pair(76, 0));  // moved up a slot
    LVHITTESTINFO hit{{80, 10}, 0, 0, 0};
    EXPECT_EQ(SendMessageA(icons, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)), 1);
}

TEST_F(ListViewOwnerDataTest, HundredThousandRowsAreSelectedAndPaintedByTheRowsInView) {
    HWND list = List(LVS_REPORT, 100000);
    EXPECT_EQ(Count(list), 100000);
    SetFocus(list);
    EXPECT_TRUE(SendMessageA(list, LVM_ENSUREVISIBLE, 99999, FALSE));
    RECT label{LVIR_LABEL, 0, 0, 0};
    ASSERT_TRUE(SendMessageA(list, LVM_GETITEMRECT, 99999, reinterpret_cast<LPARAM>(&label)));
    SendMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(label.left + 1, label.top + 1));
    SendMessageA(list, WM_LBUTTONUP, 0, MAKELPARAM(label.left + 1, label.top + 1));
    EXPECT_EQ(Selected(list), std::vector<int>{99999});
    EXPECT_EQ(SendMessageA(list, LVM_GETSELECTEDCOUNT, 0, 0), 1);
    EXPECT_EQ(Text(list, 99999, 1), "sub 99999,1");
    SendMessageA(list, WM_KEYDOWN, VK_HOME, 0);
    SendMessageA(list, WM_KEYDOWN, VK_END, 0);
    EXPECT_EQ(Next(list, -1, LVNI_FOCUSED), 99999);

    // Rows with states only near the top: searches for a state, forward and
    // back from far below them, and the selected count find exactly those.
    HWND top = List(LVS_REPORT, 100000);
    LVITEMA select{};
    select.state = select.stateMask = LVIS_SELECTED;
    for (int row : {10, 20}) SendMessageA(top, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&select));
    EXPECT_EQ(SendMessageA(top, LVM_GETSELECTEDCOUNT, 0, 0), 2);
    EXPECT_EQ(Next(top, 10, LVNI_SELECTED), 20);
    EXPECT_EQ(Next(top, 20, LVNI_SELECTED), -1);
    EXPECT_EQ(Next(top, 99999, LVNI_SELECTED | LVNI_ABOVE), 20);
    EXPECT_EQ(Next(top, 15, LVNI_SELECTED | LVNI_ABOVE), 10);
    EXPECT_EQ(Next(top, 50000, LVNI_ALL), 50001);
    DestroyWindow(top);

    // Each view paints, and so asks for, only rows whose place meets the client area.
    RECT client;
    GetClientRect(list, &client);
    for (DWORD view : {LVS_REPORT, LVS_LIST, LVS_SMALLICON, LVS_ICON}) {
        parent_.log.clear();
        SetWindowLongA(list, GWL_STYLE, (GetWindowLongA(list, GWL_STYLE) & ~LVS_TYPEMASK) | view);
        UpdateWindow(list);
        auto asked = parent_.Of(LVN_GETDISPINFOA);
        EXPECT_FALSE(asked.empty()) << view;
        for (const auto& n : asked) {
            RECT bounds{LVIR_BOUNDS, 0, 0, 0}, common;
            SendMessageA(list, LVM_GETITEMRECT, n.item, reinterpret_cast<LPARAM>(&bounds));
            ASSERT_TRUE(IntersectRect(&common, &bounds, &client)) << view << " row " << n.item;
        }
    }
}

}  // namespace
