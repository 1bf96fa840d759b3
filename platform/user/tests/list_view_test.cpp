#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <map>
#include <string>
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

// A report list holding the row "m", its notifications forgotten.
HWND ReportWithOneRow(NotifyParent& parent, DWORD style) {
    HWND list = parent.Child(WC_LISTVIEWA, LVS_REPORT | style);
    EXPECT_EQ(Insert(list, "m", 1, 0), 0);
    parent.log.clear();
    return list;
}

// A row with its sub-item texts in one message is the item inserted and its
// texts set one by one: the same place, the same notifications.
TEST(ListViewTest, RowInsertedWithItsTextsAsInsertThenSetText) {
    for (DWORD sort : {0ul, static_cast<unsigned long>(LVS_SORTASCENDING)}) {
        NotifyParent parent;
        HWND list = ReportWithOneRow(parent, sort);
        LVITEMA item{};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = 0;
        item.pszText = const_cast<char*>("z");
        item.lParam = 2;
        LPCSTR texts[] = {"source", nullptr, LPSTR_TEXTCALLBACKA};
        LVINSERTROWA row{&item, 3, texts};
        int line = static_cast<int>(SendMessageA(list, LVM_INSERTROWA, 0, reinterpret_cast<LPARAM>(&row)));
        EXPECT_EQ(line, sort ? 1 : 0);  // at the top, or in its sorted place
        EXPECT_EQ(parent.Codes(), std::vector<UINT>{static_cast<UINT>(LVN_INSERTITEM)});
        EXPECT_EQ(Text(list, line), "z");
        EXPECT_EQ(Text(list, line, 1), "source");
        EXPECT_EQ(Text(list, line, 2), "");
        parent.log.clear();
        Text(list, line, 3);  // kept by the parent
        EXPECT_EQ(parent.Codes(), std::vector<UINT>{static_cast<UINT>(LVN_GETDISPINFOA)});
        EXPECT_EQ(Text(list, 1 - line, 1), "");
        EXPECT_EQ(SendMessageA(list, LVM_INSERTROWA, 0, 0), -1);
    }
}

// Rows in one message are the rows inserted one after another: the same
// places and one notification each; the first refused row ends the message.
TEST(ListViewTest, RowsInsertedInOneMessageAsOneByOne) {
    for (DWORD sort : {0ul, static_cast<unsigned long>(LVS_SORTASCENDING)}) {
        NotifyParent parent;
        HWND list = ReportWithOneRow(parent, sort);
        const char* names[] = {"b", "z", "a"};
        LPCSTR texts[3][1] = {{"source b"}, {"source z"}, {"source a"}};
        LVITEMA items[3] = {};
        LVINSERTROWA rows[3] = {};
        for (int i = 0; i < 3; ++i) {
            items[i].mask = LVIF_TEXT | LVIF_PARAM;
            items[i].iItem = 0;
            items[i].pszText = const_cast<char*>(names[i]);
            items[i].lParam = 10 + i;
            rows[i] = LVINSERTROWA{&items[i], 1, texts[i]};
        }
        EXPECT_EQ(SendMessageA(list, LVM_INSERTROWSA, 3, reinterpret_cast<LPARAM>(rows)), 3);
        EXPECT_EQ(Texts(list), sort ? (std::vector<std::string>{"a", "b", "m", "z"})
                                    : (std::vector<std::string>{"a", "z", "b", "m"}));
        EXPECT_EQ(Text(list, sort ? 3 : 1, 1), "source z");
        EXPECT_EQ(parent.Of(LVN_INSERTITEM).size(), 3u);

        items[1].iSubItem = 1;  // refused, as LVM_INSERTITEMA refuses it
        EXPECT_EQ(SendMessageA(list, LVM_INSERTROWSA, 3, reinterpret_cast<LPARAM>(rows)), 1);
        EXPECT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 5);
        EXPECT_EQ(SendMessageA(list, LVM_INSERTROWSA, 3, 0), 0);
    }
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

class ListViewInputTest : public ::testing::TestWithParam<InputCase> {};

TEST_P(ListViewInputTest, UserInputSelectsAndNotifies) {
    const InputCase& c = GetParam();
    NotifyParent parent;
    HWND list = parent.Child(WC_LISTVIEWA, LVS_REPORT | c.style);
    AddColumn(list, 0, "Name", 100);
    for (LPARAM i = 0; i < 5; ++i) Insert(list, ("row" + std::to_string(i)).c_str(), i);
    SetFocus(list);
    SendMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, RowPoint(1));
    SendMessageA(list, WM_LBUTTONUP, 0, RowPoint(1));
    parent.log.clear();
    c.act(list);
    std::vector<UINT> codes;
    for (UINT code : parent.Codes())
        if (code != LVN_ITEMCHANGING && code != LVN_ITEMCHANGED) codes.push_back(code);
    EXPECT_EQ(codes, c.codes);
    EXPECT_EQ(Selected(list), c.selected);
}

void Click(HWND list, int row, WPARAM keys = 0) {
    SendMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON | keys, RowPoint(row));
    SendMessageA(list, WM_LBUTTONUP, keys, RowPoint(row));
}

INSTANTIATE_TEST_SUITE_P(
    Table, ListViewInputTest,
    ::testing::Values(
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
    [](const auto& info) { return std::string(info.param.name); });

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
