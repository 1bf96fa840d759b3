#include <cstdio>
#include <filesystem>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "host_fixture.h"
#include "vpr/adminhost/script_runner.h"
#include "vpr/machine/machine.h"
#include "vpr/testing/build_folder.h"

namespace {

using vpr::adminhost::AdminHost;
using vpr::adminhost::RunScript;

class ScriptTest : public HostFixture {
protected:
    int Run(const std::string& script) {
        std::istringstream in(script);
        output_.str("");
        return RunScript(host_, in, output_);
    }
    std::ostringstream output_;
};

TEST_F(ScriptTest, SelectsRunsAToolsItemEditsTwoPagesAndSaves) {
    ASSERT_EQ(host_.Start(), 1);
    EXPECT_EQ(Run("# a person at the host\n"
                  "context sales.acme\n"
                  "list\n"
                  "tools\n"
                  "select jdoe.sales.acme\n"
                  "run &Show Selection\n"
                  "details jdoe.sales.acme\n"
                  "  set 1001 Team lead\n"
                  "  page Phone\n"
                  "  set 1101 Boss\n"
                  "  ok\n"),
              0)
        << output_.str();
    EXPECT_EQ(output_.str(),
              "context sales.acme\n"
              "ann.sales.acme (User)\n"
              "jdoe.sales.acme (User)\n"
              "staff.sales.acme (Group)\n"
              "&Show Selection [grayed]\n"
              "selected 1\n"
              "ran &Show Selection\n"
              "set 1001\n"
              "page Phone\n"
              "set 1101\n"
              "saved jdoe.sales.acme (0)\n");
    EXPECT_EQ(log_->at(3), "action User jdoe.sales.acme");
    EXPECT_EQ(tree_.Text("jdoe.sales.acme", "Description"), "Team lead");
    EXPECT_EQ(tree_.Text("jdoe.sales.acme", "Title"), "Boss");
}

TEST_F(ScriptTest, PicksTwoObjectsInABrowseAndCreatesAnObject) {
    ASSERT_EQ(host_.Start(), 1);
    EXPECT_EQ(Run("context sales.acme\n"
                  "details ann.sales.acme\n"
                  "  pick jdoe.sales.acme staff.sales.acme\n"
                  "  press 1003\n"
                  "  cancel\n"
                  "create User\n"),
              0)
        << output_.str();
    EXPECT_EQ(output_.str(),
              "context sales.acme\n"
              "picked 2\n"
              "pressed 1003\n"
              "closed ann.sales.acme\n"
              "created created.sales.acme\n"
              "create answered 0\n");
    EXPECT_EQ(LogFrom("chosen"), (std::vector<std::string>{"chosen jdoe.sales.acme (User)",
                                                           "chosen staff.sales.acme (Group)",
                                                           "browsed 0 ended in sales.acme", "0x111 ann.sales.acme",
                                                           "destroy 0", "0x102 sales.acme"}));
}

TEST_F(ScriptTest, PicksAFileOfANetworkVolume) {
    std::string share = machine_.root() + "/server";
    std::filesystem::create_directories(share + "/APPS/WORD");
    std::ofstream(share + "/APPS/WORD/WORD.EXE") << "program";
    vpr::machine::Machine facts;
    std::string error;
    ASSERT_TRUE(vpr::machine::LoadMachine(machine_.root(), &facts, &error)) << error;
    ASSERT_TRUE(vpr::machine::SetMachineFact(&facts, "unc.\\\\SRV1\\SYS", share, &error)) << error;
    ASSERT_TRUE(facts.Save(&error) && vpr::machine::ReloadMachine(&error)) << error;
    config_->browseFiles = true;
    ASSERT_EQ(host_.Start(), 1);
    EXPECT_EQ(Run("details jdoe.sales.acme\n"
                  "  pick SRV1/SYS:APPS\\WORD\\WORD.EXE\n"
                  "  press 1003\n"
                  "  pick SRV1/SYS:\n"
                  "  press 1003\n"
                  "  cancel\n"),
              0)
        << output_.str();
    EXPECT_EQ(output_.str(), "picked 1\npressed 1003\npicked 1\npressed 1003\nclosed jdoe.sales.acme\n");
    EXPECT_EQ(LogFrom("chosen"), (std::vector<std::string>{"chosen SRV1/SYS:APPS\\WORD\\WORD.EXE (File)",
                                                           "browsed 0 ended in SRV1/SYS:APPS\\WORD",
                                                           "chosen SRV1/SYS: (Directory)", "browsed 0 ended in ",
                                                           "0x111 jdoe.sales.acme", "destroy 0"}));
}

TEST_F(ScriptTest, FailingCommandsAreReportedAndTheScriptGoesOn) {
    ASSERT_EQ(host_.Start(), 1);
    EXPECT_EQ(Run("run &Show Selection\n"
                  "context nowhere.acme\n"
                  "frobnicate\n"
                  "details jdoe.sales.acme\n"
                  "  page 7\n"
                  "  set 4242 text\n"
                  "select jdoe.sales.acme\n"
                  "details jdoe.sales.acme\n"),
              1);
    std::string out = output_.str();
    EXPECT_NE(out.find("error: Tools item &Show Selection is grayed\n"), std::string::npos) << out;
    EXPECT_NE(out.find("error: no container nowhere.acme"), std::string::npos) << out;
    EXPECT_NE(out.find("error: unknown command: frobnicate\n"), std::string::npos) << out;
    EXPECT_NE(out.find("error: no page 7\n"), std::string::npos) << out;
    EXPECT_NE(out.find("no such control"), std::string::npos) << out;
    // The dialog took "select ..." as a command of its own and the last line
    // left it open: the script closes it.
    EXPECT_NE(out.find("error: not a command of dialog 1000 \"" + AdminHost::DetailsCaption("jdoe.sales.acme") +
                       "\": select jdoe.sales.acme\n"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("error: the script ended with dialog 1000 "), std::string::npos) << out;
    EXPECT_FALSE(host_.DetailsOpen());
}

// The program itself, as demo scripts run it.
TEST_F(ScriptTest, TheKmadminProgramRunsAScriptOnTheMachine) {
    std::string bin = vpr::testing::BuildBinFolder();
    std::string script = machine_.root() + "/script.txt";
    std::ofstream(script) << "select jdoe.sales.acme\nrun &Show Selection\n"
                             "details jdoe.sales.acme\nset 1001 From a script\nok\n";
    FILE* pipe = popen((bin + "/kmadmin " + script + " 2>&1").c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string out;
    char chunk[256];
    while (size_t n = fread(chunk, 1, sizeof chunk, pipe)) out.append(chunk, n);
    EXPECT_EQ(pclose(pipe), 0) << out;
    EXPECT_EQ(out,
              "module HOSTSNAP.DLL: InitSnapin answered 0\n"
              "selected 1\n"
              "ran &Show Selection\n"
              "set 1001\n"
              "saved jdoe.sales.acme (0)\n");
    EXPECT_EQ(tree_.Text("jdoe.sales.acme", "Description"), "From a script");
}

}  // namespace
