// The scope lists: defaults, the defaults file.
#include "snapshot/engine/definitions.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "snapshot/engine/engine_settings.h"
#include "snapshot/engine/work_directory.h"
#include "text.h"
#include "vpr/locale/locale.h"
#include "windows.h"

namespace snapshot {

namespace {

constexpr DWORD kSectionBufferSize = 8192;

std::string TempDirectory() {
    char buffer[255];
    std::memset(buffer, 0, sizeof buffer);
    DWORD length = GetTempPathA(sizeof buffer, buffer);
    if (length == 0 || length >= sizeof buffer) return "";
    return WithoutTrailingBackslash(buffer);
}

bool WriteSection(const std::string& file, const char* section, const std::vector<std::string>& keys) {
    for (const auto& key : keys)
        if (!WritePrivateProfileStringA(section, key.c_str(), "", file.c_str())) return false;
    return true;
}

}  // namespace

void AddSorted(std::vector<std::string>* list, const std::string& row) {
    auto at = std::upper_bound(list->begin(), list->end(), row, [](const std::string& a, const std::string& b) {
        return KMLstricmp(a.c_str(), b.c_str()) < 0;
    });
    list->insert(at, row);
}

void SetDefaultExclusions(char bootDrive, char windowsDrive, DefinitionLists* lists) {
    const std::string boot(1, bootDrive);
    const std::string windows = Settings().windowsDirectory;
    const char w = windows.empty() ? bootDrive : windows[0];

    lists->excludeFiles.clear();
    for (const char* name : {"pagefile.sys", "user.da0", "user.dat", "*.swp", "ntuser.dat", "ntuser.dat.log",
                             "system.dat", "system.da0", "scandisk.log", "imxstat.ini"})
        AddSorted(&lists->excludeFiles, name);

    lists->textFiles.clear();
    AddSorted(&lists->textFiles, boot + ":\\autoexec.bat");
    AddSorted(&lists->textFiles, boot + ":\\config.sys");

    lists->excludeDirectories.clear();
    AddSorted(&lists->excludeDirectories, std::string(1, w) + ":\\recycled");
    if (std::toupper(static_cast<unsigned char>(bootDrive)) != std::toupper(static_cast<unsigned char>(w)))
        AddSorted(&lists->excludeDirectories, boot + ":\\recycled");
    std::string temp = TempDirectory();
    if (!temp.empty()) AddSorted(&lists->excludeDirectories, temp);
    AddSorted(&lists->excludeDirectories, windows + "\\recent");
    AddSorted(&lists->excludeDirectories, windows + "\\system32\\config");
    AddSorted(&lists->excludeDirectories, WorkDirectory(bootDrive));

    lists->drives.clear();
    AddSorted(&lists->drives, boot + ":");
    if (w != std::tolower(static_cast<unsigned char>(bootDrive)) &&
        w != std::toupper(static_cast<unsigned char>(bootDrive)))
        AddSorted(&lists->drives, std::string(1, windowsDrive) + ":");
}

bool SaveDefinitions(char drive, const DefinitionLists& lists, std::string* error) {
    std::string file = DefaultsFile(drive);
    HANDLE created = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    bool written = created != INVALID_HANDLE_VALUE;
    if (written) CloseHandle(created);
    written = written && WriteSection(file, kFilesSection, lists.excludeFiles) &&
              WriteSection(file, kDirectoriesSection, lists.excludeDirectories) &&
              WriteSection(file, kDrivesSection, lists.drives) &&
              WriteSection(file, kTextFilesSection, lists.textFiles);
    if (!written) *error = "Unable to write to " + file;
    return written;
}

std::vector<std::string> ReadSectionKeys(const std::string& iniFile, const char* section) {
    std::vector<char> buffer(kSectionBufferSize, '\0');
    DWORD length = GetPrivateProfileStringA(section, nullptr, "", buffer.data(), kSectionBufferSize, iniFile.c_str());
    std::vector<std::string> keys;
    for (DWORD at = 0; at < length && buffer[at] != '\0';) {
        std::string key(buffer.data() + at);
        at += static_cast<DWORD>(key.size()) + 1;
        keys.push_back(key);
    }
    return keys;
}

DefinitionLists LoadDefinitions(const std::string& defaultsPath) {
    DefinitionLists lists;
    lists.excludeFiles = ReadSectionKeys(defaultsPath, kFilesSection);
    lists.excludeDirectories = ReadSectionKeys(defaultsPath, kDirectoriesSection);
    lists.drives = ReadSectionKeys(defaultsPath, kDrivesSection);
    lists.textFiles = ReadSectionKeys(defaultsPath, kTextFilesSection);
    return lists;
}

}  // namespace snapshot
