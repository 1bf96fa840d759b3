// The main form's pages: buttons, help and status per page, the checks made
// before a page is left, the lists of the Definitions page, the setup step,
// and the start after a run that did not finish.
#include <fstream>

#include "snapshot/engine/definitions.h"
#include "snapshot/engine/work_directory.h"
#include "startup_load.h"
#include "wizard_fixture.h"
#include "wizard_status.h"

namespace snapshot::testing {
namespace {

using namespace vpr::forms;
namespace ui = vpr::user::ui;

TEST_F(WizardTest, EveryPageSetsItsButtonsHelpAndStatus) {
    struct Rule {
        int page;
        bool back, next, help;
        int helpContext, status;
    };
    const Rule rules[] = {
        {kPageWelcome, false, true, true, 100, 1},          {kPageGeneralInfo, true, false, true, 200, 1},
        {kPageLocations, true, true, true, 300, 2},         {kPageDefinitions, true, true, true, 400, 3},
        {kPageConfirmPicture, true, true, false, 100, 4},   {kPageTakingPicture, false, false, false, 100, 5},
        {kPageRunInstall, false, true, true, 500, 6},       {kPageContinue, true, true, true, 100, 6},
        {kPageTargetDirectory, true, true, true, 600, 6},   {kPageGeneratingTemplate, false, false, false, 100, 7},
        {kPageFinished, false, false, false, 100, 8},
    };
    CreateMain();
    EXPECT_EQ(form_->nbkMain->Pages(),
              (std::vector<std::string>{"Welcome", "GeneralInfo", "Locations", "Definitions", "ConfirmPicture",
                                        "TakingPicture", "RunInstall", "Continue", "TargetDirectory",
                                        "GeneratingTemplate", "Finished"}));
    EXPECT_EQ(ReadStatus(), 1);
    EXPECT_EQ(form_->Caption(), "Veltrix Pellior Imprix for Windows 95/NT");
    EXPECT_NE(ReadStartupLoad().find("imprx_wizard_tests"), std::string::npos) << ReadStartupLoad();
    for (const Rule& rule : rules) {
        form_->nbkMain->SetPageIndex(rule.page);
        SCOPED_TRACE(form_->nbkMain->ActivePage());
        EXPECT_EQ(form_->btnPrevious->Enabled(), rule.back);
        EXPECT_EQ(form_->btnNext->Enabled(), rule.next);
        EXPECT_EQ(form_->btnHelp->Enabled(), rule.help);
        EXPECT_EQ(form_->HelpContext, rule.helpContext);
        EXPECT_EQ(ReadStatus(), rule.status);
    }
    // GeneralInfo lets Next go only with a name.
    form_->nbkMain->SetPageIndex(kPageGeneralInfo);
    Type(form_->edtDistName, "App");
    EXPECT_TRUE(form_->btnNext->Enabled());
    Type(form_->edtDistName, "");
    EXPECT_FALSE(form_->btnNext->Enabled());
    // Finished takes the wizard out of the start-up list.
    form_->nbkMain->SetPageIndex(kPageFinished);
    EXPECT_EQ(ReadStartupLoad(), "");
}

TEST_F(WizardTest, TheNameMayNotHoldDotsPlusOrEquals) {
    CreateMain();
    Click(form_->btnNext);
    ASSERT_EQ(Page(), kPageGeneralInfo);
    std::string caption;
    Answer("Error Invalid Name!  The Object Name cannot contain the '+ . =' characters", IDOK, &caption);
    Type(form_->edtDistName, "App 1.0");
    Click(form_->btnNext);
    EXPECT_EQ(Page(), kPageGeneralInfo);
    EXPECT_EQ(caption, "Invalid Object Name");
    Type(form_->edtDistName, "App 1");
    Click(form_->btnNext);
    EXPECT_EQ(Page(), kPageLocations);
}

TEST_F(WizardTest, LocationsAskBeforeMakingFoldersAndReplacingATemplate) {
    CreateMain();
    form_->nbkMain->SetPageIndex(kPageLocations);
    Type(form_->edtTemplateFile, "C:\\OUT\\SUB\\app");
    ASSERT_TRUE(ui::PressKey(Window(), VK_TAB));  // leaving the field adds the extension
    EXPECT_EQ(form_->edtTemplateFile->Text(), "C:\\OUT\\SUB\\app.qmt");
    Type(form_->edtNewFile, "C:\\OUT\\FILES");

    // A missing folder: No keeps the page and makes nothing.
    Answer("Directory \"C:\\OUT\\SUB\" does not exist. Do you want Imprix to create this directory for you?", IDNO);
    Click(form_->btnNext);
    EXPECT_EQ(Page(), kPageLocations);
    EXPECT_FALSE(std::filesystem::exists(Host("C:\\OUT")));

    // Yes makes it with its parents; the new-files folder is asked for too.
    Answer("Directory \"C:\\OUT\\SUB\"", IDYES);
    Answer("Directory \"C:\\OUT\\FILES\"", IDYES);
    Click(form_->btnNext);
    EXPECT_EQ(Page(), kPageDefinitions);
    EXPECT_TRUE(std::filesystem::is_directory(Host("C:\\OUT\\SUB")));
    EXPECT_TRUE(std::filesystem::is_directory(Host("C:\\OUT\\FILES")));
    EXPECT_FALSE(std::filesystem::exists(Host("C:\\OUT\\SUB\\app.qmt")));  // tried and deleted again

    // An existing template: No keeps the page.
    Click(form_->btnPrevious);
    std::ofstream(Host("C:\\OUT\\SUB\\app.qmt")) << "old";
    std::string caption;
    Answer("The file \"C:\\OUT\\SUB\\app.qmt\" already exists. Do you want to replace it?", IDNO, &caption);
    Click(form_->btnNext);
    EXPECT_EQ(Page(), kPageLocations);
    EXPECT_EQ(caption, "File exists");

    // A template that cannot be made.
    Type(form_->edtTemplateFile, "C:\\OUT\\SUB\\bad?name.qmt");
    Answer("The template file name is invalid.", IDOK, &caption);
    Click(form_->btnNext);
    EXPECT_EQ(Page(), kPageLocations);
    EXPECT_EQ(caption, "Invalid file name");
}

TEST_F(WizardTest, NextIntoDefinitionsResetsTheListsAndBackKeepsThem) {
    CreateMain();
    form_->nbkMain->SetPageIndex(kPageLocations);
    Type(form_->edtTemplateFile, "C:\\app.qmt");
    Type(form_->edtNewFile, "C:\\WINDOWS");
    Click(form_->btnNext);
    ASSERT_EQ(Page(), kPageDefinitions);
    EXPECT_EQ(form_->Definitions().drives, (std::vector<std::string>{"c:"}));
    EXPECT_EQ(form_->lstExcludeFile->Items().Count(), 10);
    EXPECT_EQ(form_->lstExcludeFile->Items()[0], "*.swp");  // sorted

    // The person's rows stay across ConfirmPicture and back.
    form_->lstExcludeFile->Items().Add("mine.dat");
    Click(form_->btnNext);
    ASSERT_EQ(Page(), kPageConfirmPicture);
    Click(form_->btnPrevious);
    EXPECT_NE(form_->lstExcludeFile->Items().IndexOf("mine.dat"), -1);

    // Back to Locations and Next again: the defaults, and the boot drive's.
    Click(form_->btnPrevious);
    form_->drvBootDrive->SetDrive('d');
    Click(form_->btnNext);
    ASSERT_EQ(Page(), kPageDefinitions);
    EXPECT_EQ(form_->lstExcludeFile->Items().IndexOf("mine.dat"), -1);
    EXPECT_EQ(form_->Definitions().drives, (std::vector<std::string>{"c:", "d:"}));
    EXPECT_EQ(form_->Definitions().textFiles, (std::vector<std::string>{"d:\\autoexec.bat", "d:\\config.sys"}));

    // Remove takes every selected row.
    ASSERT_TRUE(ui::SelectRow(Window(), form_->lstIncludeDrive->ControlId(), 0));
    ASSERT_TRUE(ui::SelectRow(Window(), form_->lstIncludeDrive->ControlId(), 1, MK_CONTROL));
    Click(Control("btnDriveRemove"));
    EXPECT_EQ(form_->lstIncludeDrive->Items().Count(), 0);
}

TEST_F(WizardTest, RunInstallSkipsContinueAndACancelledSetupComesBack) {
    CreateMain();
    form_->nbkMain->SetPageIndex(kPageRunInstall);
    Click(form_->btnNext);
    EXPECT_EQ(Page(), kPageTargetDirectory);

    form_->nbkMain->SetPageIndex(kPageRunInstall);
    std::string title;
    driver_.OnFileDialog([&](const vpr::user::ModalElement& dialog) {
        title = dialog.caption;
        ui::Click(dialog.window, IDCANCEL);
    });
    Click(form_->btnRunSetup);
    EXPECT_EQ(title, "Select Setup program...");
    EXPECT_EQ(Page(), kPageRunInstall);
}

// A template that the engine could not make, without a message of its own:
// string 55, and the wizard goes back to TargetDirectory.
TEST_F(WizardTest, ATemplateThatWasNotMadeIsToldAndTheRunGoesBack) {
    CreateMain();
    form_->edtTemplateFile->SetText("C:\\app.qmt");
    form_->edtNewFile->SetText("C:\\NF");
    form_->nbkMain->SetPageIndex(kPageTargetDirectory);
    std::string caption;
    Answer("The template could not be made. Check the work directory and try again.", IDOK, &caption);
    Click(form_->btnNext);  // no first picture: the engine gives -1 and shows nothing
    EXPECT_EQ(caption, "VPR Imprix");
    EXPECT_EQ(Page(), kPageTargetDirectory);
    EXPECT_EQ(ReadStatus(), 6);
    EXPECT_FALSE(std::filesystem::exists(Host("C:\\app.qmt")));
}

struct StartCase {
    int status;
    const char* box;     // the box shown at start, "" for none
    int answer;
    int page;
};

class StartStatusTest : public WizardTest, public ::testing::WithParamInterface<StartCase> {};

TEST_P(StartStatusTest, TheStatusOfTheLastRunDecidesWhereTheWizardStarts) {
    const StartCase& c = GetParam();
    WriteStatus(c.status);
    // The first picture of that run, on the Windows drive.
    ASSERT_TRUE(CreateDirectoryA("C:\\imprix.dir", nullptr));
    ResumeValues values;
    values.distName = "Word";
    values.templateFile = "C:\\OUT\\word.qmt";
    values.newFilePath = "C:\\OUT";
    values.bootDrive = 'c';
    WriteResumeValues(DefaultsFile('c'), values);
    CreateDirectoryA("C:\\OUT", nullptr);
    bool asked = false;
    if (*c.box) {
        driver_.OnMessageBox(c.box, [&](const vpr::user::ModalElement& box) {
            asked = true;
            ui::Click(box.window, c.answer);
        });
    }
    CreateMain();
    EXPECT_EQ(asked, *c.box != '\0');
    EXPECT_EQ(Page(), c.page);
    EXPECT_EQ(form_->RunInterrupted, c.page == kPageTargetDirectory);
    if (c.page == kPageTargetDirectory) EXPECT_EQ(form_->edtDistName->Text(), "Word");
}

INSTANTIATE_TEST_SUITE_P(
    Statuses, StartStatusTest,
    ::testing::Values(StartCase{4, "", 0, kPageWelcome},
                      StartCase{5, "Imprix was terminated prematurely last time it ran.", IDOK, kPageWelcome},
                      StartCase{6, "Imprix has detected partial completion", IDYES, kPageTargetDirectory},
                      StartCase{6, "Imprix has detected partial completion", IDNO, kPageWelcome},
                      StartCase{7, "Imprix has detected partial completion", IDYES, kPageTargetDirectory},
                      StartCase{8, "", 0, kPageWelcome}),
    [](const auto& info) {
        return "Status" + std::to_string(info.param.status) + (info.param.answer == IDNO ? "No" : "");
    });

// The template's folder is gone (a lost network drive): string 46, and the
// wizard stays on RunInstall.
TEST_F(WizardTest, ResumeWithALostTemplateFolderStaysOnRunInstall) {
    WriteStatus(7);
    ASSERT_TRUE(CreateDirectoryA("C:\\imprix.dir", nullptr));
    ResumeValues values;
    values.templateFile = "Q:\\LOST\\app.qmt";
    values.bootDrive = 'c';
    WriteResumeValues(DefaultsFile('c'), values);
    Answer("Imprix has detected partial completion", IDYES);
    std::string caption;
    Answer("Error creating the template file.  You may not sufficient rights", IDOK, &caption);
    CreateMain();
    EXPECT_EQ(caption, "Invalid file name");
    EXPECT_EQ(Page(), kPageRunInstall);
    EXPECT_FALSE(form_->RunInterrupted);
}

// After the restart the pickers show the Windows drive; the run was on D:.
TEST_F(WizardTest, ResumeReadsTheRunFromBootDriveD) {
    WriteStatus(6);
    WriteBootDrive('d');
    ASSERT_TRUE(CreateDirectoryA("D:\\imprix.dir", nullptr));
    ASSERT_TRUE(CreateDirectoryA("D:\\OUT", nullptr));
    ResumeValues values;
    values.distName = "Word";
    values.distDesc = "Words";
    values.templateFile = "D:\\OUT\\word.qmt";
    values.newFilePath = "D:\\OUT";
    values.windowsDrive = 'c';
    values.bootDrive = 'd';
    WriteResumeValues(DefaultsFile('d'), values);
    Answer("Imprix has detected partial completion", IDYES);
    CreateMain();
    EXPECT_EQ(Page(), kPageTargetDirectory);
    EXPECT_EQ(form_->edtDistName->Text(), "Word");
    EXPECT_EQ(form_->edtDistDesc->Text(), "Words");
    EXPECT_EQ(form_->edtTemplateFile->Text(), "D:\\OUT\\word.qmt");
    EXPECT_EQ(form_->drvBootDrive->Drive(), 'd');
    EXPECT_EQ(form_->drvWindowsDrive->Drive(), 'c');
}

}  // namespace
}  // namespace snapshot::testing
