// System facts read from the machine.
#include "vpr/win/system.h"

#include <strings.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "vpr/machine/code_page.h"
#include "vpr/machine/machine.h"
#include "vpr/win/error.h"

extern char** environ;

namespace {

using vpr::machine::Machine;
using vpr::machine::Platform;

std::shared_ptr<const Machine> Facts() {
    if (auto m = vpr::machine::CurrentMachine()) return m;
    static const auto* defaults = new std::shared_ptr<const Machine>(std::make_shared<Machine>());
    return *defaults;
}

// Copies with the terminator; the length, or the size needed when it does not fit.
UINT CopyOut(const std::string& text, LPSTR buffer, UINT size) {
    if (buffer == nullptr || size < text.size() + 1) return static_cast<UINT>(text.size() + 1);
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return static_cast<UINT>(text.size());
}

}  // namespace

extern "C" DWORD WINAPI GetVersion(void) {
    auto m = Facts();
    DWORD version = static_cast<DWORD>(m->majorVersion & 0xFF) | static_cast<DWORD>(m->minorVersion & 0xFF) << 8;
    if (m->platform == Platform::Win95) return 0xC0000000u | version;
    return static_cast<DWORD>(m->buildNumber & 0x7FFF) << 16 | version;
}

extern "C" BOOL WINAPI GetVersionExA(LPOSVERSIONINFOA info) {
    if (info == nullptr || info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    auto m = Facts();
    info->dwMajorVersion = static_cast<DWORD>(m->majorVersion);
    info->dwMinorVersion = static_cast<DWORD>(m->minorVersion);
    bool nt = m->platform == Platform::NT4;
    info->dwPlatformId = nt ? VER_PLATFORM_WIN32_NT : VER_PLATFORM_WIN32_WINDOWS;
    // Windows 95 keeps the version in the high word of the build number.
    info->dwBuildNumber = static_cast<DWORD>(m->buildNumber & 0xFFFF) |
                          (nt ? 0 : (static_cast<DWORD>(m->majorVersion) << 24 | static_cast<DWORD>(m->minorVersion) << 16));
    std::memset(info->szCSDVersion, 0, sizeof info->szCSDVersion);
    std::strncpy(info->szCSDVersion, m->servicePack.c_str(), sizeof info->szCSDVersion - 1);
    return TRUE;
}

extern "C" int WINAPI GetSystemMetrics(int nIndex) {
    auto m = Facts();
    switch (nIndex) {
        case SM_CXSCREEN: return m->screen.width;
        case SM_CYSCREEN: return m->screen.height;
        case SM_CXICON:
        case SM_CYICON: return m->screen.icon;
        case SM_CXSMICON:
        case SM_CYSMICON: return m->screen.smallIcon;
        case SM_CXMENUCHECK:
        case SM_CYMENUCHECK: return m->screen.menuCheck;
        case SM_CLEANBOOT: return m->safeMode ? 1 : 0;
        default: return 0;
    }
}

extern "C" UINT WINAPI GetWindowsDirectoryA(LPSTR lpBuffer, UINT uSize) {
    return CopyOut(Facts()->windowsDirectory, lpBuffer, uSize);
}

extern "C" UINT WINAPI GetSystemDirectoryA(LPSTR lpBuffer, UINT uSize) {
    return CopyOut(Facts()->SystemDirectory(), lpBuffer, uSize);
}

extern "C" BOOL WINAPI GetComputerNameA(LPSTR lpBuffer, LPDWORD nSize) {
    if (nSize == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const std::string& name = Facts()->computerName;
    if (lpBuffer == nullptr || *nSize < name.size() + 1) {
        *nSize = static_cast<DWORD>(name.size() + 1);
        SetLastError(ERROR_BUFFER_OVERFLOW);
        return FALSE;
    }
    std::memcpy(lpBuffer, name.c_str(), name.size() + 1);
    *nSize = static_cast<DWORD>(name.size());
    return TRUE;
}

extern "C" BOOL WINAPI GetUserNameA(LPSTR lpBuffer, LPDWORD pcbBuffer) {
    if (pcbBuffer == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const std::string& name = Facts()->userName;
    DWORD needed = static_cast<DWORD>(name.size() + 1);
    bool fits = lpBuffer != nullptr && *pcbBuffer >= needed;
    *pcbBuffer = needed;
    if (!fits) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    std::memcpy(lpBuffer, name.c_str(), needed);
    return TRUE;
}

extern "C" DWORD WINAPI GetEnvironmentVariableA(LPCSTR lpName, LPSTR lpBuffer, DWORD nSize) {
    if (lpName == nullptr || *lpName == '\0') {
        SetLastError(ERROR_ENVVAR_NOT_FOUND);
        return 0;
    }
    const char* value = std::getenv(lpName);
    if (value == nullptr) {
        size_t length = std::strlen(lpName);
        for (char** entry = environ; entry && *entry; ++entry) {
            if (::strncasecmp(*entry, lpName, length) == 0 && (*entry)[length] == '=') {
                value = *entry + length + 1;
                break;
            }
        }
    }
    if (value == nullptr) {
        SetLastError(ERROR_ENVVAR_NOT_FOUND);
        return 0;
    }
    return CopyOut(value, lpBuffer, nSize);
}

extern "C" BOOL WINAPI IsDBCSLeadByteEx(UINT CodePage, BYTE TestChar) {
    unsigned codePage = CodePage <= 1 ? Facts()->codePage : CodePage;  // CP_ACP, CP_OEMCP
    if (!vpr::machine::IsSupportedCodePage(codePage)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return vpr::machine::IsLeadByte(TestChar, codePage) ? TRUE : FALSE;
}

extern "C" BOOL WINAPI IsDBCSLeadByte(BYTE TestChar) { return IsDBCSLeadByteEx(0, TestChar); }
