// The binding of the launcher library: where it is looked for, its version
// gate, the defaults of a library that is too old or lacks entry points,
// the launcher configuration's defaults, new personal folder keys, and the
// problems the module reports from what was bound.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "module/module_resource.h"
#include "module/shell_app_library.h"
#include "module/shell_ext_app.h"
#include "vpr/testing/build_folder.h"
#include "vpr/testing/temp_machine.h"
#include "vpr/testing/temp_tree.h"
#include "vpr/win/resource_format.h"

namespace fs = std::filesystem;

namespace {

// Copies a built module to a Windows path of the machine, stamped with `version`.
void Place(const vpr::testing::TempMachine& machine, const std::string& built, const std::string& windowsPath,
           const std::array<uint16_t, 4>& version) {
    std::string host = machine.HostPath(windowsPath);
    fs::create_directories(fs::path(host).parent_path());
    fs::copy_file(vpr::testing::BuildBinFolder() + "/" + built, host, fs::copy_options::overwrite_existing);
    ASSERT_EQ(vpr::win::StampModuleVersion(host, version), ERROR_SUCCESS);
}

constexpr const char* kSystemLibrary = "C:\\WINDOWS\\SYSTEM32\\KmApp32.dll";

CString Text(UINT id) {
    CString text;
    text.LoadString(id);
    return text;
}

struct GateCase {
    std::array<uint16_t, 4> version;  // {0,0,0,0}: no library
    bool loaded;
    std::string problem;  // the line GetProblems adds; empty when there is none
};

TEST(ShellAppLibrary, TheVersionGateDecidesBindingAndTheModulesProblems) {
    CString outOfDate;
    outOfDate.Format(Text(IDS_LIBRARY_OUT_OF_DATE), "970603");
    const GateCase cases[] = {
        {{97, 6, 2, 9}, false, static_cast<LPCSTR>(outOfDate)},
        {{97, 5, 9, 0}, false, static_cast<LPCSTR>(outOfDate)},
        {{97, 6, 3, 0}, true, ""},
        {{98, 0, 0, 0}, true, ""},
        {{0, 0, 0, 0}, false, static_cast<LPCSTR>(Text(IDS_LIBRARY_MISSING))},
    };
    for (const GateCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.version[0]) + "." + std::to_string(c.version[1]) + "." +
                     std::to_string(c.version[2]) + "." + std::to_string(c.version[3]));
        vpr::testing::TempMachine machine(vpr::machine::Platform::NT4, "jdoe");
        if (c.version[0]) Place(machine, "KMAPP32.DLL", kSystemLibrary, c.version);
        CShellAppLibrary library;
        EXPECT_STREQ(library.GetPath(), kSystemLibrary);
        ULONGLONG expected = 0;
        for (uint16_t part : c.version) expected = (expected << 16) | part;
        EXPECT_EQ(library.GetVersion(), expected);
        EXPECT_EQ(library.IsLoaded() != FALSE, c.loaded);

        CShellExtApp app;
        app.m_bOldShell = FALSE;
        app.m_pLibrary = &library;
        CString problems;
        EXPECT_EQ(app.GetProblems(&problems) != FALSE, c.problem.empty());
        if (!c.problem.empty())
            EXPECT_STREQ(problems, Text(IDS_PROBLEMS) + "\r\n\r\n" + c.problem.c_str());
        else
            EXPECT_TRUE(problems.IsEmpty());
        EXPECT_EQ(app.GetProblems(nullptr) != FALSE, c.problem.empty());
        app.m_pLibrary = nullptr;
    }
}

TEST(ShellAppLibrary, AnOldShellIsAProblemOfItsOwn) {
    vpr::testing::TempMachine machine(vpr::machine::Platform::NT4, "jdoe");
    Place(machine, "KMAPP32.DLL", kSystemLibrary, {97, 6, 3, 0});
    CShellAppLibrary library;
    CShellExtApp app;
    app.m_pLibrary = &library;
    ASSERT_TRUE(app.m_bOldShell);
    CString problems;
    EXPECT_FALSE(app.GetProblems(&problems));
    EXPECT_STREQ(problems, Text(IDS_PROBLEMS) + "\r\n\r\n" + Text(IDS_OLD_SHELL));
    app.m_pLibrary = nullptr;
}

// Every wrapper's default, for a library refused by its version and for a
// library of the right version that exports none of the names.
TEST(ShellAppLibrary, WithoutEntryPointsEveryWrapperGivesItsDefault) {
    for (const char* built : {"KMAPP32.DLL", "SHELL32.DLL"}) {
        SCOPED_TRACE(built);
        vpr::testing::TempMachine machine(vpr::machine::Platform::NT4, "jdoe");
        bool tooOld = std::strcmp(built, "KMAPP32.DLL") == 0;
        Place(machine, built, kSystemLibrary, tooOld ? std::array<uint16_t, 4>{97, 6, 2, 9} : std::array<uint16_t, 4>{97, 6, 3, 0});
        CShellAppLibrary library;
        EXPECT_EQ(library.IsLoaded() != FALSE, !tooOld);
        EXPECT_EQ(library.m_pfnProcessApplication, nullptr);
        EXPECT_EQ(library.m_pfnLogString, nullptr);
        EXPECT_EQ(library.AllocContext(nullptr), -328);
        EXPECT_EQ(library.GetFoldersEx(1, 1), nullptr);
        EXPECT_EQ(library.GetObjectAttributes(1, "x", nullptr, 0), nullptr);
        EXPECT_EQ(library.GetIconFromHandle(3), nullptr);
        EXPECT_EQ(library.RenamePersonalFolder("a", "b"), 0);
        EXPECT_EQ(library.AddPersonalFolderItem("t", "f", "a", 0x80000001), 0);
        EXPECT_EQ(library.DeletePersonalFolderItem("t", "f", "a"), 0);
        EXPECT_EQ(library.ReadNRDFolders(1, "t"), 0);
        EXPECT_EQ(library.WriteNRDFolders(1, "t"), 0);
        EXPECT_EQ(library.CheckSchedule(nullptr), 0u);
        EXPECT_EQ(library.RecordLaunch(nullptr, 1), 0);
        EXPECT_EQ(library.IsInstalled("t\tapp"), 0);
        EXPECT_EQ(library.MarkNotInstalled("t\tapp"), -1);
        KmappFolder* head = nullptr;
        library.GetPersonalFolders(1, "t", &head);
        EXPECT_EQ(head, nullptr);
        library.MonitorApplications();
        library.FreeContext(1);
        library.DeletePersonalFolder("f");

        // The configuration: -331, inherit levels 1 and 3600 s; the rest as
        // the caller left it.
        BYTE record[KMAPP_CONFIG_SIZE];
        std::memset(record, 0xA5, sizeof record);
        EXPECT_EQ(library.ReadLauncherConfig(1, record), -331);
        DWORD interval = 0, levels = 0, flags = 0;
        std::memcpy(&interval, record + KMAPP_CONFIG_OFFSET_INTERVAL, 4);
        std::memcpy(&levels, record + KMAPP_CONFIG_OFFSET_LEVELS, 4);
        std::memcpy(&flags, record + KMAPP_CONFIG_OFFSET_FLAGS, 4);
        EXPECT_EQ(interval, 3600u);
        EXPECT_EQ(levels, 1u);
        EXPECT_EQ(flags, 0xA5A5A5A5u);
        EXPECT_EQ(record[99], 0xA5);
    }
}

TEST(ShellAppLibrary, OnWindows95TheClientsInstallFolderIsAsked) {
    vpr::testing::TempMachine machine(vpr::machine::Platform::Win95, "jdoe");
    const char* targetPath = "Network\\Veltrix\\System Config\\Install\\Target Path";
    // Without the install folder's value: the bare name, found on the search path.
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, targetPath, &key), ERROR_SUCCESS);
    RegDeleteValueA(key, "");
    RegCloseKey(key);
    {
        CShellAppLibrary library;
        EXPECT_STREQ(library.GetPath(), "KmApp32.dll");
    }
    Place(machine, "KMAPP32.DLL", "C:\\CLIENT\\KmApp32.dll", {97, 6, 3, 0});
    ASSERT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, targetPath, &key), ERROR_SUCCESS);
    RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>("C:\\CLIENT"), 10);
    RegCloseKey(key);
    CShellAppLibrary library;
    EXPECT_STREQ(library.GetPath(), "C:\\CLIENT\\KmApp32.dll");
    EXPECT_TRUE(library.IsLoaded());
    EXPECT_NE(library.m_pfnProcessApplication, nullptr);
}

// With the real library on a tree: the user's and container's records are
// missing, so the configuration falls back; new personal folder keys take
// free names and the library lists exactly those.
TEST(ShellAppLibrary, ConfigurationDefaultsAndNewPersonalFolderKeys) {
    vpr::testing::TempMachine machine(vpr::machine::Platform::NT4, "jdoe");
    Place(machine, "KMAPP32.DLL", kSystemLibrary, {97, 6, 3, 0});
    vpr::testing::TempTree tree("ACME_TREE");
    tree.Org("acme").Unit("sales.acme").User("jdoe.sales.acme", "John Doe").LogIn("jdoe.sales.acme");
    CShellAppLibrary library;
    ASSERT_TRUE(library.IsLoaded());
    CShellExtApp app;
    app.m_pLibrary = &library;

    DIR_CONTEXT context = library.AllocContext(nullptr);
    ASSERT_GT(context, 0);
    // A named tree gives a context on it; a tree the workstation is not
    // attached to gives none.
    DIR_CONTEXT named = library.AllocContext("ACME_TREE");
    EXPECT_GT(named, 0);
    library.FreeContext(named);
    EXPECT_EQ(library.AllocContext("ELSEWHERE"), -328);
    BYTE record[KMAPP_CONFIG_SIZE] = {};
    EXPECT_NE(library.ReadLauncherConfig(context, record), 0);
    DWORD interval = 0, levels = 0;
    std::memcpy(&interval, record + KMAPP_CONFIG_OFFSET_INTERVAL, 4);
    std::memcpy(&levels, record + KMAPP_CONFIG_OFFSET_LEVELS, 4);
    EXPECT_EQ(interval, 3600u);
    EXPECT_EQ(levels, 1u);

    CString name;
    ASSERT_TRUE(library.CreatePersonalFolderKey(name));
    EXPECT_STREQ(name, "New Folder");
    ASSERT_TRUE(library.CreatePersonalFolderKey(name));
    EXPECT_STREQ(name, "New Folder (2)");
    ASSERT_TRUE(library.CreatePersonalFolderKey(name));
    EXPECT_STREQ(name, "New Folder (3)");
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Kalmora\\VPR\\1.0\\Folders\\ACME_TREE\\New Folder (2)", 0,
                            KEY_READ, &key),
              ERROR_SUCCESS);
    RegCloseKey(key);

    KmappFolder* head = nullptr;
    library.GetPersonalFolders(context, "ACME_TREE", &head);
    std::vector<std::string> listed;
    for (KmappFolder* folder = head; folder; folder = folder->next) listed.push_back(folder->name);
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ(listed, (std::vector<std::string>{"New Folder", "New Folder (2)", "New Folder (3)"}));
    library.FreeGetFoldersEx(head);
    library.FreeContext(context);
    app.m_pLibrary = nullptr;
}

}  // namespace
