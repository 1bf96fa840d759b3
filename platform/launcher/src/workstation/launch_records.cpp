#include "launch_records.h"

#include <cstdlib>

#include "reg_key.h"
#include "vpr/win/clock.h"

namespace vpr::launcher {

namespace {

std::string RecordPath(const std::string& kind, const AppIdentity& identity) {
    return std::string(KMAPP_RECORDS_KEY) + "\\" + kind + "\\" + identity.context + "\\" + identity.guid;
}

// Record keys name the container; an application without one sits under "-".
AppIdentity Keyed(const AppIdentity& identity) {
    return {identity.context.empty() ? "-" : identity.context, identity.guid};
}

DWORD Now() { return static_cast<DWORD>(vpr::win::CurrentTime()); }

std::string RunningPath() { return std::string(KMAPP_RECORDS_KEY) + "\\Running"; }

}  // namespace

bool IsInstalled(const AppIdentity& identity) {
    RegKey key;
    return key.Open(HKEY_CURRENT_USER, RecordPath("Installed", Keyed(identity))) == ERROR_SUCCESS;
}

bool IsInstalledWithVersion(const AppIdentity& identity, const std::string& version) {
    RegKey key;
    std::string recorded;
    return key.Open(HKEY_CURRENT_USER, RecordPath("Installed", Keyed(identity))) == ERROR_SUCCESS &&
           key.GetString("Version", &recorded) && recorded == version;
}

LONG RecordInstalled(const AppIdentity& identity, const std::string& application, const std::string& version) {
    RegKey key;
    LONG result = key.Create(HKEY_CURRENT_USER, RecordPath("Installed", Keyed(identity)));
    if (result == ERROR_SUCCESS) result = key.SetString("Name", application);
    if (result == ERROR_SUCCESS) result = key.SetString("Version", version);
    return result;
}

LONG ForgetInstalled(const std::string& context) {
    return DeleteKeyTree(HKEY_CURRENT_USER, std::string(KMAPP_RECORDS_KEY) + "\\Installed\\" +
                                                 Keyed({context, ""}).context);
}

LONG RecordLaunchOutcome(const AppIdentity& identity, DWORD starting) {
    RegKey key;
    LONG result = key.Create(HKEY_CURRENT_USER, RecordPath("Launches", Keyed(identity)));
    if (result != ERROR_SUCCESS) return result;
    if (starting) {
        result = key.SetDword("Count", key.GetDword("Count", DWORD{0}) + 1);
        if (result == ERROR_SUCCESS) result = key.SetDword("Last Launch", Now());
    }
    if (result == ERROR_SUCCESS) result = key.SetDword("Last Result", starting ? 1 : 0);
    return result;
}

LONG RecordLaunchSucceeded(const AppIdentity& identity) {
    RegKey key;
    LONG result = key.Create(HKEY_CURRENT_USER, RecordPath("Launches", Keyed(identity)));
    return result == ERROR_SUCCESS ? key.SetDword("Succeeded", 1) : result;
}

bool HasSucceeded(const AppIdentity& identity) {
    RegKey key;
    return key.Open(HKEY_CURRENT_USER, RecordPath("Launches", Keyed(identity))) == ERROR_SUCCESS &&
           key.GetDword("Succeeded", DWORD{0}) == 1;
}

LONG RecordEnd(const AppIdentity& identity, DWORD exitCode) {
    RegKey key;
    LONG result = key.Create(HKEY_CURRENT_USER, RecordPath("Launches", Keyed(identity)));
    if (result == ERROR_SUCCESS) result = key.SetDword("Last End", Now());
    if (result == ERROR_SUCCESS) result = key.SetDword("Exit Code", exitCode);
    return result;
}

LONG RecordRunning(const RunningProgram& program) {
    RegKey key;
    LONG result = key.Create(HKEY_CURRENT_USER, RunningPath() + "\\" + std::to_string(program.processId));
    std::string drives, captures;
    for (char letter : program.drives) drives += std::string(1, letter) + ":";
    for (const std::string& port : program.captures) captures += (captures.empty() ? "" : " ") + port;
    if (result == ERROR_SUCCESS) result = key.SetString("Name", program.application);
    if (result == ERROR_SUCCESS) result = key.SetString("Tree", program.tree);
    if (result == ERROR_SUCCESS) result = key.SetString("Drives", drives);
    if (result == ERROR_SUCCESS) result = key.SetString("Captures", captures);
    if (result == ERROR_SUCCESS) result = key.SetDword("Flags", program.flags);
    if (result == ERROR_SUCCESS) result = key.SetString("Context", program.context);
    if (result == ERROR_SUCCESS) result = key.SetString("Guid", program.guid);
    return result;
}

std::vector<RunningProgram> RunningPrograms() {
    std::vector<RunningProgram> programs;
    RegKey running;
    if (running.Open(HKEY_CURRENT_USER, RunningPath()) != ERROR_SUCCESS) return programs;
    for (const std::string& id : running.SubkeyNames()) {
        RegKey key;
        if (key.Open(running.get(), id) != ERROR_SUCCESS) continue;
        RunningProgram program;
        program.processId = static_cast<DWORD>(std::strtoul(id.c_str(), nullptr, 10));
        std::string drives, captures;
        key.GetString("Name", &program.application);
        key.GetString("Tree", &program.tree);
        key.GetString("Drives", &drives);
        key.GetString("Captures", &captures);
        program.flags = key.GetDword("Flags", DWORD{0});
        key.GetString("Context", &program.context);
        key.GetString("Guid", &program.guid);
        for (size_t i = 0; i + 1 < drives.size(); i += 2) program.drives.push_back(drives[i]);
        for (size_t start = 0; start < captures.size();) {
            size_t blank = captures.find(' ', start);
            if (blank == std::string::npos) blank = captures.size();
            if (blank > start) program.captures.push_back(captures.substr(start, blank - start));
            start = blank + 1;
        }
        programs.push_back(std::move(program));
    }
    return programs;
}

void ForgetRunning(DWORD processId) { DeleteKeyTree(HKEY_CURRENT_USER, RunningPath() + "\\" + std::to_string(processId)); }

}  // namespace vpr::launcher
