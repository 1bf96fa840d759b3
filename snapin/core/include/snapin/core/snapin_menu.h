// CSnapinMenu: the base of the module's items in the host's Tools list menu
// ("ListMenu"). Each derived class exports MenuValid and MenuAction; they
// find the object where BindExports stored it (DispatchMenuValid/Action below
// are their bodies). States: SNAPIN_MENU_ENABLED 0, SNAPIN_MENU_GRAYED 3.
#pragma once

#include "snapin/core/host_calls.h"
#include "vpr/mfc/string.h"

class CSnapinMenu {
public:
    // The item's text and hint are strings of the current resources.
    CSnapinMenu(LPCSTR menuName, UINT textId, UINT hintId);
    virtual ~CSnapinMenu();
    CSnapinMenu(const CSnapinMenu&) = delete;
    CSnapinMenu& operator=(const CSnapinMenu&) = delete;

    // Stores the object where its exports find it and its two exports here.
    virtual void BindExports() = 0;
    virtual void Execute();
    virtual unsigned QueryState();

    // BindExports, then the item is registered with the host.
    LONG Register();

    void SetMenuValid(SnapinMenuValid valid) { m_pfnMenuValid = valid; }
    void SetMenuAction(SnapinMenuAction action) { m_pfnMenuAction = action; }
    UINT GetMenuId() const { return m_nMenuId; }
    LPCSTR GetText() const { return m_strText; }

protected:
    SnapinMenuValid m_pfnMenuValid = nullptr;
    SnapinMenuAction m_pfnMenuAction = nullptr;
    CString m_strMenuName;
    CString m_strText;
    CString m_strHint;
    UINT m_nMenuId = 0;  // written by the host
};

// The bodies of a menu class's exports: the state is the object's when it
// exists, else grayed; the action runs only when it exists.
void DispatchMenuValid(CSnapinMenu* menu, unsigned* state);
void DispatchMenuAction(CSnapinMenu* menu);
