// imprxcmd: the snapshot engine from a shell. An administrator records what
// an installer changes on a workstation and gets it as a template:
//
//     imprxcmd before            # the first picture
//     (run the installer)
//     imprxcmd after             # the second picture
//     imprxcmd make C:\OUT\app.qmt C:\OUT\FILES --name App
//
// The program answers the engine's dialogs itself: a file that cannot be
// copied is ignored (and named on standard error); after a disk write or
// memory failure the program ends with 1.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

// The program's exit codes.
enum ImprxExitCode : int {
    kImprxDone = 0,
    kImprxFailed = 1,
    kImprxBadCommandLine = 2,
};

class ImprxCommand {
public:
    // Printed output (the usage, `print`) goes to `out`, messages and
    // progress to `err`.
    ImprxCommand(FILE* out, FILE* err) : out_(out), err_(err) {}

    // Runs the program on its command line (argv[0] is the program's name).
    int Run(int argc, char** argv);

private:
    struct Options;
    int Before(const Options& options);
    int After(const Options& options);
    int Make(const Options& options);
    int Print(const Options& options);
    int Fail(const std::string& message);
    int Refuse(const std::string& message);
    void PrintUsage();

    FILE* out_;
    FILE* err_;
};
