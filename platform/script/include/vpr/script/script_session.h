// The script vocabulary that every program of the system driven by a person's
// script shares (the administration host, the shell host, the forms runner):
// one command a line, read from a stream, acted out through the UI driver.
//
// Commands every program has, at the top of a script:
//
//   echo TEXT                 prints TEXT
//   answer BUTTON [TEXT]      the next message box (with TEXT: the next whose
//                             text begins so) gets BUTTON: ok, cancel, yes, no,
//                             abort, retry, ignore; prints "message CAPTION: TEXT"
//                             and "answered BUTTON"
//   file [NAME]               the next file-open or file-save dialog: types NAME
//                             (a Windows path) and presses OK; no name: Cancel
//   folder [PATH]             the next Select Directory dialog: goes to PATH (an
//                             existing folder, else an error and Cancel) and
//                             presses OK; no path: Cancel
//   dialog ID | dialog "CAPTION"
//     ...
//   end                       the next opening of the dialog runs the lines
//                             between; blocks nest
//
// Lines acting on an open dialog (in a block, or after a program's command
// that opens one, such as kmadmin's `details`); on a property sheet, control
// ids name controls of the page shown:
//
//   set ID TEXT               types TEXT over the text of control ID
//   check ID on|off           sets a check box or radio button
//   press ID                  clicks control ID
//   click ID X Y              clicks control ID at a point of its client area
//   alt LETTER                presses Alt with the letter (a mnemonic)
//   choose ID TEXT|#N [add]   selects a row of a list box, combo box, list
//                             view or tree view (the items shown) by its text
//                             or number (from 1); add keeps the selection
//   show ID                   prints the control's text ("ID: TEXT"), or for a
//                             list ("ID:") its rows and for a tree its items,
//                             indented, "*" on selected ones
//   page N | page TITLE       goes to a page of a property sheet
//   ok | cancel | help        presses the dialog's button
//   close                     the close box
//   wait                      the dialog ends by itself (error after 60 s; met
//                             when it has ended already)
//   open ID TEXT|#N           double-clicks a row of a list box or list view
//   column ID N               clicks the header of column N (from 1) of a list view
//   node ID A > B > C         selects a tree node by its labels, opening its parents
//   label ID [TEXT]           types the label being edited and presses Enter;
//                             without a text presses Esc
//   type ID TEXT              clicks into the control and types TEXT
//   key ID NAME [shift] [ctrl] presses a key (Left, PgDn, End, Tab...) on the control
//   menu TEXT                 the next pop-up menu: chooses the command (a/b for
//                             one in a sub-menu); an answer, armed before
//   echo, answer, file, folder, dialog   as above, for what this dialog opens
//
// Rules. Answers (answer, file, folder, dialog blocks and a program's own such
// as kmadmin's `pick`) are armed before the command that opens their dialog
// and each is used once, in the order armed. The program starts at the first
// command that needs it (at the end when none does), so answers armed before
// cover its start-up. A block that ends with its dialog open, or a dialog
// closed with lines of its block left, is an error and the dialog is
// cancelled; an unexpected box or dialog is an error printed when it happens,
// with its id, caption and text; an answer never used is an error at the end.
// Each WinHelpA call prints "help FILE CONTEXT". Errors print "error: ..." and
// the script goes on. Run answers 0 when every command worked, 1 otherwise,
// 2 when the program could not start.
//
// A program adds the commands of its own world with AddCommand and says how
// it starts with SetStart; see docs/scripts.md. A program's own command of a
// shared verb takes its place at the top of a script (inside a dialog's
// lines the shared one stays).
#pragma once

#include <functional>
#include <istream>
#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "vpr/user/ui_driver.h"

namespace vpr::script {

// One command line, trimmed, cut into words.
struct Line {
    std::string text;
    std::vector<std::string> words;

    // The text after the first n words.
    std::string Rest(size_t n = 1) const;
};

// A parsed number (decimal, or 0x hexadecimal); false when the text is not one.
bool ParseNumber(const std::string& text, long* value);

// Where the lines of a script come from: the script itself, or a stored block.
class LineSource {
public:
    virtual ~LineSource() = default;
    virtual bool Next(Line* line) = 0;
};

class ScriptSession {
public:
    struct Command {
        std::function<void(const Line&)> run;
        bool needsProgram = true;  // the program is started before it runs
        bool inDialogs = false;    // may also stand among the lines acting on a dialog
    };

    ScriptSession(std::istream& in, std::ostream& out);
    ~ScriptSession();
    ScriptSession(const ScriptSession&) = delete;
    ScriptSession& operator=(const ScriptSession&) = delete;

    // A command of the program's own world.
    void AddCommand(const std::string& verb, Command command);
    // How the program starts (once, before the first command that needs it);
    // false when it cannot, which ends the script with 2. Without one the
    // program counts as started.
    void SetStart(std::function<bool()> start);

    // Runs the script with the UI driver that is installed (one is installed
    // for the run when none is): 0, 1 or 2 as above.
    int Run();

    // For a program whose own message loops ask for the lines (a form
    // program, when a loop is idle): Begin once, Step for each top-level
    // line (false once there is none left), Finish for the exit code. A
    // program that ends before its script passes the reason, and each line
    // left is an error with it.
    void Begin();
    bool Step();
    int Finish(const std::string& endedBefore = "");
    bool Finished() const { return finished_; }

    std::ostream& Out() { return out_; }
    user::UiDriver& Driver() { return *driver_; }
    // Prints "error: WHAT" and makes the run answer 1.
    void Error(const std::string& what);

    // Arms an answer: the flag it returns is set by the answer's handler when
    // used; an answer whose flag stays clear is reported at the end.
    std::shared_ptr<bool> Arm(const std::string& description);

    // Acts on an open dialog with the lines that follow in the script until
    // one of them closes it (kmadmin's details dialog).
    void ActOnDialog(HWND dialog);

    // Ends a dialog that a script leaves open: Cancel when it has one that
    // can be pressed, else it is ended as cancelled.
    static void CancelDialog(HWND dialog);

private:
    void Top(const Line& line);
    bool Shared(const Line& line, LineSource& source);
    static bool IsPoint(const std::vector<std::string>& words);
    std::string ClickText(HWND owner, int id, const std::string& which);
    // `hold KEYS`, then the next line of the source run by `run` with them held.
    bool Hold(const Line& line, LineSource& source, const std::function<void(const Line&)>& run);
    void InDialog(HWND dialog, const Line& line, LineSource& source);
    void RunDialogLines(HWND dialog, LineSource& source, bool block);
    bool EnsureStarted();

    void Answer(const Line& line);
    void Menu(const Line& line);
    void File(const Line& line);
    void Folder(const Line& line);
    void Block(const Line& line, LineSource& source);

    std::istream& in_;
    std::ostream& out_;
    std::unique_ptr<user::UiDriver> ownDriver_;
    user::UiDriver* driver_ = nullptr;
    std::map<std::string, Command> commands_;
    std::function<bool()> start_;
    bool started_ = false;
    bool startFailed_ = false;
    bool failed_ = false;
    std::vector<std::pair<std::string, std::shared_ptr<bool>>> armed_;
    std::vector<LineSource*> sources_;  // the innermost last
    std::unique_ptr<LineSource> script_;
    bool finished_ = false;
};

}  // namespace vpr::script
