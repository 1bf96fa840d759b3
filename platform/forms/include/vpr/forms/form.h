// Forms: top-level windows built from their descriptions, shown modeless or
// modal. A bare TForm reads no description; a form class of a program reads
// its own (see TFormClass and reader.h) when it is made with NewForm.
#pragma once

#include "vpr/forms/controls.h"

namespace vpr::forms {

enum TModalResult { mrNone = 0, mrOk = 1, mrCancel = 2 };
enum TBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog };
enum TPosition { poDesigned, poScreenCenter };

class TForm;

// A form's modal result: setting it to anything but mrNone while the form is
// shown modal ends ShowModal with that value.
class TModalResultValue {
public:
    explicit TModalResultValue(TForm& form) : form_(form) {}
    operator int() const { return value_; }
    TModalResultValue& operator=(int value);
    TModalResultValue& operator=(const TModalResultValue& other) { return *this = other.value_; }

private:
    TForm& form_;
    int value_ = 0;
};

class TForm : public TWinControl {
public:
    // A bare form: its window exists, hidden, with no controls.
    explicit TForm(TComponent* owner);
    ~TForm() override;

    static const TFormClass& StaticClass();
    virtual const TFormClass& ClassType() const { return StaticClass(); }
    std::string ClassName() const override { return "TForm"; }
    static void DeclareMembers(FormMembers<TForm>&) {}

    bool SetProperty(TReader& reader, const std::string& name, const FormValue& value) override;
    // Called by NewForm once the whole object is made: calls the create
    // handler. A form class that reads its description does it here first.
    virtual void AfterConstruction();
    // Calls the destroy handler while the whole form still exists.
    void BeforeDestruction() override;

    // Shows the form modal until ModalResult is set or it is closed (then
    // mrCancel); every other form of the program is disabled meanwhile.
    int ShowModal();
    TModalResultValue ModalResult{*this};
    void Show();
    void Hide();
    // Closes the form: the main form ends the program.
    void Close();
    bool Modal() const { return modal_; }
    // True once the form is being destroyed: its controls' notifications no
    // longer reach handlers.
    bool Destroying() const { return destroying_; }

    const TFont& Font() const { return font_; }
    void SetFont(const TFont& font);
    HFONT FontHandle() const { return fontHandle_; }
    TBorderStyle BorderStyle() const { return borderStyle_; }
    TPosition Position = poDesigned;
    // The component the form has read so far or made: next control id.
    int NextControlId() { return nextId_++; }
    bool Loading() const { return loading_; }
    void SetLoading(bool loading) { loading_ = loading; }

    TNotifyEvent OnCreate;
    TNotifyEvent OnDestroy;
    TNotifyEvent OnShow;
    TNotifyEvent OnClose;

    // Window messages of the form: override to answer one (set Result) and
    // call TForm::WndProc for the rest. WM_QUERYENDSESSION answers 1 unless
    // a form says otherwise; WM_ENDSESSION with TRUE ends the program.
    void WndProc(TMessage& message) override;

protected:
    WindowParams CreateParams() const override;
    void WMClose(TMessage& message);
    void WMEndSession(TMessage& message);
    void WMNextDlgCtl(TMessage& message);
    void WMGetDefId(TMessage& message);
    void WMCommandWithoutControl(TMessage& message);
    void FontChanged() override;

private:
    friend class TModalResultValue;
    void ModalResultSet();
    TFont font_;
    HFONT fontHandle_ = nullptr;
    TBorderStyle borderStyle_ = bsSizeable;
    int nextId_ = 100;
    bool loading_ = false;
    bool modal_ = false;
    bool closing_ = false;
    bool destroying_ = false;
};

// Makes a form and finishes it (AfterConstruction): the way every form is
// made.
template <class F, class... A>
F* NewForm(A&&... args) {
    F* form = new F(std::forward<A>(args)...);
    try {
        form->AfterConstruction();
    } catch (...) {
        delete form;
        throw;
    }
    return form;
}

// The form whose window is `window` or holds it; null when none.
TForm* FormOfWindow(HWND window);
// Every form of the program, oldest first.
std::vector<TForm*> Screen();
// The form that takes the person's input now: the innermost modal form, else
// the active form, else the main form.
TForm* ActiveForm();

}  // namespace vpr::forms
