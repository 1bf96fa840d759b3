// CLauncherConfigPage: the Launcher Configuration page of users and
// containers. It edits the object's 100-byte launcher record ("App:Launcher
// Config", little-endian: magic, flags, refresh interval, inherited levels,
// the e-mail attribute's name at offset 32) and writes it whole.
#pragma once

#include "snapin/core/directory_helper.h"
#include "snapin/pages/attribute_page.h"
#include "vpr/mfc/controls.h"
#include "vpr/directory/client.h"

class CLauncherConfigPage : public CAttributePage {
public:
    // Flags of the record; a set bit mostly forbids something.
    static constexpr DWORD kNoExit = 0x1;
    static constexpr DWORD kNoRefresh = 0x2;
    static constexpr DWORD kNoTimedRefresh = 0x4;
    static constexpr DWORD kNoLogIn = 0x10;
    static constexpr DWORD kNoSaveWindow = 0x40;
    static constexpr DWORD kNoViewFolders = 0x200;
    static constexpr DWORD kNoPersonalFolders = 0x400;
    static constexpr DWORD kUseInherited = 0x80000000;
    // Where the fields lie in the record.
    static constexpr int kFlagsOffset = 4;
    static constexpr int kIntervalOffset = 8;
    static constexpr int kLevelsOffset = 12;
    static constexpr int kMailOffset = 32;
    static constexpr int kMailSize = 66;  // with its terminator

    CLauncherConfigPage();
    LONG Save() override;

    // Writes the record: the open status, or kStreamWriteFailed when the
    // stream did not take all of it.
    int WriteLauncherConfig(DIR_CONTEXT context, LPCSTR object);

protected:
    BOOL OnInitDialog() override;
    afx_msg void OnUseInherited();
    afx_msg void OnUseCurrent();
    afx_msg void OnViewFolders();
    afx_msg void OnTimedRefresh();
    afx_msg void OnInheritLevels();
    afx_msg void OnControlChange();
    afx_msg void OnMailAttributeChange();
    DECLARE_MESSAGE_MAP()

private:
    int FillMailAttributeList(DIR_CONTEXT context, LPCSTR className);
    void DisableAll();
    void ShowRecord();
    void ReadControls();
    void SetRights(DIR_CONTEXT context, LPCSTR object);
    void Changed();

    DWORD Field(int offset) const;
    void SetField(int offset, DWORD value);
    void SetFlag(DWORD bit, bool set);
    // The e-mail attribute's name: at most 65 bytes, ending at the first zero.
    CString MailAttribute() const;

    CComboBox m_mailAttributes;
    BYTE m_record[kLauncherConfigSize] = {};
    BOOL m_bModified = FALSE;
    // Set while the page itself fills its controls: their changes are not the person's.
    bool m_bShowing = false;
};
