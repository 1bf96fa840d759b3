#include "snapin/core/snapin_interface_base.h"

namespace {
CSnapinInterfaceBase* g_interface = nullptr;
}

CSnapinInterfaceBase::CSnapinInterfaceBase(LPCSTR moduleName) {
    if (moduleName) {
        m_strModuleName = moduleName;
        m_bHasModuleName = true;
    }
    if (!g_interface) g_interface = this;
}

CSnapinInterfaceBase::~CSnapinInterfaceBase() {
    m_hResource = nullptr;
    if (g_interface == this) g_interface = nullptr;
}

HINSTANCE CSnapinInterfaceBase::GetResourceHandle() { return m_hResource; }

CSnapinInterfaceBase* GetSnapinInterface() { return g_interface; }
