// The loader as a whole: its switches, refusals, the summary, installing over
// what the target holds, a file in use and the restart that replaces it.
#include "loader_fixture.h"

#include <set>

#include "uninstall.h"
#include "vpr/shellhost/shell_host.h"
#include "vpr/win/restart.h"

namespace loader_test {
namespace {

using vpr::machine::Platform;

constexpr char kTarget95[] = "C:\\VELTRIX";

struct Box {
    std::string textStart;
    int button;
};

struct Case {
    const char* name;
    Platform platform;
    const char* commandLine;
    // Sets the machine up beyond the files beside the loader.
    std::function<void(LoaderFixture&)> prepare;
    int result;
    std::string summary;
    std::vector<Box> boxes;  // message boxes in order, with the button pressed
    bool registered;         // the desktop name-space entry exists afterwards
    int clockSteps;          // 500 ms retries of the shell; -1: not looked at
    bool extensionRunning = false;  // another process holds the extension's shutdown event
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

void SetFact(LoaderFixture& f, const std::string& key, const std::string& value) {
    vpr::machine::Machine m = *f.Machine().machine();
    std::string error;
    ASSERT_TRUE(vpr::machine::SetMachineFact(&m, key, value, &error)) << error;
    ASSERT_TRUE(m.Save(&error)) << error;
    ASSERT_TRUE(vpr::machine::ReloadMachine(&error)) << error;
}

void RemoveBesideLoader(LoaderFixture& f, const std::string& name) {
    fs::remove(f.Host(std::string(kLoaderDir) + "\\" + name));
}

// The target already holds the files at the versions beside the loader.
void SameVersionsInTarget(LoaderFixture& f) {
    WriteFixture(f.Host(std::string(kTarget95) + "\\KMApp32.dll"), {1, 0, 0, 0});
    WriteFixture(f.Host(std::string(kTarget95) + "\\VprExp32.dll"), {1, 0, 0, 0});
    WriteFixture(f.Host(std::string(kTarget95) + "\\NLS\\English\\VprExpRs.dll"), {97, 9, 30, 0});
}

std::string Lines(std::initializer_list<std::string> lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

const std::string kFailed = "The VPR Explorer failed to load.";
const std::string kUpdated = "Your computer has been updated";

class LoaderTable : public ::testing::TestWithParam<Case> {};

TEST_P(LoaderTable, RunsAsItsSwitchesAndFilesSay) {
    const Case& c = GetParam();
    LoaderFixture f(c.platform);
    f.PutFilesBesideLoader();
    if (c.prepare) c.prepare(f);
    HANDLE running = c.extensionRunning ? CreateEventA(nullptr, TRUE, FALSE, kShutdownEventName) : nullptr;
    vpr::user::UiDriver driver;
    for (const Box& box : c.boxes)
        driver.OnMessageBox(box.textStart, [button = box.button](const vpr::user::ModalElement& e) {
            EXPECT_EQ(e.caption, "Vpr Explorer");
            vpr::user::ui::Click(e.window, button);
        });

    LoaderFixture::Run run = f.RunLoader(c.commandLine);

    EXPECT_EQ(run.result, c.result);
    EXPECT_EQ(StatusSummary(), c.summary);
    EXPECT_EQ(driver.Failures(), std::vector<std::string>{});
    EXPECT_EQ(driver.PendingHandlers(), 0u);
    EXPECT_EQ(KeyExists(HKEY_LOCAL_MACHINE, kNameSpaceEntry), c.registered);
    if (c.clockSteps >= 0) {
        EXPECT_EQ(run.clockSteps, c.clockSteps);
    }
    if (running) CloseHandle(running);
}

const Case kCases[] = {
    {"Installs", Platform::Win95, "", nullptr, 1,
     Lines({"KMApp32.dll was copied.", "VprExp32.dll was copied.", "VprExpRs.dll was copied."}), {}, true, 3600},
    {"SameVersionsAreCurrent", Platform::Win95, "/s", SameVersionsInTarget, 1,
     Lines({"KMApp32.dll is current.", "VprExp32.dll is current.", "VprExpRs.dll is current."}), {}, true, 3600},
    {"MissingLauncherLibrary", Platform::Win95, "",
     [](LoaderFixture& f) { RemoveBesideLoader(f, "KMApp32.dll"); }, 1,
     Lines({"KMApp32.dll must be present.", kFailed}), {{"KMApp32.dll must be present.", IDOK}}, false, 0},
    {"SilentHidesTheSummary", Platform::Win95, "/S",
     [](LoaderFixture& f) { RemoveBesideLoader(f, "KMApp32.dll"); }, 1,
     Lines({"KMApp32.dll must be present.", kFailed}), {}, false, 0},
    {"MissingExtension", Platform::NT4, "",
     [](LoaderFixture& f) { RemoveBesideLoader(f, "VprExp32.dll"); }, 1,
     Lines({"VprExp32.dll must be present.", kFailed}), {{"VprExp32.dll must be present.", IDOK}}, false, 0},
    {"WrongResourceLibrary", Platform::Win95, "",
     [](LoaderFixture& f) { WriteFixture(f.Host("C:\\SETUP\\NLS\\English\\VprExpRs.dll"), {97, 9, 30, 1}); }, 1,
     Lines({"C:\\SETUP\\NLS\\English\\VprExpRs.dll is not the correct version.  Please replace with version "
            "97,09,30,0.",
            kFailed}),
     {{"C:\\SETUP\\NLS\\English\\VprExpRs.dll is not", IDOK}}, false, 0},
    {"NoTargetPathOn95", Platform::Win95, "",
     [](LoaderFixture&) {
         ASSERT_EQ(RegSetValueA(HKEY_LOCAL_MACHINE, kTargetPathKey, REG_SZ, "", 0), ERROR_SUCCESS);
     },
     1, Lines({std::string(kTargetPathFullName) + " must be present.", kFailed}),
     {{"HKEY_LOCAL_MACHINE\\Network", IDOK}}, false, 0},
    {"Nt5IsNotSupported", Platform::NT4, "", [](LoaderFixture& f) { SetFact(f, "version", "5.0.2195"); }, 0, "", {},
     false, 0},
    {"SafeMode", Platform::Win95, "", [](LoaderFixture& f) { SetFact(f, "safemode", "1"); }, -1, "", {}, false, 0},
    {"SafeModeStillUninstalls", Platform::Win95, "/u",
     [](LoaderFixture& f) {
         SetFact(f, "safemode", "1");
         RegisterShellExtension(kTarget95);
     },
     1, "", {}, false, 0},
    {"UninstallIgnoresRetryForever", Platform::NT4, "/u /n",
     [](LoaderFixture&) { RegisterShellExtension("C:\\WINDOWS\\SYSTEM32"); }, 1, "", {}, false, 0},
    {"CopiedWhileTheExtensionRunsAsksForRestart", Platform::NT4, "/s", nullptr, 1,
     Lines({"KMApp32.dll was copied.", "VprExp32.dll was copied.", "VprExpRs.dll was copied."}),
     {{kUpdated, IDNO}}, true, 0, true},
};

INSTANTIATE_TEST_SUITE_P(Cases, LoaderTable, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(LoaderTest, RegistersTheExtensionForTheShell) {
    LoaderFixture f(Platform::Win95);
    f.PutFilesBesideLoader();
    ASSERT_EQ(f.RunLoader("").result, 1);
    auto value = [](HKEY root, const std::string& key, const char* name) {
        HKEY handle = nullptr;
        std::string data;
        if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) return data;
        char buffer[MAX_PATH] = {};
        DWORD size = sizeof buffer, type = 0;
        if (RegQueryValueExA(handle, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) == ERROR_SUCCESS)
            data.assign(buffer, size);
        RegCloseKey(handle);
        return data;
    };
    const std::string clsid = kClassKey;
    EXPECT_EQ(value(HKEY_CLASSES_ROOT, clsid, nullptr), std::string("VPR Explorer\0", 13));
    EXPECT_EQ(value(HKEY_CLASSES_ROOT, clsid + "\\DefaultIcon", nullptr),
              std::string("C:\\VELTRIX\\VprExp32.dll, 0\0", 27));
    EXPECT_EQ(value(HKEY_CLASSES_ROOT, clsid + "\\InProcServer32", nullptr),
              std::string("C:\\VELTRIX\\VprExp32.dll\0", 24));
    EXPECT_EQ(value(HKEY_CLASSES_ROOT, clsid + "\\InProcServer32", "ThreadingModel"), std::string("Apartment\0", 10));
    EXPECT_EQ(value(HKEY_CLASSES_ROOT, clsid + "\\ShellFolder", "Attributes"), std::string("\x40\x01\x00\xA0", 4));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, clsid + "\\shellex\\PropertySheetHandlers\\" + kExtensionClsidText));
    EXPECT_EQ(value(HKEY_LOCAL_MACHINE, kNameSpaceEntry, nullptr), std::string("VPR Explorer\0", 13));
    // The files went into the client's directory, the language library
    // into its own folder below it.
    EXPECT_EQ(ReadHost(f.Host("C:\\VELTRIX\\VprExp32.dll")), ReadHost(f.Host("C:\\SETUP\\VprExp32.dll")));
    EXPECT_EQ(ReadHost(f.Host("C:\\VELTRIX\\NLS\\English\\VprExpRs.dll")),
              ReadHost(f.Host("C:\\SETUP\\NLS\\English\\VprExpRs.dll")));
}

// The language library may lie under the parent of the loader's folder
// (the loader in C:\SETUP, the library in C:\NLS\English): it goes to the
// same sub path of the target, as one found beside the loader does.
TEST(LoaderTest, TakesTheLanguageLibraryFromTheParentFolder) {
    LoaderFixture f(Platform::Win95);
    f.PutFilesBesideLoader();
    fs::create_directories(f.Host("C:\\NLS\\English"));
    fs::rename(f.Host("C:\\SETUP\\NLS\\English\\VprExpRs.dll"), f.Host("C:\\NLS\\English") + "/VprExpRs.dll");
    ASSERT_EQ(f.RunLoader("").result, 1);
    EXPECT_EQ(StatusSummary(),
              Lines({"KMApp32.dll was copied.", "VprExp32.dll was copied.", "VprExpRs.dll was copied."}));
    EXPECT_EQ(ReadHost(f.Host("C:\\VELTRIX\\NLS\\English\\VprExpRs.dll")),
              ReadHost(f.Host("C:\\NLS\\English\\VprExpRs.dll")));
}

// While no shell answers, the shell is asked again every 500 ms for half an
// hour; with "/n" then every second for as long as it takes. A shell that
// starts meanwhile answers the next request (here with an error, as the
// fixture serves no class), which ends the waiting.
TEST(LoaderTest, RetryForeverAsksEverySecondAfterHalfAnHour) {
    LoaderFixture f(Platform::NT4);
    f.PutFilesBesideLoader();
    std::unique_ptr<vpr::shellhost::ShellHost> shell;
    LoaderFixture::Run run = f.RunLoader("/n /s", 500, [&](int steps) {
        // 3600 waits of 500 ms, then five of 1000 ms: the sixth has begun.
        if (steps == 3600 + 5 * 2) {
            shell = std::make_unique<vpr::shellhost::ShellHost>();
            std::string error;
            EXPECT_TRUE(shell->Start(&error)) << error;
        }
        return true;
    });
    EXPECT_EQ(run.result, 1);
    EXPECT_EQ(run.clockSteps, 3600 + 6 * 2);
}

// A destination file in use (loaded here) is replaced at the next start of
// Windows: on 95 through two lines that go inside WININIT.INI's [rename]
// section, on NT through MoveFileExA; the simulated restart puts the new
// file in place. "/s" does not hide the restart question.
class BusyFileTest : public ::testing::TestWithParam<Platform> {};

TEST_P(BusyFileTest, IsReplacedAtTheRestart) {
    const bool nt = GetParam() == Platform::NT4;
    LoaderFixture f(GetParam());
    f.PutFilesBesideLoader({2, 0, 0, 0});
    const std::string target = nt ? "C:\\WINDOWS\\SYSTEM32" : kTarget95;
    const std::string busy = target + "\\VprExp32.dll";
    WriteFixture(f.Host(busy), {1, 0, 0, 0});
    const std::string before = "[rename]\r\nC:\\WINDOWS\\OLD.DLL=C:\\WINDOWS\\OLD.TMP\r\n\r\n[Other]\r\nKeep=1\r\n";
    if (!nt) std::ofstream(f.Host("C:\\WINDOWS\\WININIT.INI"), std::ios::binary) << before;
    HMODULE loaded = LoadLibraryA(busy.c_str());
    ASSERT_NE(loaded, nullptr);

    vpr::user::UiDriver driver;
    driver.OnMessageBox(kUpdated, [](const vpr::user::ModalElement& e) { vpr::user::ui::Click(e.window, IDYES); });
    LoaderFixture::Run run = f.RunLoader("/s");
    FreeLibrary(loaded);
    EXPECT_EQ(run.result, 1);
    EXPECT_EQ(driver.PendingHandlers(), 0u);
    EXPECT_EQ(driver.Failures(), std::vector<std::string>{});
    EXPECT_EQ(run.clockSteps, 0);  // the shell is not asked before the restart
    EXPECT_EQ(StatusSummary(), Lines({"KMApp32.dll was copied.", "VprExp32.dll scheduled to be copied",
                                      "VprExpRs.dll was copied."}));
    auto journal = f.Machine().machine()->ReadJournal();
    EXPECT_NE(std::find(journal.begin(), journal.end(),
                        vpr::machine::Machine::JournalEntry{"exit-windows", "reboot"}),
              journal.end());

    // The copy waits under a temporary name beside the file in use.
    std::string temporary;
    for (const auto& entry : fs::directory_iterator(f.Host(target)))
        if (entry.path().extension() == ".TMP" || entry.path().extension() == ".tmp")
            temporary = entry.path().filename().string();
    ASSERT_FALSE(temporary.empty());
    EXPECT_EQ(ReadHost(f.Host(target + "\\" + temporary)), ReadHost(f.Host("C:\\SETUP\\VprExp32.dll")));
    if (!nt) {
        EXPECT_EQ(ReadHost(f.Host("C:\\WINDOWS\\WININIT.INI")),
                  "[rename]\r\nC:\\WINDOWS\\OLD.DLL=C:\\WINDOWS\\OLD.TMP\r\nNUL=" + busy + "\r\n" + busy + "=" +
                      target + "\\" + temporary + "\r\n\r\n[Other]\r\nKeep=1\r\n");
    }

    std::vector<vpr::win::RestartStep> steps;
    std::string error;
    ASSERT_TRUE(vpr::win::RestartMachine(&steps, &error)) << error;
    EXPECT_EQ(ReadHost(f.Host(busy)), ReadHost(f.Host("C:\\SETUP\\VprExp32.dll")));
    EXPECT_FALSE(fs::exists(f.Host(target + "\\" + temporary)));
}

INSTANTIATE_TEST_SUITE_P(Platforms, BusyFileTest, ::testing::Values(Platform::Win95, Platform::NT4));

// When the copy of a file in use cannot be scheduled (WININIT.INI cannot be
// written), no restart is asked for, the temporary copy goes and the summary
// tells it, unless "/s".
TEST(LoaderTest, AFileThatCannotBeScheduledLeavesNothingAndIsReported) {
    for (const char* commandLine : {"", "/s"}) {
        SCOPED_TRACE(commandLine);
        LoaderFixture f(Platform::Win95);
        f.PutFilesBesideLoader({2, 0, 0, 0});
        const std::string busy = std::string(kTarget95) + "\\VprExp32.dll";
        WriteFixture(f.Host(busy), {1, 0, 0, 0});
        fs::create_directories(f.Host("C:\\WINDOWS\\WININIT.INI"));
        HMODULE loaded = LoadLibraryA(busy.c_str());
        ASSERT_NE(loaded, nullptr);
        vpr::user::UiDriver driver;
        const std::string summary = Lines({"KMApp32.dll was copied.", "Unable to copy VprExp32.dll",
                                           "VprExpRs.dll was copied."});
        if (*commandLine == '\0')
            driver.OnMessageBox("KMApp32.dll was copied.", [](const vpr::user::ModalElement& e) {
                EXPECT_NE(e.text.find("Unable to copy VprExp32.dll"), std::string::npos) << e.text;
                vpr::user::ui::Click(e.window, IDOK);
            });
        LoaderFixture::Run run = f.RunLoader(commandLine);
        FreeLibrary(loaded);
        EXPECT_EQ(StatusSummary(), summary);
        EXPECT_EQ(driver.PendingHandlers(), 0u);
        EXPECT_EQ(driver.Failures(), std::vector<std::string>{});
        EXPECT_EQ(run.clockSteps, 3600);  // no restart: the shell is asked to load it
        std::set<std::string> files;
        for (const auto& entry : fs::directory_iterator(f.Host(kTarget95)))
            if (entry.is_regular_file() && entry.path().filename().string()[0] != '.')
                files.insert(entry.path().filename().string());
        // KMApp32.dll and the old VprExp32.dll, no temporary copy
        EXPECT_EQ(files, (std::set<std::string>{"KMApp32.dll", "VprExp32.dll"}));
    }
}

}  // namespace
}  // namespace loader_test
