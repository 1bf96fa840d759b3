#include "items/app_folder_item.h"

#include "cache/app_cache.h"
#include "cache/launch_status_dlg.h"
#include "items/drop_data.h"
#include "module/shell_app_library.h"
#include "module/shell_ext_app.h"
#include "namespace/item_pages.h"
#include "shellapi.h"

IMPLEMENT_DYNAMIC(CAppFolderItem, CFolderItem)

namespace {

constexpr DWORD kSharedAppAttributes = 0x01040145;
constexpr DWORD kPersonalAppAttributes = 0x01000167;

CShellExtApp& App() { return *GetShellExtApp(); }

CString LoadText(UINT id) {
    CString text;
    text.LoadString(id);
    return text;
}

// A launch is running: the user is told to wait.
BOOL RefuseWhileLaunching() {
    if (!CLaunchStatusDlg::IsOpen()) return FALSE;
    CString caption;
    caption.LoadString(10240);
    MessageBoxA(GetDesktopWindow(), LoadText(10257), caption, MB_OK | MB_ICONINFORMATION);
    return TRUE;
}

}  // namespace

CAppFolderItem::CAppFolderItem(LPCSTR firstPart, LPCSTR secondPart, LPCSTR displayName, HICON icon)
    : CFolderItem() {
    if (firstPart) m_strKey = CString(firstPart) + (secondPart ? secondPart : "");
    m_strDisplayName = displayName;
    m_ownList = CItemIdList(static_cast<LPCSTR>(m_strKey));
    if (!icon || !App().AddIcon(m_icon, icon)) m_icon = App().GetDefaultAppIcon();
}

int CAppFolderItem::AddSheetPages(CPropertySheet* sheet) {
    sheet->AddPage(new CItemDescriptionPage(this));
    sheet->AddPage(new CItemContactsPage(this));
    return CFolderItem::AddSheetPages(sheet);
}

DWORD CAppFolderItem::GetAttributes() { return IsPersonal() ? kPersonalAppAttributes : kSharedAppAttributes; }

void CAppFolderItem::GetDisplayName(UINT nameFlags, LPSTR buffer, UINT size) {
    if (!(nameFlags & SHGDN_FORPARSING)) {
        CFolderItem::GetDisplayName(nameFlags, buffer, size);
        return;
    }
    CString text;
    text.Format(LoadText(10251), static_cast<LPCSTR>(m_strDisplayName));
    CopyItemText(buffer, size, text);
}

BOOL CAppFolderItem::OnCommand(UINT command, HWND owner) {
    if (command != kCmdVerify) return CFolderItem::OnCommand(command, owner);
    if (RefuseWhileLaunching()) return TRUE;
    CShellExtApp& app = App();
    if (app.m_pLibrary) app.m_pLibrary->MarkNotInstalled(m_strKey);
    if (app.m_pCache) app.m_pCache->Launch(m_strKey, nullptr);
    return TRUE;
}

void CAppFolderItem::Open(UINT) { Launch(nullptr); }

void CAppFolderItem::Launch(LPCSTR parameters) {
    if (RefuseWhileLaunching()) return;
    CShellExtApp& app = App();
    if (app.m_pCache && app.m_pCache->Launch(m_strKey, parameters)) app.BroadcastRefill(FALSE);
}

BOOL CAppFolderItem::Delete(LPCSTR parentKey, BOOL askFirst) {
    if (askFirst) {
        CString question;
        question.Format(LoadText(10458), static_cast<LPCSTR>(m_strDisplayName));
        if (MessageBoxA(GetDesktopWindow(), question, LoadText(10459), MB_YESNO | MB_ICONQUESTION) != IDYES)
            return FALSE;
    }
    CShellExtApp& app = App();
    if (!parentKey || !*parentKey || !app.m_pCache || !app.m_pLibrary) return FALSE;
    CFolderItem* parent = app.m_pCache->GetItem(parentKey, kNoContext);
    if (!parent) return FALSE;
    BOOL deleted = FALSE;
    if (parent->GetAttributes() & SFGAO_CANDELETE) {
        CString tree, application, folder;
        SplitKey(nullptr, &tree, &application);
        parent->SplitKey(nullptr, nullptr, &folder);
        app.m_pLibrary->DeletePersonalFolderItem(tree, folder, application);
        SHChangeNotify(SHCNE_UPDATEDIR, SHCNF_IDLIST | SHCNF_FLUSH, m_parentList.GetList(), nullptr);
        deleted = TRUE;
    }
    parent->Release();
    return deleted;
}

HRESULT CAppFolderItem::QueryContextMenu(HMENU menu, UINT position, UINT firstId, UINT, UINT flags) {
    CShellExtApp& app = App();
    app.m_idCmdFirst = firstId;
    BOOL removable = FALSE;
    CString parentKey;
    m_parentList.GetItemKey(parentKey, TRUE);
    if (app.m_pCache) {
        if (CFolderItem* parent = app.m_pCache->GetItem(parentKey, kNoContext)) {
            removable = (parent->GetAttributes() & SFGAO_CANDELETE) != 0;
            parent->Release();
        }
    }
    removable = removable || IsPersonal();
    UINT at = position, count = 0;
    count += InsertCommand(menu, at, firstId, kCmdOpen, FALSE);
    SetMenuDefaultItem(menu, at++, TRUE);
    if (!(flags & CMF_VERBSONLY)) {
        if (app.m_pLibrary && app.m_pLibrary->IsInstalled(m_strKey))
            count += InsertCommand(menu, at++, firstId, kCmdVerify, FALSE);
        InsertSeparator(menu, at++);
        if (removable) count += InsertCommand(menu, at++, firstId, kCmdCut, FALSE);
        count += InsertCommand(menu, at++, firstId, kCmdCopy, FALSE);
        if (removable) count += InsertCommand(menu, at++, firstId, kCmdDelete, FALSE);
        InsertSeparator(menu, at++);
        count += InsertCommand(menu, at++, firstId, kCmdCreateShortcut, FALSE);
        InsertSeparator(menu, at++);
        count += InsertCommand(menu, at++, firstId, kCmdProperties, FALSE);
    }
    return static_cast<HRESULT>(count);
}

HRESULT CAppFolderItem::GetIconLocation(UINT, LPSTR file, UINT size, int* index, UINT* outFlags) {
    if (file && size) file[0] = 0;
    if (index) *index = m_icon.GetIndex();
    if (outFlags) *outFlags = GIL_NOTFILENAME | GIL_DONTCACHE | GIL_PERINSTANCE;
    return S_OK;
}

HRESULT CAppFolderItem::GetIconLocation(UINT, LPWSTR file, UINT size, int* index, UINT* outFlags) {
    if (file && size) file[0] = 0;
    if (index) *index = m_icon.GetIndex();
    if (outFlags) *outFlags = GIL_NOTFILENAME | GIL_DONTCACHE | GIL_PERINSTANCE;
    return S_OK;
}

HRESULT CAppFolderItem::Extract(HICON* large, HICON* small, UINT) {
    if (large) *large = App().GetIcon(m_icon, 0);
    if (small) *small = App().GetIcon(m_icon, 1);
    return S_OK;
}

HRESULT CAppFolderItem::DragEnter(IDataObject* data, DWORD, POINTL, DWORD* effect) {
    if (!data) return E_FAIL;
    FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    if (effect) *effect = data->QueryGetData(&format) == S_OK ? DROPEFFECT_COPY : DROPEFFECT_NONE;
    return S_OK;
}

HRESULT CAppFolderItem::DragOver(DWORD, POINTL, DWORD* effect) {
    if (effect) *effect = DROPEFFECT_COPY;
    return S_OK;
}

HRESULT CAppFolderItem::Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) {
    HRESULT result = E_FAIL;
    if (effect) *effect = DROPEFFECT_NONE;
    if (!data) return result;
    FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    if (FAILED(data->GetData(&format, &medium))) return result;
    CString parameters;
    const BOOL taken =
        medium.tymed == TYMED_HGLOBAL && medium.hGlobal && GetDropParameters(static_cast<HDROP>(medium.hGlobal), parameters);
    ReleaseStgMedium(&medium);
    if (taken) {
        result = S_OK;
        if (effect) *effect = DROPEFFECT_COPY;
        Launch(parameters);
    }
    return result;
}

HRESULT CAppFolderItem::AddPages(LPFNADDPROPSHEETPAGE add, LPARAM param) {
    AddShellPage(new CItemDescriptionPage(this), add, param);
    AddShellPage(new CItemContactsPage(this), add, param);
    AddShellPage(new CGeneralPage, add, param);
    return S_OK;
}
