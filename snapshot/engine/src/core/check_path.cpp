#include "snapshot/engine/check_path.h"

#include "text.h"
#include "windows.h"

namespace snapshot {

namespace {

void CreateWithParents(const std::string& path) {
    size_t slash = LastBackslash(path);
    if (slash != std::string::npos) {
        std::string parent = path.substr(0, slash);
        if (LastBackslash(parent) != std::string::npos && parent.size() > 3) CreateWithParents(parent);
    }
    CreateDirectoryA(path.c_str(), nullptr);
}

}  // namespace

bool CheckPathValid(const std::string& directory) {
    if (directory.empty()) return false;
    CreateWithParents(directory);
    char previous[MAX_PATH];
    DWORD length = GetCurrentDirectoryA(sizeof previous, previous);
    bool valid = SetCurrentDirectoryA(directory.c_str()) != FALSE;
    if (length > 0 && length < sizeof previous) SetCurrentDirectoryA(previous);
    return valid;
}

}  // namespace snapshot
