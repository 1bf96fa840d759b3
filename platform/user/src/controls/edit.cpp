// The edit control, single-line and multi-line. The text lives in the
// window's own text, so that any thread can read it.
#include <algorithm>
#include <cctype>

#include "control.h"
#include "paint.h"
#include "vpr/locale/locale.h"

namespace vpr::user {
namespace {

constexpr size_t kDefaultLimit = 30000;

struct EditState : ControlState {
    size_t anchor = 0;  // where the selection started
    size_t caret = 0;   // where it ends, and the caret stands
    size_t limit = kDefaultLimit;
    bool modified = false;
    char password = 0;
    HFONT font = nullptr;
    std::string undo;
    bool canUndo = false;
};

std::string TextOf(HWND hwnd) {
    Lock lock(WindowLock());
    auto window = FindWindowObject(hwnd);
    return window ? window->text : std::string();
}

void Store(HWND hwnd, const std::string& text) {
    Lock lock(WindowLock());
    if (auto window = FindWindowObject(hwnd)) window->text = text;
}

size_t SelStart(const EditState& s) { return std::min(s.anchor, s.caret); }
size_t SelEnd(const EditState& s) { return std::max(s.anchor, s.caret); }

// Start of the character before `at`, stepping whole characters.
size_t PreviousChar(const std::string& text, size_t at) {
    size_t position = 0, previous = 0;
    while (position < at && position < text.size()) {
        previous = position;
        position = static_cast<size_t>(KMNextChar(text.c_str() + position) - text.c_str());
    }
    return previous;
}

size_t NextChar(const std::string& text, size_t at) {
    if (at >= text.size()) return text.size();
    return static_cast<size_t>(KMNextChar(text.c_str() + at) - text.c_str());
}

void Changed(HWND hwnd) {
    InvalidateRect(hwnd, nullptr, TRUE);
    NotifyParent(hwnd, EN_UPDATE);
    NotifyParent(hwnd, EN_CHANGE);
}

// Replaces the selection. Past the limit the parent gets EN_MAXTEXT: typing
// is refused (false), a program's replacement keeps what fits.
bool ReplaceSelection(HWND hwnd, EditState& state, std::string insert, bool byUser) {
    std::string text = TextOf(hwnd);
    size_t start = std::min(SelStart(state), text.size());
    size_t end = std::min(SelEnd(state), text.size());
    size_t room = state.limit - std::min(state.limit, text.size() - (end - start));
    if (insert.size() > room) {
        NotifyParent(hwnd, EN_MAXTEXT);
        if (byUser) return false;
        insert.resize(room);
        if (insert.empty() && start == end) return false;
    }
    state.undo = text;
    state.canUndo = true;
    text.replace(start, end - start, insert);
    Store(hwnd, text);
    state.anchor = state.caret = start + insert.size();
    state.modified = true;
    Changed(hwnd);
    return true;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (;;) {
        size_t end = text.find("\r\n", start);
        lines.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) return lines;
        start = end + 2;
    }
}

size_t LineStart(const std::string& text, int line) {
    size_t at = 0;
    for (int i = 0; i < line; ++i) {
        size_t next = text.find("\r\n", at);
        if (next == std::string::npos) return std::string::npos;
        at = next + 2;
    }
    return at;
}

int LineOf(const std::string& text, size_t index) {
    int line = 0;
    for (size_t at = text.find("\r\n"); at != std::string::npos && at < index; at = text.find("\r\n", at + 2)) ++line;
    return line;
}

void TypeChar(HWND hwnd, EditState& state, char ch) {
    DWORD style = StyleOf(hwnd);
    if (style & ES_READONLY) return;
    std::string insert;
    if (ch == '\b') {
        std::string text = TextOf(hwnd);
        if (state.anchor == state.caret) {
            if (state.caret == 0) return;
            state.anchor = PreviousChar(text, state.caret);
        }
        ReplaceSelection(hwnd, state, "", true);
        return;
    }
    if (ch == '\r') {
        if (!(style & ES_MULTILINE)) return;
        insert = "\r\n";
    } else if (static_cast<unsigned char>(ch) < ' ') {
        return;
    } else {
        if ((style & ES_NUMBER) && !std::isdigit(static_cast<unsigned char>(ch))) {
            MessageBeep(0xFFFFFFFF);
            return;
        }
        if (style & ES_UPPERCASE) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
        if (style & ES_LOWERCASE) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
        insert = std::string(1, ch);
    }
    ReplaceSelection(hwnd, state, insert, true);
}

void MoveCaret(HWND hwnd, EditState& state, size_t to, bool extend) {
    state.caret = to;
    if (!extend) state.anchor = to;
    SetCaretPos(static_cast<int>(to) * kFontWidth, 1);
    InvalidateRect(hwnd, nullptr, FALSE);
}

void Paint(HWND hwnd, EditState& state) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT client;
    GetClientRect(hwnd, &client);
    DWORD style = StyleOf(hwnd);
    bool grey = (style & ES_READONLY) || !IsWindowEnabled(hwnd);
    HWND parent = GetParent(hwnd);
    HBRUSH brush = parent ? reinterpret_cast<HBRUSH>(SendMessageA(parent, grey ? WM_CTLCOLORSTATIC : WM_CTLCOLOREDIT,
                                                                  reinterpret_cast<WPARAM>(dc),
                                                                  reinterpret_cast<LPARAM>(hwnd)))
                          : nullptr;
    FillRect(dc, &client, brush ? brush : GetSysColorBrush(grey ? COLOR_BTNFACE : COLOR_WINDOW));
    if (state.font) SelectObject(dc, state.font);
    if (!IsWindowEnabled(hwnd)) SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
    SetBkMode(dc, TRANSPARENT);
    std::string text = TextOf(hwnd);
    if (state.password && !(style & ES_MULTILINE)) text.assign(text.size(), state.password);
    int y = 1;
    for (const auto& line : (style & ES_MULTILINE) ? Lines(text) : std::vector<std::string>{text}) {
        TextOutA(dc, 1, y, line.c_str(), static_cast<int>(line.size()));
        y += kFontHeight;
    }
    EndPaint(hwnd, &ps);
}

LRESULT CALLBACK EditProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* state = ControlOf<EditState>(hwnd);
    if (!state) return 0;
    DWORD style = StyleOf(hwnd);
    switch (msg) {
    case WM_CREATE:
        if (style & ES_PASSWORD) state->password = '*';
        return 0;
    case WM_GETDLGCODE: {
        LRESULT code = DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
        if ((style & ES_MULTILINE) && (style & ES_WANTRETURN)) code |= DLGC_WANTALLKEYS;
        return code;
    }
    case WM_SETTEXT: {
        Store(hwnd, lParam ? reinterpret_cast<const char*>(lParam) : "");
        state->anchor = state->caret = 0;
        state->modified = false;
        state->canUndo = false;
        if (style & ES_MULTILINE)
            InvalidateRect(hwnd, nullptr, TRUE);
        else
            Changed(hwnd);
        return TRUE;
    }
    case EM_GETSEL: {
        if (wParam) *reinterpret_cast<DWORD*>(wParam) = static_cast<DWORD>(SelStart(*state));
        if (lParam) *reinterpret_cast<DWORD*>(lParam) = static_cast<DWORD>(SelEnd(*state));
        size_t end = SelEnd(*state);
        return end > 0xFFFF ? -1 : MAKELRESULT(SelStart(*state), end);
    }
    case EM_SETSEL: {
        size_t size = TextOf(hwnd).size();
        auto start = static_cast<INT_PTR>(wParam);
        auto end = static_cast<INT_PTR>(lParam);
        if (start == -1) {
            state->anchor = state->caret;  // removes the selection, keeps the caret
        } else {
            state->anchor = std::min(static_cast<size_t>(std::max<INT_PTR>(start, 0)), size);
            state->caret = end < 0 ? size : std::min(static_cast<size_t>(end), size);
        }
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    }
    case EM_REPLACESEL:
        ReplaceSelection(hwnd, *state, lParam ? reinterpret_cast<const char*>(lParam) : "", false);
        if (!wParam) state->canUndo = false;
        return 0;
    case WM_CLEAR:
        if (!(style & ES_READONLY) && state->anchor != state->caret) ReplaceSelection(hwnd, *state, "", false);
        return 0;
    case EM_LIMITTEXT:
        state->limit = wParam ? static_cast<size_t>(wParam) : ((style & ES_MULTILINE) ? 0xFFFFFFFFu : 0x7FFFFFFEu);
        return 0;
    case EM_GETLIMITTEXT: return static_cast<LRESULT>(state->limit);
    case EM_SETREADONLY: {
        Lock lock(WindowLock());
        auto window = FindWindowObject(hwnd);
        if (wParam)
            window->style |= ES_READONLY;
        else
            window->style &= ~static_cast<DWORD>(ES_READONLY);
        lock.unlock();
        InvalidateRect(hwnd, nullptr, TRUE);
        return TRUE;
    }
    case EM_GETMODIFY: return state->modified;
    case EM_SETMODIFY: state->modified = wParam != 0; return 0;
    case EM_CANUNDO: return state->canUndo;
    case EM_EMPTYUNDOBUFFER: state->canUndo = false; return 0;
    case EM_UNDO:
    case WM_UNDO: {
        if (!state->canUndo) return FALSE;
        std::string now = TextOf(hwnd);
        Store(hwnd, state->undo);
        state->undo = now;
        state->anchor = state->caret = TextOf(hwnd).size();
        Changed(hwnd);
        return TRUE;
    }
    case EM_SETPASSWORDCHAR:
        state->password = static_cast<char>(wParam);
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case EM_GETPASSWORDCHAR: return static_cast<unsigned char>(state->password);
    case EM_GETLINECOUNT: return (style & ES_MULTILINE) ? static_cast<LRESULT>(Lines(TextOf(hwnd)).size()) : 1;
    case EM_LINEINDEX: {
        std::string text = TextOf(hwnd);
        int line = static_cast<INT_PTR>(wParam) < 0 ? LineOf(text, state->caret) : static_cast<int>(wParam);
        size_t start = (style & ES_MULTILINE) ? LineStart(text, line) : (line == 0 ? 0 : std::string::npos);
        return start == std::string::npos ? -1 : static_cast<LRESULT>(start);
    }
    case EM_LINEFROMCHAR: {
        std::string text = TextOf(hwnd);
        size_t at = static_cast<INT_PTR>(wParam) < 0 ? state->caret : static_cast<size_t>(wParam);
        return (style & ES_MULTILINE) ? LineOf(text, at) : 0;
    }
    case EM_LINELENGTH: {
        std::string text = TextOf(hwnd);
        if (!(style & ES_MULTILINE)) return static_cast<LRESULT>(text.size());
        size_t at = static_cast<INT_PTR>(wParam) < 0 ? state->caret : static_cast<size_t>(wParam);
        return static_cast<LRESULT>(Lines(text)[static_cast<size_t>(LineOf(text, at))].size());
    }
    case EM_GETLINE: {
        auto lines = Lines(TextOf(hwnd));
        size_t line = (style & ES_MULTILINE) ? wParam : 0;
        if (line >= lines.size() || !lParam) return 0;
        auto* buffer = reinterpret_cast<char*>(lParam);
        WORD size = static_cast<WORD>(static_cast<BYTE>(buffer[0]) | (static_cast<BYTE>(buffer[1]) << 8));
        size_t n = std::min<size_t>(size, lines[line].size());
        lines[line].copy(buffer, n);
        return static_cast<LRESULT>(n);
    }
    case EM_GETFIRSTVISIBLELINE: return 0;
    case EM_SCROLLCARET: return TRUE;
    case WM_SETFONT:
        state->font = reinterpret_cast<HFONT>(wParam);
        if (lParam) InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(state->font);
    case WM_CHAR: TypeChar(hwnd, *state, static_cast<char>(wParam)); return 0;
    case WM_KEYDOWN: {
        std::string text = TextOf(hwnd);
        bool shift = GetKeyState(VK_SHIFT) & 0x8000;
        switch (wParam) {
        case VK_LEFT: MoveCaret(hwnd, *state, PreviousChar(text, state->caret), shift); break;
        case VK_RIGHT: MoveCaret(hwnd, *state, NextChar(text, state->caret), shift); break;
        case VK_HOME: MoveCaret(hwnd, *state, 0, shift); break;
        case VK_END: MoveCaret(hwnd, *state, text.size(), shift); break;
        case VK_DELETE:
            if (style & ES_READONLY) break;
            if (state->anchor == state->caret) {
                if (state->caret >= text.size()) break;
                state->anchor = NextChar(text, state->caret);
            }
            ReplaceSelection(hwnd, *state, "", true);
            break;
        }
        return 0;
    }
    case WM_LBUTTONDOWN: {
        if (GetFocus() != hwnd) SetFocus(hwnd);
        size_t at = std::min(static_cast<size_t>(std::max(GET_X_LPARAM(lParam), 0) / kFontWidth), TextOf(hwnd).size());
        MoveCaret(hwnd, *state, at, wParam & MK_SHIFT);
        return 0;
    }
    case WM_SETFOCUS:
        CreateCaret(hwnd, nullptr, 1, kFontHeight);
        SetCaretPos(static_cast<int>(state->caret) * kFontWidth, 1);
        ShowCaret(hwnd);
        InvalidateRect(hwnd, nullptr, FALSE);
        NotifyParent(hwnd, EN_SETFOCUS);
        return 0;
    case WM_KILLFOCUS:
        DestroyCaret();
        InvalidateRect(hwnd, nullptr, FALSE);
        NotifyParent(hwnd, EN_KILLFOCUS);
        return 0;
    case WM_ENABLE: InvalidateRect(hwnd, nullptr, TRUE); return 0;
    case WM_PAINT: Paint(hwnd, *state); return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

}  // namespace

void RegisterEditClass() { RegisterSystemClass("Edit", EditProc, CS_DBLCLKS | CS_PARENTDC, 0); }

}  // namespace vpr::user
