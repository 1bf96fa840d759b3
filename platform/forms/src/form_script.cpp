// The script runner of form programs. The shared vocabulary (answer, file,
// folder, dialog blocks, echo) comes from vprscript; the lines of the form
// world act on the form that takes input now (the innermost modal form, else
// the active or main form) and name its components:
//
//   type NAME TEXT        types TEXT over an edit's text
//   leave NAME            the focus leaves the control (Tab)
//   click NAME            clicks a button
//   select NAME TEXT...   selects rows of a list (each TEXT one row; a row
//                         with blanks in double quotes), the first alone
//   dblclick NAME TEXT    double-clicks a row of a list
//   choose NAME TEXT      picks one row of a list or drop-down list (a row
//                         that begins with TEXT: "d" or "d:" picks "d: [DATA]")
//   expect NAME TEXT      the control's text, or a notebook's page, is TEXT
//   print NAME            prints the text (a notebook: its page; a list: its
//                         rows, "*" on selected ones)
//   wait                  on a modal form: it ends by itself; else the
//                         programs this process started end (60 s at most)
//   shutdown              Windows asks to shut down (every window is asked,
//                         then told the outcome)
#include "form_script.h"

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>

#include "vpr/forms/application.h"
#include "vpr/script/script_session.h"
#include "vpr/user/ui_driver.h"

namespace vpr::forms {
namespace {

namespace ui = vpr::user::ui;
using script::Line;
using script::ScriptSession;

constexpr DWORD kWaitMilliseconds = 60000;

// The words of a text; double quotes keep blanks inside one word.
std::vector<std::string> QuotedWords(const std::string& text) {
    std::vector<std::string> words;
    std::string word;
    bool quoted = false, any = false;
    for (char c : text) {
        if (c == '"') {
            quoted = !quoted;
            any = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (any) words.push_back(word);
            word.clear();
            any = false;
        } else {
            word += c;
            any = true;
        }
    }
    if (any) words.push_back(word);
    return words;
}

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

class FormScript {
public:
    explicit FormScript(std::unique_ptr<std::istream> in) : in_(std::move(in)), session_(*in_, std::cout) {
        session_.SetStart([] { return true; });
        Add("type", [this](const Line& line) { Type(line); });
        Add("leave", [this](const Line& line) { Leave(line); });
        Add("click", [this](const Line& line) { Click(line); });
        Add("select", [this](const Line& line) { Select(line); });
        Add("dblclick", [this](const Line& line) { DoubleClick(line); });
        Add("choose", [this](const Line& line) { Choose(line); });
        Add("expect", [this](const Line& line) { Expect(line); });
        Add("print", [this](const Line& line) { Print(line); });
        Add("wait", [this](const Line&) { Wait(); });
        Add("shutdown", [this](const Line&) { Shutdown(); });
        session_.Begin();
    }

    bool IdleStep(TForm* modal) {
        if (session_.Finished()) return false;
        if (waitingFor_) {
            if (IsWindow(waitingFor_) && IsWindowVisible(waitingFor_)) {
                if (GetTickCount() - waitStart_ < kWaitMilliseconds) return false;
                session_.Error("the form \"" + WindowText(waitingFor_) + "\" did not end by itself within 60 s");
                if (TForm* form = FormOfWindow(waitingFor_)) form->ModalResult = mrCancel;
            } else {
                session_.Out() << "waited\n";
            }
            StopWaiting();
            return true;
        }
        if (linesEnded_) {
            if (modal) {
                session_.Error("the script ended with the form \"" + modal->Caption() + "\" open");
                modal->ModalResult = mrCancel;
            } else {
                Application->Terminate();
            }
            return true;
        }
        if (!session_.Step()) linesEnded_ = true;
        return true;
    }

    int Finish(const std::string& endedBefore) {
        StopWaiting();
        return session_.Finish(endedBefore);
    }

private:
    void Add(const std::string& verb, std::function<void(const Line&)> run) {
        session_.AddCommand(verb, {std::move(run), true, true});
    }

    static std::string WindowText(HWND window) {
        char text[512] = {};
        GetWindowTextA(window, text, sizeof text);
        return text;
    }

    void StopWaiting() {
        if (waitTimer_) KillTimer(nullptr, waitTimer_);
        waitTimer_ = 0;
        waitingFor_ = nullptr;
    }

    // The named component of the form that takes input now; null (and an
    // error) when it has none of that name.
    TComponent* Named(const Line& line, TForm** form) {
        *form = ActiveForm();
        if (line.words.size() < 2) {
            session_.Error(line.words[0] + " needs a component name: " + line.text);
            return nullptr;
        }
        if (!*form) {
            session_.Error("no form is open: " + line.text);
            return nullptr;
        }
        const std::string& name = line.words[1];
        if (SameText((*form)->Name, name)) return *form;
        TComponent* component = (*form)->FindComponent(name);
        if (!component) session_.Error("the form \"" + (*form)->Caption() + "\" has no " + name);
        return component;
    }

    TWinControl* Control(const Line& line, TForm** form) {
        TComponent* component = Named(line, form);
        if (!component) return nullptr;
        auto* control = dynamic_cast<TWinControl*>(component);
        if (!control || !control->HandleAllocated()) {
            session_.Error(line.words[1] + " is no control");
            return nullptr;
        }
        return control;
    }

    void Type(const Line& line) {
        TForm* form = nullptr;
        if (TWinControl* control = Control(line, &form))
            if (ui::ReplaceText(form->Handle(), control->ControlId(), line.Rest(2)))
                session_.Out() << "typed " << line.words[1] << "\n";
    }

    void Leave(const Line& line) {
        TForm* form = nullptr;
        TWinControl* control = Control(line, &form);
        if (!control) return;
        if (!control->Focused() && !ui::ClickPoint(form->Handle(), control->ControlId(), 1, 1)) return;
        if (ui::PressKey(form->Handle(), VK_TAB)) session_.Out() << "left " << line.words[1] << "\n";
    }

    void Click(const Line& line) {
        TForm* form = nullptr;
        if (TWinControl* control = Control(line, &form)) {
            HWND window = form->Handle();
            if (ui::Click(window, control->ControlId())) session_.Out() << "clicked " << line.words[1] << "\n";
        }
    }

    // The rows of a list or drop-down list; false (and an error) for other controls.
    bool Rows(TComponent* component, std::vector<std::string>* rows, std::vector<bool>* selected) {
        TStrings* items = nullptr;
        if (auto* list = dynamic_cast<TListBox*>(component)) {
            items = &list->Items();
            for (int i = 0; i < items->Count(); ++i) selected->push_back(list->Selected(i));
        } else if (auto* drives = dynamic_cast<TDriveComboBox*>(component)) {
            items = &drives->Items();
            for (int i = 0; i < items->Count(); ++i) selected->push_back(i == drives->ItemIndex());
        } else {
            session_.Error(component->Name + " has no rows");
            return false;
        }
        for (int i = 0; i < items->Count(); ++i) rows->push_back(items->Get(i));
        return true;
    }

    int FindRow(const std::vector<std::string>& rows, const std::string& text, bool prefix) {
        for (size_t i = 0; i < rows.size(); ++i)
            if (rows[i] == text) return static_cast<int>(i);
        for (size_t i = 0; prefix && i < rows.size(); ++i)
            if (Lower(rows[i]).rfind(Lower(text), 0) == 0) return static_cast<int>(i);
        return -1;
    }

    void Select(const Line& line) {
        TForm* form = nullptr;
        TWinControl* control = Control(line, &form);
        std::vector<std::string> rows;
        std::vector<bool> selected;
        if (!control || !Rows(control, &rows, &selected)) return;
        std::vector<std::string> wanted = QuotedWords(line.Rest(2));
        if (wanted.empty()) return session_.Error("select needs rows: " + line.text);
        for (size_t i = 0; i < wanted.size(); ++i) {
            int row = FindRow(rows, wanted[i], false);
            if (row < 0) return session_.Error(line.words[1] + " has no row \"" + wanted[i] + "\"");
            if (!ui::SelectRow(form->Handle(), control->ControlId(), row, i == 0 ? 0 : MK_CONTROL)) return;
        }
        session_.Out() << "selected " << line.words[1] << " " << line.Rest(2) << "\n";
    }

    void DoubleClick(const Line& line) {
        TForm* form = nullptr;
        TWinControl* control = Control(line, &form);
        std::vector<std::string> rows;
        std::vector<bool> selected;
        if (!control || !Rows(control, &rows, &selected)) return;
        int row = FindRow(rows, line.Rest(2), false);
        if (row < 0) return session_.Error(line.words[1] + " has no row \"" + line.Rest(2) + "\"");
        if (ui::DoubleClickRow(form->Handle(), control->ControlId(), row))
            session_.Out() << "double-clicked " << line.words[1] << " " << line.Rest(2) << "\n";
    }

    void Choose(const Line& line) {
        TForm* form = nullptr;
        TWinControl* control = Control(line, &form);
        std::vector<std::string> rows;
        std::vector<bool> selected;
        if (!control || !Rows(control, &rows, &selected)) return;
        int row = FindRow(rows, line.Rest(2), true);
        if (row < 0) return session_.Error(line.words[1] + " has no row \"" + line.Rest(2) + "\"");
        if (ui::SelectRow(form->Handle(), control->ControlId(), row))
            session_.Out() << "chose " << line.words[1] << " " << rows[static_cast<size_t>(row)] << "\n";
    }

    // What a component shows as its one text: a notebook its page.
    std::string Shown(TComponent* component) {
        if (auto* book = dynamic_cast<TNotebook*>(component)) return book->ActivePage();
        if (auto* control = dynamic_cast<TControl*>(component)) return control->Caption();
        return "";
    }

    void Expect(const Line& line) {
        TForm* form = nullptr;
        TComponent* component = Named(line, &form);
        if (!component) return;
        std::string shown = Shown(component);
        if (shown != line.Rest(2))
            session_.Error(line.words[1] + " shows \"" + shown + "\", not \"" + line.Rest(2) + "\"");
    }

    void Print(const Line& line) {
        TForm* form = nullptr;
        TComponent* component = Named(line, &form);
        if (!component) return;
        if (dynamic_cast<TListBox*>(component)) {
            std::vector<std::string> rows;
            std::vector<bool> selected;
            Rows(component, &rows, &selected);
            session_.Out() << line.words[1] << ":\n";
            for (size_t i = 0; i < rows.size(); ++i) session_.Out() << (selected[i] ? "* " : "  ") << rows[i] << "\n";
            return;
        }
        session_.Out() << line.words[1] << ": " << Shown(component) << "\n";
    }

    void Wait() {
        TForm* form = ActiveForm();
        if (form && form->Modal()) {
            // The form's own loop goes on; the next line waits for its end.
            waitingFor_ = form->Handle();
            waitStart_ = GetTickCount();
            waitTimer_ = SetTimer(nullptr, 0, kWaitMilliseconds, nullptr);
            return;
        }
        if (!vpr::win::WaitForStartedPrograms(kWaitMilliseconds))
            return session_.Error("the programs started did not end within 60 s");
        session_.Out() << "waited\n";
    }

    void Shutdown() {
        session_.Out() << "shutdown asked\n";
        bool allowed = vpr::user::EndSession();
        session_.Out() << "shutdown " << (allowed ? "allowed" : "refused") << "\n";
    }

    std::unique_ptr<std::istream> in_;
    ScriptSession session_;
    HWND waitingFor_ = nullptr;
    DWORD waitStart_ = 0;
    UINT_PTR waitTimer_ = 0;
    bool linesEnded_ = false;
};

FormScript* g_script = nullptr;

}  // namespace

bool StartScriptFromEnvironment() {
    if (g_script) return true;
    const char* path = std::getenv("VPR_UI_SCRIPT");
    if (!path || !*path) return false;
    auto in = std::make_unique<std::ifstream>(path);
    if (!*in) {
        std::cerr << "cannot read the script " << path << "\n";
        std::_Exit(2);
    }
    g_script = new FormScript(std::move(in));
    return true;
}

bool ScriptRunning() { return g_script != nullptr; }

bool ScriptIdleStep(TForm* modal) { return g_script && g_script->IdleStep(modal); }

int FinishScript(const std::string& endedBefore) {
    if (!g_script) return 0;
    return g_script->Finish(endedBefore);
}

}  // namespace vpr::forms
