// TfrmMain: the snapshot wizard's main form. Eleven named pages lead from
// the first picture through the application's setup to the template; the
// checks before leaving a page; the two run steps that call the engine; a
// shutdown of Windows in the middle of a run; resume after the restart.
#pragma once

#include <string>
#include <vector>

#include "form_in_dll.h"
#include "language_library.h"
#include "snapshot/engine/definitions.h"
#include "wizard_status.h"

namespace snapshot {

class TfrmMain : public TFormInDLL {
    VPR_FORM_CLASS(TfrmMain, TFormInDLL)
public:
    using TFormInDLL::TFormInDLL;

    vpr::forms::TNotebook* nbkMain = nullptr;
    vpr::forms::TButton* btnPrevious = nullptr;
    vpr::forms::TButton* btnNext = nullptr;
    vpr::forms::TButton* btnExit = nullptr;
    vpr::forms::TButton* btnHelp = nullptr;
    vpr::forms::TLabel* lblDir = nullptr;
    vpr::forms::TImage* imgFilm1 = nullptr;
    vpr::forms::TImage* imgFilm2 = nullptr;
    vpr::forms::TTimer* tmrTimer = nullptr;
    vpr::forms::TOpenDialog* dlgRunOpen = nullptr;
    // GeneralInfo
    vpr::forms::TEdit* edtDistName = nullptr;
    vpr::forms::TEdit* edtDistDesc = nullptr;
    vpr::forms::TLabel* lblApplicationInformation = nullptr;
    // Locations
    vpr::forms::TEdit* edtTemplateFile = nullptr;
    vpr::forms::TEdit* edtNewFile = nullptr;
    vpr::forms::TDriveComboBox* drvWindowsDrive = nullptr;
    vpr::forms::TDriveComboBox* drvBootDrive = nullptr;
    vpr::forms::TButton* btnTemplateFileLookup = nullptr;
    vpr::forms::TButton* btnNewFilesLookup = nullptr;
    // Definitions
    vpr::forms::TListBox* lstExcludeFile = nullptr;
    vpr::forms::TListBox* lstExcludeDir = nullptr;
    vpr::forms::TListBox* lstIncludeDrive = nullptr;
    vpr::forms::TListBox* lstTextFileCompare = nullptr;
    vpr::forms::TButton* btnDriveAdd = nullptr;
    // TakingPicture, RunInstall, TargetDirectory, GeneratingTemplate, Finished
    vpr::forms::TLabel* lblTakingSnapshotStatus = nullptr;
    vpr::forms::TButton* btnRunSetup = nullptr;
    vpr::forms::TEdit* edtInstallDirectory = nullptr;
    vpr::forms::TLabel* lblGeneratingTemplate = nullptr;
    vpr::forms::TEdit* edtShowTemplateFile = nullptr;
    vpr::forms::TEdit* edtNewFilesPath = nullptr;

    // The user let Windows shut down and finishes after the restart.
    bool ResumeAfterReboot = false;
    // The user chose to finish now; a restart is offered at the end.
    bool ShutdownPending = false;
    // A shutdown request arrived or the run was resumed (flags 0x280).
    bool RunInterrupted = false;
    bool FastScan = false;

    void FormCreate(vpr::forms::TObject* Sender);
    void FormDestroy(vpr::forms::TObject* Sender);
    void nbkMainPageChanged(vpr::forms::TObject* Sender);
    void btnPreviousClick(vpr::forms::TObject* Sender);
    void btnNextClick(vpr::forms::TObject* Sender);
    void btnExitClick(vpr::forms::TObject* Sender);
    void btnHelpClick(vpr::forms::TObject* Sender);
    void edtDistNameChange(vpr::forms::TObject* Sender);
    void edtTemplateFileExit(vpr::forms::TObject* Sender);
    void btnTemplateFileLookupClick(vpr::forms::TObject* Sender);
    void btnNewFilesLookupClick(vpr::forms::TObject* Sender);
    void btnInstallDirectoryLookupClick(vpr::forms::TObject* Sender);
    void btnExcludeDirAddClick(vpr::forms::TObject* Sender);
    void btnExcludeFileAddClick(vpr::forms::TObject* Sender);
    void btnTextAddClick(vpr::forms::TObject* Sender);
    void btnDriveAddClick(vpr::forms::TObject* Sender);
    void btnExcludeFileRemoveClick(vpr::forms::TObject* Sender);
    void btnExcludeDirRemoveClick(vpr::forms::TObject* Sender);
    void btnDriveRemoveClick(vpr::forms::TObject* Sender);
    void btnTextRemoveClick(vpr::forms::TObject* Sender);
    void btnRunSetupClick(vpr::forms::TObject* Sender);
    void tmrTimerTimer(vpr::forms::TObject* Sender);
    void ApplicationIdle(vpr::forms::TObject* Sender, bool& Done);
    void WndProc(vpr::forms::TMessage& message) override;

    static void DeclareMembers(vpr::forms::FormMembers<TfrmMain>& m);

    // Called once from FormCreate: false after a failed template test.
    bool ResumeFromStatus();
    // The four lists of the Definitions page as the engine takes them.
    DefinitionLists Definitions() const;

private:
    bool CheckLocations();
    bool EnsureTemplateDir(const std::string& directory, vpr::forms::TEdit* field);
    void TakeFirstPicture();
    void MakeTheTemplate();
    void SetDefinitions(const DefinitionLists& lists);
    char BootDrive() const;
    int Ask(const std::string& text, UINT captionId, UINT type) const;
    std::string ChooseDirectory();

    vpr::forms::TIdleEvent previousIdle_;
};

// The program block: language, splash, main form, message loop; exit code 0.
int ProgramMain(int argc, char** argv);

}  // namespace snapshot
