#include "vpr/user/ui_driver.h"

#include <algorithm>
#include <cctype>
#include <deque>
#include <map>
#include <mutex>

#include "combo_box.h"
#include "common_control.h"
#include "control.h"
#include "dialog.h"
#include "keyboard.h"
#include "ui_driver_hooks.h"
#include "vpr/win/clock.h"

namespace vpr::user {

struct UiDriver::State {
    mutable std::mutex mutex;
    std::map<int, std::deque<Handler>> byTemplate;
    std::map<std::string, Handler> byCaption;
    std::vector<std::pair<std::string, Handler>> byCaptionOnce;
    std::deque<Handler> fileDialogs;
    Listener listener;
    std::vector<std::pair<std::string, Handler>> byMessageText;
    std::vector<std::string> failures;
    std::vector<ModalElement> seen;
    std::vector<UINT> beeps;
    std::deque<MenuHandler> menuHandlers;
    std::deque<DragHandler> dragHandlers;
    std::vector<PopupMenu> menus;
};

namespace {

std::mutex g_installMutex;
UiDriver* g_driver = nullptr;

// Records a failure and tells the listener, outside every lock, since the
// listener may act again.
void Fail(const std::string& what) {
    std::function<void(const std::string&)> tell;
    {
        std::lock_guard lock(g_installMutex);
        if (!g_driver) return;
        std::lock_guard stateLock(g_driver->state_->mutex);
        g_driver->state_->failures.push_back(what);
        tell = g_driver->state_->listener.failure;
    }
    if (tell) tell(what);
}

std::string TextOf(HWND hwnd) {
    char text[1024] = {};
    GetWindowTextA(hwnd, text, sizeof text);
    return text;
}

ModalElement Describe(HWND dialog) {
    ModalElement element;
    element.window = dialog;
    element.templateId = DialogTemplateId(dialog);
    if (auto* state = DialogOf(dialog)) {
        element.messageBox = state->messageBox;
        element.messageBoxType = state->messageBoxType;
    }
    element.fileDialog = GetPropA(dialog, kFileDialogProperty) != nullptr;
    element.caption = TextOf(dialog);
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!(SendMessageA(child, WM_GETDLGCODE, 0, 0) & DLGC_STATIC)) continue;
        std::string text = TextOf(child);
        if (text.empty()) continue;
        if (!element.text.empty()) element.text += "\n";
        element.text += text;
    }
    return element;
}

std::string Name(const ModalElement& element) {
    if (element.messageBox) return "message box \"" + element.caption + "\" (" + element.text + ")";
    return "dialog " + std::to_string(element.templateId) + " \"" + element.caption + "\" (" + element.text + ")";
}

// Takes the input the operations posted, as the dialog's message loop would.
void Pump(HWND dialog) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        if (!IsWindow(dialog) || !IsDialogMessageA(dialog, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
}

// A control of the dialog by id: a child, else a child of a child (a page
// of a form's notebook holds its controls).
HWND FindControl(HWND parent, int id) {
    if (HWND child = GetDlgItem(parent, id)) return child;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (HWND found = FindControl(child, id)) return found;
    return nullptr;
}

HWND UsableControl(HWND dialog, int id, const char* action) {
    HWND control = FindControl(dialog, id);
    std::string where = std::string(action) + " control " + std::to_string(id) + " of dialog " +
                        std::to_string(DialogTemplateId(dialog));
    if (!control) {
        Fail("cannot " + where + ": no such control");
        return nullptr;
    }
    if (!IsWindowVisible(control) || !IsWindowEnabled(control)) {
        Fail("cannot " + where + ": it is hidden or disabled");
        return nullptr;
    }
    return control;
}

// The left button goes down over the control: its window is activated as
// the control asks; false when the control eats the click.
bool ActivateForClick(HWND control) {
    HWND top = TopLevelOf(control);
    LRESULT activate = SendMessageA(control, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(top),
                                    MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN));
    if (activate == MA_ACTIVATE || activate == MA_ACTIVATEANDEAT) SetActiveWindow(top);
    if (activate == MA_ACTIVATEANDEAT || activate == MA_NOACTIVATEANDEAT) return false;
    // The pointer over the control takes the cursor the control sets.
    SendMessageA(control, WM_SETCURSOR, reinterpret_cast<WPARAM>(control), MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN));
    return true;
}

// A click at a point of the control, the way the mouse delivers it.
void ClickAt(HWND dialog, HWND control, POINT at, WPARAM keys, bool twice) {
    if (!ActivateForClick(control)) return;
    PostMouseInput(control, WM_LBUTTONDOWN, MK_LBUTTON | keys, at);
    PostMouseInput(control, WM_LBUTTONUP, keys, at);
    if (twice) {
        PostMouseInput(control, WM_LBUTTONDBLCLK, MK_LBUTTON | keys, at);
        PostMouseInput(control, WM_LBUTTONUP, keys, at);
    }
    Pump(dialog);
}

POINT Center(HWND control) {
    RECT client;
    GetClientRect(control, &client);
    return POINT{client.right / 2, client.bottom / 2};
}

void PostKey(HWND dialog, int vk, bool down) {
    HWND focus = GetFocus();
    if (!focus) focus = dialog;
    PostMessageA(focus, down ? WM_KEYDOWN : WM_KEYUP, static_cast<WPARAM>(vk), down ? 1 : 0xC0000001);
}

// Selects the focused edit's whole text and deletes it, as a person does
// with Home, Shift+End and Delete.
void ClearFocusedText(HWND dialog) {
    PostKey(dialog, VK_HOME, true);
    PostKey(dialog, VK_HOME, false);
    PostKey(dialog, VK_SHIFT, true);
    PostKey(dialog, VK_END, true);
    PostKey(dialog, VK_END, false);
    PostKey(dialog, VK_SHIFT, false);
    PostKey(dialog, VK_DELETE, true);
    PostKey(dialog, VK_DELETE, false);
    Pump(dialog);
}

void TypeChars(HWND dialog, const std::string& text) {
    for (char c : text) {
        unsigned char u = static_cast<unsigned char>(c);
        int vk = std::isalpha(u) ? std::toupper(u) : (std::isdigit(u) || c == ' ') ? u : 0;
        if (vk) {
            bool shift = std::isupper(u);
            if (shift) PostKey(dialog, VK_SHIFT, true);
            PostKey(dialog, vk, true);
            Pump(dialog);  // the key turns into its character here
            PostKey(dialog, vk, false);
            if (shift) PostKey(dialog, VK_SHIFT, false);
        } else {
            // Characters without a key of their own arrive as characters.
            HWND focus = GetFocus();
            PostMessageA(focus ? focus : dialog, WM_CHAR, u, 1);
        }
        Pump(dialog);
    }
}

}  // namespace

UiDriver::UiDriver() : state_(std::make_unique<State>()) {
    std::lock_guard lock(g_installMutex);
    g_driver = this;
}

UiDriver::~UiDriver() {
    std::lock_guard lock(g_installMutex);
    if (g_driver == this) g_driver = nullptr;
}

UiDriver* UiDriver::Installed() {
    std::lock_guard lock(g_installMutex);
    return g_driver;
}

void UiDriver::OnDialog(int templateId, Handler handler) {
    std::lock_guard lock(state_->mutex);
    state_->byTemplate[templateId].push_back(std::move(handler));
}

void UiDriver::OnMessageBox(const std::string& textStart, Handler handler) {
    std::lock_guard lock(state_->mutex);
    state_->byMessageText.emplace_back(textStart, std::move(handler));
}

void UiDriver::OnDialogCaption(const std::string& caption, Handler handler) {
    std::lock_guard lock(state_->mutex);
    state_->byCaption[caption] = std::move(handler);
}

void UiDriver::OnNextDialogCaption(const std::string& caption, Handler handler) {
    std::lock_guard lock(state_->mutex);
    state_->byCaptionOnce.emplace_back(caption, std::move(handler));
}

void UiDriver::OnFileDialog(Handler handler) {
    std::lock_guard lock(state_->mutex);
    state_->fileDialogs.push_back(std::move(handler));
}

void UiDriver::SetListener(Listener listener) {
    std::lock_guard lock(state_->mutex);
    state_->listener = std::move(listener);
}

std::vector<std::string> UiDriver::Failures() const {
    std::lock_guard lock(state_->mutex);
    return state_->failures;
}

std::vector<ModalElement> UiDriver::Seen() const {
    std::lock_guard lock(state_->mutex);
    return state_->seen;
}

std::vector<UINT> UiDriver::Beeps() const {
    std::lock_guard lock(state_->mutex);
    return state_->beeps;
}

size_t UiDriver::PendingHandlers() const {
    std::lock_guard lock(state_->mutex);
    size_t count = state_->menuHandlers.size() + state_->dragHandlers.size();
    for (auto& [id, handlers] : state_->byTemplate) count += handlers.size();
    count += state_->byMessageText.size() + state_->byCaptionOnce.size() + state_->fileDialogs.size();
    return count;
}

void UiDriver::OnPopupMenu(MenuHandler handler) {
    std::lock_guard lock(state_->mutex);
    state_->menuHandlers.push_back(std::move(handler));
}

std::vector<PopupMenu> UiDriver::PopupMenus() const {
    std::lock_guard lock(state_->mutex);
    return state_->menus;
}

void UiDriver::OnDrag(DragHandler handler) {
    std::lock_guard lock(state_->mutex);
    state_->dragHandlers.push_back(std::move(handler));
}

DropPlace DriverPlaceDrop(const DragStart& start) {
    DropPlace cancel;
    cancel.escape = true;
    UiDriver* driver = UiDriver::Installed();
    if (!driver) return cancel;
    UiDriver::DragHandler handler;
    {
        std::lock_guard lock(driver->state_->mutex);
        auto& state = *driver->state_;
        if (!state.dragHandlers.empty()) {
            handler = std::move(state.dragHandlers.front());
            state.dragHandlers.pop_front();
        }
    }
    if (!handler) {
        Fail("unexpected drag from window \"" + TextOf(start.source) + "\"");
        return cancel;
    }
    return handler(start);
}

UINT DriverChooseFromMenu(const PopupMenu& open) {
    UiDriver* driver = UiDriver::Installed();
    if (!driver) return 0;
    UiDriver::MenuHandler handler;
    {
        std::lock_guard lock(driver->state_->mutex);
        auto& state = *driver->state_;
        state.menus.push_back(open);
        if (!state.menuHandlers.empty()) {
            handler = std::move(state.menuHandlers.front());
            state.menuHandlers.pop_front();
        }
    }
    return handler ? handler(open) : 0;
}

namespace {

enum class Match { kNoDriver, kHandled, kUnexpected, kNotExpected };

// Gives the modal element to the handler waiting for it. A window that is no
// dialog (a modal form) is matched by caption only; with onlyWhenExpected an
// element no handler waits for is left alone and not recorded.
Match ActOnModal(HWND dialog, bool onlyWhenExpected) {
    UiDriver* driver = UiDriver::Installed();
    if (!driver) return Match::kNoDriver;
    ModalElement element = Describe(dialog);
    UiDriver::Handler handler;
    std::string unexpected;
    {
        std::lock_guard lock(driver->state_->mutex);
        auto& state = *driver->state_;
        state.seen.push_back(element);
        auto it = state.byTemplate.find(element.templateId);
        auto byText = std::find_if(state.byMessageText.begin(), state.byMessageText.end(), [&](const auto& entry) {
            return element.text.compare(0, entry.first.size(), entry.first) == 0;
        });
        auto once = std::find_if(state.byCaptionOnce.begin(), state.byCaptionOnce.end(),
                                 [&](const auto& entry) { return entry.first == element.caption; });
        auto byCaption = state.byCaption.find(element.caption);
        if (element.messageBox) {
            if (byText != state.byMessageText.end()) {
                handler = std::move(byText->second);
                state.byMessageText.erase(byText);
            }
        } else if (element.templateId && it != state.byTemplate.end() && !it->second.empty()) {
            handler = std::move(it->second.front());
            it->second.pop_front();
        } else if (once != state.byCaptionOnce.end()) {
            handler = std::move(once->second);
            state.byCaptionOnce.erase(once);
        } else if (byCaption != state.byCaption.end()) {
            handler = byCaption->second;
        } else if (element.fileDialog && !state.fileDialogs.empty()) {
            handler = std::move(state.fileDialogs.front());
            state.fileDialogs.pop_front();
        }
        if (!handler && onlyWhenExpected) {
            state.seen.pop_back();
            return Match::kNotExpected;
        }
        if (!handler) unexpected = "unexpected " + Name(element);
    }
    if (!handler) {
        Fail(unexpected);
        EndDialog(dialog, IDCANCEL);
        return Match::kUnexpected;
    }
    Pump(dialog);
    handler(element);
    if (IsWindow(dialog)) Pump(dialog);
    return Match::kHandled;
}

}  // namespace

bool DriverActOnDialog(HWND dialog) { return ActOnModal(dialog, false) != Match::kNoDriver; }

ModalOutcome DriverActOnModalWindow(HWND window, bool onlyWhenExpected) {
    switch (ActOnModal(window, onlyWhenExpected)) {
        case Match::kHandled: return ModalOutcome::kHandled;
        case Match::kUnexpected: return ModalOutcome::kUnexpected;
        default: return ModalOutcome::kNone;
    }
}

// WinHelpA tells the listener of each call.
void DriverHelpCalled(const char* file, UINT command, ULONG_PTR data) {
    UiDriver* driver = UiDriver::Installed();
    if (!driver) return;
    std::function<void(const std::string&, UINT, ULONG_PTR)> tell;
    {
        std::lock_guard lock(driver->state_->mutex);
        tell = driver->state_->listener.help;
    }
    if (tell) tell(file ? file : "", command, data);
}

namespace {
// Clicks the row-th item a person sees in a tree.
bool SelectTreeRow(HWND dialog, HWND tree, int id, int row);
}  // namespace

namespace ui {

bool Click(HWND dialog, int id) {
    HWND control = UsableControl(dialog, id, "click");
    if (!control) return false;
    ClickAt(dialog, control, Center(control), 0, false);
    return true;
}

bool ClickPoint(HWND dialog, int id, int x, int y) {
    HWND control = UsableControl(dialog, id, "click");
    if (!control) return false;
    ClickAt(dialog, control, POINT{x, y}, 0, false);
    return true;
}

bool Check(HWND dialog, int id, bool checked) {
    HWND control = UsableControl(dialog, id, "check");
    if (!control) return false;
    for (int tries = 0; tries < 3; ++tries) {
        if ((SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED) == checked) return true;
        ClickAt(dialog, control, Center(control), 0, false);
    }
    Fail("control " + std::to_string(id) + " does not take the wanted check state");
    return false;
}

bool Type(HWND dialog, int id, const std::string& text) {
    HWND control = UsableControl(dialog, id, "type into");
    if (!control) return false;
    if (GetFocus() != control) {
        // A click puts the caret where it lands: click right of the text.
        RECT client;
        GetClientRect(control, &client);
        ClickAt(dialog, control, POINT{client.right - 1, 1}, 0, false);
    }
    TypeChars(dialog, text);
    return true;
}

bool ReplaceText(HWND dialog, int id, const std::string& text) {
    HWND control = UsableControl(dialog, id, "type into");
    if (!control) return false;
    if (GetFocus() != control) ClickAt(dialog, control, POINT{1, 1}, 0, false);
    ClearFocusedText(dialog);
    TypeChars(dialog, text);
    return true;
}

bool SelectRow(HWND dialog, int id, int row, WPARAM keys) {
    HWND control = UsableControl(dialog, id, "select a row of");
    if (!control) return false;
    char className[32];
    GetClassNameA(control, className, sizeof className);
    if (EqualNoCase(className, "ComboBox")) {
        if (!ComboPickRow(control, row)) {
            Fail("combo box " + std::to_string(id) + " has no row " + std::to_string(row));
            return false;
        }
        Pump(dialog);
        return true;
    }
    if (EqualNoCase(className, WC_TREEVIEWA)) return SelectTreeRow(dialog, control, id, row);
    if (EqualNoCase(className, WC_LISTVIEWA)) {
        if (row < 0 || row >= SendMessageA(control, LVM_GETITEMCOUNT, 0, 0)) {
            Fail("list view " + std::to_string(id) + " has no row " + std::to_string(row));
            return false;
        }
        SendMessageA(control, LVM_ENSUREVISIBLE, row, FALSE);
        RECT item{LVIR_LABEL, 0, 0, 0};
        SendMessageA(control, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&item));
        ClickAt(dialog, control, POINT{item.left + 1, item.top + 1}, keys, false);
        return true;
    }
    if (row < 0 || row >= SendMessageA(control, LB_GETCOUNT, 0, 0)) {
        Fail("list box " + std::to_string(id) + " has no row " + std::to_string(row));
        return false;
    }
    // Scroll the row into view first, as a person would.
    RECT item;
    SendMessageA(control, LB_GETITEMRECT, row, reinterpret_cast<LPARAM>(&item));
    RECT client;
    GetClientRect(control, &client);
    if (item.top < 0 || item.bottom > client.bottom) {
        SendMessageA(control, LB_SETTOPINDEX, row, 0);
        SendMessageA(control, LB_GETITEMRECT, row, reinterpret_cast<LPARAM>(&item));
    }
    // In the middle of the row, where a person clicks a row's text (its left
    // edge may hold controls of its own, such as check boxes).
    ClickAt(dialog, control, POINT{(item.left + item.right) / 2, item.top + 1}, keys, false);
    return true;
}

namespace {

// The label rectangle of a list view's or tree view's item, scrolled into
// view; false (a failure) when the control has no such item.
bool ItemLabel(HWND control, LPARAM item, POINT* at) {
    char className[32] = {};
    GetClassNameA(control, className, sizeof className);
    RECT rect{};
    bool found = false;
    if (EqualNoCase(className, WC_LISTVIEWA)) {
        if (item >= 0 && item < SendMessageA(control, LVM_GETITEMCOUNT, 0, 0)) {
            SendMessageA(control, LVM_ENSUREVISIBLE, item, FALSE);
            rect.left = LVIR_LABEL;
            found = SendMessageA(control, LVM_GETITEMRECT, item, reinterpret_cast<LPARAM>(&rect)) != 0;
        }
    } else if (EqualNoCase(className, WC_TREEVIEWA)) {
        SendMessageA(control, TVM_ENSUREVISIBLE, 0, item);
        *reinterpret_cast<LPARAM*>(&rect) = item;
        found = SendMessageA(control, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&rect)) != 0;
    }
    if (!found) {
        Fail(std::string("the ") + className + " has no item " + std::to_string(item));
        return false;
    }
    *at = POINT{rect.left + 1, rect.top + 1};
    return true;
}

HWND TopWindow(HWND control) { return TopLevelOf(control); }

}  // namespace

bool ClickItem(HWND control, LPARAM item, WPARAM keys) {
    POINT at;
    if (!ItemLabel(control, item, &at)) return false;
    ClickAt(TopWindow(control), control, at, keys, false);
    return true;
}

bool RightClickItem(HWND control, LPARAM item) {
    POINT at;
    if (!ItemLabel(control, item, &at)) return false;
    if (!ActivateForClick(control)) return false;
    PostMouseInput(control, WM_RBUTTONDOWN, MK_RBUTTON, at);
    PostMouseInput(control, WM_RBUTTONUP, 0, at);
    Pump(TopWindow(control));
    return true;
}

bool DoubleClickItem(HWND control, LPARAM item) {
    POINT at;
    if (!ItemLabel(control, item, &at)) return false;
    ClickAt(TopWindow(control), control, at, 0, true);
    return true;
}

bool DragItem(HWND control, LPARAM item) {
    POINT at;
    if (!ItemLabel(control, item, &at)) return false;
    if (!ActivateForClick(control)) return false;
    const POINT to{at.x + 20, at.y + 20};
    PostMouseInput(control, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMouseInput(control, WM_MOUSEMOVE, MK_LBUTTON, to);
    PostMouseInput(control, WM_LBUTTONUP, 0, to);
    Pump(TopWindow(control));
    return true;
}

bool EditItemLabel(HWND control, LPARAM item, const std::string& text) {
    if (!ClickItem(control, item)) return false;
    if (!ClickItem(control, item)) return false;  // a second click on the selected label edits it
    HWND dialog = TopWindow(control);
    HWND edit = GetFocus();
    char className[16] = {};
    if (edit) GetClassNameA(edit, className, sizeof className);
    if (!edit || !EqualNoCase(className, "Edit")) {
        Fail("the item's label cannot be edited");
        return false;
    }
    SendMessageA(edit, EM_SETSEL, 0, -1);
    PostKey(dialog, VK_DELETE, true);
    PostKey(dialog, VK_DELETE, false);
    Pump(dialog);
    TypeChars(dialog, text);
    PostKey(dialog, VK_RETURN, true);
    PostKey(dialog, VK_RETURN, false);
    Pump(dialog);
    return true;
}

bool DoubleClickRow(HWND dialog, int id, int row) {
    if (!SelectRow(dialog, id, row)) return false;
    HWND control = FindControl(dialog, id);
    RECT item{LVIR_LABEL, 0, 0, 0};
    char className[32] = {};
    GetClassNameA(control, className, sizeof className);
    if (EqualNoCase(className, WC_LISTVIEWA))
        SendMessageA(control, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&item));
    else
        SendMessageA(control, LB_GETITEMRECT, row, reinterpret_cast<LPARAM>(&item));
    const POINT at{item.left + 1, item.top + 1};
    PostMouseInput(control, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    PostMouseInput(control, WM_LBUTTONUP, 0, at);
    Pump(dialog);
    return true;
}

bool PressKey(HWND dialog, int vk, bool shift, bool control) {
    if (!IsWindow(dialog)) {
        Fail("cannot press a key: the window is gone");
        return false;
    }
    if (shift) PostKey(dialog, VK_SHIFT, true);
    if (control) PostKey(dialog, VK_CONTROL, true);
    PostKey(dialog, vk, true);
    Pump(dialog);
    if (IsWindow(dialog)) {
        PostKey(dialog, vk, false);
        if (control) PostKey(dialog, VK_CONTROL, false);
        if (shift) PostKey(dialog, VK_SHIFT, false);
        Pump(dialog);
    }
    return true;
}

void HoldKeys(const std::vector<int>& keys, bool held) {
    for (int key : keys) SetKeyHeld(key, held);
}

bool PressAltKey(HWND dialog, char letter) {
    if (!IsWindow(dialog)) return false;
    HWND focus = GetFocus();
    PostMessageA(focus ? focus : dialog, WM_SYSCHAR, static_cast<unsigned char>(letter), 1 << 29);
    Pump(dialog);
    return true;
}

bool MoveSlider(HWND dialog, int id, int position) {
    HWND control = UsableControl(dialog, id, "move the thumb of");
    if (!control) return false;
    int min = static_cast<int>(SendMessageA(control, TBM_GETRANGEMIN, 0, 0));
    int max = static_cast<int>(SendMessageA(control, TBM_GETRANGEMAX, 0, 0));
    if (position < min || position > max) {
        Fail("trackbar " + std::to_string(id) + " has no position " + std::to_string(position));
        return false;
    }
    RECT thumb;
    SendMessageA(control, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
    POINT to = TrackbarPointOf(control, position);
    if (!ActivateForClick(control)) return true;
    PostMouseInput(control, WM_LBUTTONDOWN, MK_LBUTTON, POINT{(thumb.left + thumb.right) / 2, (thumb.top + thumb.bottom) / 2});
    PostMouseInput(control, WM_MOUSEMOVE, MK_LBUTTON, to);
    PostMouseInput(control, WM_LBUTTONUP, 0, to);
    Pump(dialog);
    return true;
}

bool CloseWindow(HWND dialog) {
    if (!IsWindow(dialog)) return false;
    PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    Pump(dialog);
    return true;
}

bool IsOpen(HWND dialog) {
    if (!IsWindow(dialog)) return false;
    // A modal window that is no dialog (a form) is open while it shows.
    if (!DialogOf(dialog)) return IsWindowVisible(dialog);
    return !DialogEnded(dialog);
}

bool WaitForClose(HWND dialog, DWORD milliseconds) {
    DWORD start = GetTickCount();
    for (;;) {
        Pump(dialog);
        if (!IsOpen(dialog)) return true;
        DWORD waited = GetTickCount() - start;
        if (waited >= milliseconds) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds - waited, QS_ALLINPUT);
    }
}

}  // namespace ui

namespace {

// The text of a tree item.
std::string TreeItemText(HWND tree, HTREEITEM item) {
    char text[1024] = {};
    TVITEMA data{};
    data.mask = TVIF_TEXT;
    data.hItem = item;
    data.pszText = text;
    data.cchTextMax = sizeof text;
    SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&data));
    return text;
}

HTREEITEM TreeNext(HWND tree, UINT code, HTREEITEM item) {
    return reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, code, reinterpret_cast<LPARAM>(item)));
}

// A click on a tree item's label, unless it is the selected one already (a
// second click there would start editing its label).
void ClickTreeItem(HWND dialog, HWND tree, HTREEITEM item) {
    if (TreeNext(tree, TVGN_CARET, nullptr) == item && GetFocus() == tree) return;
    SendMessageA(tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item));
    RECT label{};
    *reinterpret_cast<HTREEITEM*>(&label) = item;
    SendMessageA(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&label));
    ClickAt(dialog, tree, POINT{label.left + 1, label.top + 1}, 0, false);
}

// The items a person sees in a tree, top to bottom.
std::vector<HTREEITEM> VisibleTreeItems(HWND tree) {
    std::vector<HTREEITEM> items;
    for (HTREEITEM item = TreeNext(tree, TVGN_ROOT, nullptr); item; item = TreeNext(tree, TVGN_NEXTVISIBLE, item))
        items.push_back(item);
    return items;
}

bool SelectTreeRow(HWND dialog, HWND tree, int id, int row) {
    std::vector<HTREEITEM> items = VisibleTreeItems(tree);
    if (row < 0 || row >= static_cast<int>(items.size())) {
        Fail("tree view " + std::to_string(id) + " has no row " + std::to_string(row));
        return false;
    }
    ClickTreeItem(dialog, tree, items[static_cast<size_t>(row)]);
    return true;
}

bool IsClass(HWND control, const char* name) {
    char className[32] = {};
    GetClassNameA(control, className, sizeof className);
    return EqualNoCase(className, name);
}

}  // namespace

namespace ui {

bool ClickColumn(HWND dialog, int id, int column) {
    HWND control = UsableControl(dialog, id, "click a column header of");
    if (!control) return false;
    int left = 0;
    for (int i = 0; i < column; ++i) left += static_cast<int>(SendMessageA(control, LVM_GETCOLUMNWIDTH, i, 0));
    LVCOLUMNA info{};
    info.mask = LVCF_WIDTH;
    if (column < 0 || !SendMessageA(control, LVM_GETCOLUMNA, column, reinterpret_cast<LPARAM>(&info))) {
        Fail("list view " + std::to_string(id) + " has no column " + std::to_string(column));
        return false;
    }
    ClickAt(dialog, control, POINT{left + 2, 2}, 0, false);
    return true;
}

bool SelectTreeNode(HWND dialog, int id, const std::vector<std::string>& labels) {
    HWND tree = UsableControl(dialog, id, "select a node of");
    if (!tree) return false;
    HTREEITEM item = nullptr;
    for (size_t level = 0; level < labels.size(); ++level) {
        TVITEMA state{};
        state.mask = TVIF_STATE;
        state.hItem = item;
        state.stateMask = TVIS_EXPANDED;
        if (item) SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&state));
        if (item && !(state.state & TVIS_EXPANDED) && TreeNext(tree, TVGN_CHILD, item)) {
            // The parent opens as a person opens it: selected, then the right arrow.
            ClickTreeItem(dialog, tree, item);
            PressKey(dialog, VK_RIGHT);
        }
        HTREEITEM child = item ? TreeNext(tree, TVGN_CHILD, item) : TreeNext(tree, TVGN_ROOT, nullptr);
        while (child && TreeItemText(tree, child) != labels[level]) child = TreeNext(tree, TVGN_NEXT, child);
        if (!child) {
            Fail("tree view " + std::to_string(id) + " has no node " + labels[level]);
            return false;
        }
        item = child;
    }
    if (item) ClickTreeItem(dialog, tree, item);
    return item != nullptr;
}

bool EditLabel(HWND dialog, int id, const std::optional<std::string>& text) {
    HWND control = GetDlgItem(dialog, id);
    UINT get = control && IsClass(control, WC_TREEVIEWA) ? TVM_GETEDITCONTROL : LVM_GETEDITCONTROL;
    HWND edit = control ? reinterpret_cast<HWND>(SendMessageA(control, get, 0, 0)) : nullptr;
    if (!edit) {
        Fail("control " + std::to_string(id) + " edits no label now");
        return false;
    }
    if (GetFocus() != edit) SetFocus(edit);
    if (text) {
        ClearFocusedText(dialog);
        TypeChars(dialog, *text);
    }
    PressKey(dialog, text ? VK_RETURN : VK_ESCAPE);
    return true;
}

}  // namespace ui
}  // namespace vpr::user

extern "C" BOOL WINAPI MessageBeep(UINT type) {
    std::lock_guard lock(vpr::user::g_installMutex);
    if (vpr::user::g_driver) {
        std::lock_guard stateLock(vpr::user::g_driver->state_->mutex);
        vpr::user::g_driver->state_->beeps.push_back(type);
    }
    return TRUE;
}
