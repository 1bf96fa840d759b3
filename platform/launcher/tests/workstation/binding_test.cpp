// The shell binds KMAPP32.DLL by name and needs at least 97.6.3.0 and its 23
// entry points.
#include <gtest/gtest.h>

#include <string>

#include "vpr/testing/temp_machine.h"
#include "windows.h"

namespace {

TEST(ShellBindingTest, TheLibraryIs97_6_3_0AndEveryEntryPointResolves) {
    vpr::testing::TempMachine machine;
    HMODULE library = LoadLibraryA("KMAPP32.DLL");
    ASSERT_NE(library, nullptr);
    char path[MAX_PATH] = {};
    GetModuleFileNameA(library, path, sizeof path);
    DWORD handle = 0, size = GetFileVersionInfoSizeA(path, &handle);
    ASSERT_GT(size, 0u);
    std::string block(size, '\0');
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    ASSERT_TRUE(GetFileVersionInfoA(path, handle, size, block.data()));
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<LPVOID*>(&info), &length));
    EXPECT_EQ(info->dwFileVersionMS, 0x00610006u);
    EXPECT_EQ(info->dwFileVersionLS, 0x00030000u);
    for (const char* name :
         {"KMAPPAllocContextHandle", "KMAPPFreeContextHandle", "KMAPPGetFoldersEx", "KMAPPFreeGetFoldersEx",
          "KMAPPGetObjectAttributes", "KMAPPFreeGetObjectAttributes", "KMAPPProcessApplication",
          "KMAPPGetIconFromHandle", "KMAPPMonitorApplications", "KMAPPGetPersonalFolders",
          "KMAPPCreatePersonalFolder", "KMAPPDeletePersonalFolder", "KMAPPRenamePersonalFolder",
          "KMAPPAddPersonalFolderItem", "KMAPPDeletePersonalFolderItem", "KMAPPReadNRDFolders",
          "KMAPPWriteNRDFolders", "KMAPPReadLauncherConfig", "KMAPPCheckSchedule", "KMAPPRecordLaunch",
          "KMAPPIsInstalled", "KMAPPMarkNotInstalled", "KMAPPLogString"})
        EXPECT_NE(GetProcAddress(library, name), nullptr) << name;
    FreeLibrary(library);
}

}  // namespace
