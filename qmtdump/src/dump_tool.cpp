#include "qmtdump/dump_tool.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "commdlg.h"
#include "template/template_library.h"
#include "vpr/locale/locale.h"
#include "vpr/machine/atomic_file.h"
#include "vpr/win/path.h"

namespace {

// File names are kept in buffers of MAX_PATH bytes.
constexpr size_t kMaxName = MAX_PATH - 1;

const char kOpenFilter[] = "Application Template (*.QMT)\0*.QMT\0All files (*.*)\0*.*\0";

// The tool's own switches, and the ones a user of this host's shells tries.
bool IsHelpSwitch(const char* arg) {
    return KMLstricmp(arg, "/H") == 0 || KMLstricmp(arg, "/?") == 0 || std::strcmp(arg, "--help") == 0 ||
           std::strcmp(arg, "-h") == 0;
}

// True when both names lead to one existing file, however they are spelled
// (relative or absolute, through links or hard links).
bool NameSameFile(const char* first, const char* second) {
    std::string firstHost;
    std::string secondHost;
    if (!vpr::win::ResolveHostPath(first, &firstHost) ||
        !vpr::win::ResolveHostPath(second, &secondHost)) {
        return false;
    }
    struct stat a {};
    struct stat b {};
    return ::stat(firstHost.c_str(), &a) == 0 && ::stat(secondHost.c_str(), &b) == 0 &&
           a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace

DumpTool::DumpTool(FILE* console) : console_(console) {}

void DumpTool::SetRandomSource(TemplateTextWriter::RandomSource source) {
    random_ = std::move(source);
}

void DumpTool::PrintUsage() {
    static const char* const kUsage[] = {
        "\n",
        "QMTDUMP -- Application Object Template Dump Utility v1.0\n",
        "\n",
        "Usage:\n",
        "\tQMTDUMP [import filename (.QMT)] [export filename (.QXT)]\n",
        "\n",
        "\timport filename - name of file to import (must be .QMT type).\n",
        "\texport filename - name of file to export (will be .QXT type).\n",
        "\n",
    };
    for (const char* line : kUsage) std::fputs(line, console_);
}

int DumpTool::Run(int argc, char** argv) {
    char input[MAX_PATH] = "";
    char output[MAX_PATH] = "";
    int files = 0;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (IsHelpSwitch(arg)) {
            PrintUsage();
            return kDumpDone;
        }
        if (files == 2) {
            std::fprintf(console_, "Invalid command-line, too many files specified [%s].\n", arg);
            PrintUsage();
            return kDumpBadCommandLine;
        }
        if (std::strlen(arg) > kMaxName) {
            std::fprintf(console_,
                         "Invalid command-line, file name longer than %zu characters [%s].\n",
                         kMaxName, arg);
            PrintUsage();
            return kDumpBadCommandLine;
        }
        std::strcpy(files == 0 ? input : output, arg);
        ++files;
    }

    if (files == 0) {
        OPENFILENAMEA ofn{};
        ofn.lStructSize = sizeof(ofn);
        ofn.lpstrFilter = kOpenFilter;
        ofn.nFilterIndex = 1;
        ofn.lpstrFile = input;
        ofn.nMaxFile = sizeof(input);
        ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_LONGNAMES;
        if (!GetOpenFileNameA(&ofn)) return kDumpCancelled;
    }

    const char* dot = KMLstrrchr(input, '.');
    bool isTemplate = dot != nullptr && KMLstricmp(dot, ".QMT") == 0;
    if (files < 2) {
        std::strcpy(output, input);
        if (char* outputDot = KMLstrrchr(output, '.')) *outputDot = '\0';
        if (isTemplate) std::strcat(output, ".QXT");
    }
    if (!isTemplate) {
        std::fprintf(console_, "Invalid file types for import and export files.\n");
        PrintUsage();
        return kDumpBadCommandLine;
    }

    std::fprintf(console_, "Converting QMT -> QXT\n");
    std::fprintf(console_, "  Input file: %s\n", input);
    std::fprintf(console_, "  Output file: %s\n", output);
    return Dump(input, output);
}

int DumpTool::Dump(const char* input, const char* output) {
    // Opening the output empties it: never when it is the template itself.
    if (NameSameFile(input, output)) {
        std::fprintf(console_,
                     "Input and output name the same file [%s].  The template is left "
                     "untouched.\n",
                     output);
        return kDumpFailed;
    }

    // The text goes to a temporary file beside the output, renamed over it
    // only once it is written whole: a failure never leaves a cut file where
    // an older dump was.
    std::string hostOutput;
    if (!vpr::win::ResolveHostPath(output, &hostOutput)) hostOutput = output;
    vpr::machine::AtomicFile outputFile(hostOutput);
    if (!outputFile.Open()) {
        std::fprintf(console_, "Unable to open file %s.  Error = %ld\n", output,
                     static_cast<long>(outputFile.error()));
        return kDumpFailed;
    }
    char* textBuffer = nullptr;
    size_t textSize = 0;
    FILE* text = open_memstream(&textBuffer, &textSize);
    if (text == nullptr) {
        std::fprintf(console_, "Unable to open file %s.  Error = %ld\n", output, static_cast<long>(errno));
        return kDumpFailed;
    }

    HFILE qmt = HFILE_ERROR;
    LONG result = kmapptOpen(input, &qmt);
    if (result != TEMPLATE_OK) {
        std::fprintf(console_, "kmapptOpen [%s] returned %ld\n", input, static_cast<long>(result));
        std::fclose(text);
        std::free(textBuffer);
        return kDumpFailed;
    }

    bool dumped = false;  // records were read; what was printed is kept
    TemplateTextWriter writer(text, console_);
    if (random_) writer.SetRandomSource(random_);
    LONG size = _llseek(qmt, 0, FILE_END);
    _llseek(qmt, 0, FILE_BEGIN);
    result = kmapptVerifySignature(qmt);
    if (result != TEMPLATE_OK) {
        std::fprintf(console_, "kmapptVerifySignature returned %ld\n", static_cast<long>(result));
    } else {
        dumped = true;
        long count = 0;
        TemplateEntry* entry = nullptr;
        while (!writer.SideFileFailed() && (result = kmapptReadEntry(qmt, &entry)) == TEMPLATE_OK) {
            // Progress: each figure overwrites the last.
            int64_t position = _llseek(qmt, 0, FILE_CURRENT);
            long percent = size > 0 ? static_cast<long>(position * 100 / size) : 100;
            std::fprintf(console_, "%3ld%%\b\b\b\b", percent);
            std::fflush(console_);
            writer.WriteEntry(*entry);
            std::fputc('\n', text);
            kmapptFreeReadEntry(entry);
            ++count;
        }
        if (writer.SideFileFailed()) {
            dumped = false;
        } else if (result == TEMPLATE_ERR_END) {
            std::fprintf(console_, "==== %ld entries processed ====\n", count);
        } else {
            std::fprintf(console_, "Error reading QMT file %ld\n", static_cast<long>(result));
        }
    }
    kmapptClose(qmt);

    bool printed = std::fclose(text) == 0;
    std::string bytes(textBuffer != nullptr ? textBuffer : "", textSize);
    std::free(textBuffer);
    if (writer.SideFileFailed()) {
        // The text names a side file that is not whole: no dump.
        std::fprintf(console_, "Unable to write file %s.  Error = %ld\n", writer.FailedSideFile().c_str(),
                     static_cast<long>(writer.SideFileError()));
        return kDumpFailed;
    }
    if (!dumped) return kDumpFailed;
    int writeError = !printed ? ENOMEM : outputFile.Write(bytes) && outputFile.Commit() ? 0 : outputFile.error();
    if (writeError != 0) {
        std::fprintf(console_, "Unable to write file %s.  Error = %ld\n", output, static_cast<long>(writeError));
        return kDumpFailed;
    }
    return result == TEMPLATE_ERR_END ? kDumpDone : kDumpFailed;
}
