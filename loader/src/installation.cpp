#include "installation.h"

#include <cstring>
#include <vector>

#include "loader_main.h"
#include "loader_resource.h"
#include "uninstall.h"
#include "vpr/locale/locale.h"
#include "vpr/machine/atomic_file.h"
#include "vpr/win/path.h"

const char kExtensionClsidText[] = "{5B2D7E10-4C3A-11d0-9E61-00A0C9D4F27B}";
const CLSID kExtensionClsid = {0x5B2D7E10, 0x4C3A, 0x11d0, {0x9E, 0x61, 0x00, 0xA0, 0xC9, 0xD4, 0xF2, 0x7B}};
const char kTargetPathKey[] = "Network\\Veltrix\\System Config\\Install\\Target Path";
const char kTargetPathFullName[] = "HKEY_LOCAL_MACHINE\\Network\\Veltrix\\System Config\\Install\\Target Path";

namespace {

// Files of this run that could neither be copied nor scheduled.
int g_unableToCopy = 0;

std::string WindowsDirectory() {
    char buffer[MAX_PATH] = "";
    UINT length = GetWindowsDirectoryA(buffer, sizeof buffer);
    return length && length < sizeof buffer ? buffer : "";
}

std::string SystemDirectory() {
    char buffer[MAX_PATH] = "";
    UINT length = GetSystemDirectoryA(buffer, sizeof buffer);
    return length && length < sizeof buffer ? buffer : "";
}

std::string Join(const std::string& dir, const std::string& name) { return dir + "\\" + name; }

// The fixed part of a file's version record; false when it has none.
bool ReadFixedFileInfo(const std::string& path, VS_FIXEDFILEINFO* info) {
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
    if (size == 0) return false;
    std::vector<BYTE> block(size);
    if (!GetFileVersionInfoA(path.c_str(), handle, size, block.data())) return false;
    void* fixed = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block.data(), "\\", &fixed, &length) || length < sizeof(VS_FIXEDFILEINFO)) return false;
    std::memcpy(info, fixed, sizeof *info);
    return true;
}

uint64_t FileVersion64(const VS_FIXEDFILEINFO& info) {
    return (static_cast<uint64_t>(info.dwFileVersionMS) << 32) | info.dwFileVersionLS;
}

uint64_t ProductVersion64(const VS_FIXEDFILEINFO& info) {
    return (static_cast<uint64_t>(info.dwProductVersionMS) << 32) | info.dwProductVersionLS;
}

// One key with an optional string value; a key that cannot be created is
// skipped.
void WriteKey(HKEY root, const std::string& key, const char* valueName, DWORD type, const void* data, DWORD size) {
    HKEY handle = nullptr;
    DWORD disposition = 0;
    if (RegCreateKeyExA(root, key.c_str(), 0, const_cast<LPSTR>(""), REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                        nullptr, &handle, &disposition) != ERROR_SUCCESS)
        return;
    if (data) RegSetValueExA(handle, valueName, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(handle);
}

void WriteString(HKEY root, const std::string& key, const char* valueName, const std::string& text) {
    WriteKey(root, key, valueName, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
}

// Starts of the lines of a text: offsets just after each '\n' (and 0).
// Line feeds and carriage returns are never trail bytes of a character, so
// every line start is a character start in any code page.
std::vector<size_t> LineStarts(const std::string& text) {
    std::vector<size_t> starts{0};
    for (size_t i = 0; i < text.size(); ++i)
        if (text[i] == '\n' && i + 1 < text.size()) starts.push_back(i + 1);
    return starts;
}

// The line at `start` without its line end.
std::string LineAt(const std::string& text, size_t start) {
    size_t end = text.find('\n', start);
    std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

bool IsSectionLine(const std::string& line) { return !line.empty() && line[0] == '['; }

bool IsBlank(const std::string& line) { return line.find_first_not_of(" \t") == std::string::npos; }

bool IsRenameHeader(std::string line) {
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t' || line.back() == '\r')) line.pop_back();
    return line.find('\0') == std::string::npos && KMLstricmp(line.c_str(), "[rename]") == 0;
}

bool ReadWholeFile(const std::string& path, std::string* text) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;
    text->clear();
    char buffer[4096];
    DWORD read = 0;
    bool ok = true;
    while ((ok = ReadFile(file, buffer, sizeof buffer, &read, nullptr) != FALSE) && read > 0) text->append(buffer, read);
    CloseHandle(file);
    return ok;
}

}  // namespace

bool GetInstallTargetDir(std::string* dir) {
    dir->clear();
    if (PlatformId == VER_PLATFORM_WIN32_NT) {
        *dir = SystemDirectory();
        return !dir->empty();
    }
    char buffer[MAX_PATH] = "";
    LONG size = sizeof buffer;
    if (RegQueryValueA(HKEY_LOCAL_MACHINE, kTargetPathKey, buffer, &size) != ERROR_SUCCESS) return false;
    buffer[sizeof buffer - 1] = '\0';
    *dir = buffer;
    return !dir->empty();
}

void RegisterShellExtension(const std::string& target) {
    const std::string clsidKey = std::string("CLSID\\") + kExtensionClsidText;
    const std::string name = LoadText(IDS_EXTENSION_NAME);
    const std::string module = target + "\\VprExp32.dll";
    WriteString(HKEY_CLASSES_ROOT, clsidKey, nullptr, name);
    WriteString(HKEY_CLASSES_ROOT, clsidKey + "\\DefaultIcon", nullptr, module + ", 0");
    WriteString(HKEY_CLASSES_ROOT, clsidKey + "\\InProcServer32", nullptr, module);
    WriteString(HKEY_CLASSES_ROOT, clsidKey + "\\InProcServer32", "ThreadingModel", "Apartment");
    const BYTE attributes[4] = {0x40, 0x01, 0x00, 0xA0};  // 0xA0000140, little-endian
    WriteKey(HKEY_CLASSES_ROOT, clsidKey + "\\ShellFolder", "Attributes", REG_BINARY, attributes, sizeof attributes);
    WriteKey(HKEY_CLASSES_ROOT, clsidKey + "\\shellex\\PropertySheetHandlers\\" + kExtensionClsidText, nullptr, 0,
             nullptr, 0);
    WriteString(HKEY_LOCAL_MACHINE,
                std::string("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Desktop\\NameSpace\\") +
                    kExtensionClsidText,
                nullptr, name);
}

bool CreateDirectoryPath(const std::string& dir) {
    if (dir.empty()) return false;
    DWORD attributes = GetFileAttributesA(dir.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    std::string copy = dir;
    char* slash = KMLstrrchr(copy.data(), '\\');
    if (slash && slash != copy.data() && slash[-1] != ':') {
        std::string parent = copy.substr(0, static_cast<size_t>(slash - copy.data()));
        if (!CreateDirectoryPath(parent)) return false;
    }
    return CreateDirectoryA(dir.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

bool InstallFile(const std::string& destDir, const std::string& name, const std::string& sourceDir) {
    const std::string source = sourceDir.empty() ? LoaderDirectory() : sourceDir;
    const std::string windows = WindowsDirectory();
    char current[MAX_PATH] = "", dest[MAX_PATH] = "";
    UINT currentLength = sizeof current, destLength = sizeof dest;
    VerFindFileA(0, name.c_str(), windows.c_str(), destDir.c_str(), current, &currentLength, dest, &destLength);

    VS_FIXEDFILEINFO sourceInfo{}, destInfo{};
    if (ReadFixedFileInfo(Join(source, name), &sourceInfo) && ReadFixedFileInfo(Join(destDir, name), &destInfo) &&
        FileVersion64(sourceInfo) == FileVersion64(destInfo) &&
        ProductVersion64(sourceInfo) == ProductVersion64(destInfo)) {
        AddStatusMessage(IDS_FILE_CURRENT, name.c_str());
        return false;
    }

    CreateDirectoryPath(destDir);
    SetFileAttributesA(Join(destDir, name).c_str(), FILE_ATTRIBUTE_NORMAL);
    char temporary[MAX_PATH] = "";
    UINT temporaryLength = sizeof temporary;
    DWORD result = VerInstallFileA(VIFF_DONTDELETEOLD, name.c_str(), name.c_str(), source.c_str(), destDir.c_str(),
                                   destDir.c_str(), temporary, &temporaryLength);
    // The installer's own copy is of no use once it did not take the file's
    // place: a file in use gets a copy of ours, scheduled below.
    if ((result & VIF_TEMPFILE) && temporary[0]) DeleteFileA(Join(destDir, temporary).c_str());
    if (result == 0) {
        AddStatusMessage(IDS_FILE_COPIED, name.c_str());
        return IsExtensionRunning();
    }
    if (result & VIF_SRCOLD) return false;
    return ScheduleFileReplace(name, source, destDir);
}

bool ScheduleFileReplace(const std::string& name, const std::string& sourceDir, const std::string& destDir) {
    char temporary[MAX_PATH] = "";
    if (GetTempFileNameA(destDir.c_str(), name.c_str(), 0, temporary) == 0) {
        ++g_unableToCopy;
        AddStatusMessage(IDS_UNABLE_TO_COPY, name.c_str());
        return false;
    }
    bool scheduled = false;
    if (CopyFileA(Join(sourceDir, name).c_str(), temporary, FALSE)) {
        const std::string existing = Join(destDir, name);
        if (PlatformId == VER_PLATFORM_WIN32_NT)
            scheduled = MoveFileExA(existing.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) &&
                        MoveFileExA(temporary, existing.c_str(), MOVEFILE_DELAY_UNTIL_REBOOT);
        else
            scheduled = AddWininitRename("NUL", existing) && AddWininitRename(existing, temporary);
    }
    if (!scheduled) {
        DeleteFileA(temporary);
        ++g_unableToCopy;
        AddStatusMessage(IDS_UNABLE_TO_COPY, name.c_str());
        return false;
    }
    AddStatusMessage(IDS_FILE_SCHEDULED, name.c_str());
    return true;
}

std::string AddWininitRenameText(const std::string& text, const std::string& to, const std::string& from) {
    const std::string line = to + "=" + from + "\r\n";
    if (text.empty()) return "[rename]\r\n" + line;
    const std::vector<size_t> starts = LineStarts(text);
    size_t header = starts.size();
    for (size_t i = 0; i < starts.size() && header == starts.size(); ++i)
        if (IsRenameHeader(LineAt(text, starts[i]))) header = i;
    // A last line without its end gets one ("\n" after a lone "\r").
    const std::string lineEnd = text.back() == '\n' ? "" : text.back() == '\r' ? "\n" : "\r\n";
    if (header == starts.size()) return text + lineEnd + "[rename]\r\n" + line;
    std::string result = text;
    // The section runs to the next section line; the new line goes after
    // its last line that is not blank, so blank lines that end it stay
    // after the new line.
    size_t last = header;
    for (size_t i = header + 1; i < starts.size(); ++i) {
        const std::string current = LineAt(text, starts[i]);
        if (IsSectionLine(current)) break;
        if (!IsBlank(current)) last = i;
    }
    if (last + 1 < starts.size()) {
        result.insert(starts[last + 1], line);
        return result;
    }
    return result + lineEnd + line;
}

bool AddWininitRename(const std::string& to, const std::string& from) {
    const std::string path = WindowsDirectory() + "\\WININIT.INI";
    std::string host;
    if (!vpr::win::ResolveHostPath(path.c_str(), &host)) return false;
    std::string text;
    if (!ReadWholeFile(path, &text)) return false;
    return vpr::machine::WriteFileAtomically(host, AddWininitRenameText(text, to, from), nullptr);
}

std::string GetRelativeSubPath(const std::string& dir) {
    const std::string& loader = LoaderDirectory();
    for (const std::string& base : {loader, ParentDirectory(loader)}) {
        if (base.empty() || dir.size() <= base.size() + 1 || dir[base.size()] != '\\') continue;
        if (KMLstricmp(dir.substr(0, base.size()).c_str(), base.c_str()) == 0) return dir.substr(base.size() + 1);
    }
    return "";
}

bool InstallAndRegister(const std::string& target, bool* failed) {
    RegisterShellExtension(target);
    g_unableToCopy = 0;
    bool restart = false;
    restart |= InstallFile(target, "KMApp32.dll");
    restart |= InstallFile(target, "VprExp32.dll");
    if (PlatformId == VER_PLATFORM_WIN32_WINDOWS && FileBesideLoader("Shell32.dll"))
        restart |= InstallFile(SystemDirectory(), "Shell32.dll");
    struct Found {
        const char* name;
        bool restart;
    };
    for (const Found& file : {Found{"VprExpRs.dll", true}, Found{"VprExp32.hlp", false}, Found{"VprExp32.cnt", false}}) {
        std::string path;
        if (!FindResourceFile(file.name, &path)) continue;
        std::string dir = path.substr(0, path.size() - std::strlen(file.name) - 1);
        std::string sub = GetRelativeSubPath(dir);
        bool needed = InstallFile(sub.empty() ? target : target + "\\" + sub, file.name, dir);
        if (file.restart) restart |= needed;
    }
    *failed = g_unableToCopy > 0;
    return restart;
}
