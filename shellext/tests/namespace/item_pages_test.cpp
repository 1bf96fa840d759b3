// The item pages in the extension's own sheet: what they read from the
// directory for an item, the contacts list and mailing one of them.
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "items/app_tree.h"
#include "items/group_folder_item.h"
#include "items_fixture.h"
#include "mapi.h"
#include "namespace/item_pages.h"
#include "namespace/prop_sheet.h"
#include "vpr/user/ui_driver.h"

namespace {

std::string Text(HWND page, int id) {
    char text[512] = {};
    GetDlgItemTextA(page, id, text, sizeof(text));
    return text;
}

std::vector<std::string> Rows(HWND page, int id) {
    std::vector<std::string> rows;
    HWND list = GetDlgItem(page, id);
    for (LRESULT i = 0; i < SendMessageA(list, LB_GETCOUNT, 0, 0); ++i) {
        char text[512] = {};
        SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
        rows.push_back(text);
    }
    return rows;
}

class ItemPagesTest : public ItemsTest {
protected:
    void SetUp() override {
        ItemsTest::SetUp();
        App("Editor.acme");
        Associate("jdoe.sales.acme", "Editor.acme", KMAPP_ASSOC_LAUNCHER);
        tree.Set("Editor.acme", "App:Description", {"Edits letters"});
        tree.User("ann.acme");  // no full name
        tree.Set("Editor.acme", "App:Contacts", {"mary.acme", "ann.acme"});
        tree.Set("mary.acme", "Full Name", {"Mary Major"});
        tree.Set("mary.acme", "Telephone Number", {"555-1234"});
        tree.Set("mary.acme", "Mailbox ID", {"mary@acme.com"});
        tree.Set("ann.acme", "Telephone Number", {"555-0000"});
        for (const char* contact : {"mary.acme", "ann.acme"})
            tree.Grant(contact, "[Public]", "[All Attributes Rights]", DIR_ATTR_COMPARE | DIR_ATTR_READ);
        WriteProfileStringA("MAIL", "MAPI", "1");
    }

    // A modeless sheet of the pages; the first page shown.
    HWND Show(std::initializer_list<CPropertyPage*> pages) {
        auto* sheet = new CPropSheet("Properties for: test");
        for (CPropertyPage* page : pages) sheet->AddPage(page);
        EXPECT_TRUE(sheet->Create());
        return sheet->m_hWnd;
    }
    static HWND Page(HWND sheet) { return reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0)); }

    vpr::user::UiDriver driver;
};

TEST_F(ItemPagesTest, InformationShowsTypeAndName) {
    const struct {
        CFolderItem* item;
        const char* type;
        const char* name;
    } cases[] = {
        {new CGroupFolderItem("Personal\t", "Mine", kPersonalItem | 1, RootIdList()), "Personal", "Mine"},
        {new CAppTree("TEST_TREE\t", "TEST_TREE"), "System", "TEST_TREE"},
    };
    for (const auto& c : cases) {
        HWND sheet = Show({new CInformationPage(c.item)});
        c.item->Release();  // the page holds its own reference
        HWND page = Page(sheet);
        EXPECT_EQ(Text(page, IDC_INFO_TYPE), c.type);
        EXPECT_EQ(Text(page, IDC_INFO_NAME), c.name);
        DestroyWindow(sheet);
    }
    EXPECT_EQ(app->m_nLiveObjects.load(), 0);
}

TEST_F(ItemPagesTest, DescriptionAndContactsOfAnApplication) {
    StartCache();
    cache->CheckSchedules();
    CFolderItem* item = cache->GetItem("TEST_TREE\tEditor.acme", CACHE_NO_CONTEXT);
    ASSERT_NE(item, nullptr);
    HWND sheet = Show({new CItemDescriptionPage(item), new CItemContactsPage(item), new CGeneralPage});
    item->Release();
    HWND page = Page(sheet);
    EXPECT_EQ(Text(page, IDC_DESCRIPTION_TEXT), "Edits letters");
    EXPECT_EQ(Text(page, IDC_DESCRIPTION_TREE), "TEST_TREE");
    EXPECT_EQ(Text(page, IDC_DESCRIPTION_NAME), "Editor.acme");

    SendMessageA(sheet, PSM_SETCURSEL, 1, 0);
    page = Page(sheet);
    // A contact without a full name is listed under the short form of its name.
    EXPECT_EQ(Rows(page, IDC_CONTACTS_LIST), (std::vector<std::string>{"Mary Major\t555-1234\tmary@acme.com", "ann.acme\t555-0000\t"}));
    HWND send = GetDlgItem(page, IDC_CONTACTS_SEND);
    EXPECT_FALSE(IsWindowEnabled(send));
    // Without a mailbox the button stays disabled.
    ASSERT_TRUE(vpr::user::ui::SelectRow(page, IDC_CONTACTS_LIST, 1));
    EXPECT_EQ(Text(page, IDC_CONTACTS_PHONE), "555-0000");
    EXPECT_FALSE(IsWindowEnabled(send));
    ASSERT_TRUE(vpr::user::ui::SelectRow(page, IDC_CONTACTS_LIST, 0));
    EXPECT_EQ(Text(page, IDC_CONTACTS_MAIL), "mary@acme.com");
    EXPECT_TRUE(IsWindowEnabled(send));

    // E-mail: the send-note dialog shows the message, Send writes it.
    std::string to, subject;
    driver.OnDialog(IDD_MAPI_SENDNOTE, [&](const vpr::user::ModalElement& e) {
        to = Text(e.window, IDC_MAPI_TO);
        subject = Text(e.window, IDC_MAPI_SUBJECT);
        vpr::user::ui::Click(e.window, IDOK);
    });
    ASSERT_TRUE(vpr::user::ui::Click(page, IDC_CONTACTS_SEND));
    EXPECT_EQ(to, "mary@acme.com");
    EXPECT_EQ(subject, "Application: Editor.acme");
    std::ifstream mail(machine->HostPath("C:\\WINDOWS\\OUTBOX\\MSG0001.TXT"));
    std::stringstream text;
    text << mail.rdbuf();
    EXPECT_EQ(text.str().substr(0, 21), "To: mary@acme.com\r\nSu");

    // Mail turned off: no contact can be mailed.
    WriteProfileStringA("MAIL", "MAPI", "0");
    ASSERT_TRUE(vpr::user::ui::SelectRow(page, IDC_CONTACTS_LIST, 1));
    ASSERT_TRUE(vpr::user::ui::SelectRow(page, IDC_CONTACTS_LIST, 0));
    EXPECT_EQ(Text(page, IDC_CONTACTS_MAIL), "mary@acme.com");
    EXPECT_FALSE(IsWindowEnabled(send));
    DestroyWindow(sheet);
    EXPECT_TRUE(driver.Failures().empty());
}

}  // namespace
