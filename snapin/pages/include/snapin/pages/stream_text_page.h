// CStreamTextPage: a page of free texts each kept in a stream attribute of
// the application (the text's bytes and one zero byte; an empty text leaves
// the stream empty). CScriptsPage and CAdministratorNotesPage are its two
// pages: they differ in their edits and in what a missing write right does.
#pragma once

#include <vector>

#include "snapin/pages/attribute_page.h"

class CStreamTextPage : public CAttributePage {
public:
    struct Edit {
        int labelId;
        int editId;
        LPCSTR attribute;
    };

    LONG Save() override;

protected:
    // Without the write right an edit is disabled (`readOnlyWhenDenied`
    // false) or stays selectable but read-only (true).
    CStreamTextPage(UINT titleId, UINT templateId, DWORD helpContext, std::vector<Edit> edits,
                    bool readOnlyWhenDenied);
    BOOL OnInitDialog() override;
    afx_msg void OnChangeText(int editId);
    DECLARE_MESSAGE_MAP()

private:
    std::vector<Edit> m_edits;
    std::vector<BOOL> m_modified;
    bool m_bReadOnlyWhenDenied;
};

// The Scripts page: the scripts run before launching ("App:Startup Script")
// and after termination ("App:Shutdown Script").
class CScriptsPage : public CStreamTextPage {
public:
    CScriptsPage();
};

// The Administrator Notes page ("App:Administrator Notes"), which end users
// never see.
class CAdministratorNotesPage : public CStreamTextPage {
public:
    CAdministratorNotesPage();
};
