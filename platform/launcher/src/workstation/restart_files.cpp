#include "restart_files.h"

#include <vector>

#include "../well_known_folders.h"
#include "text_file.h"
#include "vpr/locale/locale.h"
#include "vpr/machine/machine.h"
#include "windows.h"

namespace vpr::launcher {

namespace {

bool IsNt() {
    auto machine = vpr::machine::CurrentMachine();
    return machine && machine->platform == vpr::machine::Platform::NT4;
}

// Adds "name=value" at the end of WININIT.INI's [rename] section, where
// Windows 95 carries the lines out in order at its next start.
bool AddWininitLine(const std::string& name, const std::string& value) {
    std::string path = WellKnownFolderPath(WellKnownFolder::Windows) + "\\WININIT.INI";
    std::vector<std::string> lines;
    if (!ReadTextLines(path, &lines) && GetLastError() != ERROR_FILE_NOT_FOUND) return false;
    size_t insert = lines.size();
    bool inRename = false, found = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (!line.empty() && line.front() == '[') {
            if (inRename) {
                insert = i;
                inRename = false;
            }
            if (KMLstricmp(line.c_str(), "[rename]") == 0) inRename = found = true;
        }
    }
    if (!found) {
        lines.push_back("[rename]");
        insert = lines.size();
    } else if (inRename) {
        insert = lines.size();
    }
    // Blank lines that end the section stay after the new line.
    while (found && insert > 0 && lines[insert - 1].empty()) --insert;
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insert), name + "=" + value);
    return WriteTextLines(path, lines);
}

}  // namespace

std::string FolderOf(const std::string& path) {
    std::string copy = path;
    char* slash = KMLstrrchr(copy.data(), '\\');
    return slash ? copy.substr(0, static_cast<size_t>(slash - copy.data())) : "";
}

bool CreateFolders(const std::string& folder) {
    if (folder.empty()) return true;
    DWORD attributes = GetFileAttributesA(folder.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if (attributes & FILE_ATTRIBUTE_DIRECTORY) return true;
        SetLastError(ERROR_ALREADY_EXISTS);
        return false;
    }
    std::string parent = FolderOf(folder);
    // A drive's root or a share (\\SERVER\SHARE) is there or is not.
    if (!parent.empty() && parent.back() != ':' && parent != "\\" && !CreateFolders(parent)) return false;
    if (CreateDirectoryA(folder.c_str(), nullptr)) return true;
    return GetLastError() == ERROR_ALREADY_EXISTS;
}

bool ReplaceAtRestart(const std::string& source, const std::string& target) {
    std::string folder = FolderOf(target);
    char temporary[MAX_PATH] = {};
    if (GetTempFileNameA(folder.empty() ? "." : folder.c_str(), "VPR", 0, temporary) == 0) return false;
    if (!CopyFileA(source.c_str(), temporary, FALSE)) {
        DWORD error = GetLastError();
        DeleteFileA(temporary);
        SetLastError(error);
        return false;
    }
    if (IsNt()) return MoveFileExA(temporary, target.c_str(), MOVEFILE_DELAY_UNTIL_REBOOT | MOVEFILE_REPLACE_EXISTING);
    return AddWininitLine(target, temporary);
}

bool DeleteAtRestart(const std::string& target) {
    if (IsNt()) return MoveFileExA(target.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    return AddWininitLine("NUL", target);
}

}  // namespace vpr::launcher
