// fake_setup: an installer of the machine for the snapshot tool's tests and
// walk-through. It makes one change of each kind a setup program makes:
//
//   fake_setup prepare   lays down the earlier version that the install
//                        upgrades (files, values and a shared file's count)
//   fake_setup           installs: a new folder of files, a changed and a
//                        deleted file, a new ini file, a changed win.ini key,
//                        keys and values of several types (a default value
//                        too), a changed and a deleted value, SharedDLLs
//                        counts (one new, one raised), a shortcut in a
//                        folder of the Programs menu, a line added to
//                        autoexec.bat
//
// Exit 0 when every change was made, 1 otherwise (naming what failed).
#include <cstdio>
#include <cstring>
#include <string>

#include "shlobj.h"
#include "vpr/com/shell_link_file.h"
#include "windows.h"

namespace {

constexpr const char* kVendorKey = "SOFTWARE\\Fake Vendor\\Fake App";
constexpr const char* kSharedDlls = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
constexpr const char* kInstallDir = "C:\\Program Files\\Fake App";

bool g_failed = false;

void Check(bool done, const std::string& what) {
    if (done) return;
    std::fprintf(stderr, "fake_setup: cannot %s (error %lu)\n", what.c_str(),
                 static_cast<unsigned long>(GetLastError()));
    g_failed = true;
}

std::string SystemDirectory() {
    char directory[MAX_PATH] = "";
    GetSystemDirectoryA(directory, sizeof directory);
    return directory;
}

std::string WindowsDirectory() {
    char directory[MAX_PATH] = "";
    GetWindowsDirectoryA(directory, sizeof directory);
    return directory;
}

void WriteFile(const std::string& path, const std::string& content) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    bool done = file != INVALID_HANDLE_VALUE &&
                ::WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr) &&
                written == content.size();
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    Check(done, "write " + path);
}

void AppendLine(const std::string& path, const std::string& line) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    std::string bytes = line + "\r\n";
    bool done = file != INVALID_HANDLE_VALUE && SetFilePointer(file, 0, nullptr, FILE_END) != INVALID_SET_FILE_POINTER &&
                ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                written == bytes.size();
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    Check(done, "add a line to " + path);
}

void MakeDirectory(const std::string& path) {
    Check(CreateDirectoryA(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS, "make " + path);
}

void SetValue(HKEY root, const std::string& keyName, const char* name, DWORD type, const std::string& data) {
    HKEY key = nullptr;
    bool done = RegCreateKeyA(root, keyName.c_str(), &key) == ERROR_SUCCESS &&
                RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                               static_cast<DWORD>(data.size())) == ERROR_SUCCESS;
    if (key != nullptr) RegCloseKey(key);
    Check(done, "set " + keyName + "\\" + name);
}

void DeleteValue(HKEY root, const std::string& keyName, const char* name) {
    HKEY key = nullptr;
    bool done = RegOpenKeyA(root, keyName.c_str(), &key) == ERROR_SUCCESS && RegDeleteValueA(key, name) == ERROR_SUCCESS;
    if (key != nullptr) RegCloseKey(key);
    Check(done, "delete " + keyName + "\\" + name);
}

std::string Text(const std::string& text) { return std::string(text.c_str(), text.size() + 1); }

std::string Dword(uint32_t value) {
    std::string bytes;
    for (int shift = 0; shift < 32; shift += 8) bytes += static_cast<char>((value >> shift) & 0xFF);
    return bytes;
}

// The earlier version the install upgrades.
void Prepare() {
    MakeDirectory("C:\\FAKEAPP");
    WriteFile("C:\\FAKEAPP\\fake.dat", "version 1\r\n");
    WriteFile("C:\\FAKEAPP\\old.dll", "old library\r\n");
    WriteFile(SystemDirectory() + "\\fakeshr.dll", "shared library 1\r\n");
    SetValue(HKEY_LOCAL_MACHINE, kVendorKey, "Version", REG_SZ, Text("1.0"));
    SetValue(HKEY_LOCAL_MACHINE, kVendorKey, "Obsolete", REG_SZ, Text("yes"));
    SetValue(HKEY_LOCAL_MACHINE, kSharedDlls, (SystemDirectory() + "\\fakeshr.dll").c_str(), REG_DWORD, Dword(1));
}

void Install() {
    // A new folder of files.
    MakeDirectory("C:\\Program Files");
    MakeDirectory(kInstallDir);
    MakeDirectory(std::string(kInstallDir) + "\\data");
    WriteFile(std::string(kInstallDir) + "\\fakeapp.exe", "fake application\r\n");
    WriteFile(std::string(kInstallDir) + "\\readme.txt", "Fake App 2.0\r\n");
    WriteFile(std::string(kInstallDir) + "\\data\\sample.dat", "sample data\r\n");
    // A changed file and a deleted one.
    WriteFile("C:\\FAKEAPP\\fake.dat", "version 2.0\r\n");
    Check(DeleteFileA("C:\\FAKEAPP\\old.dll"), "delete C:\\FAKEAPP\\old.dll");
    // A new ini file and a changed win.ini key.
    std::string ini = WindowsDirectory() + "\\fakeapp.ini";
    Check(WritePrivateProfileStringA("Settings", "Path", kInstallDir, ini.c_str()), "write " + ini);
    Check(WritePrivateProfileStringA("Settings", "Mode", "full", ini.c_str()), "write " + ini);
    Check(WriteProfileStringA("Desktop", "Wallpaper", "fakeapp.bmp"), "write win.ini");
    // Keys and values of several types, the default value too; a changed
    // value and a deleted one.
    std::string settings = std::string(kVendorKey) + "\\Settings";
    SetValue(HKEY_LOCAL_MACHINE, settings, "", REG_SZ, Text("Fake App"));
    SetValue(HKEY_LOCAL_MACHINE, settings, "InstallDir", REG_SZ, Text(kInstallDir));
    SetValue(HKEY_LOCAL_MACHINE, settings, "Runs", REG_DWORD, Dword(0));
    SetValue(HKEY_LOCAL_MACHINE, settings, "Key", REG_BINARY, std::string("\x01\x02\x03\x04", 4));
    SetValue(HKEY_LOCAL_MACHINE, settings, "Data", REG_EXPAND_SZ, Text("%windir%\\fakeapp"));
    SetValue(HKEY_LOCAL_MACHINE, settings, "Modules", REG_MULTI_SZ, std::string("core\0extra\0\0", 12));
    SetValue(HKEY_CURRENT_USER, "Software\\Fake Vendor\\Fake App", "LastUser", REG_SZ, Text("USER"));
    SetValue(HKEY_LOCAL_MACHINE, kVendorKey, "Version", REG_SZ, Text("2.0"));
    DeleteValue(HKEY_LOCAL_MACHINE, kVendorKey, "Obsolete");
    // Shared files: a new one, and a count raised.
    std::string shared = SystemDirectory() + "\\fakecom.dll";
    WriteFile(shared, "common library\r\n");
    SetValue(HKEY_LOCAL_MACHINE, kSharedDlls, shared.c_str(), REG_DWORD, Dword(1));
    SetValue(HKEY_LOCAL_MACHINE, kSharedDlls, (SystemDirectory() + "\\fakeshr.dll").c_str(), REG_DWORD, Dword(2));
    WriteFile(SystemDirectory() + "\\fakeshr.dll", "shared library 2.0\r\n");
    // A shortcut in a folder of the Programs menu.
    char programs[MAX_PATH] = {};
    LPITEMIDLIST list = nullptr;
    Check(SHGetSpecialFolderLocation(nullptr, CSIDL_PROGRAMS, &list) == S_OK && SHGetPathFromIDListA(list, programs),
          "find the Programs menu");
    CoTaskMemFree(list);
    std::string group = std::string(programs) + "\\Fake App";
    MakeDirectory(group);
    vpr::com::ShellLink link = vpr::com::ShellLinkToPath(std::string(kInstallDir) + "\\fakeapp.exe");
    link.name = "Starts Fake App";
    link.arguments = "/start";
    link.workingDirectory = kInstallDir;
    std::string error;
    Check(vpr::com::WriteShellLinkFile(group + "\\Fake App.lnk", link, &error), "write the shortcut: " + error);
    // A line added to autoexec.bat.
    AppendLine("C:\\AUTOEXEC.BAT", "SET FAKEAPP=C:\\PROGRA~1\\FAKEAPP");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 2 || (argc == 2 && std::strcmp(argv[1], "prepare") != 0)) {
        std::fprintf(stderr, "usage: fake_setup [prepare]\n");
        return 2;
    }
    if (argc == 2) Prepare();
    else Install();
    return g_failed ? 1 : 0;
}
