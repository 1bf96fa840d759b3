// CSnapinInterfaceBase: the module's singleton interface object. The first
// one constructed becomes the singleton (GetSnapinInterface); a later one
// stays unregistered. It keeps the instance from which the registered
// classes' dialogs, strings and bitmaps are loaded and the module's
// identification text, which the host receives with every class.
#pragma once

#include "snapin/core/host_calls.h"
#include "vpr/mfc/string.h"

class CSnapinInterfaceBase {
public:
    explicit CSnapinInterfaceBase(LPCSTR moduleName);
    virtual ~CSnapinInterfaceBase();
    CSnapinInterfaceBase(const CSnapinInterfaceBase&) = delete;
    CSnapinInterfaceBase& operator=(const CSnapinInterfaceBase&) = delete;

    virtual LONG Init() = 0;
    virtual LONG Term() = 0;
    virtual HINSTANCE GetResourceHandle();

    void SetResourceHandle(HINSTANCE instance) { m_hResource = instance; }
    // The identification text; null when none was given.
    LPCSTR GetModuleName() const { return m_bHasModuleName ? static_cast<LPCSTR>(m_strModuleName) : nullptr; }

protected:
    HINSTANCE m_hResource = nullptr;  // unset (0) until set
    CString m_strModuleName;
    bool m_bHasModuleName = false;
};

// The singleton, or null before the first construction and after its
// destruction.
CSnapinInterfaceBase* GetSnapinInterface();
