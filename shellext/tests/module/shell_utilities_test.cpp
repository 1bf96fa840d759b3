// The extension's small utilities: the shell window's status text, submenus
// by command, the ID-list data format, the default tree's name, restarting.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "commctrl.h"
#include "shellapi.h"
#include "module/module_utilities.h"
#include "module/shell_app_library.h"
#include "module/shell_ext_app.h"
#include "module/shell_utilities.h"
#include "vpr/com/data_object.h"
#include "vpr/machine/machine.h"
#include "vpr/testing/build_folder.h"
#include "vpr/testing/temp_machine.h"
#include "vpr/testing/temp_tree.h"

namespace {

TEST(SetShellStatusText, PostsToTheShellWindowsStatusBarOnly) {
    vpr::testing::TempMachine machine;
    EXPECT_FALSE(SetShellStatusText("nobody hears"));
    WNDCLASSA shellClass = {};
    shellClass.lpfnWndProc = DefWindowProcA;
    shellClass.lpszClassName = "ExploreWClass";
    RegisterClassA(&shellClass);
    HWND shell = CreateWindowExA(0, "ExploreWClass", "", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr,
                                 nullptr, nullptr);
    ASSERT_NE(shell, nullptr);
    EXPECT_FALSE(SetShellStatusText("no status bar yet"));
    HWND status = CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, shell, nullptr,
                                  nullptr, nullptr);
    ASSERT_NE(status, nullptr);
    std::string longText(300, 'x');
    EXPECT_TRUE(SetShellStatusText(longText.c_str()));
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    char shown[512] = {};
    SendMessageA(status, SB_GETTEXTA, SB_SIMPLEID, reinterpret_cast<LPARAM>(shown));
    EXPECT_EQ(std::string(shown), std::string(255, 'x'));
    DestroyWindow(shell);
}

TEST(GetSubMenuById, FindsThePopupByItsCommand) {
    vpr::testing::TempMachine machine;
    HMENU menu = CreateMenu();
    HMENU popup = CreatePopupMenu();
    AppendMenuA(menu, MF_STRING, 7, "&Plain");
    MENUITEMINFOA item = {};
    item.cbSize = sizeof item;
    item.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
    item.wID = 42;
    item.hSubMenu = popup;
    item.dwTypeData = const_cast<LPSTR>("&View");
    ASSERT_TRUE(InsertMenuItemA(menu, 1, TRUE, &item));
    EXPECT_EQ(GetSubMenuById(menu, 42), popup);
    EXPECT_EQ(GetSubMenuById(menu, 7), nullptr);
    EXPECT_EQ(GetSubMenuById(menu, 99), nullptr);
    DestroyMenu(menu);
}

TEST(HasIdListFormat, AsksForTheShellsIdListArrayInGlobalMemory) {
    vpr::testing::TempMachine machine;
    CShellExtApp app;
    app.m_cfIdListArray = RegisterClipboardFormatA("Shell IDList Array");
    IDataObject* lists = vpr::com::NewDataObject(
        {{static_cast<CLIPFORMAT>(app.m_cfIdListArray), GlobalAlloc(GMEM_MOVEABLE, 16)}});
    IDataObject* files = vpr::com::NewDataObject({{CF_HDROP, GlobalAlloc(GMEM_MOVEABLE, 4)}});
    EXPECT_TRUE(HasIdListFormat(lists));
    EXPECT_FALSE(HasIdListFormat(files));
    EXPECT_FALSE(HasIdListFormat(nullptr));
    lists->Release();
    files->Release();
}

TEST(GetDefaultTreeName, TheTreeOfAFreshContextWithoutItsPadding) {
    vpr::testing::TempMachine machine(vpr::machine::Platform::NT4, "jdoe");
    CShellExtApp app;
    CString tree = "left over";
    GetDefaultTreeName(tree);  // no binding: no tree
    EXPECT_TRUE(tree.IsEmpty());
    vpr::testing::TempTree directory("ACME_TREE");
    directory.Org("acme").User("jdoe.acme").LogIn("jdoe.acme");
    std::string host = machine.HostPath("C:\\WINDOWS\\SYSTEM32\\KmApp32.dll");
    std::filesystem::copy_file(vpr::testing::BuildBinFolder() + "/KMAPP32.DLL", host);
    CShellAppLibrary library;
    app.m_pLibrary = &library;
    GetDefaultTreeName(tree);
    EXPECT_STREQ(tree, "ACME_TREE");
    app.m_pLibrary = nullptr;
}

TEST(RestartWindows, AsksForARestartWithTheShutdownPrivilege) {
    vpr::testing::TempMachine machine(vpr::machine::Platform::NT4, "jdoe");
    RestartWindows();
    std::vector<std::string> steps;
    for (const auto& entry : machine.machine()->ReadJournal())
        if (entry.kind == "exit-windows" || entry.kind == "privilege") steps.push_back(entry.kind + " " + entry.text);
    ASSERT_EQ(steps.size(), 2u);
    EXPECT_EQ(steps[0], "privilege SeShutdownPrivilege enabled");
    EXPECT_EQ(steps[1].rfind("exit-windows reboot", 0), 0u) << steps[1];
}

}  // namespace

namespace {

TEST(ShowAbout, OpensTheModelessAboutSheetWithTheGeneralPage) {
    vpr::testing::TempMachine machine;
    CShellExtApp app;
    app.ShowAbout(nullptr);
    HWND sheet = FindWindowA(nullptr, "About Vpr Explorer");
    ASSERT_NE(sheet, nullptr);
    EXPECT_TRUE(IsWindowVisible(sheet));
    HWND tabs = FindWindowExA(sheet, nullptr, WC_TABCONTROLA, nullptr);
    ASSERT_NE(tabs, nullptr);
    EXPECT_EQ(SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0), 1);
    DestroyWindow(sheet);
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
}

}  // namespace
