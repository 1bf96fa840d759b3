// Controls: each windowed control is a window of the window system with a
// stable id (given in the order the form's description creates them, from
// 100), found by its component name.
#pragma once

#include <string>
#include <vector>

#include "vpr/forms/classes.h"

namespace vpr::forms {

// A window message as a form sees it; Result is the answer.
struct TMessage {
    UINT Msg = 0;
    WPARAM WParam = 0;
    LPARAM LParam = 0;
    LRESULT Result = 0;
};

struct TFont {
    std::string Name = "MS Sans Serif";
    int Size = 8;  // points
};

// A list of texts.
class TStrings {
public:
    virtual ~TStrings() = default;
    virtual int Count() const = 0;
    virtual std::string Get(int index) const = 0;
    // Adds a text (in its sorted place when the list is sorted): its index.
    virtual int Add(const std::string& text) = 0;
    virtual void Delete(int index) = 0;
    virtual void Clear() = 0;
    // The first text equal to `text` ignoring case, -1 when none.
    int IndexOf(const std::string& text) const;
    std::string operator[](int index) const { return Get(index); }
    void Assign(const std::vector<std::string>& texts);
};

class TStringList : public TStrings {
public:
    int Count() const override { return static_cast<int>(items_.size()); }
    std::string Get(int index) const override;
    int Add(const std::string& text) override;
    void Delete(int index) override;
    void Clear() override { items_.clear(); }
    bool Sorted = false;

private:
    std::vector<std::string> items_;
};

class TControl : public TComponent {
public:
    using TComponent::TComponent;
    std::string ClassName() const override { return "TControl"; }
    bool SetProperty(TReader& reader, const std::string& name, const FormValue& value) override;

    TWinControl* Parent() const { return parent_; }
    virtual void SetParent(TWinControl* parent);
    // The form this control sits on (itself for a form).
    TForm* ParentForm() const;

    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    virtual void SetBounds(int left, int top, int width, int height);
    bool Visible() const { return visible_; }
    virtual void SetVisible(bool visible);
    bool Enabled() const { return enabled_; }
    virtual void SetEnabled(bool enabled);
    virtual std::string Caption() const { return caption_; }
    virtual void SetCaption(const std::string& text);
    int HelpContext = 0;

protected:
    TWinControl* parent_ = nullptr;
    int left_ = 0, top_ = 0, width_ = 75, height_ = 25;
    bool visible_ = true, enabled_ = true;
    std::string caption_;
};

class TWinControl : public TControl {
public:
    explicit TWinControl(TComponent* owner) : TControl(owner) {}
    ~TWinControl() override;
    std::string ClassName() const override { return "TWinControl"; }

    // The window; made when the control gets a parent that has one.
    HWND Handle() const { return handle_; }
    bool HandleAllocated() const { return handle_ != nullptr; }
    void HandleNeeded();
    int ControlId() const { return id_; }
    void SetFocus();
    bool Focused() const;
    // The control's text as its window holds it.
    std::string Text() const;
    void SetText(const std::string& text) { SetCaption(text); }
    std::string Caption() const override;

    void SetParent(TWinControl* parent) override;
    void SetBounds(int left, int top, int width, int height) override;
    void SetVisible(bool visible) override;
    void SetEnabled(bool enabled) override;
    void SetCaption(const std::string& text) override;
    // The font of the form, or of the control itself.
    virtual void FontChanged();

    // Window messages reach the control here; the default answers through
    // the class's own procedure.
    virtual void WndProc(TMessage& message);
    // Notifications of the control's window (WM_COMMAND codes, owner drawing)
    // that its parent hands over.
    virtual void CommandNotify(WORD) {}
    virtual void DrawItem(const DRAWITEMSTRUCT&) {}
    virtual void MeasureItem(MEASUREITEMSTRUCT&) {}

    // Windowed children, in creation order.
    const std::vector<TControl*>& Controls() const { return controls_; }
    void InsertControl(TControl* control);
    void RemoveControl(TControl* control);
    // The control with this id among the descendants; null when none.
    TWinControl* FindControlById(int id);

    static TWinControl* FromHandle(HWND window);

protected:
    // What the control's window is: class, styles. Called when it is made.
    struct WindowParams {
        std::string className;
        DWORD style = 0;
        DWORD exStyle = 0;
    };
    virtual WindowParams CreateParams() const;
    // After the window was made: content kept while there was none.
    virtual void WindowCreated() {}
    // Makes the window again (a style that only creation can set changed).
    void RecreateWnd();
    virtual void WindowDestroying() {}
    void DestroyHandle();
    LRESULT DefaultHandler(TMessage& message);

    // Container handlers: notifications from child windows go to the child.
    void WMCommand(TMessage& message);
    void WMDrawItem(TMessage& message);
    void WMMeasureItem(TMessage& message);

    HWND handle_ = nullptr;
    WNDPROC defaultProc_ = nullptr;
    int id_ = 0;
    std::vector<TControl*> controls_;
};

class TButton : public TWinControl {
public:
    using TWinControl::TWinControl;
    std::string ClassName() const override { return "TButton"; }
    bool SetProperty(TReader& reader, const std::string& name, const FormValue& value) override;
    // What a click does: the form's modal result, then OnClick.
    virtual void Click();
    void CommandNotify(WORD code) override;
    bool Default() const { return default_; }
    void SetDefault(bool value);
    bool Cancel = false;
    int ModalResult = 0;
    TNotifyEvent OnClick;

protected:
    WindowParams CreateParams() const override;

private:
    bool default_ = false;
};

class TLabel : public TWinControl {
public:
    using TWinControl::TWinControl;
    std::string ClassName() const override { return "TLabel"; }
    bool SetProperty(TReader& reader, const std::string& name, const FormValue& value) override;

protected:
    WindowParams CreateParams() const override;
    int alignment_ = 0;  // 0 left, 1 right, 2 centre
};

class TEdit : public TWinControl {
public:
    using TWinControl::TWinControl;
    std::string ClassName() const override { return "TEdit"; }
    bool SetProperty(TReader& reader, const std::string& name, const FormValue& value) override;
    void CommandNotify(WORD code) override;
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool value);
    int MaxLength() const { return maxLength_; }
    void SetMaxLength(int value);
    TNotifyEvent OnChange;
    TNotifyEvent OnExit;
    TNotifyEvent OnEnter;
    void WndProc(TMessage& message) override;

protected:
    WindowParams CreateParams() const override;
    void WindowCreated() override;
    void WMKillFocus(TMessage& message);

private:
    bool readOnly_ = false;
    int maxLength_ = 0;
};

enum TListBoxStyle { lbStandard, lbOwnerDrawFixed, lbOwnerDrawVariable };

class TListBox : public TWinControl {
public:
    explicit TListBox(TComponent* owner);
    ~TListBox() override;
    std::string ClassName() const override { return "TListBox"; }
    bool SetProperty(TReader& reader, const std::string& name, const FormValue& value) override;
    void CommandNotify(WORD code) override;
    void DrawItem(const DRAWITEMSTRUCT& item) override;
    void MeasureItem(MEASUREITEMSTRUCT& item) override;

    TStrings& Items() { return *items_; }
    bool Sorted() const { return sorted_; }
    void SetSorted(bool value);
    bool MultiSelect() const { return multiSelect_; }
    void SetMultiSelect(bool value);
    TListBoxStyle Style() const { return style_; }
    void SetStyle(TListBoxStyle value);
    int ItemHeight() const { return itemHeight_; }
    void SetItemHeight(int value);
    int ItemIndex() const;
    void SetItemIndex(int index);
    bool Selected(int index) const;
    void SetSelected(int index, bool selected);
    int SelCount() const;
    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TDrawItemEvent OnDrawItem;

protected:
    WindowParams CreateParams() const override;
    void WindowCreated() override;
    void WindowDestroying() override;

private:
    class WindowStrings;
    std::unique_ptr<TStrings> items_;
    std::vector<std::string> kept_;  // the rows while the window is made again
    bool sorted_ = false, multiSelect_ = false;
    TListBoxStyle style_ = lbStandard;
    int itemHeight_ = 16;
};

// A drop-down list of the machine's drives ("c: [label]" rows); Drive() is
// the chosen letter in lower case.
class TDriveComboBox : public TWinControl {
public:
    using TWinControl::TWinControl;
    std::string ClassName() const override { return "TDriveComboBox"; }
    bool SetProperty(TReader& reader, const std::string& name, const FormValue& value) override;
    void CommandNotify(WORD code) override;
    char Drive() const { return drive_; }
    void SetDrive(char letter);
    int ItemIndex() const;
    TStrings& Items() { return rows_; }
    TNotifyEvent OnChange;

protected:
    WindowParams CreateParams() const override;
    void WindowCreated() override;

private:
    void Fill();
    char drive_ = 'c';
    TStringList rows_;
};

// A picture: a bitmap of the program's resources by name.
class TImage : public TWinControl {
public:
    using TWinControl::TWinControl;
    std::string ClassName() const override { return "TImage"; }
    bool SetProperty(TReader& reader, const std::string& name, const FormValue& value) override;
    const std::string& Picture() const { return picture_; }
    void SetPicture(const std::string& bitmapName);

protected:
    WindowParams CreateParams() const override;
    void WindowCreated() override;

private:
    std::string picture_;
};

class TPanel : public TWinControl {
public:
    using TWinControl::TWinControl;
    std::string ClassName() const override { return "TPanel"; }
    bool SetProperty(TReader& reader, const std::string& name, const FormValue& value) override;

protected:
    WindowParams CreateParams() const override;
    bool border_ = true;
};

// One page of a notebook; its caption is the page's name.
class TPage : public TWinControl {
public:
    using TWinControl::TWinControl;
    std::string ClassName() const override { return "TPage"; }

protected:
    WindowParams CreateParams() const override;
};

// Pages addressed by their names, one shown at a time.
class TNotebook : public TWinControl {
public:
    using TWinControl::TWinControl;
    std::string ClassName() const override { return "TNotebook"; }
    bool SetProperty(TReader& reader, const std::string& name, const FormValue& value) override;
    void Loaded() override;

    int PageIndex() const { return pageIndex_; }
    // Shows the page and calls OnPageChanged when it is another one.
    void SetPageIndex(int index);
    std::string ActivePage() const;
    void SetActivePage(const std::string& name);
    // The pages' names in order.
    std::vector<std::string> Pages() const;
    TPage* Page(int index) const;
    int PageCount() const;
    TNotifyEvent OnPageChanged;

private:
    void ShowOnly(int index);
    int pageIndex_ = 0;
};

// A timer on the machine clock: OnTimer every Interval ms while Enabled.
class TTimer : public TComponent {
public:
    explicit TTimer(TComponent* owner);
    ~TTimer() override;
    std::string ClassName() const override { return "TTimer"; }
    bool SetProperty(TReader& reader, const std::string& name, const FormValue& value) override;
    void Loaded() override;
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value);
    int Interval() const { return interval_; }
    void SetInterval(int value);
    TNotifyEvent OnTimer;

private:
    static LRESULT CALLBACK TimerProc(HWND, UINT, WPARAM, LPARAM);
    void Update();
    HWND window_ = nullptr;
    bool enabled_ = true, loading_ = true;
    int interval_ = 1000;
};

}  // namespace vpr::forms
