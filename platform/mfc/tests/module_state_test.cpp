#include <gtest/gtest.h>

#include "test_ids.h"
#include "afxwin.h"
#include "vpr/testing/temp_machine.h"

namespace {

class CTestProgramApp : public CWinApp {
public:
    CTestProgramApp() : CWinApp("test program") {}
    BOOL InitInstance() override {
        ++initialised;
        return TRUE;
    }
    int ExitInstance() override { return 7; }
    int initialised = 0;
};

CTestProgramApp theApp;

// The second module's exports.
struct SecondModule {
    SecondModule() {
        module = LoadLibraryA("MFCMOD32.DLL");
        loadString = reinterpret_cast<BOOL (*)(UINT, char*, int)>(GetProcAddress(module, "SecondLoadString"));
        appName = reinterpret_cast<void (*)(char*, int)>(GetProcAddress(module, "SecondAppName"));
        setResourceHandle = reinterpret_cast<void (*)(HINSTANCE)>(GetProcAddress(module, "SecondSetResourceHandle"));
        instanceHandle = reinterpret_cast<HINSTANCE (*)()>(GetProcAddress(module, "SecondInstanceHandle"));
    }
    ~SecondModule() { FreeLibrary(module); }
    std::string LoadText(UINT id) {
        char buffer[256] = "";
        loadString(id, buffer, sizeof buffer);
        return buffer;
    }

    HMODULE module;
    BOOL (*loadString)(UINT, char*, int);
    void (*appName)(char*, int);
    void (*setResourceHandle)(HINSTANCE);
    HINSTANCE (*instanceHandle)();
};

TEST(ModuleState, EachModuleFindsItsOwnResourcesAndApplication) {
    SecondModule second;
    ASSERT_NE(second.module, nullptr);
    ASSERT_NE(second.loadString, nullptr);

    CString text;
    ASSERT_TRUE(text.LoadString(IDS_WHO));
    EXPECT_STREQ(text, "the program");
    EXPECT_EQ(second.LoadText(IDS_WHO), "the second module");
    // The guard put the program's state back.
    ASSERT_TRUE(text.LoadString(IDS_WHO));
    EXPECT_STREQ(text, "the program");

    EXPECT_EQ(AfxGetApp(), &theApp);
    EXPECT_EQ(AfxGetInstanceHandle(), GetModuleHandleA(nullptr));
    EXPECT_EQ(theApp.m_hInstance, GetModuleHandleA(nullptr));
    char name[64];
    second.appName(name, sizeof name);
    EXPECT_STREQ(name, "second module");
    EXPECT_EQ(second.instanceHandle(), second.module);
}

TEST(ModuleState, ResourceHandleChangesOnlyTheModuleThatSetsIt) {
    SecondModule second;
    ASSERT_NE(second.module, nullptr);
    // The second module takes the program's resources as its language
    // library; the program's own state is untouched.
    second.setResourceHandle(GetModuleHandleA(nullptr));
    EXPECT_EQ(second.LoadText(IDS_WHO), "the program");
    EXPECT_EQ(AfxGetResourceHandle(), GetModuleHandleA(nullptr));
    second.setResourceHandle(second.module);
    EXPECT_EQ(second.LoadText(IDS_WHO), "the second module");
}

TEST(ModuleState, GuardSelectsAStateForItsScope) {
    HMODULE self = GetModuleHandleA(nullptr);
    AFX_MODULE_STATE* program = AfxGetModuleState();
    EXPECT_EQ(program, AfxGetStaticModuleState());
    AFX_MODULE_STATE* other = vpr::mfc::ModuleStateOf(reinterpret_cast<HMODULE>(0x1234));
    {
        AFX_MANAGE_STATE(other);
        EXPECT_EQ(AfxGetInstanceHandle(), reinterpret_cast<HINSTANCE>(0x1234));
        EXPECT_EQ(AfxGetApp(), nullptr);
    }
    EXPECT_EQ(AfxGetInstanceHandle(), self);
}

TEST(AfxMessageBox, TextsAndCaptionsComeFromTheCallersModule) {
    SecondModule second;
    ASSERT_NE(second.module, nullptr);
    auto messageBox = reinterpret_cast<int (*)(UINT)>(GetProcAddress(second.module, "SecondMessageBox"));
    ASSERT_NE(messageBox, nullptr);
    vpr::user::UiDriver driver;
    std::vector<std::string> captions;
    driver.OnMessageBox("the program", [&](const vpr::user::ModalElement& box) {
        captions.push_back(box.caption);
        vpr::user::ui::Click(box.window, IDOK);
    });
    driver.OnMessageBox("the second module", [&](const vpr::user::ModalElement& box) {
        captions.push_back(box.caption);
        vpr::user::ui::Click(box.window, IDCANCEL);
    });
    EXPECT_EQ(AfxMessageBox(IDS_WHO), IDOK);
    EXPECT_EQ(messageBox(IDS_WHO), IDCANCEL);
    EXPECT_EQ(captions, (std::vector<std::string>{"test program", "second module"}));
    EXPECT_TRUE(driver.Failures().empty());
}

TEST(CWinApp, HelpGoesToTheApplicationsHelpFile) {
    vpr::testing::TempMachine machine;
    theApp.m_pszHelpFilePath = "C:\\VPR\\vpradmin.hlp";
    CWnd window;
    ASSERT_TRUE(window.CreateEx(0, nullptr, "page", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr));
    window.WinHelp(80010);
    theApp.m_pszHelpFilePath = nullptr;
    using Entry = vpr::machine::Machine::JournalEntry;
    EXPECT_EQ(machine.machine()->ReadJournal(),
              (std::vector<Entry>{{"help", "C:\\VPR\\vpradmin.hlp\tHELP_CONTEXT\t80010"}}));
}

TEST(CWaitCursor, ShowsTheWaitCursorWhileItLives) {
    HCURSOR before = GetCursor();
    {
        CWaitCursor wait;
        EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_WAIT));
        SetCursor(before);
        wait.Restore();
        EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_WAIT));
    }
    EXPECT_EQ(GetCursor(), before);
}

TEST(CWinApp, ALoadedModulesApplicationStartsAndEndsWithTheModule) {
    vpr::testing::TempMachine machine;
    {
        SecondModule second;
        auto starts = reinterpret_cast<int (*)()>(GetProcAddress(second.module, "SecondStarts"));
        ASSERT_NE(starts, nullptr);
        EXPECT_EQ(starts(), 1);
        HMODULE again = LoadLibraryA("MFCMOD32.DLL");  // a second load does not start it again
        EXPECT_EQ(starts(), 1);
        FreeLibrary(again);
        EXPECT_TRUE(machine.machine()->ReadJournal().empty());
    }
    using Entry = vpr::machine::Machine::JournalEntry;
    EXPECT_EQ(machine.machine()->ReadJournal(), (std::vector<Entry>{{"help", "MFCMOD32.HLP\tHELP_QUIT\t0"}}));
}

TEST(CWinApp, RunsInitAndExitInstance) {
    int before = theApp.initialised;
    EXPECT_EQ(AfxRunApp(&theApp), 7);
    EXPECT_EQ(theApp.initialised, before + 1);
    EXPECT_EQ(AfxRunApp(nullptr), -1);
}

}  // namespace
