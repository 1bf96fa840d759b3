// CDrivesPortsPage: the Drives/Ports page of an application object: three
// drive mappings ("App:Drive Mappings", the launcher library's drive-map
// texts) and three printer port captures ("App:Printer Ports": port ":="
// queue " " options), each row one value of its attribute.
#pragma once

#include <string>

#include "snapin/pages/attribute_page.h"
#include "vpr/directory/client.h"

class CDrivesPortsPage : public CAttributePage {
public:
    static constexpr int kRows = 3;

    CDrivesPortsPage();
    LONG Save() override;
    BOOL CanClose() override;

protected:
    BOOL OnInitDialog() override;
    afx_msg void OnDriveCommand(UINT id, UINT code);
    afx_msg void OnPortCommand(UINT id, UINT code);
    DECLARE_MESSAGE_MAP()

private:
    void ShowDriveRow(int row, const std::string& value);
    void ShowPortRow(int row, const std::string& value);
    void EnableDriveRow(int row, BOOL enable);
    void EnablePortRow(int row, BOOL enable);
    void ShowCaptureFlags(int row);
    void ApplyRights(DIR_CONTEXT context, LPCSTR object);
    void OnSetCaptureFlags(int row);
    // The rows as value texts: false (after the message) when a used row
    // lacks a part.
    bool BuildPortValues();
    bool BuildDriveValues();
    int PutValues(DIR_CONTEXT context, LPCSTR object, DirBuffer* request, LPCSTR attribute,
                  const std::string (&values)[kRows]);

    CString m_browseContext;
    BOOL m_bDrivesModified = FALSE;
    BOOL m_bPortsModified = FALSE;
    std::string m_driveValues[kRows];
    std::string m_portValues[kRows];
    DWORD m_captureFlags[kRows] = {};
};
