// EXPLORER.EXE: the shell. Runs a script (a file, else what a person types
// on standard input, read on a thread so that the shell serves meanwhile)
// and stops at its end or at "exit".
//
//   EXPLORER.EXE [SCRIPT]
//
// Exit codes: 0 every command worked, 1 a command failed, 2 the shell could
// not start (another runs) or the script could not be read.
#include <fstream>
#include <iostream>
#include <string>

#include "vpr/shellhost/shell_host.h"
#include "vpr/shellhost/shell_script.h"

int main(int argc, char** argv) {
    if (argc > 2 || (argc == 2 && std::string(argv[1]) == "--help")) {
        std::cerr << "usage: EXPLORER.EXE [SCRIPT]\n";
        return argc == 2 ? 0 : 2;
    }
    std::ifstream file;
    if (argc == 2) {
        file.open(argv[1]);
        if (!file) {
            std::cerr << "EXPLORER.EXE: cannot read " << argv[1] << "\n";
            return 2;
        }
    }
    vpr::shellhost::ShellHost host;
    int result = vpr::shellhost::RunShellScript(host, argc == 2 ? static_cast<std::istream&>(file) : std::cin, std::cout,
                                                argc != 2);
    host.Stop();
    return result;
}
