#include "main_form.h"

#include "pickers.h"
#include "restart_windows.h"
#include "snapshot/engine/check_path.h"
#include "snapshot/engine/engine_settings.h"
#include "snapshot/engine/engine_ui.h"
#include "snapshot/engine/imprx_exports.h"
#include "snapshot/engine/mb_strings.h"
#include "snapshot/engine/work_directory.h"
#include "startup_load.h"

namespace snapshot {

using namespace vpr::forms;

namespace {

// Texts of the wizard (the string table).
enum : UINT {
    kStrTitle = 4,
    kStrResumeQuestion = 5,
    kStrClose = 7,
    kStrStartOver = 21,
    kStrExcludeFileTitle = 24,
    kStrTextFileTitle = 25,
    kStrTemplateTitle = 26,
    kStrTemplatePathInvalid = 27,
    kStrInvalidPath = 28,
    kStrTemplateNameInvalid = 29,
    kStrNewFilesPathInvalid = 31,
    kStrInvalidPath2 = 32,
    kStrSetupTitle = 33,
    kStrShutdownQuestion = 34,
    kStrRestartQuestion = 36,
    kStrDirectory = 37,
    kStrDirectoryMissing = 38,
    kStrTheFile = 40,
    kStrAlreadyExists = 41,
    kStrFileExists = 42,
    kStrExitQuestion = 45,
};

struct PageRule {
    bool back, next, help;
    int helpContext;
};
constexpr PageRule kPageRules[kPageCount] = {
    {false, true, true, 100},   // Welcome
    {true, true, true, 200},    // GeneralInfo (Next only with a name)
    {true, true, true, 300},    // Locations
    {true, true, true, 400},    // Definitions
    {true, true, false, 100},   // ConfirmPicture
    {false, false, false, 100}, // TakingPicture
    {false, true, true, 500},   // RunInstall
    {true, true, true, 100},    // Continue
    {true, true, true, 600},    // TargetDirectory
    {false, false, false, 100}, // GeneratingTemplate
    {false, false, false, 100}, // Finished
};

TfrmMain* g_mainForm = nullptr;
int g_argc = 0;
char** g_argv = nullptr;
ResourceLibrary g_resources;

void FirstPictureProgress(LPCSTR text) {
    if (g_mainForm) g_mainForm->lblTakingSnapshotStatus->SetCaption(text);
}

void SecondPictureProgress(LPCSTR text) {
    if (g_mainForm) g_mainForm->lblGeneratingTemplate->SetCaption(text);
}

void RemoveSelectedRows(TListBox* list) {
    if (list->SelCount() == 0) return;
    for (int row = list->Items().Count() - 1; row >= 0; --row)
        if (list->Selected(row)) list->Items().Delete(row);
}

std::vector<std::string> Rows(TListBox* list) {
    std::vector<std::string> rows;
    for (int row = 0; row < list->Items().Count(); ++row) rows.push_back(list->Items().Get(row));
    return rows;
}

// The film runs while a picture is taken, whatever ends the step.
class FilmRunning {
public:
    explicit FilmRunning(TTimer* timer) : timer_(timer) { timer_->SetEnabled(true); }
    ~FilmRunning() { timer_->SetEnabled(false); }

private:
    TTimer* timer_;
};

}  // namespace

void TfrmMain::DeclareMembers(FormMembers<TfrmMain>& m) {
    m.Field("nbkMain", &TfrmMain::nbkMain);
    m.Field("btnPrevious", &TfrmMain::btnPrevious);
    m.Field("btnNext", &TfrmMain::btnNext);
    m.Field("btnExit", &TfrmMain::btnExit);
    m.Field("btnHelp", &TfrmMain::btnHelp);
    m.Field("lblDir", &TfrmMain::lblDir);
    m.Field("imgFilm1", &TfrmMain::imgFilm1);
    m.Field("imgFilm2", &TfrmMain::imgFilm2);
    m.Field("tmrTimer", &TfrmMain::tmrTimer);
    m.Field("dlgRunOpen", &TfrmMain::dlgRunOpen);
    m.Field("edtDistName", &TfrmMain::edtDistName);
    m.Field("edtDistDesc", &TfrmMain::edtDistDesc);
    m.Field("lblApplicationInformation", &TfrmMain::lblApplicationInformation);
    m.Field("edtTemplateFile", &TfrmMain::edtTemplateFile);
    m.Field("edtNewFile", &TfrmMain::edtNewFile);
    m.Field("drvWindowsDrive", &TfrmMain::drvWindowsDrive);
    m.Field("drvBootDrive", &TfrmMain::drvBootDrive);
    m.Field("btnTemplateFileLookup", &TfrmMain::btnTemplateFileLookup);
    m.Field("btnNewFilesLookup", &TfrmMain::btnNewFilesLookup);
    m.Field("lstExcludeFile", &TfrmMain::lstExcludeFile);
    m.Field("lstExcludeDir", &TfrmMain::lstExcludeDir);
    m.Field("lstIncludeDrive", &TfrmMain::lstIncludeDrive);
    m.Field("lstTextFileCompare", &TfrmMain::lstTextFileCompare);
    m.Field("btnDriveAdd", &TfrmMain::btnDriveAdd);
    m.Field("lblTakingSnapshotStatus", &TfrmMain::lblTakingSnapshotStatus);
    m.Field("btnRunSetup", &TfrmMain::btnRunSetup);
    m.Field("edtInstallDirectory", &TfrmMain::edtInstallDirectory);
    m.Field("lblGeneratingTemplate", &TfrmMain::lblGeneratingTemplate);
    m.Field("edtShowTemplateFile", &TfrmMain::edtShowTemplateFile);
    m.Field("edtNewFilesPath", &TfrmMain::edtNewFilesPath);
    m.Event("FormCreate", &TfrmMain::FormCreate);
    m.Event("FormDestroy", &TfrmMain::FormDestroy);
    m.Event("nbkMainPageChanged", &TfrmMain::nbkMainPageChanged);
    m.Event("btnPreviousClick", &TfrmMain::btnPreviousClick);
    m.Event("btnNextClick", &TfrmMain::btnNextClick);
    m.Event("btnExitClick", &TfrmMain::btnExitClick);
    m.Event("btnHelpClick", &TfrmMain::btnHelpClick);
    m.Event("edtDistNameChange", &TfrmMain::edtDistNameChange);
    m.Event("edtTemplateFileExit", &TfrmMain::edtTemplateFileExit);
    m.Event("btnTemplateFileLookupClick", &TfrmMain::btnTemplateFileLookupClick);
    m.Event("btnNewFilesLookupClick", &TfrmMain::btnNewFilesLookupClick);
    m.Event("btnInstallDirectoryLookupClick", &TfrmMain::btnInstallDirectoryLookupClick);
    m.Event("btnExcludeDirAddClick", &TfrmMain::btnExcludeDirAddClick);
    m.Event("btnExcludeFileAddClick", &TfrmMain::btnExcludeFileAddClick);
    m.Event("btnTextAddClick", &TfrmMain::btnTextAddClick);
    m.Event("btnDriveAddClick", &TfrmMain::btnDriveAddClick);
    m.Event("btnExcludeFileRemoveClick", &TfrmMain::btnExcludeFileRemoveClick);
    m.Event("btnExcludeDirRemoveClick", &TfrmMain::btnExcludeDirRemoveClick);
    m.Event("btnDriveRemoveClick", &TfrmMain::btnDriveRemoveClick);
    m.Event("btnTextRemoveClick", &TfrmMain::btnTextRemoveClick);
    m.Event("btnRunSetupClick", &TfrmMain::btnRunSetupClick);
    m.Event("tmrTimerTimer", &TfrmMain::tmrTimerTimer);
}

int TfrmMain::Ask(const std::string& text, UINT captionId, UINT type) const {
    return MessageBoxA(Handle(), text.c_str(), LoadResString(captionId).c_str(), type);
}

char TfrmMain::BootDrive() const { return drvBootDrive->Drive(); }

// ---- creation and destruction ------------------------------------------

void TfrmMain::FormCreate(TObject*) {
    g_mainForm = this;
    FastScan = ParseCommandLine(g_argc, g_argv);
    HelpContext = 100;
    if (FastScan) lblApplicationInformation->SetCaption("*" + lblApplicationInformation->Caption());
    ResumeAfterReboot = ShutdownPending = RunInterrupted = false;
    ApplyLanguageFont(this);
    SetCaption(LoadResString(kStrTitle));

    // The Windows, system and desktop directories and the platform code.
    std::string error;
    if (!StartEngine(Settings().resourceModule, &error)) throw Exception(error);
    Settings().fastScan = FastScan;
    Settings().statusLabel = [this](const std::string& text) { lblDir->SetCaption(text); };
    char windows = Settings().windowsDirectory.empty() ? 'c' : Settings().windowsDirectory[0];
    drvWindowsDrive->SetDrive(windows);
    drvBootDrive->SetDrive(windows);
    edtDistName->SetText("");
    edtDistDesc->SetText("");

    ResumeFromStatus();
    previousIdle_ = Application->OnIdle;
    Application->OnIdle = [this](TObject* sender, bool& done) { ApplicationIdle(sender, done); };
    if (nbkMain->PageIndex() == 0) nbkMainPageChanged(this);
}

void TfrmMain::FormDestroy(TObject*) {
    if (!ResumeAfterReboot) {
        try {
            RemoveFromStartupLoad();
        } catch (const std::exception&) {
            // The program ends regardless; the entry starts it once more.
        }
    }
    Settings().statusLabel = nullptr;
    StopEngine();
    g_mainForm = nullptr;
    if (!g_resources.ownModule) {
        FreeResourceLibrary(&g_resources);
        Settings().resourceModule = GetModuleHandleA(nullptr);
    }
}

bool TfrmMain::ResumeFromStatus() {
    AddToStartupLoad(ProgramPath());
    int status = ReadStatus();
    if (status == 5) {
        Ask(LoadResString(kStrStartOver), kStrCaption, MB_OK | MB_ICONQUESTION);
    } else if ((status == 6 || status == 7) &&
               Ask(LoadResString(kStrResumeQuestion), kStrCaption, MB_YESNO | MB_ICONQUESTION) == IDYES) {
        Show();
        Application->ProcessMessages();
        nbkMain->SetPageIndex(kPageRunInstall);
        // The run's own boot drive: the picker shows the Windows drive now.
        char boot = ReadBootDrive(BootDrive());
        ResumeValues values = ReadResumeValues(DefaultsFile(boot), Settings().windowsDirectory);
        edtDistName->SetText(values.distName);
        edtDistDesc->SetText(values.distDesc);
        edtTemplateFile->SetText(values.templateFile);
        edtNewFile->SetText(values.newFilePath);
        drvWindowsDrive->SetDrive(values.windowsDrive);
        drvBootDrive->SetDrive(values.bootDrive);
        if (!TestTemplatePath(values.templateFile)) {
            Ask(LoadResString(kStrTemplateCreateFailed), kStrInvalidFileName, MB_OK | MB_ICONERROR);
            return false;
        }
        RunInterrupted = true;
        btnNextClick(this);
    }
    return true;
}

// ---- pages -------------------------------------------------------------

void TfrmMain::nbkMainPageChanged(TObject*) {
    edtShowTemplateFile->SetText(edtTemplateFile->Text());
    edtNewFilesPath->SetText(edtNewFile->Text());
    HelpContext = 100;
    const int page = nbkMain->PageIndex();
    if (page < 0 || page >= kPageCount) return;
    const PageRule& rule = kPageRules[page];
    btnPrevious->SetEnabled(rule.back);
    btnNext->SetEnabled(rule.next && (page != kPageGeneralInfo || !edtDistName->Text().empty()));
    btnHelp->SetEnabled(rule.help);
    HelpContext = rule.helpContext;
    WriteStatus(StatusOfPage(page));
    switch (page) {
    case kPageGeneralInfo:
        edtDistName->SetFocus();
        break;
    case kPageLocations:
        edtTemplateFile->SetFocus();
        break;
    case kPageDefinitions:
        CheckPathValid(MBExtractFileDir(edtTemplateFile->Text()));
        CheckPathValid(edtNewFile->Text());
        break;
    case kPageRunInstall:
        btnRunSetup->SetFocus();
        break;
    case kPageFinished:
        RemoveFromStartupLoad();
        break;
    default:
        break;
    }
}

void TfrmMain::btnPreviousClick(TObject*) { nbkMain->SetPageIndex(nbkMain->PageIndex() - 1); }

void TfrmMain::btnNextClick(TObject*) {
    const int page = nbkMain->PageIndex();
    if (page == kPageGeneralInfo) {
        const std::string name = edtDistName->Text();
        if (MBPos(".", name) || MBPos("+", name) || MBPos("=", name)) {
            Ask(LoadResString(kStrInvalidName), kStrInvalidNameCaption, MB_OK | MB_ICONERROR);
            edtDistName->SetFocus();
            return;
        }
    }
    if (page == kPageLocations && !CheckLocations()) return;
    // Next from RunInstall skips Continue.
    const int next = page + (page == kPageRunInstall ? 2 : 1);
    nbkMain->SetPageIndex(next);
    Application->ProcessMessages();
    if (next == kPageDefinitions) {
        DefinitionLists lists;
        SetDefaultExclusions(BootDrive(), drvWindowsDrive->Drive(), &lists);
        SetDefinitions(lists);
    } else if (next == kPageTakingPicture) {
        TakeFirstPicture();
    } else if (next == kPageGeneratingTemplate) {
        MakeTheTemplate();
    }
}

bool TfrmMain::EnsureTemplateDir(const std::string& path, TEdit* field) {
    std::string directory = path;
    if (!directory.empty() && MBLastChar(directory) == "\\") directory.pop_back();
    if (directory.empty()) {
        field->SetFocus();
        return false;
    }
    char previous[MAX_PATH] = "";
    GetCurrentDirectoryA(sizeof previous, previous);
    bool exists = SetCurrentDirectoryA(directory.c_str()) != FALSE;
    SetCurrentDirectoryA(previous);
    if (exists) return true;
    std::string question =
        LoadResString(kStrDirectory) + " \"" + directory + "\" " + LoadResString(kStrDirectoryMissing);
    if (Ask(question, kStrCaption, MB_YESNO | MB_ICONQUESTION) == IDYES) return true;
    field->SetFocus();
    return false;
}

bool TfrmMain::CheckLocations() {
    const std::string templateFile = edtTemplateFile->Text();
    const std::string directory = MBExtractFileDir(templateFile);
    if (!EnsureTemplateDir(directory, edtTemplateFile)) return false;
    if (!CheckPathValid(directory)) {
        Ask(LoadResString(kStrTemplatePathInvalid), kStrInvalidPath, MB_OK | MB_ICONERROR);
        edtTemplateFile->SetFocus();
        return false;
    }
    if (GetFileAttributesA(templateFile.c_str()) != INVALID_FILE_ATTRIBUTES) {
        std::string question =
            LoadResString(kStrTheFile) + " \"" + templateFile + "\" " + LoadResString(kStrAlreadyExists);
        if (Ask(question, kStrFileExists, MB_YESNO | MB_ICONQUESTION) != IDYES) {
            edtTemplateFile->SetFocus();
            return false;
        }
    } else {
        HANDLE created = CreateFileA(templateFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                     FILE_ATTRIBUTE_NORMAL, nullptr);
        if (created == INVALID_HANDLE_VALUE) {
            Ask(LoadResString(kStrTemplateNameInvalid), kStrInvalidFileName, MB_OK | MB_ICONERROR);
            edtTemplateFile->SetFocus();
            return false;
        }
        CloseHandle(created);
        DeleteFileA(templateFile.c_str());
    }
    if (!EnsureTemplateDir(edtNewFile->Text(), edtNewFile)) return false;
    if (!CheckPathValid(edtNewFile->Text())) {
        Ask(LoadResString(kStrNewFilesPathInvalid), kStrInvalidPath2, MB_OK | MB_ICONERROR);
        edtNewFile->SetFocus();
        return false;
    }
    return true;
}

DefinitionLists TfrmMain::Definitions() const {
    DefinitionLists lists;
    lists.excludeFiles = Rows(lstExcludeFile);
    lists.excludeDirectories = Rows(lstExcludeDir);
    lists.drives = Rows(lstIncludeDrive);
    lists.textFiles = Rows(lstTextFileCompare);
    return lists;
}

void TfrmMain::SetDefinitions(const DefinitionLists& lists) {
    lstExcludeFile->Items().Assign(lists.excludeFiles);
    lstExcludeDir->Items().Assign(lists.excludeDirectories);
    lstIncludeDrive->Items().Assign(lists.drives);
    lstTextFileCompare->Items().Assign(lists.textFiles);
}

void TfrmMain::TakeFirstPicture() {
    const char boot = BootDrive();
    {
        FilmRunning film(tmrTimer);
        IMPRXDeleteHiddenDir(boot);
        IMPRXCreateBeforeDir(boot);
        std::string error;
        if (!SaveDefinitions(boot, Definitions(), &error)) throw EIniFileException(error);
        WriteBootDrive(boot);
        Settings().fastScan = FastScan;
        IMPRXTakePicture(boot, DefaultsFile(boot).c_str(), 0, FirstPictureProgress);
        nbkMain->SetPageIndex(nbkMain->PageIndex() + 1);
    }
    ResumeValues values;
    values.distName = edtDistName->Text();
    values.distDesc = edtDistDesc->Text();
    values.templateFile = edtTemplateFile->Text();
    values.newFilePath = edtNewFile->Text();
    values.windowsDrive = drvWindowsDrive->Drive();
    values.bootDrive = boot;
    try {
        WriteResumeValues(DefaultsFile(boot), values);
    } catch (const IniWriteError& error) {
        throw EIniFileException(error.what());
    }
}

void TfrmMain::MakeTheTemplate() {
    const char boot = BootDrive();
    LONG made;
    {
        FilmRunning film(tmrTimer);
        IMPRXCreateAfterDir(boot);
        IMPRXTakePicture(boot, DefaultsFile(boot).c_str(), 1, SecondPictureProgress);
        EngineSettings& settings = Settings();
        settings.distName = edtDistName->Text();
        settings.distDesc = edtDistDesc->Text();
        settings.installDirectory = edtInstallDirectory->Text();
        settings.runInterrupted = RunInterrupted;
        made = IMPRXMakeTemplate(boot, edtTemplateFile->Text().c_str(), edtNewFile->Text().c_str(),
                                 SecondPictureProgress);
    }
    if (made != 0) {
        // The pictures stay; the person can look into the work directory
        // and make the template again from TargetDirectory.
        if (!Settings().failureShown) Ask(LoadResString(kStrTemplateNotMade), kStrCaption, MB_OK | MB_ICONERROR);
        nbkMain->SetPageIndex(kPageTargetDirectory);
        return;
    }
    nbkMain->SetPageIndex(kPageFinished);
    btnExit->SetCaption(LoadResString(kStrClose));
    btnExit->SetFocus();
}

// ---- buttons and fields ------------------------------------------------

void TfrmMain::btnHelpClick(TObject*) { Application->HelpContext(HelpContext); }

void TfrmMain::edtDistNameChange(TObject*) { btnNext->SetEnabled(!edtDistName->Text().empty()); }

void TfrmMain::edtTemplateFileExit(TObject*) {
    const std::string path = edtTemplateFile->Text();
    const std::string name = MBExtractFileName(path);
    if (!name.empty() && MBExtractFileExt(name).empty()) edtTemplateFile->SetText(path + ".qmt");
}

void TfrmMain::btnTemplateFileLookupClick(TObject*) {
    dlgRunOpen->Filter = "Template files (*.QMT)|*.QMT|All files (*.*)|*.*";
    dlgRunOpen->DefaultExt = "qmt";
    dlgRunOpen->Title = LoadResString(kStrTemplateTitle);
    dlgRunOpen->Options = {ofOverwritePrompt, ofNoChangeDir};
    if (dlgRunOpen->Execute()) edtTemplateFile->SetText(dlgRunOpen->FileName);
}

std::string TfrmMain::ChooseDirectory() {
    TfrmOpenDir* picker = NewForm<TfrmOpenDir>(this);
    int result = picker->ShowModal();
    std::string path = picker->edtPath->Text();
    picker->Free();
    return result == mrOk ? path : std::string();
}

void TfrmMain::btnNewFilesLookupClick(TObject*) {
    std::string path = ChooseDirectory();
    if (!path.empty()) edtNewFile->SetText(path);
}

void TfrmMain::btnInstallDirectoryLookupClick(TObject*) {
    std::string path = ChooseDirectory();
    if (!path.empty()) edtInstallDirectory->SetText(path);
}

void TfrmMain::btnExcludeDirAddClick(TObject*) {
    std::string path = ChooseDirectory();
    if (path.empty()) return;
    if (MBLastChar(path) == "\\") path.pop_back();
    lstExcludeDir->Items().Add(path);
}

void TfrmMain::btnExcludeFileAddClick(TObject*) {
    dlgRunOpen->Filter = "All files (*.*)|*.*";
    dlgRunOpen->DefaultExt = "";
    dlgRunOpen->Title = LoadResString(kStrExcludeFileTitle);
    dlgRunOpen->Options = {ofAllowMultiSelect};
    if (!dlgRunOpen->Execute()) return;
    for (auto file = dlgRunOpen->Files.rbegin(); file != dlgRunOpen->Files.rend(); ++file)
        lstExcludeFile->Items().Add(MBExtractFileName(*file));
}

void TfrmMain::btnTextAddClick(TObject*) {
    dlgRunOpen->Filter = "Text files (*.txt)|*.txt|Batch files (*.bat)|*.bat|All files (*.*)|*.*";
    dlgRunOpen->DefaultExt = "";
    dlgRunOpen->Title = LoadResString(kStrTextFileTitle);
    dlgRunOpen->Options = {ofAllowMultiSelect};
    if (!dlgRunOpen->Execute()) return;
    for (const auto& file : dlgRunOpen->Files) lstTextFileCompare->Items().Add(file);
}

void TfrmMain::btnDriveAddClick(TObject*) {
    TfrmIncludeDrives* picker = NewForm<TfrmIncludeDrives>(this);
    picker->SetBounds(Left() + Width() - picker->Width(), Top() + btnDriveAdd->Top() + btnDriveAdd->Height(),
                      picker->Width(), picker->Height());
    int result = picker->ShowModal();
    char drive = picker->cbxDrives->Drive();
    picker->Free();
    if (result != mrCancel) lstIncludeDrive->Items().Add(std::string(1, drive) + ":");
}

void TfrmMain::btnExcludeFileRemoveClick(TObject*) { RemoveSelectedRows(lstExcludeFile); }
void TfrmMain::btnExcludeDirRemoveClick(TObject*) { RemoveSelectedRows(lstExcludeDir); }
void TfrmMain::btnDriveRemoveClick(TObject*) { RemoveSelectedRows(lstIncludeDrive); }
void TfrmMain::btnTextRemoveClick(TObject*) { RemoveSelectedRows(lstTextFileCompare); }

void TfrmMain::btnRunSetupClick(TObject*) {
    btnNext->SetFocus();
    nbkMain->SetPageIndex(nbkMain->PageIndex() + 1);
    dlgRunOpen->Filter = "Executable files (*.exe)|*.exe|All files (*.*)|*.*";
    dlgRunOpen->DefaultExt = "";
    dlgRunOpen->Title = LoadResString(kStrSetupTitle);
    dlgRunOpen->Options = {};
    if (dlgRunOpen->Execute()) {
        ShellExecuteA(Handle(), "open", dlgRunOpen->FileName.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    } else {
        nbkMain->SetPageIndex(nbkMain->PageIndex() - 1);
    }
}

void TfrmMain::tmrTimerTimer(TObject*) {
    bool first = imgFilm1->Visible();
    imgFilm1->SetVisible(!first);
    imgFilm2->SetVisible(first);
}

void TfrmMain::btnExitClick(TObject*) {
    const int page = nbkMain->PageIndex();
    if (ShutdownPending && page == kPageFinished &&
        Ask(LoadResString(kStrRestartQuestion), kStrCaption, MB_YESNO | MB_ICONQUESTION) == IDYES)
        RestartWindows();
    bool running = page >= kPageTakingPicture && page <= kPageGeneratingTemplate;
    if (running && Ask(LoadResString(kStrExitQuestion), kStrCaption, MB_YESNO | MB_ICONQUESTION) != IDYES) return;
    Close();
}

// ---- shutdown of Windows ---------------------------------------------------

void TfrmMain::WndProc(TMessage& message) {
    const int page = nbkMain ? nbkMain->PageIndex() : -1;
    if (message.Msg != WM_QUERYENDSESSION || page < kPageRunInstall || page > kPageTargetDirectory) {
        TFormInDLL::WndProc(message);
        return;
    }
    if (Ask(LoadResString(kStrShutdownQuestion), kStrCaption, MB_YESNO | MB_ICONQUESTION) == IDYES) {
        // Finish now: the shutdown is refused and the idle Next goes on.
        ShutdownPending = true;
        message.Result = 0;
        nbkMain->SetPageIndex(page - 1);
    } else {
        // Finish after the restart: the start-up entry stays.
        ResumeAfterReboot = true;
        message.Result = 1;
    }
    RunInterrupted = true;
    Application->ProcessMessages();
}

void TfrmMain::ApplicationIdle(TObject*, bool& Done) {
    if (ShutdownPending) {
        Application->OnIdle = previousIdle_;
        btnNextClick(this);
    }
    Done = true;
}

// ---- the program -----------------------------------------------------------

int ProgramMain(int argc, char** argv) {
    g_argc = argc;
    g_argv = argv;
    MBStringsInit();
    InitApplication();
    g_resources = LoadResourceLibrary();
    Settings().resourceModule = g_resources.module;
    if (!g_resources.helpFile.empty()) Application->HelpFile = g_resources.helpFile;
    RegisterDirectoryListBox();
    try {
        TfrmSplash* splash = NewForm<TfrmSplash>(nullptr);
        splash->ShowModal();
        splash->Free();
        Application->Title = "Imprix 32";
        Application->CreateForm<TfrmMain>();
    } catch (const std::exception& error) {
        // A form without its description, or the template library missing.
        MessageBoxA(nullptr, error.what(), "Imprix 32", MB_OK | MB_ICONERROR);
        return 1;
    }
    Application->Run();
    return 0;
}

}  // namespace snapshot
