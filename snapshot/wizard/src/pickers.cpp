#include "pickers.h"

namespace snapshot {

using namespace vpr::forms;

void TfrmOpenDir::DeclareMembers(FormMembers<TfrmOpenDir>& m) {
    m.Field("cbxDrive", &TfrmOpenDir::cbxDrive);
    m.Field("cbxDir", &TfrmOpenDir::cbxDir);
    m.Field("edtPath", &TfrmOpenDir::edtPath);
    m.Field("btnOpen", &TfrmOpenDir::btnOpen);
    m.Field("btnClose", &TfrmOpenDir::btnClose);
    m.Event("FormCreate", &TfrmOpenDir::FormCreate);
    m.Event("btnOpenClick", &TfrmOpenDir::btnOpenClick);
    m.Event("btnCloseClick", &TfrmOpenDir::btnCloseClick);
    m.Event("cbxDirChange", &TfrmOpenDir::cbxDirChange);
    m.Event("cbxDriveChange", &TfrmOpenDir::cbxDriveChange);
}

void TfrmOpenDir::FormCreate(TObject*) {
    ApplyLanguageFont(this);
    cbxDrive->SetDrive(cbxDir->Directory()[0]);
    edtPath->SetText(cbxDir->Directory());
}

void TfrmOpenDir::btnOpenClick(TObject*) { ModalResult = mrOk; }

void TfrmOpenDir::btnCloseClick(TObject*) { ModalResult = mrCancel; }

void TfrmOpenDir::cbxDirChange(TObject*) { edtPath->SetText(cbxDir->Directory()); }

// The directory list follows the drive picker.
void TfrmOpenDir::cbxDriveChange(TObject*) {
    cbxDir->SetDrive(cbxDrive->Drive());
    edtPath->SetText(cbxDir->Directory());
}

void TfrmIncludeDrives::DeclareMembers(FormMembers<TfrmIncludeDrives>& m) {
    m.Field("cbxDrives", &TfrmIncludeDrives::cbxDrives);
    m.Field("btnAdd", &TfrmIncludeDrives::btnAdd);
    m.Field("btnCancel", &TfrmIncludeDrives::btnCancel);
    m.Event("btnAddClick", &TfrmIncludeDrives::btnAddClick);
    m.Event("btnCancelClick", &TfrmIncludeDrives::btnCancelClick);
}

void TfrmIncludeDrives::btnAddClick(TObject*) {
    Tag = cbxDrives->ItemIndex();
    ModalResult = mrOk;
}

void TfrmIncludeDrives::btnCancelClick(TObject*) {
    Tag = -1;
    ModalResult = mrCancel;
}

void TfrmSplash::DeclareMembers(FormMembers<TfrmSplash>& m) {
    m.Field("tmr1", &TfrmSplash::tmr1);
    m.Event("FormShow", &TfrmSplash::FormShow);
    m.Event("tmr1Timer", &TfrmSplash::tmr1Timer);
}

void TfrmSplash::FormShow(TObject*) { tmr1->SetEnabled(true); }

void TfrmSplash::tmr1Timer(TObject*) {
    tmr1->SetEnabled(false);
    Close();
}

}  // namespace snapshot
