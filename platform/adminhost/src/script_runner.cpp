#include "vpr/adminhost/script_runner.h"

#include <memory>
#include <sstream>

#include "prsht.h"
#include "vpr/directory/names.h"

namespace vpr::adminhost {
namespace {

namespace ui = vpr::user::ui;

std::string Trim(const std::string& text) {
    size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

std::vector<std::string> Words(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string word; in >> word;) words.push_back(word);
    return words;
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

class ScriptRunner {
public:
    ScriptRunner(AdminHost& host, std::istream& in, std::ostream& out) : host_(host), in_(in), out_(out) {}

    int Run() {
        std::unique_ptr<user::UiDriver> own;
        if (!user::UiDriver::Installed()) own = std::make_unique<user::UiDriver>();
        driver_ = user::UiDriver::Installed();
        size_t failuresBefore = driver_->Failures().size();
        for (std::string line; NextCommand(&line);) Command(line);
        auto failures = driver_->Failures();
        for (size_t i = failuresBefore; i < failures.size(); ++i) Error(failures[i]);
        return failed_ ? 1 : 0;
    }

private:
    bool NextCommand(std::string* line) {
        for (std::string raw; std::getline(in_, raw);) {
            *line = Trim(raw);
            if (!line->empty() && (*line)[0] != '#') return true;
        }
        return false;
    }

    void Error(const std::string& what) {
        out_ << "error: " << what << "\n";
        failed_ = true;
    }

    static std::string Rest(const std::string& line) {
        size_t space = line.find_first_of(" \t");
        return space == std::string::npos ? "" : Trim(line.substr(space));
    }

    void Command(const std::string& line) {
        std::vector<std::string> words = Words(line);
        const std::string& verb = words[0];
        std::string rest = Rest(line);
        if (verb == "echo") {
            out_ << rest << "\n";
        } else if (verb == "context") {
            if (int status = host_.SetContext(rest)) return Error("no container " + rest + " (" + std::to_string(status) + ")");
            out_ << "context " << host_.Context() << "\n";
        } else if (verb == "list") {
            std::vector<DirectoryObject> objects;
            if (int status = host_.ListObjects(&objects)) return Error("cannot list " + host_.Context() + " (" + std::to_string(status) + ")");
            for (const auto& object : objects) out_ << object.name << " (" << object.className << ")\n";
        } else if (verb == "select") {
            std::vector<std::string> names(words.begin() + 1, words.end());
            if (int status = host_.Select(names)) return Error("cannot select " + rest + " (" + std::to_string(status) + ")");
            out_ << "selected " << names.size() << "\n";
        } else if (verb == "tools") {
            for (const auto& item : host_.Tools())
                out_ << item.text << " [" << (host_.ToolsItemState(item.text) == SNAPIN_MENU_ENABLED ? "enabled" : "grayed") << "]\n";
        } else if (verb == "run") {
            int result = host_.RunToolsItem(rest);
            if (result < 0) return Error("no Tools item " + rest);
            if (result > 0) return Error("Tools item " + rest + " is grayed");
            out_ << "ran " << rest << "\n";
        } else if (verb == "create") {
            CreateOutcome outcome = host_.CreateObject(rest);
            if (outcome.status) return Error("no class " + rest);
            for (const auto& name : outcome.created) out_ << "created " << name << "\n";
            out_ << "create answered " << outcome.result << "\n";
        } else if (verb == "pick") {
            Pick(std::vector<std::string>(words.begin() + 1, words.end()));
        } else if (verb == "details") {
            Details(rest);
        } else {
            Error("unknown command: " + line);
        }
    }

    // The next object browser goes to the container of the first name and
    // picks every named object there.
    void Pick(const std::vector<std::string> names) {
        driver_->OnDialog(kBrowseDialogId, [this, names](const user::ModalElement& element) {
            HWND dialog = element.window;
            if (names.empty()) {
                ui::Click(dialog, IDCANCEL);
                return;
            }
            directory::NameParts parts;
            if (directory::ParseName(names[0], {}, &parts) || parts.empty()) {
                Error("bad name " + names[0]);
                ui::Click(dialog, IDCANCEL);
                return;
            }
            while (IsWindowEnabled(GetDlgItem(dialog, IDC_BROWSE_UP))) ui::Click(dialog, IDC_BROWSE_UP);
            for (size_t i = parts.size() - 1; i > 0; --i)
                if (!ui::DoubleClickRow(dialog, IDC_BROWSE_LIST, Row(dialog, parts[i]))) break;
            WPARAM keys = 0;
            for (const std::string& name : names) {
                directory::NameParts leaf;
                directory::ParseName(name, {}, &leaf);
                int row = leaf.empty() ? -1 : Row(dialog, leaf[0]);
                if (row < 0) Error("the browser does not show " + name);
                else ui::SelectRow(dialog, IDC_BROWSE_LIST, row, keys);
                keys = MK_CONTROL;  // further objects join the selection
            }
            ui::Click(dialog, IDOK);
            out_ << "picked " << names.size() << "\n";
        });
    }

    static int Row(HWND dialog, const std::string& text) {
        return static_cast<int>(
            SendDlgItemMessageA(dialog, IDC_BROWSE_LIST, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                reinterpret_cast<LPARAM>(text.c_str())));
    }

    void Details(const std::string& name) {
        driver_->OnDialog(kDetailsDialogId, [this](const user::ModalElement& element) { DetailsCommands(element.window); });
        DetailsOutcome outcome = host_.OpenDetails(name);
        if (outcome.status) return Error("no details for " + name);
        if (outcome.confirmed)
            out_ << "saved " << name << " (" << outcome.saveResult << ")\n";
        else
            out_ << "closed " << name << "\n";
    }

    // Acts on the open details dialog until a command closes it.
    void DetailsCommands(HWND sheet) {
        for (std::string line; AdminHost::DetailsPage(sheet);) {
            if (!NextCommand(&line)) {
                Error("the script ended with the details dialog open");
                ui::Click(sheet, IDCANCEL);
                return;
            }
            std::vector<std::string> words = Words(line);
            const std::string& verb = words[0];
            HWND page = AdminHost::DetailsPage(sheet);
            long id = 0;
            if (verb == "ok" || verb == "cancel" || verb == "help") {
                ui::Click(sheet, verb == "ok" ? IDOK : verb == "cancel" ? IDCANCEL : IDHELP);
            } else if (verb == "page" && words.size() >= 2) {
                GotoPage(sheet, Rest(line));
            } else if (verb == "set" && words.size() >= 2 && ParseNumber(words[1], &id)) {
                std::string text = Rest(Rest(line));
                if (ui::ReplaceText(page, id, text)) out_ << "set " << id << "\n";
            } else if (verb == "check" && words.size() == 3 && ParseNumber(words[1], &id)) {
                if (ui::Check(page, id, words[2] == "on")) out_ << "checked " << id << " " << words[2] << "\n";
            } else if (verb == "press" && words.size() == 2 && ParseNumber(words[1], &id)) {
                if (ui::Click(page, id)) out_ << "pressed " << id << "\n";
            } else if (verb == "pick") {
                Pick(std::vector<std::string>(words.begin() + 1, words.end()));
            } else if (verb == "echo") {
                out_ << Rest(line) << "\n";
            } else {
                Error("not a command of the details dialog: " + line);
            }
        }
    }

    void GotoPage(HWND sheet, const std::string& which) {
        HWND tabs = GetDlgItem(sheet, IDC_PROPSHEET_TABS);
        int count = static_cast<int>(SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0));
        int index = -1;
        long number = 0;
        if (ParseNumber(which, &number)) index = static_cast<int>(number) - 1;
        for (int i = 0; index < 0 && i < count; ++i) {
            char title[128] = {};
            TCITEMA item{TCIF_TEXT, 0, 0, title, sizeof title, 0, 0};
            SendMessageA(tabs, TCM_GETITEMA, i, reinterpret_cast<LPARAM>(&item));
            if (which == title) index = i;
        }
        if (index < 0 || index >= count) return Error("no page " + which);
        ui::ClickTab(sheet, index);
        if (SendMessageA(tabs, TCM_GETCURSEL, 0, 0) != index) return Error("the page may not be left now");
        out_ << "page " << which << "\n";
    }

    AdminHost& host_;
    std::istream& in_;
    std::ostream& out_;
    user::UiDriver* driver_ = nullptr;
    bool failed_ = false;
};

}  // namespace

int RunScript(AdminHost& host, std::istream& in, std::ostream& out) { return ScriptRunner(host, in, out).Run(); }

}  // namespace vpr::adminhost
