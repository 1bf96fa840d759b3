// Program starts: CreateProcessA, WinExec, ShellExecuteA. A program of the
// machine is a host executable or script under a Windows path; it is started
// for real (posix_spawn) and every start is recorded in the machine's journal.
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <mutex>
#include <thread>

#include "exit_state.h"
#include "search_path.h"
#include "vpr/machine/machine.h"
#include "vpr/win/clock.h"
#include "vpr/win/error.h"
#include "vpr/win/path.h"
#include "vpr/win/process.h"
#include "vpr/win/registry.h"

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

bool HasFolder(const std::string& windowsName) { return windowsName.find_first_of("\\/:") != std::string::npos; }

// Host path of the program a Windows name means; sets the last error. A
// name from a command line (`search`) without extension gets ".EXE" (and,
// for the host's own programs, is then tried as given), and a bare name is
// looked for where Windows looks for programs: the caller's folder, the
// current folder, the system folders, the Windows folder, then PATH. An
// application name is taken as given, against the current folder only.
bool FindProgram(const std::string& name, bool search, std::string* hostPath) {
    std::vector<std::string> candidates;
    if (search && !HasExtension(name)) candidates.push_back(name + ".EXE");
    candidates.push_back(name);
    SetLastError(ERROR_FILE_NOT_FOUND);
    for (const std::string& candidate : candidates) {
        std::string found = candidate;
        if (search && !HasFolder(candidate) &&
            !SearchFile(candidate.c_str(), nullptr, SearchOrder::Program, &found))
            continue;
        std::string host;
        if (!ResolveHostPath(found.c_str(), &host)) return false;
        struct stat st;
        if (::stat(host.c_str(), &st) == 0) {
            *hostPath = host;
            return true;
        }
        SetLastPathError(errno, host);
    }
    return false;
}

// An environment block: "NAME=value" strings, each ended by a NUL, and one
// more NUL at the end.
std::vector<char*> EnvironmentFromBlock(char* block) {
    std::vector<char*> env;
    for (char* entry = block; *entry != '\0'; entry += std::strlen(entry) + 1) env.push_back(entry);
    env.push_back(nullptr);
    return env;
}

// The programs this process started that may still run: a script waits for them.
std::mutex& StartedMutex() {
    static std::mutex mutex;
    return mutex;
}
std::vector<std::shared_ptr<ProcessObject>>& StartedPrograms() {
    static std::vector<std::shared_ptr<ProcessObject>> started;  // GUARDED_BY(StartedMutex())
    return started;
}

// Starts the program; returns its process object or null with the last error set.
std::shared_ptr<ProcessObject> Spawn(const std::string& program, bool search, std::vector<std::string> args,
                                     char* environment, const char* directory) {
    std::string hostProgram;
    if (!FindProgram(program, search, &hostProgram)) return nullptr;
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
    {
        std::lock_guard lock(StartedMutex());
        auto& started = StartedPrograms();
        std::erase_if(started, [](const std::shared_ptr<ProcessObject>& p) { return p->ExitCode() != STILL_ACTIVE; });
        started.push_back(process);
    }
    std::thread([process, pid] {
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        process->End(ExitCodeOf(status));
    }).detach();
    return process;
}

std::string ExtensionOf(const std::string& windowsName) {
    return HasExtension(windowsName) ? windowsName.substr(windowsName.rfind('.')) : std::string();
}

// The text of a key under HKEY_CLASSES_ROOT (its default value); empty when
// there is none.
std::string ClassesText(const std::string& key) {
    LONG size = 0;
    if (RegQueryValueA(HKEY_CLASSES_ROOT, key.c_str(), nullptr, &size) != ERROR_SUCCESS || size <= 0) return {};
    std::string text(static_cast<size_t>(size), '\0');
    if (RegQueryValueA(HKEY_CLASSES_ROOT, key.c_str(), text.data(), &size) != ERROR_SUCCESS) return {};
    text.resize(std::strlen(text.c_str()));
    return text;
}

// The command registered for a verb on documents with this extension:
// HKEY_CLASSES_ROOT\.ext names the document class, whose shell\<verb>\command
// holds it. No verb means the class's default verb (the default value of its
// shell key), else "open". Empty when there is no such association.
std::string AssociatedCommand(const std::string& extension, const char* verb) {
    if (extension.empty()) return {};
    std::string documentClass = ClassesText(extension);
    if (documentClass.empty()) return {};
    std::string chosen = verb != nullptr && *verb != '\0' ? verb : ClassesText(documentClass + "\\shell");
    if (chosen.empty()) chosen = "open";
    return ClassesText(documentClass + "\\shell\\" + chosen + "\\command");
}

// A registered command with the document filled in as the shell fills it:
// %1 and %L the document's full path, %* the parameters, %% one percent
// sign, %2 to %9 nothing; other text (such as %SystemRoot%) stays. A path
// with a blank put where the command has no quotes around it is quoted, so
// that the program gets it as one argument; a command that names no place
// for the document gets it at the end.
std::string FillCommand(const std::string& command, const std::string& document, const std::string& parameters) {
    std::string line;
    bool quoted = false;
    bool placed = false;
    for (size_t i = 0; i < command.size(); ++i) {
        char c = command[i];
        if (c == '"') quoted = !quoted;
        char next = i + 1 < command.size() ? command[i + 1] : '\0';
        if (c != '%' || next == '\0') {
            line += c;
        } else if (next == '1' || next == 'L' || next == 'l') {
            line += quoted ? document : QuoteArgument(document);
            placed = true;
            ++i;
        } else if (next == '*') {
            line += parameters;
            ++i;
        } else if (next == '%') {
            line += '%';
            ++i;
        } else if (next >= '2' && next <= '9') {
            ++i;
        } else {
            line += c;
        }
    }
    if (!placed) line += " " + QuoteArgument(document);
    return line;
}

// Starts a command line for ShellExecuteA; its result (greater than 32 when
// the program started).
INT_PTR StartForShell(const char* application, std::string commandLine, LPCSTR directory) {
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(application, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, directory, nullptr,
                        &info)) {
        DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return static_cast<INT_PTR>(error);
        return error == ERROR_BAD_EXE_FORMAT ? ERROR_BAD_FORMAT : SE_ERR_ACCESSDENIED;
    }
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return 42;
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
    auto process = Spawn(program, !hasApplication, args, static_cast<char*>(lpEnvironment), lpCurrentDirectory);
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
    std::string parameters = lpParameters != nullptr ? lpParameters : "";
    if (open && IsExecutableFile(host)) {
        std::string commandLine = QuoteArgument(file);
        if (!parameters.empty()) commandLine += " " + parameters;
        return result(StartForShell(file.c_str(), commandLine, lpDirectory));
    }
    // Folders are the shell's own: the request is recorded.
    if (S_ISDIR(st.st_mode)) {
        vpr::machine::Record("shell-open", std::string(open ? "open" : lpOperation) + " " + file);
        return result(42);
    }
    // A document: the program registered for its type opens it.
    std::string command = AssociatedCommand(ExtensionOf(file), lpOperation);
    if (command.empty()) {
        SetLastError(ERROR_NO_ASSOCIATION);
        return result(SE_ERR_NOASSOC);
    }
    std::string document;
    FullWindowsPath(file.c_str(), &document);
    return result(StartForShell(nullptr, FillCommand(command, document, parameters), lpDirectory));
}

namespace vpr::win {

bool WaitForStartedPrograms(DWORD milliseconds) {
    std::vector<std::shared_ptr<ProcessObject>> started;
    {
        std::lock_guard lock(StartedMutex());
        started = StartedPrograms();
    }
    DWORD start = GetTickCount();
    for (const auto& process : started) {
        while (process->ExitCode() == STILL_ACTIVE) {
            if (GetTickCount() - start >= milliseconds) return false;
            std::unique_lock lock(WaitCore::Instance().mutex);
            WaitCore::Instance().changed.wait_for(lock, std::chrono::milliseconds(50));
        }
    }
    return true;
}

}  // namespace vpr::win
