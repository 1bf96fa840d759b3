#include "wizard_status.h"

#include <cstdlib>
#include <vector>

#include "snapshot/engine/definitions.h"
#include "snapshot/engine/mb_strings.h"
#include "snapshot/engine/work_directory.h"
#include "windows.h"

namespace snapshot {

namespace {

constexpr const char* kBootDriveKey = "BootDrive";

std::string ReadText(const char* section, const char* key, const char* fallback, const char* file) {
    std::vector<char> buffer(256);
    for (;;) {
        DWORD length =
            GetPrivateProfileStringA(section, key, fallback, buffer.data(), static_cast<DWORD>(buffer.size()), file);
        if (length + 1 < buffer.size()) return std::string(buffer.data(), length);
        buffer.resize(buffer.size() * 2);
    }
}

void WriteText(const char* section, const char* key, const std::string& value, const std::string& file) {
    if (!WritePrivateProfileStringA(section, key, value.c_str(), file.c_str())) throw IniWriteError(file);
}

// The first character of a value, or `fallback` for an empty one.
char FirstLetter(const std::string& value, char fallback) { return value.empty() ? fallback : value[0]; }

}  // namespace

int StatusOfPage(int page) {
    static constexpr int kStatus[kPageCount] = {1, 1, 2, 3, 4, 5, 6, 6, 6, 7, 8};
    return page >= 0 && page < kPageCount ? kStatus[page] : 1;
}

void WriteStatus(int status) { WriteText(kStatusSection, kStatusKey, std::to_string(status), kStatusFile); }

int ReadStatus() {
    std::string text = ReadText(kStatusSection, kStatusKey, "", kStatusFile);
    bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const char* digits = text.c_str() + (hex ? 2 : 0);
    if (*digits == '\0') return 0;
    char* end = nullptr;
    long value = std::strtol(digits, &end, hex ? 16 : 10);
    if (*end != '\0' || (hex && (*digits == '-' || *digits == '+'))) return 0;
    return static_cast<int>(value);
}

void WriteBootDrive(char letter) { WriteText(kStatusSection, kBootDriveKey, std::string(1, letter), kStatusFile); }

char ReadBootDrive(char fallback) {
    return FirstLetter(ReadText(kStatusSection, kBootDriveKey, "", kStatusFile), fallback);
}

void WriteResumeValues(const std::string& defaultsFile, const ResumeValues& values) {
    WriteText(kStringsSection, "DistName", values.distName, defaultsFile);
    WriteText(kStringsSection, "DistDesc", values.distDesc, defaultsFile);
    WriteText(kStringsSection, "TemplateFile", values.templateFile, defaultsFile);
    WriteText(kStringsSection, "NewFilePath", values.newFilePath, defaultsFile);
    WriteText(kStringsSection, "WindowsDrive", std::string(1, values.windowsDrive), defaultsFile);
    WriteText(kStringsSection, "BootDrive", std::string(1, values.bootDrive), defaultsFile);
}

ResumeValues ReadResumeValues(const std::string& defaultsFile, const std::string& windowsDirectory) {
    const char* file = defaultsFile.c_str();
    ResumeValues values;
    values.distName = ReadText(kStringsSection, "DistName", "", file);
    values.distDesc = ReadText(kStringsSection, "DistDesc", "", file);
    values.templateFile = ReadText(kStringsSection, "TemplateFile", "c:\\newfiles\\template.qmt", file);
    values.newFilePath = ReadText(kStringsSection, "NewFilePath", "c:\\newfiles", file);
    std::string windows(1, FirstLetter(windowsDirectory, 'C'));
    values.windowsDrive = FirstLetter(ReadText(kStringsSection, "WindowsDrive", windows.c_str(), file), windows[0]);
    values.bootDrive = FirstLetter(ReadText(kStringsSection, "BootDrive", "c", file), 'c');
    return values;
}

bool ParseCommandLine(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (MBUpperCase(argv[i]) == "/FASTSCAN") return true;
    return false;
}

}  // namespace snapshot
