// The wizard's small forms: the directory picker, the drive picker and the
// splash picture.
#pragma once

#include "directory_list_box.h"
#include "form_in_dll.h"

namespace snapshot {

// "Select directory": the caller takes edtPath's text when ShowModal gives 1.
class TfrmOpenDir : public TFormInDLL {
    VPR_FORM_CLASS(TfrmOpenDir, TFormInDLL)
public:
    using TFormInDLL::TFormInDLL;
    vpr::forms::TDriveComboBox* cbxDrive = nullptr;
    KMTDirectoryListBox* cbxDir = nullptr;
    vpr::forms::TEdit* edtPath = nullptr;
    vpr::forms::TButton* btnOpen = nullptr;
    vpr::forms::TButton* btnClose = nullptr;

    void FormCreate(vpr::forms::TObject* Sender);
    void btnOpenClick(vpr::forms::TObject* Sender);
    void btnCloseClick(vpr::forms::TObject* Sender);
    void cbxDirChange(vpr::forms::TObject* Sender);
    void cbxDriveChange(vpr::forms::TObject* Sender);
    static void DeclareMembers(vpr::forms::FormMembers<TfrmOpenDir>& m);
};

// "Drives to include": unless ShowModal gives 2, the caller takes the
// picker's drive letter; the tag holds the picker's row (-1 on Cancel).
class TfrmIncludeDrives : public TFormInDLL {
    VPR_FORM_CLASS(TfrmIncludeDrives, TFormInDLL)
public:
    using TFormInDLL::TFormInDLL;
    vpr::forms::TDriveComboBox* cbxDrives = nullptr;
    vpr::forms::TButton* btnAdd = nullptr;
    vpr::forms::TButton* btnCancel = nullptr;

    void btnAddClick(vpr::forms::TObject* Sender);
    void btnCancelClick(vpr::forms::TObject* Sender);
    static void DeclareMembers(vpr::forms::FormMembers<TfrmIncludeDrives>& m);
};

// The splash picture: closes itself 3000 ms (machine clock) after it shows.
class TfrmSplash : public TFormInDLL {
    VPR_FORM_CLASS(TfrmSplash, TFormInDLL)
public:
    using TFormInDLL::TFormInDLL;
    vpr::forms::TTimer* tmr1 = nullptr;

    void FormShow(vpr::forms::TObject* Sender);
    void tmr1Timer(vpr::forms::TObject* Sender);
    static void DeclareMembers(vpr::forms::FormMembers<TfrmSplash>& m);
};

}  // namespace snapshot
