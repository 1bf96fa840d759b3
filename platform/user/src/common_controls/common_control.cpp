#include "common_control.h"

#include <map>

#include "control.h"

namespace vpr::user {
namespace {

struct RunningEdit {
    WNDPROC editProc = nullptr;
    std::function<void(const char*)> done;
};

std::map<HWND, RunningEdit>& RunningEdits() {
    static std::map<HWND, RunningEdit> edits;
    return edits;
}

WNDPROC EditProcOf(HWND edit) {
    Lock lock(WindowLock());
    auto it = RunningEdits().find(edit);
    return it == RunningEdits().end() ? nullptr : it->second.editProc;
}

LRESULT CALLBACK LabelEditProc(HWND edit, UINT msg, WPARAM wParam, LPARAM lParam) {
    WNDPROC editProc = EditProcOf(edit);
    if (!editProc) return DefWindowProcA(edit, msg, wParam, lParam);
    switch (msg) {
    case WM_GETDLGCODE: return DLGC_WANTALLKEYS | DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_KEYDOWN:
        if (wParam == VK_RETURN || wParam == VK_ESCAPE) {
            EndLabelEdit(edit, wParam == VK_ESCAPE);
            return 0;
        }
        break;
    case WM_CHAR:
        if (wParam == '\r' || wParam == 0x1B) return 0;
        break;
    case WM_KILLFOCUS: {
        LRESULT result = CallWindowProcA(editProc, edit, msg, wParam, lParam);
        EndLabelEdit(edit, false);
        return result;
    }
    case WM_NCDESTROY: {
        Lock lock(WindowLock());
        RunningEdits().erase(edit);  // destroyed with its control while running
        break;
    }
    default: break;
    }
    return CallWindowProcA(editProc, edit, msg, wParam, lParam);
}

}  // namespace

LRESULT SendNotify(HWND control, UINT code, NMHDR* header) {
    header->hwndFrom = control;
    header->idFrom = static_cast<UINT_PTR>(IdOf(control));
    header->code = code;
    HWND parent = GetParent(control);
    if (!parent) return 0;
    return SendMessageA(parent, WM_NOTIFY, header->idFrom, reinterpret_cast<LPARAM>(header));
}

LRESULT SendNotify(HWND control, UINT code) {
    NMHDR header{};
    return SendNotify(control, code, &header);
}

HWND StartLabelEdit(HWND control, const RECT& rect, const std::string& text,
                    std::function<void(const char* text)> done) {
    HWND edit = CreateWindowExA(0, "Edit", text.c_str(), WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL,
                                rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, control,
                                nullptr, nullptr, nullptr);
    if (!edit) return nullptr;
    {
        Lock lock(WindowLock());
        RunningEdits()[edit] = RunningEdit{nullptr, std::move(done)};
    }
    auto editProc = reinterpret_cast<WNDPROC>(
        SetWindowLongA(edit, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(LabelEditProc)));
    {
        Lock lock(WindowLock());
        RunningEdits()[edit].editProc = editProc;
    }
    SendMessageA(edit, EM_SETSEL, 0, -1);
    SetFocus(edit);
    return edit;
}

void EndLabelEdit(HWND edit, bool cancel) {
    std::function<void(const char*)> done;
    {
        Lock lock(WindowLock());
        auto it = RunningEdits().find(edit);
        if (it == RunningEdits().end() || !it->second.done) return;
        done = std::move(it->second.done);  // a second end (focus lost while closing) does nothing
    }
    std::string text(static_cast<size_t>(GetWindowTextLengthA(edit)), '\0');
    GetWindowTextA(edit, text.data(), static_cast<int>(text.size()) + 1);
    HWND control = GetParent(edit);
    bool hadFocus = GetFocus() == edit;
    done(cancel ? nullptr : text.c_str());
    WNDPROC editProc = EditProcOf(edit);
    {
        Lock lock(WindowLock());
        RunningEdits().erase(edit);
    }
    if (editProc) SetWindowLongA(edit, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(editProc));
    if (hadFocus && IsWindow(control)) SetFocus(control);
    DestroyWindow(edit);
}

int RowHeight(HIMAGELIST images) {
    int cx = 0, cy = 0;
    if (images && ImageList_GetIconSize(images, &cx, &cy)) return std::max(kFontHeight, cy);
    return kFontHeight;
}

}  // namespace vpr::user
