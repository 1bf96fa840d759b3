#include "items/folder_item.h"

#include <cstring>

#include "cache/app_cache.h"
#include "commctrl.h"
#include "items/shortcut_path.h"
#include "module/module_utilities.h"
#include "module/shell_ext_app.h"
#include "module/shell_utilities.h"
#include "namespace/item_pages.h"
#include "namespace/prop_sheet.h"
#include "tray/shortcut_link.h"
#include "vpr/locale/locale.h"

IMPLEMENT_DYNAMIC(CFolderItem, CObject)

namespace {

// Menu text and help text of each command number.
struct CommandText {
    UINT command;
    UINT menuText;
    UINT helpText;
};
constexpr CommandText kCommandTexts[] = {
    {kCmdOpen, 10200, 10300},          {kCmdExplore, 10201, 10312},    {kCmdNewPersonalFolder, 10202, 10315},
    {kCmdVerify, 10203, 10316},        {kCmdCreateShortcut, 10204, 10301}, {kCmdDelete, 10205, 10318},
    {kCmdRename, 10206, 10317},        {kCmdProperties, 10207, 10302}, {kCmdCut, 10208, 10319},
    {kCmdCopy, 10209, 10303},          {kCmdPaste, 10210, 10321},      {kCmdLargeIcons, 10212, 10322},
    {kCmdSmallIcons, 10213, 10323},    {kCmdList, 10214, 10324},       {kCmdDetails, 10215, 10325},
    {kCmdAutoArrange, 10217, 10310},   {kCmdLineUpIcons, 10218, 10311},
};

constexpr DWORD kRootAttributes = 0x21040040;

CShellExtApp& App() { return *GetShellExtApp(); }

}  // namespace

void CopyItemText(LPSTR buffer, UINT size, LPCSTR text) {
    if (!buffer || size == 0) return;
    UINT used = 0;
    for (LPCSTR at = text ? text : ""; *at;) {
        LPCSTR next = KMNextChar(at);
        const UINT length = static_cast<UINT>(next - at);
        if (length == 0 || used + length > size - 1) break;
        std::memcpy(buffer + used, at, length);
        used += length;
        at = next;
    }
    buffer[used] = 0;
}

BOOL GetItemCommandText(UINT command, BOOL helpText, CString& text) {
    text.Empty();
    for (const auto& entry : kCommandTexts) {
        if (entry.command == command) return text.LoadString(helpText ? entry.helpText : entry.menuText);
    }
    return FALSE;
}

UINT ItemKeyHash(LPCSTR key, UINT buckets) {
    int first = 0, second = 0;
    if (key && key[0]) {
        first = static_cast<signed char>(key[0]);
        second = static_cast<signed char>(key[1]);
    }
    const UINT sum = static_cast<UINT>(first) + 65536u * static_cast<UINT>(second);
    return buckets ? sum % buckets : sum;
}

void ReleaseItems(CFolderItem** items, int count) {
    for (int i = count - 1; i >= 0; --i) {
        if (items[i]) items[i]->Release();
    }
}

// ---- construction

CFolderItem::CFolderItem() { ++App().m_nLiveObjects; }

CFolderItem::CFolderItem(LPCSTR firstPart, LPCSTR secondPart, DWORD flags, LPCSTR displayName, HICON icon)
    : m_strDisplayName(displayName), m_dwFlags(flags) {
    ++App().m_nLiveObjects;
    if (firstPart) m_strKey = CString(firstPart) + (secondPart ? secondPart : "");
    m_ownList = CItemIdList(static_cast<LPCSTR>(m_strKey));
    if (!icon || !App().AddIcon(m_icon, icon)) m_icon = App().GetDefaultFolderIcon(IsPersonal() ? 1 : 0);
}

CFolderItem::CFolderItem(const CFolderItem& other)
    : CObject(),
      m_strKey(other.m_strKey),
      m_strDisplayName(other.m_strDisplayName),
      m_dwFlags(other.m_dwFlags),
      m_icon(other.m_icon),
      m_parentList(other.m_parentList),
      m_ownList(other.m_ownList) {
    ++App().m_nLiveObjects;
}

CFolderItem::~CFolderItem() { --App().m_nLiveObjects; }

// ---- the one reference count

HRESULT CFolderItem::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IContextMenu2) || IsEqualIID(iid, IID_IContextMenu)) {
        *object = static_cast<IContextMenu2*>(&m_xContextMenu);
    } else if (IsEqualIID(iid, IID_IExtractIconA)) {
        *object = static_cast<IExtractIconA*>(&m_xExtractIconA);
    } else if (IsEqualIID(iid, IID_IExtractIconW)) {
        *object = static_cast<IExtractIconW*>(&m_xExtractIconW);
    } else if (IsEqualIID(iid, IID_IDropTarget)) {
        *object = static_cast<IDropTarget*>(&m_xDropTarget);
    } else if (IsEqualIID(iid, IID_IShellPropSheetExt)) {
        *object = static_cast<IShellPropSheetExt*>(&m_xShellPropSheetExt);
    }
    if (!*object) return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

ULONG CFolderItem::AddRef() { return static_cast<ULONG>(++m_nRefs); }

ULONG CFolderItem::Release() {
    const LONG left = --m_nRefs;
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

IUnknown* CFolderItem::GetUnknown() { return static_cast<IContextMenu2*>(&m_xContextMenu); }

// ---- the extension's operations

int CFolderItem::AddSheetPages(CPropertySheet* sheet) {
    sheet->AddPage(new CGeneralPage);
    return 1;
}

DWORD CFolderItem::GetAttributes() { return kRootAttributes; }

void CFolderItem::GetDisplayName(UINT, LPSTR buffer, UINT size) { CopyItemText(buffer, size, m_strDisplayName); }

void CFolderItem::OnClick(int, int, HWND) {}

void CFolderItem::DoDefaultCommand(int, int, HWND, IShellBrowser* browser) {
    HWND tree = nullptr;
    if (browser) browser->GetControlWindow(FCW_TREE, &tree);
    Open(tree ? kExploreShow : kOpenShow);
}

void CFolderItem::ShowContextMenu(int x, int y, HWND view) {
    POINT point{x, y};
    ClientToScreen(view, &point);
    HMENU menu = CreatePopupMenu();
    if (!menu) return;
    QueryContextMenu(menu, 0, 0, 0xFFFFFFFF, CMF_NORMAL);
    TrackPopupMenu(menu, TPM_CENTERALIGN | TPM_RIGHTBUTTON, point.x, point.y, 0, view, nullptr);
    DestroyMenu(menu);
}

void CFolderItem::OnHook(int, int, int) {}

void CFolderItem::DoDefaultCommandFor(HWND view, IShellBrowser* browser) { DoDefaultCommand(0, 0, view, browser); }

BOOL CFolderItem::OnCommand(UINT command, HWND owner) {
    switch (command) {
    case kCmdOpen: Open(kOpenShow); return TRUE;
    case kCmdExplore: Open(kExploreShow); return TRUE;
    case kCmdCreateShortcut: {
        // A display name comes from the directory: the file name is made
        // safe, stays on the desktop and never replaces another file.
        CString desktop, path;
        BOOL exists = FALSE;
        if (!GetSpecialFolderPath(CSIDL_DESKTOPDIRECTORY, desktop)) return TRUE;
        auto isThisItem = [this](LPCSTR candidate) {
            CString key;
            return ReadNameSpaceLink(candidate, key, nullptr) && key == m_strKey ? TRUE : FALSE;
        };
        if (FindShortcutPath(desktop, m_strDisplayName, isThisItem, path, exists) && !exists) {
            CreateShortcut(m_parentList, nullptr, path);
        }
        return TRUE;
    }
    case kCmdDelete: {
        CString parentKey;
        m_parentList.GetItemKey(parentKey, FALSE);
        if (Delete(parentKey, TRUE) && App().m_pCache) App().m_pCache->Rebuild(TRUE);
        return TRUE;
    }
    case kCmdRename: {
        char className[64] = {};
        GetClassNameA(owner, className, sizeof(className));
        if (std::strcmp(className, "SysListView32") != 0) {
            HWND tree = FindWindowExA(owner, nullptr, "SysTreeView32", nullptr);
            if (tree) {
                SetFocus(tree);
                LPARAM item = SendMessageA(tree, TVM_GETNEXTITEM, TVGN_DROPHILITE, 0);
                if (!item) item = SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0);
                SendMessageA(tree, TVM_EDITLABELA, 0, item);
            }
        } else {
            SetFocus(owner);
            const LRESULT item = SendMessageA(owner, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED);
            SendMessageA(owner, LVM_EDITLABELA, static_cast<WPARAM>(item), 0);
        }
        return TRUE;
    }
    case kCmdProperties: ShowProperties(owner); return TRUE;
    case kCmdPaste: {
        IDataObject* data = nullptr;
        if (SUCCEEDED(OleGetClipboard(&data)) && data) {
            DWORD effect = DROPEFFECT_COPY;
            m_xDropTarget.Drop(data, 0, POINTL{0, 0}, &effect);
            data->Release();
        }
        return TRUE;
    }
    default: return FALSE;
    }
}

void CFolderItem::Open(UINT showFlags) { App().RunProgram(GetAbsoluteIdList(), showFlags); }

void CFolderItem::CreateShortcut(const CItemIdList& list, LPCSTR description, LPCSTR path) {
    if (!path) return;
    // A file already there is left alone: it either is this item's shortcut
    // or belongs to someone else.
    if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES) return;
    if (FAILED(CoInitialize(nullptr))) return;
    IShellLinkA* link = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&link)))) {
        IPersistFile* file = nullptr;
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
            link->SetArguments("");
            link->SetDescription(description ? description : "");
            link->SetIDList(list + m_ownList);
            link->SetWorkingDirectory("");
            file->Save(vpr::locale::ToWide(path).c_str(), TRUE);
            file->Release();
        }
        link->Release();
    }
    CoUninitialize();
}

void CFolderItem::ShowProperties(HWND owner) {
    CString format, title;
    format.LoadString(10410);
    title.Format(format, static_cast<LPCSTR>(m_strDisplayName));
    CWnd* parent = owner ? CWnd::FromHandle(owner) : nullptr;
    auto* sheet = new CPropSheet(title, parent);
    AddSheetPages(sheet);
    if (!sheet->Create(parent)) delete sheet;
}

int CFolderItem::Compare(CFolderItem* other, int column, BOOL descending) {
    if (IsPersonal() && !other->IsPersonal()) return 1;
    CString mine, theirs;
    if (column == 1) {
        SplitKey(nullptr, &mine, nullptr);
        other->SplitKey(nullptr, &theirs, nullptr);
    } else if (column == 2) {
        SplitKey(nullptr, nullptr, &mine);
        other->SplitKey(nullptr, nullptr, &theirs);
    } else {
        mine = m_strDisplayName;
        theirs = other->m_strDisplayName;
    }
    const int compared = std::strcmp(mine, theirs);
    const int result = compared < 0 ? -1 : (compared > 0 ? 1 : 0);
    return descending ? -result : result;
}

BOOL CFolderItem::Rename(LPCSTR) { return FALSE; }

BOOL CFolderItem::Delete(LPCSTR, BOOL) { return FALSE; }

// ---- what the interface parts do

UINT CFolderItem::InsertCommand(HMENU menu, UINT position, UINT firstId, UINT command, BOOL ownerDrawn) {
    if (ownerDrawn) {
        InsertMenuA(menu, position, MF_BYPOSITION | MF_OWNERDRAW, firstId + command,
                    reinterpret_cast<LPCSTR>(static_cast<UINT_PTR>(command)));
    } else {
        CString text;
        GetItemCommandText(command, FALSE, text);
        InsertMenuA(menu, position, MF_BYPOSITION | MF_STRING, firstId + command, text);
    }
    return 1;
}

void CFolderItem::InsertSeparator(HMENU menu, UINT position) {
    InsertMenuA(menu, position, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
}

UINT CFolderItem::InsertOpenAndExplore(HMENU menu, UINT& at, UINT firstId, UINT flags) {
    // The tree pane's menu leads with Explore, a list's with Open; the first
    // is the default command.
    const BOOL explore = (flags & CMF_EXPLORE) != 0;
    const UINT first = explore ? kCmdExplore : kCmdOpen, second = explore ? kCmdOpen : kCmdExplore;
    UINT count = InsertCommand(menu, at, firstId, first, explore);
    SetMenuDefaultItem(menu, at++, TRUE);
    if (!(flags & CMF_DEFAULTONLY)) count += InsertCommand(menu, at++, firstId, second, explore);
    return count;
}

HRESULT CFolderItem::QueryContextMenu(HMENU menu, UINT position, UINT firstId, UINT, UINT flags) {
    App().m_idCmdFirst = firstId;
    const BOOL explore = (flags & CMF_EXPLORE) != 0;
    UINT at = position, count = 0;
    count += InsertOpenAndExplore(menu, at, firstId, flags);
    if (!(flags & CMF_VERBSONLY)) {
        InsertSeparator(menu, at++);
        count += InsertCommand(menu, at++, firstId, kCmdCreateShortcut, explore);
        InsertSeparator(menu, at++);
        count += InsertCommand(menu, at++, firstId, kCmdProperties, explore);
    }
    return static_cast<HRESULT>(count);
}

HRESULT CFolderItem::InvokeCommand(LPCMINVOKECOMMANDINFO info) {
    if (!info) return E_INVALIDARG;
    UINT command;
    if (IS_INTRESOURCE(info->lpVerb)) {
        command = LOWORD(reinterpret_cast<UINT_PTR>(info->lpVerb));
    } else if (std::strcmp(info->lpVerb, "delete") == 0) {
        command = kCmdDelete;
    } else {
        return S_OK;
    }
    return OnCommand(command, info->hwnd) ? S_OK : E_FAIL;
}

HRESULT CFolderItem::GetCommandString(UINT_PTR command, UINT type, LPSTR buffer, UINT size) {
    CString text;
    GetItemCommandText(static_cast<UINT>(command), type != GCS_VERBA, text);
    CopyItemText(buffer, size, text);
    return S_OK;
}

HRESULT CFolderItem::HandleMenuMsg(UINT message, WPARAM, LPARAM lParam) {
    const UINT first = App().m_idCmdFirst;
    if (message == WM_MEASUREITEM) {
        auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        if (!measure) return S_OK;
        CString text;
        GetItemCommandText(measure->itemID - first, FALSE, text);
        HDC dc = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
        RECT bounds{0, 0, 0, 0};
        DrawTextA(dc, text, -1, &bounds, DT_SINGLELINE | DT_CALCRECT);
        DeleteDC(dc);
        measure->itemWidth = static_cast<UINT>(bounds.right - bounds.left);
        measure->itemHeight = static_cast<UINT>(bounds.bottom - bounds.top);
    } else if (message == WM_DRAWITEM) {
        auto* draw = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
        if (!draw) return S_OK;
        const UINT command = draw->itemID - first;
        CString text;
        GetItemCommandText(command, FALSE, text);
        COLORREF textColour, backColour;
        if (draw->itemState & ODS_SELECTED) {
            CString help;
            GetItemCommandText(command, TRUE, help);
            SetShellStatusText(help);
            textColour = GetSysColor(COLOR_HIGHLIGHTTEXT);
            backColour = GetSysColor(COLOR_HIGHLIGHT);
        } else {
            textColour = GetSysColor(COLOR_MENUTEXT);
            backColour = GetSysColor(COLOR_MENU);
        }
        const COLORREF oldText = SetTextColor(draw->hDC, textColour);
        const COLORREF oldBack = SetBkColor(draw->hDC, backColour);
        HBRUSH brush = CreateSolidBrush(backColour);
        FillRect(draw->hDC, &draw->rcItem, brush);
        DeleteObject(brush);
        RECT textRect = draw->rcItem;
        textRect.left += GetSystemMetrics(SM_CXMENUCHECK);
        DrawTextA(draw->hDC, text, -1, &textRect, DT_SINGLELINE | DT_VCENTER);
        SetTextColor(draw->hDC, oldText);
        SetBkColor(draw->hDC, oldBack);
    }
    return S_OK;
}

HRESULT CFolderItem::GetIconLocation(UINT flags, LPSTR file, UINT size, int* index, UINT* outFlags) {
    CShellExtApp& app = App();
    HINSTANCE module = app.m_hResources ? app.m_hResources : AfxGetInstanceHandle();
    char path[MAX_PATH] = {};
    GetModuleFileNameA(module, path, sizeof(path));
    CopyItemText(file, size, path);
    if (index) *index = ((flags & GIL_OPENICON) ? 1 : 0) + (IsPersonal() ? 2 : 0);
    if (outFlags) *outFlags = GIL_PERINSTANCE;
    return S_OK;
}

HRESULT CFolderItem::GetIconLocation(UINT flags, LPWSTR file, UINT size, int* index, UINT* outFlags) {
    char path[MAX_PATH] = {};
    GetIconLocation(flags, path, sizeof(path), index, outFlags);
    if (file && size) {
        const std::u16string wide = vpr::locale::ToWide(path);
        const size_t count = std::min<size_t>(wide.size(), size - 1);
        std::memcpy(file, wide.data(), count * sizeof(WCHAR));
        file[count] = 0;
    }
    if (outFlags) *outFlags = 0;
    return S_OK;
}

HRESULT CFolderItem::Extract(HICON*, HICON*, UINT) { return S_FALSE; }

HRESULT CFolderItem::DragEnter(IDataObject*, DWORD, POINTL, DWORD* effect) {
    if (effect) *effect = DROPEFFECT_NONE;
    return S_OK;
}

HRESULT CFolderItem::DragOver(DWORD, POINTL, DWORD* effect) {
    if (effect) *effect = DROPEFFECT_NONE;
    return S_OK;
}

HRESULT CFolderItem::DragLeave() { return S_OK; }

HRESULT CFolderItem::Drop(IDataObject*, DWORD, POINTL, DWORD* effect) {
    if (effect) *effect = DROPEFFECT_NONE;
    return S_OK;
}

HRESULT CFolderItem::AddPages(LPFNADDPROPSHEETPAGE add, LPARAM param) {
    AddShellPage(new CGeneralPage, add, param);
    return S_OK;
}

void CFolderItem::AddShellPage(CPropertyPage* page, LPFNADDPROPSHEETPAGE add, LPARAM param) {
    HPROPSHEETPAGE handle = CreatePropertySheetPageA(&page->m_psp);
    if (handle && add && add(handle, param)) return;
    if (handle) DestroyPropertySheetPage(handle);
    delete page;
}

// ---- small operations

void CFolderItem::SplitKey(CString* key, CString* first, CString* second) const {
    if (key) *key = m_strKey;
    const int tab = m_strKey.Find('\t');
    if (first) *first = tab < 0 ? m_strKey : m_strKey.Left(tab);
    if (second) *second = tab < 0 ? CString() : m_strKey.Mid(tab + 1);
}

CItemIdList CFolderItem::GetAbsoluteIdList() const { return m_parentList + m_ownList; }

void CFolderItem::SetKey(const CString& key) {
    m_strKey = key;
    m_ownList = CItemIdList(static_cast<LPCSTR>(key));
}

// ---- the nested interface parts
//
// The shell calls them with its own module state current: each selects the
// extension's, so that its texts, dialogs and icons are found.

#define VPR_ITEM_PART(part)                                                                               \
    STDMETHODIMP CFolderItem::part::QueryInterface(REFIID iid, void** object) {                          \
        AFX_MANAGE_STATE(AfxGetStaticModuleState());                                                     \
        return m_pOwner->QueryInterface(iid, object);                                                    \
    }                                                                                                     \
    STDMETHODIMP_(ULONG) CFolderItem::part::AddRef() { return m_pOwner->AddRef(); }                      \
    STDMETHODIMP_(ULONG) CFolderItem::part::Release() {                                                  \
        AFX_MANAGE_STATE(AfxGetStaticModuleState());                                                     \
        return m_pOwner->Release();                                                                      \
    }

VPR_ITEM_PART(XExtractIconA)
VPR_ITEM_PART(XExtractIconW)
VPR_ITEM_PART(XContextMenu)
VPR_ITEM_PART(XDropTarget)
VPR_ITEM_PART(XShellPropSheetExt)

STDMETHODIMP CFolderItem::XExtractIconA::GetIconLocation(UINT flags, LPSTR file, UINT size, int* index, UINT* outFlags) {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return m_pOwner->GetIconLocation(flags, file, size, index, outFlags);
}
STDMETHODIMP CFolderItem::XExtractIconA::Extract(LPCSTR, UINT, HICON* large, HICON* small, UINT sizes) {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return m_pOwner->Extract(large, small, sizes);
}
STDMETHODIMP CFolderItem::XExtractIconW::GetIconLocation(UINT flags, LPWSTR file, UINT size, int* index, UINT* outFlags) {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return m_pOwner->GetIconLocation(flags, file, size, index, outFlags);
}
STDMETHODIMP CFolderItem::XExtractIconW::Extract(LPCWSTR, UINT, HICON* large, HICON* small, UINT sizes) {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return m_pOwner->Extract(large, small, sizes);
}
STDMETHODIMP CFolderItem::XContextMenu::QueryContextMenu(HMENU menu, UINT index, UINT first, UINT last, UINT flags) {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return m_pOwner->QueryContextMenu(menu, index, first, last, flags);
}
STDMETHODIMP CFolderItem::XContextMenu::InvokeCommand(LPCMINVOKECOMMANDINFO info) {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return m_pOwner->InvokeCommand(info);
}
STDMETHODIMP CFolderItem::XContextMenu::GetCommandString(UINT_PTR command, UINT type, UINT*, LPSTR name, UINT size) {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return m_pOwner->GetCommandString(command, type, name, size);
}
STDMETHODIMP CFolderItem::XContextMenu::HandleMenuMsg(UINT message, WPARAM wParam, LPARAM lParam) {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return m_pOwner->HandleMenuMsg(message, wParam, lParam);
}
STDMETHODIMP CFolderItem::XDropTarget::DragEnter(IDataObject* data, DWORD keys, POINTL point, DWORD* effect) {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return m_pOwner->DragEnter(data, keys, point, effect);
}
STDMETHODIMP CFolderItem::XDropTarget::DragOver(DWORD keys, POINTL point, DWORD* effect) {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return m_pOwner->DragOver(keys, point, effect);
}
STDMETHODIMP CFolderItem::XDropTarget::DragLeave() {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return m_pOwner->DragLeave();
}
STDMETHODIMP CFolderItem::XDropTarget::Drop(IDataObject* data, DWORD keys, POINTL point, DWORD* effect) {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return m_pOwner->Drop(data, keys, point, effect);
}
STDMETHODIMP CFolderItem::XShellPropSheetExt::AddPages(LPFNADDPROPSHEETPAGE add, LPARAM param) {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return m_pOwner->AddPages(add, param);
}
STDMETHODIMP CFolderItem::XShellPropSheetExt::ReplacePage(UINT, LPFNADDPROPSHEETPAGE, LPARAM) { return E_FAIL; }
