#include "snapin/core/snapin_menu.h"

CSnapinMenu::CSnapinMenu(LPCSTR menuName, UINT textId, UINT hintId) : m_strMenuName(menuName) {
    m_strText.LoadString(textId);
    m_strHint.LoadString(hintId);
}

CSnapinMenu::~CSnapinMenu() = default;

void CSnapinMenu::Execute() {}

unsigned CSnapinMenu::QueryState() { return SNAPIN_MENU_ENABLED; }

LONG CSnapinMenu::Register() {
    BindExports();
    return HostRegisterMenu(m_strMenuName, 0, 0, 0, &m_nMenuId, m_strText, m_strHint, m_pfnMenuAction,
                            m_pfnMenuValid, SNAPIN_INTERFACE_VERSION);
}

void DispatchMenuValid(CSnapinMenu* menu, unsigned* state) {
    if (state) *state = menu ? menu->QueryState() : SNAPIN_MENU_GRAYED;
}

void DispatchMenuAction(CSnapinMenu* menu) {
    if (menu) menu->Execute();
}
