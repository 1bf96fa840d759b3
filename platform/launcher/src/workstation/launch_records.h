// The library's records of installations, launches and running programs in
// the user's registry (layout in kmapp32.h, KMAPP_RECORDS_KEY).
#pragma once

#include <string>
#include <vector>

#include "app_records.h"

namespace vpr::launcher {

// Installation: an application counts as distributed while its record holds
// the version string it was distributed with.
bool IsInstalled(const AppIdentity& identity);
bool IsInstalledWithVersion(const AppIdentity& identity, const std::string& version);
LONG RecordInstalled(const AppIdentity& identity, const std::string& application, const std::string& version);
// Forgets every installation under the first identification text.
LONG ForgetInstalled(const std::string& context);

// Launches: `starting` 1 counts a launch, 0 marks the last one failed.
LONG RecordLaunchOutcome(const AppIdentity& identity, DWORD starting);
// A launch that returned 0 (what Run once counts).
LONG RecordLaunchSucceeded(const AppIdentity& identity);
bool HasSucceeded(const AppIdentity& identity);
LONG RecordEnd(const AppIdentity& identity, DWORD exitCode);

// A program the library started, with the network resources made for it.
struct RunningProgram {
    DWORD processId = 0;
    std::string application;
    std::string tree;
    std::vector<char> drives;           // drive letters mapped for it
    std::vector<std::string> captures;  // ports captured for it
    DWORD flags = 0;                    // its "App:Flags"
    std::string context, guid;          // its identification texts
};
LONG RecordRunning(const RunningProgram& program);
std::vector<RunningProgram> RunningPrograms();
void ForgetRunning(DWORD processId);

}  // namespace vpr::launcher
