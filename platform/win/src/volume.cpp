// GetVolumeInformationA: every drive of the machine is a volume whose names
// keep their case and compare without it.
#include <sys/stat.h>

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

}  // namespace

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
