// The sample form program driven by a script (VPR_UI_SCRIPT), as a person's
// demo runs it: lines run when a loop is idle, on the form that takes input.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "vpr/testing/build_folder.h"
#include "vpr/testing/temp_machine.h"

namespace {

struct Outcome {
    std::string out;
    int exitCode = -1;
};

Outcome RunSample(const vpr::testing::TempMachine& machine, const std::string& script) {
    std::string path = machine.root() + "/script.txt";
    std::ofstream(path) << script;
    std::string command = "VPR_UI_SCRIPT=" + path + " " + vpr::testing::BuildBinFolder() + "/formsample 2>&1";
    Outcome outcome;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return outcome;
    char chunk[256];
    while (size_t n = fread(chunk, 1, sizeof chunk, pipe)) outcome.out.append(chunk, n);
    int status = pclose(pipe);
    outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return outcome;
}

TEST(FormScriptTest, APersonsWalkThroughTheSample) {
    vpr::testing::TempMachine machine;
    Outcome run = RunSample(machine,
                            "wait\n"                      // the splash closes by itself
                            "print nbkMain\n"
                            "type edtName notes\n"
                            "leave edtName\n"
                            "expect edtName notes.txt\n"
                            "select lstFruit apple pear\n"
                            "print lstFruit\n"
                            "dblclick lstFruit fig\n"
                            "choose cbxDrive z\n"
                            "click btnNext\n"
                            "expect nbkMain Second\n"
                            "click btnHelp\n"
                            "click btnAsk\n"              // the lines after it act on the modal form
                            "type edtAnswer yes\n"
                            "click btnOk\n"
                            "print lblInfo\n"
                            "dialog \"Ask\"\n"            // or a block meets it by its caption
                            "  type edtAnswer no\n"
                            "  click btnCancel\n"
                            "end\n"
                            "click btnAsk\n"
                            "print lblInfo\n"
                            "answer ok The sample failed\n"
                            "click btnFail\n"
                            "answer no May Windows\n"
                            "shutdown\n");
    EXPECT_EQ(run.exitCode, 0) << run.out;
    EXPECT_EQ(run.out,
              "sample: splash closes\n"
              "sample: created on page First\n"
              "waited\n"
              "nbkMain: First\n"
              "typed edtName\n"
              "sample: left name\n"
              "left edtName\n"
              "selected lstFruit apple pear\n"
              "lstFruit:\n"
              "* apple\n"
              "  fig\n"
              "* pear\n"
              "sample: opened fig\n"
              "double-clicked lstFruit fig\n"
              "sample: drive z\n"
              "chose cbxDrive z:\n"
              "sample: page Second\n"
              "clicked btnNext\n"
              "help C:\\WINDOWS\\SAMPLE.HLP 100\n"
              "clicked btnHelp\n"
              "typed edtAnswer\n"
              "clicked btnOk\n"
              "sample: asked: 1\n"
              "clicked btnAsk\n"
              "lblInfo: Answer: yes\n"
              "dialog 0 \"Ask\"\n"
              "typed edtAnswer\n"
              "clicked btnCancel\n"
              "sample: asked: 2\n"
              "clicked btnAsk\n"
              "lblInfo: No answer\n"
              "message Form sample: The sample failed on purpose.\n"
              "answered ok\n"
              "clicked btnFail\n"
              "shutdown asked\n"
              "message Form sample: May Windows shut down?\n"
              "answered no\n"
              "sample: shutdown refused\n"
              "shutdown refused\n"
              "sample: destroyed\n");  // the script's end ends the program
}

TEST(FormScriptTest, FailedLinesAndWindowsShuttingDownEndTheProgram) {
    vpr::testing::TempMachine machine;
    Outcome run = RunSample(machine,
                            "wait\n"
                            "click btnNope\n"
                            "expect nbkMain Second\n"
                            "choose lstFruit kiwi\n"
                            "answer yes May Windows\n"
                            "shutdown\n"
                            "echo never\n");
    EXPECT_EQ(run.exitCode, 1) << run.out;
    EXPECT_EQ(run.out,
              "sample: splash closes\n"
              "sample: created on page First\n"
              "waited\n"
              "error: the form \"Form sample\" has no btnNope\n"
              "error: nbkMain shows \"First\", not \"Second\"\n"
              "error: lstFruit has no row \"kiwi\"\n"
              "shutdown asked\n"
              "message Form sample: May Windows shut down?\n"
              "answered yes\n"
              "sample: shutdown allowed\n"
              "sample: destroyed\n"  // Windows ends the program, its destroy handlers run
              "error: the program ended before: echo never\n");
}

TEST(FormScriptTest, AnUnreadableScriptEndsWithTwo) {
    vpr::testing::TempMachine machine;
    std::string command = "VPR_UI_SCRIPT=" + machine.root() + "/missing.txt " + vpr::testing::BuildBinFolder() +
                          "/formsample >/dev/null 2>&1";
    int status = std::system(command.c_str());
    EXPECT_EQ(WEXITSTATUS(status), 2);
}

}  // namespace
