#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "notify_parent.h"
#include "windows.h"

namespace {

using vpr::user::testing::NotifyParent;

HTREEITEM Insert(HWND tree, HTREEITEM parent, const char* text, HTREEITEM after = TVI_LAST, LPARAM param = 0) {
    TVINSERTSTRUCTA insert{};
    insert.hParent = parent;
    insert.hInsertAfter = after;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    insert.item.pszText = const_cast<char*>(text);
    insert.item.lParam = param;
    insert.item.iImage = 1;
    insert.item.iSelectedImage = 2;
    return reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
}

HTREEITEM Next(HWND tree, UINT code, HTREEITEM item = nullptr) {
    return reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, code, reinterpret_cast<LPARAM>(item)));
}

std::string Text(HWND tree, HTREEITEM item) {
    char text[64] = {};
    TVITEMA get{};
    get.mask = TVIF_TEXT;
    get.hItem = item;
    get.pszText = text;
    get.cchTextMax = sizeof(text);
    if (!SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&get))) return "(none)";
    return text;
}

std::vector<std::string> Children(HWND tree, HTREEITEM parent) {
    std::vector<std::string> texts;
    for (HTREEITEM i = Next(tree, TVGN_CHILD, parent); i; i = Next(tree, TVGN_NEXT, i)) texts.push_back(Text(tree, i));
    return texts;
}

BOOL Select(HWND tree, HTREEITEM item) {
    return static_cast<BOOL>(SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item)));
}

// A tree of the shape
//   A (param 1): A1 (11), A2 (12) with A2x (121), A3 (13)
//   B (param 2)
struct SampleTree {
    explicit SampleTree(NotifyParent& parent, DWORD style = TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT) {
        tree = parent.Child(WC_TREEVIEWA, style);
        items["A"] = Insert(tree, TVI_ROOT, "A", TVI_LAST, 1);
        items["B"] = Insert(tree, TVI_ROOT, "B", TVI_LAST, 2);
        items["A1"] = Insert(tree, items["A"], "A1", TVI_LAST, 11);
        items["A2"] = Insert(tree, items["A"], "A2", TVI_LAST, 12);
        items["A3"] = Insert(tree, items["A"], "A3", TVI_LAST, 13);
        items["A2x"] = Insert(tree, items["A2"], "A2x", TVI_LAST, 121);
        parent.log.clear();
    }
    HWND tree;
    std::map<std::string, HTREEITEM> items;
};

TEST(TreeViewTest, InsertAtFirstLastSortedAndAfterAnItem) {
    NotifyParent parent;
    HWND tree = parent.Child(WC_TREEVIEWA, 0);
    HTREEITEM b = Insert(tree, TVI_ROOT, "b");
    Insert(tree, TVI_ROOT, "a", TVI_FIRST);
    Insert(tree, TVI_ROOT, "d");
    Insert(tree, TVI_ROOT, "C", TVI_SORT);
    Insert(tree, nullptr, "b2", b);
    EXPECT_EQ(Children(tree, TVI_ROOT), (std::vector<std::string>{"a", "b", "b2", "C", "d"}));
    HTREEITEM kid = Insert(tree, b, "kid");
    EXPECT_EQ(Next(tree, TVGN_PARENT, kid), b);
    EXPECT_EQ(Next(tree, TVGN_PARENT, b), nullptr);
    EXPECT_EQ(Text(tree, Next(tree, TVGN_ROOT)), "a");
    EXPECT_EQ(Next(tree, TVGN_PREVIOUS, Next(tree, TVGN_ROOT)), nullptr);
    EXPECT_EQ(SendMessageA(tree, TVM_GETCOUNT, 0, 0), 6);
    EXPECT_EQ(Insert(tree, reinterpret_cast<HTREEITEM>(9999), "orphan"), nullptr);
    // Sorting children ignores case and keeps equal texts in order.
    HWND other = parent.Child(WC_TREEVIEWA, 0);
    for (const char* text : {"b", "A", "a", "B"}) Insert(other, TVI_ROOT, text);
    EXPECT_TRUE(SendMessageA(other, TVM_SORTCHILDREN, 0, reinterpret_cast<LPARAM>(TVI_ROOT)));
    EXPECT_EQ(Children(other, TVI_ROOT), (std::vector<std::string>{"A", "a", "b", "B"}));
}

TEST(TreeViewTest, ItemsCarryTextImagesAndData) {
    NotifyParent parent;
    SampleTree t(parent);
    TVITEMA set{};
    set.mask = TVIF_TEXT | TVIF_PARAM;
    set.hItem = t.items["A2"];
    set.pszText = const_cast<char*>("Second");
    set.lParam = 77;
    EXPECT_TRUE(SendMessageA(t.tree, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&set)));
    TVITEMA get{};
    get.mask = TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN;
    get.hItem = t.items["A2"];
    EXPECT_TRUE(SendMessageA(t.tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&get)));
    EXPECT_EQ(get.lParam, 77);
    EXPECT_EQ(get.iImage, 1);
    EXPECT_EQ(get.iSelectedImage, 2);
    EXPECT_EQ(get.cChildren, 1);
    EXPECT_EQ(Text(t.tree, t.items["A2"]), "Second");
}

TEST(TreeViewTest, DeletingASubtreeReportsEveryItemChildrenFirst) {
    NotifyParent parent;
    SampleTree t(parent);
    EXPECT_TRUE(SendMessageA(t.tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(t.items["A"])));
    std::vector<LPARAM> params;
    for (auto& n : parent.Of(TVN_DELETEITEMA)) params.push_back(n.param);
    EXPECT_EQ(params, (std::vector<LPARAM>{11, 121, 12, 13, 1}));
    EXPECT_EQ(SendMessageA(t.tree, TVM_GETCOUNT, 0, 0), 1);
    EXPECT_EQ(Text(t.tree, t.items["A2x"]), "(none)");
    EXPECT_FALSE(SendMessageA(t.tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(t.items["A"])));
    // Destroying the control reports what is left, without selection changes.
    Select(t.tree, t.items["B"]);
    parent.log.clear();
    DestroyWindow(t.tree);
    ASSERT_EQ(parent.Codes(), (std::vector<UINT>{TVN_DELETEITEMA}));
    EXPECT_EQ(parent.log[0].param, 2);
}

struct SelectionCase {
    const char* selected;
    const char* deleted;
    const char* after;  // the selection after the deletion; "" for none
};
// A case is printed as text, not as raw bytes, when it fails.
void PrintTo(const SelectionCase& c, std::ostream* os) { *os << "select " << c.selected << ", delete " << c.deleted; }

class TreeSelectionAfterDeleteTest : public ::testing::TestWithParam<SelectionCase> {};

TEST_P(TreeSelectionAfterDeleteTest, SelectionMovesOutOfTheDeletedItems) {
    const SelectionCase& c = GetParam();
    NotifyParent parent;
    SampleTree t(parent);
    ASSERT_TRUE(Select(t.tree, t.items[c.selected]));
    parent.log.clear();
    SendMessageA(t.tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(t.items[c.deleted]));
    HTREEITEM expected = *c.after ? t.items[c.after] : nullptr;
    EXPECT_EQ(Next(t.tree, TVGN_CARET), expected);
    auto changed = parent.Of(TVN_SELCHANGEDA);
    ASSERT_EQ(changed.size(), 1u);
    EXPECT_EQ(changed[0].treeItem, expected);
    EXPECT_EQ(changed[0].oldItem, t.items[c.selected]);
    EXPECT_EQ(changed[0].action, static_cast<UINT>(TVC_UNKNOWN));
    // The parent hears of the new selection before the deletions.
    EXPECT_EQ(parent.Codes().front(), TVN_SELCHANGINGA);
    if (expected) {
        TVITEMA get{TVIF_STATE, expected, 0, TVIS_SELECTED, nullptr, 0, 0, 0, 0, 0};
        SendMessageA(t.tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&get));
        EXPECT_EQ(get.state, static_cast<UINT>(TVIS_SELECTED));
    }
}

INSTANTIATE_TEST_SUITE_P(Table, TreeSelectionAfterDeleteTest,
                         ::testing::Values(SelectionCase{"A2", "A2", "A3"},    // next sibling
                                           SelectionCase{"A3", "A3", "A2"},    // previous sibling
                                           SelectionCase{"A2x", "A2x", "A2"},  // parent
                                           SelectionCase{"A2x", "A2", "A3"},   // inside the deleted subtree
                                           SelectionCase{"B", "B", "A"},
                                           SelectionCase{"A1", "A", "B"}));

TEST(TreeViewTest, DeletingEverythingDropsTheSelectionWithoutAsking) {
    NotifyParent parent;
    SampleTree t(parent);
    Select(t.tree, t.items["A1"]);
    parent.log.clear();
    EXPECT_TRUE(SendMessageA(t.tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT)));
    EXPECT_EQ(Next(t.tree, TVGN_CARET), nullptr);
    EXPECT_EQ(parent.Of(TVN_DELETEITEMA).size(), 6u);
    EXPECT_TRUE(parent.Of(TVN_SELCHANGEDA).empty());
    EXPECT_EQ(SendMessageA(t.tree, TVM_GETCOUNT, 0, 0), 0);
}

TEST(TreeViewTest, SelectionIsReportedRefusableAndOpensTheWayToTheItem) {
    NotifyParent parent;
    SampleTree t(parent);
    EXPECT_TRUE(Select(t.tree, t.items["A2x"]));
    EXPECT_EQ(parent.Codes(), (std::vector<UINT>{TVN_SELCHANGINGA, TVN_SELCHANGEDA}));
    EXPECT_EQ(parent.Of(TVN_SELCHANGEDA)[0].param, 121);
    // Its ancestors were expanded, without expand notifications.
    EXPECT_EQ(Next(t.tree, TVGN_NEXTVISIBLE, t.items["A2"]), t.items["A2x"]);
    parent.log.clear();
    EXPECT_TRUE(Select(t.tree, t.items["A2x"]));  // already selected: nothing to tell
    EXPECT_TRUE(parent.log.empty());
    parent.answers[TVN_SELCHANGINGA] = TRUE;
    EXPECT_FALSE(Select(t.tree, t.items["B"]));
    EXPECT_EQ(Next(t.tree, TVGN_CARET), t.items["A2x"]);
    EXPECT_FALSE(Select(t.tree, reinterpret_cast<HTREEITEM>(9999)));
}

TEST(TreeViewTest, ExpandByProgramIsSilentByTheUserAskedAndTold) {
    NotifyParent parent;
    SampleTree t(parent);
    EXPECT_TRUE(SendMessageA(t.tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(t.items["A"])));
    EXPECT_TRUE(parent.log.empty());
    EXPECT_FALSE(SendMessageA(t.tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(t.items["B"])));  // no children
    EXPECT_EQ(Next(t.tree, TVGN_NEXTVISIBLE, t.items["A"]), t.items["A1"]);
    // A click on A's button (row 0, left of the item) collapses it.
    SetFocus(t.tree);
    parent.log.clear();
    SendMessageA(t.tree, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_EQ(parent.Codes(), (std::vector<UINT>{TVN_ITEMEXPANDINGA, TVN_ITEMEXPANDEDA, NM_CLICK}));
    EXPECT_EQ(parent.log[0].action, static_cast<UINT>(TVE_COLLAPSE));
    EXPECT_EQ(parent.log[0].treeItem, t.items["A"]);
    EXPECT_EQ(Next(t.tree, TVGN_NEXTVISIBLE, t.items["A"]), t.items["B"]);
    parent.answers[TVN_ITEMEXPANDINGA] = TRUE;  // refused
    SendMessageA(t.tree, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_EQ(Next(t.tree, TVGN_NEXTVISIBLE, t.items["A"]), t.items["B"]);
}

TEST(TreeViewTest, CollapsingMovesAHiddenSelectionToTheCollapsedItem) {
    NotifyParent parent;
    SampleTree t(parent);
    Select(t.tree, t.items["A2x"]);
    SendMessageA(t.tree, TVM_EXPAND, TVE_COLLAPSE, reinterpret_cast<LPARAM>(t.items["A"]));
    EXPECT_EQ(Next(t.tree, TVGN_CARET), t.items["A"]);
}

TEST(TreeViewTest, MouseAndKeysMoveTheSelection) {
    NotifyParent parent;
    SampleTree t(parent);
    SendMessageA(t.tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(t.items["A"]));
    // Rows: A, A1, A2, A3, B; A1 is one level in, its label after 2 indents.
    TVHITTESTINFO hit{{2 * 19 + 4, 16 + 4}, 0, nullptr};
    EXPECT_EQ(reinterpret_cast<HTREEITEM>(SendMessageA(t.tree, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit))),
              t.items["A1"]);
    EXPECT_EQ(hit.flags, static_cast<UINT>(TVHT_ONITEMLABEL));
    SendMessageA(t.tree, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2 * 19 + 4, 16 + 4));
    EXPECT_EQ(Next(t.tree, TVGN_CARET), t.items["A1"]);
    EXPECT_EQ(parent.Of(TVN_SELCHANGEDA).back().action, static_cast<UINT>(TVC_BYMOUSE));
    EXPECT_EQ(parent.Codes().back(), NM_CLICK);
    struct Step {
        int key;
        const char* selected;
    };
    for (Step step : {Step{VK_DOWN, "A2"}, Step{VK_RIGHT, "A2"}, Step{VK_RIGHT, "A2x"}, Step{VK_LEFT, "A2"},
                      Step{VK_LEFT, "A2"}, Step{VK_LEFT, "A"}, Step{VK_END, "B"}, Step{VK_UP, "A3"}}) {
        SendMessageA(t.tree, WM_KEYDOWN, step.key, 0);
        EXPECT_EQ(Text(t.tree, Next(t.tree, TVGN_CARET)), step.selected) << step.key;
    }
    EXPECT_EQ(parent.Of(TVN_SELCHANGEDA).back().action, static_cast<UINT>(TVC_BYKEYBOARD));
    EXPECT_EQ(parent.Of(TVN_KEYDOWN).size(), 8u);
    parent.log.clear();
    SendMessageA(t.tree, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(30, 4));
    EXPECT_EQ(parent.Codes(), (std::vector<UINT>{NM_RCLICK}));
    EXPECT_EQ(Text(t.tree, Next(t.tree, TVGN_CARET)), "A3");
}

TEST(TreeViewTest, DropHighlightIsItsOwnMark) {
    NotifyParent parent;
    SampleTree t(parent);
    Select(t.tree, t.items["A"]);
    EXPECT_TRUE(SendMessageA(t.tree, TVM_SELECTITEM, TVGN_DROPHILITE, reinterpret_cast<LPARAM>(t.items["B"])));
    EXPECT_EQ(Next(t.tree, TVGN_DROPHILITE), t.items["B"]);
    EXPECT_EQ(Next(t.tree, TVGN_CARET), t.items["A"]);
    SendMessageA(t.tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(t.items["B"]));
    EXPECT_EQ(Next(t.tree, TVGN_DROPHILITE), nullptr);
}

}  // namespace

namespace {

TEST(TreeViewLabelEditTest, RootLabelsRefusedChildLabelsRenamed) {
    NotifyParent parent;
    SampleTree t(parent, TVS_HASBUTTONS | TVS_LINESATROOT | TVS_EDITLABELS);
    parent.answers[TVN_BEGINLABELEDITA] = TRUE;  // as a page refuses its root keys
    EXPECT_EQ(SendMessageA(t.tree, TVM_EDITLABELA, 0, reinterpret_cast<LPARAM>(t.items["A"])), 0);
    EXPECT_EQ(parent.Of(TVN_BEGINLABELEDITA).back().text, "A");
    parent.answers.clear();
    parent.answers[TVN_ENDLABELEDITA] = TRUE;
    auto edit = reinterpret_cast<HWND>(SendMessageA(t.tree, TVM_EDITLABELA, 0, reinterpret_cast<LPARAM>(t.items["A2"])));
    ASSERT_NE(edit, nullptr);
    SetWindowTextA(edit, "");  // an empty label is the parent's to judge
    EXPECT_TRUE(SendMessageA(t.tree, TVM_ENDEDITLABELNOW, FALSE, 0));
    EXPECT_EQ(Text(t.tree, t.items["A2"]), "");
    EXPECT_EQ(parent.Of(TVN_ENDLABELEDITA).back().param, 12);
    // F2 on the selected item starts editing; deleting the item cancels it.
    Select(t.tree, t.items["B"]);
    SendMessageA(t.tree, WM_KEYDOWN, VK_F2, 0);
    edit = reinterpret_cast<HWND>(SendMessageA(t.tree, TVM_GETEDITCONTROL, 0, 0));
    ASSERT_NE(edit, nullptr);
    SendMessageA(t.tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(t.items["B"]));
    EXPECT_FALSE(IsWindow(edit));
    EXPECT_EQ(parent.Of(TVN_ENDLABELEDITA).back().text, "(null)");
}

}  // namespace
