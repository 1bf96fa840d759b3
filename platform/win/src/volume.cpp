// The machine's drives: GetLogicalDrives, GetDriveTypeA, and
// GetVolumeInformationA, where every drive of the machine is a volume whose
// names keep their case and compare without it.
#include <sys/stat.h>

#include <cctype>
#include <cstring>

#include "vpr/machine/machine.h"
#include "vpr/win/error.h"
#include "vpr/win/file.h"
#include "vpr/win/path.h"

namespace {

// A volume's serial number: a hash of the host folder behind it, so it
// stays the same from run to run.
DWORD SerialOf(const std::string& hostFolder) {
    DWORD hash = 2166136261u;
    for (unsigned char c : hostFolder) hash = (hash ^ c) * 16777619u;
    return hash;
}

bool CopyOut(const std::string& text, LPSTR buffer, DWORD size) {
    if (buffer == nullptr) return true;
    if (size < text.size() + 1) return false;
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return true;
}

// The root a name stands for: "X:\" or "\\SERVER\SHARE\"; false when
// the name is no root.
bool RootOf(LPCSTR name, std::string* root) {
    // None: the root of the current directory's drive or share.
    if (name == nullptr) {
        std::string current;
        return vpr::win::FullWindowsPath("\\", &current) && RootOf(current.c_str(), root);
    }
    *root = name;
    std::string& r = *root;
    if (r.size() == 2 && r[1] == ':') r += "\\";
    if (r.size() == 3 && r[1] == ':' && r[2] == '\\') {
        r[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(r[0])));
        return r[0] >= 'A' && r[0] <= 'Z';
    }
    if (r.size() < 2 || r[0] != '\\' || r[1] != '\\') return false;
    // \\SERVER\SHARE with or without the trailing backslash.
    size_t share = r.find('\\', 2);
    if (share == std::string::npos || share == 2) return false;
    size_t end = r.find('\\', share + 1);
    if (end == share + 1) return false;
    if (end == std::string::npos) r += "\\";
    else if (end + 1 != r.size()) return false;
    return true;
}

}  // namespace

extern "C" DWORD WINAPI GetLogicalDrives(void) {
    DWORD drives = 1u << ('Z' - 'A');
    if (auto m = vpr::machine::CurrentMachine()) {
        for (const auto& [letter, folder] : m->drives) {
            char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
            if (upper >= 'A' && upper <= 'Z') drives |= 1u << (upper - 'A');
        }
    }
    SetLastError(ERROR_SUCCESS);
    return drives;
}

extern "C" UINT WINAPI GetDriveTypeA(LPCSTR lpRootPathName) {
    std::string root;
    if (!RootOf(lpRootPathName, &root)) return DRIVE_NO_ROOT_DIR;
    if (root == "Z:\\") return DRIVE_REMOTE;
    if (root[1] == ':' && (GetLogicalDrives() & (1u << (root[0] - 'A'))) == 0) return DRIVE_NO_ROOT_DIR;
    std::string host;
    struct stat st;
    if (!vpr::win::ResolveHostPath(root.c_str(), &host) || ::stat(host.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return DRIVE_NO_ROOT_DIR;
    return root[1] == ':' ? DRIVE_FIXED : DRIVE_REMOTE;
}

extern "C" BOOL WINAPI GetVolumeInformationA(LPCSTR lpRootPathName, LPSTR lpVolumeNameBuffer, DWORD nVolumeNameSize,
                                             LPDWORD lpVolumeSerialNumber, LPDWORD lpMaximumComponentLength,
                                             LPDWORD lpFileSystemFlags, LPSTR lpFileSystemNameBuffer,
                                             DWORD nFileSystemNameSize) {
    // The root of the named drive or share; none means the current drive.
    std::string root;
    if (!vpr::win::FullWindowsPath(lpRootPathName ? lpRootPathName : "\\", &root)) return FALSE;
    bool isDrive = root.size() >= 3 && root[1] == ':';
    if (isDrive) {
        root = root.substr(0, 3);
    } else {
        size_t share = root.find('\\', 2);
        size_t end = share == std::string::npos ? std::string::npos : root.find('\\', share + 1);
        root = root.substr(0, end) + "\\";
    }
    std::string host;
    struct stat st;
    if (!vpr::win::ResolveHostPath(root.c_str(), &host) || ::stat(host.c_str(), &st) != 0) {
        SetLastError(isDrive ? ERROR_PATH_NOT_FOUND : ERROR_BAD_NETPATH);
        return FALSE;
    }
    auto m = vpr::machine::CurrentMachine();
    bool nt = m && m->platform == vpr::machine::Platform::NT4;
    if (!CopyOut("", lpVolumeNameBuffer, nVolumeNameSize) ||
        !CopyOut(nt ? "NTFS" : "FAT", lpFileSystemNameBuffer, nFileSystemNameSize)) {
        SetLastError(ERROR_BAD_LENGTH);
        return FALSE;
    }
    if (lpVolumeSerialNumber) *lpVolumeSerialNumber = SerialOf(host);
    if (lpMaximumComponentLength) *lpMaximumComponentLength = 255;
    if (lpFileSystemFlags) *lpFileSystemFlags = FS_CASE_IS_PRESERVED;
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}
