// Scripts against a small program of our own: its start shows a warning,
// and `open ID` runs one of the test resources' dialogs, whose buttons open a
// message box, the save dialog, a nested dialog, a folder picker, help, or
// end the dialog from another thread.
#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <string>
#include <memory>
#include <thread>

#include "commdlg.h"
#include "vpr/script/script_session.h"
#include "vpr/testing/temp_machine.h"
#include "vpr/win/clock.h"
#include "windows.h"

namespace {

using vpr::script::Line;
using vpr::script::ScriptSession;

constexpr UINT kEndLater = WM_USER + 1;

INT_PTR CALLBACK MoreProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM) {
    if (msg == WM_INITDIALOG) return TRUE;
    if (msg != WM_COMMAND) return FALSE;
    switch (LOWORD(wParam)) {
    case 202: MessageBoxA(dialog, "Sure about more?", "Question 2", MB_OKCANCEL); return TRUE;
    case IDOK:
    case IDCANCEL: EndDialog(dialog, LOWORD(wParam)); return TRUE;
    }
    return FALSE;
}

void AskForFile(HWND dialog, bool folder) {
    char file[MAX_PATH] = {};
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = dialog;
    ofn.lpstrFile = file;
    ofn.nMaxFile = sizeof file;
    BOOL chosen = FALSE;
    if (folder) {
        std::strcpy(file, "DIRSEL.EXE");
        ofn.hInstance = GetModuleHandleA(nullptr);
        ofn.lpTemplateName = MAKEINTRESOURCEA(300);
        ofn.Flags = OFN_ENABLETEMPLATE | OFN_HIDEREADONLY;
        chosen = GetOpenFileNameA(&ofn);
        if (chosen) file[ofn.nFileOffset > 0 ? ofn.nFileOffset - 1 : 0] = '\0';
    } else {
        ofn.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY;
        chosen = GetSaveFileNameA(&ofn);
    }
    SetDlgItemTextA(dialog, 101, chosen ? file : "(none)");
}

INT_PTR CALLBACK EverythingProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM) {
    switch (msg) {
    case WM_INITDIALOG: {
        for (const char* row : {"alpha", "beta", "gamma"})
            SendDlgItemMessageA(dialog, 103, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row));
        for (const char* row : {"red", "green"})
            SendDlgItemMessageA(dialog, 104, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row));
        SendDlgItemMessageA(dialog, 104, CB_SETCURSEL, 0, 0);
        int index = 0;
        for (const char* row : {"one", "two"}) {
            LVITEMA item{};
            item.mask = LVIF_TEXT;
            item.iItem = index++;
            item.pszText = const_cast<char*>(row);
            SendDlgItemMessageA(dialog, 105, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
        }
        TVINSERTSTRUCTA insert{};
        insert.hParent = TVI_ROOT;
        insert.hInsertAfter = TVI_LAST;
        insert.item.mask = TVIF_TEXT;
        insert.item.pszText = const_cast<char*>("root");
        auto root = reinterpret_cast<HTREEITEM>(
            SendDlgItemMessageA(dialog, 106, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
        insert.hParent = root;
        insert.item.pszText = const_cast<char*>("leaf");
        SendDlgItemMessageA(dialog, 106, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert));
        return TRUE;
    }
    case kEndLater:
        vpr::win::SetClock(nullptr);
        EndDialog(dialog, 7);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case 107:
            SetDlgItemTextA(dialog, 101, MessageBoxA(dialog, "Really?", "Question", MB_YESNO) == IDYES ? "yes" : "no");
            return TRUE;
        case 108: AskForFile(dialog, false); return TRUE;
        case 109: DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(200), dialog, MoreProc, 0); return TRUE;
        case 110: {
            // Ends the dialog from another thread once the person waits for
            // it: a manual clock tells when the dialog's thread blocks in its
            // timed wait, so the end never comes while the press still pumps.
            auto clock = std::make_shared<vpr::win::ManualClock>();
            vpr::win::SetClock(clock);
            std::thread([dialog, clock] {
                clock->WaitForTimedWaiters(1);
                PostMessageA(dialog, kEndLater, 0, 0);
            }).detach();
            return TRUE;
        }
        case 111: AskForFile(dialog, true); return TRUE;
        case IDHELP: WinHelpA(dialog, "test.hlp", HELP_CONTEXT, 4711); return TRUE;
        case IDOK:
        case IDCANCEL: EndDialog(dialog, LOWORD(wParam)); return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

struct Case {
    const char* name;
    const char* script;
    const char* output;
    int exitCode;
};
// A case is printed as text, not as raw bytes, when it fails.
void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class ScriptSessionTest : public ::testing::TestWithParam<Case> {
protected:
    void SetUp() override {
        ASSERT_TRUE(CreateDirectoryA("C:\\DOCS", nullptr));
        HANDLE file = CreateFileA("C:\\DOCS\\old.txt", GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        CloseHandle(file);
    }

    int Run(const std::string& script, bool startWorks = true) {
        std::istringstream in(script);
        ScriptSession session(in, out_);
        session.SetStart([&] {
            MessageBoxA(nullptr, "Warming up", "Tester", MB_OK);
            out_ << (startWorks ? "started\n" : "cannot start\n");
            return startWorks;
        });
        session.AddCommand("open", {[&](const Line& line) {
                                        long id = 0;
                                        vpr::script::ParseNumber(line.Rest(), &id);
                                        INT_PTR result = DialogBoxParamA(GetModuleHandleA(nullptr),
                                                                         MAKEINTRESOURCEA(id), nullptr, EverythingProc, 0);
                                        out_ << "dialog " << id << " ended with " << result << "\n";
                                    },
                                    true, false});
        return session.Run();
    }

    vpr::testing::TempMachine machine_;
    std::ostringstream out_;
};

TEST_P(ScriptSessionTest, PrintsWhatHappenedAndAnswersTheExitCode) {
    const Case& c = GetParam();
    EXPECT_EQ(Run(c.script), c.exitCode) << out_.str();
    EXPECT_EQ(out_.str(), c.output);
}

const Case kCases[] = {
    {"AClickAtAPointAndAMnemonic",
     "answer ok Warming\n"
     "dialog 100\n"
     "  click 103 5 20\n"
     "  show 103\n"
     "  answer yes Really\n"
     "  alt a\n"
     "  show 101\n"
     "  ok\n"
     "end\n"
     "open 100\n",
     "message Tester: Warming up\n"
     "answered ok\n"
     "started\n"
     "dialog 100 \"Everything\"\n"
     "clicked 103 at 5 20\n"
     "103:\n"
     "  alpha\n"
     "* beta\n"
     "  gamma\n"
     "message Question: Really?\n"
     "answered yes\n"
     "pressed alt a\n"
     "101: yes\n"
     "dialog 100 ended with 1\n",
     0},
    {"EveryControlCommandAndANestedBlock",
     "answer ok Warming\n"
     "dialog 100\n"
     "  set 101 Hello\n"
     "  check 102 on\n"
     "  choose 103 beta\n"
     "  choose 103 #3 add\n"
     "  choose 104 green\n"
     "  choose 105 two\n"
     "  show 101\n"
     "  show 103\n"
     "  show 104\n"
     "  show 105\n"
     "  show 106\n"
     "  dialog 200\n"
     "    answer cancel Sure\n"
     "    set 201 inner\n"
     "    press 202\n"
     "    ok\n"
     "  end\n"
     "  press 109\n"
     "  help\n"
     "  ok\n"
     "end\n"
     "open 100\n",
     "message Tester: Warming up\n"
     "answered ok\n"
     "started\n"
     "dialog 100 \"Everything\"\n"
     "set 101\n"
     "checked 102 on\n"
     "chose 103 beta\n"
     "chose 103 #3\n"
     "chose 104 green\n"
     "chose 105 two\n"
     "101: Hello\n"
     "103:\n"
     "  alpha\n"
     "* beta\n"
     "* gamma\n"
     "104:\n"
     "  red\n"
     "* green\n"
     "105:\n"
     "  one\n"
     "* two\n"
     "106:\n"
     "  root\n"
     "    leaf\n"
     "dialog 200 \"More\"\n"
     "set 201\n"
     "message Question 2: Sure about more?\n"
     "answered cancel\n"
     "pressed 202\n"
     "pressed 109\n"
     "help test.hlp 4711\n"
     "dialog 100 ended with 1\n",
     0},
    {"FileWithAnOverwritePrompt",
     "answer ok\n"
     "dialog 100\n"
     "  answer yes C:\\DOCS\\old.txt\n"
     "  file C:\\DOCS\\old.txt\n"
     "  press 108\n"
     "  show 101\n"
     "  file\n"
     "  press 108\n"
     "  show 101\n"
     "  ok\n"
     "end\n"
     "open 100\n",
     "message Tester: Warming up\n"
     "answered ok\n"
     "started\n"
     "dialog 100 \"Everything\"\n"
     "message Save As: C:\\DOCS\\old.txt already exists.\\nDo you want to replace it?\n"
     "answered yes\n"
     "file C:\\DOCS\\old.txt\n"
     "pressed 108\n"
     "101: C:\\DOCS\\old.txt\n"
     "file dialog \"Save As\" cancelled\n"
     "pressed 108\n"
     "101: (none)\n"
     "dialog 100 ended with 1\n",
     0},
    {"FolderGoesToAnExistingFolderOnly",
     "answer ok\n"
     "dialog 100\n"
     "  folder C:\\DOCS\n"
     "  press 111\n"
     "  show 101\n"
     "  folder C:\\NOWHERE\n"
     "  press 111\n"
     "  show 101\n"
     "  ok\n"
     "end\n"
     "open 100\n",
     "message Tester: Warming up\n"
     "answered ok\n"
     "started\n"
     "dialog 100 \"Everything\"\n"
     "folder C:\\DOCS\n"
     "pressed 111\n"
     "101: C:\\DOCS\n"
     "error: no folder C:\\NOWHERE\n"
     "pressed 111\n"
     "101: (none)\n"
     "dialog 100 ended with 1\n",
     1},
    {"BlocksLeftOpenOrClosedEarlyAndAnUnusedAnswer",
     "answer ok Warming\n"
     "dialog 200\n"
     "  set 201 x\n"
     "end\n"
     "dialog 100\n"
     "  press 109\n"
     "  ok\n"
     "  set 101 late\n"
     "end\n"
     "answer ok Never shown\n"
     "open 100\n",
     "message Tester: Warming up\n"
     "answered ok\n"
     "started\n"
     "dialog 100 \"Everything\"\n"
     "dialog 200 \"More\"\n"
     "set 201\n"
     "error: the block ended with dialog 200 \"More\" open\n"
     "pressed 109\n"
     "error: dialog 100 \"Everything\" closed with lines of its block left: set 101 late\n"
     "dialog 100 ended with 1\n"
     "error: answer ok Never shown: never used\n",
     1},
    {"AWaitForADialogThatHasEndedAlreadyIsMet",
     "answer ok Warming\n"
     "dialog 100\n"
     "  ok\n"
     "  wait\n"
     "end\n"
     "open 100\n",
     "message Tester: Warming up\n"
     "answered ok\n"
     "started\n"
     "dialog 100 \"Everything\"\n"
     "dialog 100 ended with 1\n",
     0},
    {"WaitCloseAndAnUnexpectedBox",
     "answer ok\n"
     "dialog 100\n"
     "  press 110\n"
     "  wait\n"
     "end\n"
     "open 100\n"
     "dialog \"Everything\"\n"
     "  press 107\n"
     "  close\n"
     "end\n"
     "open 100\n",
     "message Tester: Warming up\n"
     "answered ok\n"
     "started\n"
     "dialog 100 \"Everything\"\n"
     "pressed 110\n"
     "dialog 100 ended with 7\n"
     "dialog 100 \"Everything\"\n"
     "error: unexpected message box \"Question\" (Really?)\n"
     "pressed 107\n"
     "dialog 100 ended with 2\n",
     1},
    {"TheProgramStartsAtTheEndWhenNoCommandNeedsIt",
     "echo before\n"
     "answer ok Warming\n",
     "before\n"
     "message Tester: Warming up\n"
     "answered ok\n"
     "started\n",
     0},
    {"UnknownCommandsAndMisplacedOnes",
     "answer ok\n"
     "frobnicate\n"
     "set 101 x\n"
     "answer maybe\n"
     "dialog 100\n"
     "  open 100\n"
     "  cancel\n"
     "end\n"
     "open 100\n",
     "error: unknown command: frobnicate\n"
     "error: unknown command: set 101 x\n"
     "error: answer needs a button: ok, cancel, yes, no, abort, retry or ignore\n"
     "message Tester: Warming up\n"
     "answered ok\n"
     "started\n"
     "dialog 100 \"Everything\"\n"
     "error: not a command of dialog 100 \"Everything\": open 100\n"
     "dialog 100 ended with 2\n",
     1},
};

INSTANTIATE_TEST_SUITE_P(Scripts, ScriptSessionTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ScriptSessionTest, AProgramThatCannotStartEndsTheScriptWithTwo) {
    EXPECT_EQ(Run("answer ok\necho first\nopen 100\necho never\n", false), 2);
    EXPECT_EQ(out_.str(), "first\nmessage Tester: Warming up\nanswered ok\ncannot start\n");
}

}  // namespace
