// Controls and their windows. The library's own windows (forms, panels,
// pages, notebooks) are of one class whose procedure hands each message to
// the control object; the standard controls keep their system classes and
// are subclassed the same way, so that every control answers in WndProc.
#include "vpr/forms/controls.h"

#include <algorithm>

#include "vpr/forms/application.h"
#include "vpr/forms/form.h"
#include "vpr/forms/reader.h"
#include "window_class.h"

namespace vpr::forms {
namespace {

constexpr const char* kControlProperty = "vpr.forms.control";

LRESULT CALLBACK ControlProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* control = static_cast<TWinControl*>(GetPropA(window, kControlProperty));
    if (!control) return DefWindowProcA(window, msg, wParam, lParam);
    TMessage message{msg, wParam, lParam, 0};
    control->WndProc(message);
    return message.Result;
}

}  // namespace

const char* ContainerClassName() {
    static bool registered = [] {
        WNDCLASSA wc{};
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = DefWindowProcA;
        wc.lpszClassName = kContainerClass;
        RegisterClassA(&wc);
        return true;
    }();
    (void)registered;
    return kContainerClass;
}

int TStrings::IndexOf(const std::string& text) const {
    for (int i = 0; i < Count(); ++i)
        if (SameText(Get(i), text)) return i;
    return -1;
}

void TStrings::Assign(const std::vector<std::string>& texts) {
    Clear();
    for (const auto& text : texts) Add(text);
}

std::string TStringList::Get(int index) const {
    if (index < 0 || index >= Count()) throw Exception("List index out of bounds (" + std::to_string(index) + ")");
    return items_[static_cast<size_t>(index)];
}

int TStringList::Add(const std::string& text) {
    size_t at = items_.size();
    if (Sorted)
        at = static_cast<size_t>(std::upper_bound(items_.begin(), items_.end(), text, NoCaseLess()) - items_.begin());
    items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(at), text);
    return static_cast<int>(at);
}

void TStringList::Delete(int index) {
    if (index < 0 || index >= Count()) throw Exception("List index out of bounds (" + std::to_string(index) + ")");
    items_.erase(items_.begin() + index);
}

// ---- TControl ---------------------------------------------------------------

bool TControl::SetProperty(TReader& reader, const std::string& name, const FormValue& value) {
    if (SameText(name, "Left")) SetBounds(reader.Integer(value), top_, width_, height_);
    else if (SameText(name, "Top")) SetBounds(left_, reader.Integer(value), width_, height_);
    else if (SameText(name, "Width")) SetBounds(left_, top_, reader.Integer(value), height_);
    else if (SameText(name, "Height")) SetBounds(left_, top_, width_, reader.Integer(value));
    else if (SameText(name, "Visible")) SetVisible(reader.Boolean(value));
    else if (SameText(name, "Enabled")) SetEnabled(reader.Boolean(value));
    else if (SameText(name, "Caption") || SameText(name, "Text")) SetCaption(reader.String(value));
    else if (SameText(name, "HelpContext")) HelpContext = reader.Integer(value);
    else return TComponent::SetProperty(reader, name, value);
    return true;
}

void TControl::SetParent(TWinControl* parent) {
    if (parent_ == parent) return;
    if (parent_) parent_->RemoveControl(this);
    parent_ = parent;
    if (parent_) parent_->InsertControl(this);
}

TForm* TControl::ParentForm() const {
    const TControl* control = this;
    while (control->parent_) control = control->parent_;
    return dynamic_cast<TForm*>(const_cast<TControl*>(control));
}

void TControl::SetBounds(int left, int top, int width, int height) {
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
}

void TControl::SetVisible(bool visible) { visible_ = visible; }
void TControl::SetEnabled(bool enabled) { enabled_ = enabled; }
void TControl::SetCaption(const std::string& text) { caption_ = text; }

// ---- TWinControl ----------------------------------------------------------------

TWinControl::~TWinControl() {
    DestroyHandle();
    while (!controls_.empty()) controls_.back()->SetParent(nullptr);
    if (parent_) parent_->RemoveControl(this);
}

TWinControl* TWinControl::FromHandle(HWND window) {
    return window ? static_cast<TWinControl*>(GetPropA(window, kControlProperty)) : nullptr;
}

TWinControl::WindowParams TWinControl::CreateParams() const {
    return WindowParams{ContainerClassName(), WS_CHILD | WS_CLIPSIBLINGS, WS_EX_CONTROLPARENT};
}

void TWinControl::HandleNeeded() {
    if (handle_) return;
    HWND parentWindow = nullptr;
    if (parent_) {
        parent_->HandleNeeded();
        parentWindow = parent_->Handle();
    }
    WindowParams params = CreateParams();
    bool child = params.style & WS_CHILD;
    if (child && !parentWindow) return;  // made once it has a parent
    if (child && !id_) {
        if (TForm* form = ParentForm()) id_ = form->NextControlId();
    }
    DWORD style = params.style;
    if (visible_ && child) style |= WS_VISIBLE;
    if (!enabled_) style |= WS_DISABLED;
    handle_ = CreateWindowExA(params.exStyle, params.className.c_str(), caption_.c_str(), style, left_, top_, width_,
                              height_, parentWindow, child ? reinterpret_cast<HMENU>(static_cast<intptr_t>(id_)) : nullptr,
                              nullptr, nullptr);
    if (!handle_) throw Exception("Error creating window of " + ClassName() + " " + Name);
    SetPropA(handle_, kControlProperty, this);
    defaultProc_ = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(handle_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ControlProc)));
    FontChanged();
    WindowCreated();
    for (TControl* control : controls_)
        if (auto* win = dynamic_cast<TWinControl*>(control)) win->HandleNeeded();
}

void TWinControl::DestroyHandle() {
    if (!handle_) return;
    for (TControl* control : controls_)
        if (auto* win = dynamic_cast<TWinControl*>(control)) win->DestroyHandle();
    WindowDestroying();
    HWND window = handle_;
    handle_ = nullptr;
    SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(defaultProc_));
    RemovePropA(window, kControlProperty);
    DestroyWindow(window);
}

void TWinControl::RecreateWnd() {
    if (!handle_) return;
    bool focused = Focused();
    DestroyHandle();
    HandleNeeded();
    if (focused) SetFocus();
}

LRESULT TWinControl::DefaultHandler(TMessage& message) {
    WNDPROC proc = defaultProc_ ? defaultProc_ : DefWindowProcA;
    message.Result = CallWindowProcA(proc, handle_, message.Msg, message.WParam, message.LParam);
    return message.Result;
}

void TWinControl::WndProc(TMessage& message) {
    switch (message.Msg) {
        case WM_COMMAND: WMCommand(message); break;
        case WM_DRAWITEM: WMDrawItem(message); break;
        case WM_MEASUREITEM: WMMeasureItem(message); break;
        default: DefaultHandler(message);
    }
}

// A notification of a child window goes to the child's control; the
// handler's errors are shown and the loop goes on.
void TWinControl::WMCommand(TMessage& message) {
    HWND from = reinterpret_cast<HWND>(message.LParam);
    TWinControl* child = FromHandle(from);
    if (!child && !from) child = FindControlById(LOWORD(message.WParam));
    if (!child || child == this) return (void)DefaultHandler(message);
    if (TForm* form = ParentForm(); form && form->Destroying()) return;
    WORD code = HIWORD(message.WParam);
    InitApplication()->Guard([&] { child->CommandNotify(code); });
}

void TWinControl::WMDrawItem(TMessage& message) {
    const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(message.LParam);
    TWinControl* child = item ? FromHandle(item->hwndItem) : nullptr;
    if (!child) return (void)DefaultHandler(message);
    InitApplication()->Guard([&] { child->DrawItem(*item); });
    message.Result = TRUE;
}

void TWinControl::WMMeasureItem(TMessage& message) {
    auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(message.LParam);
    TWinControl* child = item ? FindControlById(static_cast<int>(item->CtlID)) : nullptr;
    if (!child) return (void)DefaultHandler(message);
    child->MeasureItem(*item);
    message.Result = TRUE;
}

void TWinControl::InsertControl(TControl* control) {
    controls_.push_back(control);
    if (auto* win = dynamic_cast<TWinControl*>(control); win && handle_) win->HandleNeeded();
}

void TWinControl::RemoveControl(TControl* control) {
    if (auto* win = dynamic_cast<TWinControl*>(control)) win->DestroyHandle();
    controls_.erase(std::remove(controls_.begin(), controls_.end(), control), controls_.end());
}

TWinControl* TWinControl::FindControlById(int id) {
    for (TControl* control : controls_) {
        auto* win = dynamic_cast<TWinControl*>(control);
        if (!win) continue;
        if (win->id_ == id) return win;
        if (TWinControl* found = win->FindControlById(id)) return found;
    }
    return nullptr;
}

void TWinControl::SetParent(TWinControl* parent) {
    if (parent_ == parent) return;
    DestroyHandle();
    TControl::SetParent(parent);
}

void TWinControl::SetBounds(int left, int top, int width, int height) {
    TControl::SetBounds(left, top, width, height);
    if (handle_) MoveWindow(handle_, left, top, width, height, TRUE);
}

void TWinControl::SetVisible(bool visible) {
    TControl::SetVisible(visible);
    if (handle_ && (GetWindowLongA(handle_, GWL_STYLE) & WS_CHILD)) ShowWindow(handle_, visible ? SW_SHOW : SW_HIDE);
}

void TWinControl::SetEnabled(bool enabled) {
    TControl::SetEnabled(enabled);
    if (handle_) EnableWindow(handle_, enabled);
}

void TWinControl::SetCaption(const std::string& text) {
    TControl::SetCaption(text);
    if (handle_) SetWindowTextA(handle_, text.c_str());
}

std::string TWinControl::Text() const {
    if (!handle_) return caption_;
    int length = GetWindowTextLengthA(handle_);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    GetWindowTextA(handle_, text.data(), length + 1);
    text.resize(static_cast<size_t>(length));
    return text;
}

std::string TWinControl::Caption() const { return Text(); }

void TWinControl::SetFocus() {
    if (handle_) ::SetFocus(handle_);
}

bool TWinControl::Focused() const { return handle_ && GetFocus() == handle_; }

void TWinControl::FontChanged() {
    TForm* form = ParentForm();
    if (handle_ && form && form->FontHandle()) SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(form->FontHandle()), TRUE);
    for (TControl* control : controls_)
        if (auto* win = dynamic_cast<TWinControl*>(control)) win->FontChanged();
}

}  // namespace vpr::forms
