// vprmachine: creates an emulated workstation, shows its facts and changes them.
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "vpr/machine/atomic_file.h"
#include "vpr/machine/machine.h"
#include "vpr/win/error.h"
#include "vpr/win/file.h"
#include "vpr/win/path.h"
#include "vpr/win/process.h"
#include "vpr/win/profile.h"
#include "vpr/win/registry.h"
#include "vpr/win/restart.h"

namespace {

using vpr::machine::Machine;

constexpr const char* kUsage =
    "usage: vprmachine COMMAND [ARGUMENTS]\n"
    "\n"
    "  create DIR [--platform 95|nt4] [--user NAME] [--computer NAME]\n"
    "             [--drive X=HOSTDIR ...] [--codepage 65001|1252|932] [--mapi]\n"
    "      makes a new machine in DIR (absent or empty)\n"
    "  show [--machine DIR]\n"
    "      prints the facts of the machine ($VPR_MACHINE unless --machine)\n"
    "  set [--machine DIR] KEY VALUE\n"
    "      changes one fact; KEY is one of platform, version, servicepack,\n"
    "      codepage, computer, user, safemode, windows, screen.width,\n"
    "      screen.height, screen.icon, screen.smallicon, screen.menucheck,\n"
    "      drive.X (empty VALUE removes it), unc.\\\\SERVER\\SHARE,\n"
    "      tree.NAME.store, tree.NAME.user, tree.NAME.authenticated\n"
    "  reg [--machine DIR] export [KEY] FILE\n"
    "      writes KEY (e.g. HKEY_CURRENT_USER\\Software; default: the whole\n"
    "      registry) as REGEDIT4 text to FILE; a FILE that cannot be written\n"
    "      whole is left as it was\n"
    "  reg [--machine DIR] import FILE\n"
    "      applies the REGEDIT4 text in FILE; a text with an error changes nothing\n"
    "  copy [--machine DIR] HOSTFILE WINDOWSPATH\n"
    "      puts a copy of a host file at a Windows path of the machine, making\n"
    "      its folders; a file that already holds the same bytes is left alone\n"
    "  mkdir [--machine DIR] WINDOWSPATH\n"
    "      makes a folder of the machine and the folders above it\n"
    "  ini [--machine DIR] FILE SECTION KEY VALUE\n"
    "      sets one value of an ini file of the machine (a bare name is a file\n"
    "      of the Windows folder), keeping every other line\n"
    "  reboot [--machine DIR]\n"
    "      restarts the machine: carries out the file operations left for the next\n"
    "      start (NT: PendingFileRenameOperations; 95: WININIT.INI [rename]) in\n"
    "      order and records the restart in the journal; an operation that fails\n"
    "      is reported and dropped, the others still run (exit status 1)\n";

int Fail(const std::string& message) {
    std::cerr << "vprmachine: " << message << "\n";
    return 1;
}

int UsageError(const std::string& message) {
    std::cerr << "vprmachine: " << message << "\n\n" << kUsage;
    return 2;
}

// Takes "--machine DIR" out of the arguments; otherwise $VPR_MACHINE.
bool MachineRoot(std::vector<std::string>* args, std::string* root, std::string* error) {
    for (size_t i = 0; i < args->size(); ++i) {
        if ((*args)[i] != "--machine") continue;
        if (i + 1 == args->size()) {
            *error = "--machine needs a folder";
            return false;
        }
        *root = (*args)[i + 1];
        args->erase(args->begin() + static_cast<long>(i), args->begin() + static_cast<long>(i) + 2);
        return true;
    }
    const char* env = std::getenv("VPR_MACHINE");
    if (env == nullptr || *env == '\0') {
        *error = "no machine: set VPR_MACHINE or give --machine DIR";
        return false;
    }
    *root = env;
    return true;
}

int Create(std::vector<std::string> args) {
    vpr::machine::CreateOptions options;
    std::string dir;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&](std::string* out) {
            if (i + 1 == args.size()) return false;
            *out = args[++i];
            return true;
        };
        std::string v;
        if (arg == "--platform") {
            if (!value(&v) || !vpr::machine::ParsePlatform(v, &options.platform))
                return UsageError("--platform takes 95 or nt4");
        } else if (arg == "--user") {
            if (!value(&options.userName)) return UsageError("--user needs a name");
        } else if (arg == "--computer") {
            if (!value(&options.computerName)) return UsageError("--computer needs a name");
        } else if (arg == "--codepage") {
            char* end = nullptr;
            if (!value(&v)) return UsageError("--codepage needs a number");
            unsigned long cp = std::strtoul(v.c_str(), &end, 10);
            if (*end != '\0' || v.empty()) return UsageError("--codepage needs a number");
            options.codePage = static_cast<unsigned>(cp);
        } else if (arg == "--drive") {
            if (!value(&v) || v.size() < 3 || v[1] != '=')
                return UsageError("--drive takes LETTER=HOSTDIR, e.g. D=/srv/data");
            options.drives[v[0]] = v.substr(2);
        } else if (arg == "--mapi") {
            options.mapi = true;
        } else if (!arg.empty() && arg[0] == '-') {
            return UsageError("unknown option " + arg);
        } else if (dir.empty()) {
            dir = arg;
        } else {
            return UsageError("create takes one folder");
        }
    }
    if (dir.empty()) return UsageError("create needs a folder");
    std::string error;
    if (!vpr::machine::CreateMachine(dir, options, &error)) return Fail(error);
    return 0;
}

int Show(std::vector<std::string> args) {
    std::string root, error;
    if (!MachineRoot(&args, &root, &error)) return UsageError(error);
    if (!args.empty()) return UsageError("show takes no argument " + args[0]);
    Machine m;
    if (!vpr::machine::LoadMachine(root, &m, &error)) return Fail(error);
    std::cout << "root=" << m.root << "\n"
              << "platform=" << vpr::machine::PlatformName(m.platform) << "\n"
              << "version=" << m.majorVersion << "." << m.minorVersion << "." << m.buildNumber << "\n"
              << "servicepack=" << m.servicePack << "\n"
              << "codepage=" << m.codePage << "\n"
              << "computer=" << m.computerName << "\n"
              << "user=" << m.userName << "\n"
              << "safemode=" << (m.safeMode ? 1 : 0) << "\n"
              << "windows=" << m.windowsDirectory << "\n"
              << "system=" << m.SystemDirectory() << "\n"
              << "screen.width=" << m.screen.width << "\n"
              << "screen.height=" << m.screen.height << "\n"
              << "screen.icon=" << m.screen.icon << "\n"
              << "screen.smallicon=" << m.screen.smallIcon << "\n"
              << "screen.menucheck=" << m.screen.menuCheck << "\n";
    for (const auto& [letter, folder] : m.drives) std::cout << "drive." << letter << "=" << folder << "\n";
    std::cout << "drive.Z=/\n";
    for (const auto& [share, folder] : m.uncShares) std::cout << "unc." << share << "=" << folder << "\n";
    for (const auto& t : m.trees) {
        std::cout << "tree." << t.name << ".store=" << t.storeFile << "\n"
                  << "tree." << t.name << ".user=" << t.user << "\n"
                  << "tree." << t.name << ".authenticated=" << (t.authenticated ? 1 : 0) << "\n";
    }
    std::cout << "registry=" << m.RegistryFile() << "\n"
              << "journal=" << m.JournalFile() << "\n";
    return 0;
}

int Set(std::vector<std::string> args) {
    std::string root, error;
    if (!MachineRoot(&args, &root, &error)) return UsageError(error);
    if (args.size() != 2) return UsageError("set takes KEY VALUE");
    Machine m;
    if (!vpr::machine::LoadMachine(root, &m, &error)) return Fail(error);
    if (!vpr::machine::SetMachineFact(&m, args[0], args[1], &error)) return Fail(error);
    if (!m.Save(&error)) return Fail(error);
    return 0;
}

// The registry of the machine as REGEDIT4 text.
int Reg(std::vector<std::string> args) {
    std::string root, error;
    if (!MachineRoot(&args, &root, &error)) return UsageError(error);
    if (!vpr::machine::UseMachine(root, &error)) return Fail(error);
    if (args.size() >= 2 && args.size() <= 3 && args[0] == "export") {
        std::string key = args.size() == 3 ? args[1] : "";
        if (vpr::win::ExportRegistryFile(key.c_str(), args.back(), &error) != ERROR_SUCCESS) return Fail(error);
        return 0;
    }
    if (args.size() == 2 && args[0] == "import") {
        std::ifstream in(args[1], std::ios::binary);
        if (!in) return Fail("cannot read " + args[1]);
        std::string text((std::istreambuf_iterator<char>(in)), {});
        if (in.bad()) return Fail("cannot read " + args[1]);
        if (vpr::win::ImportRegistryText(text, &error) != ERROR_SUCCESS) return Fail(args[1] + ": " + error);
        return 0;
    }
    return UsageError("reg takes export [KEY] FILE or import FILE");
}

// A simulated restart; prints one line per pending file operation.
int Reboot(std::vector<std::string> args) {
    std::string root, error;
    if (!MachineRoot(&args, &root, &error)) return UsageError(error);
    if (!args.empty()) return UsageError("reboot takes no argument " + args[0]);
    if (!vpr::machine::UseMachine(root, &error)) return Fail(error);
    std::vector<vpr::win::RestartStep> steps;
    bool restarted = vpr::win::RestartMachine(&steps, &error);
    size_t failed = 0;
    for (const auto& step : steps) {
        bool ok = step.error == ERROR_SUCCESS;
        (ok ? std::cout : std::cerr) << (ok ? "" : "vprmachine: ") << vpr::win::DescribeRestartStep(step) << "\n";
        if (!ok) ++failed;
    }
    if (!restarted) return Fail(error);
    std::cout << "restarted: " << steps.size() << " pending file operations, " << failed << " failed\n";
    if (failed == 0) return 0;
    std::cerr << "vprmachine: failed operations are dropped, as Windows drops them at start; "
                 "the journal keeps them\n";
    return 1;
}

// The folder part of a Windows path, "" when it has none.
std::string WindowsFolder(const std::string& path) {
    size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? "" : path.substr(0, slash);
}

// Makes a Windows folder and the folders above it.
bool MakeFolders(const std::string& path) {
    if (path.empty() || (path.size() <= 3 && path.size() >= 2 && path[1] == ':')) return true;
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    return MakeFolders(WindowsFolder(path)) && CreateDirectoryA(path.c_str(), nullptr);
}

bool ReadHostFile(const std::string& path, std::string* bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes->assign(std::istreambuf_iterator<char>(in), {});
    return !in.bad();
}

int Copy(std::vector<std::string> args) {
    std::string root, error;
    if (!MachineRoot(&args, &root, &error)) return UsageError(error);
    if (args.size() != 2) return UsageError("copy takes HOSTFILE WINDOWSPATH");
    if (!vpr::machine::UseMachine(root, &error)) return Fail(error);
    const std::string& target = args[1];
    std::string wanted, present, host;
    if (!ReadHostFile(args[0], &wanted)) return Fail("cannot read " + args[0]);
    if (vpr::win::ResolveHostPath(target.c_str(), &host) && ReadHostFile(host, &present) && present == wanted) return 0;
    if (!MakeFolders(WindowsFolder(target))) return Fail("cannot make the folder of " + target);
    if (!vpr::win::ResolveHostPath(target.c_str(), &host)) return Fail("no such place on the machine: " + target);
    // A copy beside the target replaces it in one step: never a cut file.
    std::string temporary = host + ".new";
    std::error_code failure;
    std::filesystem::copy_file(args[0], temporary, std::filesystem::copy_options::overwrite_existing, failure);
    if (!failure) std::filesystem::rename(temporary, host, failure);
    if (failure) {
        std::filesystem::remove(temporary);
        return Fail("cannot copy " + args[0] + " to " + target + ": " + failure.message());
    }
    return 0;
}

int MakeFolder(std::vector<std::string> args) {
    std::string root, error;
    if (!MachineRoot(&args, &root, &error)) return UsageError(error);
    if (args.size() != 1) return UsageError("mkdir takes WINDOWSPATH");
    if (!vpr::machine::UseMachine(root, &error)) return Fail(error);
    if (!MakeFolders(args[0])) return Fail("cannot make " + args[0]);
    return 0;
}

int Ini(std::vector<std::string> args) {
    std::string root, error;
    if (!MachineRoot(&args, &root, &error)) return UsageError(error);
    if (args.size() != 4) return UsageError("ini takes FILE SECTION KEY VALUE");
    if (!vpr::machine::UseMachine(root, &error)) return Fail(error);
    const std::string &file = args[0], &section = args[1], &key = args[2], &value = args[3];
    std::vector<char> present(value.size() + 2);
    DWORD length = GetPrivateProfileStringA(section.c_str(), key.c_str(), "\x01", present.data(),
                                            static_cast<DWORD>(present.size()), file.c_str());
    if (length == value.size() && value == present.data()) return 0;  // nothing to change
    if (!WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), file.c_str()))
        return Fail("cannot write " + file + " (error " + std::to_string(GetLastError()) + ")");
    return 0;
}

// A win.ini [windows] value of any length.
std::string WindowsValue(const char* key) {
    std::vector<char> buffer(256);
    for (;;) {
        DWORD length = GetProfileStringA("windows", key, "", buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length + 1 < buffer.size()) return std::string(buffer.data(), length);
        buffer.resize(buffer.size() * 2);
    }
}

// The command lines of a comma-separated list, without their surrounding blanks.
std::vector<std::string> CommandLines(const std::string& list) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start <= list.size()) {
        size_t comma = list.find(',', start);
        if (comma == std::string::npos) comma = list.size();
        std::string line = list.substr(start, comma - start);
        size_t first = line.find_first_not_of(" \t");
        if (first != std::string::npos) lines.push_back(line.substr(first, line.find_last_not_of(" \t") - first + 1));
        start = comma + 1;
    }
    return lines;
}

// What Windows starts when a user logs on: the "load" programs (minimised)
// and the "run" programs of win.ini [windows].
int Logon(std::vector<std::string> args) {
    std::string root, error;
    if (!MachineRoot(&args, &root, &error)) return UsageError(error);
    bool wait = false;
    for (const auto& arg : args) {
        if (arg != "--wait") return UsageError("logon takes --wait, not " + arg);
        wait = true;
    }
    if (!vpr::machine::UseMachine(root, &error)) return Fail(error);
    // The programs run on this machine too.
    ::setenv("VPR_MACHINE", root.c_str(), 1);
    struct Started {
        std::string line;
        HANDLE process;
    };
    std::vector<Started> started;
    int status = 0;
    for (const char* key : {"load", "run"}) {
        for (std::string line : CommandLines(WindowsValue(key))) {
            STARTUPINFOA startup = {};
            startup.cb = sizeof startup;
            startup.dwFlags = STARTF_USESHOWWINDOW;
            constexpr WORD kShowMinimizedInactive = 7;  // SW_SHOWMINNOACTIVE of the window system
            startup.wShowWindow = std::string(key) == "load" ? kShowMinimizedInactive : SW_SHOWNORMAL;
            PROCESS_INFORMATION info = {};
            if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
                std::cerr << "vprmachine: cannot start " << line << " (error " << GetLastError() << ")\n";
                status = 1;
                continue;
            }
            CloseHandle(info.hThread);
            std::cout << "started: " << line << "\n";
            started.push_back({line, info.hProcess});
        }
    }
    std::cout.flush();
    for (const Started& program : started) {
        if (wait) {
            WaitForSingleObject(program.process, INFINITE);
            DWORD code = 0;
            GetExitCodeProcess(program.process, &code);
            std::cout << "ended: " << program.line << " (exit code " << code << ")\n";
            if (code != 0) status = 1;
        }
        CloseHandle(program.process);
    }
    return status;
}

struct Command {
    const char* name;
    int (*run)(std::vector<std::string> args);
};

constexpr Command kCommands[] = {
    {"create", Create},
    {"show", Show},
    {"set", Set},
    {"reg", Reg},
    {"copy", Copy},
    {"mkdir", MakeFolder},
    {"ini", Ini},
    {"reboot", Reboot},
    {"logon", Logon},
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return UsageError("no command");
    std::string name = argv[1];
    if (name == "--help" || name == "-h" || name == "help") {
        std::cout << kUsage;
        return 0;
    }
    std::vector<std::string> args(argv + 2, argv + argc);
    for (const Command& command : kCommands) {
        if (name != command.name) continue;
        int status = command.run(std::move(args));
        // What was printed must have reached the standard output whole.
        std::string error;
        std::cout.flush();
        if (!vpr::machine::CloseStandardOutput(&error)) return Fail(error);
        return status;
    }
    return UsageError("unknown command " + name);
}
