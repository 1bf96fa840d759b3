// File versions from the resource container a file carries, and installation
// of a file with a version check.
//
// GetFileVersionInfoA gives the caller an in-memory block of this process
// (never stored), laid out so that VerQueryValueA can hand out pointers into
// it: a 16-byte header {"VPRV", total size, string count, translation count},
// VS_FIXEDFILEINFO, the translations as WORD pairs (language, code page),
// then per string "table key\0name\0value\0".
#include "vpr/win/version.h"
#include "split_text.h"

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "module_files.h"
#include "vpr/machine/machine.h"
#include "vpr/win/error.h"
#include "vpr/win/file.h"
#include "vpr/win/path.h"
#include "vpr/win/resource_format.h"
#include "vpr/win/system.h"

namespace vpr::win {
namespace {

constexpr char kBlockMagic[4] = {'V', 'P', 'R', 'V'};
constexpr size_t kBlockHeader = 16;
constexpr size_t kFixedOffset = kBlockHeader;
constexpr size_t kTranslationOffset = kFixedOffset + sizeof(VS_FIXEDFILEINFO);

// The version record of a file; false with a Windows error when the file
// cannot be read (ERROR_FILE_NOT_FOUND...), carries no version, with or
// without a container (ERROR_RESOURCE_DATA_NOT_FOUND), or is damaged
// (ERROR_INVALID_DATA).
bool ReadVersion(const char* fileName, VersionResource* version, DWORD* error) {
    std::string host;
    if (fileName == nullptr || !ResolveHostPath(fileName, &host)) {
        *error = ERROR_FILE_NOT_FOUND;
        return false;
    }
    std::vector<uint8_t> bytes;
    if (!ReadModuleContainer(host, &bytes, error)) return false;
    std::vector<ResourceEntry> entries;
    if (!DecodeContainer(bytes.data(), bytes.size(), &entries)) {
        *error = ERROR_INVALID_DATA;
        return false;
    }
    for (const ResourceEntry& e : entries) {
        if (!e.type.Matches(ResourceId::Number(kResVersion))) continue;
        if (DecodeVersion(e.data.data(), e.data.size(), version)) return true;
        *error = ERROR_INVALID_DATA;
        return false;
    }
    *error = ERROR_RESOURCE_DATA_NOT_FOUND;
    return false;
}

DWORD High(const std::array<uint16_t, 4>& v) { return (DWORD{v[0]} << 16) | v[1]; }
DWORD Low(const std::array<uint16_t, 4>& v) { return (DWORD{v[2]} << 16) | v[3]; }
uint64_t Version64(const std::array<uint16_t, 4>& v) {
    return (uint64_t{High(v)} << 32) | Low(v);
}

// Language and code page of a string table key "040904E4".
bool ParseTableKey(const std::string& key, WORD* language, WORD* codePage) {
    if (key.size() != 8) return false;
    char* end = nullptr;
    unsigned long value = std::strtoul(key.c_str(), &end, 16);
    if (*end != '\0') return false;
    *language = static_cast<WORD>(value >> 16);
    *codePage = static_cast<WORD>(value & 0xFFFF);
    return true;
}

std::vector<uint8_t> BuildBlock(const VersionResource& v) {
    VS_FIXEDFILEINFO fixed{};
    fixed.dwSignature = VS_FFI_SIGNATURE;
    fixed.dwStrucVersion = 0x00010000;
    fixed.dwFileVersionMS = High(v.fileVersion);
    fixed.dwFileVersionLS = Low(v.fileVersion);
    fixed.dwProductVersionMS = High(v.productVersion);
    fixed.dwProductVersionLS = Low(v.productVersion);
    fixed.dwFileFlagsMask = 0x3F;
    fixed.dwFileFlags = v.fileFlags;
    fixed.dwFileOS = v.fileOs;
    fixed.dwFileType = v.fileType;
    fixed.dwFileSubtype = v.fileSubtype;

    std::vector<WORD> translations;
    std::string strings;
    uint32_t stringCount = 0;
    for (const VersionStringTable& t : v.tables) {
        WORD language = 0, codePage = 0;
        if (ParseTableKey(t.key, &language, &codePage)) {
            translations.push_back(language);
            translations.push_back(codePage);
        }
        for (const auto& [name, value] : t.values) {
            strings += t.key + '\0' + name + '\0' + value + '\0';
            ++stringCount;
        }
    }
    size_t translationBytes = translations.size() * sizeof(WORD);
    std::vector<uint8_t> block(kTranslationOffset + translationBytes + strings.size());
    uint32_t header[3] = {static_cast<uint32_t>(block.size()), stringCount,
                          static_cast<uint32_t>(translations.size() / 2)};
    std::memcpy(block.data(), kBlockMagic, 4);
    std::memcpy(block.data() + 4, header, sizeof header);
    std::memcpy(block.data() + kFixedOffset, &fixed, sizeof fixed);
    if (translationBytes) std::memcpy(block.data() + kTranslationOffset, translations.data(), translationBytes);
    std::memcpy(block.data() + kTranslationOffset + translationBytes, strings.data(), strings.size());
    return block;
}

bool Same(const std::string& a, const char* b) { return ::strcasecmp(a.c_str(), b) == 0; }

// Joins a folder and a file name with the separator the folder already uses.
std::string JoinPath(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    char last = folder.back();
    if (last == '\\' || last == '/') return folder + name;
    bool hostForm = folder.find('/') != std::string::npos && folder.find('\\') == std::string::npos;
    return folder + (hostForm ? "/" : "\\") + name;
}

bool Exists(const std::string& windowsPath, std::string* host = nullptr) {
    std::string h;
    struct stat st {};
    if (!ResolveHostPath(windowsPath.c_str(), &h) || ::stat(h.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    if (host) *host = h;
    return true;
}

// True when some process of this host has the file mapped (a loaded module),
// or this process holds it as a module: the file is busy, as a loaded
// library is on Windows.
bool FileInUse(const std::string& host) {
    if (IsModuleFileLoaded(host)) return true;
    struct stat st {};
    if (::stat(host.c_str(), &st) != 0) return false;
    DIR* proc = ::opendir("/proc");
    if (!proc) return false;
    bool inUse = false;
    while (!inUse) {
        dirent* entry = ::readdir(proc);
        if (!entry) break;
        if (entry->d_name[0] < '0' || entry->d_name[0] > '9') continue;
        std::ifstream maps(std::string("/proc/") + entry->d_name + "/maps");
        std::string line;
        while (!inUse && std::getline(maps, line)) {
            unsigned major = 0, minor = 0;
            unsigned long long inode = 0;
            // address perms offset dev inode [path]
            if (std::sscanf(line.c_str(), "%*s %*s %*s %x:%x %llu", &major, &minor, &inode) == 3 &&
                inode == st.st_ino && makedev(major, minor) == st.st_dev)
                inUse = true;
        }
    }
    ::closedir(proc);
    return inUse;
}

// Copies bytes from one host file to a new file; returns VIF_* bits of the failure.
DWORD CopyToNewFile(const std::string& from, const std::string& to) {
    int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return VIF_CANNOTREADSRC;
    int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (out < 0) {
        int err = errno;
        ::close(in);
        return err == EACCES || err == EPERM || err == EROFS ? VIF_ACCESSVIOLATION | VIF_CANNOTCREATE
                                                             : VIF_CANNOTCREATE;
    }
    DWORD result = 0;
    char buffer[64 * 1024];
    for (;;) {
        ssize_t n = ::read(in, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            result = VIF_CANNOTREADSRC;
            break;
        }
        if (n == 0) break;
        for (ssize_t done = 0; done < n;) {
            ssize_t w = ::write(out, buffer + done, static_cast<size_t>(n - done));
            if (w < 0 && errno == EINTR) continue;
            if (w < 0) {
                result = errno == ENOSPC || errno == EDQUOT ? VIF_OUTOFSPACE : VIF_CANNOTCREATE;
                break;
            }
            done += w;
        }
        if (result) break;
    }
    ::close(in);
    if (::close(out) != 0 && !result) result = VIF_OUTOFSPACE;
    if (result) ::unlink(to.c_str());
    return result;
}

// Gives back a text in a caller's buffer of *size bytes; false when it does
// not fit (then what fits is given). *size becomes the length needed.
bool GiveText(const std::string& text, LPSTR buffer, PUINT size) {
    if (size == nullptr) return false;
    UINT room = *size;
    *size = static_cast<UINT>(text.size() + 1);
    if (buffer == nullptr || room == 0) return false;
    size_t n = std::min<size_t>(text.size(), room - 1);
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
    return n == text.size();
}

std::string Text(LPCSTR s) { return s ? std::string(s) : std::string(); }

}  // namespace
}  // namespace vpr::win

using namespace vpr::win;

extern "C" DWORD WINAPI GetFileVersionInfoSizeA(LPCSTR lptstrFilename, LPDWORD lpdwHandle) {
    if (lpdwHandle) *lpdwHandle = 0;
    VersionResource version;
    DWORD error = ERROR_SUCCESS;
    if (!ReadVersion(lptstrFilename, &version, &error)) {
        SetLastError(error);
        return 0;
    }
    return static_cast<DWORD>(BuildBlock(version).size());
}

extern "C" BOOL WINAPI GetFileVersionInfoA(LPCSTR lptstrFilename, DWORD, DWORD dwLen, LPVOID lpData) {
    if (lpData == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    VersionResource version;
    DWORD error = ERROR_SUCCESS;
    if (!ReadVersion(lptstrFilename, &version, &error)) {
        SetLastError(error);
        return FALSE;
    }
    std::vector<uint8_t> block = BuildBlock(version);
    // A cut block would let VerQueryValueA read past the caller's buffer.
    if (dwLen < block.size()) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    std::memcpy(lpData, block.data(), block.size());
    return TRUE;
}

// A path names the fixed information (a lone backslash), a value
// (StringFileInfo\040904E4\CompanyName, VarFileInfo\Translation) or a block on
// the way to values (StringFileInfo, StringFileInfo\040904E4, VarFileInfo),
// which is found with length 0. A failed query keeps the caller's pointer and
// sets the length to 0.
extern "C" BOOL WINAPI VerQueryValueA(LPCVOID pBlock, LPCSTR lpSubBlock, LPVOID* lplpBuffer, PUINT puLen) {
    if (puLen) *puLen = 0;
    auto block = static_cast<const uint8_t*>(pBlock);
    if (block == nullptr || lpSubBlock == nullptr || lplpBuffer == nullptr ||
        std::memcmp(block, kBlockMagic, 4) != 0)
        return FALSE;
    uint32_t header[3];
    std::memcpy(header, block + 4, sizeof header);
    const uint32_t size = header[0], stringCount = header[1], translationCount = header[2];
    std::vector<std::string> parts = SplitNonEmpty(lpSubBlock, '\\');
    auto give = [&](const void* p, size_t length) {
        *lplpBuffer = const_cast<void*>(p);
        if (puLen) *puLen = static_cast<UINT>(length);
        return TRUE;
    };
    if (parts.empty()) return give(block + kFixedOffset, sizeof(VS_FIXEDFILEINFO));
    const uint8_t* translations = block + kTranslationOffset;
    if (Same(parts[0], "VarFileInfo")) {
        if (translationCount == 0 || parts.size() > 2) return FALSE;
        if (parts.size() == 1) return give(translations, 0);
        if (!Same(parts[1], "Translation")) return FALSE;
        return give(translations, translationCount * 2 * sizeof(WORD));
    }
    if (!Same(parts[0], "StringFileInfo") || parts.size() > 3) return FALSE;
    const char* p = reinterpret_cast<const char*>(translations + translationCount * 2 * sizeof(WORD));
    const char* end = reinterpret_cast<const char*>(block + size);
    if (parts.size() == 1) return stringCount ? give(p, 0) : FALSE;
    for (uint32_t i = 0; i < stringCount && p < end; ++i) {
        const char* key = p;
        const char* name = key + std::strlen(key) + 1;
        const char* value = name + std::strlen(name) + 1;
        p = value + std::strlen(value) + 1;
        if (!Same(parts[1], key)) continue;
        if (parts.size() == 2) return give(key, 0);  // the table's first string
        if (Same(parts[2], name)) return give(value, std::strlen(value) + 1);
    }
    return FALSE;
}

// The recommended destination is the system folder for a shared file and the
// application folder for any other. The current copy is the one in that
// destination, else the first found in the Windows, system, application and
// current folders; VFF_CURNEDEST tells that its folder ("" when there is no
// copy) is not the destination.
extern "C" DWORD WINAPI VerFindFileA(DWORD uFlags, LPCSTR szFileName, LPCSTR szWinDir, LPCSTR szAppDir,
                                     LPSTR szCurDir, PUINT puCurDirLen, LPSTR szDestDir,
                                     PUINT puDestDirLen) {
    std::string name = Text(szFileName), windows = Text(szWinDir), app = Text(szAppDir);
    char buffer[MAX_PATH];
    if (windows.empty() && GetWindowsDirectoryA(buffer, sizeof buffer) < sizeof buffer) windows = buffer;
    std::string system;
    if (auto machine = vpr::machine::CurrentMachine())
        system = machine->SystemDirectory();
    else
        system = JoinPath(windows, "SYSTEM");
    std::string currentDirectory;
    if (GetCurrentDirectoryA(sizeof buffer, buffer) < sizeof buffer) currentDirectory = buffer;

    std::string dest = (uFlags & VFFF_ISSHAREDFILE) ? system : app;
    std::string current, currentHost;
    if (!name.empty()) {
        for (const std::string& folder : {dest, windows, system, app, currentDirectory}) {
            if (!folder.empty() && Exists(JoinPath(folder, name), &currentHost)) {
                current = folder;
                break;
            }
        }
    }
    DWORD result = 0;
    std::string currentFull, destFull;
    bool same = current.empty() || dest.empty()
                    ? current.empty() && dest.empty()
                    : FullWindowsPath(current.c_str(), &currentFull) && FullWindowsPath(dest.c_str(), &destFull) &&
                          SameFileName(currentFull, destFull);
    if (!same) result |= VFF_CURNEDEST;
    if (!current.empty() && FileInUse(currentHost)) result |= VFF_FILEINUSE;
    if (!GiveText(current, szCurDir, puCurDirLen)) result |= VFF_BUFFTOOSMALL;
    if (!GiveText(dest, szDestDir, puDestDirLen)) result |= VFF_BUFFTOOSMALL;
    return result;
}

extern "C" DWORD WINAPI VerInstallFileA(DWORD uFlags, LPCSTR szSrcFileName, LPCSTR szDestFileName,
                                        LPCSTR szSrcDir, LPCSTR szDestDir, LPCSTR szCurDir,
                                        LPSTR szTmpFile, PUINT puTmpFileLen) {
    std::string destDir = Text(szDestDir);
    std::string source = JoinPath(Text(szSrcDir), Text(szSrcFileName));
    std::string dest = JoinPath(destDir, Text(szDestFileName));
    // The copy in place now: in the current folder when one is named.
    std::string curDir = Text(szCurDir).empty() ? destDir : Text(szCurDir);
    std::string current = JoinPath(curDir, Text(szDestFileName));

    std::string sourceHost, destFolderHost, destHost, currentHost;
    if (!Exists(source, &sourceHost)) return VIF_CANNOTREADSRC;
    if (!ResolveHostPath(destDir.c_str(), &destFolderHost) || !ResolveHostPath(dest.c_str(), &destHost))
        return VIF_CANNOTCREATE;
    bool hasCurrent = Exists(current, &currentHost);

    // 1. The source goes to a temporary file in the destination folder first.
    std::string tempName, tempHost;
    for (unsigned n = 1; n < 0x10000; ++n) {
        char name[16];
        std::snprintf(name, sizeof name, "VER%04X.TMP", n);
        std::string candidate = JoinPath(destFolderHost, name);
        struct stat st {};
        if (::lstat(candidate.c_str(), &st) == 0) continue;
        DWORD copy = CopyToNewFile(sourceHost, candidate);
        if (copy != 0) return copy;
        tempName = name;
        tempHost = candidate;
        break;
    }
    if (tempHost.empty()) return VIF_CANNOTCREATE;
    auto keepTemp = [&](DWORD reason) {
        if (!GiveText(tempName, szTmpFile, puTmpFileLen)) reason |= VIF_BUFFTOOSMALL;
        return reason | VIF_TEMPFILE;
    };

    // 2. Unless forced, an older source does not replace a newer copy.
    if (hasCurrent && !(uFlags & VIFF_FORCEINSTALL)) {
        VersionResource src, cur;
        DWORD error = ERROR_SUCCESS;
        if (ReadVersion(sourceHost.c_str(), &src, &error) && ReadVersion(currentHost.c_str(), &cur, &error) &&
            Version64(src.fileVersion) < Version64(cur.fileVersion))
            return keepTemp(VIF_MISMATCH | VIF_SRCOLD);
    }

    // 3. A copy in use or write-protected cannot be replaced now.
    struct stat st {};
    bool destExists = ::stat(destHost.c_str(), &st) == 0;
    if ((destExists && FileInUse(destHost)) || (hasCurrent && FileInUse(currentHost)))
        return keepTemp(VIF_FILEINUSE);
    if (destExists && !(st.st_mode & S_IWUSR)) return keepTemp(VIF_WRITEPROT);

    // 4. The temporary file takes the destination's place in one step.
    if (::rename(tempHost.c_str(), destHost.c_str()) != 0) return keepTemp(VIF_CANNOTRENAME);
    if (szTmpFile && puTmpFileLen && *puTmpFileLen) szTmpFile[0] = '\0';
    DWORD result = 0;
    if (hasCurrent && currentHost != destHost && !(uFlags & VIFF_DONTDELETEOLD) &&
        ::unlink(currentHost.c_str()) != 0)
        result |= VIF_CANNOTDELETECUR;
    return result;
}
