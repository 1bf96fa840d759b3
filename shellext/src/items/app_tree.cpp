#include "items/app_tree.h"

#include "namespace/item_pages.h"

IMPLEMENT_DYNAMIC(CAppTree, CFolderItem)

namespace {

constexpr DWORD kTreeAttributes = 0x21040044;

}  // namespace

BOOL IsPersonalTreeKey(LPCSTR key) {
    CString personal;
    personal.LoadString(10256);
    personal += '\t';
    return key && personal == key;
}

CAppTree::CAppTree(LPCSTR key, LPCSTR displayName) : CFolderItem(key, "", 0, displayName, nullptr) {
    if (IsPersonalTreeKey(key)) m_dwFlags |= kPersonalItem;
    m_parentList = RootIdList();
}

int CAppTree::AddSheetPages(CPropertySheet* sheet) {
    sheet->AddPage(new CInformationPage(this));
    return CFolderItem::AddSheetPages(sheet);
}

DWORD CAppTree::GetAttributes() { return kTreeAttributes; }

void CAppTree::GetDisplayName(UINT nameFlags, LPSTR buffer, UINT size) {
    if (!(nameFlags & SHGDN_FORPARSING)) {
        CFolderItem::GetDisplayName(nameFlags, buffer, size);
        return;
    }
    CString format, text;
    format.LoadString(10253);
    text.Format(format, static_cast<LPCSTR>(m_strDisplayName));
    CopyItemText(buffer, size, text);
}
