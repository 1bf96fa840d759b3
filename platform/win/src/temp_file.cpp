// GetTempPathA and GetTempFileNameA.
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>

#include "file_open.h"
#include "vpr/machine/code_page.h"
#include "vpr/machine/machine.h"
#include "vpr/win/error.h"
#include "vpr/win/file.h"
#include "vpr/win/path.h"

namespace {

// Up to three bytes of the prefix, never half a character.
std::string PrefixOf(const char* prefix) {
    if (prefix == nullptr) return "";
    auto m = vpr::machine::CurrentMachine();
    unsigned codePage = m ? m->codePage : 65001;
    auto bytes = reinterpret_cast<const unsigned char*>(prefix);
    size_t used = 0;
    while (size_t n = vpr::machine::CharLength(bytes + used, codePage)) {
        if (used + n > 3) break;
        used += n;
    }
    return std::string(prefix, used);
}

std::string TempFileName(const std::string& folder, const std::string& prefix, unsigned unique) {
    char tail[16];
    std::snprintf(tail, sizeof tail, "%X.TMP", unique & 0xFFFF);
    std::string name = folder;
    if (name.back() != '\\') name += '\\';
    return name + prefix + tail;
}

}  // namespace

extern "C" DWORD WINAPI GetTempPathA(DWORD nBufferLength, LPSTR lpBuffer) {
    std::string path;
    if (auto m = vpr::machine::CurrentMachine()) {
        path = m->TempDirectory();
        std::string host;
        if (vpr::win::ResolveHostPath(path.c_str(), &host)) {
            std::error_code ec;
            std::filesystem::create_directories(host, ec);
        }
    } else {
        const char* tmp = std::getenv("TMPDIR");
        path = vpr::win::WindowsPathFromHost(tmp && *tmp ? tmp : "/tmp");
    }
    if (path.back() != '\\') path += '\\';
    if (lpBuffer == nullptr || nBufferLength < path.size() + 1) return static_cast<DWORD>(path.size() + 1);
    std::memcpy(lpBuffer, path.c_str(), path.size() + 1);
    return static_cast<DWORD>(path.size());
}

extern "C" UINT WINAPI GetTempFileNameA(LPCSTR lpPathName, LPCSTR lpPrefixString, UINT uUnique,
                                        LPSTR lpTempFileName) {
    std::string folder;
    if (lpTempFileName == nullptr || !vpr::win::FullWindowsPath(lpPathName, &folder)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    DWORD attributes = GetFileAttributesA(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        SetLastError(ERROR_DIRECTORY);
        return 0;
    }
    std::string prefix = PrefixOf(lpPrefixString);
    auto finish = [&](const std::string& name, UINT unique) -> UINT {
        if (name.size() >= MAX_PATH) {
            SetLastError(ERROR_FILENAME_EXCED_RANGE);
            return 0;
        }
        std::memcpy(lpTempFileName, name.c_str(), name.size() + 1);
        SetLastError(ERROR_SUCCESS);
        return unique;
    };
    // A number given by the caller only forms the name.
    if (uUnique != 0) return finish(TempFileName(folder, prefix, uUnique), uUnique & 0xFFFF);
    // Otherwise the first free number from a varying start, made at once so
    // that no other caller takes it.
    static std::atomic<unsigned> counter{0};
    unsigned start = (static_cast<unsigned>(::getpid()) * 7919u + static_cast<unsigned>(std::time(nullptr)) +
                      counter.fetch_add(1)) & 0xFFFF;
    for (unsigned step = 0; step < 0xFFFF; ++step) {
        unsigned unique = (start + step) % 0xFFFF + 1;
        std::string name = TempFileName(folder, prefix, unique);
        uint32_t handle = vpr::win::OpenHostFile(name.c_str(), GENERIC_WRITE, 0, CREATE_NEW, 0);
        if (handle != 0) {
            _lclose(static_cast<HFILE>(handle));
            return finish(name, unique);
        }
        if (GetLastError() != ERROR_FILE_EXISTS) return 0;
    }
    SetLastError(ERROR_FILE_EXISTS);
    return 0;
}
