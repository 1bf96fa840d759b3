// The module's object classes with stub pages in their slots: the pages
// made in table order (empty slots skipped), saved in the save order with a
// message per failing page, the old application classes saving nothing, and
// the records forgotten with the pages.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "afxwin.h"
#include "snapin/core/application.h"
#include "snapin/core/snapin_page.h"
#include "vpr/testing/temp_machine.h"
#include "vpr/user/ui_driver.h"

namespace {

std::vector<std::string> g_saved;           // page titles in the order saved
std::map<std::string, LONG> g_saveStatus;   // a failing page's status by title

class CStubPage : public CDialog {
public:
    class CPart : public CSnapinPage {
    public:
        CPart(UINT titleId, UINT dialogId, CDialog* owner) : CSnapinPage(titleId, dialogId, owner) {}
        DLGPROC GetDialogProc() override { return SnapinPageDialogProc; }
        LONG Save() override {
            g_saved.push_back(GetTitle());
            return g_saveStatus[GetTitle()];
        }
    };
    CStubPage(UINT titleId, UINT dialogId) : CDialog(dialogId), m_part(titleId, dialogId, this) {}
    CPart m_part;
};

template <UINT Title, UINT Dialog>
CDialog* MakeStub() {
    return new CStubPage(Title, Dialog);
}

// Titles 2 "Identification", 3 "Environment", 4 "Drives/Ports", 127 "System
// Requirements" of the test resources; the Environment slot is empty.
const PageSlot kSlots[] = {
    {2, 310, 1, MakeStub<2, 310>},
    {127, 343, 4, MakeStub<127, 343>},
    {3, 311, 2, nullptr},
    {4, 312, 3, MakeStub<4, 312>},
};
const PageSlotTable kTable{kSlots, std::size(kSlots)};

std::vector<std::string> RecordTitles(CSnapinObjectType& cls) {
    std::vector<std::string> titles;
    SnapinPageRecord record{};
    char data[1] = {};
    for (ULONG_PTR i = 0; SnapinDispatch(&cls, data, SNAPIN_GET_PAGE, i, reinterpret_cast<ULONG_PTR>(&record)) == 0;
         ++i)
        titles.push_back(record.title);
    return titles;
}

class ModuleObjectTypeTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_saved.clear();
        g_saveStatus.clear();
    }
    vpr::testing::TempMachine machine_;
    vpr::user::UiDriver driver_;
    char data_[8] = {};
};

TEST_F(ModuleObjectTypeTest, PagesComeInTableOrderAndEmptySlotsGiveNoTab) {
    CApplication application(kTable);
    ASSERT_EQ(SnapinDispatch(&application, data_, SNAPIN_CREATE_PAGES, 0, 0), 0);
    EXPECT_EQ(RecordTitles(application),
              (std::vector<std::string>{"Identification", "System Requirements", "Drives/Ports"}));
    // Deleted pages leave no record behind.
    ASSERT_EQ(SnapinDispatch(&application, data_, SNAPIN_DELETE_PAGES, 0, 0), 0);
    SnapinPageRecord record{};
    EXPECT_EQ(SnapinDispatch(&application, data_, SNAPIN_GET_PAGE, 0, reinterpret_cast<ULONG_PTR>(&record)), -1);
}

TEST_F(ModuleObjectTypeTest, TwoFailingPagesShowTwoMessagesInSaveOrderAndAnswerMinusOne) {
    g_saveStatus["Drives/Ports"] = -603;
    g_saveStatus["System Requirements"] = -304;
    std::vector<std::string> messages;
    for (int i = 0; i < 2; ++i)
        driver_.OnMessageBox("The \"", [&](const vpr::user::ModalElement& box) {
            messages.push_back(box.caption + ": " + box.text);
            vpr::user::ui::Click(box.window, IDOK);
        });
    CApplication application(kTable);
    SnapinDispatch(&application, data_, SNAPIN_CREATE_PAGES, 0, 0);
    EXPECT_EQ(SnapinDispatch(&application, data_, SNAPIN_SAVE_PAGES, 0, 0), -1);
    EXPECT_EQ(g_saved, (std::vector<std::string>{"Identification", "Drives/Ports", "System Requirements"}));
    EXPECT_EQ(messages,
              (std::vector<std::string>{
                  "Dravik Error: The \"Drives/Ports\" page failed to save data to KDS.  Error code: -603",
                  "Dravik Error: The \"System Requirements\" page failed to save data to KDS.  Error code: -304"}));
    EXPECT_TRUE(driver_.Failures().empty());
}

TEST_F(ModuleObjectTypeTest, OldApplicationsSaveNothingAndContainersCreateNothing) {
    g_saveStatus["Identification"] = -1;
    CApplicationNT old(kTable);
    SnapinDispatch(&old, data_, SNAPIN_CREATE_PAGES, 0, 0);
    EXPECT_EQ(SnapinDispatch(&old, data_, SNAPIN_SAVE_PAGES, 0, 0), 0);
    EXPECT_TRUE(g_saved.empty());
    EXPECT_EQ(SnapinDispatch(&old, data_, SNAPIN_CLASS_FLAGS, 0, 0), 0xD9);

    CUser user(kTable);
    char name[SNAPIN_NAME_SIZE] = "untouched";
    EXPECT_EQ(SnapinDispatch(&user, data_, SNAPIN_CREATE_OBJECT, reinterpret_cast<ULONG_PTR>(name), 0), 0);
    EXPECT_STREQ(name, "untouched");
    EXPECT_EQ(SnapinDispatch(&user, data_, SNAPIN_CLASS_FLAGS, 0, 0), 1);
    EXPECT_TRUE(driver_.Failures().empty());
}

}  // namespace
