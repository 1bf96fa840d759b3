// The forms of the sample program (formsample), which the library's tests
// also drive: each handler tells the sample's log what it did.
#pragma once

#include <functional>
#include <string>

#include "vpr/forms/forms.h"

namespace vpr::forms::sample {

// Where the handlers tell what happened (the program prints it).
extern std::function<void(const std::string&)> Log;

// A form of this program: its description is read from the program's
// resources, parent classes first.
class TSampleForm : public TForm {
    VPR_FORM_CLASS(TSampleForm, TForm)
public:
    using TForm::TForm;
    void AfterConstruction() override;
};

class TfrmAsk : public TSampleForm {
    VPR_FORM_CLASS(TfrmAsk, TSampleForm)
public:
    using TSampleForm::TSampleForm;
    TEdit* edtAnswer = nullptr;
    TButton* btnOk = nullptr;
    TButton* btnCancel = nullptr;
    static void DeclareMembers(FormMembers<TfrmAsk>& m) {
        m.Field("edtAnswer", &TfrmAsk::edtAnswer);
        m.Field("btnOk", &TfrmAsk::btnOk);
        m.Field("btnCancel", &TfrmAsk::btnCancel);
    }
};

class TfrmSplash : public TSampleForm {
    VPR_FORM_CLASS(TfrmSplash, TSampleForm)
public:
    using TSampleForm::TSampleForm;
    TTimer* tmrClose = nullptr;
    void FormShow(TObject*);
    void tmrCloseTimer(TObject*);
    static void DeclareMembers(FormMembers<TfrmSplash>& m) {
        m.Field("tmrClose", &TfrmSplash::tmrClose);
        m.Event("FormShow", &TfrmSplash::FormShow);
        m.Event("tmrCloseTimer", &TfrmSplash::tmrCloseTimer);
    }
};

class TfrmSample : public TSampleForm {
    VPR_FORM_CLASS(TfrmSample, TSampleForm)
public:
    using TSampleForm::TSampleForm;
    TNotebook* nbkMain = nullptr;
    TEdit* edtName = nullptr;
    TListBox* lstFruit = nullptr;
    TDriveComboBox* cbxDrive = nullptr;
    TLabel* lblInfo = nullptr;
    TButton* btnAsk = nullptr;
    TButton* btnFail = nullptr;
    TButton* btnBack = nullptr;
    TButton* btnNext = nullptr;
    TButton* btnHelp = nullptr;
    TTimer* tmrBlink = nullptr;
    bool AllowShutdown = true;  // the answer to Windows' shutdown question without a box

    void FormCreate(TObject*);
    void FormDestroy(TObject*);
    void nbkMainPageChanged(TObject*);
    void edtNameChange(TObject*);
    void edtNameExit(TObject*);
    void lstFruitDblClick(TObject*);
    void cbxDriveChange(TObject*);
    void btnAskClick(TObject*);
    void btnFailClick(TObject*);
    void btnBackClick(TObject*);
    void btnNextClick(TObject*);
    void btnHelpClick(TObject*);
    void tmrBlinkTimer(TObject*);
    void WndProc(TMessage& message) override;

    static void DeclareMembers(FormMembers<TfrmSample>& m);
};

}  // namespace vpr::forms::sample
