// Every program a person runs answers --help and -h with its usage on
// standard output and exit 0, doing nothing else (no file named "--help").
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "vpr/testing/build_folder.h"

namespace fs = std::filesystem;

namespace {

struct ProgramRun {
    int exitCode = -1;
    std::string out;
};

// Runs a program of the build in `folder` without a machine, its standard
// error dropped.
ProgramRun RunProgram(const fs::path& folder, const std::string& arguments) {
    std::string command = "cd '" + folder.string() + "' && env -u VPR_MACHINE " + arguments + " 2>/dev/null";
    ProgramRun run;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return run;
    char chunk[256];
    while (size_t n = fread(chunk, 1, sizeof chunk, pipe)) run.out.append(chunk, n);
    int status = pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

TEST(ProgramsTest, EveryProgramAnswersHelpWithItsUsage) {
    fs::path folder = fs::temp_directory_path() / ("vpr-help-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    const std::string bin = vpr::testing::BuildBinFolder();
    for (const char* program : {"kmadmin", "vprdir", "vprmachine", "qmtsample", "qmtdump", "vprlaunch", "imprxcmd", "imprxe32",
                                "launchsample", "vprrc", "VprExpLd.exe"}) {
        for (const char* option : {"--help", "-h"}) {
            ProgramRun run = RunProgram(folder, bin + "/" + program + " " + option);
            EXPECT_EQ(run.exitCode, 0) << program << " " << option;
            EXPECT_NE(run.out.find("sage"), std::string::npos) << program << " " << option << ": " << run.out;
            EXPECT_TRUE(fs::is_empty(folder)) << program << " " << option << " left a file";
        }
    }
    // The host cannot start without a machine.
    ProgramRun run = RunProgram(folder, "echo 'echo hi' | " + bin + "/kmadmin");
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.out, "");
    fs::remove_all(folder);
}

}  // namespace
