// VprExpLd: the loader of the shell extension. Its switches ("/u", "/n",
// "/s") may stand anywhere in the command line. With VPR_UI_SCRIPT naming a
// script, the script's answers (answer yes, answer ok ...) are armed first and
// the loader then runs, its message boxes answered by them.
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>

#include "loader_main.h"
#include "vpr/script/script_session.h"

namespace {

// The Windows directory of this program.
std::string ProgramDirectory() {
    char path[MAX_PATH] = "";
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    if (length == 0 || length >= sizeof path) return "";
    return ParentDirectory(path);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::cout << "usage: VprExpLd [/u] [/n] [/s]\n"
                     "  Installs the shell extension VprExp32.dll from the program's folder,\n"
                     "  registers it and asks the shell to load it.\n"
                     "  /u stops a running extension and removes its registration traces.\n"
                     "  /n keeps asking the shell every second until it loads the extension.\n"
                     "  /s shows no summary of failures (restart questions are still asked).\n"
                     "  VPR_UI_SCRIPT=FILE answers its message boxes with the script in FILE\n"
                     "  and prints the loader's result.\n";
        return 0;
    }
    std::string commandLine;
    for (int i = 1; i < argc; ++i) commandLine += std::string(i > 1 ? " " : "") + argv[i];
    const std::string directory = ProgramDirectory();

    const char* script = std::getenv("VPR_UI_SCRIPT");
    if (!script || !*script) return LoaderWinMain(commandLine, directory);
    std::ifstream in(script);
    if (!in) {
        std::cerr << "cannot read the script " << script << "\n";
        return 2;
    }
    vpr::script::ScriptSession session(in, std::cout);
    session.SetStart([&] {
        const int result = LoaderWinMain(commandLine, directory);
        std::cout << "result " << result << "\n";
        return true;
    });
    return session.Run();
}
