#include "directory_list_box.h"

#include <algorithm>
#include <cstring>

#include "snapshot/engine/mb_strings.h"
#include "vpr/locale/locale.h"
#include "vpr/forms/reader.h"

namespace snapshot {

using namespace vpr::forms;

namespace {

constexpr int kWidth = 145;
constexpr int kTextGap = 4;

// The components of a path below its root ("C:\A\B": "A", "B"), split at
// backslash characters.
std::vector<std::string> PathComponents(const std::string& path) {
    std::vector<std::string> parts;
    std::string part;
    const char* at = path.c_str();
    if (path.size() >= 3 && path[1] == ':') at += 3;
    while (*at != '\0') {
        const char* next = KMNextChar(at);
        if (next - at == 1 && *at == '\\') {
            if (!part.empty()) parts.push_back(part);
            part.clear();
        } else {
            part.append(at, next);
        }
        at = next;
    }
    if (!part.empty()) parts.push_back(part);
    return parts;
}

size_t Backslashes(const std::string& text) {
    size_t count = 0;
    for (const char* at = text.c_str(); *at != '\0'; at = KMNextChar(at))
        if (*at == '\\' && KMNextChar(at) - at == 1) ++count;
    return count;
}

std::string LowerCase(std::string text) {
    for (char* at = text.data(); *at != '\0';) {
        char* next = KMNextChar(at);
        if (next - at == 1 && *at >= 'A' && *at <= 'Z') *at = static_cast<char>(*at - 'A' + 'a');
        at = next;
    }
    return text;
}

HBITMAP NewBitmap(HDC screen) { return CreateCompatibleBitmap(screen, TFolderBitmap::kSize, TFolderBitmap::kSize); }

}  // namespace

TFolderBitmap::TFolderBitmap(const char* resourceName) {
    HBITMAP source = LoadBitmapA(GetModuleHandleA(nullptr), resourceName);
    if (source == nullptr) return;
    HDC screen = GetDC(nullptr);
    HDC from = CreateCompatibleDC(screen);
    HDC to = CreateCompatibleDC(screen);
    image_ = NewBitmap(screen);
    mask_ = NewBitmap(screen);
    HGDIOBJ oldFrom = SelectObject(from, source);
    COLORREF transparent = GetPixel(from, 0, kSize - 1);
    HGDIOBJ oldTo = SelectObject(to, image_);
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            COLORREF pixel = GetPixel(from, x, y);
            SetPixel(to, x, y, pixel == transparent ? RGB(0, 0, 0) : pixel);
        }
    SelectObject(to, mask_);
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x)
            SetPixel(to, x, y, GetPixel(from, x, y) == transparent ? RGB(255, 255, 255) : RGB(0, 0, 0));
    SelectObject(to, oldTo);
    SelectObject(from, oldFrom);
    DeleteDC(to);
    DeleteDC(from);
    ReleaseDC(nullptr, screen);
    DeleteObject(source);
}

TFolderBitmap::~TFolderBitmap() {
    if (image_) DeleteObject(image_);
    if (mask_) DeleteObject(mask_);
}

void TFolderBitmap::Draw(HDC dc, int x, int y) const {
    if (!image_) return;
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(memory, mask_);
    BitBlt(dc, x, y, kSize, kSize, memory, 0, 0, SRCAND);
    SelectObject(memory, image_);
    BitBlt(dc, x, y, kSize, kSize, memory, 0, 0, SRCPAINT);
    SelectObject(memory, old);
    DeleteDC(memory);
}

KMTDirectoryListBox::KMTDirectoryListBox(TComponent* owner) : TListBox(owner) {
    SetStyle(lbOwnerDrawFixed);
    SetBounds(left_, top_, kWidth, height_);
    glyphs_[kOpenFolder] = new TFolderBitmap("OPENFOLDER");
    glyphs_[kClosedFolder] = new TFolderBitmap("CLOSEDFOLDER");
    glyphs_[kCurrentFolder] = new TFolderBitmap("CURRENTFOLDER");
    char current[MAX_PATH] = "C:\\";
    GetCurrentDirectoryA(sizeof current, current);
    directory_ = current;
}

KMTDirectoryListBox::~KMTDirectoryListBox() {
    for (TFolderBitmap* glyph : glyphs_) delete glyph;
}

bool KMTDirectoryListBox::SetProperty(TReader& reader, const std::string& name, const FormValue& value) {
    if (SameText(name, "OnChange")) {
        OnChange = reader.NotifyEvent(value);
        return true;
    }
    return TListBox::SetProperty(reader, name, value);
}

void KMTDirectoryListBox::WindowCreated() {
    TListBox::WindowCreated();
    Fill();
}

void KMTDirectoryListBox::SetDirectory(const std::string& directory) {
    std::string path = directory;
    // "C:" and "C:\" are the root; a trailing backslash elsewhere goes.
    if (path.size() == 2 && path[1] == ':') path += "\\";
    if (path.size() > 3 && MBLastChar(path) == "\\") path.pop_back();
    directory_ = path;
    Fill();
    if (OnChange) OnChange(this);
}

void KMTDirectoryListBox::SetDrive(char letter) { SetDirectory(std::string(1, letter) + ":\\"); }

std::string KMTDirectoryListBox::Shown(const std::string& name) const { return keepsCase_ ? name : LowerCase(name); }

void KMTDirectoryListBox::Fill() {
    rows_.clear();
    std::string root = directory_.substr(0, 3);
    DWORD flags = 0;
    GetVolumeInformationA(root.c_str(), nullptr, 0, nullptr, nullptr, &flags, nullptr, 0);
    keepsCase_ = (flags & (FS_CASE_IS_PRESERVED | FS_CASE_SENSITIVE)) != 0;
    bool caseSensitive = (flags & FS_CASE_SENSITIVE) != 0;

    std::vector<std::string> components = PathComponents(directory_);
    rows_.push_back({root, components.empty() ? kCurrentFolder : kOpenFolder, true});
    for (size_t i = 0; i < components.size(); ++i)
        rows_.push_back({components[i], i + 1 == components.size() ? kCurrentFolder : kOpenFolder, true});
    const int current = static_cast<int>(rows_.size()) - 1;

    std::vector<std::string> subdirectories;
    std::string base = components.empty() ? root : directory_ + "\\";
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((base + "*.*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && std::strcmp(data.cFileName, ".") != 0 &&
                std::strcmp(data.cFileName, "..") != 0)
                subdirectories.push_back(data.cFileName);
        } while (FindNextFileA(find, &data));
        FindClose(find);
    }
    std::sort(subdirectories.begin(), subdirectories.end(), [&](const std::string& a, const std::string& b) {
        return caseSensitive ? a < b : KMLstricmp(a.c_str(), b.c_str()) < 0;
    });
    for (const auto& name : subdirectories) rows_.push_back({name, kClosedFolder, false});

    Items().Clear();
    for (const Row& row : rows_) Items().Add(row.pathRow && &row == &rows_.front() ? row.name : Shown(row.name));
    SetItemIndex(current);
}

int KMTDirectoryListBox::Indent(int row) const {
    if (row < 0 || row >= static_cast<int>(rows_.size())) return 0;
    if (rows_[row].pathRow) return row * 4 + 2;
    return static_cast<int>(Backslashes(directory_)) * 4 + 6;
}

std::string KMTDirectoryListBox::DirectoryOfRow(int row) const {
    if (row <= 0) return rows_.empty() ? directory_ : rows_.front().name;
    if (!rows_[row].pathRow) return (PathComponents(directory_).empty() ? directory_ : directory_ + "\\") + rows_[row].name;
    std::string path = rows_.front().name;
    for (int i = 1; i <= row; ++i) path += (i > 1 ? "\\" : "") + rows_[i].name;
    return path;
}

void KMTDirectoryListBox::OpenRow(int row) {
    if (row < 0 || row >= static_cast<int>(rows_.size())) return;
    SetDirectory(DirectoryOfRow(row));
}

void KMTDirectoryListBox::CommandNotify(WORD code) {
    if (code == LBN_DBLCLK) OpenRow(ItemIndex());
    TListBox::CommandNotify(code);
}

void KMTDirectoryListBox::WndProc(TMessage& message) {
    if (message.Msg == WM_KEYDOWN && message.WParam == VK_RETURN) {
        OpenRow(ItemIndex());
        return;
    }
    TListBox::WndProc(message);
}

void KMTDirectoryListBox::DrawItem(const DRAWITEMSTRUCT& item) {
    int row = static_cast<int>(item.itemID);
    if (row < 0 || row >= static_cast<int>(rows_.size())) return;
    bool selected = (item.itemState & ODS_SELECTED) != 0;
    FillRect(item.hDC, &item.rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    int x = item.rcItem.left + Indent(row);
    glyphs_[rows_[row].glyph]->Draw(item.hDC, x, item.rcItem.top);
    std::string text = Items().Get(row);
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    TextOutA(item.hDC, x + TFolderBitmap::kSize + kTextGap, item.rcItem.top, text.c_str(), static_cast<int>(text.size()));
}

void RegisterDirectoryListBox() { RegisterComponentClass<KMTDirectoryListBox>("KMTDirectoryListBox"); }

}  // namespace snapshot
