#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "vpr/testing/temp_machine.h"
#include "windows.h"

using vpr::machine::Platform;
using vpr::testing::TempMachine;

namespace {

TEST(SystemFactsTest, Windows95AnswersFromItsMachine) {
    vpr::machine::CreateOptions options;
    options.userName = "alice";
    options.computerName = "DESK7";
    TempMachine machine(options);
    EXPECT_EQ(GetVersion(), 0xC0000004u);
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof info;
    ASSERT_TRUE(GetVersionExA(&info));
    EXPECT_EQ(info.dwPlatformId, static_cast<DWORD>(VER_PLATFORM_WIN32_WINDOWS));
    EXPECT_EQ(info.dwMajorVersion, 4u);
    EXPECT_EQ(info.dwMinorVersion, 0u);
    EXPECT_EQ(info.dwBuildNumber, 0x040003B6u);
    EXPECT_STREQ(info.szCSDVersion, "");
    info.dwOSVersionInfoSize = 12;
    EXPECT_FALSE(GetVersionExA(&info));

    char buffer[MAX_PATH];
    EXPECT_EQ(GetWindowsDirectoryA(buffer, sizeof buffer), 10u);
    EXPECT_STREQ(buffer, "C:\\WINDOWS");
    EXPECT_EQ(GetSystemDirectoryA(buffer, sizeof buffer), 17u);
    EXPECT_STREQ(buffer, "C:\\WINDOWS\\SYSTEM");
    char small[4] = "abc";
    EXPECT_EQ(GetSystemDirectoryA(small, sizeof small), 18u);
    EXPECT_STREQ(small, "abc");

    DWORD size = sizeof buffer;
    ASSERT_TRUE(GetComputerNameA(buffer, &size));
    EXPECT_STREQ(buffer, "DESK7");
    EXPECT_EQ(size, 5u);
    size = 3;
    EXPECT_FALSE(GetComputerNameA(buffer, &size));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BUFFER_OVERFLOW));
    EXPECT_EQ(size, 6u);
    size = sizeof buffer;
    ASSERT_TRUE(GetUserNameA(buffer, &size));
    EXPECT_STREQ(buffer, "alice");
    EXPECT_EQ(size, 6u);  // with the terminator
    size = 2;
    EXPECT_FALSE(GetUserNameA(buffer, &size));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(size, 6u);

    EXPECT_EQ(GetSystemMetrics(SM_CLEANBOOT), 0);
    EXPECT_EQ(GetSystemMetrics(SM_CXICON), 32);
    EXPECT_EQ(GetSystemMetrics(SM_CYSMICON), 16);
    EXPECT_EQ(GetSystemMetrics(SM_CXMENUCHECK), 13);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 800);
    EXPECT_EQ(GetSystemMetrics(9999), 0);
}

TEST(SystemFactsTest, NtAndSafeModeAndOtherMetricsFollowMachineIni) {
    TempMachine machine(Platform::NT4, "bob");
    vpr::machine::Machine m = *machine.machine();
    std::string error;
    for (auto [key, value] : {std::pair{"safemode", "1"}, {"screen.icon", "48"}, {"screen.smallicon", "24"},
                              {"screen.menucheck", "15"}, {"servicepack", "Service Pack 6"}})
        ASSERT_TRUE(vpr::machine::SetMachineFact(&m, key, value, &error)) << error;
    ASSERT_TRUE(m.Save(&error)) << error;
    ASSERT_TRUE(vpr::machine::ReloadMachine(&error)) << error;

    EXPECT_EQ(GetVersion(), (1381u << 16) | 4u);
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof info;
    ASSERT_TRUE(GetVersionExA(&info));
    EXPECT_EQ(info.dwPlatformId, static_cast<DWORD>(VER_PLATFORM_WIN32_NT));
    EXPECT_EQ(info.dwBuildNumber, 1381u);
    EXPECT_STREQ(info.szCSDVersion, "Service Pack 6");
    char buffer[MAX_PATH];
    GetSystemDirectoryA(buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "C:\\WINDOWS\\SYSTEM32");
    EXPECT_EQ(GetSystemMetrics(SM_CLEANBOOT), 1);
    EXPECT_EQ(GetSystemMetrics(SM_CYICON), 48);
    EXPECT_EQ(GetSystemMetrics(SM_CXSMICON), 24);
    EXPECT_EQ(GetSystemMetrics(SM_CYMENUCHECK), 15);
}

TEST(SystemFactsTest, EnvironmentPassesThrough) {
    ::setenv("KMLANGUAGE", "Deutsch,English", 1);
    char buffer[64];
    EXPECT_EQ(GetEnvironmentVariableA("KMLANGUAGE", buffer, sizeof buffer), 15u);
    EXPECT_STREQ(buffer, "Deutsch,English");
    EXPECT_EQ(GetEnvironmentVariableA("kmlanguage", buffer, sizeof buffer), 15u);
    EXPECT_EQ(GetEnvironmentVariableA("KMLANGUAGE", buffer, 15), 16u);
    ::unsetenv("KMLANGUAGE");
    EXPECT_EQ(GetEnvironmentVariableA("KMLANGUAGE", buffer, sizeof buffer), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ENVVAR_NOT_FOUND));
}

// Lead bytes of the machine's code page and of a named one.
TEST(SystemFactsTest, LeadBytesFollowTheCodePage) {
    constexpr UINT CP_ACP = 0, CP_OEMCP = 1;  // the machine's code page
    struct Case {
        unsigned machineCodePage;
        UINT askedCodePage;
        BYTE byte;
        BOOL lead;
    };
    const Case cases[] = {
        {932, CP_ACP, 0x81, TRUE},  {932, CP_ACP, 0x9F, TRUE},  {932, CP_ACP, 0xE0, TRUE},
        {932, CP_ACP, 0xFC, TRUE},  {932, CP_ACP, 0xA0, FALSE}, {932, CP_ACP, 0xB1, FALSE},  // katakana
        {932, CP_ACP, 0x5C, FALSE}, {932, 1252, 0x81, FALSE},   {1252, CP_ACP, 0xE9, FALSE},
        {65001, CP_ACP, 0xC3, TRUE}, {65001, CP_ACP, 0xC1, FALSE}, {65001, CP_ACP, 0x80, FALSE},
        {1252, 932, 0x95, TRUE},    {1252, CP_OEMCP, 0x95, FALSE},
    };
    for (unsigned codePage : {932u, 1252u, 65001u}) {
        vpr::machine::CreateOptions options;
        options.codePage = codePage;
        TempMachine machine(options);
        for (const Case& c : cases) {
            if (c.machineCodePage != codePage) continue;
            EXPECT_EQ(IsDBCSLeadByteEx(c.askedCodePage, c.byte), c.lead)
                << "machine " << codePage << " asked " << c.askedCodePage << " byte " << int(c.byte);
            if (c.askedCodePage == CP_ACP) {
                EXPECT_EQ(IsDBCSLeadByte(c.byte), c.lead);
            }
        }
    }
    EXPECT_FALSE(IsDBCSLeadByteEx(437, 0x81));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

}  // namespace
