// The NT list of file operations for the next start: MoveFileExA with
// MOVEFILE_DELAY_UNTIL_REBOOT appends to it, the restart reads it.
#include "pending_file_operations.h"

#include "registry_key.h"
#include "vpr/win/error.h"
#include "vpr/win/path.h"

namespace vpr::win {

namespace {

constexpr std::string_view kNtPrefix = "\\??\\";
constexpr std::string_view kNtUncPrefix = "\\??\\UNC\\";

// "C:\A" -> "\??\C:\A", "\\SERVER\SHARE\A" -> "\??\UNC\SERVER\SHARE\A".
std::string NtName(const std::string& windowsPath) {
    if (windowsPath.starts_with("\\\\")) return std::string(kNtUncPrefix) + windowsPath.substr(2);
    return std::string(kNtPrefix) + windowsPath;
}

std::string WindowsName(std::string_view ntName) {
    if (ntName.starts_with(kNtUncPrefix)) return "\\\\" + std::string(ntName.substr(kNtUncPrefix.size()));
    if (ntName.starts_with(kNtPrefix)) return std::string(ntName.substr(kNtPrefix.size()));
    return std::string(ntName);
}

// Reads the pairs of the list up to its end: the end of the data, or an
// empty source (the terminator of the list). *end is where the last whole
// pair ends.
std::vector<PendingFileOperation> ReadPairs(const std::string& data, size_t* end) {
    std::vector<PendingFileOperation> operations;
    auto next = [&](size_t* pos) {
        size_t nul = data.find('\0', *pos);
        if (nul == std::string::npos) nul = data.size();
        std::string_view text(data.data() + *pos, nul - *pos);
        *pos = nul < data.size() ? nul + 1 : nul;
        return text;
    };
    size_t pos = 0;
    *end = 0;
    while (pos < data.size()) {
        std::string_view source = next(&pos);
        if (source.empty()) break;
        std::string_view target = next(&pos);
        PendingFileOperation operation;
        operation.source = WindowsName(source);
        operation.replace = target.starts_with('!');
        if (operation.replace) target.remove_prefix(1);
        operation.target = target.empty() ? std::string() : WindowsName(target);
        operations.push_back(std::move(operation));
        *end = pos;
    }
    return operations;
}

}  // namespace

std::vector<PendingFileOperation> DecodePendingList(const std::string& data) {
    size_t end = 0;
    return ReadPairs(data, &end);
}

BOOL SchedulePendingMove(LPCSTR lpExistingFileName, LPCSTR lpNewFileName, bool replace) {
    if (lpExistingFileName == nullptr || *lpExistingFileName == '\0' ||
        (lpNewFileName != nullptr && *lpNewFileName == '\0')) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    // Both names are kept as full paths, checked now: the restart has no
    // current directory to read them against.
    ResolvedPath source, target;
    if (!ResolvePath(lpExistingFileName, &source)) return FALSE;
    if (lpNewFileName != nullptr && !ResolvePath(lpNewFileName, &target)) return FALSE;

    std::string pair = NtName(source.windows) + '\0';
    if (lpNewFileName != nullptr) pair += (replace ? "!" : "") + NtName(target.windows);
    pair += '\0';
    LONG result = ChangeRegistryValue(
        HKEY_LOCAL_MACHINE, kSessionManagerKey, kPendingRenameValue,
        [&](std::optional<RegistryValue>* value) -> LONG {
            std::string data = *value ? (*value)->data : std::string();
            // The new pair goes after the last whole pair, then the list's
            // terminating empty string.
            size_t end = 0;
            ReadPairs(data, &end);
            data = data.substr(0, end) + pair + '\0';
            *value = RegistryValue{kPendingRenameValue, REG_MULTI_SZ, data};
            return ERROR_SUCCESS;
        });
    SetLastError(static_cast<DWORD>(result));
    return result == ERROR_SUCCESS;
}

}  // namespace vpr::win
