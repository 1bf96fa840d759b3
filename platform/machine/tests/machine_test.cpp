#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "vpr/machine/machine.h"
#include "vpr/testing/build_folder.h"

namespace fs = std::filesystem;
using vpr::machine::CreateMachine;
using vpr::machine::CreateOptions;
using vpr::machine::LoadMachine;
using vpr::machine::Machine;
using vpr::machine::Platform;
using namespace std::string_literals;

namespace {

CreateOptions Options(Platform platform, const std::string& user) {
    CreateOptions options;
    options.platform = platform;
    options.userName = user;
    return options;
}

class MachineTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "vpr-machine-test-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string Create(const CreateOptions& options = {}) {
        std::string root = (dir_ / "m").string();
        std::string error;
        EXPECT_TRUE(CreateMachine(root, options, &error)) << error;
        return root;
    }

    fs::path dir_;
};

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST_F(MachineTest, NewWindows95MachineHasItsFoldersFilesAndFacts) {
    CreateOptions options = Options(Platform::Win95, "alice");
    options.computerName = "DESK7";
    std::string root = Create(options);
    Machine m;
    std::string error;
    ASSERT_TRUE(LoadMachine(root, &m, &error)) << error;
    EXPECT_EQ(m.platform, Platform::Win95);
    EXPECT_EQ(m.buildNumber, 950);
    EXPECT_EQ(m.userName, "alice");
    EXPECT_EQ(m.computerName, "DESK7");
    EXPECT_EQ(m.codePage, 65001u);
    EXPECT_EQ(m.windowsDirectory, "C:\\WINDOWS");
    EXPECT_EQ(m.SystemDirectory(), "C:\\WINDOWS\\SYSTEM");
    EXPECT_EQ(m.DesktopDirectory(), "C:\\WINDOWS\\Desktop");
    EXPECT_EQ(m.ProgramsDirectory(), "C:\\WINDOWS\\Start Menu\\Programs");
    EXPECT_EQ(m.DriveFolder('c'), root + "/c");
    EXPECT_EQ(m.DriveFolder('Z'), "/");
    EXPECT_EQ(m.DriveFolder('D'), "");
    EXPECT_EQ(m.RegistryFile(), root + "/registry.db");
    for (const char* folder : {"c/WINDOWS/SYSTEM", "c/WINDOWS/Desktop", "c/WINDOWS/Start Menu/Programs/StartUp",
                               "c/WINDOWS/TEMP", "c/Program Files"})
        EXPECT_TRUE(fs::is_directory(fs::path(root) / folder)) << folder;
    std::string winIni = ReadAll(fs::path(root) / "c/WINDOWS/win.ini");
    EXPECT_EQ(winIni.rfind("[windows]\r\nload=\r\nrun=\r\n", 0), 0u);
    EXPECT_NE(winIni.find("\r\n[MAIL]\r\nMAPI=0\r\n"), std::string::npos);
    EXPECT_NE(winIni.find("\r\n[Desktop]\r\n"), std::string::npos);
}

TEST_F(MachineTest, NewNtMachineHasSystem32AndAProfileFolder) {
    CreateOptions options = Options(Platform::NT4, "bob");
    options.mapi = true;
    std::string root = Create(options);
    Machine m;
    std::string error;
    ASSERT_TRUE(LoadMachine(root, &m, &error)) << error;
    EXPECT_EQ(m.platform, Platform::NT4);
    EXPECT_EQ(m.buildNumber, 1381);
    EXPECT_EQ(m.servicePack, "Service Pack 3");
    EXPECT_EQ(m.SystemDirectory(), "C:\\WINDOWS\\SYSTEM32");
    EXPECT_EQ(m.StartMenuDirectory(), "C:\\WINDOWS\\Profiles\\bob\\Start Menu");
    EXPECT_EQ(m.TempDirectory(), "C:\\TEMP");
    EXPECT_TRUE(fs::is_directory(fs::path(root) / "c/WINDOWS/SYSTEM32"));
    EXPECT_FALSE(fs::exists(fs::path(root) / "c/WINDOWS/SYSTEM"));
    EXPECT_TRUE(fs::is_directory(fs::path(root) / "c/WINDOWS/Profiles/bob/Desktop"));
    EXPECT_TRUE(fs::is_directory(fs::path(root) / "c/WINDOWS/Profiles/All Users/Start Menu/Programs"));
    EXPECT_NE(ReadAll(fs::path(root) / "c/WINDOWS/win.ini").find("[MAIL]\r\nMAPI=1\r\n"), std::string::npos);
}

TEST_F(MachineTest, ExtraDrivesInsideAndOutsideTheMachine) {
    fs::create_directories(dir_ / "share");
    CreateOptions options;
    options.drives = {{'d', "d"}, {'S', (dir_ / "share").string()}};
    std::string root = Create(options);
    Machine m;
    std::string error;
    ASSERT_TRUE(LoadMachine(root, &m, &error)) << error;
    EXPECT_EQ(m.DriveFolder('D'), root + "/d");
    EXPECT_TRUE(fs::is_directory(root + "/d"));
    EXPECT_EQ(m.DriveFolder('S'), (dir_ / "share").string());
    // Drives inside the machine are kept relative, so the folder can move.
    EXPECT_NE(ReadAll(root + "/machine.ini").find("D=d\n"), std::string::npos);
    fs::rename(root, dir_ / "moved");
    ASSERT_TRUE(LoadMachine((dir_ / "moved").string(), &m, &error)) << error;
    EXPECT_EQ(m.DriveFolder('C'), (dir_ / "moved/c").string());
}

TEST_F(MachineTest, CreationRefusesBadOptionsAndFoldersInUse) {
    std::string error;
    struct Case {
        void (*change)(CreateOptions*);
        const char* message;
    };
    const Case cases[] = {
        {[](CreateOptions* o) { o->codePage = 437; }, "code page 437"},
        {[](CreateOptions* o) { o->userName = "a\\b"; }, "cannot name a folder"},
        {[](CreateOptions* o) { o->computerName = "A-NAME-FAR-TOO-LONG"; }, "1 to 15"},
        {[](CreateOptions* o) { o->drives = {{'Z', "z"}}; }, "Z: is always"},
        {[](CreateOptions* o) { o->drives = {{'D', "/no/such/folder/anywhere"}}; }, "/no/such/folder/anywhere"},
    };
    for (const auto& c : cases) {
        CreateOptions options;
        c.change(&options);
        error.clear();
        EXPECT_FALSE(CreateMachine((dir_ / "bad").string(), options, &error));
        EXPECT_NE(error.find(c.message), std::string::npos) << error;
        // Nothing is left half made.
        EXPECT_TRUE(!fs::exists(dir_ / "bad") || fs::is_empty(dir_ / "bad"));
    }
    fs::create_directories(dir_ / "busy");
    std::ofstream(dir_ / "busy/keep.txt") << "mine";
    EXPECT_FALSE(CreateMachine((dir_ / "busy").string(), {}, &error));
    EXPECT_NE(error.find("not empty"), std::string::npos) << error;
    EXPECT_EQ(ReadAll(dir_ / "busy/keep.txt"), "mine");
    std::string root = Create();
    EXPECT_FALSE(CreateMachine(root, {}, &error));
    EXPECT_NE(error.find("holds a machine already"), std::string::npos) << error;
}

bool g_seedFails = false;
std::string g_seededRoot;
bool TestSeeder(const Machine& machine, std::string* error) {
    g_seededRoot = machine.root;
    if (g_seedFails) *error = "seed refused";
    return !g_seedFails;
}

TEST_F(MachineTest, SeedersRunOnceForEachNewMachine) {
    vpr::machine::AddMachineSeeder(TestSeeder);
    vpr::machine::AddMachineSeeder(TestSeeder);
    std::string root = Create();
    EXPECT_EQ(g_seededRoot, root);
    g_seedFails = true;
    std::string error;
    EXPECT_FALSE(CreateMachine((dir_ / "second").string(), {}, &error));
    g_seedFails = false;
    EXPECT_EQ(error, "seed refused");
    EXPECT_TRUE(fs::is_empty(dir_ / "second"));
}

TEST_F(MachineTest, DamagedMachineIniGivesAClearError) {
    struct Case {
        std::string text;
        const char* message;
    };
    const Case cases[] = {
        {"", "no [Machine] section"},
        {"[Machine]\nPlatform=98\n", "line 2: [Machine] Platform=98: platform must be 95 or nt4"},
        {"[Machine]\nthis line has no equals sign\n", "line 2: expected key=value"},
        {"Platform=95\n[Machine]\n", "line 1: key=value before any [section]"},
        {"[Machine\nPlatform=95\n", "line 1: a section header needs a closing ]"},
        {"[Machine]\nCodePage=437\n", "code page must be 65001, 1252 or 932"},
        {"[Machine]\nVersion=4.x\n", "version must be major.minor.build"},
        {"[Machine]\nSafeMode=yes\n", "safe mode must be 0 or 1"},
        {"[Machine]\nWindowsDirectory=WINDOWS\n", "full Windows path"},
        {"[Machine]\n[Drives]\nCD=/tmp\n", "a drive is one letter"},
        {"[Machine]\n[UNC]\n\\\\server=/tmp\n", "\\\\SERVER\\SHARE"},
        {"[Machine]\n[Screen]\nIcon=-3\n", "from 1 to 65535"},
        {"[Machine]\nColour=blue\n", "unknown key"},
        {std::string("[Machine]\nPlatform=95\0\n", 22), "not a text file"},
    };
    std::string root = (dir_ / "damaged").string();
    fs::create_directories(root);
    for (const auto& c : cases) {
        {
            std::ofstream out(root + "/machine.ini", std::ios::binary | std::ios::trunc);
            out << c.text;
        }
        Machine m;
        std::string error;
        EXPECT_FALSE(LoadMachine(root, &m, &error)) << c.text;
        EXPECT_NE(error.find(c.message), std::string::npos) << error;
        EXPECT_NE(error.find("machine.ini"), std::string::npos) << error;
    }
    Machine m;
    std::string error;
    EXPECT_FALSE(LoadMachine((dir_ / "nothing").string(), &m, &error));
    EXPECT_NE(error.find("cannot read"), std::string::npos) << error;
}

TEST_F(MachineTest, CurrentMachineSwitchesAndReportsABrokenOne) {
    std::string root = Create();
    std::string error;
    unsigned long before = vpr::machine::MachineGeneration();
    ASSERT_TRUE(vpr::machine::UseMachine(root, &error)) << error;
    EXPECT_GT(vpr::machine::MachineGeneration(), before);
    ASSERT_NE(vpr::machine::CurrentMachine(), nullptr);
    EXPECT_EQ(vpr::machine::CurrentMachine()->root, root);

    // A change on disk shows after a reload.
    Machine m = *vpr::machine::CurrentMachine();
    ASSERT_TRUE(vpr::machine::SetMachineFact(&m, "user", "carol", &error)) << error;
    ASSERT_TRUE(m.Save(&error)) << error;
    EXPECT_EQ(vpr::machine::CurrentMachine()->userName, "USER");
    ASSERT_TRUE(vpr::machine::ReloadMachine(&error)) << error;
    EXPECT_EQ(vpr::machine::CurrentMachine()->userName, "carol");

    std::ofstream(root + "/machine.ini", std::ios::app) << "garbage\n";
    EXPECT_FALSE(vpr::machine::ReloadMachine(&error));
    EXPECT_EQ(vpr::machine::CurrentMachine(), nullptr);
    EXPECT_TRUE(vpr::machine::MachineExpected());
    EXPECT_NE(vpr::machine::CurrentMachineError().find("expected key=value"), std::string::npos);

    ASSERT_TRUE(vpr::machine::UseMachine("", &error));
    EXPECT_EQ(vpr::machine::CurrentMachine(), nullptr);
    EXPECT_FALSE(vpr::machine::MachineExpected());
    EXPECT_EQ(vpr::machine::CurrentMachineError(), "");
}

TEST_F(MachineTest, SetChangesFactsAndRefusesBadOnes) {
    std::string root = Create();
    Machine m;
    std::string error;
    ASSERT_TRUE(LoadMachine(root, &m, &error)) << error;
    struct Case {
        const char* key;
        const char* value;
    };
    const Case good[] = {{"platform", "nt4"}, {"codepage", "932"},   {"safemode", "1"},
                         {"screen.icon", "48"}, {"drive.D", "d"},     {"unc.\\\\srv\\apps", "/srv"},
                         {"tree.ACME.store", "acme.db"}, {"tree.ACME.authenticated", "1"},
                         {"computer", "BOX"}};
    for (const auto& c : good) EXPECT_TRUE(vpr::machine::SetMachineFact(&m, c.key, c.value, &error)) << c.key << error;
    const Case bad[] = {{"platform", "me"}, {"codepage", "850"}, {"drive.ZZ", "/x"}, {"colour", "red"},
                        {"screen.depth", "8"}};
    for (const auto& c : bad) EXPECT_FALSE(vpr::machine::SetMachineFact(&m, c.key, c.value, &error)) << c.key;
    ASSERT_TRUE(m.Save(&error)) << error;

    Machine back;
    ASSERT_TRUE(LoadMachine(root, &back, &error)) << error;
    EXPECT_EQ(back.platform, Platform::NT4);
    EXPECT_EQ(back.buildNumber, 1381);  // a platform change brings its version
    EXPECT_EQ(back.codePage, 932u);
    EXPECT_TRUE(back.safeMode);
    EXPECT_EQ(back.screen.icon, 48);
    EXPECT_EQ(back.DriveFolder('d'), root + "/d");
    EXPECT_EQ(back.uncShares.at("\\\\SRV\\APPS"), "/srv");
    EXPECT_EQ(back.computerName, "BOX");
    ASSERT_EQ(back.trees.size(), 1u);
    EXPECT_EQ(back.trees[0].storeFile, root + "/acme.db");
    EXPECT_TRUE(back.trees[0].authenticated);

    ASSERT_TRUE(vpr::machine::SetMachineFact(&back, "drive.d", "", &error));
    EXPECT_EQ(back.DriveFolder('D'), "");
}

TEST_F(MachineTest, JournalKeepsLinesWholeAcrossProcesses) {
    std::string root = Create();
    Machine m;
    std::string error;
    ASSERT_TRUE(LoadMachine(root, &m, &error)) << error;
    ASSERT_TRUE(m.Record("note", "tab\there, line\nend, back\\slash", &error)) << error;
    constexpr int kChildren = 4, kLines = 50;
    for (int c = 0; c < kChildren; ++c) {
        pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            for (int i = 0; i < kLines; ++i)
                if (!m.Record("child" + std::to_string(c), std::string(300, static_cast<char>('a' + c)))) ::_exit(1);
            ::_exit(0);
        }
    }
    for (int c = 0; c < kChildren; ++c) {
        int status = 0;
        ::wait(&status);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    auto entries = m.ReadJournal();
    ASSERT_EQ(entries.size(), 1u + kChildren * kLines);
    EXPECT_EQ(entries[0], (Machine::JournalEntry{"note", "tab\there, line\nend, back\\slash"}));
    for (size_t i = 1; i < entries.size(); ++i) {
        ASSERT_EQ(entries[i].kind.rfind("child", 0), 0u);
        char letter = static_cast<char>('a' + (entries[i].kind[5] - '0'));
        EXPECT_EQ(entries[i].text, std::string(300, letter));
    }
}

// The command line, run as a user would.
class MachineCommandTest : public MachineTest {
protected:
    int Run(const std::string& args, std::string* out = nullptr) {
        std::string command = vpr::testing::BuildBinFolder() + "/vprmachine " + args + " >" +
                              (dir_ / "out.txt").string() + " 2>&1";
        int status = std::system(command.c_str());
        if (out) *out = ReadAll(dir_ / "out.txt");
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
};

TEST_F(MachineCommandTest, CreateShowSet) {
    std::string root = (dir_ / "cmd").string();
    std::string out;
    ASSERT_EQ(Run("create " + root + " --platform nt4 --user dave --computer PC1 --codepage 1252", &out), 0) << out;
    ASSERT_EQ(Run("set --machine " + root + " safemode 1", &out), 0) << out;
    ASSERT_EQ(Run("show --machine " + root, &out), 0) << out;
    for (const char* line : {"platform=nt4\n", "version=4.0.1381\n", "user=dave\n", "computer=PC1\n",
                             "codepage=1252\n", "safemode=1\n", "system=C:\\WINDOWS\\SYSTEM32\n", "drive.Z=/\n"})
        EXPECT_NE(out.find(line), std::string::npos) << line << " in\n" << out;
    EXPECT_NE(out.find("drive.C=" + root + "/c\n"), std::string::npos) << out;
    ::setenv("VPR_MACHINE", root.c_str(), 1);
    EXPECT_EQ(Run("show", &out), 0) << out;
    ::unsetenv("VPR_MACHINE");
    EXPECT_NE(out.find("user=dave\n"), std::string::npos) << out;
}

TEST_F(MachineCommandTest, ErrorsExitNonZeroWithAMessage) {
    std::string root = (dir_ / "cmd").string();
    ASSERT_EQ(Run("create " + root), 0);
    struct Case {
        std::string args;
        int code;
        const char* message;
    };
    const Case cases[] = {
        {"", 2, "no command"},
        {"frobnicate", 2, "unknown command frobnicate"},
        {"create", 2, "create needs a folder"},
        {"create " + root + "2 --platform 98", 2, "--platform takes 95 or nt4"},
        {"create " + root, 1, "holds a machine already"},
        {"show", 2, "no machine"},
        {"show --machine " + (dir_ / "none").string(), 1, "cannot read"},
        {"set --machine " + root + " codepage 850", 1, "code page must be"},
        {"set --machine " + root + " user", 2, "set takes KEY VALUE"},
        {"reboot --machine " + root + " now", 2, "reboot takes no argument now"},
        {"reg --machine " + root + " export " + (dir_ / "none" / "x.reg").string(), 1,
         "x.reg: No such file or directory"},
    };
    ::unsetenv("VPR_MACHINE");
    for (const auto& c : cases) {
        std::string out;
        EXPECT_EQ(Run(c.args, &out), c.code) << c.args << "\n" << out;
        EXPECT_NE(out.find(c.message), std::string::npos) << c.args << "\n" << out;
    }
    // What is printed must arrive: a full disk behind the output is an error.
    std::string command = vpr::testing::BuildBinFolder() + "/vprmachine show --machine " + root + " >/dev/full 2>" +
                          (dir_ / "err.txt").string();
    int status = std::system(command.c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1);
    EXPECT_NE(ReadAll(dir_ / "err.txt").find("cannot write the standard output: No space left on device"),
              std::string::npos);
}

// A log-on starts the "load" and "run" programs of win.ini, each a command
// line of a comma-separated list; --wait reports how each ended.
TEST_F(MachineCommandTest, LogonStartsTheLoadAndRunPrograms) {
    std::string root = (dir_ / "cmd").string();
    ASSERT_EQ(Run("create " + root), 0);
    fs::create_directories(root + "/c/TOOLS");
    std::string mark = root + "/c/TOOLS/mark.sh";
    std::ofstream(mark) << "#!/bin/sh\necho \"$VPR_MACHINE\" > \"$(dirname \"$0\")/$1.done\"\nexit $2\n";
    fs::permissions(mark, fs::perms::owner_all);
    std::string out;
    ASSERT_EQ(Run("ini --machine " + root + " win.ini windows load ' C:\\TOOLS\\mark.sh one 0 ,,C:\\TOOLS\\MARK.SH two 0'",
                  &out), 0) << out;
    ASSERT_EQ(Run("ini --machine " + root + " win.ini windows run 'C:\\TOOLS\\mark.sh three 3,C:\\NONE\\missing.exe'",
                  &out), 0) << out;
    ::unsetenv("VPR_MACHINE");
    EXPECT_EQ(Run("logon --machine " + root + " --wait", &out), 1) << out;
    for (const char* line : {"started: C:\\TOOLS\\mark.sh one 0\n", "started: C:\\TOOLS\\MARK.SH two 0\n",
                             "ended: C:\\TOOLS\\mark.sh three 3 (exit code 3)\n",
                             "ended: C:\\TOOLS\\mark.sh one 0 (exit code 0)\n",
                             "cannot start C:\\NONE\\missing.exe"})
        EXPECT_NE(out.find(line), std::string::npos) << line << " in\n" << out;
    // Each ran on the machine.
    for (const char* name : {"one", "two", "three"})
        EXPECT_EQ(ReadAll(root + "/c/TOOLS/" + name + ".done"), root + "\n") << name;

    // Nothing to start is no failure.
    ASSERT_EQ(Run("ini --machine " + root + " win.ini windows load ''", &out), 0) << out;
    ASSERT_EQ(Run("ini --machine " + root + " win.ini windows run ''", &out), 0) << out;
    EXPECT_EQ(Run("logon --machine " + root, &out), 0) << out;
    EXPECT_EQ(Run("logon --machine " + root + " now", &out), 2) << out;
}

// What an install script does: a file put in a machine's folder, a folder
// made, an ini value set among other lines; a second run changes nothing.
TEST_F(MachineCommandTest, CopyMkdirAndIniInstallOnceAndKeepTheRest) {
    std::string root = (dir_ / "cmd").string();
    ASSERT_EQ(Run("create " + root), 0);
    std::ofstream(dir_ / "MODULE.DLL") << "module bytes";
    std::ofstream(root + "/c/WINDOWS/kmadmin.ini") << "[Other]\r\nkeep=this\r\n";
    std::string out;
    for (int run = 0; run < 2; ++run) {
        ASSERT_EQ(Run("copy --machine " + root + " " + (dir_ / "MODULE.DLL").string() + " 'C:\\PUBLIC\\WIN32\\MODULE.DLL'",
                      &out),
                  0)
            << out;
        ASSERT_EQ(Run("mkdir --machine " + root + " 'C:\\PUBLIC\\VPRLIB\\QMTFILES'", &out), 0) << out;
        ASSERT_EQ(Run("ini --machine " + root + " kmadmin.ini \"Snapin Modules\" MODULE 'C:\\PUBLIC\\WIN32\\MODULE.DLL'",
                      &out),
                  0)
            << out;
        if (run == 0) {
            // The second run must leave both files exactly as they are.
            fs::last_write_time(root + "/c/PUBLIC/WIN32/MODULE.DLL", fs::file_time_type{});
            fs::last_write_time(root + "/c/WINDOWS/kmadmin.ini", fs::file_time_type{});
        }
    }
    EXPECT_EQ(ReadAll(root + "/c/PUBLIC/WIN32/MODULE.DLL"), "module bytes");
    EXPECT_TRUE(fs::is_directory(root + "/c/PUBLIC/VPRLIB/QMTFILES"));
    EXPECT_EQ(ReadAll(root + "/c/WINDOWS/kmadmin.ini"),
              "[Other]\r\nkeep=this\r\n[Snapin Modules]\r\nMODULE=C:\\PUBLIC\\WIN32\\MODULE.DLL\r\n");
    EXPECT_EQ(fs::last_write_time(root + "/c/PUBLIC/WIN32/MODULE.DLL"), fs::file_time_type{});
    EXPECT_EQ(fs::last_write_time(root + "/c/WINDOWS/kmadmin.ini"), fs::file_time_type{});
    EXPECT_NE(Run("copy --machine " + root + " " + (dir_ / "missing").string() + " 'C:\\X'", &out), 0);
    EXPECT_NE(out.find("cannot read"), std::string::npos) << out;
}

TEST_F(MachineCommandTest, RegExportAndImport) {
    std::string root = (dir_ / "cmd").string();
    std::string out;
    ASSERT_EQ(Run("create " + root + " --user erin"), 0);
    std::string file = (dir_ / "user.reg").string();
    ASSERT_EQ(Run("reg --machine " + root + " export 'HKEY_CURRENT_USER\\Software' " + file, &out), 0) << out;
    std::string text = ReadAll(file);
    EXPECT_EQ(text.rfind("REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software]\r\n", 0), 0u) << text;
    EXPECT_NE(text.find("\"Desktop\"=\"C:\\\\WINDOWS\\\\Desktop\"\r\n"), std::string::npos) << text;

    std::ofstream(dir_ / "add.reg", std::ios::binary) << "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Added]\r\n\"n\"=dword:00000005\r\n";
    ASSERT_EQ(Run("reg --machine " + root + " import " + (dir_ / "add.reg").string(), &out), 0) << out;
    ASSERT_EQ(Run("reg --machine " + root + " export " + file, &out), 0) << out;
    EXPECT_NE(ReadAll(file).find("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Added]\r\n\"n\"=dword:00000005\r\n"), std::string::npos);

    std::ofstream(dir_ / "bad.reg", std::ios::binary) << "REGEDIT4\r\n\"n\"=dword:1\r\n";
    EXPECT_EQ(Run("reg --machine " + root + " import " + (dir_ / "bad.reg").string(), &out), 1);
    EXPECT_NE(out.find("line 2: a value outside a key"), std::string::npos) << out;

    // A damaged registry file is reported and left as it is.
    fs::remove(root + "/registry.db-wal");
    fs::remove(root + "/registry.db-shm");
    std::ofstream(root + "/registry.db", std::ios::binary) << std::string(5000, 'x');
    EXPECT_EQ(Run("reg --machine " + root + " export " + file, &out), 1);
    EXPECT_NE(out.find("registry.db is damaged"), std::string::npos) << out;
    EXPECT_EQ(ReadAll(fs::path(root) / "registry.db"), std::string(5000, 'x'));
}

// Pending file operations as each platform keeps them, carried out by a restart.
TEST_F(MachineCommandTest, RebootCarriesOutPendingFileOperations) {
    std::string out;
    // NT: the registry list, here as another program would have left it.
    std::string nt = (dir_ / "nt").string();
    ASSERT_EQ(Run("create " + nt + " --platform nt4"), 0);
    fs::create_directories(nt + "/c/D");
    std::ofstream(nt + "/c/D/A.TMP") << "new";
    std::ofstream(nt + "/c/D/A.DLL") << "old";
    std::string list = "\\??\\C:\\D\\A.TMP\0!\\??\\C:\\D\\A.DLL\0\\??\\C:\\D\\MISSING\0\0\0"s;
    std::string hex;
    for (unsigned char c : list) {
        char byte[4];
        std::snprintf(byte, sizeof byte, "%02x", c);
        hex += (hex.empty() ? "" : ",") + std::string(byte);
    }
    std::ofstream(dir_ / "pending.reg", std::ios::binary)
        << "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Session Manager]\r\n"
        << "\"PendingFileRenameOperations\"=hex(7):" << hex << "\r\n";
    ASSERT_EQ(Run("reg --machine " + nt + " import " + (dir_ / "pending.reg").string(), &out), 0) << out;

    EXPECT_EQ(Run("reboot --machine " + nt, &out), 1) << out;  // one operation failed
    for (const char* line : {"move C:\\D\\A.TMP -> C:\\D\\A.DLL (replacing)\n",
                             "vprmachine: delete C:\\D\\MISSING: failed, the file does not exist\n",
                             "restarted: 2 pending file operations, 1 failed\n", "the journal keeps them"})
        EXPECT_NE(out.find(line), std::string::npos) << line << " in\n" << out;
    EXPECT_EQ(ReadAll(nt + "/c/D/A.DLL"), "new");
    EXPECT_FALSE(fs::exists(nt + "/c/D/A.TMP"));
    std::string journal = ReadAll(nt + "/journal.txt");
    EXPECT_NE(journal.find("restart-file\tdelete C:\\\\D\\\\MISSING: failed, the file does not exist\n"),
              std::string::npos) << journal;
    EXPECT_NE(journal.find("restart\t2 pending file operations, 1 failed\n"), std::string::npos) << journal;
    // The list was used up.
    EXPECT_EQ(Run("reboot --machine " + nt, &out), 0) << out;
    EXPECT_NE(out.find("restarted: 0 pending file operations, 0 failed\n"), std::string::npos) << out;

    // 95: WININIT.INI, which ends up as WININIT.BAK.
    std::string w95 = (dir_ / "95").string();
    ASSERT_EQ(Run("create " + w95), 0);
    fs::create_directories(w95 + "/c/D");
    std::ofstream(w95 + "/c/D/OLD.DLL") << "old";
    std::ofstream(w95 + "/c/D/OLD.TMP") << "new";
    std::string wininit = "[rename]\r\nNUL=C:\\D\\OLD.DLL\r\nC:\\D\\OLD.DLL=C:\\D\\OLD.TMP\r\n";
    std::ofstream(w95 + "/c/WINDOWS/WININIT.INI", std::ios::binary) << wininit;
    EXPECT_EQ(Run("reboot --machine " + w95, &out), 0) << out;
    EXPECT_NE(out.find("delete C:\\D\\OLD.DLL\nmove C:\\D\\OLD.TMP -> C:\\D\\OLD.DLL (replacing)\n"),
              std::string::npos) << out;
    EXPECT_EQ(ReadAll(w95 + "/c/D/OLD.DLL"), "new");
    EXPECT_FALSE(fs::exists(w95 + "/c/WINDOWS/WININIT.INI"));
    EXPECT_EQ(ReadAll(w95 + "/c/WINDOWS/WININIT.BAK"), wininit);
}

}  // namespace
