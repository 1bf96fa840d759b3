// Reference rows, their lookup and their removal from a multiple-selection
// list box as the list pages do it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "snapin/distribution/ref_item.h"
#include "snapin/distribution/template_item.h"
#include "vpr/testing/temp_machine.h"

namespace {

// A page's list: rows in a row list, one list-box entry per row shown.
class RefListTest : public ::testing::Test {
protected:
    void SetUp() override {
        HWND window = CreateWindowExA(0, "LISTBOX", "", WS_POPUP | LBS_EXTENDEDSEL | LBS_HASSTRINGS, 0, 0, 200, 200,
                                      nullptr, nullptr, nullptr, nullptr);
        ASSERT_TRUE(window);
        ASSERT_TRUE(listBox_.Attach(window));
    }
    void TearDown() override {
        while (!list_.IsEmpty()) delete list_.RemoveHead();
        HWND window = listBox_.Detach();
        DestroyWindow(window);
    }

    // Adds a row as read from the directory (stored) or as added by the user.
    CRefItem* AddRow(const char* name, bool added, DWORD storedFlags = 0) {
        auto* row = new CRefItem(name, 0, 0);
        row->SetAdded(added);
        row->SetStoredFlags(storedFlags);
        row->SetFlags(storedFlags);
        list_.AddTail(row);
        int index = listBox_.AddString(name);
        listBox_.SetItemDataPtr(index, row);
        return row;
    }
    void Select(std::initializer_list<int> rows) {
        for (int row : rows) listBox_.SetSel(row, TRUE);
    }
    std::vector<std::string> Entries() {
        std::vector<std::string> entries;
        for (int i = 0; i < listBox_.GetCount(); ++i) {
            CString text;
            listBox_.GetText(i, text);
            entries.emplace_back(text);
        }
        return entries;
    }
    std::vector<std::string> ListNames() {
        std::vector<std::string> names;
        for (POSITION pos = list_.GetHeadPosition(); pos;)
            names.emplace_back(static_cast<CRefItem*>(list_.GetNext(pos))->GetName());
        return names;
    }

    vpr::testing::TempMachine machine_;
    CListBox listBox_;
    CRefItemList list_;
};

using Names = std::vector<std::string>;

TEST_F(RefListTest, FindRefItemComparesNamesExactlyAndSeesDeletedRows) {
    CRefItem* admin = AddRow("Admin.acme", false);
    admin->SetDeleted(1);
    CRefItem* lower = AddRow("admin.acme", true);
    EXPECT_EQ(FindRefItem(&list_, "Admin.acme"), admin);
    EXPECT_EQ(FindRefItem(&list_, "admin.acme"), lower);
    EXPECT_EQ(FindRefItem(&list_, "ADMIN.acme"), nullptr);
    EXPECT_EQ(FindRefItem(&list_, "Admin"), nullptr);
}

TEST_F(RefListTest, RemovingWithNothingSelectedChangesNothing) {
    AddRow("a.acme", true);
    AddRow("b.acme", false);
    EXPECT_EQ(RemoveSelectedRefItems(&listBox_, &list_), 0);
    EXPECT_EQ(RemoveSelectedAssociations(&listBox_, &list_), 0);
    EXPECT_EQ(Entries(), (Names{"a.acme", "b.acme"}));
    EXPECT_EQ(ListNames(), (Names{"a.acme", "b.acme"}));
}

TEST_F(RefListTest, AddedRowsGoAtOnceAndStoredRowsStayMarkedForTheSave) {
    AddRow("added1.acme", true);
    CRefItem* stored1 = AddRow("stored1.acme", false);
    AddRow("kept.acme", false);
    AddRow("added2.acme", true);
    CRefItem* stored2 = AddRow("stored2.acme", false);
    Select({0, 1, 3, 4});
    EXPECT_EQ(RemoveSelectedRefItems(&listBox_, &list_), 1);
    EXPECT_EQ(Entries(), (Names{"kept.acme"}));
    EXPECT_EQ(ListNames(), (Names{"stored1.acme", "kept.acme", "stored2.acme"}));
    EXPECT_TRUE(stored1->GetDeleted());
    EXPECT_TRUE(stored2->GetDeleted());
    EXPECT_FALSE(FindRefItem(&list_, "kept.acme")->GetDeleted());
    EXPECT_EQ(listBox_.GetCaretIndex(), 0);
}

TEST_F(RefListTest, RemovedAssociationsKeepStoredRowsWithFlagsCleared) {
    CRefItem* stored = AddRow("stored.acme", false, 0x5);
    AddRow("never.acme", false, 0);
    AddRow("new.acme", true, 0);
    CRefItem* other = AddRow("other.acme", false, 0x20);
    Select({0, 1, 2});
    EXPECT_EQ(RemoveSelectedAssociations(&listBox_, &list_), 1);
    EXPECT_EQ(Entries(), (Names{"other.acme"}));
    EXPECT_EQ(ListNames(), (Names{"stored.acme", "other.acme"}));
    EXPECT_EQ(stored->GetFlags(), 0u);
    EXPECT_EQ(stored->GetStoredFlags(), 0x5u);
    EXPECT_FALSE(stored->GetDeleted());
    EXPECT_EQ(other->GetFlags(), 0x20u);
}

TEST(RowRecordTest, RowsStartEmptyAndKeepWhatTheyAreGiven) {
    CRefItem row("Word.acme", 0x2D, 7);
    EXPECT_STREQ(row.GetName(), "Word.acme");
    EXPECT_EQ(row.GetLevel(), 0x2Du);
    EXPECT_EQ(row.GetInterval(), 7u);
    EXPECT_EQ(row.GetStoredFlags(), 0u);
    EXPECT_EQ(row.GetFlags(), 0u);
    EXPECT_FALSE(row.GetAdded());
    EXPECT_FALSE(row.GetDeleted());

    CTemplateItem item;
    EXPECT_STREQ(item.GetName(), "");
    item.SetName("C:\\TEMPLATES\\WORD.QMT");
    item.SetPath("Word");
    item.SetDescription("Word processor");
    EXPECT_STREQ(item.GetName(), "C:\\TEMPLATES\\WORD.QMT");
    EXPECT_STREQ(item.GetPath(), "Word");
    EXPECT_STREQ(item.GetDescription(), "Word processor");
}

}  // namespace
