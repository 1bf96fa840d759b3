// The work directory and its create and delete exports.
#include "snapshot/engine/work_directory.h"

#include <cstring>
#include <vector>

#include "snapshot/engine/imprx_exports.h"

namespace snapshot {

namespace {

void CreateWorkDirectory(char drive) {
    std::string work = WorkDirectory(drive);
    if (GetFileAttributesA(work.c_str()) == INVALID_FILE_ATTRIBUTES && CreateDirectoryA(work.c_str(), nullptr))
        SetFileAttributesA(work.c_str(), FILE_ATTRIBUTE_HIDDEN);
}

// Deletes every entry of the directory as a file (a subdirectory fails), then
// the directory itself. True when the directory was removed.
bool DeleteDirectoryFiles(const std::string& directory) {
    bool allDeleted = true;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((directory + "\\*.*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        std::vector<std::string> names;
        do {
            if (std::strcmp(data.cFileName, ".") != 0 && std::strcmp(data.cFileName, "..") != 0)
                names.push_back(data.cFileName);
        } while (FindNextFileA(find, &data));
        FindClose(find);
        for (const auto& name : names)
            if (!DeleteFileA((directory + "\\" + name).c_str())) allDeleted = false;
    }
    return RemoveDirectoryA(directory.c_str()) && allDeleted;
}

}  // namespace

std::string WorkDirectory(char drive) { return std::string(1, drive) + ":\\imprix.dir"; }

std::string DefaultsFile(char drive) { return WorkDirectory(drive) + "\\imprxdef.ini"; }

std::string PictureDirectory(char drive, long phase) {
    return WorkDirectory(drive) + (phase == 0 ? "\\before" : "\\after");
}

}  // namespace snapshot

using snapshot::DeleteDirectoryFiles;
using snapshot::PictureDirectory;

extern "C" LONG IMPRXCreateBeforeDir(CHAR drive) {
    snapshot::CreateWorkDirectory(drive);
    CreateDirectoryA(PictureDirectory(drive, 0).c_str(), nullptr);
    return 0;
}

extern "C" LONG IMPRXCreateAfterDir(CHAR drive) {
    snapshot::CreateWorkDirectory(drive);
    CreateDirectoryA(PictureDirectory(drive, 1).c_str(), nullptr);
    return 0;
}

extern "C" LONG IMPRXDeleteBeforeDir(CHAR drive) { return DeleteDirectoryFiles(PictureDirectory(drive, 0)) ? 0 : -1; }

extern "C" LONG IMPRXDeleteAfterDir(CHAR drive) { return DeleteDirectoryFiles(PictureDirectory(drive, 1)) ? 0 : -1; }

extern "C" LONG IMPRXDeleteHiddenDir(CHAR drive) {
    bool before = DeleteDirectoryFiles(PictureDirectory(drive, 0));
    bool after = DeleteDirectoryFiles(PictureDirectory(drive, 1));
    bool work = DeleteDirectoryFiles(snapshot::WorkDirectory(drive));
    return before && after && work ? 0 : -1;
}
