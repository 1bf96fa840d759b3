#include "dialog_controls.h"

#include <cctype>
#include <cstring>
#include <vector>

#include "commctrl.h"
#include "prsht.h"
#include "vpr/user/dialog.h"
#include "vpr/script/script_session.h"
#include "vpr/user/ui_driver.h"

namespace vpr::script {
namespace {

namespace ui = vpr::user::ui;

enum class Kind { kText, kListBox, kComboBox, kListView, kTreeView };

Kind KindOf(HWND control) {
    char name[64] = {};
    GetClassNameA(control, name, sizeof name);
    if (!strcasecmp(name, "ListBox")) return Kind::kListBox;
    if (!strcasecmp(name, "ComboBox")) return Kind::kComboBox;
    if (!strcasecmp(name, WC_LISTVIEWA)) return Kind::kListView;
    if (!strcasecmp(name, WC_TREEVIEWA)) return Kind::kTreeView;
    return Kind::kText;
}

struct Row {
    std::string text;
    bool selected = false;
};

// A tree item's text and whether it is selected.
Row TreeRow(HWND tree, HTREEITEM item) {
    char text[1024] = {};
    TVITEMA data{};
    data.mask = TVIF_TEXT | TVIF_STATE;
    data.hItem = item;
    data.stateMask = TVIS_SELECTED;
    data.pszText = text;
    data.cchTextMax = sizeof text;
    SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&data));
    return Row{text, (data.state & TVIS_SELECTED) != 0};
}

std::vector<Row> Rows(HWND control, Kind kind) {
    std::vector<Row> rows;
    if (kind == Kind::kListBox) {
        int count = static_cast<int>(SendMessageA(control, LB_GETCOUNT, 0, 0));
        int current = static_cast<int>(SendMessageA(control, LB_GETCURSEL, 0, 0));
        bool several = GetWindowLongA(control, GWL_STYLE) & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL);
        for (int i = 0; i < count; ++i) {
            std::string text(static_cast<size_t>(std::max<LRESULT>(SendMessageA(control, LB_GETTEXTLEN, i, 0), 0)), '\0');
            std::vector<char> buffer(text.size() + 1);
            SendMessageA(control, LB_GETTEXT, i, reinterpret_cast<LPARAM>(buffer.data()));
            bool selected = several ? SendMessageA(control, LB_GETSEL, i, 0) > 0 : i == current;
            rows.push_back(Row{buffer.data(), selected});
        }
    } else if (kind == Kind::kComboBox) {
        int count = static_cast<int>(SendMessageA(control, CB_GETCOUNT, 0, 0));
        int current = static_cast<int>(SendMessageA(control, CB_GETCURSEL, 0, 0));
        for (int i = 0; i < count; ++i) {
            std::vector<char> buffer(static_cast<size_t>(std::max<LRESULT>(SendMessageA(control, CB_GETLBTEXTLEN, i, 0), 0)) + 1);
            SendMessageA(control, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(buffer.data()));
            rows.push_back(Row{buffer.data(), i == current});
        }
    } else if (kind == Kind::kTreeView) {
        // The items a person sees, top to bottom.
        auto next = [control](UINT code, HTREEITEM item) {
            return reinterpret_cast<HTREEITEM>(SendMessageA(control, TVM_GETNEXTITEM, code, reinterpret_cast<LPARAM>(item)));
        };
        for (HTREEITEM item = next(TVGN_ROOT, nullptr); item; item = next(TVGN_NEXTVISIBLE, item))
            rows.push_back(TreeRow(control, item));
    } else if (kind == Kind::kListView) {
        int count = static_cast<int>(SendMessageA(control, LVM_GETITEMCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            char text[1024] = {};
            LVITEMA item{};
            item.pszText = text;
            item.cchTextMax = sizeof text;
            SendMessageA(control, LVM_GETITEMTEXTA, i, reinterpret_cast<LPARAM>(&item));
            bool selected = SendMessageA(control, LVM_GETITEMSTATE, i, LVIS_SELECTED) & LVIS_SELECTED;
            rows.push_back(Row{text, selected});
        }
    }
    return rows;
}

void ShowTree(HWND tree, HTREEITEM item, int level, std::ostream& out) {
    for (; item; item = reinterpret_cast<HTREEITEM>(
                     SendMessageA(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item)))) {
        Row row = TreeRow(tree, item);
        out << (row.selected ? "*" : " ") << std::string(1 + 2 * level, ' ') << row.text << "\n";
        ShowTree(tree,
                 reinterpret_cast<HTREEITEM>(
                     SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(item))),
                 level + 1, out);
    }
}

std::string WindowText(HWND window) {
    int length = GetWindowTextLengthA(window);
    std::vector<char> text(static_cast<size_t>(length) + 1);
    GetWindowTextA(window, text.data(), length + 1);
    return text.data();
}

}  // namespace

HWND ControlOwner(HWND dialog, int id) {
    if (GetDlgItem(dialog, IDC_PROPSHEET_TABS)) {
        auto page = reinterpret_cast<HWND>(SendMessageA(dialog, PSM_GETCURRENTPAGEHWND, 0, 0));
        if (page && GetDlgItem(page, id)) return page;
    }
    return dialog;
}

namespace {

// The row (from 0) that a text or "#N" names; -1 with the problem set.
int FindRow(HWND dialog, int id, const std::string& which, HWND* owner, std::string* problem) {
    *owner = ControlOwner(dialog, id);
    HWND control = GetDlgItem(*owner, id);
    if (!control) {
        *problem = "no control " + std::to_string(id);
        return -1;
    }
    Kind kind = KindOf(control);
    if (kind == Kind::kText) {
        *problem = "control " + std::to_string(id) + " has no rows";
        return -1;
    }
    std::vector<Row> rows = Rows(control, kind);
    int row = -1;
    long number = 0;
    if (which.size() > 1 && which[0] == '#' && ParseNumber(which.substr(1), &number)) {
        row = static_cast<int>(number) - 1;
        if (number < 1 || row >= static_cast<int>(rows.size())) {
            *problem = "control " + std::to_string(id) + " has no row " + which.substr(1);
            return -1;
        }
    } else {
        for (size_t i = 0; i < rows.size() && row < 0; ++i)
            if (rows[i].text == which) row = static_cast<int>(i);
        if (row < 0) *problem = "control " + std::to_string(id) + " has no row \"" + which + "\"";
    }
    return row;
}

int VirtualKey(const std::string& name) {
    static const std::pair<const char*, int> kKeys[] = {
        {"left", VK_LEFT},     {"right", VK_RIGHT},   {"up", VK_UP},       {"down", VK_DOWN},
        {"pgup", VK_PRIOR},    {"pageup", VK_PRIOR},  {"pgdn", VK_NEXT},   {"pagedown", VK_NEXT},
        {"home", VK_HOME},     {"end", VK_END},       {"insert", VK_INSERT}, {"delete", VK_DELETE},
        {"tab", VK_TAB},       {"enter", VK_RETURN},  {"escape", VK_ESCAPE}, {"esc", VK_ESCAPE},
        {"backspace", VK_BACK}, {"space", VK_SPACE},  {"f2", VK_F2},
    };
    std::string lower;
    for (char c : name) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (const auto& [text, vk] : kKeys)
        if (lower == text) return vk;
    if (name.size() == 1 && std::isalnum(static_cast<unsigned char>(name[0])))
        return std::toupper(static_cast<unsigned char>(name[0]));
    return 0;
}

}  // namespace

std::string OpenRow(HWND dialog, int id, const std::string& which) {
    HWND owner = nullptr;
    std::string problem;
    int row = FindRow(dialog, id, which, &owner, &problem);
    if (row < 0) return problem;
    ui::DoubleClickRow(owner, id, row);
    return "";
}

std::string PressNamedKey(HWND dialog, int id, const std::string& name, bool shift, bool control) {
    HWND owner = ControlOwner(dialog, id);
    HWND window = GetDlgItem(owner, id);
    if (!window) return "no control " + std::to_string(id);
    int vk = VirtualKey(name);
    if (!vk) return "no key " + name;
    if (GetFocus() != window && !ui::Type(owner, id, "")) return "";
    ui::PressKey(owner, vk, shift, control);
    return "";
}

std::string ChooseRow(HWND dialog, int id, const std::string& which, bool add) {
    HWND owner = ControlOwner(dialog, id);
    HWND control = GetDlgItem(owner, id);
    if (!control) return "no control " + std::to_string(id);
    Kind kind = KindOf(control);
    if (kind == Kind::kText) return "control " + std::to_string(id) + " has no rows";
    std::vector<Row> rows = Rows(control, kind);
    int row = -1;
    long number = 0;
    if (which.size() > 1 && which[0] == '#' && ParseNumber(which.substr(1), &number)) {
        row = static_cast<int>(number) - 1;
        if (number < 1 || row >= static_cast<int>(rows.size()))
            return "control " + std::to_string(id) + " has no row " + which.substr(1);
    } else {
        for (size_t i = 0; i < rows.size() && row < 0; ++i)
            if (rows[i].text == which) row = static_cast<int>(i);
        if (row < 0) return "control " + std::to_string(id) + " has no row \"" + which + "\"";
    }
    ui::SelectRow(owner, id, row, add ? MK_CONTROL : 0);  // the driver reports what a person could not do
    return "";
}

std::string ShowControl(HWND dialog, int id, std::ostream& out) {
    HWND control = GetDlgItem(ControlOwner(dialog, id), id);
    if (!control) return "no control " + std::to_string(id);
    Kind kind = KindOf(control);
    if (kind == Kind::kText) {
        out << id << ": " << WindowText(control) << "\n";
        return "";
    }
    out << id << ":\n";
    if (kind == Kind::kTreeView) {
        ShowTree(control, reinterpret_cast<HTREEITEM>(SendMessageA(control, TVM_GETNEXTITEM, TVGN_ROOT, 0)), 0, out);
        return "";
    }
    for (const Row& row : Rows(control, kind)) out << (row.selected ? "* " : "  ") << row.text << "\n";
    return "";
}

std::string GotoPage(HWND sheet, const std::string& which) {
    HWND tabs = GetDlgItem(sheet, IDC_PROPSHEET_TABS);
    if (!tabs) return "the dialog has no pages";
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
    if (index < 0 || index >= count) return "no page " + which;
    ui::ClickTab(sheet, index);
    if (SendMessageA(tabs, TCM_GETCURSEL, 0, 0) != index) return "the page may not be left now";
    return "";
}

std::string DialogName(HWND dialog) {
    return "dialog " + std::to_string(vpr::user::DialogTemplateId(dialog)) + " \"" + WindowText(dialog) + "\"";
}

}  // namespace vpr::script
