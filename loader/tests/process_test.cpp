// The program VprExpLd run from a script with its switches while the shell
// EXPLORER.EXE runs in another process of the same machine: the shell hears
// of the new name-space entry, answers the loader's request to load the
// class, and the loader's "/u" takes the entry away again. The extension's
// file is the shell's test extension here, which serves another class, so
// the shell answers the load with CLASS_E_CLASSNOTAVAILABLE and the loader
// ends at once.
#include "loader_fixture.h"

#include <cstdio>

#include "uninstall.h"

namespace loader_test {
namespace {

struct Output {
    int exitCode = -1;
    std::string text;
};

Output RunCommand(const std::string& command) {
    Output output;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return output;
    char chunk[512];
    while (size_t n = fread(chunk, 1, sizeof chunk, pipe)) output.text.append(chunk, n);
    int status = pclose(pipe);
    output.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return output;
}

TEST(LoaderProcessTest, RunsFromAScriptBesideTheShellOfTheMachine) {
    vpr::testing::TempMachine machine(vpr::machine::Platform::NT4);
    const std::string bin = vpr::testing::BuildBinFolder();
    // The program and the files it installs, in a folder of the machine, and
    // a script that runs it with its switches and takes its normal result 1
    // for success.
    const std::string setup = machine.HostPath(kLoaderDir);
    fs::create_directories(setup);
    fs::copy_file(bin + "/VprExpLd.exe", setup + "/VprExpLd.exe");
    WriteFixture(setup + "/KMApp32.dll", {1, 0, 0, 0});
    fs::copy_file(bin + "/TESTEXT.DLL", setup + "/VprExp32.dll");
    std::ofstream(setup + "/LOADER.SH") << "#!/bin/sh\nLD_LIBRARY_PATH=" << bin << " " << setup
                                        << "/VprExpLd.exe \"$@\"\n[ $? -eq 1 ]\n";
    fs::permissions(setup + "/LOADER.SH", fs::perms::owner_all);

    const std::string script = machine.root() + "/shell.txt";
    std::ofstream(script) << "run C:\\SETUP\\LOADER.SH /s\ndesktop\nrun C:\\SETUP\\LOADER.SH /u /s\ndesktop\nexit\n";
    Output shell = RunCommand(machine.HostPath("C:\\WINDOWS\\EXPLORER.EXE") + " " + script);
    EXPECT_EQ(shell.exitCode, 0) << shell.text;
    // Shown after the installation, gone after the removal.
    const std::string entry = "VPR Explorer";
    size_t first = shell.text.find(entry);
    ASSERT_NE(first, std::string::npos) << shell.text;
    EXPECT_EQ(shell.text.find(entry, first + 1), std::string::npos) << shell.text;
    EXPECT_TRUE(fs::exists(machine.HostPath("C:\\WINDOWS\\SYSTEM32\\VprExp32.dll")));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kNameSpaceEntry));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, kClassKey));
}

// The whole road with the build's extension: the loader, run by the shell's
// script from the build's folder, installs VprExp32.dll, KMApp32.dll and the
// language library, the shell loads the extension; "/u" asks it to shut
// down, it confirms once the shell has unloaded it, and the desktop entry is
// gone. The loader's boxes would meet an empty script of answers, so a
// question nobody expects fails the run instead of waiting.
TEST(LoaderProcessTest, InstallsStartsAndStopsTheExtensionInTheShell) {
    vpr::testing::TempMachine machine(vpr::machine::Platform::NT4);
    const std::string bin = vpr::testing::BuildBinFolder();
    const std::string answers = machine.root() + "/answers.txt";
    std::ofstream(answers) << "echo loader\n";
    const std::string wrapper = machine.root() + "/loader.sh";
    std::ofstream(wrapper) << "#!/bin/sh\nVPR_UI_SCRIPT=" << answers << " " << bin << "/VprExpLd.exe \"$@\"\n";
    fs::permissions(wrapper, fs::perms::owner_all);
    const std::string clsid = "{5B2D7E10-4C3A-11d0-9E61-00A0C9D4F27B}";
    const std::string script = machine.root() + "/shell.txt";
    std::ofstream(script) << "run " << wrapper << " /s\nwait load " << clsid << "\ndesktop\nrun " << wrapper
                          << " /u /s\nwait unload " << clsid << "\ndesktop\nexit\n";
    Output shell = RunCommand(machine.HostPath("C:\\WINDOWS\\EXPLORER.EXE") + " " + script);
    EXPECT_EQ(shell.exitCode, 0) << shell.text;
    size_t first = shell.text.find("VPR Explorer");
    ASSERT_NE(first, std::string::npos) << shell.text;
    EXPECT_EQ(shell.text.find("VPR Explorer", first + 1), std::string::npos) << shell.text;
    for (const char* file : {"VprExp32.dll", "KMApp32.dll", "NLS\\English\\VprExpRs.dll"})
        EXPECT_TRUE(fs::exists(machine.HostPath(std::string("C:\\WINDOWS\\SYSTEM32\\") + file))) << file;
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kNameSpaceEntry));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, kClassKey));
}

// The road a person sees on a fresh machine: an application granted to the
// user with the Desktop, System Tray and Start Menu associations. The loader
// installs the extension, the shell shows it, a desktop shortcut, a tray
// icon and the Start Menu junction appear; "/u" stops and removes it, and
// none of them is left, nor the name-space entry, and the module is
// unloaded. The machine is set up with the tools of the launcher's
// walk-through, as the README does it.
TEST(LoaderProcessTest, GrantedApplicationsComeToTheDesktopAndTheTrayAndLeaveWithTheExtension) {
    vpr::testing::TempMachine machine(vpr::machine::Platform::NT4, "jdoe");
    const std::string bin = vpr::testing::BuildBinFolder();
    const std::string root = machine.root();
    const std::string tree = root + "/acme.tree";
    fs::create_directories(root + "/server/apps/Editor");
    std::ofstream(root + "/server/apps/Editor/Editor.SH") << "#!/bin/sh\n";
    fs::permissions(root + "/server/apps/Editor/Editor.SH", fs::perms::owner_all);
    std::ofstream(root + "/server/apps/Editor/README.TXT") << "Read me\n";
    const std::vector<std::string> setup = {
        "vprdir create " + tree + " ACME_TREE admin.acme",
        "vprdir add " + tree + " acme Organization",
        "vprdir add " + tree + " admin.acme User",
        "vprdir add " + tree + " jdoe.acme User",
        "vprmachine set tree.ACME_TREE.store " + tree,
        "vprmachine set 'unc.\\\\SERVER\\APPS' " + root + "/server/apps",
        "vprlaunch install",
        "vprlaunch login admin.acme",
        "launchsample Editor.acme jdoe.acme",
        // Launcher window, Start Menu, Desktop and System Tray.
        "vprdir set " + tree + " jdoe.acme App:Associations 'Editor.acme;45;0'",
        "vprlaunch login jdoe.acme",
    };
    for (const std::string& command : setup) {
        Output step = RunCommand(bin + "/" + command);
        ASSERT_EQ(step.exitCode, 0) << command << "\n" << step.text;
    }

    const std::string answers = root + "/answers.txt";
    std::ofstream(answers) << "echo loader\n";
    const std::string loader = root + "/LOADER.SH";
    std::ofstream(loader) << "#!/bin/sh\nVPR_UI_SCRIPT=" << answers << " " << bin << "/VprExpLd.exe \"$@\"\n";
    // Whether the Start Menu junction is there (or gone), waiting for the
    // watcher's next cycle.
    std::string startMenu;
    ASSERT_TRUE(GetShellFolderPath("Start Menu", &startMenu));
    const std::string junction = machine.HostPath(startMenu + "\\VPR Explorer." + kExtensionClsidText);
    for (const char* check : {"JUNCTION", "NOJUNCTION"}) {
        const std::string test = std::string(check) == "JUNCTION" ? "-d" : "! -d";
        std::ofstream(root + "/" + check + ".SH") << "#!/bin/sh\nfor i in $(seq 600); do [ " << test << " '"
                                                  << junction << "' ] && exit 0; sleep 0.1; done; exit 1\n";
        fs::permissions(root + "/" + check + ".SH", fs::perms::owner_all);
    }
    fs::permissions(loader, fs::perms::owner_all);
    const std::string clsid = "{5B2D7E10-4C3A-11d0-9E61-00A0C9D4F27B}";
    const std::string script = root + "/shell.txt";
    std::ofstream(script) << "run " << loader << " /s\nwait load " << clsid
                          << "\nwait tray Editor\nwait shortcut Editor.lnk\ntray\nshortcuts\nrun " << root
                          << "/JUNCTION.SH\nrun " << loader << " /u /s\nwait unload " << clsid
                          << "\necho removed\ndesktop\ntray\nshortcuts\nrun " << root << "/NOJUNCTION.SH\nexit\n";
    Output shell = RunCommand(machine.HostPath("C:\\WINDOWS\\EXPLORER.EXE") + " " + script);
    EXPECT_EQ(shell.exitCode, 0) << shell.text;
    const size_t removed = shell.text.find("removed\n");
    ASSERT_NE(removed, std::string::npos) << shell.text;
    const std::string before = shell.text.substr(0, removed), after = shell.text.substr(removed);
    EXPECT_NE(before.find("  Editor\n"), std::string::npos) << shell.text;
    EXPECT_NE(before.find("  Editor.lnk -> ::{5B2D7E10-4C3A-11D0-9E61-00A0C9D4F27B}\\ACME_TREE\\tEditor.acme\n"),
              std::string::npos)
        << shell.text;
    // After the removal: no desktop entry, no tray icon, no shortcut.
    for (const char* gone : {"VPR Explorer", "Editor"}) EXPECT_EQ(after.find(gone), std::string::npos) << shell.text;
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kNameSpaceEntry));
    EXPECT_FALSE(fs::exists(junction));
    std::string desktop;
    ASSERT_TRUE(GetShellFolderPath("Desktop", &desktop));
    EXPECT_FALSE(fs::exists(machine.HostPath(desktop + "\\Editor.lnk")));
    // The installed files and the class stay.
    EXPECT_TRUE(fs::exists(machine.HostPath("C:\\WINDOWS\\SYSTEM32\\VprExp32.dll")));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, kClassKey));
}

// The handshake across processes: this process plays the extension, holding
// both named events, and confirms once the loader's "/u" asked it to shut
// down; the loader then asks nothing (an empty script of answers).
TEST(LoaderProcessTest, TheHandshakeCrossesProcesses) {
    vpr::testing::TempMachine machine(vpr::machine::Platform::Win95);
    RegisterShellExtension("C:\\VELTRIX");
    const std::string bin = vpr::testing::BuildBinFolder();
    HANDLE shutdown = CreateEventA(nullptr, TRUE, FALSE, "Shutdown VPR Explorer, please");
    std::atomic<bool> stopping{false};
    HANDLE left = CreateEventA(nullptr, TRUE, FALSE, "VPR Explorer has left the building");
    // A junction folder the extension would remove itself: after a confirmed
    // shutdown the loader leaves it.
    std::string startMenu;
    ASSERT_TRUE(GetShellFolderPath("Start Menu", &startMenu));
    const std::string junction = machine.HostPath(startMenu + "\\VPR Explorer." + kExtensionClsidText);
    fs::create_directories(junction);
    std::atomic<bool> asked{false};
    std::thread extension([&] {
        WaitForSingleObject(shutdown, INFINITE);
        asked = !stopping;
        SetEvent(left);
    });
    const std::string script = machine.root() + "/answers.txt";
    std::ofstream(script) << "echo uninstall\n";
    Output run = RunCommand("VPR_UI_SCRIPT=" + script + " " + bin + "/VprExpLd.exe /u");
    stopping = true;
    SetEvent(shutdown);  // ends the thread whatever happened
    extension.join();
    CloseHandle(left);
    CloseHandle(shutdown);
    EXPECT_EQ(run.exitCode, 0) << run.text;
    EXPECT_EQ(run.text, "uninstall\nresult 1\n");
    EXPECT_TRUE(asked);
    EXPECT_TRUE(fs::exists(junction));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kNameSpaceEntry));
}

// Its message boxes are answered by a script's answers (VPR_UI_SCRIPT), and
// the result is printed.
TEST(LoaderProcessTest, AnswersItsMessageBoxesFromAScript) {
    vpr::testing::TempMachine machine(vpr::machine::Platform::Win95);
    const std::string bin = vpr::testing::BuildBinFolder();
    const std::string setup = machine.HostPath(kLoaderDir);
    fs::create_directories(setup);
    fs::copy_file(bin + "/VprExpLd.exe", setup + "/VprExpLd.exe");
    WriteFixture(setup + "/VprExp32.dll", {1, 0, 0, 0});
    const std::string script = machine.root() + "/answers.txt";
    std::ofstream(script) << "answer ok KMApp32.dll must be present.\n";
    Output run = RunCommand("LD_LIBRARY_PATH=" + bin + " VPR_UI_SCRIPT=" + script + " " + setup + "/VprExpLd.exe");
    EXPECT_EQ(run.exitCode, 0) << run.text;
    EXPECT_EQ(run.text,
              "message Vpr Explorer: KMApp32.dll must be present.\\nThe VPR Explorer failed to load.\\n\n"
              "answered ok\nresult 1\n");
}

}  // namespace
}  // namespace loader_test
