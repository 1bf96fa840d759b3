// The Registry Settings page in the host: entries read from the stream, what
// a person changes, and the records saved, compared with the records the
// template writers give for the expected entries.
#include "page_host_fixture.h"
#include "snapin/core/schema_names.h"
#include "snapin/distribution/distribution_resource.h"
#include "snapin/distribution/registry_settings_page.h"

namespace {

namespace ui = vpr::user::ui;
using vpr::user::ModalElement;

CRegistrySettingsPage* g_page = nullptr;
CDialog* MakeRegistry() { return g_page = new CRegistrySettingsPage; }
const std::vector<PageSlot> kSlots = {{56, 319, 1, MakeRegistry}};

LONG Value(HFILE f, DWORD subtype, const char* key, const char* name, DWORD type, const std::string& data) {
    return kmapptWriteValueEntry(f, subtype, 1, key, name, type, static_cast<DWORD>(data.size()),
                                 reinterpret_cast<const BYTE*>(data.data()));
}

class RegistrySettingsPageTest : public PageHostFixture {
protected:
    void SetUp() override { Start(kSlots); }
    void TearDown() override {
        EXPECT_TRUE(driver_.Failures().empty()) << driver_.Failures().front();
        EXPECT_EQ(driver_.PendingHandlers(), 0u);
        PageHostFixture::TearDown();
    }
    static std::string Label(HWND page) {
        HWND tree = GetDlgItem(page, IDC_KEY_TREE);
        char text[256] = {};
        TVITEMA item{};
        item.mask = TVIF_TEXT;
        item.hItem = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
        item.pszText = text;
        item.cchTextMax = sizeof text;
        SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
        return text;
    }
};

TEST_F(RegistrySettingsPageTest, EntriesReadAreWrittenBackInTreeOrder) {
    std::string binary(40, '\0');
    for (int i = 0; i < 40; ++i) binary[static_cast<size_t>(i)] = static_cast<char>(i * 7);
    Stream(snapin::kAttrRegistrySettings, [&](HFILE f) {
        kmapptWriteKeyEntry(f, 1, 0, "HKEY_LOCAL_MACHINE\\Software\\A\\B");
        Value(f, 1, "HKEY_CURRENT_USER", "Top", 2, "at the root");
        Value(f, 1, "HKEY_LOCAL_MACHINE\\Software\\V", "Path", 2, "C:\\ONE");
        Value(f, 1, "HKEY_LOCAL_MACHINE\\Software\\V", "path", 2, "C:\\TWO");
        Value(f, 1, "HKEY_LOCAL_MACHINE\\Software\\V", "Named", 4, "default text");
        Value(f, 1, "HKEY_LOCAL_MACHINE\\Software\\V", "Bytes", 1, binary);
        Value(f, 1, "HKEY_LOCAL_MACHINE\\Software\\V", "Short", 3, std::string("\x34\x12", 2));
        Value(f, 1, "HKEY_LOCAL_MACHINE\\Software\\V", "Expand", 6, std::string("%PATH%\0", 7));
        Value(f, 1, "HKEY_NOWHERE\\Software", "Lost", 2, "dropped");
    });
    Details(0, [&](HWND, HWND page) {
        ASSERT_TRUE(ui::SelectTreeNode(page, IDC_KEY_TREE, {"HKEY_LOCAL_MACHINE", "Software", "V"}));
        EXPECT_EQ(SendDlgItemMessageA(page, IDC_VALUE_LIST, LVM_GETITEMCOUNT, 0, 0), 6);
        g_page->SetModified();
    });
    EXPECT_EQ(Saved(snapin::kAttrRegistrySettings), ExpectedRecords([&](HFILE f) {
                  Value(f, 1, "HKEY_CURRENT_USER", "Top", 2, "at the root");
                  kmapptWriteKeyEntry(f, 1, 0, "HKEY_LOCAL_MACHINE\\Software\\A\\B");
                  Value(f, 1, "HKEY_LOCAL_MACHINE\\Software\\V", "Path", 2, "C:\\ONE");
                  Value(f, 1, "HKEY_LOCAL_MACHINE\\Software\\V", "path", 2, "C:\\TWO");
                  Value(f, 1, "HKEY_LOCAL_MACHINE\\Software\\V", "(Default)", 4, "default text");
                  Value(f, 1, "HKEY_LOCAL_MACHINE\\Software\\V", "Bytes", 1, binary);
                  Value(f, 1, "HKEY_LOCAL_MACHINE\\Software\\V", "Short", 3, std::string("\x34\x12\0\0", 4));
                  Value(f, 1, "HKEY_LOCAL_MACHINE\\Software\\V", "Expand", 6, std::string("%PATH%\0", 7));
              }));
}

TEST_F(RegistrySettingsPageTest, APersonAddsKeysAndValuesAndBadLabelsAreRefused) {
    Stream(snapin::kAttrRegistrySettings,
           [](HFILE f) { Value(f, 1, "HKEY_LOCAL_MACHINE\\Software", "Path", 2, "C:\\ONE"); });
    int refused = 0;
    Details(0, [&](HWND, HWND page) {
        ASSERT_TRUE(ui::SelectTreeNode(page, IDC_KEY_TREE, {"HKEY_LOCAL_MACHINE", "Software"}));
        // PATH is the name of a shown value: message 139, then Cancel.
        driver_.OnPopupMenu([](const vpr::user::PopupMenu& menu) { return ui::ChooseMenuItem(menu, "Te&xt"); });
        driver_.OnDialog(IDD_STRING_VALUE, [](const ModalElement& dialog) {
            ui::ReplaceText(dialog.window, IDC_STRING_NAME, "PATH");
            ui::ReplaceText(dialog.window, IDC_STRING_DATA, "x");
            ui::Click(dialog.window, IDOK);
        });
        driver_.OnMessageBox("Unable to add duplicate registry value \"PATH\"", [&](const ModalElement& box) {
            ++refused;
            ui::Click(box.window, IDOK);
        });
        driver_.OnDialog(IDD_STRING_VALUE, [](const ModalElement& dialog) { ui::Click(dialog.window, IDCANCEL); });
        ui::Click(page, IDC_VALUE_ADD);

        // A new key, then labels that would read back as another tree.
        ui::Click(page, IDC_KEY_ADD);
        EXPECT_EQ(Label(page), "New Item");
        ui::EditLabel(page, IDC_KEY_TREE, std::string("Tool"));
        EXPECT_EQ(Label(page), "Tool");
        driver_.OnMessageBox("The entry contains the invalid character '\\'", [](const ModalElement& box) {
            ui::Click(box.window, IDOK);
        });
        ui::Click(page, IDC_KEY_MODIFY);
        ui::EditLabel(page, IDC_KEY_TREE, std::string("A\\B"));
        EXPECT_EQ(Label(page), "Tool");
        ui::Click(page, IDC_KEY_MODIFY);
        ui::EditLabel(page, IDC_KEY_TREE, std::string(""));
        EXPECT_EQ(Label(page), "Tool");

        // A DWORD and a binary value under it.
        driver_.OnPopupMenu([](const vpr::user::PopupMenu& menu) { return ui::ChooseMenuItem(menu, "D&WORD"); });
        driver_.OnDialog(IDD_DWORD_VALUE, [](const ModalElement& dialog) {
            ui::ReplaceText(dialog.window, IDC_DWORD_NAME, "Count");
            ui::ReplaceText(dialog.window, IDC_DWORD_DATA, "ff");
            ui::Click(dialog.window, IDOK);
        });
        ui::Click(page, IDC_VALUE_ADD);
        driver_.OnPopupMenu([](const vpr::user::PopupMenu& menu) { return ui::ChooseMenuItem(menu, "&Binary"); });
        driver_.OnDialog(IDD_BINARY_VALUE, [](const ModalElement& dialog) {
            ui::ReplaceText(dialog.window, IDC_BINARY_NAME, "Blob");
            ui::Type(dialog.window, IDC_HEX_EDIT, "41");
            ui::Click(dialog.window, IDOK);
        });
        ui::Click(page, IDC_VALUE_ADD);
    });
    EXPECT_EQ(refused, 1);
    EXPECT_EQ(Saved(snapin::kAttrRegistrySettings), ExpectedRecords([](HFILE f) {
                  Value(f, 1, "HKEY_LOCAL_MACHINE\\Software\\Tool", "Count", 3, std::string("\xff\0\0\0", 4));
                  Value(f, 1, "HKEY_LOCAL_MACHINE\\Software\\Tool", "Blob", 1, "A");
                  Value(f, 1, "HKEY_LOCAL_MACHINE\\Software", "Path", 2, "C:\\ONE");
              }));
}

}  // namespace
