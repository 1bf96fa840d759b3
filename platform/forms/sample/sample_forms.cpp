#include "sample_forms.h"

namespace vpr::forms::sample {

std::function<void(const std::string&)> Log = [](const std::string&) {};

void TSampleForm::AfterConstruction() {
    if (!ReadInheritedFormResources(GetModuleHandleA(nullptr), this, TForm::StaticClass()))
        throw EResNotFound("Resource " + ClassType().Name() + " not found");
    TForm::AfterConstruction();
}

void TfrmSplash::FormShow(TObject*) { tmrClose->SetEnabled(true); }

void TfrmSplash::tmrCloseTimer(TObject*) {
    tmrClose->SetEnabled(false);
    Log("splash closes");
    Close();
}

void TfrmSample::DeclareMembers(FormMembers<TfrmSample>& m) {
    m.Field("nbkMain", &TfrmSample::nbkMain);
    m.Field("edtName", &TfrmSample::edtName);
    m.Field("lstFruit", &TfrmSample::lstFruit);
    m.Field("cbxDrive", &TfrmSample::cbxDrive);
    m.Field("lblInfo", &TfrmSample::lblInfo);
    m.Field("btnAsk", &TfrmSample::btnAsk);
    m.Field("btnFail", &TfrmSample::btnFail);
    m.Field("btnBack", &TfrmSample::btnBack);
    m.Field("btnNext", &TfrmSample::btnNext);
    m.Field("btnHelp", &TfrmSample::btnHelp);
    m.Field("tmrBlink", &TfrmSample::tmrBlink);
    m.Event("FormCreate", &TfrmSample::FormCreate);
    m.Event("FormDestroy", &TfrmSample::FormDestroy);
    m.Event("nbkMainPageChanged", &TfrmSample::nbkMainPageChanged);
    m.Event("edtNameChange", &TfrmSample::edtNameChange);
    m.Event("edtNameExit", &TfrmSample::edtNameExit);
    m.Event("lstFruitDblClick", &TfrmSample::lstFruitDblClick);
    m.Event("cbxDriveChange", &TfrmSample::cbxDriveChange);
    m.Event("btnAskClick", &TfrmSample::btnAskClick);
    m.Event("btnFailClick", &TfrmSample::btnFailClick);
    m.Event("btnBackClick", &TfrmSample::btnBackClick);
    m.Event("btnNextClick", &TfrmSample::btnNextClick);
    m.Event("btnHelpClick", &TfrmSample::btnHelpClick);
    m.Event("tmrBlinkTimer", &TfrmSample::tmrBlinkTimer);
}

void TfrmSample::FormCreate(TObject*) {
    btnBack->SetEnabled(false);
    btnNext->SetEnabled(false);
    Log("created on page " + nbkMain->ActivePage());
}

void TfrmSample::FormDestroy(TObject*) { Log("destroyed"); }

void TfrmSample::nbkMainPageChanged(TObject*) {
    btnBack->SetEnabled(nbkMain->PageIndex() > 0);
    btnNext->SetEnabled(nbkMain->PageIndex() + 1 < nbkMain->PageCount());
    Log("page " + nbkMain->ActivePage());
}

void TfrmSample::edtNameChange(TObject*) { btnNext->SetEnabled(!edtName->Text().empty()); }

void TfrmSample::edtNameExit(TObject*) {
    // A name without a dot gets ".txt" when the field is left.
    std::string name = edtName->Text();
    if (!name.empty() && name.find('.') == std::string::npos) edtName->SetText(name + ".txt");
    Log("left name");
}

void TfrmSample::lstFruitDblClick(TObject*) {
    int row = lstFruit->ItemIndex();
    if (row >= 0) Log("opened " + lstFruit->Items()[row]);
}

void TfrmSample::cbxDriveChange(TObject*) { Log(std::string("drive ") + cbxDrive->Drive()); }

void TfrmSample::btnAskClick(TObject*) {
    auto* ask = NewForm<TfrmAsk>(this);
    int result = ask->ShowModal();
    std::string answer = ask->edtAnswer->Text();
    ask->Free();
    lblInfo->SetCaption(result == mrOk ? "Answer: " + answer : "No answer");
    Log("asked: " + std::to_string(result));
}

void TfrmSample::btnFailClick(TObject*) { throw Exception("The sample failed on purpose."); }

void TfrmSample::btnBackClick(TObject*) { nbkMain->SetPageIndex(nbkMain->PageIndex() - 1); }

void TfrmSample::btnNextClick(TObject*) { nbkMain->SetPageIndex(nbkMain->PageIndex() + 1); }

void TfrmSample::btnHelpClick(TObject*) { Application->HelpContext(HelpContext); }

void TfrmSample::tmrBlinkTimer(TObject*) { Log("tick"); }

// Windows asks whether it may shut down: the person is asked.
void TfrmSample::WndProc(TMessage& message) {
    if (message.Msg == WM_QUERYENDSESSION) {
        message.Result = MessageBoxA(Handle(), "May Windows shut down?", "Form sample", MB_YESNO) == IDYES;
        Log(message.Result ? "shutdown allowed" : "shutdown refused");
        return;
    }
    TForm::WndProc(message);
}

}  // namespace vpr::forms::sample
