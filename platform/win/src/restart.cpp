// The simulated restart of a machine: the file operations programs left for
// the next start are carried out as the platform would at boot, and the
// restart is recorded in the journal.
#include "vpr/win/restart.h"

#include <fstream>
#include <iterator>

#include "vpr/win/ini_text.h"
#include "pending_file_operations.h"
#include "registry_key.h"
#include "vpr/machine/machine.h"
#include "vpr/win/error.h"
#include "vpr/win/file.h"
#include "vpr/win/path.h"

namespace vpr::win {

namespace {

// Why a file operation failed, in words.
std::string FileErrorText(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND: return "the file does not exist";
        case ERROR_PATH_NOT_FOUND: return "the folder does not exist";
        case ERROR_ALREADY_EXISTS:
        case ERROR_FILE_EXISTS: return "the target exists";
        case ERROR_ACCESS_DENIED: return "access is denied";
        case ERROR_SHARING_VIOLATION: return "the file is in use";
        case ERROR_DIR_NOT_EMPTY: return "the folder is not empty";
        case ERROR_INVALID_NAME: return "the name is not valid";
        default: return "error " + std::to_string(error);
    }
}

// NT: the registry list, cleared in the same transaction that reads it.
bool TakeRegistryList(std::vector<PendingFileOperation>* operations, std::string* error) {
    LONG result = ChangeRegistryValue(HKEY_LOCAL_MACHINE, kSessionManagerKey, kPendingRenameValue,
                                      [&](std::optional<RegistryValue>* value) -> LONG {
                                          if (*value) *operations = DecodePendingList((*value)->data);
                                          value->reset();
                                          return ERROR_SUCCESS;
                                      });
    if (result == ERROR_SUCCESS) return true;
    *error = "cannot read " + std::string(kPendingRenameValue) + " from the registry (error " +
             std::to_string(result) + ")";
    return false;
}

// 95: WININIT.INI's [rename] lines, "target=source" ("NUL" as target: delete),
// after the file has become WININIT.BAK as the start of Windows leaves it.
bool TakeWininitList(const vpr::machine::Machine& machine, std::vector<PendingFileOperation>* operations,
                     std::string* error) {
    std::string ini = machine.windowsDirectory + "\\WININIT.INI";
    std::string bak = machine.windowsDirectory + "\\WININIT.BAK";
    if (GetFileAttributesA(ini.c_str()) == INVALID_FILE_ATTRIBUTES) {
        if (GetLastError() == ERROR_FILE_NOT_FOUND) return true;  // nothing pending
        *error = "cannot read " + ini + ": " + FileErrorText(GetLastError());
        return false;
    }
    if (!MoveFileNow(ini.c_str(), bak.c_str(), true, true)) {
        *error = "cannot rename " + ini + " to WININIT.BAK: " + FileErrorText(GetLastError());
        return false;
    }
    std::string host;
    ResolveHostPath(bak.c_str(), &host);
    std::ifstream in(host, std::ios::binary);
    IniText text(std::string(std::istreambuf_iterator<char>(in), {}));
    for (const auto& [target, source] : text.Entries("rename")) {
        PendingFileOperation operation;
        operation.source = source;
        operation.target = SameFileName(target, "NUL") ? std::string() : target;
        operation.replace = true;
        operations->push_back(std::move(operation));
    }
    return true;
}

// Carries out one operation; the Windows error, ERROR_SUCCESS when done.
DWORD Apply(const PendingFileOperation& operation) {
    const char* source = operation.source.c_str();
    BOOL done = FALSE;
    if (operation.target.empty()) {
        // A folder named for deletion goes when it is empty.
        DWORD attributes = GetFileAttributesA(source);
        if (attributes == INVALID_FILE_ATTRIBUTES) return GetLastError();
        done = (attributes & FILE_ATTRIBUTE_DIRECTORY) ? RemoveDirectoryA(source) : DeleteFileA(source);
    } else {
        done = MoveFileNow(source, operation.target.c_str(), operation.replace, true);
    }
    return done ? ERROR_SUCCESS : GetLastError();
}

}  // namespace

std::string DescribeRestartStep(const RestartStep& step) {
    const PendingFileOperation& operation = step.operation;
    std::string text = operation.target.empty()
                           ? "delete " + operation.source
                           : "move " + operation.source + " -> " + operation.target +
                                 (operation.replace ? " (replacing)" : "");
    if (step.error != ERROR_SUCCESS) text += ": failed, " + FileErrorText(step.error);
    return text;
}

bool RestartMachine(std::vector<RestartStep>* steps, std::string* error) {
    steps->clear();
    auto machine = vpr::machine::CurrentMachine();
    if (!machine) {
        *error = "no machine; nothing was restarted";
        return false;
    }
    std::vector<PendingFileOperation> operations;
    bool taken = machine->platform == vpr::machine::Platform::NT4 ? TakeRegistryList(&operations, error)
                                                                 : TakeWininitList(*machine, &operations, error);
    if (!taken) {
        *error += "; the machine was not restarted";
        return false;
    }

    size_t failed = 0;
    std::string journalError;
    for (const PendingFileOperation& operation : operations) {
        RestartStep step{operation, Apply(operation)};
        if (step.error != ERROR_SUCCESS) ++failed;
        std::string problem;
        if (!machine->Record("restart-file", DescribeRestartStep(step), &problem) && journalError.empty()) {
            journalError = problem;
        }
        steps->push_back(std::move(step));
    }
    std::string problem;
    if (!machine->Record("restart", std::to_string(operations.size()) + " pending file operations, " +
                                        std::to_string(failed) + " failed",
                         &problem) &&
        journalError.empty()) {
        journalError = problem;
    }
    if (journalError.empty()) return true;
    *error = "the restart was carried out but not recorded: " + journalError;
    return false;
}

}  // namespace vpr::win
