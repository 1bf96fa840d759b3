// CIdentificationPage: the first page of an application object's details:
// its icon title ("App:Caption"), the path of its executable ("App:Path",
// or " 47 NULL " for an application that only installs), its version stamp,
// its icon (the stream "App:Icon", the bytes of an icon file) and bits
// 0x1B80 of "App:Flags". It shows the GUID and gives the object one when it
// has none.
#pragma once

#include <cstdint>
#include <memory>

#include "snapin/pages/attribute_page.h"
#include "vpr/directory/client.h"

class CIdentificationPage : public CAttributePage {
public:
    CIdentificationPage();
    ~CIdentificationPage() override;
    LONG Save() override;
    BOOL CanClose() override;

protected:
    BOOL OnInitDialog() override;
    afx_msg void OnChangeCaption();
    afx_msg void OnChangePath();
    afx_msg void OnChangeVersion();
    afx_msg void OnFlagClicked();
    afx_msg void OnPathClicked();
    afx_msg void OnInstallOnlyClicked();
    afx_msg void OnBrowse();
    afx_msg void OnChangeIcon();
    afx_msg void OnPaint();
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

private:
    enum Mark { kCaption, kPath, kIcon, kFlags, kVersion, kMarks };

    void ShowFlags(DWORD flags);
    void ShowGuid(DIR_CONTEXT context, LPCSTR object);
    void ApplyRights(DIR_CONTEXT context, LPCSTR object);
    void SetMark(Mark mark);
    void Enable(std::initializer_list<int> ids, BOOL enable);
    DWORD PageFlags();
    // The caption, path, version and flags puts: the first failing status.
    int PutChanges(DIR_CONTEXT context, LPCSTR object, DirBuffer* request, bool* put);
    // Replaces the icon stream by the held bytes: the status.
    int WriteIcon(DIR_CONTEXT context, LPCSTR object);
    void ReleaseIcon();

    HICON m_icon = nullptr;
    BOOL m_marks[kMarks] = {};
    CString m_keptPath;
    CString m_iconFile;
    std::unique_ptr<uint8_t[]> m_iconBytes;
    int m_iconCount = 0;
};
