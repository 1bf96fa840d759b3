// vprlaunch as a person runs it: the library installed where the shell finds
// it, the user's folders, a launch and a refusal.
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "workstation_fixture.h"
#include "vpr/testing/build_folder.h"

namespace vpr::launcher {
namespace {

// Runs vprlaunch with the arguments; its exit code and what it printed.
int Launch(const std::string& arguments, std::string* output) {
    std::string command = vpr::testing::BuildBinFolder() + "/vprlaunch " + arguments + " 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return -1;
    output->clear();
    char chunk[512];
    while (size_t got = std::fread(chunk, 1, sizeof chunk, pipe)) output->append(chunk, got);
    int status = ::pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class VprlaunchTest : public WorkstationTest {
protected:
    void SetUp() override {
        WorkstationTest::SetUp();
        App("Editor.acme");
        App("Paint.acme");
        Associate("jdoe.sales.acme", "Editor.acme", KMAPP_ASSOC_LAUNCHER);
        Associate("mary.acme", "Paint.acme", KMAPP_ASSOC_LAUNCHER);
    }
};

TEST_F(VprlaunchTest, APersonSeesWhatWasGrantedRunsItAndIsRefusedTheRest) {
    std::string output;
    EXPECT_EQ(Launch("folders", &output), 1);  // nothing installed yet
    EXPECT_NE(output.find("vprlaunch install"), std::string::npos) << output;
    ASSERT_EQ(Launch("install", &output), 0) << output;
    EXPECT_TRUE(Exists("C:\\WINDOWS\\SYSTEM32\\KmApp32.dll"));
    ASSERT_EQ(Launch("folders", &output), 0) << output;
    EXPECT_NE(output.find("folder jdoe.sales.acme"), std::string::npos) << output;
    EXPECT_NE(output.find("Editor.acme  flags 0x1  active 0x1"), std::string::npos) << output;
    EXPECT_EQ(output.find("Paint.acme"), std::string::npos) << output;
    ASSERT_EQ(Launch("run Editor.acme LETTER.TXT", &output), 0) << output;
    EXPECT_NE(output.find("result 0x0: launched"), std::string::npos) << output;
    EXPECT_EQ(Starts(), std::vector<std::string>{"\\\\SERVER\\APPS\\Editor.SH LETTER.TXT"});
    EXPECT_EQ(Launch("run Paint.acme", &output), 1);
    EXPECT_NE(output.find("result 0xD000"), std::string::npos) << output;
    EXPECT_EQ(Launch("run", &output), 2);
    EXPECT_EQ(Launch("run Editor.acme --replace maybe", &output), 2);
}

}  // namespace
}  // namespace vpr::launcher
