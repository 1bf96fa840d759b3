// The extension's own property sheet: always modeless, it deletes itself
// when its window goes. Items fill it (AddSheetPages) and the module's About
// command shows the general page in it.
#pragma once

#include "afxwin.h"

class CPropSheet : public CPropertySheet {
    DECLARE_DYNAMIC(CPropSheet)
public:
    explicit CPropSheet(LPCSTR title, CWnd* parent = nullptr, UINT firstPage = 0);
    ~CPropSheet() override;

    BOOL OnInitDialog() override;

    // Closing the modeless sheet destroys it, as the class library does for
    // a modeless sheet.
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    void PostNcDestroy() override;
};
