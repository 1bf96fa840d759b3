// The controls the forms place: buttons, labels, edits, list boxes, the drive
// combo box, images, panels and notebooks with their pages.
#include <cctype>

#include "vpr/forms/application.h"
#include "vpr/forms/controls.h"
#include "vpr/forms/form.h"
#include "vpr/forms/reader.h"
#include "window_class.h"

namespace vpr::forms {

// ---- TButton --------------------------------------------------------------

bool TButton::SetProperty(TReader& reader, const std::string& name, const FormValue& value) {
    if (SameText(name, "Default")) SetDefault(reader.Boolean(value));
    else if (SameText(name, "Cancel")) Cancel = reader.Boolean(value);
    else if (SameText(name, "ModalResult")) ModalResult = reader.Integer(value);
    else if (SameText(name, "OnClick")) OnClick = reader.NotifyEvent(value);
    else return TWinControl::SetProperty(reader, name, value);
    return true;
}

TWinControl::WindowParams TButton::CreateParams() const {
    return WindowParams{"Button", static_cast<DWORD>(WS_CHILD | WS_TABSTOP | (default_ ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON)), 0};
}

void TButton::SetDefault(bool value) {
    default_ = value;
    if (handle_) SendMessageA(handle_, BM_SETSTYLE, value ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void TButton::CommandNotify(WORD code) {
    if (code == BN_CLICKED) Click();
}

void TButton::Click() {
    if (TForm* form = ParentForm(); form && ModalResult != mrNone) form->ModalResult = ModalResult;
    if (OnClick) OnClick(this);
}

// ---- TLabel ------------------------------------------------------------------

bool TLabel::SetProperty(TReader& reader, const std::string& name, const FormValue& value) {
    if (SameText(name, "Alignment")) alignment_ = reader.Enum(value, {"taLeftJustify", "taRightJustify", "taCenter"});
    else return TWinControl::SetProperty(reader, name, value);
    return true;
}

TWinControl::WindowParams TLabel::CreateParams() const {
    DWORD align = alignment_ == 1 ? SS_RIGHT : alignment_ == 2 ? SS_CENTER : SS_LEFT;
    return WindowParams{"Static", static_cast<DWORD>(WS_CHILD | align), 0};
}

// ---- TEdit ---------------------------------------------------------------------

bool TEdit::SetProperty(TReader& reader, const std::string& name, const FormValue& value) {
    if (SameText(name, "ReadOnly")) SetReadOnly(reader.Boolean(value));
    else if (SameText(name, "MaxLength")) SetMaxLength(reader.Integer(value));
    else if (SameText(name, "OnChange")) OnChange = reader.NotifyEvent(value);
    else if (SameText(name, "OnExit")) OnExit = reader.NotifyEvent(value);
    else if (SameText(name, "OnEnter")) OnEnter = reader.NotifyEvent(value);
    else return TWinControl::SetProperty(reader, name, value);
    return true;
}

TWinControl::WindowParams TEdit::CreateParams() const {
    return WindowParams{"Edit", static_cast<DWORD>(WS_CHILD | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL | (readOnly_ ? ES_READONLY : 0)),
                        WS_EX_CLIENTEDGE};
}

void TEdit::WindowCreated() {
    if (maxLength_) SendMessageA(handle_, EM_LIMITTEXT, static_cast<WPARAM>(maxLength_), 0);
}

void TEdit::SetReadOnly(bool value) {
    readOnly_ = value;
    if (handle_) SendMessageA(handle_, EM_SETREADONLY, value, 0);
}

void TEdit::SetMaxLength(int value) {
    maxLength_ = value;
    if (handle_) SendMessageA(handle_, EM_LIMITTEXT, static_cast<WPARAM>(value), 0);
}

void TEdit::CommandNotify(WORD code) {
    TForm* form = ParentForm();
    if (form && form->Loading()) return;
    if (code == EN_CHANGE && OnChange) OnChange(this);
    else if (code == EN_SETFOCUS && OnEnter) OnEnter(this);
}

void TEdit::WndProc(TMessage& message) {
    if (message.Msg == WM_KILLFOCUS) WMKillFocus(message);
    else TWinControl::WndProc(message);
}

// The focus leaves the edit: OnExit when it goes to another control of the
// same form (not when another window, such as a message box, takes it).
void TEdit::WMKillFocus(TMessage& message) {
    DefaultHandler(message);
    TForm* form = ParentForm();
    HWND next = reinterpret_cast<HWND>(message.WParam);
    if (!OnExit || !form || form->Loading() || form->Destroying() || !next || FormOfWindow(next) != form) return;
    InitApplication()->Guard([this] { OnExit(this); });
}

// ---- TListBox ----------------------------------------------------------------

// The rows of a list box as its window holds them (kept in a plain list while
// there is no window).
class TListBox::WindowStrings : public TStrings {
public:
    explicit WindowStrings(TListBox& box) : box_(box) {}
    int Count() const override {
        if (!box_.handle_) return pending_.Count();
        return static_cast<int>(SendMessageA(box_.handle_, LB_GETCOUNT, 0, 0));
    }
    std::string Get(int index) const override {
        if (!box_.handle_) return pending_.Get(index);
        LRESULT length = SendMessageA(box_.handle_, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
        if (length < 0) throw Exception("List index out of bounds (" + std::to_string(index) + ")");
        std::string text(static_cast<size_t>(length) + 1, '\0');
        SendMessageA(box_.handle_, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
        text.resize(static_cast<size_t>(length));
        return text;
    }
    int Add(const std::string& text) override {
        if (!box_.handle_) {
            pending_.Sorted = box_.sorted_;
            return pending_.Add(text);
        }
        return static_cast<int>(SendMessageA(box_.handle_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())));
    }
    void Delete(int index) override {
        if (!box_.handle_) return pending_.Delete(index);
        if (SendMessageA(box_.handle_, LB_DELETESTRING, static_cast<WPARAM>(index), 0) < 0)
            throw Exception("List index out of bounds (" + std::to_string(index) + ")");
    }
    void Clear() override {
        pending_.Clear();
        if (box_.handle_) SendMessageA(box_.handle_, LB_RESETCONTENT, 0, 0);
    }
    // The rows kept while there was no window go into the new one.
    void Flush() {
        std::vector<std::string> rows;
        for (int i = 0; i < pending_.Count(); ++i) rows.push_back(pending_.Get(i));
        pending_.Clear();
        for (const auto& row : rows) Add(row);
    }
    void Keep(const std::vector<std::string>& rows) {
        pending_.Clear();
        for (const auto& row : rows) pending_.Add(row);
    }

private:
    TListBox& box_;
    TStringList pending_;
};

TListBox::TListBox(TComponent* owner) : TWinControl(owner), items_(std::make_unique<WindowStrings>(*this)) {}

TListBox::~TListBox() { DestroyHandle(); }

bool TListBox::SetProperty(TReader& reader, const std::string& name, const FormValue& value) {
    if (SameText(name, "Sorted")) SetSorted(reader.Boolean(value));
    else if (SameText(name, "MultiSelect")) SetMultiSelect(reader.Boolean(value));
    else if (SameText(name, "Style")) SetStyle(static_cast<TListBoxStyle>(reader.Enum(value, {"lbStandard", "lbOwnerDrawFixed", "lbOwnerDrawVariable"})));
    else if (SameText(name, "ItemHeight")) SetItemHeight(reader.Integer(value));
    else if (SameText(name, "Items.Strings")) items_->Assign(reader.List(value));
    else if (SameText(name, "OnClick")) OnClick = reader.NotifyEvent(value);
    else if (SameText(name, "OnDblClick")) OnDblClick = reader.NotifyEvent(value);
    else if (SameText(name, "OnDrawItem")) OnDrawItem = reader.DrawItemEvent(value);
    else return TWinControl::SetProperty(reader, name, value);
    return true;
}

TWinControl::WindowParams TListBox::CreateParams() const {
    DWORD style = WS_CHILD | WS_TABSTOP | WS_BORDER | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;
    if (sorted_) style |= LBS_SORT;
    if (multiSelect_) style |= LBS_EXTENDEDSEL;
    if (style_ == lbOwnerDrawFixed) style |= LBS_OWNERDRAWFIXED | LBS_HASSTRINGS;
    if (style_ == lbOwnerDrawVariable) style |= LBS_OWNERDRAWVARIABLE | LBS_HASSTRINGS;
    return WindowParams{"ListBox", style, WS_EX_CLIENTEDGE};
}

void TListBox::WindowCreated() {
    if (style_ != lbStandard) SendMessageA(handle_, LB_SETITEMHEIGHT, 0, itemHeight_);
    // A window made again takes the rows of the one before.
    if (!kept_.empty()) static_cast<WindowStrings&>(*items_).Keep(kept_);
    kept_.clear();
    static_cast<WindowStrings&>(*items_).Flush();
}

void TListBox::WindowDestroying() {
    kept_.clear();
    int count = static_cast<int>(SendMessageA(handle_, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) kept_.push_back(items_->Get(i));
}

void TListBox::SetSorted(bool value) {
    if (sorted_ == value) return;
    sorted_ = value;
    RecreateWnd();
}

void TListBox::SetMultiSelect(bool value) {
    if (multiSelect_ == value) return;
    multiSelect_ = value;
    RecreateWnd();
}

void TListBox::SetStyle(TListBoxStyle value) {
    if (style_ == value) return;
    style_ = value;
    RecreateWnd();
}

void TListBox::SetItemHeight(int value) {
    itemHeight_ = value;
    if (handle_ && style_ != lbStandard) SendMessageA(handle_, LB_SETITEMHEIGHT, 0, value);
}

int TListBox::ItemIndex() const {
    if (!handle_) return -1;
    if (multiSelect_) return static_cast<int>(SendMessageA(handle_, LB_GETCARETINDEX, 0, 0));
    return static_cast<int>(SendMessageA(handle_, LB_GETCURSEL, 0, 0));
}

void TListBox::SetItemIndex(int index) {
    if (!handle_) return;
    if (multiSelect_) {
        SendMessageA(handle_, LB_SETSEL, FALSE, -1);
        if (index >= 0) SendMessageA(handle_, LB_SETSEL, TRUE, index);
        SendMessageA(handle_, LB_SETCARETINDEX, static_cast<WPARAM>(index), FALSE);
    } else {
        SendMessageA(handle_, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    }
}

bool TListBox::Selected(int index) const {
    if (!handle_) return false;
    if (!multiSelect_) return ItemIndex() == index && index >= 0;
    return SendMessageA(handle_, LB_GETSEL, static_cast<WPARAM>(index), 0) > 0;
}

void TListBox::SetSelected(int index, bool selected) {
    if (!handle_) return;
    if (multiSelect_) SendMessageA(handle_, LB_SETSEL, selected, index);
    else SendMessageA(handle_, LB_SETCURSEL, selected ? static_cast<WPARAM>(index) : static_cast<WPARAM>(-1), 0);
}

int TListBox::SelCount() const {
    if (!handle_) return 0;
    if (!multiSelect_) return ItemIndex() >= 0 ? 1 : 0;
    return static_cast<int>(SendMessageA(handle_, LB_GETSELCOUNT, 0, 0));
}

void TListBox::CommandNotify(WORD code) {
    if (code == LBN_SELCHANGE && OnClick) OnClick(this);
    else if (code == LBN_DBLCLK && OnDblClick) OnDblClick(this);
}

void TListBox::DrawItem(const DRAWITEMSTRUCT& item) {
    if (OnDrawItem) {
        OnDrawItem(this, static_cast<int>(item.itemID), item.rcItem, item.itemState, item.hDC);
        return;
    }
    if (item.itemID == static_cast<UINT>(-1)) return;
    std::string text = items_->Get(static_cast<int>(item.itemID));
    TextOutA(item.hDC, item.rcItem.left + 2, item.rcItem.top, text.c_str(), static_cast<int>(text.size()));
}

void TListBox::MeasureItem(MEASUREITEMSTRUCT& item) { item.itemHeight = static_cast<UINT>(itemHeight_); }

// ---- TDriveComboBox ---------------------------------------------------------------

bool TDriveComboBox::SetProperty(TReader& reader, const std::string& name, const FormValue& value) {
    if (SameText(name, "OnChange")) OnChange = reader.NotifyEvent(value);
    else return TWinControl::SetProperty(reader, name, value);
    return true;
}

TWinControl::WindowParams TDriveComboBox::CreateParams() const {
    return WindowParams{"ComboBox", WS_CHILD | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0};
}

// One row per drive of the machine, "c: [LABEL]" as the volume names itself.
void TDriveComboBox::Fill() {
    rows_.Clear();
    const DWORD drives = GetLogicalDrives();
    for (int i = 0; i < 26; ++i) {
        if (!(drives & (1u << i))) continue;
        char letter = static_cast<char>('a' + i);
        std::string root = std::string(1, static_cast<char>('A' + i)) + ":\\";
        char label[MAX_PATH] = {};
        std::string row = std::string(1, letter) + ":";
        if (GetVolumeInformationA(root.c_str(), label, sizeof label, nullptr, nullptr, nullptr, nullptr, 0) && label[0])
            row += " [" + std::string(label) + "]";
        rows_.Add(row);
    }
}

void TDriveComboBox::WindowCreated() {
    Fill();
    for (int i = 0; i < rows_.Count(); ++i)
        SendMessageA(handle_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(rows_.Get(i).c_str()));
    SetDrive(drive_);
}

int TDriveComboBox::ItemIndex() const {
    return handle_ ? static_cast<int>(SendMessageA(handle_, CB_GETCURSEL, 0, 0)) : -1;
}

void TDriveComboBox::SetDrive(char letter) {
    letter = static_cast<char>(std::tolower(static_cast<unsigned char>(letter)));
    for (int i = 0; i < rows_.Count(); ++i) {
        if (rows_.Get(i)[0] != letter) continue;
        bool changed = drive_ != letter;
        drive_ = letter;
        if (handle_) SendMessageA(handle_, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
        if (changed && OnChange) OnChange(this);
        return;
    }
    if (!handle_) drive_ = letter;
}

void TDriveComboBox::CommandNotify(WORD code) {
    if (code != CBN_SELCHANGE) return;
    int row = ItemIndex();
    if (row < 0 || row >= rows_.Count()) return;
    drive_ = rows_.Get(row)[0];
    if (OnChange) OnChange(this);
}

// ---- TImage --------------------------------------------------------------------

bool TImage::SetProperty(TReader& reader, const std::string& name, const FormValue& value) {
    if (SameText(name, "Picture")) SetPicture(reader.String(value));
    else return TWinControl::SetProperty(reader, name, value);
    return true;
}

TWinControl::WindowParams TImage::CreateParams() const { return WindowParams{"Static", WS_CHILD | SS_BITMAP, 0}; }

void TImage::WindowCreated() {
    if (picture_.empty()) return;
    HBITMAP bitmap = LoadBitmapA(GetModuleHandleA(nullptr), picture_.c_str());
    if (bitmap) SendMessageA(handle_, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap));
}

void TImage::SetPicture(const std::string& bitmapName) {
    picture_ = bitmapName;
    if (handle_) WindowCreated();
}

// ---- TPanel, TPage, TNotebook ----------------------------------------------------

bool TPanel::SetProperty(TReader& reader, const std::string& name, const FormValue& value) {
    if (SameText(name, "BevelOuter")) border_ = reader.Enum(value, {"bvNone", "bvLowered", "bvRaised"}) != 0;
    else return TWinControl::SetProperty(reader, name, value);
    return true;
}

TWinControl::WindowParams TPanel::CreateParams() const {
    return WindowParams{ContainerClassName(), static_cast<DWORD>(WS_CHILD | WS_CLIPSIBLINGS | (border_ ? WS_BORDER : 0)),
                        WS_EX_CONTROLPARENT};
}

TWinControl::WindowParams TPage::CreateParams() const {
    return WindowParams{ContainerClassName(), WS_CHILD | WS_CLIPSIBLINGS, WS_EX_CONTROLPARENT};
}

bool TNotebook::SetProperty(TReader& reader, const std::string& name, const FormValue& value) {
    if (SameText(name, "PageIndex")) pageIndex_ = reader.Integer(value);
    else if (SameText(name, "OnPageChanged")) OnPageChanged = reader.NotifyEvent(value);
    else return TWinControl::SetProperty(reader, name, value);
    return true;
}

int TNotebook::PageCount() const {
    int count = 0;
    for (TControl* control : controls_) count += dynamic_cast<TPage*>(control) != nullptr;
    return count;
}

TPage* TNotebook::Page(int index) const {
    for (TControl* control : controls_)
        if (auto* page = dynamic_cast<TPage*>(control); page && index-- == 0) return page;
    return nullptr;
}

std::vector<std::string> TNotebook::Pages() const {
    std::vector<std::string> names;
    for (int i = 0; TPage* page = Page(i); ++i) names.push_back(page->TControl::Caption());
    return names;
}

void TNotebook::Loaded() {
    // Pages fill the notebook; only the chosen one shows.
    for (int i = 0; TPage* page = Page(i); ++i) page->SetBounds(0, 0, width_, height_);
    if (pageIndex_ < 0 || pageIndex_ >= PageCount()) pageIndex_ = 0;
    ShowOnly(pageIndex_);
}

void TNotebook::ShowOnly(int index) {
    for (int i = 0; TPage* page = Page(i); ++i) page->SetVisible(i == index);
}

void TNotebook::SetPageIndex(int index) {
    if (index < 0 || index >= PageCount()) throw Exception("Page index out of bounds (" + std::to_string(index) + ")");
    if (index == pageIndex_) return;
    pageIndex_ = index;
    ShowOnly(index);
    if (OnPageChanged) OnPageChanged(this);
}

std::string TNotebook::ActivePage() const {
    TPage* page = Page(pageIndex_);
    return page ? page->TControl::Caption() : "";
}

void TNotebook::SetActivePage(const std::string& name) {
    std::vector<std::string> names = Pages();
    for (size_t i = 0; i < names.size(); ++i)
        if (SameText(names[i], name)) return SetPageIndex(static_cast<int>(i));
    throw Exception("No page " + name + " in " + Name);
}

}  // namespace vpr::forms
