// The wizard end to end as scripts/imprx_walkthrough.sh drives it: the
// first run lets Windows shut down during setup, the machine restarts, the
// wizard started at log-on finishes the template.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "vpr/testing/build_folder.h"

namespace {

TEST(WalkThrough, ShutdownDuringSetupRestartAndTheTemplateAtLogOn) {
    std::string work = std::filesystem::temp_directory_path() / "imprx-walk-XXXXXX";
    ASSERT_NE(::mkdtemp(work.data()), nullptr);
    std::string output = work + "/output.txt";
    std::string command = std::string("env -u VPR_MACHINE -u VPR_UI_SCRIPT -u KMLANGUAGE ") + IMPRX_SCRIPTS +
                          "/imprx_walkthrough.sh " + vpr::testing::BuildBinFolder() + " " + work + "/run >" + output +
                          " 2>&1";
    int status = std::system(command.c_str());
    std::stringstream text;
    text << std::ifstream(output).rdbuf();
    std::string printed = text.str();
    std::filesystem::remove_all(work);

    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << printed;
    EXPECT_EQ(printed.find("error:"), std::string::npos) << printed;
    for (const char* line : {"edtTemplateFile: C:\\OUT\\fakeapp.qmt\n",
                             "message VPR Imprix: Windows is about to shutdown.",
                             "started: z:\\", "imprxe32 (exit code 0)\n",
                             // Resumed: Flags 0x280.
                             "[Application Flags]\nFlag=Install Only\nFlag=Always Reboot\n",
                             "Name=TARGET_PATH\nValue=C:\\Program Files\\Fake App\n",
                             "Key=HKEY_CURRENT_USER\\Software\\Fake Vendor\\Fake App\n",
                             // The installer's files, copied into the new-files folder.
                             "Source=%SOURCE_PATH%\\1.fil\nTarget=%TARGET_PATH%\\fakeapp.exe\n"})
        EXPECT_NE(printed.find(line), std::string::npos) << line << " in\n" << printed;
}

}  // namespace
