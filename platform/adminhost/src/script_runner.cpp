#include "vpr/adminhost/script_runner.h"

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <memory>

#include "vpr/directory/names.h"
#include "vpr/script/script_session.h"

namespace vpr::adminhost {
namespace {

namespace ui = vpr::user::ui;
using script::Line;
using script::ScriptSession;

// The commands of the host's own world over the shared script session.
class HostCommands {
public:
    HostCommands(AdminHost& host, ScriptSession& session) : host_(host), session_(session), out_(session.Out()) {
        session.SetStart([this] { return Start(); });
        Add("context", [this](const Line& line) { Context(line.Rest()); });
        Add("list", [this](const Line&) { List(); });
        Add("select", [this](const Line& line) { Select(line); });
        Add("tools", [this](const Line&) { Tools(); });
        Add("run", [this](const Line& line) { Run(line.Rest()); });
        Add("create", [this](const Line& line) { Create(line.Rest()); });
        Add("details", [this](const Line& line) { Details(line.Rest()); });
        Add("classes", [this](const Line&) { Classes(); });
        // Among the lines of the details dialog: waits until the page shown
        // has read what it reads.
        session.AddCommand("ready", {[this](const Line&) { Ready(); }, true, true});
        // Arms the browser's answer: needs no host yet, and may answer a
        // browser that a dialog opens.
        session.AddCommand("pick", {[this](const Line& line) {
                                        Pick(std::vector<std::string>(line.words.begin() + 1, line.words.end()));
                                    },
                                    false, true});
    }

private:
    void Add(const std::string& verb, std::function<void(const Line&)> run) {
        session_.AddCommand(verb, {std::move(run), true, false});
    }

    bool Start() {
        if (host_.Running()) return true;
        if (host_.Start() < 0) {
            std::cerr << "kmadmin: the host cannot start\n";
            return false;
        }
        for (const auto& module : host_.Modules())
            out_ << "module " << module.windowsName << ": "
                 << (module.handle ? "InitSnapin answered " + std::to_string(module.initResult) : "not found") << "\n";
        return true;
    }

    void Context(const std::string& name) {
        if (int status = host_.SetContext(name))
            return session_.Error("no container " + name + " (" + std::to_string(status) + ")");
        out_ << "context " << host_.Context() << "\n";
    }

    void List() {
        std::vector<DirectoryObject> objects;
        if (int status = host_.ListObjects(&objects))
            return session_.Error("cannot list " + host_.Context() + " (" + std::to_string(status) + ")");
        for (const auto& object : objects) out_ << object.name << " (" << object.className << ")\n";
    }

    void Select(const Line& line) {
        std::vector<std::string> names(line.words.begin() + 1, line.words.end());
        if (int status = host_.Select(names))
            return session_.Error("cannot select " + line.Rest() + " (" + std::to_string(status) + ")");
        out_ << "selected " << names.size() << "\n";
    }

    void Tools() {
        for (const auto& item : host_.Tools())
            out_ << item.text << " ["
                 << (host_.ToolsItemState(item.text) == SNAPIN_MENU_ENABLED ? "enabled" : "grayed") << "]\n";
    }

    void Run(const std::string& text) {
        int result = host_.RunToolsItem(text);
        if (result < 0) return session_.Error("no Tools item " + text);
        if (result > 0) return session_.Error("Tools item " + text + " is grayed");
        out_ << "ran " << text << "\n";
    }

    void Create(const std::string& className) {
        CreateOutcome outcome = host_.CreateObject(className);
        if (outcome.status) return session_.Error("no class " + className);
        for (const auto& name : outcome.created) out_ << "created " << name << "\n";
        out_ << "create answered " << outcome.result << "\n";
    }

    // Each registered class: name, display text, flags, bitmaps or none.
    void Classes() {
        for (const auto& cls : host_.Classes()) {
            char flags[16];
            std::snprintf(flags, sizeof flags, "0x%X", static_cast<unsigned>(cls.flags));
            bool bitmaps = cls.normal && cls.alias && cls.readOnly;
            out_ << cls.className << " \"" << cls.displayText << "\" flags " << flags << " "
                 << (bitmaps ? "bitmaps" : "none") << "\n";
        }
    }

    // The next object browser goes to the container of the first name and
    // picks every named object there; no name: Cancel.
    void Pick(const std::vector<std::string>& names) {
        std::string description = "pick";
        for (const auto& name : names) description += " " + name;
        auto used = session_.Arm(description);
        session_.Driver().OnDialog(kBrowseDialogId, [this, names, used](const user::ModalElement& element) {
            *used = true;
            HWND dialog = element.window;
            if (names.empty()) {
                ui::Click(dialog, IDCANCEL);
                out_ << "picked nothing\n";
                return;
            }
            if (IsVolumeName(names[0])) {
                PickOnVolume(dialog, names);
            } else {
                directory::NameParts parts;
                if (directory::ParseName(names[0], {}, &parts) || parts.empty()) {
                    session_.Error("bad name " + names[0]);
                    ui::Click(dialog, IDCANCEL);
                    return;
                }
                GoToTop(dialog);
                for (size_t i = parts.size() - 1; i > 0; --i)
                    if (!ui::DoubleClickRow(dialog, IDC_BROWSE_LIST, Row(dialog, parts[i]))) break;
                WPARAM keys = 0;
                for (const std::string& name : names) {
                    directory::NameParts leaf;
                    directory::ParseName(name, {}, &leaf);
                    SelectLeaf(dialog, name, leaf.empty() ? "" : leaf[0], &keys);
                }
            }
            ui::Click(dialog, IDOK);
            out_ << "picked " << names.size() << "\n";
        });
    }

    // "SERVER/VOLUME:PATH": a file or folder of a network volume.
    static bool IsVolumeName(const std::string& name) {
        size_t slash = name.find('/'), colon = name.find(':');
        return slash != std::string::npos && colon != std::string::npos && slash < colon;
    }

    static void GoToTop(HWND dialog) {
        while (IsWindowEnabled(GetDlgItem(dialog, IDC_BROWSE_UP))) ui::Click(dialog, IDC_BROWSE_UP);
    }

    void SelectLeaf(HWND dialog, const std::string& name, const std::string& leaf, WPARAM* keys) {
        int row = leaf.empty() ? -1 : Row(dialog, leaf);
        if (row < 0) session_.Error("the browser does not show " + name);
        else ui::SelectRow(dialog, IDC_BROWSE_LIST, row, *keys);
        *keys = MK_CONTROL;  // further names join the selection
    }

    // Opens the volume and the folders of the first name, then selects each
    // name's last part there (a volume itself is chosen among the volumes).
    void PickOnVolume(HWND dialog, const std::vector<std::string>& names) {
        GoToTop(dialog);
        const std::string& first = names[0];
        size_t colon = first.find(':');
        std::string path = first.substr(colon + 1);
        if (!path.empty() && path[0] == '\\') path.erase(0, 1);
        if (!path.empty()) {
            ui::DoubleClickRow(dialog, IDC_BROWSE_LIST, Row(dialog, first.substr(0, colon + 1)));
            for (size_t start = 0, slash; (slash = path.find('\\', start)) != std::string::npos; start = slash + 1)
                if (!ui::DoubleClickRow(dialog, IDC_BROWSE_LIST, Row(dialog, path.substr(start, slash - start)))) break;
        }
        WPARAM keys = 0;
        for (const std::string& name : names) {
            size_t at = name.find(':');
            std::string rest = name.substr(at + 1);
            size_t slash = rest.rfind('\\');
            std::string leaf = rest.empty() ? name.substr(0, at + 1) : slash == std::string::npos ? rest : rest.substr(slash + 1);
            SelectLeaf(dialog, name, leaf, &keys);
        }
    }

    static int Row(HWND dialog, const std::string& text) {
        return static_cast<int>(SendDlgItemMessageA(dialog, IDC_BROWSE_LIST, LB_FINDSTRINGEXACT,
                                                    static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text.c_str())));
    }

    // The lines after `details` act on the dialog until one closes it.
    void Details(const std::string& name) {
        session_.Driver().OnDialog(kDetailsDialogId, [this](const user::ModalElement& element) {
            details_ = element.window;
            session_.ActOnDialog(element.window);
        });
        DetailsOutcome outcome = host_.OpenDetails(name);
        if (outcome.status) return session_.Error("no details for " + name);
        if (outcome.confirmed)
            out_ << "saved " << name << " (" << outcome.saveResult << ")\n";
        else
            out_ << "closed " << name << "\n";
    }

    // The page shown answers PGM_CANCLOSE with 1 once its reader has ended;
    // messages flow meanwhile, for at most 60 seconds on the platform clock.
    void Ready() {
        const DWORD limit = 60000;
        DWORD start = GetTickCount();
        for (;;) {
            HWND page = details_ ? AdminHost::DetailsPage(details_) : nullptr;
            if (!page) return session_.Error("ready: no page is shown");
            auto proc = reinterpret_cast<DLGPROC>(GetWindowLongPtrA(page, DWL_DLGPROC));
            if (!proc || proc(page, PGM_CANCLOSE, 0, 0)) {
                out_ << "ready\n";
                return;
            }
            DWORD waited = GetTickCount() - start;
            if (waited >= limit) return session_.Error("the page was still reading after 60 s");
            MsgWaitForMultipleObjects(0, nullptr, FALSE, std::min<DWORD>(100, limit - waited), QS_ALLINPUT);
            MSG msg;
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
                if (!IsDialogMessageA(details_, &msg)) {
                    TranslateMessage(&msg);
                    DispatchMessageA(&msg);
                }
            }
        }
    }

    AdminHost& host_;
    HWND details_ = nullptr;
    ScriptSession& session_;
    std::ostream& out_;
};

}  // namespace

int RunScript(AdminHost& host, std::istream& in, std::ostream& out) {
    ScriptSession session(in, out);
    HostCommands commands(host, session);
    return session.Run();
}

}  // namespace vpr::adminhost
