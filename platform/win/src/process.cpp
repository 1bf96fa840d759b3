// Program starts: CreateProcessA, WinExec, ShellExecuteA. A program of the
// machine is a host executable or script under a Windows path; it is started
// for real (posix_spawn) and every start is recorded in the machine's journal.
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <thread>

#include "exit_state.h"
#include "vpr/machine/machine.h"
#include "vpr/win/error.h"
#include "vpr/win/path.h"
#include "vpr/win/process.h"

extern char** environ;

namespace vpr::win {
namespace {

class ProcessObject : public ExitState {
public:
    explicit ProcessObject(pid_t pid) : pid(pid) {}
    const pid_t pid;
};

// Exit code of a host wait status; a program killed by signal N ends with
// 128 + N, as a shell reports it.
DWORD ExitCodeOf(int status) {
    if (WIFEXITED(status)) return static_cast<DWORD>(WEXITSTATUS(status));
    if (WIFSIGNALED(status)) return 128u + static_cast<DWORD>(WTERMSIG(status));
    return 0;
}

bool IsExecutableFile(const std::string& hostPath) {
    struct stat st;
    return ::stat(hostPath.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
           ::access(hostPath.c_str(), X_OK) == 0;
}

bool HasExtension(const std::string& windowsName) {
    size_t dot = windowsName.rfind('.');
    size_t separator = windowsName.find_last_of("\\/:");
    return dot != std::string::npos && (separator == std::string::npos || dot > separator);
}

// Host path of a program named by a Windows name. A name without extension
// is tried with ".EXE" first, as Windows does. Sets the last error.
bool FindProgram(const std::string& name, std::string* hostPath) {
    std::string candidate;
    if (!HasExtension(name) && ResolveHostPath((name + ".exe").c_str(), &candidate)) {
        struct stat st;
        if (::stat(candidate.c_str(), &st) == 0) {
            *hostPath = candidate;
            return true;
        }
    }
    if (!ResolveHostPath(name.c_str(), &candidate)) return false;
    struct stat st;
    if (::stat(candidate.c_str(), &st) != 0) {
        SetLastPathError(errno, candidate);
        return false;
    }
    *hostPath = candidate;
    return true;
}

// An environment block: "NAME=value" strings, each ended by a NUL, and one
// more NUL at the end.
std::vector<char*> EnvironmentFromBlock(char* block) {
    std::vector<char*> env;
    for (char* entry = block; *entry != '\0'; entry += std::strlen(entry) + 1) env.push_back(entry);
    env.push_back(nullptr);
    return env;
}

// Starts the program; returns its process object or null with the last error set.
std::shared_ptr<ProcessObject> Spawn(const std::string& program, std::vector<std::string> args,
                                     char* environment, const char* directory) {
    std::string hostProgram;
    if (!FindProgram(program, &hostProgram)) return nullptr;
    if (!IsExecutableFile(hostProgram)) {
        SetLastError(ERROR_BAD_EXE_FORMAT);
        return nullptr;
    }
    std::string hostDirectory;
    if (directory != nullptr && *directory != '\0') {
        struct stat st;
        if (!ResolveHostPath(directory, &hostDirectory)) return nullptr;
        if (::stat(hostDirectory.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
            SetLastError(ERROR_DIRECTORY);
            return nullptr;
        }
    }

    args[0] = hostProgram;
    std::vector<char*> argv;
    for (auto& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    std::vector<char*> env = environment ? EnvironmentFromBlock(environment) : std::vector<char*>{};

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!hostDirectory.empty()) posix_spawn_file_actions_addchdir_np(&actions, hostDirectory.c_str());
    pid_t pid = 0;
    int err = posix_spawn(&pid, hostProgram.c_str(), &actions, nullptr, argv.data(),
                          environment ? env.data() : environ);
    posix_spawn_file_actions_destroy(&actions);
    if (err != 0) {
        SetLastError(err == ENOEXEC ? ERROR_BAD_EXE_FORMAT : ErrorFromErrno(err));
        return nullptr;
    }

    auto process = std::make_shared<ProcessObject>(pid);
    std::thread([process, pid] {
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        process->End(ExitCodeOf(status));
    }).detach();
    return process;
}

// Whether documents with this extension (".txt") have a program associated.
// The machine keeps no file associations yet (they will come from the
// registry's HKEY_CLASSES_ROOT), so no document has one.
bool HasAssociation(const std::string& /*extension*/) { return false; }

std::string ExtensionOf(const std::string& windowsName) {
    return HasExtension(windowsName) ? windowsName.substr(windowsName.rfind('.')) : std::string();
}

bool EqualNoCase(const char* a, const char* b) { return ::strcasecmp(a, b) == 0; }

}  // namespace
}  // namespace vpr::win

using namespace vpr::win;

extern "C" DWORD WINAPI GetCurrentProcessId(void) { return static_cast<DWORD>(::getpid()); }

extern "C" HANDLE WINAPI GetCurrentProcess(void) { return INVALID_HANDLE_VALUE; }

extern "C" BOOL WINAPI CreateProcessA(LPCSTR lpApplicationName, LPSTR lpCommandLine,
                                      LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES, BOOL,
                                      DWORD, LPVOID lpEnvironment, LPCSTR lpCurrentDirectory,
                                      LPSTARTUPINFOA, LPPROCESS_INFORMATION lpProcessInformation) {
    bool hasApplication = lpApplicationName != nullptr && *lpApplicationName != '\0';
    std::string commandLine = lpCommandLine ? lpCommandLine : "";
    std::vector<std::string> args = SplitCommandLine(commandLine);
    if (args.empty() && hasApplication) args.push_back(lpApplicationName);
    if (args.empty() || args[0].empty() || lpProcessInformation == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    // With an application name, the command line is handed to the program
    // whole, its first word included; the name alone says what runs.
    std::string program = hasApplication ? lpApplicationName : args[0];
    auto process = Spawn(program, args, static_cast<char*>(lpEnvironment), lpCurrentDirectory);
    if (!process) return FALSE;
    vpr::machine::Record("start", commandLine.empty() ? program : commandLine);

    auto& table = HandleTable::Instance();
    lpProcessInformation->hProcess = HandleFromValue(table.Add(process));
    lpProcessInformation->hThread = HandleFromValue(table.Add(process));
    lpProcessInformation->dwProcessId = static_cast<DWORD>(process->pid);
    lpProcessInformation->dwThreadId = static_cast<DWORD>(process->pid);
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

extern "C" BOOL WINAPI GetExitCodeProcess(HANDLE hProcess, LPDWORD lpExitCode) {
    if (hProcess == GetCurrentProcess()) {
        if (lpExitCode) *lpExitCode = STILL_ACTIVE;
        return TRUE;
    }
    auto process = HandleTable::Instance().GetAs<ProcessObject>(ValueFromHandle(hProcess));
    if (!process) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (lpExitCode) *lpExitCode = process->ExitCode();
    return TRUE;
}

extern "C" UINT WINAPI WinExec(LPCSTR lpCmdLine, UINT) {
    if (lpCmdLine == nullptr) return 0;
    std::string commandLine = lpCmdLine;
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        nullptr, &info)) {
        DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return error;
        return error == ERROR_BAD_EXE_FORMAT ? ERROR_BAD_FORMAT : 0;
    }
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return 33;
}

extern "C" HINSTANCE WINAPI ShellExecuteA(HWND, LPCSTR lpOperation, LPCSTR lpFile,
                                          LPCSTR lpParameters, LPCSTR lpDirectory, INT) {
    auto result = [](INT_PTR code) { return reinterpret_cast<HINSTANCE>(code); };
    if (lpFile == nullptr || *lpFile == '\0') {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return result(SE_ERR_FNF);
    }
    std::string file = lpFile;
    std::string host;
    if (!ResolveHostPath(file.c_str(), &host)) return result(SE_ERR_PNF);
    struct stat st;
    if (::stat(host.c_str(), &st) != 0) {
        DWORD error = SetLastPathError(errno, host);
        return result(error == ERROR_PATH_NOT_FOUND ? SE_ERR_PNF : SE_ERR_FNF);
    }
    bool open = lpOperation == nullptr || *lpOperation == '\0' || EqualNoCase(lpOperation, "open");
    if (open && IsExecutableFile(host)) {
        std::string commandLine = QuoteArgument(file);
        if (lpParameters != nullptr && *lpParameters != '\0') commandLine += std::string(" ") + lpParameters;
        PROCESS_INFORMATION info{};
        if (!CreateProcessA(file.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            lpDirectory, nullptr, &info)) {
            DWORD error = GetLastError();
            if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return result(error);
            return result(error == ERROR_BAD_EXE_FORMAT ? ERROR_BAD_FORMAT : SE_ERR_ACCESSDENIED);
        }
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
        return result(42);
    }
    // A document: the program associated with it would open it; the
    // request is recorded in its place. Folders are the shell's own.
    if (!S_ISDIR(st.st_mode) && !HasAssociation(ExtensionOf(file))) {
        SetLastError(ERROR_NO_ASSOCIATION);
        return result(SE_ERR_NOASSOC);
    }
    vpr::machine::Record("shell-open", std::string(open ? "open" : lpOperation) + " " + file);
    return result(42);
}
