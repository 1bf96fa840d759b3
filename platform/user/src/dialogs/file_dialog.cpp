// The window form of the file-open and file-save dialogs: a dialog made in
// code with the classic controls (file name edit, file list, directory list,
// file type list, read-only box), run modally so that the UI driver meets it
// by its caption and a person's clicks and keys fill it in.
#include "file_dialog.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cstring>

#include "control.h"
#include "dialog.h"
#include "ui_driver_hooks.h"
#include "vpr/machine/machine.h"
#include "vpr/user/message_box.h"
#include "vpr/win/path.h"

namespace vpr::user {

std::vector<FileFilter> FileFilters(const OPENFILENAMEA& ofn) {
    std::vector<FileFilter> filters;
    for (const char* pair = ofn.lpstrFilter; pair && *pair;) {
        const char* pattern = pair + std::strlen(pair) + 1;
        filters.push_back(FileFilter{pair, pattern});
        if (*pattern == '\0') break;  // a description without patterns ends the list
        pair = pattern + std::strlen(pattern) + 1;
    }
    return filters;
}

size_t ShownFilter(const OPENFILENAMEA& ofn, size_t count) {
    if (count == 0) return 0;
    size_t index = ofn.nFilterIndex == 0 ? 1 : ofn.nFilterIndex;
    return std::min(index, count) - 1;
}

size_t FileNameOffset(const std::string& path) {
    size_t last = path.find_last_of("\\/");
    return last == std::string::npos ? 0 : last + 1;
}

namespace {

bool HostStat(const std::string& name, struct stat* info) {
    std::string host;
    return win::ResolveHostPath(name.c_str(), &host) && ::stat(host.c_str(), info) == 0;
}

}  // namespace

bool IsExistingFile(const std::string& name) {
    struct stat info {};
    return HostStat(name, &info) && !S_ISDIR(info.st_mode);
}

bool IsExistingDirectory(const std::string& name) {
    struct stat info {};
    return HostStat(name, &info) && S_ISDIR(info.st_mode);
}

const char* FileNameRefusal(const OPENFILENAMEA& ofn, const std::string& name) {
    if (ofn.Flags & OFN_FILEMUSTEXIST) {
        if (!IsExistingFile(name)) return "File not found. Check the file name and try again.";
    } else if (ofn.Flags & OFN_PATHMUSTEXIST) {
        size_t offset = FileNameOffset(name);
        if (offset > 0 && !IsExistingDirectory(name.substr(0, offset)))
            return "The folder does not exist. Check the path and try again.";
    }
    return nullptr;
}

void AcceptFileName(OPENFILENAMEA* ofn, const std::string& name) {
    std::memcpy(ofn->lpstrFile, name.c_str(), name.size() + 1);
    size_t offset = FileNameOffset(name);
    size_t dot = name.find('.', offset) == std::string::npos ? std::string::npos : name.rfind('.');
    ofn->nFileOffset = static_cast<WORD>(offset);
    ofn->nFileExtension = dot == std::string::npos ? 0 : static_cast<WORD>(dot + 1);
    if (ofn->lpstrFileTitle != nullptr && ofn->nMaxFileTitle > 0) {
        std::strncpy(ofn->lpstrFileTitle, ofn->lpstrFile + offset, ofn->nMaxFileTitle - 1);
        ofn->lpstrFileTitle[ofn->nMaxFileTitle - 1] = '\0';
    }
}

namespace {

// What the dialog works on while it runs.
struct FileDialog {
    OPENFILENAMEA* ofn = nullptr;
    bool save = false;
    std::string caption;
    std::string dir;  // the folder shown, without a trailing '\' unless a root
    std::vector<FileFilter> filters;
    size_t filter = 0;
    std::string typedPattern;  // a pattern the person typed replaces the filter's
    DWORD error = 0;
};

bool HasWildcard(const std::string& text) { return text.find_first_of("*?") != std::string::npos; }

bool IsRoot(const std::string& dir) { return dir.size() <= 3 && dir.size() >= 2 && dir[1] == ':'; }

std::string Join(const std::string& dir, const std::string& name) {
    if (dir.empty()) return name;
    char last = dir.back();
    return last == '\\' || last == '/' ? dir + name : dir + "\\" + name;
}

bool IsAbsolute(const std::string& name) {
    return (name.size() >= 2 && name[1] == ':') || (!name.empty() && (name[0] == '\\' || name[0] == '/'));
}

// Cuts "a\b\.." and "a\b\." into folders; keeps the drive root.
std::string Normalize(const std::string& path) {
    std::vector<std::string> parts;
    std::string part;
    // Host paths ("/tmp/x") keep their slashes; Windows paths use '\\'.
    char separator = !path.empty() && path[0] == '/' ? '/' : '\\';
    std::string head = !path.empty() && (path[0] == '/' || path[0] == '\\') ? std::string(1, separator) : "";
    for (size_t i = head.size(); i <= path.size(); ++i) {
        if (i == path.size() || path[i] == '\\' || path[i] == '/') {
            if (part == "..") {
                if (parts.size() > 1 || (parts.size() == 1 && !head.empty())) parts.pop_back();
            } else if (!part.empty() && part != ".") {
                parts.push_back(part);
            }
            part.clear();
        } else {
            part += path[i];
        }
    }
    std::string joined = head;
    for (size_t i = 0; i < parts.size(); ++i) joined += (i ? std::string(1, separator) : "") + parts[i];
    if (joined.size() == 2 && joined[1] == ':') joined += '\\';
    return joined;
}

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t at; (at = text.find(separator, start)) != std::string::npos; start = at + 1)
        parts.push_back(text.substr(start, at - start));
    parts.push_back(text.substr(start));
    return parts;
}

// Names of the folder's entries matching the pattern: files or folders.
std::vector<std::string> Entries(const std::string& dir, const std::string& pattern, bool folders) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(Join(dir, pattern).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        bool isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        std::string name = found.cFileName;
        if (isFolder == folders && name != "." && name != "..") names.push_back(name);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

void Refill(HWND dialog, FileDialog& state) {
    SetDlgItemTextA(dialog, stc1, state.dir.c_str());
    HWND files = GetDlgItem(dialog, lst1);
    SendMessageA(files, LB_RESETCONTENT, 0, 0);
    std::string patterns = !state.typedPattern.empty() ? state.typedPattern
                           : state.filters.empty()     ? "*.*"
                                                       : state.filters[state.filter].patterns;
    for (const std::string& pattern : Split(patterns, ';')) {
        for (const std::string& name : Entries(state.dir, pattern, false)) {
            if (SendMessageA(files, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(name.c_str())) < 0)
                SendMessageA(files, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
        }
    }
    HWND folders = GetDlgItem(dialog, lst2);
    SendMessageA(folders, LB_RESETCONTENT, 0, 0);
    if (!IsRoot(state.dir) && state.dir != "/") SendMessageA(folders, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("[..]"));
    std::vector<std::string> names = Entries(state.dir, "*", true);
    std::stable_sort(names.begin(), names.end(),
                     [](const std::string& a, const std::string& b) { return CompareNoCase(a, b) < 0; });
    for (const std::string& name : names)
        SendMessageA(folders, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(("[" + name + "]").c_str()));
}

void ShowFolder(HWND dialog, FileDialog& state, const std::string& dir) {
    state.dir = Normalize(dir);
    Refill(dialog, state);
}

// The drive list of a template that has one: the machine's drives as "c:",
// the shown folder's drive selected.
void FillDrives(HWND dialog, const FileDialog& state) {
    HWND drives = GetDlgItem(dialog, cmb2);
    if (!drives) return;
    SendMessageA(drives, CB_RESETCONTENT, 0, 0);
    auto machine = vpr::machine::CurrentMachine();
    if (!machine) return;
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        if (machine->DriveFolder(letter).empty()) continue;
        char name[3] = {static_cast<char>(std::tolower(static_cast<unsigned char>(letter))), ':', '\0'};
        LRESULT row = SendMessageA(drives, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
        if (state.dir.size() >= 2 && state.dir[1] == ':' &&
            std::toupper(static_cast<unsigned char>(state.dir[0])) == letter)
            SendMessageA(drives, CB_SETCURSEL, static_cast<WPARAM>(row), 0);
    }
}

std::string TextOf(HWND dialog, int id) {
    char text[1024] = {};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

// The names in the file name edit: one name, or several in double quotes.
std::vector<std::string> TypedNames(const std::string& text) {
    std::vector<std::string> names;
    if (text.find('"') == std::string::npos) {
        size_t first = text.find_first_not_of(' ');
        size_t last = text.find_last_not_of(' ');
        if (first != std::string::npos) names.push_back(text.substr(first, last - first + 1));
        return names;
    }
    for (size_t open = text.find('"'); open != std::string::npos; open = text.find('"', open + 1)) {
        size_t close = text.find('"', open + 1);
        if (close == std::string::npos) break;
        if (close > open + 1) names.push_back(text.substr(open + 1, close - open - 1));
        open = close;
    }
    return names;
}

// The file list's selection goes into the name edit, as the person sees it.
void TakeListSelection(HWND dialog) {
    HWND files = GetDlgItem(dialog, lst1);
    int count = static_cast<int>(SendMessageA(files, LB_GETCOUNT, 0, 0));
    std::vector<std::string> chosen;
    for (int i = 0; i < count; ++i) {
        if (SendMessageA(files, LB_GETSEL, i, 0) <= 0) continue;
        char name[MAX_PATH] = {};
        SendMessageA(files, LB_GETTEXT, i, reinterpret_cast<LPARAM>(name));
        chosen.push_back(name);
    }
    if (chosen.empty()) return;
    std::string text = chosen.size() == 1 ? chosen[0] : "";
    if (chosen.size() > 1)
        for (const std::string& name : chosen) text += (text.empty() ? "\"" : " \"") + name + "\"";
    SetDlgItemTextA(dialog, edt1, text.c_str());
}

void Complain(HWND dialog, const FileDialog& state, const std::string& text) {
    MessageBoxA(dialog, text.c_str(), state.caption.c_str(), MB_OK | MB_ICONEXCLAMATION);
}

// Puts the result into the caller's buffer; false (FNERR_BUFFERTOOSMALL,
// the size needed in the first two bytes) when it does not fit.
bool Deliver(FileDialog& state, const std::string& result, bool several) {
    OPENFILENAMEA* ofn = state.ofn;
    size_t needed = result.size() + (several ? 2 : 1);
    if (needed > ofn->nMaxFile) {
        state.error = FNERR_BUFFERTOOSMALL;
        if (ofn->nMaxFile >= 2) {
            ofn->lpstrFile[0] = static_cast<char>(needed & 0xFF);
            ofn->lpstrFile[1] = static_cast<char>((needed >> 8) & 0xFF);
        }
        return false;
    }
    if (several) {
        std::memcpy(ofn->lpstrFile, result.data(), result.size());
        ofn->lpstrFile[result.size()] = '\0';
        ofn->lpstrFile[result.size() + 1] = '\0';
        ofn->nFileOffset = static_cast<WORD>(state.dir.size() + 1);
        ofn->nFileExtension = 0;
    } else {
        AcceptFileName(ofn, result);
    }
    return true;
}

// OK, Enter or a double click on a file: take what the edit names.
void TryAccept(HWND dialog, FileDialog& state) {
    OPENFILENAMEA* ofn = state.ofn;
    std::vector<std::string> names = TypedNames(TextOf(dialog, edt1));
    if (names.empty()) return;
    if (names.size() == 1 && HasWildcard(names[0])) {
        state.typedPattern = names[0];
        Refill(dialog, state);
        return;
    }
    if (names.size() > 1 && !(ofn->Flags & OFN_ALLOWMULTISELECT)) {
        Complain(dialog, state, TextOf(dialog, edt1) + "\nThe file name is not valid.");
        return;
    }
    std::vector<std::string> paths;
    for (const std::string& name : names) {
        std::string path = Normalize(IsAbsolute(name) ? name : Join(state.dir, name));
        if (names.size() == 1 && IsExistingDirectory(path)) {
            SetDlgItemTextA(dialog, edt1, "");
            ShowFolder(dialog, state, path);
            return;
        }
        // A default extension with wildcards ("*") names no file type: it is not added.
        std::string ext = ofn->lpstrDefExt ? ofn->lpstrDefExt : "";
        if (!ext.empty() && !HasWildcard(ext) && path.find('.', FileNameOffset(path)) == std::string::npos)
            path += "." + ext;
        if (const char* refusal = FileNameRefusal(*ofn, path)) {
            Complain(dialog, state, path + "\n" + refusal);
            return;
        }
        paths.push_back(path);
    }
    if (state.save && (ofn->Flags & OFN_OVERWRITEPROMPT) && IsExistingFile(paths[0])) {
        std::string question = paths[0] + " already exists.\nDo you want to replace it?";
        if (MessageBoxA(dialog, question.c_str(), state.caption.c_str(), MB_YESNO | MB_ICONEXCLAMATION) != IDYES)
            return;
    }
    bool several = paths.size() > 1;
    std::string result;
    if (several) {
        // The folder, then each name: NUL-separated in the explorer style, else spaces.
        char separator = (ofn->Flags & OFN_EXPLORER) ? '\0' : ' ';
        result = state.dir;
        for (const std::string& path : paths) result += separator + path.substr(FileNameOffset(path));
    } else {
        result = paths[0];
    }
    if (!Deliver(state, result, several)) {
        EndDialog(dialog, FALSE);
        return;
    }
    HWND readOnly = GetDlgItem(dialog, chx1);
    if (IsWindowVisible(readOnly) && IsDlgButtonChecked(dialog, chx1)) {
        ofn->Flags |= OFN_READONLY;
    } else {
        ofn->Flags &= ~static_cast<DWORD>(OFN_READONLY);
    }
    ofn->nFilterIndex = static_cast<DWORD>(state.filter + 1);
    if (!(ofn->Flags & OFN_NOCHANGEDIR)) SetCurrentDirectoryA(state.dir.c_str());
    EndDialog(dialog, TRUE);
}

// The folder shown first: lpstrInitialDir, else the folder of an initial
// name that has one, else the current folder.
std::string FirstFolder(const OPENFILENAMEA& ofn, std::string* initialName) {
    std::string initial = ofn.lpstrFile ? ofn.lpstrFile : "";
    size_t offset = FileNameOffset(initial);
    *initialName = initial.substr(offset);
    if (ofn.lpstrInitialDir && *ofn.lpstrInitialDir) return ofn.lpstrInitialDir;
    if (offset > 0) return initial.substr(0, offset);
    char current[MAX_PATH] = {};
    GetCurrentDirectoryA(sizeof current, current);
    return current;
}

INT_PTR CALLBACK FileDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<FileDialog*>(GetWindowLongPtrA(dialog, GWLP_USERDATA));
    switch (msg) {
    case WM_INITDIALOG: {
        state = reinterpret_cast<FileDialog*>(lParam);
        SetWindowLongPtrA(dialog, GWLP_USERDATA, lParam);
        SetPropA(dialog, kFileDialogProperty, reinterpret_cast<HANDLE>(1));
        std::string initialName;
        state->dir = Normalize(FirstFolder(*state->ofn, &initialName));
        SetDlgItemTextA(dialog, edt1, initialName.c_str());
        for (const FileFilter& filter : state->filters)
            SendDlgItemMessageA(dialog, cmb1, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(filter.description.c_str()));
        SendDlgItemMessageA(dialog, cmb1, CB_SETCURSEL, state->filter, 0);
        if (state->ofn->Flags & OFN_HIDEREADONLY) ShowWindow(GetDlgItem(dialog, chx1), SW_HIDE);
        CheckDlgButton(dialog, chx1, (state->ofn->Flags & OFN_READONLY) ? BST_CHECKED : BST_UNCHECKED);
        Refill(dialog, *state);
        FillDrives(dialog, *state);
        return TRUE;
    }
    case WM_COMMAND: {
        if (!state) break;
        int id = LOWORD(wParam);
        int code = HIWORD(wParam);
        if (id == IDOK) {
            TryAccept(dialog, *state);
        } else if (id == IDCANCEL) {
            EndDialog(dialog, FALSE);
        } else if (id == lst1 && code == LBN_SELCHANGE) {
            TakeListSelection(dialog);
        } else if (id == lst1 && code == LBN_DBLCLK) {
            TakeListSelection(dialog);
            TryAccept(dialog, *state);
        } else if (id == lst2 && code == LBN_DBLCLK) {
            HWND folders = GetDlgItem(dialog, lst2);
            int row = static_cast<int>(SendMessageA(folders, LB_GETCURSEL, 0, 0));
            char text[MAX_PATH] = {};
            if (row < 0 || SendMessageA(folders, LB_GETTEXT, row, reinterpret_cast<LPARAM>(text)) < 2) return TRUE;
            std::string name(text + 1, std::strlen(text) - 2);  // without the brackets
            ShowFolder(dialog, *state, Join(state->dir, name));
        } else if (id == cmb1 && code == CBN_SELCHANGE) {
            LRESULT chosen = SendDlgItemMessageA(dialog, cmb1, CB_GETCURSEL, 0, 0);
            if (chosen >= 0) state->filter = static_cast<size_t>(chosen);
            state->typedPattern.clear();
            Refill(dialog, *state);
        } else if (id == cmb2 && code == CBN_SELCHANGE) {
            char drive[8] = {};
            LRESULT chosen = SendDlgItemMessageA(dialog, cmb2, CB_GETCURSEL, 0, 0);
            if (chosen >= 0 && SendDlgItemMessageA(dialog, cmb2, CB_GETLBTEXT, static_cast<WPARAM>(chosen),
                                                   reinterpret_cast<LPARAM>(drive)) == 2)
                ShowFolder(dialog, *state, std::string(1, static_cast<char>(std::toupper(drive[0]))) + ":\\");
        }
        return TRUE;
    }
    }
    return FALSE;
}

DialogTemplate FileDialogTemplate(const FileDialog& state) {
    DialogTemplate dialog;
    dialog.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    dialog.caption = state.caption;
    dialog.cx = 264;
    dialog.cy = 134;
    bool several = state.ofn->Flags & OFN_ALLOWMULTISELECT;
    const DWORD tab = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
    auto& items = dialog.controls;
    items.push_back(ControlItem("STATIC", "File &name:", stc3, WS_CHILD | WS_VISIBLE, 6, 6, 90, 9));
    items.push_back(ControlItem("EDIT", "", edt1, tab | WS_BORDER | ES_AUTOHSCROLL, 6, 16, 90, 12));
    items.push_back(ControlItem("LISTBOX", "", lst1,
                                tab | WS_BORDER | WS_VSCROLL | LBS_SORT | LBS_NOTIFY | (several ? LBS_EXTENDEDSEL : 0),
                                6, 32, 90, 68));
    items.push_back(ControlItem("STATIC", "&Folders:", stc4, WS_CHILD | WS_VISIBLE, 110, 6, 92, 9));
    items.push_back(ControlItem("STATIC", "", stc1, WS_CHILD | WS_VISIBLE | SS_NOPREFIX, 110, 16, 92, 12));
    items.push_back(ControlItem("LISTBOX", "", lst2, tab | WS_BORDER | WS_VSCROLL | LBS_NOTIFY, 110, 32, 92, 68));
    items.push_back(ControlItem("STATIC", "List files of &type:", stc2, WS_CHILD | WS_VISIBLE, 6, 104, 90, 9));
    items.push_back(ControlItem("COMBOBOX", "", cmb1, tab | CBS_DROPDOWNLIST | WS_VSCROLL, 6, 114, 90, 60));
    items.push_back(ControlItem("BUTTON", "&Read only", chx1, tab | BS_AUTOCHECKBOX, 110, 114, 60, 12));
    items.push_back(ControlItem("BUTTON", "OK", IDOK, tab | BS_DEFPUSHBUTTON, 208, 6, 50, 14));
    items.push_back(ControlItem("BUTTON", "Cancel", IDCANCEL, tab, 208, 24, 50, 14));
    return dialog;
}

}  // namespace

BOOL RunFileDialog(OPENFILENAMEA* ofn, bool save, DWORD* error) {
    FileDialog state;
    state.ofn = ofn;
    state.save = save;
    state.caption = ofn->lpstrTitle ? ofn->lpstrTitle : save ? "Save As" : "Open";
    state.filters = FileFilters(*ofn);
    state.filter = ShownFilter(*ofn, state.filters.size());
    DialogTemplate dialog;
    HINSTANCE instance = nullptr;
    int templateId = 0;
    if (ofn->Flags & OFN_ENABLETEMPLATE) {
        // The caller's own template, with the controls it chose to have.
        instance = ofn->hInstance;
        templateId = ResourceNumber(ofn->lpTemplateName);
        if (!ofn->lpTemplateName || !LoadDialogTemplate(instance, ofn->lpTemplateName, &dialog)) {
            *error = GetLastError() == ERROR_INVALID_DATA ? CDERR_LOADRESFAILURE : CDERR_FINDRESFAILURE;
            return FALSE;
        }
        if (ofn->lpstrTitle) dialog.caption = ofn->lpstrTitle;
        state.caption = dialog.caption;
    } else {
        dialog = FileDialogTemplate(state);
    }
    INT_PTR result = RunDialogFromTemplate(instance, dialog, templateId, ofn->hwndOwner, FileDialogProc,
                                           reinterpret_cast<LPARAM>(&state));
    *error = result < 0 ? CDERR_DIALOGFAILURE : state.error;
    return result > 0 ? TRUE : FALSE;
}

}  // namespace vpr::user
