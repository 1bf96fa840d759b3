// CSystemRequirementsPage: the System Requirements page of an application
// object: on which systems it is offered ("App:Platform": 0x1 Windows 3.x,
// 0x2 Windows 95, 0x4 Windows NT) and what a workstation needs at least
// ("App:Inventory", a template stream of inventory records: memory, free
// disk space on up to three drives, processor, and the minimum version of
// each system).
#pragma once

#include <initializer_list>

#include "snapin/pages/attribute_page.h"
#include "vpr/directory/client.h"

class CSystemRequirementsPage : public CAttributePage {
public:
    CSystemRequirementsPage();
    LONG Save() override;

protected:
    BOOL OnInitDialog() override;
    afx_msg void OnDisplay();
    afx_msg void OnPlatform(int id);
    afx_msg void OnChangeDisk(int id);
    afx_msg void OnInventoryChanged();
    DECLARE_MESSAGE_MAP()

private:
    void ReadInventory(DIR_CONTEXT context, LPCSTR object);
    void ReadPlatform(DIR_CONTEXT context, LPCSTR object);
    void ApplyRights(DIR_CONTEXT context, LPCSTR object);
    void Enable(std::initializer_list<int> ids, BOOL enable);
    // Empties and disables a platform row's version edits and labels, or enables them.
    void EnableVersions(int row, BOOL enable);
    // The number typed into an edit (at most 50 characters; 0 when none).
    DWORD Number(int id);
    CString Text(int id);
    LONG WriteInventory(HFILE file);
    LONG WritePlatform(DIR_CONTEXT context, LPCSTR object);

    BOOL m_bInventoryModified = FALSE;
    BOOL m_bPlatformModified = FALSE;
    BOOL m_bVersionsEditable = FALSE;
    bool m_loading = false;
};
