// CFaultTolerancePage: the Fault Tolerance page of an application object. It
// holds two lists of other applications: the load-balancing list ("App:Load
// Balancing", names) and the ordered fault-tolerance list ("App:Fault
// Tolerance", typed names whose level is the position), each switched on by
// a bit of "App:Flags". Every listed application is told who lists it ("App:
// Alt Back Link"), and the objects associated with this application get
// rights to it.
#pragma once

#include "snapin/distribution/ref_item.h"
#include "snapin/pages/attribute_page.h"
#include "snapin/pages/ref_list_kit.h"
#include "vpr/directory/client.h"

class CFaultTolerancePage : public CAttributePage {
public:
    CFaultTolerancePage();
    ~CFaultTolerancePage() override;
    LONG Save() override;

    // Writes the marked rows of one list: the status of the application's request.
    int WriteAppList(DIR_CONTEXT context, CRefItemList& rows, CRefItemList& otherRows, LPCSTR attribute,
                     LPCSTR application);
    // Replaces bits 0x18 of the application's current "App:Flags".
    int WriteFlags(DIR_CONTEXT context, LPCSTR application);

protected:
    BOOL OnInitDialog() override;
    afx_msg void OnAddLoadBalancing();
    afx_msg void OnDeleteLoadBalancing();
    afx_msg void OnSelChangeLoadBalancing();
    afx_msg void OnAddFaultTolerance();
    afx_msg void OnDeleteFaultTolerance();
    afx_msg void OnSelChangeFaultTolerance();
    afx_msg void OnMoveUp();
    afx_msg void OnMoveDown();
    afx_msg void OnEnableFaultTolerance();
    afx_msg void OnEnableLoadBalancing();
    afx_msg void OnDrawItem(int nIDCtl, LPDRAWITEMSTRUCT lpDrawItemStruct);
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

private:
    enum Bitmap { kUp, kUpDisabled, kUpFocus, kUpPressed, kDown, kDownDisabled, kDownFocus, kDownPressed, kBitmaps };

    void SortByLevel();
    void SetRights(DIR_CONTEXT context, LPCSTR application);
    void MoveSelected(int step);
    // The level each entry of the fault-tolerance list is written with; a
    // stored row that moved is marked to be removed and added again.
    void Renumber();
    void EnableControls(std::initializer_list<int> ids, BOOL enable);
    void DrawUpDown(int id, const DRAWITEMSTRUCT* item);
    void ReleaseBitmaps();

    CObjectList m_loadBalancing;
    CObjectList m_faultTolerance;
    CString m_browseContext;
    HBITMAP m_bitmaps[kBitmaps] = {};
    BOOL m_bFlagsModified = FALSE;
};
