// kmadmin: the administration host. Loads the snap-in modules that the
// machine's kmadmin.ini lists, runs a script (a file, or standard input) that
// drives it as a person would, and shuts the modules down.
//
//   kmadmin [SCRIPT]
//
// Exit codes: 0 every command worked, 1 a command failed, 2 the host could
// not start or the script could not be read.
#include <fstream>
#include <iostream>

#include "vpr/adminhost/admin_host.h"
#include "vpr/adminhost/script_runner.h"

int main(int argc, char** argv) {
    if (argc > 2) {
        std::cerr << "usage: kmadmin [SCRIPT]\n";
        return 2;
    }
    std::ifstream file;
    if (argc == 2) {
        file.open(argv[1]);
        if (!file) {
            std::cerr << "kmadmin: cannot read " << argv[1] << "\n";
            return 2;
        }
    }
    // The script starts the host at its first command that needs it.
    vpr::adminhost::AdminHost host;
    int result = vpr::adminhost::RunScript(host, argc == 2 ? static_cast<std::istream&>(file) : std::cin, std::cout);
    host.Stop();
    return result;
}
