// Windows asks to shut down during a run: the question on the setup pages,
// the idle Next after a refusal, the restart offered at the end.
#include "startup_load.h"
#include "wizard_fixture.h"
#include "wizard_status.h"

namespace snapshot::testing {
namespace {

using namespace vpr::forms;

LRESULT AskToShutDown(HWND window) { return SendMessageA(window, WM_QUERYENDSESSION, 0, 0); }

TEST_F(WizardTest, NoOnContinueLetsWindowsShutDownAndKeepsTheStartupEntry) {
    CreateMain();
    form_->nbkMain->SetPageIndex(kPageContinue);
    Answer("Windows is about to shutdown. We recommend that you create the template file now.", IDNO);
    EXPECT_EQ(AskToShutDown(Window()), 1);
    EXPECT_TRUE(form_->ResumeAfterReboot);
    EXPECT_TRUE(form_->RunInterrupted);
    EXPECT_EQ(Page(), kPageContinue);
    // The program ends: the entry stays, so Windows starts the wizard again.
    form_->Free();
    form_ = nullptr;
    EXPECT_NE(ReadStartupLoad().find("imprx_wizard_tests"), std::string::npos);
    EXPECT_EQ(ReadStatus(), 6);
}

TEST_F(WizardTest, YesRefusesTheShutdownAndTheIdleNextGoesOnToTargetDirectory) {
    CreateMain();
    form_->nbkMain->SetPageIndex(kPageContinue);
    Answer("Windows is about to shutdown.", IDYES);
    EXPECT_EQ(AskToShutDown(Window()), 0);
    EXPECT_TRUE(form_->ShutdownPending);
    EXPECT_TRUE(form_->RunInterrupted);
    EXPECT_EQ(Page(), kPageRunInstall);
    bool done = false;
    Application->OnIdle(Application, done);
    EXPECT_TRUE(done);
    EXPECT_EQ(Page(), kPageTargetDirectory);
    // The idle handler ran once and is gone.
    Application->OnIdle = nullptr;
    // The normal end takes the entry out.
    form_->Free();
    form_ = nullptr;
    EXPECT_EQ(ReadStartupLoad(), "");
}

TEST_F(WizardTest, AShutdownWhileAPictureIsTakenIsNotQuestioned) {
    CreateMain();
    for (int page : {kPageTakingPicture, kPageWelcome, kPageGeneratingTemplate}) {
        form_->nbkMain->SetPageIndex(page);
        EXPECT_EQ(AskToShutDown(Window()), 1) << page;
    }
    EXPECT_FALSE(form_->RunInterrupted);
    EXPECT_TRUE(driver_.Seen().empty());
}

// After a refused shutdown the template was made: Exit offers the restart.
TEST_F(WizardTest, ExitAfterARefusedShutdownOffersTheRestart) {
    for (int answer : {IDYES, IDNO}) {
        SCOPED_TRACE(answer == IDYES ? "yes" : "no");
        size_t journal = machine_.machine()->ReadJournal().size();
        CreateMain();
        form_->ShutdownPending = true;
        form_->nbkMain->SetPageIndex(kPageFinished);
        Answer("Before Imprix terminated, Windows requested a shutdown. Perform shut down now?", answer);
        Click(form_->btnExit);
        EXPECT_FALSE(form_->Visible());  // closed: the main form's close ends the program
        form_->Free();
        form_ = nullptr;
        auto entries = machine_.machine()->ReadJournal();
        std::vector<vpr::machine::Machine::JournalEntry> added(entries.begin() + static_cast<long>(journal), entries.end());
        if (answer == IDYES) {
            EXPECT_EQ(added, (std::vector<vpr::machine::Machine::JournalEntry>{
                                 {"privilege", "SeShutdownPrivilege enabled"}, {"exit-windows", "reboot force"}}));
        } else {
            EXPECT_TRUE(added.empty());
        }
    }
}

TEST_F(WizardTest, ExitDuringARunAsksFirst) {
    CreateMain();
    form_->nbkMain->SetPageIndex(kPageTargetDirectory);
    Answer("Exit VPR Imprix?", IDNO);
    Click(form_->btnExit);
    EXPECT_EQ(Page(), kPageTargetDirectory);
    EXPECT_TRUE(form_->Visible());
}

}  // namespace
}  // namespace snapshot::testing
