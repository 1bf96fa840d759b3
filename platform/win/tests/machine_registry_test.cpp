// The registry and ini files on a machine: the seed of a new machine, the
// machine user's HKEY_CURRENT_USER, ini files named without a folder.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "vpr/testing/temp_machine.h"
#include "windows.h"

namespace {

std::string ReadString(HKEY root, const char* path, const char* name) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return "(no key)";
    char buffer[MAX_PATH] = {};
    DWORD size = sizeof buffer, type = 0;
    LONG result = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS) return "(no value)";
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(size, std::strlen(buffer) + 1);
    return buffer;
}

bool KeyExists(HKEY root, const char* path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

TEST(MachineRegistryTest, NewMachineHoldsTheSeed) {
    for (auto platform : {vpr::machine::Platform::Win95, vpr::machine::Platform::NT4}) {
        vpr::testing::TempMachine machine(platform, "alice");
        auto m = machine.machine();
        EXPECT_EQ(vpr::win::RegistryFile(), m->RegistryFile());
        const char* folders = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
        EXPECT_EQ(ReadString(HKEY_CURRENT_USER, folders, "Desktop"), m->DesktopDirectory());
        EXPECT_EQ(ReadString(HKEY_CURRENT_USER, folders, "Start Menu"), m->StartMenuDirectory());
        EXPECT_EQ(ReadString(HKEY_CURRENT_USER, folders, "Programs"), m->ProgramsDirectory());
        EXPECT_EQ(ReadString(HKEY_CURRENT_USER, folders, "Startup"), m->ProgramsDirectory() + "\\StartUp");
        EXPECT_TRUE(std::filesystem::is_directory(machine.HostPath(m->DesktopDirectory())));
        // HKEY_CURRENT_USER is the machine user's key.
        EXPECT_TRUE(KeyExists(HKEY_USERS, ("alice\\" + std::string(folders)).c_str()));

        char target[MAX_PATH];
        LONG size = sizeof target;
        ASSERT_EQ(RegQueryValueA(HKEY_LOCAL_MACHINE, "Network\\Veltrix\\System Config\\Install\\Target Path", target,
                                 &size),
                  ERROR_SUCCESS);
        EXPECT_TRUE(std::filesystem::is_directory(machine.HostPath(target))) << target;
        EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs"));
        EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE,
                              "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Desktop\\NameSpace"));
    }
}

TEST(MachineRegistryTest, BareIniNamesLieInTheWindowsFolder) {
    vpr::testing::TempMachine machine;
    auto m = machine.machine();
    EXPECT_TRUE(WritePrivateProfileStringA("Imprix Status Section", "ImprixStatus", "0x7", "imxstat.ini"));
    std::ifstream in(machine.HostPath(m->windowsDirectory + "\\imxstat.ini"), std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "[Imprix Status Section]\r\nImprixStatus=0x7\r\n");
    EXPECT_EQ(GetPrivateProfileIntA("imprix status section", "imprixstatus", 0, "IMXSTAT.INI"), 7u);

    // win.ini of the new machine, through the win.ini forms.
    char buffer[64];
    EXPECT_EQ(GetProfileStringA("windows", "load", "x", buffer, sizeof buffer), 0u);
    EXPECT_TRUE(WriteProfileStringA("windows", "load", "c:\\tools\\a.exe"));
    EXPECT_EQ(GetProfileStringA("Windows", "LOAD", "", buffer, sizeof buffer), 14u);
    EXPECT_STREQ(buffer, "c:\\tools\\a.exe");
    EXPECT_EQ(GetProfileIntA("windows", "BorderWidth", 0), 3u);
    // A full Windows path goes through the drive table.
    EXPECT_TRUE(WritePrivateProfileStringA("s", "k", "v", "C:\\Folder.ini"));
    EXPECT_TRUE(std::filesystem::exists(machine.HostPath("C:\\Folder.ini")));
}

}  // namespace
