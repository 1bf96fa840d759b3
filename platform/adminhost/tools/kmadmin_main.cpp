// kmadmin: the administration host. Loads the snap-in modules that the
// machine's kmadmin.ini lists, runs a script (a file, or standard input) that
// drives it as a person would, and shuts the modules down.
//
//   kmadmin [SCRIPT]
//   kmadmin --help | -h
//
// Exit codes: 0 every command worked (or the usage was asked for), 1 a
// command failed, 2 the host could not start (no machine), the command line
// was refused or the script could not be read.
#include <cstring>
#include <fstream>
#include <iostream>

#include "vpr/adminhost/admin_host.h"
#include "vpr/adminhost/script_runner.h"
#include "vpr/machine/machine.h"

namespace {

void PrintUsage(std::ostream& out) {
    out << "usage: kmadmin [SCRIPT]\n"
           "  runs the script (standard input when no file is named) in the administration host\n"
           "  of the machine that VPR_MACHINE names; the snap-in modules it loads are listed in\n"
           "  [Snapin Modules] of kmadmin.ini in the machine's Windows folder\n"
           "  (<machine>/c/WINDOWS/kmadmin.ini). The script commands are in docs/scripts.md.\n";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        PrintUsage(std::cout);
        return 0;
    }
    if (argc > 2 || (argc == 2 && argv[1][0] == '-' && argv[1][1] != '\0')) {
        PrintUsage(std::cerr);
        return 2;
    }
    if (!vpr::machine::CurrentMachine()) {
        std::string why = vpr::machine::CurrentMachineError();
        std::cerr << "kmadmin: no machine: "
                  << (why.empty() ? "VPR_MACHINE is not set (make one with vprmachine create)" : why) << "\n";
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
