#include "items/group_folder_item.h"

#include "cache/app_cache.h"
#include "items/drop_data.h"
#include "module/shell_app_library.h"
#include "module/shell_ext_app.h"
#include "module/shell_utilities.h"
#include "namespace/item_pages.h"

IMPLEMENT_DYNAMIC(CGroupFolderItem, CFolderItem)

namespace {

constexpr DWORD kSharedFolderAttributes = 0x21040045;
constexpr DWORD kPersonalFolderAttributes = 0x21000175;
// Association flags of an application added to a personal folder.
constexpr DWORD kPersonalFolderItemFlags = 0x80000001;

CShellExtApp& App() { return *GetShellExtApp(); }

// Whether one of the keys (node key, TAB, name) names the application.
BOOL HoldsApplication(const CStringArray& keys, const CString& name) {
    for (int i = 0; i < keys.GetSize(); ++i) {
        const CString& key = keys[i];
        const int tab = key.Find('\t');
        if (tab >= 0 && key.Mid(tab + 1) == name) return TRUE;
    }
    return FALSE;
}

CString LoadText(UINT id) {
    CString text;
    text.LoadString(id);
    return text;
}

}  // namespace

CGroupFolderItem::CGroupFolderItem(LPCSTR firstPart, LPCSTR secondPart, DWORD flags, const CItemIdList& parentList)
    : CFolderItem(firstPart, secondPart, flags, secondPart, nullptr) {
    m_parentList = parentList;
}

int CGroupFolderItem::AddSheetPages(CPropertySheet* sheet) {
    sheet->AddPage(new CInformationPage(this));
    if (!IsPersonal()) sheet->AddPage(new CSystemPage(this));
    return CFolderItem::AddSheetPages(sheet);
}

DWORD CGroupFolderItem::GetAttributes() {
    return IsPersonal() ? kPersonalFolderAttributes : kSharedFolderAttributes;
}

void CGroupFolderItem::GetDisplayName(UINT nameFlags, LPSTR buffer, UINT size) {
    if (!(nameFlags & SHGDN_FORPARSING)) {
        CFolderItem::GetDisplayName(nameFlags, buffer, size);
        return;
    }
    CString tree, text;
    SplitKey(nullptr, &tree, nullptr);
    text.Format(LoadText(10252), static_cast<LPCSTR>(m_strDisplayName), static_cast<LPCSTR>(tree));
    CopyItemText(buffer, size, text);
}

BOOL CGroupFolderItem::Rename(LPCSTR newName) {
    if (!IsPersonal() || !newName || !*newName) return FALSE;
    CString tree;
    SplitKey(nullptr, &tree, nullptr);
    const CString newKey = tree + "\t" + newName;
    CShellExtApp& app = App();
    if (app.m_pCache && app.m_pCache->GetFlagsForKey(newKey)) {
        MessageBoxA(GetDesktopWindow(), LoadText(10126), LoadText(10136), MB_OK | MB_ICONEXCLAMATION);
        return FALSE;
    }
    if (!app.m_pLibrary) return FALSE;
    const BOOL renamed = app.m_pLibrary->RenamePersonalFolder(m_strDisplayName, newName) != 0;
    if (renamed) {
        m_strDisplayName = newName;
        SetKey(newKey);
    }
    return renamed;
}

BOOL CGroupFolderItem::Delete(LPCSTR, BOOL askFirst) {
    if (askFirst) {
        CString question;
        question.Format(LoadText(10457), static_cast<LPCSTR>(m_strDisplayName));
        if (MessageBoxA(GetDesktopWindow(), question, LoadText(10459), MB_YESNO | MB_ICONQUESTION) != IDYES)
            return FALSE;
    }
    if (!(GetAttributes() & SFGAO_CANDELETE) || !App().m_pLibrary) return FALSE;
    CString folder;
    SplitKey(nullptr, nullptr, &folder);
    App().m_pLibrary->DeletePersonalFolder(folder);
    SHChangeNotify(SHCNE_RMDIR, SHCNF_IDLIST | SHCNF_FLUSH, GetAbsoluteIdList().GetList(), nullptr);
    return TRUE;
}

HRESULT CGroupFolderItem::QueryContextMenu(HMENU menu, UINT position, UINT firstId, UINT, UINT flags) {
    App().m_idCmdFirst = firstId;
    const BOOL explore = (flags & CMF_EXPLORE) != 0;
    const BOOL personal = IsPersonal();
    UINT at = position, count = 0;
    count += InsertOpenAndExplore(menu, at, firstId, flags);
    if (!(flags & CMF_VERBSONLY)) {
        InsertSeparator(menu, at++);
        if (personal) count += InsertCommand(menu, at++, firstId, kCmdCut, explore);
        count += InsertCommand(menu, at++, firstId, kCmdCopy, explore);
        if (personal) count += InsertCommand(menu, at++, firstId, kCmdPaste, explore);
        InsertSeparator(menu, at++);
        count += InsertCommand(menu, at++, firstId, kCmdCreateShortcut, explore);
        if (personal) {
            count += InsertCommand(menu, at++, firstId, kCmdDelete, explore);
            count += InsertCommand(menu, at++, firstId, kCmdRename, explore);
        }
        InsertSeparator(menu, at++);
        count += InsertCommand(menu, at++, firstId, kCmdProperties, explore);
    }
    return static_cast<HRESULT>(count);
}

HRESULT CGroupFolderItem::DragEnter(IDataObject* data, DWORD, POINTL, DWORD* effect) {
    if (effect) *effect = DROPEFFECT_NONE;
    if (!IsPersonal() || !data) return E_FAIL;
    if (effect && HasIdListFormat(data)) *effect = DROPEFFECT_COPY;
    return S_OK;
}

HRESULT CGroupFolderItem::DragOver(DWORD, POINTL, DWORD* effect) {
    if (effect) *effect = IsPersonal() ? DROPEFFECT_COPY : DROPEFFECT_NONE;
    return S_OK;
}

HRESULT CGroupFolderItem::Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) {
    HRESULT result = E_FAIL;
    if (effect) *effect = DROPEFFECT_NONE;
    CShellExtApp& app = App();
    if (!IsPersonal() || !data || !app.m_pCache || !app.m_pLibrary) return result;
    FORMATETC format{static_cast<CLIPFORMAT>(app.m_cfIdListArray), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    if (FAILED(data->GetData(&format, &medium))) return result;
    if (medium.tymed != TYMED_HGLOBAL || !medium.hGlobal) {
        ReleaseStgMedium(&medium);
        return result;
    }
    CStringArray held;
    app.m_pCache->ListFolderChildren(1, m_strKey, held);

    // The block comes from another program: it is read only when its count,
    // offsets and lists all lie inside it; a bad block adds nothing.
    const SIZE_T size = GlobalSize(medium.hGlobal);
    const void* block = GlobalLock(medium.hGlobal);
    std::vector<DroppedItem> items;
    if (block && GetDroppedItems(block, size, items)) {
        const CItemIdList folderList = GetAbsoluteIdList();
        for (const auto& item : items) {
            const int tab = item.key.Find('\t');
            // Only an application's key (tree, TAB, name) can be added.
            if (tab < 0 || tab + 1 >= item.key.GetLength()) continue;
            // The folder lists its applications under its own node key;
            // an application is held when its name is.
            const CString name = item.key.Mid(tab + 1);
            if (HoldsApplication(held, name)) continue;
            held.Add(m_strKey.Left(m_strKey.Find('\t') + 1) + name);
            app.m_pLibrary->AddPersonalFolderItem(item.key.Left(tab), m_strDisplayName, item.key.Mid(tab + 1),
                                                  kPersonalFolderItemFlags);
            const CItemIdList created = folderList + CItemIdList(item.list);
            SHChangeNotify(SHCNE_CREATE, SHCNF_IDLIST | SHCNF_FLUSH, created.GetList(), nullptr);
            result = S_OK;
        }
    }
    if (block) GlobalUnlock(medium.hGlobal);
    ReleaseStgMedium(&medium);
    if (result == S_OK) {
        if (effect) *effect = DROPEFFECT_COPY;
        app.m_pCache->Rebuild(TRUE);
    }
    return result;
}

HRESULT CGroupFolderItem::AddPages(LPFNADDPROPSHEETPAGE add, LPARAM param) {
    AddShellPage(new CInformationPage(this), add, param);
    AddShellPage(new CSystemPage(this), add, param);
    AddShellPage(new CGeneralPage, add, param);
    return S_OK;
}
