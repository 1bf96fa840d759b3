#include "vpr/shellhost/shell_script.h"

#include <algorithm>
#include <cstdio>
#include <condition_variable>
#include <deque>
#include <functional>
#include <optional>
#include <sstream>
#include <iostream>
#include <mutex>
#include <streambuf>
#include <thread>

#include "vpr/com/guid.h"
#include "vpr/com/shell_link_file.h"
#include "vpr/locale/locale.h"
#include "vpr/script/script_session.h"
#include "vpr/shellhost/browser.h"

namespace vpr::shellhost {

namespace {

namespace ui = vpr::user::ui;
using script::Line;
using script::ScriptSession;

constexpr DWORD kWaitLimit = 60000;

// The script's lines, one at a time: from the stream as it stands, or from a
// reader thread while the shell keeps serving. "exit" ends them.
class LineBuffer : public std::streambuf {
public:
    LineBuffer(std::istream& in, ShellHost& host, bool pump) : in_(in), host_(host), pump_(pump) {
        if (pump_) {
            reader_ = std::thread([this] {
                std::string line;
                while (std::getline(in_, line)) {
                    std::lock_guard lock(mutex_);
                    lines_.push_back(line);
                }
                std::lock_guard lock(mutex_);
                ended_ = true;
            });
            reader_.detach();  // a person may never type again; the process ends without it
        }
    }
    void Exit() { exited_ = true; }

protected:
    int_type underflow() override {
        if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
        if (exited_) return traits_type::eof();
        // The shell serves between two lines, as between two acts of a person.
        if (host_.Running()) host_.Pump();
        std::string line;
        if (!NextLine(&line)) return traits_type::eof();
        current_ = line + "\n";
        setg(current_.data(), current_.data(), current_.data() + current_.size());
        return traits_type::to_int_type(*gptr());
    }

private:
    bool NextLine(std::string* line) {
        if (!pump_) return static_cast<bool>(std::getline(in_, *line));
        while (true) {
            {
                std::lock_guard lock(mutex_);
                if (!lines_.empty()) {
                    *line = lines_.front();
                    lines_.pop_front();
                    return true;
                }
                if (ended_) return false;
            }
            if (host_.Running()) host_.Pump();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

    std::istream& in_;
    ShellHost& host_;
    bool pump_;
    bool exited_ = false;
    std::string current_;
    std::thread reader_;
    std::mutex mutex_;
    std::deque<std::string> lines_;  // GUARDED_BY(mutex_)
    bool ended_ = false;             // GUARDED_BY(mutex_)
};

// A menu text as a person reads it: without "&", a tab's accelerator or a
// trailing "...".
std::string Plain(std::string text) {
    text.erase(std::remove(text.begin(), text.end(), '&'), text.end());
    text = text.substr(0, text.find('\t'));
    if (text.size() >= 3 && text.compare(text.size() - 3, 3, "...") == 0) text.resize(text.size() - 3);
    return text;
}

bool SameText(const std::string& a, const std::string& b) { return KMLstricmp(Plain(a).c_str(), Plain(b).c_str()) == 0; }

// Chooses an item of an open pop-up by its text, as a person reads it. An
// owner-drawn item carries no text: the shell asks the menu's owner for it.
UINT ChooseByText(ShellHost& host, const vpr::user::PopupMenu& open, const std::string& text) {
    for (int i = 0; i < GetMenuItemCount(open.menu); ++i) {
        char item[128] = {};
        GetMenuStringA(open.menu, i, item, sizeof(item), MF_BYPOSITION);
        if (item[0] && SameText(item, text)) return ui::ChooseMenuItem(open, item);
        UINT id = GetMenuItemID(open.menu, i);
        if (!item[0] && id != static_cast<UINT>(-1) && SameText(host.MenuCommandText(id), text)) return id;
    }
    return 0;
}

// The visible top-level windows.
std::vector<HWND> TopWindows() {
    std::vector<HWND> out;
    EnumWindows(
        [](HWND window, LPARAM param) {
            if (IsWindowVisible(window)) reinterpret_cast<std::vector<HWND>*>(param)->push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&out));
    return out;
}

std::string WindowText(HWND window) {
    char text[256] = {};
    GetWindowTextA(window, text, sizeof(text));
    return text;
}

class ShellCommands {
public:
    ShellCommands(ShellHost& host, ScriptSession& session, LineBuffer& lines)
        : host_(host), session_(session), lines_(lines), out_(session.Out()) {
        session.SetStart([this] { return Start(); });
        Add("desktop", [this](const Line&) { Desktop(); });
        Add("browse", [this](const Line& line) { Browse(line.Rest(), false); });
        Add("explore", [this](const Line& line) { Browse(line.Rest(), true); });
        Add("list", [this](const Line&) { List(); });
        Add("tree", [this](const Line&) { Tree(); });
        Add("select", [this](const Line& line) { Select(line); });
        Add("open", [this](const Line& line) { Open(line.Rest()); });
        Add("menu", [this](const Line& line) { Menu(line); });
        Add("command", [this](const Line& line) { Command(line.Rest()); });
        Add("commands", [this](const Line& line) { Commands(line.Rest()); });
        Add("toolbar", [this](const Line& line) { Toolbar(line.Rest()); });
        Add("status", [this](const Line&) { Status(); });
        Add("rename", [this](const Line& line) { Rename(line); });
        Add("drag", [this](const Line& line) { Drag(line); });
        Add("copy", [this](const Line& line) { Copy(line); });
        Add("paste", [this](const Line& line) { Paste(line); });
        Add("tray", [this](const Line& line) { Tray(line); });
        Add("shortcuts", [this](const Line&) { Shortcuts(); });
        Add("clipboard", [this](const Line&) { Clipboard(); });
        Add("run", [this](const Line& line) { Run(line.Rest()); });
        Add("wait", [this](const Line& line) { Wait(line); });
        Add("sleep", [this](const Line& line) { Sleep(line.Rest()); });
        Add("close", [this](const Line&) { Close(); });
        Add("properties", [this](const Line& line) { Properties(line.Rest()); });
        Add("window", [this](const Line& line) { Window(line.Rest()); });
        // Allowed among a dialog's lines too: a window beside the one acted on.
        session.AddCommand("peek", {[this](const Line& line) { Peek(line.Rest()); }, true, true});
        session.AddCommand("exit", {[this](const Line&) { lines_.Exit(); }, false, false});
    }

private:
    void Add(const std::string& verb, std::function<void(const Line&)> run) {
        session_.AddCommand(verb, {std::move(run), true, false});
    }

    bool Start() {
        if (host_.Running()) return true;
        std::string error;
        if (!host_.Start(&error)) {
            std::cerr << "EXPLORER.EXE: " << error << "\n";
            return false;
        }
        out_ << "shell started\n";
        return true;
    }

    Browser* Active() {
        auto browsers = host_.Browsers();
        return browsers.empty() ? nullptr : browsers.back();
    }

    // The list of items a person sees: the active browser's view, else the desktop.
    HWND Items() { return Active() ? ListOf(Active()) : host_.DesktopList(); }

    // The list control of a browser's view; null when it shows none.
    static HWND ListOf(Browser* browser) {
        HWND view = browser->ViewWindow();
        char name[32] = {};
        GetClassNameA(view, name, sizeof(name));
        if (KMLstricmp(name, WC_LISTVIEWA) == 0) return view;
        HWND list = FindWindowExA(view, nullptr, WC_LISTVIEWA, nullptr);
        if (!list) list = FindWindowExA(FindWindowExA(view, nullptr, nullptr, nullptr), nullptr, WC_LISTVIEWA, nullptr);
        return list;
    }

    int Row(const std::string& name) {
        HWND list = Items();
        int count = list ? static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)) : 0;
        for (int i = 0; i < count; ++i) {
            if (KMLstricmp(RowText(list, i).c_str(), name.c_str()) == 0) return i;
        }
        session_.Error("no item \"" + name + "\"");
        return -1;
    }

    // An item a person sees: a row of the shown list, or a folder of the
    // active browser's tree pane (as far as it is expanded).
    struct Shown {
        HWND control = nullptr;
        LPARAM item = 0;
        std::string text;
        int depth = 0;
        bool selected = false;
        std::string path;  // of a tree item: names from the desktop joined by "\"
        // An item that a browser without a view lists (no control shows it).
        bool listed = false;
        vpr::com::IdListBytes list;
    };

    // The items the active browser lists itself, when its folder makes no view.
    std::vector<ListedItem> Listed() {
        Browser* browser = Active();
        return browser && browser->Viewless() ? browser->ListedItems() : std::vector<ListedItem>{};
    }

    // A row so named in the list of any open browser, the newest first (a
    // window beside the active one); nullopt when none has it.
    std::optional<Shown> RowOfAnyBrowser(const std::string& name) {
        auto browsers = host_.Browsers();
        for (auto it = browsers.rbegin(); it != browsers.rend(); ++it) {
            HWND list = ListOf(*it);
            int count = list ? static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)) : 0;
            for (int i = 0; i < count; ++i) {
                if (KMLstricmp(RowText(list, i).c_str(), name.c_str()) != 0) continue;
                Shown row;
                row.control = list;
                row.item = i;
                row.text = RowText(list, i);
                return row;
            }
        }
        return std::nullopt;
    }

    std::vector<Shown> TreeItems() {
        std::vector<Shown> out;
        Browser* browser = Active();
        HWND tree = browser ? browser->Tree() : nullptr;
        if (!tree) return out;
        std::function<void(HTREEITEM, int, const std::string&)> walk = [&](HTREEITEM node, int depth, const std::string& above) {
            for (; node; node = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(node)))) {
                char text[260] = {};
                TVITEMA item{};
                item.mask = TVIF_TEXT | TVIF_STATE;
                item.hItem = node;
                item.pszText = text;
                item.cchTextMax = sizeof(text);
                item.stateMask = TVIS_EXPANDED | TVIS_SELECTED;
                SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
                // The desktop begins every path without being named in it.
                std::string path = depth == 0 ? "" : above.empty() ? text : above + "\\" + text;
                out.push_back({tree, reinterpret_cast<LPARAM>(node), text, depth, (item.state & TVIS_SELECTED) != 0, path});
                if (item.state & TVIS_EXPANDED) {
                    walk(reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(node))),
                         depth + 1, path);
                }
            }
        };
        walk(reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0)), 0, "");
        return out;
    }

    std::vector<Shown> ShownItems() {
        std::vector<Shown> out;
        HWND list = Items();
        int count = list ? static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)) : 0;
        for (int i = 0; i < count; ++i) out.push_back({list, i, RowText(list, i)});
        for (const ListedItem& item : Listed()) {
            Shown shown;
            shown.text = item.name;
            shown.listed = true;
            shown.list = item.list;
            out.push_back(shown);
        }
        for (const Shown& node : TreeItems()) out.push_back(node);
        return out;
    }

    static bool Names(const Shown& shown, const std::string& name) {
        return KMLstricmp(shown.text.c_str(), name.c_str()) == 0 ||
               (!shown.path.empty() && KMLstricmp(shown.path.c_str(), name.c_str()) == 0);
    }

    // The item with this name: the list's first, then the tree pane's, which
    // also answers to its path from the desktop ("Test Folder\Alpha").
    std::optional<Shown> Find(const std::string& name, bool reportMissing = true) {
        for (const Shown& shown : ShownItems()) {
            if (Names(shown, name)) return shown;
        }
        if (reportMissing) session_.Error("no item \"" + name + "\"");
        return std::nullopt;
    }

    static bool IsTree(HWND control) {
        char name[32] = {};
        GetClassNameA(control, name, sizeof(name));
        return KMLstricmp(name, WC_TREEVIEWA) == 0;
    }

    static std::string RowText(HWND list, int row) {
        char text[260] = {};
        LVITEMA item{};
        item.iSubItem = 0;
        item.pszText = text;
        item.cchTextMax = sizeof(text);
        SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
        return text;
    }

    void Desktop() {
        host_.Pump();
        for (const DesktopItem& item : host_.Desktop()) {
            out_ << "  " << item.name;
            if (item.nameSpace) out_ << "  " << vpr::com::GuidText(item.clsid);
            out_ << "\n";
        }
    }

    void Browse(const std::string& path, bool explore) {
        std::string error;
        auto list = host_.ParsePath(path, &error);
        if (!list) return session_.Error(error);
        Browser* browser = host_.Open(*list, explore, &error);
        if (!browser) return session_.Error(error);
        out_ << (explore ? "exploring " : "browsing ") << path << "\n";
        std::string status = browser->StatusText();
        if (!status.empty()) out_ << "status: " << status << "\n";
    }

    void List() {
        host_.Pump();
        if (Active() && Active()->Viewless()) {
            for (const ListedItem& item : Listed()) out_ << "  " << item.name << "\n";
            return;
        }
        HWND list = Items();
        if (!list) return session_.Error("no list of items is shown");
        int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            bool selected = SendMessageA(list, LVM_GETITEMSTATE, i, LVIS_SELECTED) & LVIS_SELECTED;
            out_ << (selected ? " *" : "  ") << RowText(list, i) << "\n";
        }
    }

    void Select(const Line& line) {
        for (size_t i = 1; i < line.words.size(); ++i) {
            auto shown = Find(line.words[i]);
            if (!shown) return;
            if (shown->listed) return session_.Error("a folder without a view selects nothing");
            ui::ClickItem(shown->control, shown->item, i > 1 ? MK_CONTROL : 0);
        }
        out_ << "selected\n";
    }

    // A double click on a row; in the tree pane a click browses.
    void Open(const std::string& name) {
        auto shown = Find(name);
        if (!shown) return;
        if (shown->listed) {
            std::string error;
            if (!host_.OpenListed(Active(), shown->list, &error)) return session_.Error(error);
        } else if (IsTree(shown->control)) {
            ui::ClickItem(shown->control, shown->item);
        } else {
            ui::DoubleClickItem(shown->control, shown->item);
        }
        host_.Pump();
        out_ << "opened " << name << "\n";
    }

    // The tree pane of the active browser, as far as it is expanded.
    void Tree() {
        host_.Pump();
        if (!Active() || !Active()->Tree()) return session_.Error("no browser with a tree pane is open");
        for (const Shown& node : TreeItems()) {
            out_ << (node.selected ? " *" : "  ") << std::string(2 * node.depth, ' ') << node.text << "\n";
        }
    }

    // Right-clicks an item and chooses TEXT from the menu it shows.
    void Menu(const Line& line) {
        Shown shown;
        std::string text;
        if (!ItemAndText(line.Rest(1), &shown, &text)) return session_.Error("menu NAME TEXT: no such item");
        auto chosen = std::make_shared<UINT>(0);
        session_.Driver().OnPopupMenu([this, text, chosen](const vpr::user::PopupMenu& menu) {
            *chosen = ChooseByText(host_, menu, text);
            return *chosen;
        });
        if (shown.listed) {
            host_.ShowListedMenu(Active(), shown.list);
        } else {
            ui::RightClickItem(shown.control, shown.item);
        }
        host_.Pump();
        if (!*chosen) return session_.Error("no menu item \"" + text + "\"");
        out_ << "chose " << text << "\n";
    }

    // The pop-up of the active browser's menu bar that a path of texts
    // ("View>Arrange Icons") names, opened as a person opens it; null (an
    // error said) when there is none.
    HMENU OpenPopup(Browser* browser, const std::vector<std::string>& path) {
        HMENU menu = GetMenu(browser->Window());
        for (size_t level = 0; level < path.size(); ++level) {
            HMENU next = nullptr;
            for (int i = 0; i < GetMenuItemCount(menu) && !next; ++i) {
                char text[128] = {};
                GetMenuStringA(menu, i, text, sizeof(text), MF_BYPOSITION);
                if (SameText(text, path[level])) next = GetSubMenu(menu, i);
                if (next) SendMessageA(browser->Window(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(next), i);
            }
            if (!next) {
                session_.Error("no menu " + path[level]);
                return nullptr;
            }
            menu = next;
        }
        return menu;
    }

    static std::vector<std::string> MenuPath(const std::string& text) {
        std::vector<std::string> path;
        size_t start = 0;
        for (size_t cut; (cut = text.find('>', start)) != std::string::npos; start = cut + 1) {
            path.push_back(text.substr(start, cut - start));
        }
        path.push_back(text.substr(start));
        return path;
    }

    // MENU>ITEM (or MENU>POPUP>ITEM) of the active browser's menu bar, texts
    // as a person reads them.
    void Command(const std::string& path) {
        if (ChooseFromMenuBar(path)) out_ << "command " << path << "\n";
    }

    // Opens the menus of the path and chooses its last item; false (and an
    // error) when the browser or the item is missing or the item is grayed,
    // which a person cannot choose.
    bool ChooseFromMenuBar(const std::string& text) {
        Browser* browser = Active();
        if (!browser) {
            session_.Error("no browser is open");
            return false;
        }
        std::vector<std::string> path = MenuPath(text);
        if (path.size() < 2) {
            session_.Error("command MENU>ITEM");
            return false;
        }
        std::string item = path.back();
        path.pop_back();
        HMENU popup = OpenPopup(browser, path);
        if (!popup) return false;
        for (int j = 0; j < GetMenuItemCount(popup); ++j) {
            char name[128] = {};
            GetMenuStringA(popup, j, name, sizeof(name), MF_BYPOSITION);
            if (!SameText(name, item) || GetSubMenu(popup, j)) continue;
            if (GetMenuState(popup, j, MF_BYPOSITION) & (MF_GRAYED | MF_DISABLED)) {
                session_.Error("menu item " + text + " is grayed");
                return false;
            }
            PostMessageA(browser->Window(), WM_COMMAND, GetMenuItemID(popup, j), 0);
            host_.Pump();
            return true;
        }
        session_.Error("no menu item " + text);
        return false;
    }

    // Reads a pop-up of the menu bar (MENU or MENU>POPUP): one item a line as
    // it shows, "-" for a separator, "(grayed)", "(checked)", ">" before a pop-up.
    void Commands(const std::string& text) {
        Browser* browser = Active();
        if (!browser) return session_.Error("no browser is open");
        HMENU popup = OpenPopup(browser, MenuPath(text));
        if (!popup) return;
        for (int j = 0; j < GetMenuItemCount(popup); ++j) {
            char name[128] = {};
            GetMenuStringA(popup, j, name, sizeof(name), MF_BYPOSITION);
            UINT state = GetMenuState(popup, j, MF_BYPOSITION);
            if (state & MF_SEPARATOR) {
                out_ << "  -\n";
                continue;
            }
            out_ << "  " << (GetSubMenu(popup, j) ? "> " : "") << Plain(name);
            if (state & (MF_GRAYED | MF_DISABLED)) out_ << " (grayed)";
            if (state & MF_CHECKED) out_ << " (checked)";
            out_ << "\n";
        }
    }

    // The tip a toolbar button shows when the mouse rests on it: the
    // toolbar asks its parent, the browser, which asks the view.
    static std::string ButtonTip(Browser* browser, int command) {
        NMTTDISPINFOA tip{};
        tip.hdr.hwndFrom = browser->Toolbar();
        tip.hdr.idFrom = static_cast<UINT_PTR>(command);
        tip.hdr.code = TTN_NEEDTEXTA;
        SendMessageA(browser->Window(), WM_NOTIFY, static_cast<WPARAM>(GetDlgCtrlID(browser->Toolbar())),
                     reinterpret_cast<LPARAM>(&tip));
        return tip.lpszText ? tip.lpszText : tip.szText;
    }

    // toolbar: reads the active browser's buttons by their tips ("|" for a
    // separator); toolbar TIP: clicks the button with that tip.
    void Toolbar(const std::string& tip) {
        Browser* browser = Active();
        if (!browser) return session_.Error("no browser is open");
        HWND toolbar = browser->Toolbar();
        int count = static_cast<int>(SendMessageA(toolbar, TB_BUTTONCOUNT, 0, 0));
        int x = 0;
        for (int i = 0; i < count; ++i) {
            TBBUTTON button{};
            SendMessageA(toolbar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button));
            // Buttons are 24 pixels wide, separators 8, from the left.
            int width = (button.fsStyle & TBSTYLE_SEP) ? 8 : 24;
            bool enabled = SendMessageA(toolbar, TB_ISBUTTONENABLED, button.idCommand, 0) != 0;
            bool checked = SendMessageA(toolbar, TB_ISBUTTONCHECKED, button.idCommand, 0) != 0;
            std::string text = (button.fsStyle & TBSTYLE_SEP) ? "|" : ButtonTip(browser, button.idCommand);
            if (tip.empty()) {
                out_ << "  " << text << (enabled || text == "|" ? "" : " (disabled)") << (checked ? " (checked)" : "")
                     << "\n";
            } else if (text != "|" && KMLstricmp(text.c_str(), tip.c_str()) == 0) {
                if (!enabled) return session_.Error("button " + tip + " is disabled");
                ui::ClickPoint(browser->Window(), GetDlgCtrlID(toolbar), x + width / 2, 11);
                host_.Pump();
                out_ << "clicked " << tip << "\n";
                return;
            }
            x += width;
        }
        if (!tip.empty()) session_.Error("no button " + tip);
    }

    // The active browser's status bar.
    void Status() {
        Browser* browser = Active();
        if (!browser) return session_.Error("no browser is open");
        host_.Pump();
        out_ << "status: " << browser->StatusText() << "\n";
    }

    void Rename(const Line& line) {
        Shown shown;
        std::string name;
        if (!ItemAndText(line.Rest(1), &shown, &name)) return session_.Error("rename NAME NEW: no such item");
        if (shown.listed) return session_.Error("a folder without a view edits no label");
        // A label the view already opened for editing (a new folder's) takes
        // the name where it stands.
        HWND edit = IsTree(shown.control) ? nullptr : reinterpret_cast<HWND>(SendMessageA(shown.control, LVM_GETEDITCONTROL, 0, 0));
        bool renamed = edit ? ui::EditLabel(GetParent(shown.control), GetDlgCtrlID(shown.control), name)
                            : ui::EditItemLabel(shown.control, shown.item, name);
        if (renamed) out_ << "renamed " << shown.text << "\n";
        host_.Pump();
    }

    // "NAME TEXT" where the name may hold spaces: the longest name of a
    // shown item that begins the line, then the text.
    bool ItemAndText(const std::string& rest, Shown* shown, std::string* text) {
        size_t best = 0;
        for (const Shown& candidate : ShownItems()) {
            for (const std::string& name : {candidate.text, candidate.path}) {
                bool begins = !name.empty() && rest.size() > name.size() + 1 && rest[name.size()] == ' ' &&
                              KMLstricmp(rest.substr(0, name.size()).c_str(), name.c_str()) == 0;
                if (begins && name.size() > best) {
                    best = name.size();
                    *shown = candidate;
                }
            }
        }
        if (!best) return false;
        *text = rest.substr(best + 1);
        return true;
    }

    // The shown items of NAMES: one item whose name may hold spaces (a tree
    // item by its path), else several names, one a word. Empty after an
    // error.
    std::vector<Shown> Several(const std::string& names) {
        std::vector<Shown> chosen;
        if (auto whole = Find(names, false)) {
            chosen.push_back(*whole);
            return chosen;
        }
        std::istringstream words(names);
        for (std::string word; words >> word;) {
            auto one = Find(word);
            if (!one) return {};
            chosen.push_back(*one);
        }
        return chosen;
    }

    // Clicks the rows of a list, Ctrl held from the second.
    static void ClickRows(const std::vector<Shown>& rows) {
        for (size_t i = 0; i < rows.size(); ++i) ui::ClickItem(rows[i].control, rows[i].item, i ? MK_CONTROL : 0);
    }

    // drag NAME... to desktop | drag NAME... to ITEM (a row of an open browser)
    void Drag(const Line& line) {
        const std::string usage = "drag NAME... to desktop|ITEM";
        const std::string rest = line.Rest(1);
        const size_t to = rest.rfind(" to ");
        if (to == std::string::npos || to == 0) return session_.Error(usage);
        const std::string where = rest.substr(to + 4);
        std::vector<Shown> chosen = Several(rest.substr(0, to));
        if (chosen.empty()) return session_.Error(usage);
        if (chosen[0].listed) return session_.Error("a folder without a view drags nothing");
        vpr::user::DropPlace place;
        const bool desktop = KMLstricmp(where.c_str(), "desktop") == 0;
        if (desktop) {
            place.window = host_.DesktopWindow();
            place.point = {10, 10};
        } else {
            // Onto a row of a list, this browser's or one beside it: the
            // middle of its label.
            auto target = RowOfAnyBrowser(where);
            if (!target) return session_.Error("no row \"" + where + "\" in an open browser");
            RECT label{};
            label.left = LVIR_LABEL;
            SendMessageA(target->control, LVM_GETITEMRECT, target->item, reinterpret_cast<LPARAM>(&label));
            place.window = target->control;
            place.point = {(label.left + label.right) / 2, (label.top + label.bottom) / 2};
        }
        if (!IsTree(chosen[0].control)) ClickRows(chosen);
        session_.Driver().OnDrag([place](const vpr::user::DragStart&) { return place; });
        ui::DragItem(chosen[0].control, chosen[0].item);
        host_.Pump();
        out_ << (desktop ? "dropped on the desktop" : "dropped on " + where) << "\n";
    }

    // copy NAME...: selects the rows and chooses Edit>Copy of the browser.
    void Copy(const Line& line) {
        std::vector<Shown> chosen = Several(line.Rest(1));
        if (chosen.empty()) return session_.Error("copy NAME...");
        if (chosen[0].listed || IsTree(chosen[0].control)) return session_.Error("copy takes rows of the list shown");
        ClickRows(chosen);
        if (ChooseFromMenuBar("Edit>Copy")) out_ << "copied " << chosen.size() << " item(s)\n";
    }

    // paste [NAME]: onto the row (selected first), else onto the folder
    // shown (a click on the list's empty space clears the selection).
    void Paste(const Line& line) {
        const std::string name = line.Rest(1);
        if (!name.empty()) {
            auto target = Find(name);
            if (!target) return;
            if (target->listed || IsTree(target->control)) return session_.Error("paste onto a row of the list shown");
            ui::ClickItem(target->control, target->item);
        } else if (HWND list = Items()) {
            RECT client{};
            GetClientRect(list, &client);
            ui::ClickPoint(GetParent(list), GetDlgCtrlID(list), client.right - 2, client.bottom - 2);
        }
        if (ChooseFromMenuBar("Edit>Paste")) out_ << "pasted" << (name.empty() ? "" : " on " + name) << "\n";
    }

    // tray | tray click TIP | tray menu TIP [TEXT]
    void Tray(const Line& line) {
        host_.Pump();
        if (line.words.size() == 1) {
            for (const TrayIcon& icon : host_.Tray()) out_ << "  " << icon.tip << "\n";
            return;
        }
        if (line.words.size() < 3 || (line.words[1] != "click" && line.words[1] != "menu")) {
            return session_.Error("tray click|menu TIP [TEXT]");
        }
        bool menu = line.words[1] == "menu";
        // The tip may hold spaces: the longest tip that begins the rest, then TEXT.
        std::string rest = line.Rest(2);
        std::string tip;
        for (const TrayIcon& icon : host_.Tray()) {
            bool begins = rest.compare(0, icon.tip.size(), icon.tip) == 0 &&
                          (rest.size() == icon.tip.size() || rest[icon.tip.size()] == ' ');
            if (begins && icon.tip.size() > tip.size()) tip = icon.tip;
        }
        if (tip.empty()) return session_.Error("no tray icon \"" + rest + "\"");
        auto chosen = std::make_shared<UINT>(0);
        std::string text = rest.size() > tip.size() ? rest.substr(tip.size() + 1) : "";
        if (menu) {
            session_.Driver().OnPopupMenu([this, text, chosen](const vpr::user::PopupMenu& open) {
                *chosen = text.empty() ? 0 : ChooseByText(host_, open, text);
                return *chosen;
            });
        }
        if (!host_.ClickTray(tip, menu)) return session_.Error("no tray icon \"" + tip + "\"");
        host_.Pump();
        if (menu && !text.empty() && !*chosen) return session_.Error("no menu item \"" + text + "\"");
        out_ << (menu ? "tray menu " : "tray click ") << tip << (text.empty() ? "" : " " + text) << "\n";
    }

    // The user's desktop directory, where the shortcuts lie.
    static std::string DesktopDirectory() {
        char path[MAX_PATH] = {};
        LPITEMIDLIST desktop = nullptr;
        if (SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOPDIRECTORY, &desktop))) {
            SHGetPathFromIDListA(desktop, path);
            CoTaskMemFree(desktop);
        }
        return path;
    }

    void Shortcuts() {
        const std::string path = DesktopDirectory();
        WIN32_FIND_DATAA data;
        HANDLE find = FindFirstFileA((std::string(path) + "\\*.lnk").c_str(), &data);
        if (find == INVALID_HANDLE_VALUE) return;
        do {
            vpr::com::ShellLink link;
            std::string error;
            std::string file = std::string(path) + "\\" + data.cFileName;
            if (!vpr::com::ReadShellLinkFile(file, &link, &error)) {
                out_ << "  " << data.cFileName << " -> (" << error << ")\n";
                continue;
            }
            std::string target = link.idList.size() > 2
                                     ? vpr::com::IdListText(reinterpret_cast<LPCITEMIDLIST>(link.idList.data()))
                                     : vpr::com::ShellLinkTargetPath(link);
            out_ << "  " << data.cFileName << " -> " << target << "\n";
        } while (FindNextFileA(find, &data));
        FindClose(find);
    }

    // The formats on the clipboard, with their sizes.
    void Clipboard() {
        IDataObject* data = nullptr;
        if (FAILED(OleGetClipboard(&data)) || !data) return session_.Error("the clipboard cannot be read");
        IEnumFORMATETC* formats = nullptr;
        if (SUCCEEDED(data->EnumFormatEtc(DATADIR_GET, &formats)) && formats) {
            FORMATETC format;
            ULONG fetched = 0;
            while (formats->Next(1, &format, &fetched) == S_OK && fetched == 1) {
                char name[128] = {};
                if (!GetClipboardFormatNameA(format.cfFormat, name, sizeof(name))) {
                    std::snprintf(name, sizeof(name), "%u", format.cfFormat);
                }
                STGMEDIUM medium{};
                SIZE_T size = 0;
                if (SUCCEEDED(data->GetData(&format, &medium)) && medium.tymed == TYMED_HGLOBAL) {
                    size = GlobalSize(medium.hGlobal);
                }
                ReleaseStgMedium(&medium);
                out_ << "  " << name << " (" << size << " bytes)\n";
            }
            formats->Release();
        }
        data->Release();
    }

    // Starts a program and serves until it ends.
    void Run(const std::string& command) {
        STARTUPINFOA startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION process{};
        std::vector<char> line(command.begin(), command.end());
        line.push_back(0);
        if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
            return session_.Error("cannot run " + command);
        }
        host_.PumpUntil([&] { return WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0; }, 0xFFFFFFFF);
        DWORD code = 0;
        GetExitCodeProcess(process.hProcess, &code);
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
        out_ << "exit " << code << "\n";
        if (code != 0) session_.Error(command + " ended with " + std::to_string(code));
    }

    // wait notify | wait load|unload CLSID | wait row|gone TEXT
    void Wait(const Line& line) {
        std::string what = line.words.size() > 1 ? line.words[1] : "";
        std::string arg = line.words.size() > 2 ? line.Rest(2) : "";
        std::function<bool()> done;
        if (what == "notify") {
            // A notification since the last "wait notify" (or the start).
            done = [this] {
                size_t count = host_.Notifications().size();
                if (count <= notificationsSeen_) return false;
                notificationsSeen_ = count;
                return true;
            };
        } else if ((what == "load" || what == "unload") && vpr::com::ParseGuid(arg)) {
            std::string text = vpr::com::GuidText(*vpr::com::ParseGuid(arg));
            bool load = what == "load";
            done = [this, text, load] {
                auto list = load ? host_.Loaded() : host_.Unloaded();
                return std::find(list.begin(), list.end(), text) != list.end();
            };
        } else if (what == "row" || what == "gone") {
            bool present = what == "row";
            done = [this, arg, present] {
                HWND list = Items();
                int count = list ? static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)) : 0;
                bool found = false;
                for (int i = 0; i < count && !found; ++i) found = KMLstricmp(RowText(list, i).c_str(), arg.c_str()) == 0;
                for (const ListedItem& item : Listed()) found = found || KMLstricmp(item.name.c_str(), arg.c_str()) == 0;
                return found == present;
            };
        } else if (what == "tray" && !arg.empty()) {
            done = [this, arg] {
                for (const TrayIcon& icon : host_.Tray())
                    if (icon.tip == arg) return true;
                return false;
            };
        } else if (what == "shortcut" && !arg.empty()) {
            done = [arg] { return GetFileAttributesA((DesktopDirectory() + "\\" + arg).c_str()) != INVALID_FILE_ATTRIBUTES; };
        } else {
            return session_.Error("wait notify|load CLSID|unload CLSID|row TEXT|gone TEXT|tray TIP|shortcut FILE");
        }
        if (!host_.PumpUntil(done, kWaitLimit)) return session_.Error("waited in vain: " + line.Rest(1));
        out_ << "waited " << line.Rest(1) << "\n";
    }

    void Sleep(const std::string& ms) {
        long value = 0;
        if (!script::ParseNumber(ms, &value) || value < 0) return session_.Error("sleep MILLISECONDS");
        host_.PumpUntil([] { return false; }, static_cast<DWORD>(value));
    }

    // Right-clicks the item and chooses Properties; the lines that follow
    // act on the sheet, as after `window` (a sheet the shell shows while it
    // waits, or the window of its own that the item opens).
    void Properties(const std::string& name) {
        auto shown = Find(name);
        if (!shown) return;
        auto acted = std::make_shared<bool>(false);
        auto chosen = std::make_shared<UINT>(0);
        std::vector<HWND> before = TopWindows();
        session_.Driver().OnNextDialogCaption(host_.PropertiesCaption(name), [this, acted](const vpr::user::ModalElement& e) {
            *acted = true;
            out_ << "window " << e.caption << "\n";
            session_.ActOnDialog(e.window);
        });
        if (shown->listed) {
            // The shell's own sheet of the item's pages (IShellPropSheetExt).
            std::string error;
            if (!host_.ShowListedProperties(Active(), shown->list, &error)) return session_.Error(error);
            host_.Pump();
            if (!*acted) session_.Error("no properties of " + name + " are shown");
            return;
        }
        session_.Driver().OnPopupMenu([this, chosen](const vpr::user::PopupMenu& menu) {
            *chosen = ChooseByText(host_, menu, "Properties");
            return *chosen;
        });
        ui::RightClickItem(shown->control, shown->item);
        host_.Pump();
        if (!*chosen) return session_.Error(name + " has no Properties");
        if (*acted) return;
        for (HWND window : TopWindows()) {
            if (std::find(before.begin(), before.end(), window) != before.end()) continue;
            out_ << "window " << WindowText(window) << "\n";
            return session_.ActOnDialog(window);
        }
        session_.Error("no properties of " + name + " are shown");
    }

    // The lines that follow act on the visible window with this caption (a
    // sheet or dialog that stays open beside the shell) until it closes.
    // Windows are the shell's process's own: one not open now is not coming.
    void Window(const std::string& caption) {
        host_.Pump();
        HWND found = nullptr;
        for (HWND window : TopWindows()) {
            if (WindowText(window) == caption) found = window;
        }
        if (!found) return session_.Error("no window \"" + caption + "\"");
        out_ << "window " << caption << "\n";
        session_.ActOnDialog(found);
    }

    // Reads another open window without acting on it (the progress a
    // program shows beside the question it asks): each control that shows a
    // text, and each progress bar's position and range.
    void Peek(const std::string& caption) {
        HWND found = nullptr;
        for (HWND window : TopWindows()) {
            if (WindowText(window) == caption) found = window;
        }
        if (!found) return session_.Error("no window \"" + caption + "\"");
        out_ << "peek " << caption << "\n";
        std::function<void(HWND)> read = [&](HWND parent) {
            for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
                if (!IsWindowVisible(child)) continue;
                char name[32] = {};
                GetClassNameA(child, name, sizeof(name));
                int id = GetDlgCtrlID(child);
                if (KMLstricmp(name, PROGRESS_CLASSA) == 0) {
                    auto position = SendMessageA(child, PBM_GETPOS, 0, 0);
                    auto top = SendMessageA(child, PBM_GETRANGE, FALSE, 0);
                    out_ << "  " << id << ": " << position << " of " << top << "\n";
                } else if (std::string text = WindowText(child); !text.empty()) {
                    out_ << "  " << id << ": " << text << "\n";
                }
                read(child);  // the controls of a page inside a sheet
            }
        };
        read(found);
    }

    void Close() {
        Browser* browser = Active();
        if (!browser) return session_.Error("no browser is open");
        SendMessageA(browser->Window(), WM_CLOSE, 0, 0);
        host_.Pump();
        out_ << "closed\n";
    }

    ShellHost& host_;
    ScriptSession& session_;
    LineBuffer& lines_;
    std::ostream& out_;
    size_t notificationsSeen_ = 0;
};

}  // namespace

int RunShellScript(ShellHost& host, std::istream& in, std::ostream& out, bool pumpWhileReading) {
    LineBuffer buffer(in, host, pumpWhileReading);
    std::istream lines(&buffer);
    ScriptSession session(lines, out);
    ShellCommands commands(host, session, buffer);
    return session.Run();
}

}  // namespace vpr::shellhost
