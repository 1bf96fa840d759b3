// CDescriptionPage: the Description page of an application object, the
// text of "App:Description" (one string value; an empty text removes it).
#pragma once

#include "snapin/pages/attribute_page.h"

class CDescriptionPage : public CAttributePage {
public:
    CDescriptionPage();
    LONG Save() override;

protected:
    BOOL OnInitDialog() override;
    afx_msg void OnChangeDescription();
    DECLARE_MESSAGE_MAP()

private:
    BOOL m_bModified = FALSE;
};
