// The qmtdump program: converts one template (.QMT) into its text form (.QXT).
//
//     QMTDUMP [import filename (.QMT)] [export filename (.QXT)]
//
// Without an input name the file-open dialog asks for one. Without an output
// name the output is the input with ".QXT" in place of its extension. Side
// files of long texts and icons land in the current directory.
#pragma once

#include <cstdio>

#include "qmtdump/template_text_writer.h"

// The program's exit codes.
enum DumpExitCode : int {
    kDumpDone = 0,            // the template was converted, or the usage text was asked for
    kDumpFailed = 1,          // the dump could not start or stopped on an error
    kDumpBadCommandLine = 2,  // too many files, a name too long, or an input that is no .QMT
    kDumpCancelled = 3,       // no input name given and the file-open dialog was cancelled
};

class DumpTool {
public:
    // Every message goes to `console`.
    explicit DumpTool(FILE* console);

    // Replaces the pseudo-random source of side-file numbers.
    void SetRandomSource(TemplateTextWriter::RandomSource source);

    // Runs the program on its command line (argv[0] is the program's name).
    int Run(int argc, char** argv);

private:
    void PrintUsage();
    int Dump(const char* input, const char* output);

    FILE* console_;
    TemplateTextWriter::RandomSource random_;
};
