// vprlaunch: a person's launcher on the machine named by VPR_MACHINE. It
// binds KMAPP32.DLL where the shell extension finds it (the client's Target
// Path on Windows 95, the system folder on NT) and calls it as the shell
// does: log in, list what was granted, run, verify, monitor.
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "kmapp32.h"
#include "vpr/locale/locale.h"
#include "vpr/machine/machine.h"
#include "windows.h"

namespace {

const char kUsage[] =
    "usage: vprlaunch COMMAND [ARGUMENTS]\n"
    "  install                    puts the built KMAPP32.DLL where the shell looks for it\n"
    "  login USER [TREE]          logs USER in to TREE (the first attached tree)\n"
    "  logout [TREE]              logs the user out\n"
    "  config                     the user's launcher configuration\n"
    "  folders                    folders, personal folders and applications granted\n"
    "  run APP [TEXT] [--replace ask|yes|no|all]\n"
    "                             distributes and starts an application (TEXT: its\n"
    "                             parameters); --replace answers \"replace this file?\"\n"
    "  verify APP [TEXT]          distributes it again, then starts it\n"
    "  monitor                    notices programs that ended and releases their drives\n"
    "  log                        the launcher's log\n"
    "Exit code: 0 done, 1 the command failed, 2 bad usage.\n";

int Fail(const std::string& message) {
    std::fprintf(stderr, "vprlaunch: %s\n", message.c_str());
    return 1;
}

// ---- where the library lives ------------------------------------------

std::string LibraryPath() {
    auto machine = vpr::machine::CurrentMachine();
    if (!machine) return "";
    if (machine->platform == vpr::machine::Platform::NT4) return machine->SystemDirectory() + "\\KmApp32.dll";
    char folder[MAX_PATH] = {};
    LONG size = sizeof folder;
    if (RegQueryValueA(HKEY_LOCAL_MACHINE, "Network\\Veltrix\\System Config\\Install\\Target Path", folder, &size) !=
            ERROR_SUCCESS ||
        !folder[0])
        return "";
    return std::string(folder) + "\\KmApp32.dll";
}

// ---- the binding --------------------------------------------------------

// The entry points vprlaunch calls: member, exported name.
#define VPR_LAUNCH_ENTRIES(X)                                      \
    X(AllocContextHandle, KMAPPAllocContextHandle)                 \
    X(FreeContextHandle, KMAPPFreeContextHandle)                   \
    X(GetFoldersEx, KMAPPGetFoldersEx)                             \
    X(FreeGetFoldersEx, KMAPPFreeGetFoldersEx)                     \
    X(ProcessApplication, KMAPPProcessApplication)                 \
    X(MonitorApplications, KMAPPMonitorApplications)               \
    X(GetPersonalFolders, KMAPPGetPersonalFolders)                 \
    X(ReadLauncherConfig, KMAPPReadLauncherConfig)                 \
    X(CheckSchedule, KMAPPCheckSchedule)                           \
    X(RecordLaunch, KMAPPRecordLaunch)                             \
    X(MarkNotInstalled, KMAPPMarkNotInstalled)

struct Library {
    HMODULE module = nullptr;
#define VPR_MEMBER(member, name) decltype(&name) member = nullptr;
    VPR_LAUNCH_ENTRIES(VPR_MEMBER)
#undef VPR_MEMBER

    bool Bind(std::string* error) {
        std::string path = LibraryPath();
        module = path.empty() ? nullptr : LoadLibraryA(path.c_str());
        if (!module) {
            *error = "the launcher library is not installed" + (path.empty() ? "" : " at " + path) +
                     " (run vprlaunch install)";
            return false;
        }
#define VPR_BIND(member, name)                                                     \
    member = reinterpret_cast<decltype(member)>(GetProcAddress(module, #name));    \
    if (!member) {                                                                 \
        *error = path + " lacks " #name;                                           \
        return false;                                                              \
    }
        VPR_LAUNCH_ENTRIES(VPR_BIND)
#undef VPR_BIND
        return true;
    }
};

Library g_library;

// A context on `tree` (empty: the machine's first tree), or an error.
DIR_CONTEXT OpenContext(const std::string& tree, std::string* error) {
    DIR_CONTEXT context = g_library.AllocContextHandle();
    if (context > 0 && !tree.empty() && DirSetContextInfo(context, DIR_KEY_TREE_NAME, tree.c_str()) != DIR_SUCCESS) {
        g_library.FreeContextHandle(context);
        context = DIR_ERR_NO_CONTEXT;
    }
    char user[DIR_MAX_NAME];
    if (context > 0 && DirGetCurrentUserName(context, user) != DIR_SUCCESS) {
        g_library.FreeContextHandle(context);
        context = DIR_ERR_NO_CONTEXT;
    }
    if (context <= 0) *error = "nobody is logged in" + (tree.empty() ? "" : " to " + tree) + " (vprlaunch login USER)";
    return context;
}

// The user's launcher configuration, read as the shell reads it: the user's
// record, or its container's when it says to inherit or cannot be read.
LONG ReadConfig(DIR_CONTEXT context, BYTE* record) {
    char user[DIR_MAX_NAME] = {}, abbreviated[DIR_MAX_NAME] = {};
    LONG result = DirGetCurrentUserName(context, user);
    if (result == DIR_SUCCESS) {
        DirAbbreviateName(context, user, abbreviated);
        const char* dot = std::strchr(abbreviated, '.');
        std::string container = dot ? dot : "";
        result = g_library.ReadLauncherConfig(context, user, record);
        bool inherit = result == 0 && (KmappConfigGet(record, KMAPP_CONFIG_OFFSET_FLAGS) & KMAPP_CONFIG_USE_INHERITED);
        if ((result != 0 || inherit) && !container.empty())
            result = g_library.ReadLauncherConfig(context, container.c_str(), record);
    }
    if (result != 0) {
        KmappConfigSet(record, KMAPP_CONFIG_OFFSET_LEVELS, KMAPP_CONFIG_DEFAULT_LEVELS);
        KmappConfigSet(record, KMAPP_CONFIG_OFFSET_INTERVAL, KMAPP_CONFIG_DEFAULT_INTERVAL);
    }
    return result;
}

DWORD Levels(DIR_CONTEXT context) {
    BYTE record[KMAPP_CONFIG_SIZE] = {};
    ReadConfig(context, record);
    return KmappConfigGet(record, KMAPP_CONFIG_OFFSET_LEVELS);
}

std::string Hex(DWORD value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%lX", static_cast<unsigned long>(value));
    return text;
}

// ---- launch statuses and results -------------------------------------------

enum class Replace { Ask, Yes, No, All };
Replace g_replace = Replace::Ask;

DWORD OnStatus(DWORD status, void* record) {
    switch (status) {
        case KMAPP_STATUS_REPLACE_FILE: {
            auto* r = static_cast<KmappReplaceStatus*>(record);
            std::printf("  replace %s (%lu bytes, %04u-%02u-%02u %02u:%02u:%02u) with the source (%lu bytes, "
                        "%04u-%02u-%02u %02u:%02u:%02u)?",
                        r->path, static_cast<unsigned long>(r->targetSize), r->targetYear, r->targetMonth,
                        r->targetDay, r->targetHour, r->targetMinute, r->targetSecond,
                        static_cast<unsigned long>(r->sourceSize), r->sourceYear, r->sourceMonth, r->sourceDay,
                        r->sourceHour, r->sourceMinute, r->sourceSecond);
            if (g_replace == Replace::Ask && isatty(STDIN_FILENO)) {
                std::printf(" [y]es, yes to [a]ll, [n]o: ");
                std::fflush(stdout);
                char answer[16] = {};
                if (std::fgets(answer, sizeof answer, stdin) && (answer[0] == 'n' || answer[0] == 'N')) return 256;
                if (answer[0] == 'a' || answer[0] == 'A') g_replace = Replace::All;
                return KMAPP_ANSWER_REPLACE;
            }
            bool skip = g_replace == Replace::No;
            std::printf(" %s\n", skip ? "no" : "yes");
            return skip ? KMAPP_ANSWER_SKIP : KMAPP_ANSWER_REPLACE;
        }
        case KMAPP_STATUS_FILE_COPIED:
        case KMAPP_STATUS_REGISTRY:
        case KMAPP_STATUS_INI: {
            auto* item = static_cast<KmappItemStatus*>(record);
            const char* verb = status == KMAPP_STATUS_FILE_COPIED ? "file" : status == KMAPP_STATUS_REGISTRY ? "registry" : "ini";
            std::printf("  %s %lu/%lu %s\n", verb, static_cast<unsigned long>(item->position),
                        static_cast<unsigned long>(item->total), item->text);
            return 0;
        }
        case KMAPP_STATUS_DIR_MADE:
        case KMAPP_STATUS_DIR_REMOVED:
        case KMAPP_STATUS_FILE_DELETED: {
            auto* path = static_cast<KmappPathStatus*>(record);
            const char* verb = status == KMAPP_STATUS_DIR_MADE      ? "directory made"
                               : status == KMAPP_STATUS_DIR_REMOVED ? "directory removed"
                                                                    : "file deleted";
            std::printf("  %s %lu/%lu %s\n", verb, static_cast<unsigned long>(path->position),
                        static_cast<unsigned long>(path->total), path->path);
            return 0;
        }
        default:
            std::printf("  status %s\n", Hex(status).c_str());
            return 0;
    }
}

// What a result means, with the buffer's name and the detail.
std::string Meaning(DWORD result, DWORD detail, const std::string& name) {
    switch (result & 0xFFFF) {
        case 0: return "launched";
        case 0xD000: return "the application was not granted to you, or cannot be read [" + name + "]";
        case 0xD001: return "invalid drive path [" + name + "]";
        case 0xD002: return "invalid queue path [" + name + "]";
        case 0xD003: return "unable to connect to server [" + name + "]";
        case 0xD004:
            return detail == 85 ? "drive requested is already in use, unable to map drive [" + name + "]"
                                : "unable to map drive [" + name + "]";
        case 0xD006: return "invalid capture parameter [" + name + "]";
        case 0xD009: return "could not launch the program (using " + name + ")";
        case 0xD00A: return "script processing library (" + name + ") could not be found";
        case 0xD013: return "invalid registry settings [" + name + "]";
        case 0xD014: return "invalid INI settings [" + name + "]";
        case 0xD016: return "unable to process registry setting [" + name + "]";
        case 0xD017: return "unable to process INI setting [" + name + "]";
        case 0xD018: return "unable to copy file [" + name + "]";
        case 0xD019: return "unable to delete file [" + name + "]";
        case 0xD01A: return "unable to process text file setting [" + name + "]";
        case 0xD01B: return "distributed; restart Windows to complete it (vprmachine reboot), then run it again";
        case 0xD01C: return "unable to process Group/Shortcut setting [" + name + "]";
        default: return "unknown launch status";
    }
}

// The record of an application among the user's folders (null when none).
KmappApplication* FindRecord(KmappFolder* folders, const std::string& application) {
    for (KmappFolder* folder = folders; folder; folder = folder->next)
        for (KmappApplication* app = folder->applications; app; app = app->next)
            if (KMLstricmp(app->name, application.c_str()) == 0 ||
                (application.front() == '.' && KMLstricmp(app->name, application.c_str() + 1) == 0))
                return app;
    return nullptr;
}

// ---- commands -------------------------------------------------------------

int Install() {
    std::string path = LibraryPath();
    if (path.empty()) return Fail("the machine says nowhere where the launcher library goes");
    std::string built = std::filesystem::read_symlink("/proc/self/exe").parent_path().string() + "/KMAPP32.DLL";
    if (!CopyFileA(built.c_str(), path.c_str(), FALSE))
        return Fail("cannot copy " + built + " to " + path + " (error " + std::to_string(GetLastError()) + ")");
    std::printf("installed %s\n", path.c_str());
    return 0;
}

std::string FirstTree() {
    auto machine = vpr::machine::CurrentMachine();
    return machine && !machine->trees.empty() ? machine->trees.front().name : "";
}

int Login(const std::string& user, std::string tree) {
    if (tree.empty()) tree = FirstTree();
    if (tree.empty()) return Fail("the machine is attached to no directory tree");
    auto current = vpr::machine::CurrentMachine();
    vpr::machine::Machine machine = *current;
    std::string error;
    if (!vpr::machine::SetMachineFact(&machine, "tree." + tree + ".user", user, &error) ||
        !vpr::machine::SetMachineFact(&machine, "tree." + tree + ".authenticated", "1", &error) ||
        !machine.Save(&error) || !vpr::machine::ReloadMachine(&error))
        return Fail(error);
    DIR_CONTEXT context = OpenContext(tree, &error);
    DirObjectInfo info;
    char complete[DIR_MAX_NAME] = {};
    bool known = context > 0 && DirReadObjectInfo(context, user.c_str(), complete, &info) == DIR_SUCCESS &&
                 std::strcmp(info.baseClass, "User") == 0;
    if (context > 0) g_library.FreeContextHandle(context);
    if (!known) {
        machine = *current;
        machine.Save(&error);
        vpr::machine::ReloadMachine(&error);
        return Fail("no user " + user + " in " + tree);
    }
    std::printf("logged in to %s as %s\n", tree.c_str(), complete);
    return 0;
}

int Logout(std::string tree) {
    if (tree.empty()) tree = FirstTree();
    vpr::machine::Machine machine = *vpr::machine::CurrentMachine();
    std::string error;
    if (!vpr::machine::SetMachineFact(&machine, "tree." + tree + ".user", "", &error) ||
        !vpr::machine::SetMachineFact(&machine, "tree." + tree + ".authenticated", "0", &error) ||
        !machine.Save(&error) || !vpr::machine::ReloadMachine(&error))
        return Fail(error);
    std::printf("logged out of %s\n", tree.c_str());
    return 0;
}

int Config() {
    std::string error;
    DIR_CONTEXT context = OpenContext("", &error);
    if (context <= 0) return Fail(error);
    BYTE record[KMAPP_CONFIG_SIZE] = {};
    LONG result = ReadConfig(context, record);
    g_library.FreeContextHandle(context);
    if (result != 0) std::printf("no launcher configuration (%ld): the defaults\n", static_cast<long>(result));
    std::printf("flags %s\nrefresh interval %lu s\ninherit levels %lu\nmail attribute %s\n",
                Hex(KmappConfigGet(record, KMAPP_CONFIG_OFFSET_FLAGS)).c_str(),
                static_cast<unsigned long>(KmappConfigGet(record, KMAPP_CONFIG_OFFSET_INTERVAL)),
                static_cast<unsigned long>(KmappConfigGet(record, KMAPP_CONFIG_OFFSET_LEVELS)),
                record[KMAPP_CONFIG_OFFSET_MAIL_ATTRIBUTE] ? reinterpret_cast<char*>(record + 32) : "Mailbox ID");
    return 0;
}

void PrintApplications(KmappApplication* app) {
    for (; app; app = app->next) {
        g_library.CheckSchedule(app);
        std::printf("    %s  flags %s  active %s\n", app->name, Hex(app->flags).c_str(), Hex(app->state).c_str());
    }
}

int Folders() {
    auto machine = vpr::machine::CurrentMachine();
    KmappFolder* personal = nullptr;
    bool any = false;
    for (const auto& tree : machine->trees) {
        std::string error;
        DIR_CONTEXT context = OpenContext(tree.name, &error);
        if (context <= 0) continue;
        any = true;
        std::printf("tree %s (%s)\n", tree.name.c_str(), tree.user.c_str());
        KmappFolder* folders = g_library.GetFoldersEx(context, nullptr, Levels(context), KMAPP_ASSOC_ALL, 15);
        for (KmappFolder* folder = folders; folder; folder = folder->next) {
            std::printf("  folder %s  flags %s\n", folder->name, Hex(folder->flags).c_str());
            PrintApplications(folder->applications);
        }
        if (!folders) std::printf("  no applications\n");
        g_library.FreeGetFoldersEx(folders);
        g_library.GetPersonalFolders(context, tree.name.c_str(), KMAPP_ASSOC_ALL, &personal);
        g_library.FreeContextHandle(context);
    }
    if (!any) return Fail("nobody is logged in (vprlaunch login USER)");
    for (KmappFolder* folder = personal; folder; folder = folder->next) {
        std::printf("personal folder %s\n", folder->name);
        PrintApplications(folder->applications);
    }
    g_library.FreeGetFoldersEx(personal);
    return 0;
}

int Run(const std::string& application, const std::string& text, bool verify) {
    std::string error;
    DIR_CONTEXT context = OpenContext("", &error);
    if (context <= 0) return Fail(error);
    KmappFolder* folders = g_library.GetFoldersEx(context, nullptr, Levels(context), ~DWORD{0}, 15);
    KmappApplication* record = FindRecord(folders, application);
    if (verify && record) g_library.MarkNotInstalled(FirstTree().c_str(), record->context);
    if (record) g_library.RecordLaunch(record, 1);
    std::vector<char> buffer(1255, '\0');
    text.copy(buffer.data(), 1254);
    DWORD detail = 0;
    std::printf("%s %s\n", verify ? "verifying" : "running", application.c_str());
    DWORD result = g_library.ProcessApplication(context, application.c_str(), &detail, buffer.data(), 1254,
                                                     &OnStatus);
    if (record && (result & 0xFFFF) != 0 && (result & 0xFFFF) != 1152) g_library.RecordLaunch(record, 0);
    g_library.FreeGetFoldersEx(folders);
    g_library.FreeContextHandle(context);
    std::string meaning = Meaning(result, detail, buffer.data());
    std::string why = result != 0 && detail != 0 ? " (error " + std::to_string(detail) + ")" : "";
    std::printf("result %s: %s%s\n", Hex(result).c_str(), meaning.c_str(), why.c_str());
    return result == 0 ? 0 : 1;
}

std::string LogPath() {
    auto machine = vpr::machine::CurrentMachine();
    return machine ? machine->HostPathAsWritten(machine->windowsDirectory + "\\" + KMAPP_LOG_FILE) : "";
}

int Monitor() {
    std::string path = LogPath();
    std::ifstream before(path, std::ios::ate);
    std::streamoff seen = before ? static_cast<std::streamoff>(before.tellg()) : 0;
    g_library.MonitorApplications();
    std::ifstream after(path);
    after.seekg(seen);
    std::string line;
    bool any = false;
    while (std::getline(after, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::printf("%s\n", line.c_str());
        any = true;
    }
    if (!any) std::printf("no program ended\n");
    return 0;
}

int Log() {
    std::ifstream in(LogPath());
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::printf("%s\n", line.c_str());
    }
    return 0;
}

int Usage() {
    std::fputs(kUsage, stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) return Usage();
    if (args[0] == "--help" || args[0] == "-h") {
        std::fputs(kUsage, stdout);
        return 0;
    }
    const std::string command = args[0];
    std::vector<std::string> rest(args.begin() + 1, args.end());
    if (!vpr::machine::CurrentMachine())
        return Fail("no machine: set VPR_MACHINE (" + vpr::machine::CurrentMachineError() + ")");
    if (command == "install") return rest.empty() ? Install() : Usage();

    bool known = command == "login" || command == "logout" || command == "config" || command == "folders" ||
                 command == "run" || command == "verify" || command == "monitor" || command == "log";
    if (!known) return Usage();
    // Options of run and verify.
    if (command == "run" || command == "verify") {
        std::vector<std::string> positional;
        for (size_t i = 0; i < rest.size(); ++i) {
            if (rest[i] == "--replace") {
                if (i + 1 >= rest.size()) return Usage();
                const std::string& how = rest[++i];
                if (how == "ask") g_replace = Replace::Ask;
                else if (how == "yes") g_replace = Replace::Yes;
                else if (how == "no") g_replace = Replace::No;
                else if (how == "all") g_replace = Replace::All;
                else return Usage();
            } else {
                positional.push_back(rest[i]);
            }
        }
        if (positional.empty() || positional.size() > 2) return Usage();
        rest = positional;
    } else if ((command == "login" && (rest.empty() || rest.size() > 2)) ||
               (command == "logout" && rest.size() > 1) ||
               ((command == "config" || command == "folders" || command == "monitor" || command == "log") &&
                !rest.empty())) {
        return Usage();
    }
    if (command == "log") return Log();
    std::string error;
    if (!g_library.Bind(&error)) return Fail(error);
    if (command == "login") return Login(rest[0], rest.size() > 1 ? rest[1] : "");
    if (command == "logout") return Logout(rest.empty() ? "" : rest[0]);
    if (command == "config") return Config();
    if (command == "folders") return Folders();
    if (command == "monitor") return Monitor();
    return Run(rest[0], rest.size() > 1 ? rest[1] : "", command == "verify");
}
