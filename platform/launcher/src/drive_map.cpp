// Drive mapping texts, one value of "App:Drive Mappings":
//   <flags as one hex digit><drive or nothing>=<path>
// for example "4G:=\\SERVER\SYS\APPS" (G: mapped as a root) or
// "8=\\SERVER\VOL1" (the next free drive). The flag digit holds the four
// drive mapping flags; the drive is a letter and a colon, or empty.
#include <cctype>
#include <cstring>
#include <string>

#include "directory_calls.h"
#include "kmapp32.h"

using namespace vpr::launcher;

namespace {

constexpr size_t kTextSize = 260;
constexpr size_t kDriveSize = 16;
constexpr size_t kPathSize = 256;
constexpr DWORD kFlagMask = 0xF;

bool ValidDrive(const std::string& drive) {
    return drive.empty() ||
           (drive.size() == 2 && std::isalpha(static_cast<unsigned char>(drive[0])) && drive[1] == ':');
}

}  // namespace

extern "C" void kmappBuildDriveMapString(DWORD flags, LPCSTR drive, LPCSTR path, LPSTR text) {
    if (!text) return;
    text[0] = 0;
    std::string driveText = drive ? drive : "";
    std::string pathText = path ? path : "";
    // What cannot be read back is not built: the caller gets an empty text.
    if ((flags & ~kFlagMask) != 0 || !ValidDrive(driveText) || pathText.size() >= kPathSize) return;
    std::string built = "0123456789ABCDEF"[flags] + driveText + "=" + pathText;
    if (built.size() < kTextSize) CopyText(built, text, kTextSize);
}

extern "C" LONG kmappParseDriveMapString(LPCSTR text, DWORD* flags, LPSTR drive, LPSTR path) {
    if (!text || !flags || !drive || !path) return KMAPP_ERR_BAD_PARAMETER;
    std::string value = text;
    size_t equals = value.find('=');
    if (value.size() < 2 || !std::isxdigit(static_cast<unsigned char>(value[0])) ||
        equals == std::string::npos)
        return KMAPP_ERR_BAD_PARAMETER;
    std::string driveText = value.substr(1, equals - 1);
    std::string pathText = value.substr(equals + 1);
    if (!ValidDrive(driveText) || pathText.size() >= kPathSize) return KMAPP_ERR_BAD_PARAMETER;
    *flags = static_cast<DWORD>(std::stoul(value.substr(0, 1), nullptr, 16));
    CopyText(driveText, drive, kDriveSize);
    CopyText(pathText, path, kPathSize);
    return 0;
}
