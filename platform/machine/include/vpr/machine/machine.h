// The emulated workstation ("machine") a process runs on: a folder on the host
// named by VPR_MACHINE, whose machine.ini holds the facts the Windows layer
// answers with (platform, versions, code page, names, drives, screen). This
// library knows no Windows API; the kernel layer (vprwin) builds on it.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace vpr::machine {

enum class Platform { Win95, NT4 };

// An attached directory tree, kept as data for the directory client.
struct TreeAttachment {
    std::string name;       // tree name as the client shows it
    std::string storeFile;  // host path of the tree's store
    std::string user;       // logged-in user's distinguished name, empty if none
    bool authenticated = false;
};

struct ScreenMetrics {
    int width = 800;
    int height = 600;
    int icon = 32;       // SM_CXICON / SM_CYICON
    int smallIcon = 16;  // SM_CXSMICON / SM_CYSMICON
    int menuCheck = 13;  // SM_CXMENUCHECK / SM_CYMENUCHECK
};

class Machine {
public:
    // Host folder of the machine (absolute, no trailing slash).
    std::string root;

    Platform platform = Platform::Win95;
    int majorVersion = 4;
    int minorVersion = 0;
    int buildNumber = 950;
    std::string servicePack;  // e.g. "Service Pack 3"; empty on 95
    unsigned codePage = 65001;
    std::string computerName = "WORKSTATION";
    std::string userName = "USER";
    bool safeMode = false;
    // Windows path of the Windows folder; the system folder lies beneath it.
    std::string windowsDirectory = "C:\\WINDOWS";
    ScreenMetrics screen;

    // Drive letter (upper case) to absolute host folder. Z: is always the
    // host's "/", whatever machine.ini says.
    std::map<char, std::string> drives;
    // UNC share "\\SERVER\SHARE" (upper case) to absolute host folder.
    std::map<std::string, std::string> uncShares;
    std::vector<TreeAttachment> trees;

    // "C:\WINDOWS\SYSTEM" on 95, "C:\WINDOWS\SYSTEM32" on NT.
    std::string SystemDirectory() const;
    // Per-user shell folders: under the Windows folder on 95, under
    // Profiles\<user> on NT.
    std::string ProfileDirectory() const;
    std::string DesktopDirectory() const;
    std::string StartMenuDirectory() const;
    std::string ProgramsDirectory() const;
    std::string TempDirectory() const;

    // Host files kept at the root.
    std::string IniFile() const;       // <root>/machine.ini
    std::string RegistryFile() const;  // <root>/registry.db
    std::string JournalFile() const;   // <root>/journal.txt

    // Host folder of a drive letter (either case); empty when not mapped.
    std::string DriveFolder(char letter) const;
    // Host path of a full Windows path "X:\..." through the drive table,
    // names taken as written (no case matching, no "." or ".."): for making
    // new machines and test files. Empty when the drive is not mapped. The
    // Windows layer resolves names properly (vpr::win::ResolveHostPath).
    std::string HostPathAsWritten(const std::string& windowsPath) const;

    // Appends one entry to the machine's journal: requests the layer does not
    // carry out on the host (reboot, shutdown), program starts and the like.
    // Safe for several processes at once. Returns false and fills *error on
    // failure.
    bool Record(const std::string& kind, const std::string& text,
                std::string* error = nullptr) const;
    struct JournalEntry {
        std::string kind;
        std::string text;
        bool operator==(const JournalEntry&) const = default;
    };
    // Every journal entry in the order it was recorded.
    std::vector<JournalEntry> ReadJournal() const;

    // Writes machine.ini from these facts.
    bool Save(std::string* error) const;
};

// Reads the machine at `root`. A missing or damaged machine.ini gives false
// and a message naming the file and line.
bool LoadMachine(const std::string& root, Machine* machine, std::string* error);

// The machine of this process: loaded from $VPR_MACHINE on first use. Null
// when VPR_MACHINE is unset or names a machine that does not load; then
// CurrentMachineError() says why (empty when simply unset).
std::shared_ptr<const Machine> CurrentMachine();
std::string CurrentMachineError();
// True when the process is meant to run on a machine (VPR_MACHINE set or a
// machine made current), whether or not it loaded.
bool MachineExpected();

// Makes the machine at `root` current for this process (tests; the
// environment is left alone). Empty root: no machine.
bool UseMachine(const std::string& root, std::string* error);
// Re-reads machine.ini of the current machine (after its facts changed).
bool ReloadMachine(std::string* error);
// Rises every time the current machine changes, so that layers keeping state
// per machine (current directory, open stores) know to start again.
unsigned long MachineGeneration();

// Records in the current machine's journal; false when there is no machine.
bool Record(const std::string& kind, const std::string& text);

struct CreateOptions {
    Platform platform = Platform::Win95;
    std::string userName = "USER";
    std::string computerName = "WORKSTATION";
    unsigned codePage = 65001;
    bool mapi = false;  // win.ini [MAIL] MAPI=1
    // Further drives: letter to host folder (absolute or relative to the root).
    std::map<char, std::string> drives;
};

// Makes a believable machine in `dir` (created when missing; it must not hold
// a machine already): drive C: under dir/c with the Windows and system
// folders, win.ini, the desktop and Start Menu folders, then machine.ini and
// whatever the registered seeders add.
bool CreateMachine(const std::string& dir, const CreateOptions& options, std::string* error);

// A step run at the end of CreateMachine for each new machine (the registry
// layer fills the registry's seed this way). Seeders registered twice run once.
using MachineSeeder = bool (*)(const Machine& machine, std::string* error);
void AddMachineSeeder(MachineSeeder seeder);

// Changes one fact of `machine` as `vprmachine set` does (the caller saves).
// Keys: platform, version, servicepack, codepage, computer, user, safemode,
// windows, screen.width|height|icon|smallicon|menucheck, drive.X (an empty
// value removes the drive), unc.\\SERVER\SHARE, tree.NAME.store|user|authenticated.
bool SetMachineFact(Machine* machine, const std::string& key, const std::string& value,
                    std::string* error);

// Parsing helpers shared by the command line and machine.ini.
bool ParsePlatform(const std::string& text, Platform* platform);
const char* PlatformName(Platform platform);  // "95" or "nt4"
bool IsSupportedCodePage(unsigned codePage);

}  // namespace vpr::machine
