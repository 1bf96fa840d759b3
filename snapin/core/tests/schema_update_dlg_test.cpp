// The schema update dialog as the administrator uses it at start-up: the
// trees offered, the choice made with the mouse, what the rows say after.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "snapin/core/schema_update_dlg.h"
#include "vpr/testing/temp_machine.h"

using vpr::user::ModalElement;
using vpr::user::UiDriver;
using Texts = std::vector<std::string>;
namespace ui = vpr::user::ui;

namespace {

// The module's application object, which knows the help file.
CWinApp testApp("snapin_core_tests");

class SchemaUpdateDlgTest : public ::testing::Test {
protected:
    void SetUp() override { testApp.m_pszHelpFilePath = "VPRADMIN.HLP"; }
    void TearDown() override {
        while (!trees_.IsEmpty()) delete static_cast<CRefItem*>(trees_.RemoveHead());
    }

    CRefItem* Tree(const char* name, DWORD flags) {
        auto* row = new CRefItem(name, flags, 0);
        trees_.AddTail(row);
        return row;
    }
    static Texts Listed(HWND dialog) {
        Texts names;
        for (LRESULT i = 0, n = SendDlgItemMessageA(dialog, IDC_SCHEMA_TREES, LB_GETCOUNT, 0, 0); i < n; ++i) {
            char text[128] = {};
            SendDlgItemMessageA(dialog, IDC_SCHEMA_TREES, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
            names.push_back(text);
        }
        return names;
    }
    static bool ModifyEnabled(HWND dialog) { return IsWindowEnabled(GetDlgItem(dialog, IDOK)) != FALSE; }

    INT_PTR Run(std::function<void(HWND)> person) {
        CSchemaUpdateDlg dialog;
        dialog.SetTreeList(&trees_);
        driver_.OnDialog(IDD_SCHEMA_UPDATE, [&](const ModalElement& e) {
            EXPECT_EQ(e.caption, "Veltrix Pellior");
            person(e.window);
        });
        INT_PTR result = dialog.DoModal();
        EXPECT_TRUE(driver_.Failures().empty());
        return result;
    }

    vpr::testing::TempMachine machine_;
    UiDriver driver_;
    CRefItemList trees_;
};

TEST_F(SchemaUpdateDlgTest, ModifyExtendsTheChosenTreesOnly) {
    CRefItem* west = Tree("WEST", 0);
    CRefItem* done = Tree("DONE", kTreeSchemaExtended);
    CRefItem* east = Tree("EAST", 0);
    CRefItem* barred = Tree("BARRED", kTreeNotToExtend);
    CRefItem* north = Tree("NORTH", 0);
    INT_PTR result = Run([](HWND d) {
        // Sorted; trees already extended or not to be extended are not offered.
        EXPECT_EQ(Listed(d), (Texts{"EAST", "NORTH", "WEST"}));
        EXPECT_FALSE(ModifyEnabled(d));
        ui::SelectRow(d, IDC_SCHEMA_TREES, 0);                 // EAST
        EXPECT_TRUE(ModifyEnabled(d));
        ui::SelectRow(d, IDC_SCHEMA_TREES, 2, MK_CONTROL);     // and WEST
        ui::Click(d, IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(west->GetLevel(), 0u);
    EXPECT_EQ(east->GetLevel(), 0u);
    EXPECT_EQ(north->GetLevel(), kTreeNotToExtend);
    EXPECT_EQ(done->GetLevel(), kTreeSchemaExtended);
    EXPECT_EQ(barred->GetLevel(), kTreeNotToExtend);
}

TEST_F(SchemaUpdateDlgTest, ModifyStaysEnabledAndUnchosenTreesAreNotExtended) {
    CRefItem* west = Tree("WEST", kTreeExtendedNow);
    CRefItem* east = Tree("EAST", 0);
    INT_PTR result = Run([](HWND d) {
        ui::SelectRow(d, IDC_SCHEMA_TREES, 1);
        ui::SelectRow(d, IDC_SCHEMA_TREES, 1, MK_CONTROL);  // chosen, then taken back
        EXPECT_TRUE(ModifyEnabled(d));
        ui::Click(d, IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(west->GetLevel(), kTreeExtendedNow | kTreeNotToExtend);
    EXPECT_EQ(east->GetLevel(), kTreeNotToExtend);
}

// Tree names are compared exactly: two that differ only in case each get
// their own answer.
TEST_F(SchemaUpdateDlgTest, TreesDifferingOnlyInCaseEachGetTheirOwnAnswer) {
    CRefItem* lower = Tree("acme", 0);
    CRefItem* upper = Tree("ACME", 0);
    std::string chosen;
    INT_PTR result = Run([&](HWND d) {
        ui::SelectRow(d, IDC_SCHEMA_TREES, 1);
        chosen = Listed(d)[1];
        ui::Click(d, IDOK);
    });
    EXPECT_EQ(result, IDOK);
    CRefItem* picked = chosen == "acme" ? lower : upper;
    CRefItem* other = picked == lower ? upper : lower;
    EXPECT_EQ(picked->GetLevel(), 0u);
    EXPECT_EQ(other->GetLevel(), kTreeNotToExtend);
}

TEST_F(SchemaUpdateDlgTest, CancelChangesNoFlagsAndHelpOpensItsTopic) {
    CRefItem* west = Tree("WEST", 0);
    INT_PTR result = Run([](HWND d) {
        ui::SelectRow(d, IDC_SCHEMA_TREES, 0);
        ui::Click(d, IDHELP);
        ui::Click(d, IDCANCEL);
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(west->GetLevel(), 0u);
    auto journal = machine_.machine()->ReadJournal();
    ASSERT_FALSE(journal.empty());
    EXPECT_EQ(journal.back().kind, "help");
    EXPECT_EQ(journal.back().text, "VPRADMIN.HLP\tHELP_CONTEXT\t80000");
}

}  // namespace
