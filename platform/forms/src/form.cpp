#include "vpr/forms/form.h"

#include <algorithm>

#include "vpr/forms/application.h"
#include "vpr/forms/reader.h"
#include "vpr/user/ui_driver.h"
#include "form_script.h"
#include "window_class.h"

namespace vpr::forms {
namespace {

// Every form of the program, oldest first, and the modal ones, innermost last.
std::vector<TForm*>& Forms() {
    static std::vector<TForm*> forms;
    return forms;
}
std::vector<TForm*>& ModalForms() {
    static std::vector<TForm*> forms;
    return forms;
}

// The default button of the form: the first visible, enabled one.
TButton* FindButton(TWinControl* parent, bool cancel) {
    for (TControl* control : parent->Controls()) {
        if (auto* button = dynamic_cast<TButton*>(control)) {
            bool wanted = cancel ? button->Cancel : button->Default();
            if (wanted && button->HandleAllocated() && IsWindowVisible(button->Handle()) &&
                IsWindowEnabled(button->Handle()))
                return button;
        } else if (auto* container = dynamic_cast<TWinControl*>(control)) {
            if (TButton* found = FindButton(container, cancel)) return found;
        }
    }
    return nullptr;
}

}  // namespace

TModalResultValue& TModalResultValue::operator=(int value) {
    value_ = value;
    form_.ModalResultSet();
    return *this;
}

const TFormClass& TForm::StaticClass() {
    static const TFormClass record = TFormClass::Make<TForm>("TForm", nullptr);
    return record;
}

TForm::TForm(TComponent* owner) : TWinControl(owner) {
    visible_ = false;
    width_ = 400;
    height_ = 300;
    Forms().push_back(this);
    HandleNeeded();
    SetFont(font_);
}

TForm::~TForm() {
    destroying_ = true;
    auto& forms = Forms();
    forms.erase(std::remove(forms.begin(), forms.end(), this), forms.end());
    auto& modal = ModalForms();
    modal.erase(std::remove(modal.begin(), modal.end(), this), modal.end());
    if (Application && Application->MainForm == this) Application->MainForm = nullptr;
    // The controls' windows go before the form's, and the components with them.
    while (!Components().empty()) Components().back()->Free();
    DestroyHandle();
    if (fontHandle_) DeleteObject(fontHandle_);
}

TWinControl::WindowParams TForm::CreateParams() const {
    DWORD style = WS_CLIPCHILDREN;
    switch (borderStyle_) {
        case bsNone: style |= WS_POPUP; break;
        case bsSingle: style |= WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX; break;
        case bsDialog: style |= WS_CAPTION | WS_SYSMENU | WS_DLGFRAME; break;
        case bsSizeable: style |= WS_OVERLAPPEDWINDOW; break;
    }
    return WindowParams{ContainerClassName(), style, WS_EX_CONTROLPARENT};
}

bool TForm::SetProperty(TReader& reader, const std::string& name, const FormValue& value) {
    if (SameText(name, "Font.Name")) {
        TFont font = font_;
        font.Name = reader.String(value);
        SetFont(font);
    } else if (SameText(name, "Font.Size")) {
        TFont font = font_;
        font.Size = reader.Integer(value);
        SetFont(font);
    } else if (SameText(name, "BorderStyle")) {
        borderStyle_ = static_cast<TBorderStyle>(reader.Enum(value, {"bsNone", "bsSingle", "bsSizeable", "bsDialog"}));
        SetWindowLongA(handle_, GWL_STYLE, static_cast<LONG_PTR>(CreateParams().style));
    } else if (SameText(name, "Position")) {
        Position = static_cast<TPosition>(reader.Enum(value, {"poDesigned", "poScreenCenter"}));
    } else if (SameText(name, "OnCreate")) {
        OnCreate = reader.NotifyEvent(value);
    } else if (SameText(name, "OnDestroy")) {
        OnDestroy = reader.NotifyEvent(value);
    } else if (SameText(name, "OnShow")) {
        OnShow = reader.NotifyEvent(value);
    } else if (SameText(name, "OnClose")) {
        OnClose = reader.NotifyEvent(value);
    } else if (SameText(name, "ClientWidth") || SameText(name, "ClientHeight")) {
        RECT frame{0, 0, 0, 0};
        AdjustWindowRectEx(&frame, CreateParams().style, FALSE, WS_EX_CONTROLPARENT);
        int size = reader.Integer(value);
        if (SameText(name, "ClientWidth")) SetBounds(left_, top_, size + frame.right - frame.left, height_);
        else SetBounds(left_, top_, width_, size + frame.bottom - frame.top);
    } else {
        return TWinControl::SetProperty(reader, name, value);
    }
    return true;
}

void TForm::AfterConstruction() {
    if (OnCreate) OnCreate(this);
}

void TForm::BeforeDestruction() {
    if (OnDestroy && !destroying_) InitApplication()->Guard([this] { OnDestroy(this); });
    destroying_ = true;
}

void TForm::SetFont(const TFont& font) {
    font_ = font;
    HFONT old = fontHandle_;
    fontHandle_ = CreateFontA(-(font.Size * 4 / 3), 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0,
                              font.Name.c_str());
    FontChanged();
    if (old) DeleteObject(old);
}

void TForm::FontChanged() {
    if (handle_ && fontHandle_) SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(fontHandle_), FALSE);
    for (TControl* control : controls_)
        if (auto* win = dynamic_cast<TWinControl*>(control)) win->FontChanged();
}

void TForm::Show() {
    if (Position == poScreenCenter) {
        int x = (GetSystemMetrics(SM_CXSCREEN) - width_) / 2;
        int y = (GetSystemMetrics(SM_CYSCREEN) - height_) / 2;
        SetBounds(x, y, width_, height_);
    }
    visible_ = true;
    ShowWindow(handle_, SW_SHOW);
    SetActiveWindow(handle_);
    if (GetFocus() == nullptr || !IsChild(handle_, GetFocus())) {
        if (HWND first = GetNextDlgTabItem(handle_, nullptr, FALSE)) ::SetFocus(first);
    }
    if (OnShow) OnShow(this);
}

void TForm::Hide() {
    visible_ = false;
    ShowWindow(handle_, SW_HIDE);
}

void TForm::ModalResultSet() {
    // An ended modal form leaves the screen at once, so that whoever looks
    // (the UI driver) sees it closed; ShowModal returns at its next turn.
    if (modal_ && ModalResult != mrNone) {
        ShowWindow(handle_, SW_HIDE);
        PostMessageA(handle_, WM_NULL, 0, 0);
    }
}

int TForm::ShowModal() {
    if (modal_ || visible_) throw Exception("Cannot make a visible window modal");
    TApplication* app = InitApplication();
    // Every other form is disabled while this one is shown.
    std::vector<HWND> disabled;
    for (TForm* form : Forms())
        if (form != this && form->handle_ && IsWindowEnabled(form->handle_)) {
            EnableWindow(form->handle_, FALSE);
            disabled.push_back(form->handle_);
        }
    modal_ = true;
    ModalResult = mrNone;
    ModalForms().push_back(this);
    try {
        Show();
        // A handler of the UI driver waiting for this form's caption acts on
        // it; a script otherwise acts on it from its loop's idle time.
        auto outcome = user::DriverActOnModalWindow(handle_, ScriptRunning());
        if (outcome == user::ModalOutcome::kUnexpected && ModalResult == mrNone) ModalResult = mrCancel;
        while (ModalResult == mrNone && !app->Terminated()) {
            app->HandleMessage(this);
            if (ModalResult == mrNone && !IsWindowVisible(handle_)) ModalResult = mrCancel;
        }
    } catch (...) {
        modal_ = false;
        auto& modal = ModalForms();
        modal.erase(std::remove(modal.begin(), modal.end(), this), modal.end());
        for (HWND window : disabled) EnableWindow(window, TRUE);
        throw;
    }
    Hide();
    modal_ = false;
    auto& modal = ModalForms();
    modal.erase(std::remove(modal.begin(), modal.end(), this), modal.end());
    for (HWND window : disabled)
        if (IsWindow(window)) EnableWindow(window, TRUE);
    if (ActiveForm() && ActiveForm()->handle_) SetActiveWindow(ActiveForm()->handle_);
    return ModalResult;
}

void TForm::Close() {
    if (closing_) return;
    closing_ = true;
    if (OnClose) InitApplication()->Guard([this] { OnClose(this); });
    closing_ = false;
    if (modal_) {
        ModalResult = mrCancel;
        return;
    }
    Hide();
    if (Application && Application->MainForm == this) Application->Terminate();
}

void TForm::WndProc(TMessage& message) {
    switch (message.Msg) {
        case WM_CLOSE: WMClose(message); break;
        case WM_QUERYENDSESSION: message.Result = 1; break;
        case WM_ENDSESSION: WMEndSession(message); break;
        case WM_NEXTDLGCTL: WMNextDlgCtl(message); break;
        case DM_GETDEFID: WMGetDefId(message); break;
        case WM_COMMAND:
            if (message.LParam == 0 && !FindControlById(LOWORD(message.WParam))) WMCommandWithoutControl(message);
            else TWinControl::WndProc(message);
            break;
        default: TWinControl::WndProc(message);
    }
}

void TForm::WMClose(TMessage&) { Close(); }

// Windows ends: the program ends with it, its forms' destroy handlers run.
void TForm::WMEndSession(TMessage& message) {
    message.Result = 0;
    if (message.WParam) InitApplication()->Halt(0);
}

void TForm::WMNextDlgCtl(TMessage& message) {
    HWND next = message.LParam ? reinterpret_cast<HWND>(message.WParam)
                               : GetNextDlgTabItem(handle_, GetFocus(), message.WParam != 0);
    if (next) ::SetFocus(next);
}

void TForm::WMGetDefId(TMessage& message) {
    TButton* button = FindButton(this, false);
    message.Result = button ? MAKELONG(button->ControlId(), DC_HASDEFID) : 0;
}

// Enter and Escape pressed outside a button: the default or the Cancel button.
void TForm::WMCommandWithoutControl(TMessage& message) {
    int id = LOWORD(message.WParam);
    if (id == IDCANCEL) {
        if (TButton* cancel = FindButton(this, true)) return InitApplication()->Guard([cancel] { cancel->Click(); });
        if (modal_) ModalResult = mrCancel;
    }
}

TForm* FormOfWindow(HWND window) {
    for (HWND w = window; w; w = GetParent(w))
        if (auto* form = dynamic_cast<TForm*>(TWinControl::FromHandle(w))) return form;
    return nullptr;
}

std::vector<TForm*> Screen() { return Forms(); }

TForm* ActiveForm() {
    if (!ModalForms().empty()) return ModalForms().back();
    if (TForm* active = FormOfWindow(GetActiveWindow()); active && active->Visible()) return active;
    if (Application && Application->MainForm) return Application->MainForm;
    return nullptr;
}

}  // namespace vpr::forms
