#include "vpr/script/script_session.h"

#include <optional>
#include <sstream>
#include <utility>

#include "commdlg.h"
#include "dialog_controls.h"
#include "vpr/user/dialog.h"
#include "vpr/user/gdi.h"
#include "vpr/user/message_box.h"
#include "windows.h"

namespace vpr::script {
namespace {

namespace ui = vpr::user::ui;

// How long `wait` lets a dialog take to end by itself.
constexpr DWORD kWaitMilliseconds = 60000;

std::string Trim(const std::string& text) {
    size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

Line MakeLine(const std::string& text) {
    Line line;
    line.text = Trim(text);
    std::istringstream in(line.text);
    for (std::string word; in >> word;) line.words.push_back(word);
    return line;
}

// The script's own lines; blank lines and comments are skipped.
class StreamSource : public LineSource {
public:
    explicit StreamSource(std::istream& in) : in_(in) {}
    bool Next(Line* line) override {
        for (std::string raw; std::getline(in_, raw);) {
            *line = MakeLine(raw);
            if (!line->words.empty() && line->text[0] != '#') return true;
        }
        return false;
    }

private:
    std::istream& in_;
};

// The stored lines of a dialog block.
class BlockSource : public LineSource {
public:
    explicit BlockSource(std::shared_ptr<const std::vector<Line>> lines) : lines_(std::move(lines)) {}
    bool Next(Line* line) override {
        if (next_ >= lines_->size()) return false;
        *line = (*lines_)[next_++];
        return true;
    }

private:
    std::shared_ptr<const std::vector<Line>> lines_;
    size_t next_ = 0;
};

// The buttons of a message box by the names a script gives them.
int ButtonId(const std::string& name) {
    static const std::pair<const char*, int> kButtons[] = {{"ok", IDOK},       {"cancel", IDCANCEL}, {"abort", IDABORT},
                                                           {"retry", IDRETRY}, {"ignore", IDIGNORE}, {"yes", IDYES},
                                                           {"no", IDNO}};
    for (const auto& [text, id] : kButtons)
        if (name == text) return id;
    return 0;
}

// A text of several lines printed on one: line breaks become "\n".
std::string OneLine(const std::string& text) {
    std::string line;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        if (text[i] == '\n' || text[i] == '\r') line += "\\n";
        else line += text[i];
    }
    return line;
}

std::string ControlText(HWND dialog, int id) {
    char text[MAX_PATH] = {};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

bool IsFolder(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

std::string Line::Rest(size_t n) const {
    size_t at = 0;
    for (size_t i = 0; i < n; ++i) {
        at = text.find_first_not_of(" \t", at);
        if (at == std::string::npos) return "";
        at = text.find_first_of(" \t", at);
        if (at == std::string::npos) return "";
    }
    return Trim(text.substr(at));
}

bool ParseNumber(const std::string& text, long* value) {
    try {
        size_t used = 0;
        *value = std::stol(text, &used, 0);
        return used == text.size();
    } catch (...) {
        return false;
    }
}

ScriptSession::ScriptSession(std::istream& in, std::ostream& out) : in_(in), out_(out) {
    driver_ = user::UiDriver::Installed();
    if (!driver_) {
        ownDriver_ = std::make_unique<user::UiDriver>();
        driver_ = ownDriver_.get();
    }
}

ScriptSession::~ScriptSession() = default;

void ScriptSession::AddCommand(const std::string& verb, Command command) { commands_[verb] = std::move(command); }

void ScriptSession::SetStart(std::function<bool()> start) { start_ = std::move(start); }

void ScriptSession::Error(const std::string& what) {
    out_ << "error: " << what << "\n";
    failed_ = true;
}

std::shared_ptr<bool> ScriptSession::Arm(const std::string& description) {
    auto used = std::make_shared<bool>(false);
    armed_.emplace_back(description, used);
    return used;
}

int ScriptSession::Run() {
    Begin();
    while (Step()) {
    }
    return Finish();
}

void ScriptSession::Begin() {
    // What the driver meets goes into the output as it happens.
    driver_->SetListener(user::UiDriver::Listener{
        [this](const std::string& failure) { Error(failure); },
        [this](const std::string& file, UINT command, ULONG_PTR data) {
            out_ << "help " << file << " " << (command == HELP_CONTEXT ? "" : std::to_string(command) + " ") << data
                 << "\n";
        }});
    script_ = std::make_unique<StreamSource>(in_);
    sources_.push_back(script_.get());
}

bool ScriptSession::Step() {
    Line line;
    if (finished_ || startFailed_ || !script_->Next(&line)) return false;
    Top(line);
    return true;
}

int ScriptSession::Finish(const std::string& endedBefore) {
    if (finished_) return startFailed_ ? 2 : failed_ ? 1 : 0;
    finished_ = true;
    if (!endedBefore.empty())
        for (Line line; script_->Next(&line);) Error(endedBefore + ": " + line.text);
    if (!startFailed_) EnsureStarted();
    sources_.pop_back();
    for (const auto& [description, used] : armed_)
        if (!*used && !startFailed_) Error(description + ": never used");
    driver_->SetListener({});
    if (startFailed_) return 2;
    return failed_ ? 1 : 0;
}

bool ScriptSession::EnsureStarted() {
    if (started_) return true;
    started_ = true;
    if (start_ && !start_()) startFailed_ = true;
    return !startFailed_;
}

// `hold KEYS`: the keys (shift, ctrl, alt) are held down through the next
// line, whatever it opens. An empty list when a word names no such key.
static std::vector<int> HeldKeys(const Line& line) {
    std::vector<int> keys;
    for (size_t i = 1; i < line.words.size(); ++i) {
        const std::string& word = line.words[i];
        int key = word == "shift" ? VK_SHIFT : word == "ctrl" ? VK_CONTROL : word == "alt" ? VK_MENU : 0;
        if (!key) return {};
        keys.push_back(key);
    }
    return keys;
}

bool ScriptSession::Hold(const Line& line, LineSource& source, const std::function<void(const Line&)>& run) {
    if (line.words[0] != "hold") return false;
    std::vector<int> keys = HeldKeys(line);
    Line next;
    if (keys.empty()) {
        Error("hold needs keys: shift, ctrl, alt: " + line.text);
    } else if (!source.Next(&next)) {
        Error(line.text + ": no line to hold them through");
    } else {
        out_ << "holding " << line.Rest() << "\n";
        ui::HoldKeys(keys, true);
        run(next);
        ui::HoldKeys(keys, false);
    }
    return true;
}

void ScriptSession::Top(const Line& line) {
    if (Hold(line, *sources_.back(), [this](const Line& next) { Top(next); })) return;
    // A program's own command takes the place of a shared one of the same
    // verb at the top (the shell's `menu NAME TEXT` right-clicks the item).
    auto command = commands_.find(line.words[0]);
    if (command == commands_.end() && Shared(line, *sources_.back())) return;
    if (command == commands_.end()) return Error("unknown command: " + line.text);
    if (command->second.needsProgram && !EnsureStarted()) return;
    command->second.run(line);
}

// The commands that mean the same at the top and inside a dialog.
bool ScriptSession::Shared(const Line& line, LineSource& source) {
    const std::string& verb = line.words[0];
    if (verb == "echo") out_ << line.Rest() << "\n";
    else if (verb == "answer") Answer(line);
    else if (verb == "file") File(line);
    else if (verb == "folder") Folder(line);
    else if (verb == "dialog") Block(line, source);
    else if (verb == "menu") Menu(line);
    else return false;
    return true;
}

void ScriptSession::Menu(const Line& line) {
    if (line.words.size() < 2) return Error("menu needs the text of a command");
    std::string text = line.Rest();
    auto used = Arm(line.text);
    driver_->OnPopupMenu([this, text, used](const user::PopupMenu& menu) {
        *used = true;
        UINT command = ui::ChooseMenuItem(menu, text);
        if (command)
            out_ << "chose menu " << text << "\n";
        else
            Error("the menu has no command " + text);
        return command;
    });
}

void ScriptSession::Answer(const Line& line) {
    if (line.words.size() < 2 || !ButtonId(line.words[1]))
        return Error("answer needs a button: ok, cancel, yes, no, abort, retry or ignore");
    std::string button = line.words[1];
    int id = ButtonId(button);
    auto used = Arm(line.text);
    driver_->OnMessageBox(line.Rest(2), [this, button, id, used](const user::ModalElement& box) {
        *used = true;
        out_ << "message " << box.caption << ": " << OneLine(box.text) << "\n";
        if (ui::Click(box.window, id)) out_ << "answered " << button << "\n";
        if (ui::IsOpen(box.window)) EndDialog(box.window, IDCANCEL);
    });
}

void ScriptSession::File(const Line& line) {
    std::string name = line.Rest();
    auto used = Arm(line.text);
    driver_->OnFileDialog([this, name, used](const user::ModalElement& dialog) {
        *used = true;
        HWND window = dialog.window;
        if (name.empty()) {
            ui::Click(window, IDCANCEL);
            out_ << "file dialog \"" << dialog.caption << "\" cancelled\n";
        } else if (ui::ReplaceText(window, edt1, name) && ui::Click(window, IDOK) && !ui::IsOpen(window)) {
            out_ << "file " << name << "\n";
        } else if (ui::IsOpen(window)) {
            Error("the file dialog \"" + dialog.caption + "\" did not take " + name);
        }
        if (ui::IsOpen(window)) CancelDialog(window);
    });
}

// The Select Directory dialog is the file-open dialog on a template with a
// folder list: the person types the folder and OK opens it, then OK again
// takes the file name the dialog proposed, whose folder is the answer.
void ScriptSession::Folder(const Line& line) {
    std::string path = line.Rest();
    auto used = Arm(line.text);
    driver_->OnFileDialog([this, path, used](const user::ModalElement& dialog) {
        *used = true;
        HWND window = dialog.window;
        if (path.empty()) {
            ui::Click(window, IDCANCEL);
            out_ << "folder dialog \"" << dialog.caption << "\" cancelled\n";
        } else if (!IsFolder(path)) {
            Error("no folder " + path);
        } else {
            std::string proposed = ControlText(window, edt1);
            if (ui::ReplaceText(window, edt1, path) && ui::Click(window, IDOK) && ui::IsOpen(window) &&
                ui::ReplaceText(window, edt1, proposed.empty() ? "*" : proposed) && ui::Click(window, IDOK) &&
                !ui::IsOpen(window))
                out_ << "folder " << path << "\n";
            else if (ui::IsOpen(window))
                Error("the dialog \"" + dialog.caption + "\" did not take the folder " + path);
        }
        if (ui::IsOpen(window)) CancelDialog(window);
    });
}

// `dialog ID` or `dialog "CAPTION"`: the lines up to the matching `end`
// become the block that the dialog's next opening runs.
void ScriptSession::Block(const Line& line, LineSource& source) {
    auto lines = std::make_shared<std::vector<Line>>();
    int depth = 0;
    bool ended = false;
    for (Line next; source.Next(&next);) {
        if (next.words[0] == "end" && depth-- == 0) {
            ended = true;
            break;
        }
        if (next.words[0] == "dialog") ++depth;
        lines->push_back(next);
    }
    if (!ended) Error(line.text + ": no end");
    std::string which = line.Rest();
    long id = 0;
    auto used = Arm(line.text);
    auto run = [this, lines, used](const user::ModalElement& dialog) {
        *used = true;
        out_ << DialogName(dialog.window) << "\n";
        BlockSource block(lines);
        sources_.push_back(&block);
        RunDialogLines(dialog.window, block, true);
        sources_.pop_back();
    };
    if (which.size() >= 2 && which.front() == '"' && which.back() == '"')
        driver_->OnNextDialogCaption(which.substr(1, which.size() - 2), run);
    else if (ParseNumber(which, &id))
        driver_->OnDialog(static_cast<int>(id), run);
    else
        Error("dialog needs a template number or a caption in double quotes: " + line.text);
}

void ScriptSession::ActOnDialog(HWND dialog) { RunDialogLines(dialog, *sources_.back(), false); }

void ScriptSession::RunDialogLines(HWND dialog, LineSource& source, bool block) {
    std::string name = DialogName(dialog);
    for (Line line;;) {
        if (!block && !ui::IsOpen(dialog)) return;
        if (!source.Next(&line)) break;
        if (!ui::IsOpen(dialog)) {
            // A dialog that ended by itself before its `wait` came up has
            // done what the line waits for.
            if (line.words.size() == 1 && line.words[0] == "wait") continue;
            Error(name + " closed with lines of its block left: " + line.text);
            while (source.Next(&line)) {
            }
            return;
        }
        InDialog(dialog, line, source);
    }
    if (ui::IsOpen(dialog)) {
        Error(std::string(block ? "the block ended" : "the script ended") + " with " + name + " open");
        CancelDialog(dialog);
    }
}

void ScriptSession::InDialog(HWND dialog, const Line& line, LineSource& source) {
    if (Hold(line, source, [&](const Line& next) { InDialog(dialog, next, source); })) return;
    if (Shared(line, source)) return;
    const std::vector<std::string>& words = line.words;
    const std::string& verb = words[0];
    long id = 0, number = 0;
    bool hasId = words.size() >= 2 && ParseNumber(words[1], &id);
    int control = static_cast<int>(id);
    std::string problem;
    if (verb == "ok" || verb == "cancel" || verb == "help") {
        ui::Click(dialog, verb == "ok" ? IDOK : verb == "cancel" ? IDCANCEL : IDHELP);
    } else if (verb == "close") {
        ui::CloseWindow(dialog);
    } else if (verb == "wait") {
        if (!ui::WaitForClose(dialog, kWaitMilliseconds)) {
            Error(DialogName(dialog) + " did not end by itself within 60 s");
            CancelDialog(dialog);
        }
    } else if (verb == "page" && words.size() >= 2) {
        problem = GotoPage(dialog, line.Rest());
        if (problem.empty()) out_ << "page " << line.Rest() << "\n";
    } else if (verb == "set" && hasId) {
        if (ui::ReplaceText(ControlOwner(dialog, control), control, line.Rest(2))) out_ << "set " << id << "\n";
    } else if (verb == "check" && hasId && words.size() == 3 && (words[2] == "on" || words[2] == "off")) {
        if (ui::Check(ControlOwner(dialog, control), control, words[2] == "on"))
            out_ << "checked " << id << " " << words[2] << "\n";
    } else if (verb == "press" && hasId && words.size() == 2) {
        if (ui::Click(ControlOwner(dialog, control), control)) out_ << "pressed " << id << "\n";
    } else if (verb == "click" && hasId && words.size() >= 3 && !IsPoint(words)) {
        problem = ClickText(ControlOwner(dialog, control), control, line.Rest(2));
    } else if (verb == "click" && hasId && words.size() == 4) {
        long x = 0, y = 0;
        if (!ParseNumber(words[2], &x) || !ParseNumber(words[3], &y))
            problem = "click needs a control and a point in it: " + line.text;
        else if (ui::ClickPoint(ControlOwner(dialog, control), control, static_cast<int>(x), static_cast<int>(y)))
            out_ << "clicked " << id << " at " << x << " " << y << "\n";
    } else if (verb == "slide" && hasId && words.size() == 3) {
        long position = 0;
        if (!ParseNumber(words[2], &position))
            problem = "slide needs a trackbar and a position: " + line.text;
        else if (ui::MoveSlider(ControlOwner(dialog, control), control, static_cast<int>(position)))
            out_ << "slid " << id << " to " << position << "\n";
    } else if (verb == "alt" && words.size() == 2 && words[1].size() == 1) {
        if (ui::PressAltKey(dialog, words[1][0])) out_ << "pressed alt " << words[1] << "\n";
    } else if (verb == "choose" && hasId && words.size() >= 3) {
        bool add = words.size() >= 4 && words.back() == "add";
        std::string which = line.Rest(2);
        if (add) which = which.substr(0, which.find_last_not_of(" \t", which.size() - 4) + 1);
        problem = ChooseRow(dialog, control, which, add);
        if (problem.empty()) out_ << "chose " << id << " " << which << "\n";
    } else if (verb == "show" && hasId && words.size() == 2) {
        problem = ShowControl(dialog, control, out_);
    } else if (verb == "open" && hasId && words.size() >= 3) {
        problem = OpenRow(dialog, control, line.Rest(2));
        if (problem.empty()) out_ << "opened " << id << " " << line.Rest(2) << "\n";
    } else if (verb == "column" && hasId && words.size() == 3 && ParseNumber(words[2], &number)) {
        if (ui::ClickColumn(ControlOwner(dialog, control), control, static_cast<int>(number) - 1))
            out_ << "clicked column " << id << " " << number << "\n";
    } else if (verb == "node" && hasId && words.size() >= 3) {
        std::vector<std::string> labels;
        std::string rest = line.Rest(2);
        for (size_t start = 0;;) {
            size_t at = rest.find(" > ", start);
            labels.push_back(rest.substr(start, at == std::string::npos ? std::string::npos : at - start));
            if (at == std::string::npos) break;
            start = at + 3;
        }
        if (ui::SelectTreeNode(ControlOwner(dialog, control), control, labels)) out_ << "node " << id << " " << rest << "\n";
    } else if (verb == "label" && hasId) {
        std::optional<std::string> text;
        if (words.size() >= 3) text = line.Rest(2);
        if (ui::EditLabel(ControlOwner(dialog, control), control, text))
            out_ << "label " << id << (text ? " " + *text : std::string(" cancelled")) << "\n";
    } else if (verb == "type" && hasId && words.size() >= 3) {
        if (ui::Type(ControlOwner(dialog, control), control, line.Rest(2))) out_ << "typed " << id << "\n";
    } else if (verb == "key" && hasId && words.size() >= 3) {
        bool shift = false, ctrl = false;
        for (size_t i = 3; i < words.size(); ++i) {
            shift = shift || words[i] == "shift";
            ctrl = ctrl || words[i] == "ctrl";
        }
        problem = PressNamedKey(dialog, control, words[2], shift, ctrl);
        if (problem.empty()) out_ << "pressed key " << words[2] << "\n";
    } else if (auto command = commands_.find(verb); command != commands_.end() && command->second.inDialogs) {
        command->second.run(line);
    } else {
        problem = "not a command of " + DialogName(dialog) + ": " + line.text;
    }
    if (!problem.empty()) Error(problem);
}

// `click ID X Y` names a point; anything else after the control is a text.
bool ScriptSession::IsPoint(const std::vector<std::string>& words) {
    long number = 0;
    return words.size() == 4 && ParseNumber(words[2], &number) && ParseNumber(words[3], &number);
}

// `click ID TEXT [#N]`: the control is painted afresh and clicked in the
// middle of the N-th place where it drew exactly TEXT (the only one when N
// is not given). What went wrong, or empty.
std::string ScriptSession::ClickText(HWND owner, int id, const std::string& which) {
    std::string text = which;
    long nth = 0;
    size_t hash = which.rfind(" #");
    if (hash != std::string::npos && ParseNumber(which.substr(hash + 2), &nth) && nth >= 1)
        text = which.substr(0, hash);
    else
        nth = 0;
    HWND control = GetDlgItem(owner, id);
    if (!control) return "no control " + std::to_string(id);
    user::ClearPaintRecord(control);
    InvalidateRect(control, nullptr, TRUE);
    user::PaintNow(control);
    std::vector<RECT> places;
    for (const user::GdiCall& call : user::PaintRecord(control))
        if (call.kind == user::GdiCall::Kind::kText && call.text == text) places.push_back(call.rect);
    if (places.empty()) return "control " + std::to_string(id) + " shows no \"" + text + "\"";
    if (nth == 0 && places.size() > 1) {
        std::string list;
        for (const RECT& r : places)
            list += " (" + std::to_string((r.left + r.right) / 2) + " " + std::to_string((r.top + r.bottom) / 2) + ")";
        return "control " + std::to_string(id) + " shows \"" + text + "\" " + std::to_string(places.size()) +
               " times, at" + list + ": say which with #N";
    }
    size_t index = nth == 0 ? 0 : static_cast<size_t>(nth - 1);
    if (index >= places.size())
        return "control " + std::to_string(id) + " shows \"" + text + "\" only " + std::to_string(places.size()) +
               " times";
    const RECT& place = places[index];
    if (ui::ClickPoint(owner, id, (place.left + place.right) / 2, (place.top + place.bottom) / 2))
        out_ << "clicked " << id << " on " << which << "\n";
    return "";
}

void ScriptSession::CancelDialog(HWND dialog) {
    HWND cancel = GetDlgItem(dialog, IDCANCEL);
    if (cancel && IsWindowVisible(cancel) && IsWindowEnabled(cancel)) ui::Click(dialog, IDCANCEL);
    if (ui::IsOpen(dialog)) EndDialog(dialog, IDCANCEL);
}

}  // namespace vpr::script
