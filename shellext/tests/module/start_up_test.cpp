// A program that is not the shell cannot load the module: its start refuses
// and makes nothing (the shell's own process loads it in TESTEXPLORER.EXE's
// tests).
#include <gtest/gtest.h>

#include "vpr/testing/build_folder.h"
#include "vpr/testing/temp_machine.h"
#include "vpr/win/path.h"
#include "windows.h"

namespace {

TEST(StartUp, AProgramThatIsNotTheShellCannotLoadTheModule) {
    vpr::testing::TempMachine machine;
    std::string module = vpr::win::WindowsPathFromHost(vpr::testing::BuildBinFolder() + "/VprExp32.dll");
    EXPECT_EQ(LoadLibraryA(module.c_str()), nullptr);
    EXPECT_EQ(OpenEventA(SYNCHRONIZE, FALSE, "Shutdown VPR Explorer, please"), nullptr);
}

}  // namespace
