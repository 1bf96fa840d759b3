// The sample form as a person uses it through the UI driver: pages, edits,
// lists, modal forms, errors in handlers, timers, idle time, help, ini
// files and the end of a Windows session.
#include <memory>

#include "forms_fixture.h"
#include "vpr/win/clock.h"

namespace vpr::forms::testing {
namespace {

namespace ui = vpr::user::ui;
using sample::TfrmSample;

class SampleTest : public FormsTest {
protected:
    void SetUp() override {
        FormsTest::SetUp();
        form = NewForm<TfrmSample>(nullptr);
        form->Show();
        log.clear();
    }
    HWND Window() const { return form->Handle(); }
    TfrmSample* form = nullptr;
};

TEST_F(SampleTest, EditsFireChangeAndExitAndNextTurnsThePage) {
    EXPECT_FALSE(form->btnNext->Enabled());
    ASSERT_TRUE(ui::ReplaceText(Window(), Id(form->edtName), "notes"));
    EXPECT_TRUE(form->btnNext->Enabled());  // OnChange
    ASSERT_TRUE(ui::PressKey(Window(), VK_TAB));
    EXPECT_EQ(form->edtName->Text(), "notes.txt");  // OnExit
    ASSERT_TRUE(ui::Click(Window(), Id(form->btnNext)));
    EXPECT_EQ(form->nbkMain->ActivePage(), "Second");
    EXPECT_FALSE(IsWindowVisible(form->edtName->Handle()));
    EXPECT_TRUE(IsWindowVisible(form->lblInfo->Handle()));
    ASSERT_TRUE(ui::Click(Window(), Id(form->btnBack)));
    EXPECT_EQ(log, (std::vector<std::string>{"left name", "page Second", "page First"}));
    form->nbkMain->SetActivePage("second");
    EXPECT_EQ(form->nbkMain->PageIndex(), 1);
    EXPECT_THROW(form->nbkMain->SetActivePage("Third"), Exception);
}

TEST_F(SampleTest, AMultiSelectListKeepsEachRowChosenWithControl) {
    TListBox* list = form->lstFruit;
    ASSERT_TRUE(ui::SelectRow(Window(), Id(list), 0));
    ASSERT_TRUE(ui::SelectRow(Window(), Id(list), 2, MK_CONTROL));
    EXPECT_EQ(list->SelCount(), 2);
    EXPECT_TRUE(list->Selected(0) && !list->Selected(1) && list->Selected(2));
    // Removing the chosen rows from the last to the first keeps "fig".
    for (int i = list->Items().Count() - 1; i >= 0; --i)
        if (list->Selected(i)) list->Items().Delete(i);
    EXPECT_EQ(list->Items().Count(), 1);
    EXPECT_EQ(list->Items()[0], "fig");
    list->Items().Add("banana");
    EXPECT_EQ(list->Items()[0], "banana");  // sorted
    ASSERT_TRUE(ui::DoubleClickRow(Window(), Id(list), 1));
    EXPECT_EQ(log, (std::vector<std::string>{"left name", "opened fig"}));  // the focus was in the name
}

TEST_F(SampleTest, TheDrivePickerListsTheMachinesDrives) {
    TDriveComboBox* drives = form->cbxDrive;
    EXPECT_EQ(drives->Drive(), 'c');
    int z = drives->Items().IndexOf("z:");
    ASSERT_GE(z, 0);
    EXPECT_EQ(drives->Items()[0].substr(0, 2), "c:");
    ASSERT_TRUE(ui::SelectRow(Window(), Id(drives), z));
    EXPECT_EQ(drives->Drive(), 'z');
    drives->SetDrive('C');
    EXPECT_EQ(drives->ItemIndex(), 0);
    EXPECT_EQ(log, (std::vector<std::string>{"left name", "drive z", "drive c"}));
}

TEST_F(SampleTest, AModalFormEndsWithItsButtonsModalResult) {
    struct Case {
        const char* press;
        const char* shown;
    };
    // OK, Enter (the default button), Cancel, Escape (the Cancel button),
    // and the close box.
    const Case cases[] = {{"ok", "Answer: yes"}, {"enter", "Answer: yes"}, {"cancel", "No answer"},
                          {"escape", "No answer"}, {"close", "No answer"}};
    form->nbkMain->SetActivePage("Second");
    for (const Case& c : cases) {
        std::string press = c.press;
        driver.OnNextDialogCaption("Ask", [&](const vpr::user::ModalElement& element) {
            auto* ask = dynamic_cast<sample::TfrmAsk*>(FormOfWindow(element.window));
            ASSERT_TRUE(ask);
            EXPECT_FALSE(IsWindowEnabled(Window()));  // the main form waits
            ui::ReplaceText(element.window, Id(ask->edtAnswer), "yes");
            if (press == "ok") ui::Click(element.window, Id(ask->btnOk));
            if (press == "cancel") ui::Click(element.window, Id(ask->btnCancel));
            if (press == "enter") ui::PressKey(element.window, VK_RETURN);
            if (press == "escape") ui::PressKey(element.window, VK_ESCAPE);
            if (press == "close") ui::CloseWindow(element.window);
            EXPECT_FALSE(ui::IsOpen(element.window));
        });
        ASSERT_TRUE(ui::Click(Window(), Id(form->btnAsk)));  // btnAsk
        EXPECT_EQ(form->lblInfo->Caption(), c.shown) << c.press;
        EXPECT_TRUE(IsWindowEnabled(Window()));
    }
}

TEST_F(SampleTest, AnUnexpectedModalFormIsCancelledAndReported) {
    form->nbkMain->SetActivePage("Second");
    ASSERT_TRUE(ui::Click(Window(), Id(form->btnAsk)));
    EXPECT_EQ(form->lblInfo->Caption(), "No answer");
    ASSERT_EQ(driver.Failures().size(), 1u);
    EXPECT_NE(driver.Failures()[0].find("unexpected dialog 0 \"Ask\""), std::string::npos);
    failuresExpected = true;
}

TEST_F(SampleTest, AnErrorEscapingAHandlerIsShownAndTheLoopGoesOn) {
    Application->Title = "Form sample";
    form->nbkMain->SetActivePage("Second");
    int boxes = 0;
    for (int i = 0; i < 2; ++i)
        driver.OnMessageBox("The sample failed on purpose.", [&](const vpr::user::ModalElement& box) {
            EXPECT_EQ(box.caption, "Form sample");
            EXPECT_EQ(box.messageBoxType & MB_ICONMASK, static_cast<UINT>(MB_ICONSTOP));
            ++boxes;
            ui::Click(box.window, IDOK);
        });
    ASSERT_TRUE(ui::Click(Window(), Id(form->btnFail)));
    ASSERT_TRUE(ui::Click(Window(), Id(form->btnFail)));
    EXPECT_EQ(boxes, 2);
}

TEST_F(SampleTest, TheTimerTicksOnTheMachineClockWhileEnabled) {
    auto clock = std::make_shared<vpr::win::ManualClock>();
    vpr::win::SetClock(clock);
    form->tmrBlink->SetEnabled(true);
    clock->Advance(99);
    Application->ProcessMessages();
    EXPECT_TRUE(log.empty());
    clock->Advance(1);
    Application->ProcessMessages();
    clock->Advance(250);  // late: one tick for every period that passed
    Application->ProcessMessages();
    form->tmrBlink->SetEnabled(false);
    clock->Advance(1000);
    Application->ProcessMessages();
    vpr::win::SetClock(nullptr);
    EXPECT_EQ(log, (std::vector<std::string>{"tick", "tick"}));
}

TEST_F(SampleTest, RunCallsTheIdleHandlerUntilItIsDoneAndEndsWithTheMainForm) {
    Application->MainForm = form;
    int calls = 0;
    Application->OnIdle = [&](TObject*, bool& done) {
        // Not done twice: called again at once; then the form closes.
        done = ++calls >= 3;
        if (done) form->Close();
    };
    Application->Run();
    Application->OnIdle = nullptr;
    EXPECT_EQ(calls, 3);
    EXPECT_TRUE(Screen().empty());  // the forms were destroyed ...
    EXPECT_EQ(log, (std::vector<std::string>{"destroyed"}));  // ... with their handlers
}

TEST_F(SampleTest, HelpOpensTheHelpFileAtTheFormsContext) {
    std::vector<std::string> calls;
    driver.SetListener({nullptr, [&](const std::string& file, UINT command, ULONG_PTR data) {
                            calls.push_back(file + " " + std::to_string(command) + " " + std::to_string(data));
                        }});
    Application->HelpFile = "";
    EXPECT_FALSE(Application->HelpContext(100));
    Application->HelpFile = "C:\\WINDOWS\\SAMPLE.HLP";
    ASSERT_TRUE(ui::Click(Window(), Id(form->btnHelp)));
    driver.SetListener({});
    EXPECT_EQ(calls, (std::vector<std::string>{"C:\\WINDOWS\\SAMPLE.HLP 1 100"}));
}

TEST_F(SampleTest, WindowsAsksEveryWindowAndTellsTheOutcome) {
    // The sample asks the person; No refuses, and nothing ends.
    driver.OnMessageBox("May Windows shut down?", [](const vpr::user::ModalElement& box) { ui::Click(box.window, IDNO); });
    EXPECT_FALSE(vpr::user::EndSession());
    EXPECT_EQ(log, (std::vector<std::string>{"shutdown refused"}));
    EXPECT_EQ(Screen().size(), 1u);
}

TEST_F(FormsTest, AnIniWriteThatFailsRaisesTheFilesName) {
    TIniFile ini("C:\\NOSUCH\\DIR\\SETTINGS.INI");
    try {
        ini.WriteString("Strings", "DistName", "App");
        FAIL() << "the write did not fail";
    } catch (const EIniFileException& error) {
        EXPECT_STREQ(error.what(), "Unable to write to C:\\NOSUCH\\DIR\\SETTINGS.INI");
    }
    TIniFile good("imxstat.ini");
    good.WriteString("Imprix Status Section", "ImprixStatus", "0x1F");
    EXPECT_EQ(good.ReadInteger("Imprix Status Section", "ImprixStatus", 0), 31);
    good.WriteString("Imprix Status Section", "ImprixStatus", "6");
    good.WriteString("Imprix Status Section", "Other", "x");
    EXPECT_EQ(good.ReadInteger("Imprix Status Section", "ImprixStatus", 0), 6);
    EXPECT_EQ(good.ReadInteger("Imprix Status Section", "Other", 0), 0);
    EXPECT_EQ(good.ReadSection("Imprix Status Section"), (std::vector<std::string>{"ImprixStatus", "Other"}));
}

}  // namespace
}  // namespace vpr::forms::testing
