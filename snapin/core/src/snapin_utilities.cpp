#include "snapin/core/snapin_utilities.h"

#include <cstring>
#include <ctime>
#include <string>

#include "snapin/core/app_library.h"
#include "snapin/core/directory_helper.h"
#include "snapin/core/module_resource.h"
#include "snapin/core/object_browser.h"
#include "snapin/distribution/ref_item.h"
#include "vpr/directory/client.h"
#include "vpr/locale/locale.h"
#include "vpr/win/clock.h"

CSnapinUtilities theSnapinUtilities;

namespace {

constexpr COLORREF kTransparent = RGB(128, 0, 128);
constexpr int kCopyBlock = 1024;
constexpr int kTemplateStringRecords = 50;

// The check boxes in the order they are drawn, left to right.
constexpr DWORD kCheckBoxBits[] = {0x2, 0x1, 0x4, 0x8, 0x20};

CString ItemText(const DRAWITEMSTRUCT* item) {
    CString text;
    LRESULT length = SendMessageA(item->hwndItem, LB_GETTEXTLEN, item->itemID, 0);
    if (length < 0) return text;
    SendMessageA(item->hwndItem, LB_GETTEXT, item->itemID,
                 reinterpret_cast<LPARAM>(text.GetBufferSetLength(static_cast<int>(length))));
    text.ReleaseBuffer();
    return text;
}

// Text drawn from `left`, vertically centred in the item.
void DrawTextAt(const DRAWITEMSTRUCT* item, const CString& text, int left) {
    RECT area = item->rcItem;
    area.left = left;
    DrawTextA(item->hDC, text, text.GetLength(), &area, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

// Browses with the host's dialog; 1 and the first chosen name and the
// context the person ended in, 0 with the outputs unchanged.
BOOL Browse(HWND owner, CString& chosen, CString& context, const std::initializer_list<LPCSTR>& classes,
            DWORD flags) {
    CObjectBrowser browser(context.IsEmpty() ? nullptr : static_cast<LPCSTR>(context));
    browser.ClearClassFilters();
    for (LPCSTR className : classes) browser.AddClassFilter(className);
    browser.SetFlags(flags);
    browser.Browse(owner);
    if (browser.GetSelectedCount() == 0) return FALSE;
    chosen = browser.GetSelectedName(0);
    if (browser.GetContext()) context = browser.GetContext();
    return TRUE;
}

// The folder of a file's path; empty when the path has no backslash.
std::string FolderOf(LPCSTR path) {
    const char* slash = KMLstrrchr(path, '\\');
    return slash ? std::string(path, static_cast<size_t>(slash - path)) : std::string();
}

CString FormatClock(LONG time, const char* format) {
    std::tm local{};
    char text[31] = {};
    if (vpr::win::ToLocalTime(time, &local)) LocFormat(text, sizeof text, format, &local);
    return text;
}

}  // namespace

std::string FieldText(const TemplateField& field) {
    return field.data ? std::string(reinterpret_cast<const char*>(field.data), field.length) : std::string();
}

// ---- owner-drawn lists ------------------------------------------------------

void CSnapinUtilities::DrawListItemText(HWND, const DRAWITEMSTRUCT* item, int level) const {
    int left = item->rcItem.left + (level ? 16 * level + 3 : 0);
    DrawTextAt(item, ItemText(item), left);
}

void CSnapinUtilities::DrawListItemIcon(HWND, const DRAWITEMSTRUCT* item) const {
    CString name = ItemText(item);
    DIR_CONTEXT context = CDirectoryHelper().CreateContext();
    if (context < 0) return;
    DirObjectInfo info{};
    int status = DirReadObjectInfo(context, name, nullptr, &info);
    DirFreeContext(context);
    HBITMAP bitmap = nullptr;
    if (status || HostGetClassBitmap(info.baseClass, &bitmap) || !bitmap) return;
    DrawTransparentBitmap(item->hDC, bitmap, item->rcItem.left, item->rcItem.top);
    BITMAP size{};
    GetObjectA(bitmap, sizeof size, &size);
    DrawTextAt(item, name, item->rcItem.left + size.bmWidth + 3);
}

void CSnapinUtilities::DrawCheckBoxColumns(HWND, const DRAWITEMSTRUCT* item, BOOL enabled) const {
    auto* row = reinterpret_cast<CRefItem*>(item->itemData);
    if (!row) return;
    LPCSTR checked = enabled ? "CHECKED_BOX_BMP" : "DIS_CHECKED_BOX_BMP";
    LPCSTR clear = enabled ? "STANDRD_BOX_BMP" : "DIS_STANDRD_BOX_BMP";
    int x = item->rcItem.left;
    for (DWORD bit : kCheckBoxBits) {
        HBITMAP box = LoadBitmapA(AfxGetResourceHandle(), (row->GetFlags() & bit) ? checked : clear);
        if (!box) return;
        DrawTransparentBitmap(item->hDC, box, x, item->rcItem.top);
        BITMAP size{};
        GetObjectA(box, sizeof size, &size);
        x += size.bmWidth;
        DeleteObject(box);
    }
}

// Classic masking: a monochrome mask of the transparent colour, the target
// keeps its pixels under the mask and takes the bitmap's elsewhere.
void CSnapinUtilities::DrawTransparentBitmap(HDC dc, HBITMAP bitmap, int x, int y) const {
    HDC image = CreateCompatibleDC(dc);
    HGDIOBJ oldImage = SelectObject(image, bitmap);
    SetMapMode(image, GetMapMode(dc));
    BITMAP info{};
    GetObjectA(bitmap, sizeof info, &info);
    POINT size{info.bmWidth, info.bmHeight};
    DPtoLP(image, &size, 1);

    HDC back = CreateCompatibleDC(dc), object = CreateCompatibleDC(dc), memory = CreateCompatibleDC(dc),
        save = CreateCompatibleDC(dc);
    HBITMAP backBits = CreateBitmap(size.x, size.y, 1, 1, nullptr);
    HBITMAP objectBits = CreateBitmap(size.x, size.y, 1, 1, nullptr);
    HBITMAP memoryBits = CreateCompatibleBitmap(dc, size.x, size.y);
    HBITMAP saveBits = CreateCompatibleBitmap(dc, size.x, size.y);
    HGDIOBJ oldBack = SelectObject(back, backBits), oldObject = SelectObject(object, objectBits),
            oldMemory = SelectObject(memory, memoryBits), oldSave = SelectObject(save, saveBits);

    BitBlt(save, 0, 0, size.x, size.y, image, 0, 0, SRCCOPY);  // the bitmap's own pixels
    COLORREF oldColour = SetBkColor(image, kTransparent);
    BitBlt(object, 0, 0, size.x, size.y, image, 0, 0, SRCCOPY);  // the mask
    SetBkColor(image, oldColour);
    BitBlt(back, 0, 0, size.x, size.y, object, 0, 0, NOTSRCCOPY);  // its inverse
    BitBlt(memory, 0, 0, size.x, size.y, dc, x, y, SRCCOPY);       // the target's area
    BitBlt(memory, 0, 0, size.x, size.y, object, 0, 0, SRCAND);
    BitBlt(image, 0, 0, size.x, size.y, back, 0, 0, SRCAND);
    BitBlt(memory, 0, 0, size.x, size.y, image, 0, 0, SRCPAINT);
    BitBlt(dc, x, y, size.x, size.y, memory, 0, 0, SRCCOPY);
    BitBlt(image, 0, 0, size.x, size.y, save, 0, 0, SRCCOPY);

    SelectObject(back, oldBack);
    SelectObject(object, oldObject);
    SelectObject(memory, oldMemory);
    SelectObject(save, oldSave);
    SelectObject(image, oldImage);
    for (HBITMAP made : {backBits, objectBits, memoryBits, saveBits}) DeleteObject(made);
    for (HDC made : {back, object, memory, save, image}) DeleteDC(made);
}

// ---- browsing ---------------------------------------------------------------

BOOL CSnapinUtilities::BrowseDirectory(HWND owner, CString& path, CString& context) const {
    CString chosen;
    if (!Browse(owner, chosen, context, {"Directory"}, kBrowseFileOrDirectory)) return FALSE;
    std::string text = static_cast<LPCSTR>(chosen);
    text.resize(512 + text.size());
    ConvertToUncPath(text.data(), text.size());
    path = text.c_str();
    return TRUE;
}

BOOL CSnapinUtilities::BrowseFile(HWND owner, CString& path, CString& context) const {
    CString chosen;
    if (!Browse(owner, chosen, context, {"File"}, kBrowseFileOrDirectory)) return FALSE;
    std::string text = static_cast<LPCSTR>(chosen);
    text.resize(512 + text.size());
    ConvertToUncPath(text.data(), text.size());
    path = text.c_str();
    return TRUE;
}

BOOL CSnapinUtilities::BrowsePrintQueue(HWND owner, CString& name, CString& context) const {
    CString chosen;
    if (!Browse(owner, chosen, context, {"Queue", "Printer"}, kBrowseOne)) return FALSE;
    name = "." + chosen;
    return TRUE;
}

// ---- texts and files --------------------------------------------------------

void CSnapinUtilities::ConvertToUncPath(LPSTR path, size_t size) const {
    size_t length = strnlen(path, size);
    if (length >= size || length >= 512) return;
    const char* slash = KMLstrchr(path, '/');
    if (!slash) return;
    const char* colon = KMLstrchr(slash, ':');
    if (!colon) return;
    std::string server(path, static_cast<size_t>(slash - path));
    std::string volume(slash + 1, static_cast<size_t>(colon - slash - 1));
    std::string rest = colon + 1;
    std::string unc = "\\\\" + server + "\\" + volume + (!rest.empty() && rest[0] == '\\' ? "" : "\\") + rest;
    if (unc.size() + 1 > size) return;  // the result must fit the caller's buffer
    std::memcpy(path, unc.c_str(), unc.size() + 1);
}

CString CSnapinUtilities::GetTemplateDirectory() const {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(AfxGetInstanceHandle(), path, sizeof path);
    return GetTemplateDirectory(path);
}

CString CSnapinUtilities::GetTemplateDirectory(LPCSTR modulePath) const {
    std::string folder = FolderOf(modulePath);
    if (folder.empty()) return "";
    char value[512] = {};
    GetPrivateProfileStringA("QMTFILES", "Path", "", value, sizeof value, (folder + "\\VPRADMIN.INI").c_str());
    if (value[0]) return value;
    std::string parent = FolderOf(folder.c_str());
    if (parent.empty()) return "";
    return (parent + "\\VPRLIB\\QMTFILES").c_str();
}

void CSnapinUtilities::ReadTemplateStrings(LPCSTR templatePath, CString& name, CString& caption) const {
    HFILE file = HFILE_ERROR;
    if (theAppLibrary.TemplateOpen(templatePath, &file) || file == HFILE_ERROR) return;
    bool haveName = false, haveCaption = false;
    for (int i = 0; i < kTemplateStringRecords && !(haveName && haveCaption); ++i) {
        TemplateEntry* entry = nullptr;
        if (theAppLibrary.TemplateReadEntry(file, &entry) || !entry) break;
        if (entry->kind == TEMPLATE_KIND_BASE_STRING) {
            std::string text = FieldText(entry->fields[0]);
            if (entry->subtype == 1 && !text.empty()) name = text.c_str(), haveName = true;
            if (entry->subtype == 2 && !text.empty()) caption = text.c_str(), haveCaption = true;
        }
        theAppLibrary.TemplateFreeReadEntry(entry);
    }
    theAppLibrary.TemplateClose(file);
}

void CSnapinUtilities::ReadTemplatePathMacros(LPCSTR templatePath, CString& targetPath, CString& sourcePath) const {
    HFILE file = HFILE_ERROR;
    if (theAppLibrary.TemplateOpen(templatePath, &file) || file == HFILE_ERROR) return;
    CString sourceName, targetName;
    sourceName.LoadString(IDS_SOURCE_PATH_MACRO);
    targetName.LoadString(IDS_TARGET_PATH_MACRO);
    bool haveSource = false, haveTarget = false;
    while (!(haveSource && haveTarget)) {
        TemplateEntry* entry = nullptr;
        if (theAppLibrary.TemplateReadEntry(file, &entry) || !entry) break;
        if (entry->kind == TEMPLATE_KIND_MACRO && entry->subtype == 1) {
            std::string macro = FieldText(entry->fields[0]);
            if (macro == static_cast<LPCSTR>(sourceName)) sourcePath = FieldText(entry->fields[1]).c_str(), haveSource = true;
            if (macro == static_cast<LPCSTR>(targetName)) targetPath = FieldText(entry->fields[1]).c_str(), haveTarget = true;
        }
        theAppLibrary.TemplateFreeReadEntry(entry);
    }
    theAppLibrary.TemplateClose(file);
}

// The name is cut at its earliest invalid character, whichever of the set
// it is, so that what is left never holds one.
CString CSnapinUtilities::GetDefaultObjectName(CString& path) const {
    LPCSTR text = path;
    LPCSTR start = KMLstrrchr(text, '\\');
    if (!start) start = KMLstrrchr(text, ':');
    start = start ? start + 1 : text;
    CString set;
    set.LoadString(IDS_INVALID_CHARS);
    size_t cut = std::strcspn(start, set);
    std::string name(start, cut);
    size_t keep = static_cast<size_t>(start - text) + cut;
    if (keep < static_cast<size_t>(path.GetLength())) path = path.Left(static_cast<int>(keep));
    return name.c_str();
}

int CSnapinUtilities::FindInvalidChar(LPCSTR text, LPCSTR set) const {
    CString defaultSet;
    if (!set) {
        defaultSet.LoadString(IDS_INVALID_CHARS);
        set = defaultSet;
    }
    for (LPCSTR c = set; *c; c = KMNextChar(c)) {
        if (LPCSTR found = KMLstrchr(text, static_cast<unsigned char>(*c))) return static_cast<int>(found - text);
    }
    return -1;
}

int CSnapinUtilities::CompareNoCase(LPCSTR first, LPCSTR second) const {
    if (!first || !second) return -1;
    std::string a = first, b = second;
    KMLstrupr(a.data());
    KMLstrupr(b.data());
    int order = std::strcmp(a.c_str(), b.c_str());
    return order < 0 ? -1 : order > 0 ? 1 : 0;
}

BOOL CSnapinUtilities::ListCtrlContains(CListCtrl* list, LPCSTR text, int column, LPCSTR second,
                                        int secondColumn) const {
    for (int row = 0; row < list->GetItemCount(); ++row) {
        if (CompareNoCase(list->GetItemText(row, column), text) != 0) continue;
        if (secondColumn == -1 || CompareNoCase(list->GetItemText(row, secondColumn), second) == 0) return TRUE;
    }
    return FALSE;
}

CString CSnapinUtilities::FormatDate(LONG time) const { return FormatClock(time, "%x"); }

CString CSnapinUtilities::FormatTime(LONG time) const { return FormatClock(time, "%X"); }

BOOL CSnapinUtilities::CopyFileContents(HFILE source, HFILE target) const {
    char block[kCopyBlock];
    for (;;) {
        UINT got = _lread(source, block, sizeof block);
        if (got == static_cast<UINT>(HFILE_ERROR)) return FALSE;
        if (got > 0 && _lwrite(target, block, got) != got) return FALSE;
        if (got < sizeof block) return TRUE;
    }
}

CString CSnapinUtilities::ValueToString(const DirOctetString* value) const {
    if (!value || !value->data) return "";
    std::string text(reinterpret_cast<const char*>(value->data), value->length);
    return text.c_str();  // an inner zero ends the string
}
