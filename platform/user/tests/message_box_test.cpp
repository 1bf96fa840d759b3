// Message boxes answered by the UI driver, and help calls in the journal.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "vpr/testing/temp_machine.h"
#include "windows.h"

using vpr::user::ModalElement;
using vpr::user::UiDriver;
namespace ui = vpr::user::ui;

namespace {

// Which buttons a box has, by id, in order.
std::vector<int> ButtonsOf(HWND box) {
    std::vector<int> ids;
    for (int id : {IDOK, IDCANCEL, IDABORT, IDRETRY, IDIGNORE, IDYES, IDNO})
        if (GetDlgItem(box, id)) ids.push_back(id);
    return ids;
}

TEST(MessageBoxTest, EachButtonSetAnswersWithTheButtonClicked) {
    struct Case {
        UINT type;
        std::vector<int> buttons;
        int clicked;
    } cases[] = {
        {MB_OK, {IDOK}, IDOK},
        {MB_OKCANCEL, {IDOK, IDCANCEL}, IDCANCEL},
        {MB_ABORTRETRYIGNORE, {IDABORT, IDRETRY, IDIGNORE}, IDIGNORE},
        {MB_YESNOCANCEL, {IDCANCEL, IDYES, IDNO}, IDNO},
        {MB_YESNO, {IDYES, IDNO}, IDYES},
        {MB_RETRYCANCEL, {IDCANCEL, IDRETRY}, IDRETRY},
    };
    for (const Case& c : cases) {
        UiDriver driver;
        driver.OnMessageBox("Save", [&](const ModalElement& box) {
            EXPECT_TRUE(box.messageBox);
            EXPECT_EQ(box.messageBoxType, c.type);
            EXPECT_EQ(ButtonsOf(box.window), c.buttons);
            ui::Click(box.window, c.clicked);
        });
        EXPECT_EQ(MessageBoxA(nullptr, "Save the changes?", "Dravik", c.type), c.clicked) << c.type;
        EXPECT_TRUE(driver.Failures().empty());
        EXPECT_EQ(driver.PendingHandlers(), 0u);
    }
}

TEST(MessageBoxTest, CaptionTextIconAndDefaultButtonAreWhatThePersonSees) {
    UiDriver driver;
    HWND owner = CreateWindowExA(0, "STATIC", "owner", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, nullptr, nullptr,
                                 nullptr, nullptr);
    driver.OnMessageBox("An application object", [&](const ModalElement& box) {
        EXPECT_EQ(box.caption, "Dravik Error");
        EXPECT_EQ(box.text, "An application object with the name \"A&B\" already exists");
        EXPECT_EQ(box.messageBoxType & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
        EXPECT_EQ(SendDlgItemMessageA(box.window, 20, STM_GETICON, 0, 0),
                  reinterpret_cast<LRESULT>(LoadIconA(nullptr, IDI_HAND)));
        EXPECT_FALSE(IsWindowEnabled(owner));  // the owner waits for the answer
        EXPECT_EQ(GetFocus(), GetDlgItem(box.window, IDNO));
        ui::PressKey(box.window, VK_RETURN);  // Enter takes the default button
    });
    EXPECT_EQ(MessageBoxA(owner, "An application object with the name \"A&B\" already exists", "Dravik Error",
                          MB_YESNO | MB_ICONERROR | MB_DEFBUTTON2),
              IDNO);
    EXPECT_TRUE(IsWindowEnabled(owner));
    // A box without a caption says "Error".
    driver.OnMessageBox("", [](const ModalElement& box) {
        EXPECT_EQ(box.caption, "Error");
        EXPECT_EQ(GetDlgItem(box.window, 20), nullptr);  // no icon asked, none shown
        ui::Click(box.window, IDOK);
    });
    EXPECT_EQ(MessageBoxA(nullptr, "plain", nullptr, MB_OK), IDOK);
    EXPECT_TRUE(driver.Failures().empty());
    DestroyWindow(owner);
}

TEST(MessageBoxTest, EscapeAnswersOnlyWhereTheBoxCanBeCancelled) {
    struct Case {
        UINT type;
        int answer;
        bool escapeAnswers;  // else the box stays and a click on its first button answers
    } cases[] = {
        {MB_OK, IDOK, true},
        {MB_OKCANCEL, IDCANCEL, true},
        {MB_YESNOCANCEL, IDCANCEL, true},
        {MB_YESNO, IDYES, false},
        {MB_ABORTRETRYIGNORE, IDABORT, false},
    };
    for (const Case& c : cases) {
        UiDriver driver;
        driver.OnMessageBox("Exit VPR Imprix?", [&](const ModalElement& box) {
            ui::PressKey(box.window, VK_ESCAPE);
            if (!c.escapeAnswers) ui::Click(box.window, c.answer);
        });
        EXPECT_EQ(MessageBoxA(nullptr, "Exit VPR Imprix?", "VPR Imprix", c.type), c.answer) << c.type;
        EXPECT_TRUE(driver.Failures().empty());
    }
}

TEST(MessageBoxTest, UnexpectedBoxFailsWithItsCaptionAndText) {
    UiDriver driver;
    driver.OnMessageBox("Something else", [](const ModalElement&) { ADD_FAILURE() << "not this box"; });
    EXPECT_EQ(MessageBoxA(nullptr, "Unable to load KMAPP32.DLL.", "VPR Explorer", MB_OK | MB_ICONSTOP), IDCANCEL);
    ASSERT_EQ(driver.Failures().size(), 1u);
    EXPECT_EQ(driver.Failures()[0], "unexpected message box \"VPR Explorer\" (Unable to load KMAPP32.DLL.)");
    EXPECT_EQ(driver.PendingHandlers(), 1u);
}

TEST(MessageBoxTest, BoxFromAWorkerThreadIsAnsweredThere) {
    UiDriver driver;
    std::thread::id answeredOn;
    driver.OnMessageBox("You must restart", [&](const ModalElement& box) {
        answeredOn = std::this_thread::get_id();
        ui::Click(box.window, IDYES);
    });
    int answer = 0;
    std::thread::id workerId;
    std::thread worker([&] {
        workerId = std::this_thread::get_id();
        answer = MessageBoxA(nullptr, "You must restart your computer", "System Settings Change",
                             MB_ICONQUESTION | MB_YESNO);
    });
    worker.join();
    EXPECT_EQ(answer, IDYES);
    EXPECT_EQ(answeredOn, workerId);
    EXPECT_TRUE(driver.Failures().empty());
}

TEST(WinHelpTest, HelpCallsAreRecordedInTheJournal) {
    vpr::testing::TempMachine machine;
    EXPECT_TRUE(WinHelpA(nullptr, "C:\\VPR\\vpradmin.hlp", HELP_CONTEXT, 80010));
    EXPECT_TRUE(WinHelpA(nullptr, "VprExp32.hlp", HELP_PARTIALKEY, reinterpret_cast<ULONG_PTR>("")));
    EXPECT_TRUE(WinHelpA(nullptr, "VprExp32.hlp", HELP_KEY, reinterpret_cast<ULONG_PTR>("Launch")));
    EXPECT_TRUE(WinHelpA(nullptr, "VprExp32.hlp", HELP_CONTENTS, 0));
    EXPECT_TRUE(WinHelpA(nullptr, "imprix.hlp", HELP_QUIT, 0));
    EXPECT_TRUE(WinHelpA(nullptr, "imprix.hlp", 0x77, 5));
    using Entry = vpr::machine::Machine::JournalEntry;
    EXPECT_EQ(machine.machine()->ReadJournal(),
              (std::vector<Entry>{{"help", "C:\\VPR\\vpradmin.hlp\tHELP_CONTEXT\t80010"},
                                  {"help", "VprExp32.hlp\tHELP_PARTIALKEY\t"},
                                  {"help", "VprExp32.hlp\tHELP_KEY\tLaunch"},
                                  {"help", "VprExp32.hlp\tHELP_CONTENTS\t0"},
                                  {"help", "imprix.hlp\tHELP_QUIT\t0"},
                                  {"help", "imprix.hlp\t119\t5"}}));
}

}  // namespace
