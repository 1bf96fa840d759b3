// The Identification page of an application: caption, path, version, icon,
// bits 0x1B80 of "App:Flags" and the GUID.
#include "page_host_fixture.h"

#include "../icon_test_files.h"
#include "vpr/win/sqlite_database.h"

namespace faults = vpr::directory::faults;
namespace ui = vpr::user::ui;
using namespace icon_test;

namespace {

class IdentificationPageTest : public PageHostTest {
protected:
    int Edit(const std::string& lines) { return Run("details WP.sales.acme\n" + lines + "ok\n"); }

    // Picks the first icon of the file in the icon browser opened by "Change icon...".
    static std::string PickIcon(const std::string& file) {
        return "dialog 345\nfile " + file + "\npress 3101\nchoose 3100 #1\nok\nend\npress 1406\n";
    }

    std::vector<uint8_t> IconStream() {
        std::string bytes = Stream("WP.sales.acme", "App:Icon");
        return std::vector<uint8_t>(bytes.begin(), bytes.end());
    }
};

// Each edit starts from stored flags; another writer sets bit 0x400 (the
// Environment page's) after the page opened; the word stored.
TEST_F(IdentificationPageTest, FlagsAreMergedWithWhatIsStoredAtSave) {
    struct Case {
        const char* name;
        DWORD stored;
        std::vector<std::pair<int, bool>> checks;
        DWORD expected;
    } cases[] = {
        {"always and never open as always", 0xA00, {{5091, true}}, 0x700},
        {"install only", 0x0, {{5089, true}}, 0x480},
        {"never and distribute always", 0x41, {{5221, true}, {5222, true}}, 0x1C41},
        {"auto detect clears both", 0x1B80, {{5220, true}, {5090, true}, {5091, false}, {5222, false}}, 0x400},
    };
    tree_.Set("WP.sales.acme", "App:Caption", {"WP"});
    for (const Case& c : cases) {
        tree_.Set("WP.sales.acme", "App:Flags", {std::to_string(c.stored)})
            .Set("WP.sales.acme", "App:Path", {"C:\\WP.EXE"});
        vpr::user::UiDriver driver;
        driver.OnDialog(vpr::adminhost::kDetailsDialogId, [&](const vpr::user::ModalElement& sheet) {
            HWND page = ShowPage(sheet.window, "Identification");
            for (auto [id, on] : c.checks) ui::Check(page, id, on);
            tree_.Set("WP.sales.acme", "App:Flags", {std::to_string(c.stored | 0x400)});
            ui::Click(sheet.window, IDOK);
            if (ui::IsOpen(sheet.window)) EndDialog(sheet.window, IDCANCEL);  // the page refused
        });
        EXPECT_EQ(host_.OpenDetails("WP.sales.acme").saveResult, 0) << c.name;
        EXPECT_TRUE(driver.Failures().empty()) << c.name;
        EXPECT_EQ(Values("WP.sales.acme", "App:Flags"), Texts{std::to_string(c.expected)}) << c.name;
    }
}

// Install only stores the nine-byte literal; back to Path restores the path
// typed before.
TEST_F(IdentificationPageTest, InstallOnlyStoresTheLiteralAndPathRestoresTheOldPath) {
    EXPECT_EQ(Edit("set 1401 Word Pro\ncheck 5089 on\nshow 1403\nset 5092 2.1\n"), 0) << output_;
    EXPECT_NE(output_.find("1403: \n"), std::string::npos) << output_;
    EXPECT_EQ(Stored({"WP.sales.acme"}, {"App:Caption", "App:Path", "App:Version String", "App:Flags"}),
              "WP.sales.acme App:Caption: Word Pro\n"
              "WP.sales.acme App:Path:  47 NULL \n"
              "WP.sales.acme App:Version String: 2.1\n"
              "WP.sales.acme App:Flags: 128\n");
    EXPECT_EQ(Edit("check 5090 on\nshow 1403\nset 1403 C:\\WP.EXE\ncheck 5089 on\ncheck 5090 on\nshow 1403\n"), 0)
        << output_;
    // The stored literal is not brought back; the path typed since is.
    EXPECT_NE(output_.find("1403: \n"), std::string::npos) << output_;
    EXPECT_NE(output_.find("1403: C:\\WP.EXE\n"), std::string::npos) << output_;
    EXPECT_EQ(Values("WP.sales.acme", "App:Path"), Texts{"C:\\WP.EXE"});
    EXPECT_EQ(Values("WP.sales.acme", "App:Flags"), Texts{"0"});
}

TEST_F(IdentificationPageTest, EmptyFieldsKeepThePageOpenWithTheirNames) {
    EXPECT_EQ(Run("answer ok\ndetails WP.sales.acme\nset 1401 \nset 1403 \nok\ncheck 5089 on\nset 1401 T\nok\n"), 0)
        << output_;
    EXPECT_NE(output_.find("message Dravik Warning: The following fields contain invalid data:\\n\\n"
                           "\"Application icon title\"\\n\"Path to executable file\"\\n\n"),
              std::string::npos)
        << output_;
    EXPECT_EQ(Values("WP.sales.acme", "App:Caption"), Texts{"T"});
}

// The GUID is given when the page opens, once; Shift, Ctrl and Alt held
// while it opens give a new one.
TEST_F(IdentificationPageTest, AGuidIsGivenOnceAndReplacedWithTheKeysHeld) {
    tree_.Set("WP.sales.acme", "App:GUID", {});
    EXPECT_EQ(Run("details WP.sales.acme\nshow 5095\ncancel\n"), 0) << output_;
    Texts first = Values("WP.sales.acme", "App:GUID");
    ASSERT_EQ(first.size(), 1u);
    EXPECT_NE(output_.find("5095: {" + first[0] + "}\n"), std::string::npos) << output_;
    EXPECT_EQ(Run("details WP.sales.acme\ncancel\n"), 0) << output_;
    EXPECT_EQ(Values("WP.sales.acme", "App:GUID"), first);
    EXPECT_EQ(Run("hold shift ctrl alt\ndetails WP.sales.acme\nshow 5095\ncancel\n"), 0) << output_;
    Texts second = Values("WP.sales.acme", "App:GUID");
    ASSERT_EQ(second.size(), 1u);
    EXPECT_NE(second, first);
    EXPECT_NE(output_.find("5095: {" + second[0] + "}\n"), std::string::npos) << output_;
}

TEST_F(IdentificationPageTest, AnIconFromAnIconFileOrAProgramIsStoredAsItsIconFileBytes) {
    std::vector<uint8_t> ico = IcoFile({DibImage(32, 4)});
    WriteBytes(machine_, "C:\\APP.ICO", ico);
    EXPECT_EQ(Edit(PickIcon("C:\\APP.ICO")), 0) << output_;
    EXPECT_EQ(IconStream(), ico);
    // A program's first icon group as a whole icon file: header, entries, images.
    EXPECT_EQ(Edit(PickIcon(OnDriveZ(Bin() + "/VPRADM32.DLL"))), 0) << output_;
    std::vector<uint8_t> stored = IconStream();
    ASSERT_GE(stored.size(), 22u);
    EXPECT_EQ(U16(stored, 0), 0);
    EXPECT_EQ(U16(stored, 2), 1);
    size_t count = U16(stored, 4), size = 6 + 16 * count;
    for (size_t i = 0; i < count; ++i) size += U32(stored, 6 + 16 * i + 8);
    EXPECT_EQ(stored.size(), size);
    EXPECT_NE(stored, ico);
}

// Bytes that do not fit the page's buffer: the old icon stays, nothing is marked.
TEST_F(IdentificationPageTest, AnIconTooBigChangesNothing) {
    tree_.Stream("WP.sales.acme", "App:Icon", "old icon");
    WriteBytes(machine_, "C:\\BIG.ICO", IcoFile({DibImage(128, 8), DibImage(128, 8)}));
    EXPECT_EQ(Run("details WP.sales.acme\n" + PickIcon("C:\\BIG.ICO") + "ok\n"), 0) << output_;
    EXPECT_EQ(Stream("WP.sales.acme", "App:Icon"), "old icon");
}

// The icon's write fails: the caption is still saved, the icon's failure is
// what the save reports.
TEST_F(IdentificationPageTest, AFailingIconWriteIsReportedAndTheRestSaved) {
    WriteBytes(machine_, "C:\\APP.ICO", IcoFile({DibImage(32, 4)}));
    faults::FailStreamWritesAfter(0);
    EXPECT_EQ(Run("answer ok The \"Identification\" page failed\ndetails WP.sales.acme\nset 1401 New\n" +
                  PickIcon("C:\\APP.ICO") + "ok\n"),
              0)
        << output_;
    EXPECT_NE(output_.find("Error code: -1\n"), std::string::npos) << output_;
    EXPECT_EQ(Values("WP.sales.acme", "App:Caption"), Texts{"New"});
}

}  // namespace

namespace {

// A tree whose application schema lacks "App:GUID", as an older one does;
// the administrator declines the extension the module offers at its start.
class NoGuidSchemaTest : public IdentificationPageTest {
protected:
    void Seed() override {
        start_.OnDialog(330, [](const vpr::user::ModalElement& offer) { ui::Click(offer.window, IDCANCEL); });
        ASSERT_EQ(tree_.store().database().Exec("DELETE FROM object_values WHERE attribute = 'App:GUID';"
                                                "DELETE FROM class_lists WHERE item = 'App:GUID';"
                                                "DELETE FROM attributes WHERE name = 'App:GUID';"),
                  vpr::win::StoreFault::kNone);
    }

    vpr::user::UiDriver start_;
};

// Without the attribute the page's options are disabled, and only they.
TEST_F(NoGuidSchemaTest, OnlyTheOptionsAreDisabled) {
    vpr::user::UiDriver driver;
    driver.OnDialog(vpr::adminhost::kDetailsDialogId, [&](const vpr::user::ModalElement& sheet) {
        HWND page = ShowPage(sheet.window, "Identification");
        for (int id : {5089, 5090, 5091, 5218, 5219, 5220, 5221, 5222})
            EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, id))) << id;
        for (int id : {1401, 1403, 1404, 1406, 5092}) EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page, id))) << id;
        ui::ReplaceText(page, 1401, "Word Pro");
        ui::Click(sheet.window, IDOK);
    });
    EXPECT_EQ(host_.OpenDetails("WP.sales.acme").saveResult, 0);
    EXPECT_TRUE(driver.Failures().empty());
    EXPECT_EQ(Values("WP.sales.acme", "App:Caption"), Texts{"Word Pro"});
}

}  // namespace
