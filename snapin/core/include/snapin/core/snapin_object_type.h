// CSnapinObjectType: the base of every object class the module registers
// with the host. The host knows a class only by its registration record and
// one exported callback; the callback hands every code to SnapinDispatch,
// which calls the virtual operation for that code (one per host code; codes
// without one answer 0). A class hands the host one SnapinPageRecord per
// property page.
//
// Order of the host's calls that the pages rely on: 0x100 before any other
// code; per details dialog 0x103 (sets the name GetCurrentObjectName
// answers), 0x104 per page, 0x106 when the user confirms, 0x111 when the
// dialog closes; 0x101 last.
#pragma once

#include <vector>

#include "snapin/core/host_calls.h"
#include "snapin/core/snapin_interface_base.h"
#include "vpr/mfc/string.h"

class CSnapinPage;

class CSnapinObjectType {
public:
    // The display text is string `textId` of the current resources; none
    // when textId is -1.
    CSnapinObjectType(LPCSTR nameSpace, LPCSTR className, int textId, HBITMAP normal = nullptr,
                      HBITMAP alias = nullptr, HBITMAP readOnly = nullptr);
    // The display text given as it is (null: none).
    CSnapinObjectType(LPCSTR nameSpace, LPCSTR className, LPCSTR displayText, HBITMAP normal = nullptr,
                      HBITMAP alias = nullptr, HBITMAP readOnly = nullptr);
    virtual ~CSnapinObjectType();
    CSnapinObjectType(const CSnapinObjectType&) = delete;
    CSnapinObjectType& operator=(const CSnapinObjectType&) = delete;

    virtual LONG CreatePages() = 0;                                  // 0x100
    virtual LONG DeletePages() = 0;                                  // 0x101
    virtual LONG GetPageRecord(char* data, ULONG_PTR index, SnapinPageRecord* out);  // 0x104
    virtual LONG GetPageCount();                                     // 0x103
    virtual LONG CreateObject(char* data, ULONG_PTR nameBuffer);     // 0x102
    virtual LONG GetClassFlags(char* data);                          // 0x110
    virtual LONG SavePages(char* data);                              // 0x106
    virtual LONG OnCode105(char* data, ULONG_PTR p3);                // answers 1
    virtual LONG OnCode107(char* data);
    virtual LONG OnCode108(char* data);
    virtual LONG OnCode109(char* data);
    virtual LONG OnCode111(ULONG_PTR p3);
    virtual LONG OnCode112(char* data);
    virtual LONG OnCode113(char* data, ULONG_PTR p3, ULONG_PTR p4);
    virtual LONG OnCode114(char* data, ULONG_PTR p3);
    virtual LONG OnCode115(char* data);
    virtual LONG OnCode118(ULONG_PTR p3);
    virtual LONG OnCode119(ULONG_PTR p3, ULONG_PTR p4);
    virtual LONG OnCode116(ULONG_PTR p4);                            // answers 5
    virtual LONG OnCode117(ULONG_PTR p3, ULONG_PTR p4);
    virtual SnapinCallBackFn GetCallBack() = 0;                      // the class's own export

    // Appends the record of a page: its dialog procedure, this class's
    // resource instance, its template, its title and its dialog object.
    void AddPage(CSnapinPage* page);
    // Stores the bitmaps and, when the display text (the class name when
    // none was given) and all three are there, registers them with the
    // host. 1 when the host accepted them.
    int RegisterBitmaps(HBITMAP normal, HBITMAP alias, HBITMAP readOnly);
    // Becomes the pending object and registers with the host; the host's
    // answer.
    LONG Register();

    LPCSTR GetClassName() const { return m_strClassName; }
    LPCSTR GetDisplayText() const { return m_bHasDisplayText ? static_cast<LPCSTR>(m_strDisplayText) : nullptr; }

protected:
    HINSTANCE m_hResource = nullptr;
    LPCSTR m_pszModuleName = nullptr;  // the interface's, shared
    CString m_strNameSpace;
    CString m_strClassName;
    CString m_strDisplayText;
    bool m_bHasDisplayText = false;
    std::vector<SnapinPageRecord> m_pages;  // in the order they were added
    HBITMAP m_hNormal = nullptr;
    HBITMAP m_hAlias = nullptr;
    HBITMAP m_hReadOnly = nullptr;
};

// The class that registered last, until a class callback takes it.
CSnapinObjectType* GetPendingObjectType();

// The host's code to the object's operation (the code counts as 16 bits).
LONG SnapinDispatch(CSnapinObjectType* object, char* data, WORD code, ULONG_PTR p3, ULONG_PTR p4);

// The distinguished name of the object whose details are open (from 0x103
// to 0x111), or null. A name that does not fit the module's 514-byte buffer
// is refused: 0x103 answers -1 and no name is current.
LPCSTR GetCurrentObjectName();

// The body of every class's exported callback: `field` is where the
// interface object keeps the class's object. While it is empty, only 0x100
// gets through, and takes the pending object when it is a T.
template <class T>
LONG DispatchClassCallBack(T*& field, char* data, WORD code, ULONG_PTR p3, ULONG_PTR p4) {
    if (!field) {
        if (code != SNAPIN_CREATE_PAGES) return 0;
        field = dynamic_cast<T*>(GetPendingObjectType());
        if (!field) return 0;
    }
    return SnapinDispatch(field, data, code, p3, p4);
}
