// The library's memory within one process, behind its one lock: the last
// active set of each application per user, and the programs it started. The
// lock is held only inside these calls, never while a caller's status
// callback runs (callers: the shell's user-interface thread, its watcher and
// its cache worker).
#pragma once

#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "windows.h"

namespace vpr::launcher {

class LibraryState {
public:
    static LibraryState& Instance();

    // Key of an application's state: tree, user and application.
    static std::string StateKey(const std::string& tree, const std::string& user, const std::string& application);
    // 0 the first time in the process on the current machine (the states
    // seen on a machine the process left are forgotten).
    DWORD LastState(const std::string& key);
    void RememberState(const std::string& key, DWORD state);

    // Process handles of the programs started by this process, by process id.
    void AddProgram(DWORD processId, HANDLE process);
    // The handle, removed from the list; null when this process did not start it.
    HANDLE TakeProgram(DWORD processId);
    // Whether this process started the program and it still runs.
    bool OwnsProgram(DWORD processId);

private:
    // Forgets the states when the current machine changed; caller holds mutex_.
    void FollowMachine();

    std::mutex mutex_;
    std::map<std::string, DWORD> states_;  // guarded by mutex_
    unsigned long machineGeneration_ = 0;  // guarded by mutex_: the machine states_ belong to
    std::map<DWORD, HANDLE> programs_;     // guarded by mutex_
};

}  // namespace vpr::launcher
