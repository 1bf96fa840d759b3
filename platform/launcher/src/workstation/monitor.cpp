// KMAPPMonitorApplications: the end of programs the library started, in
// this process or in another one of the machine.
#include <signal.h>

#include <cerrno>
#include <string>

#include "launch_log.h"
#include "launch_records.h"
#include "library_state.h"
#include "network_resources.h"

using namespace vpr::launcher;

namespace {

constexpr DWORD kFlagKeepResources = 0x2;
constexpr DWORD kExitCodeUnknown = 0xFFFFFFFF;

// Whether the program has ended, with its exit code when this process
// started it.
bool Ended(DWORD processId, DWORD* exitCode) {
    *exitCode = kExitCodeUnknown;
    LibraryState& state = LibraryState::Instance();
    if (state.OwnsProgram(processId)) {
        HANDLE process = state.TakeProgram(processId);
        if (WaitForSingleObject(process, 0) != WAIT_OBJECT_0) {
            state.AddProgram(processId, process);
            return false;
        }
        GetExitCodeProcess(process, exitCode);
        CloseHandle(process);
        return true;
    }
    // Started by another process of the machine: gone when no process has its id.
    return ::kill(static_cast<pid_t>(processId), 0) != 0 && errno == ESRCH;
}

}  // namespace

extern "C" void KMAPPMonitorApplications(void) {
    for (const RunningProgram& program : RunningPrograms()) {
        DWORD exitCode = 0;
        if (!Ended(program.processId, &exitCode)) continue;
        if (!(program.flags & kFlagKeepResources)) ReleaseResources(program.drives, program.captures);
        RecordEnd({program.context, program.guid}, exitCode);
        ForgetRunning(program.processId);
        WriteLog("", program.application,
                 exitCode == kExitCodeUnknown ? "ended" : "ended with exit code " + std::to_string(exitCode));
    }
}
