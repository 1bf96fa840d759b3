#include "snapin/core/snapin_object_type.h"

#include <cstring>
#include <memory>

#include "snapin/core/snapin_page.h"

namespace {

CSnapinObjectType* g_pending = nullptr;
std::unique_ptr<char[]> g_currentObjectName;  // SNAPIN_NAME_SIZE bytes, or none

HINSTANCE InterfaceResource() {
    CSnapinInterfaceBase* snapin = GetSnapinInterface();
    return snapin ? snapin->GetResourceHandle() : nullptr;
}

LPCSTR InterfaceModuleName() {
    CSnapinInterfaceBase* snapin = GetSnapinInterface();
    return snapin ? snapin->GetModuleName() : nullptr;
}

// Takes the name of the object whose details open; false (and no name)
// when it does not fit the buffer with its terminator.
bool SetCurrentObjectName(const char* name) {
    g_currentObjectName.reset();
    if (!name) return false;
    size_t length = strnlen(name, SNAPIN_NAME_SIZE);
    if (length >= SNAPIN_NAME_SIZE) return false;
    g_currentObjectName = std::make_unique<char[]>(SNAPIN_NAME_SIZE);
    std::memcpy(g_currentObjectName.get(), name, length + 1);
    return true;
}

}  // namespace

CSnapinObjectType::CSnapinObjectType(LPCSTR nameSpace, LPCSTR className, int textId, HBITMAP normal,
                                     HBITMAP alias, HBITMAP readOnly)
    : CSnapinObjectType(nameSpace, className, static_cast<LPCSTR>(nullptr), normal, alias, readOnly) {
    if (textId != -1) {
        m_bHasDisplayText = true;
        m_strDisplayText.LoadString(static_cast<UINT>(textId));
    }
}

CSnapinObjectType::CSnapinObjectType(LPCSTR nameSpace, LPCSTR className, LPCSTR displayText, HBITMAP normal,
                                     HBITMAP alias, HBITMAP readOnly)
    : m_hResource(InterfaceResource()),
      m_pszModuleName(InterfaceModuleName()),
      m_strNameSpace(nameSpace),
      m_strClassName(className),
      m_strDisplayText(displayText),
      m_bHasDisplayText(displayText != nullptr),
      m_hNormal(normal),
      m_hAlias(alias),
      m_hReadOnly(readOnly) {}

CSnapinObjectType::~CSnapinObjectType() {
    if (g_pending == this) g_pending = nullptr;
}

LONG CSnapinObjectType::GetPageRecord(char*, ULONG_PTR index, SnapinPageRecord* out) {
    if (index >= m_pages.size() || !out) return -1;
    *out = m_pages[index];
    return 0;
}

LONG CSnapinObjectType::GetPageCount() { return static_cast<LONG>(m_pages.size()); }
LONG CSnapinObjectType::CreateObject(char*, ULONG_PTR) { return 0; }
LONG CSnapinObjectType::GetClassFlags(char*) { return 1; }
LONG CSnapinObjectType::SavePages(char*) { return 0; }
LONG CSnapinObjectType::OnCode105(char*, ULONG_PTR) { return 1; }
LONG CSnapinObjectType::OnCode107(char*) { return 0; }
LONG CSnapinObjectType::OnCode108(char*) { return 0; }
LONG CSnapinObjectType::OnCode109(char*) { return 0; }
LONG CSnapinObjectType::OnCode111(ULONG_PTR) { return 0; }
LONG CSnapinObjectType::OnCode112(char*) { return 0; }
LONG CSnapinObjectType::OnCode113(char*, ULONG_PTR, ULONG_PTR) { return 0; }
LONG CSnapinObjectType::OnCode114(char*, ULONG_PTR) { return 0; }
LONG CSnapinObjectType::OnCode115(char*) { return 0; }
LONG CSnapinObjectType::OnCode118(ULONG_PTR) { return 0; }
LONG CSnapinObjectType::OnCode119(ULONG_PTR, ULONG_PTR) { return 0; }
LONG CSnapinObjectType::OnCode116(ULONG_PTR) { return 5; }
LONG CSnapinObjectType::OnCode117(ULONG_PTR, ULONG_PTR) { return 0; }

void CSnapinObjectType::AddPage(CSnapinPage* page) {
    m_pages.push_back(SnapinPageRecord{page->GetDialogProc(), m_hResource, page->GetTemplate(), page->GetTitle(),
                                       reinterpret_cast<LPARAM>(page->GetOwner())});
}

int CSnapinObjectType::RegisterBitmaps(HBITMAP normal, HBITMAP alias, HBITMAP readOnly) {
    if (!m_bHasDisplayText) {
        m_strDisplayText = m_strClassName;
        m_bHasDisplayText = true;
    }
    m_hNormal = normal;
    m_hAlias = alias;
    m_hReadOnly = readOnly;
    if (!m_hNormal || !m_hAlias || !m_hReadOnly) return 0;
    return HostRegisterObjectTypeBitmaps(m_strClassName, m_strDisplayText, m_hNormal, m_hAlias, m_hReadOnly) == 0
               ? 1
               : 0;
}

LONG CSnapinObjectType::Register() {
    g_pending = this;
    return HostRegisterObjectType(m_strNameSpace, m_strClassName, m_pszModuleName, m_hResource, GetCallBack(),
                                  SNAPIN_INTERFACE_VERSION);
}

CSnapinObjectType* GetPendingObjectType() { return g_pending; }

LPCSTR GetCurrentObjectName() { return g_currentObjectName.get(); }

LONG SnapinDispatch(CSnapinObjectType* object, char* data, WORD code, ULONG_PTR p3, ULONG_PTR p4) {
    switch (code) {
    case 0x100: return object->CreatePages();
    case 0x101: return object->DeletePages();
    case 0x102: return object->CreateObject(data, p3);
    case 0x103:
        if (!SetCurrentObjectName(data)) return -1;
        return object->GetPageCount();
    case 0x104: return object->GetPageRecord(data, p3, reinterpret_cast<SnapinPageRecord*>(p4));
    case 0x105: return object->OnCode105(data, p3);
    case 0x106: return object->SavePages(data);
    case 0x107: return object->OnCode107(data);
    case 0x108: return object->OnCode108(data);
    case 0x109: return object->OnCode109(data);
    case 0x110: return object->GetClassFlags(data);
    case 0x111:
        g_currentObjectName.reset();
        return object->OnCode111(p3);
    case 0x112: return object->OnCode112(data);
    case 0x113: return object->OnCode113(data, p3, p4);
    case 0x114: return object->OnCode114(data, p3);
    case 0x115: return object->OnCode115(data);
    case 0x116: return object->OnCode116(p4);
    case 0x117: return object->OnCode117(p3, p4);
    case 0x118: return object->OnCode118(p3);
    case 0x119: return object->OnCode119(p3, p4);
    default: return 0;
    }
}
