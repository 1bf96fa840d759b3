// The Environment page of an application: its four texts and bits 0x447 of
// "App:Flags", merged with what another writer stored meanwhile.
#include "page_host_fixture.h"

namespace ui = vpr::user::ui;

namespace {

class EnvironmentPageTest : public PageHostTest {
protected:
    std::string Texts4() {
        return Stored({"WP.sales.acme"},
                      {"App:Parameters", "App:Working Directory", "App:Monitor Module", "App:Error Log Path"});
    }
};

// Each edit starts from stored flags; another writer sets bit 0x1000 (the
// Identification page's) after the page opened; the word stored.
TEST_F(EnvironmentPageTest, FlagsAreMergedWithWhatIsStoredAtSave) {
    struct Case {
        const char* name;
        DWORD stored;
        std::vector<std::pair<int, bool>> checks;
        const char* log;  // typed into the log edit, or null
        DWORD expected;
    } cases[] = {
        {"minimized", 0x0, {{4207, true}}, nullptr, 0x1001},
        {"maximized over both", 0x5, {{4208, true}}, nullptr, 0x1004},
        {"separate session", 0x0, {{4212, true}}, nullptr, 0x1040},
        {"clean-up off", 0x0, {{4216, false}}, nullptr, 0x1002},
        {"logging without a path", 0x0, {{5193, true}}, nullptr, 0x1000},
        {"logging with a path", 0x0, {{5193, true}}, "\\\\S\\SYS\\LOG.TXT", 0x1400},
        {"logging off", 0x402, {{5193, false}, {4216, true}}, nullptr, 0x1000},
        {"normal keeps others", 0x89, {{4206, true}}, nullptr, 0x1088},
    };
    for (const Case& c : cases) {
        tree_.Set("WP.sales.acme", "App:Flags", {std::to_string(c.stored)});
        vpr::user::UiDriver driver;
        driver.OnDialog(vpr::adminhost::kDetailsDialogId, [&](const vpr::user::ModalElement& sheet) {
            HWND page = ShowPage(sheet.window, "Environment");
            for (auto [id, on] : c.checks) ui::Check(page, id, on);
            if (c.log) ui::ReplaceText(page, 5194, c.log);
            tree_.Set("WP.sales.acme", "App:Flags", {std::to_string(c.stored | 0x1000)});
            ui::Click(sheet.window, IDOK);
        });
        EXPECT_EQ(host_.OpenDetails("WP.sales.acme").saveResult, 0) << c.name;
        EXPECT_TRUE(driver.Failures().empty()) << c.name;
        EXPECT_EQ(Values("WP.sales.acme", "App:Flags"), Texts{std::to_string(c.expected)}) << c.name;
    }
}

TEST_F(EnvironmentPageTest, TextsAreStoredAndAnEmptyTextRemovesTheValue) {
    tree_.Set("WP.sales.acme", "App:Working Directory", {"C:\\OLD"});
    EXPECT_EQ(Run("details WP.sales.acme\npage Environment\nshow 4203\nset 4201 /q\nset 4203 \n"
                  "set 4214 MON.EXE\ncheck 5193 on\nset 5194 C:\\ERR.LOG\nok\n"),
              0)
        << output_;
    EXPECT_NE(output_.find("4203: C:\\OLD\n"), std::string::npos) << output_;
    EXPECT_EQ(Texts4(), "WP.sales.acme App:Parameters: /q\n"
                        "WP.sales.acme App:Monitor Module: MON.EXE\n"
                        "WP.sales.acme App:Error Log Path: C:\\ERR.LOG\n");
    EXPECT_EQ(Values("WP.sales.acme", "App:Flags"), Texts{"1024"});
}

// Clean-up off removes the monitor module; logging off empties the log path.
TEST_F(EnvironmentPageTest, CleanUpOffRemovesTheMonitorAndLoggingOffTheLog) {
    tree_.Set("WP.sales.acme", "App:Monitor Module", {"MON.EXE"})
        .Set("WP.sales.acme", "App:Error Log Path", {"C:\\ERR.LOG"})
        .Set("WP.sales.acme", "App:Flags", {"1024"});
    EXPECT_EQ(Run("details WP.sales.acme\npage Environment\ncheck 4216 off\ncheck 5193 off\nshow 5194\n"
                  "set 4214 X\nok\n"),
              1)
        << output_;  // the monitor edit is disabled while clean-up is off
    EXPECT_NE(output_.find("5194: \n"), std::string::npos) << output_;
    EXPECT_EQ(Texts4(), "");
    EXPECT_EQ(Values("WP.sales.acme", "App:Flags"), Texts{"2"});
}

// The request fails: the status is reported and nothing of it stays.
TEST_F(EnvironmentPageTest, AFailedSaveIsReported) {
    vpr::directory::faults::FailModify(DIR_ERR_STORE, 0);
    EXPECT_EQ(Run("answer ok The \"Environment\" page failed\ndetails WP.sales.acme\npage Environment\n"
                  "set 4201 /q\ncheck 4207 on\nok\n"),
              0)
        << output_;
    EXPECT_NE(output_.find("Error code: -620\n"), std::string::npos) << output_;
    EXPECT_EQ(Texts4(), "");
    EXPECT_EQ(Values("WP.sales.acme", "App:Flags"), Texts{});
}

}  // namespace
