#include "imprx_command.h"

#include <cstring>
#include <functional>

#include "snapshot/engine/check_path.h"
#include "snapshot/engine/definitions.h"
#include "snapshot/engine/engine_resource.h"
#include "snapshot/engine/engine_settings.h"
#include "snapshot/engine/engine_ui.h"
#include "snapshot/engine/imprx_exports.h"
#include "snapshot/engine/picture_text.h"
#include "snapshot/engine/work_directory.h"
#include "vpr/locale/locale.h"
#include "vpr/user/message_box.h"
#include "vpr/user/ui_driver.h"
#include "windows.h"

using namespace snapshot;

namespace {

// Progress goes here with --verbose.
FILE* g_progress = nullptr;

void Progress(LPCSTR text) {
    if (g_progress != nullptr) std::fprintf(g_progress, "%s\n", text);
}

char WindowsDriveLetter() {
    char windows[MAX_PATH] = "C";
    GetWindowsDirectoryA(windows, sizeof windows);
    return windows[0];
}

bool IsDriveEntry(const std::string& text) {
    return text.size() == 2 && text[1] == ':' &&
           ((text[0] >= 'A' && text[0] <= 'Z') || (text[0] >= 'a' && text[0] <= 'z'));
}

// The person at the machine, as imprxcmd plays it: the disk and memory
// failures and a template that cannot be made are read and acknowledged; a
// file that cannot be copied is ignored. Every answer is told on `err`.
class ConsoleAnswers {
public:
    explicit ConsoleAnswers(FILE* err) : err_(err) {
        for (UINT id : {kStrDiskWriteFailed, kStrOutOfMemory, kStrTemplateCreateFailed})
            driver_.OnMessageBox(LoadResString(id), [this](const vpr::user::ModalElement& box) {
                std::fprintf(err_, "imprxcmd: %s\n", box.text.c_str());
                std::fflush(err_);
                vpr::user::ui::Click(box.window, IDOK);
            });
        AwaitCopyError();
    }

    // What nobody expected; empty when all went as planned.
    std::vector<std::string> Failures() const { return driver_.Failures(); }

private:
    void AwaitCopyError() {
        driver_.OnDialog(IDD_IMPRX_COPY_ERROR, [this](const vpr::user::ModalElement& dialog) {
            std::string text = dialog.text;
            for (char& c : text)
                if (c == '\n') c = ' ';
            std::fprintf(err_, "imprxcmd: ignored: %s\n", text.c_str());
            AwaitCopyError();
            vpr::user::ui::Click(dialog.window, IDIGNORE);
        });
    }

    FILE* err_;
    vpr::user::UiDriver driver_;
};

}  // namespace

struct ImprxCommand::Options {
    std::string command;
    std::vector<std::string> arguments;
    char boot = 0;
    bool verbose = false;
    bool fast = false;
    std::vector<std::string> drives, excludeFiles, excludeDirectories, textFiles;
    std::string name, caption, target;
    bool hasName = false;
};

int ImprxCommand::Fail(const std::string& message) {
    std::fprintf(err_, "imprxcmd: %s\n", message.c_str());
    return kImprxFailed;
}

int ImprxCommand::Refuse(const std::string& message) {
    std::fprintf(err_, "imprxcmd: %s (imprxcmd --help shows the usage)\n", message.c_str());
    return kImprxBadCommandLine;
}

void ImprxCommand::PrintUsage() {
    std::fputs(
        "usage: imprxcmd [--boot X] [--verbose] COMMAND [ARGUMENTS]\n"
        "\n"
        "  before [--drive X:]... [--exclude-file NAME]... [--exclude-dir PATH]...\n"
        "         [--text-file PATH]... [--fast]\n"
        "      takes the first picture, into X:\\imprix.dir\\before on the boot drive\n"
        "      (default: the Windows drive); the default scope plus these\n"
        "  after [--fast]\n"
        "      takes the second picture, with the scope and fast-scan setting of\n"
        "      the first\n"
        "  make TEMPLATE NEWFILESDIR --name NAME [--caption TEXT] [--target DIR]\n"
        "      compares the pictures and writes the template, copying new files into\n"
        "      NEWFILESDIR as 1.fil, 2.fil... (filedef.txt lists them); both folders\n"
        "      are made when missing; the work directory goes when the template is made\n"
        "  print FILE\n"
        "      prints a picture file (files.txt, registry.txt, groups.bin), a record a line\n"
        "\n"
        "--fast leaves HKEY_LOCAL_MACHINE out of both pictures. --verbose reports\n"
        "progress on standard error. Exit status: 0 done, 1 failed, 2 bad command line.\n",
        out_);
}

int ImprxCommand::Run(int argc, char** argv) {
    Settings().resourceModule = GetModuleHandleA(nullptr);
    Options options;
    auto value = [&](int& i, std::string* target) {
        if (i + 1 >= argc) return false;
        *target = argv[++i];
        return true;
    };
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i], text;
        if (arg == "--help" || arg == "-h") {
            PrintUsage();
            return kImprxDone;
        } else if (arg == "--verbose") {
            options.verbose = true;
        } else if (arg == "--fast") {
            options.fast = true;
        } else if (arg == "--boot") {
            if (!value(i, &text) || text.empty() || (text.size() > 1 && !IsDriveEntry(text)))
                return Refuse("--boot takes a drive letter");
            options.boot = text[0];
        } else if (arg == "--drive") {
            if (!value(i, &text) || !IsDriveEntry(text)) return Refuse("--drive takes a drive such as D:");
            options.drives.push_back(text);
        } else if (arg == "--exclude-file" || arg == "--exclude-dir" || arg == "--text-file") {
            if (!value(i, &text) || text.empty()) return Refuse(arg + " takes a value");
            (arg == "--exclude-file" ? options.excludeFiles
             : arg == "--exclude-dir" ? options.excludeDirectories
                                      : options.textFiles)
                .push_back(text);
        } else if (arg == "--name" || arg == "--caption" || arg == "--target") {
            if (!value(i, &text)) return Refuse(arg + " takes a value");
            (arg == "--name" ? options.name : arg == "--caption" ? options.caption : options.target) = text;
            options.hasName = options.hasName || arg == "--name";
        } else if (arg.rfind("--", 0) == 0) {
            return Refuse("unknown option " + arg);
        } else if (options.command.empty()) {
            options.command = arg;
        } else {
            options.arguments.push_back(arg);
        }
    }
    if (options.command.empty()) return Refuse("no command");
    bool scope = !options.drives.empty() || !options.excludeFiles.empty() || !options.excludeDirectories.empty() ||
                 !options.textFiles.empty();
    bool naming = options.hasName || !options.caption.empty() || !options.target.empty();
    size_t wanted = options.command == "make" ? 2 : options.command == "print" ? 1 : 0;
    if (options.command != "before" && options.command != "after" && options.command != "make" &&
        options.command != "print")
        return Refuse("unknown command " + options.command);
    if (options.arguments.size() != wanted)
        return Refuse(options.command + " takes " + std::to_string(wanted) + " argument(s)");
    if ((scope && options.command != "before") || (naming && options.command != "make") ||
        (options.fast && options.command != "before" && options.command != "after"))
        return Refuse("an option that " + options.command + " does not take");
    if (options.command == "print") return Print(options);
    if (options.command == "make" && !options.hasName) return Refuse("make needs --name NAME");
    if (options.command == "make" && options.name.find_first_of(".+=") != std::string::npos)
        return Refuse(LoadResString(kStrInvalidName));

    if (options.boot == 0) options.boot = WindowsDriveLetter();
    std::string error;
    if (!StartEngine(GetModuleHandleA(nullptr), &error)) return Fail(error);
    g_progress = options.verbose ? err_ : nullptr;
    int result;
    {
        ConsoleAnswers answers(err_);
        result = options.command == "before" ? Before(options)
                 : options.command == "after" ? After(options)
                                              : Make(options);
        for (const auto& failure : answers.Failures()) result = Fail(failure);
    }
    g_progress = nullptr;
    StopEngine();
    return result;
}

int ImprxCommand::Before(const Options& options) {
    DefinitionLists lists;
    SetDefaultExclusions(options.boot, WindowsDriveLetter(), &lists);
    for (const auto& drive : options.drives) AddSorted(&lists.drives, drive);
    for (const auto& name : options.excludeFiles) AddSorted(&lists.excludeFiles, name);
    for (const auto& path : options.excludeDirectories) AddSorted(&lists.excludeDirectories, path);
    for (const auto& path : options.textFiles) AddSorted(&lists.textFiles, path);
    IMPRXDeleteHiddenDir(options.boot);
    IMPRXCreateBeforeDir(options.boot);
    std::string error;
    if (!SaveDefinitions(options.boot, lists, &error)) return Fail(error);
    std::string defaults = DefaultsFile(options.boot);
    // The second picture must picture the same hives.
    if (!WritePrivateProfileStringA(kStringsSection, kFastScanKey, options.fast ? "1" : "0", defaults.c_str()))
        return Fail("Unable to write to " + defaults);
    Settings().fastScan = options.fast;
    IMPRXTakePicture(options.boot, defaults.c_str(), 0, Progress);
    return kImprxDone;
}

int ImprxCommand::After(const Options& options) {
    std::string defaults = DefaultsFile(options.boot);
    if (GetFileAttributesA((PictureDirectory(options.boot, 0) + "\\files.txt").c_str()) == INVALID_FILE_ATTRIBUTES)
        return Fail("there is no first picture in " + WorkDirectory(options.boot) + " (run imprxcmd before)");
    bool recorded = GetPrivateProfileIntA(kStringsSection, kFastScanKey, 0, defaults.c_str()) != 0;
    if (options.fast && !recorded)
        return Refuse("--fast: the first picture was taken without it, so the second must be too");
    Settings().fastScan = recorded;
    IMPRXCreateAfterDir(options.boot);
    IMPRXTakePicture(options.boot, defaults.c_str(), 1, Progress);
    return kImprxDone;
}

int ImprxCommand::Make(const Options& options) {
    const std::string& templatePath = options.arguments[0];
    const std::string& newFiles = options.arguments[1];
    const char* slash = KMLstrrchr(templatePath.c_str(), '\\');
    if (slash != nullptr && !CheckPathValid(std::string(templatePath.c_str(), slash)))
        return Fail(LoadResString(27) + " " + templatePath);
    if (!CheckPathValid(newFiles)) return Fail(LoadResString(31) + " " + newFiles);
    Settings().distName = options.name;
    Settings().distDesc = options.caption;
    Settings().installDirectory = options.target;
    if (IMPRXMakeTemplate(options.boot, templatePath.c_str(), newFiles.c_str(), Progress) != 0)
        return Fail("the template was not made; the pictures stay in " + WorkDirectory(options.boot));
    return kImprxDone;
}

int ImprxCommand::Print(const Options& options) {
    std::vector<std::string> lines;
    bool whole = PictureText(options.arguments[0], &lines);
    if (lines.empty()) return Fail("cannot open " + options.arguments[0]);
    for (const auto& line : lines) std::fprintf(out_, "%s\n", line.c_str());
    return whole ? kImprxDone : kImprxFailed;
}
