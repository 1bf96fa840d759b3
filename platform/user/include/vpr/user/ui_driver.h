// The UI driver: the person in a headless run.
//
// Every modal loop of the window system hands its element to the installed
// driver once it is shown. Tests register handlers for what they expect
// ("when dialog 345 opens ..."); a handler acts only through the user-level
// operations below, which post the mouse and keyboard input a person's hand
// would and let the window system turn it into messages and notifications.
// A modal element that no handler expects is recorded as a failure (with its
// template id, caption and texts) and cancelled, so that the test fails
// instead of hanging.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "vpr/user/menu.h"
#include "vpr/user/window.h"

namespace vpr::user {

// A drag that has begun: the window it began in and the effects allowed.
struct DragStart {
    HWND source = nullptr;  // the window with the focus when the drag began
    DWORD allowedEffects = 0;
};

// Where the person lets go of a drag: a point of a window's client area,
// with MK_SHIFT, MK_CONTROL or MK_ALT held; or Escape pressed.
struct DropPlace {
    bool escape = false;
    HWND window = nullptr;
    POINT point{0, 0};
    DWORD keys = 0;
};

struct ModalElement {
    HWND window = nullptr;  // the dialog
    int templateId = 0;
    std::string caption;
    std::string text;  // the texts of its static controls, one per line
    bool messageBox = false;
    UINT messageBoxType = 0;  // a message box's MB_ buttons, icon and default button
    bool fileDialog = false;  // a file-open or file-save dialog, on any template
};

class UiDriver {
public:
    using Handler = std::function<void(const ModalElement&)>;

    // Installs the driver for the process; only one may be installed at a time.
    UiDriver();
    ~UiDriver();
    UiDriver(const UiDriver&) = delete;
    UiDriver& operator=(const UiDriver&) = delete;

    // The next opening of the dialog made from the template runs the handler.
    // Handlers for one template run in the order they were added, once each.
    void OnDialog(int templateId, Handler handler);
    // Every opening of dialogs with this caption runs the handler (for dialogs
    // not made from a numbered template).
    void OnDialogCaption(const std::string& caption, Handler handler);
    // The next opening of a dialog with this caption runs the handler, once;
    // such handlers come before the lasting ones of OnDialogCaption.
    void OnNextDialogCaption(const std::string& caption, Handler handler);
    // The next file-open or file-save dialog, whatever its template, runs the
    // handler, unless a handler for its template or caption comes first.
    // Handlers run in the order they were added, once each.
    void OnFileDialog(Handler handler);
    // The next message box whose text begins with textStart runs the handler
    // (the caption is not looked at); handlers for one text run in the order
    // they were added, once each. The handler answers with ui::Click(box, IDYES)
    // and the like.
    void OnMessageBox(const std::string& textStart, Handler handler);

    // What the person does with the next pop-up menu (TrackPopupMenu): the
    // command chosen (ui::ChooseMenuItem), 0 to dismiss it. Handlers run in
    // the order they were added, once each. A pop-up menu that no handler
    // expects is dismissed, as a person would, and is no failure.
    using MenuHandler = std::function<UINT(const PopupMenu&)>;
    void OnPopupMenu(MenuHandler handler);
    // Every pop-up menu that opened while the driver was installed.
    std::vector<PopupMenu> PopupMenus() const;

    // Drags a program starts (DoDragDrop): the handler says where the person
    // lets go, or that Escape was pressed. An unexpected drag is a failure
    // and is cancelled.
    using DragHandler = std::function<DropPlace(const DragStart&)>;
    void OnDrag(DragHandler handler);

    // What went wrong: unexpected elements, operations a person could not do.
    std::vector<std::string> Failures() const;
    // Every element the driver saw, in order.
    std::vector<ModalElement> Seen() const;
    // The types of MessageBeep calls made while the driver was installed.
    std::vector<UINT> Beeps() const;
    // Handlers registered and not yet used.
    size_t PendingHandlers() const;

    // Who hears of events as they happen (a script prints them at once):
    // each failure as it is recorded, and each help call (WinHelpA).
    struct Listener {
        std::function<void(const std::string& failure)> failure;
        std::function<void(const std::string& file, UINT command, ULONG_PTR data)> help;
    };
    void SetListener(Listener listener);

    static UiDriver* Installed();

    struct State;
    std::unique_ptr<State> state_;
};

// User-level operations. Each one acts as a person would and returns false
// (recording a failure with the installed driver) when a person could not do
// it: the control is missing, hidden or disabled, the row does not exist.
// The drag loop asks the installed driver where the person drops; without
// a driver, or with no handler waiting (a failure), the drag is cancelled.
DropPlace DriverPlaceDrop(const DragStart& start);

// A modal window that is no dialog (a modal form of the form library) meets
// the driver as a dialog does, by its caption: kHandled when a handler took
// it (and has run); kUnexpected when none waited (recorded as a failure: the
// caller cancels the window); kNone when no driver is installed, or, with
// onlyWhenExpected, when no handler waited (nothing is recorded).
enum class ModalOutcome { kNone, kHandled, kUnexpected };
ModalOutcome DriverActOnModalWindow(HWND window, bool onlyWhenExpected);

namespace ui {

// Clicks a control with the left button.
bool Click(HWND dialog, int controlId);
// Clicks a control at a point of its client area (a day of a calendar).
bool ClickPoint(HWND dialog, int controlId, int x, int y);
// Clicks a check box or radio button until it shows the wanted state.
bool Check(HWND dialog, int controlId, bool checked);
// Clicks into an edit (or combo box) and types the text at the caret.
bool Type(HWND dialog, int controlId, const std::string& text);
// Clicks into an edit, selects all of its text and types over it.
bool ReplaceText(HWND dialog, int controlId, const std::string& text);
// Selects a row of a list box or list view (a click on it; MK_CONTROL in
// keys adds it to the selection), of a combo box (drops the list and
// clicks the row) or of a tree view (the row-th item a person sees).
bool SelectRow(HWND dialog, int controlId, int row, WPARAM keys = 0);
// Double-clicks a row of a list box or list view.
bool DoubleClickRow(HWND dialog, int controlId, int row);
// Acting on an item of a list view (`item` its index) or of a tree view
// (`item` its HTREEITEM) in any window, as the mouse would: the control is
// given the button messages at the item's label.
bool ClickItem(HWND control, LPARAM item, WPARAM keys = 0);
bool RightClickItem(HWND control, LPARAM item);
bool DoubleClickItem(HWND control, LPARAM item);
// Presses the left button on the item and moves the mouse away: the control
// begins a drag (LVN_BEGINDRAG, TVN_BEGINDRAG); where it ends is the drag
// handler's answer (UiDriver::OnDrag).
bool DragItem(HWND control, LPARAM item);
// Renames an item as a person does: selects it, clicks its label again,
// types the text over the label and presses Enter.
bool EditItemLabel(HWND control, LPARAM item, const std::string& text);
// Clicks the header of a list view's column (from 0).
bool ClickColumn(HWND dialog, int controlId, int column);
// Selects the node of a tree view named by its labels from a root item
// down, opening each closed parent as a person does: selected, then the
// right arrow.
bool SelectTreeNode(HWND dialog, int controlId, const std::vector<std::string>& labels);
// Types a label into the label edit that a tree or list view runs and
// presses Enter; without a text presses Esc.
bool EditLabel(HWND dialog, int controlId, const std::optional<std::string>& text);
// Presses and releases a key on the window that has the focus; shift or
// control may be held with it.
bool PressKey(HWND dialog, int virtualKey, bool shift = false, bool control = false);
// Holds keys down (VK_SHIFT, VK_CONTROL, VK_MENU...) while the person goes
// on, or lets them go: GetKeyState and GetAsyncKeyState see them held.
void HoldKeys(const std::vector<int>& virtualKeys, bool held);
// Presses Alt with a letter (a mnemonic).
bool PressAltKey(HWND dialog, char letter);
// Drags the thumb of a trackbar to a position with the mouse.
bool MoveSlider(HWND dialog, int controlId, int position);
// Closes the dialog with its close box.
bool CloseWindow(HWND dialog);
// True while a dialog's window exists and nothing has ended it; a modal
// window that is no dialog (a form) is open while it shows. Controls are
// found among the dialog's children and their children (a form's pages).
bool IsOpen(HWND dialog);
// The person waits, taking the dialog's messages, until the dialog ends by
// itself; false when it is still open after the time (on the platform clock).
bool WaitForClose(HWND dialog, DWORD milliseconds);

}  // namespace ui
}  // namespace vpr::user
