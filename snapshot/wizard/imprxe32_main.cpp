// imprxe32: the snapshot wizard. It also exports the engine's IMPRX* entry
// points under their names.
#include <cstring>
#include <iostream>

#include "main_form.h"

int main(int argc, char** argv) {
    if (argc > 1 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::cout << "usage: imprxe32 [/FASTSCAN]\n"
                     "  The snapshot wizard: pictures the workstation before and after an\n"
                     "  application's setup and writes the differences as a template (.qmt).\n"
                     "  /FASTSCAN leaves HKEY_LOCAL_MACHINE out of the pictures.\n"
                     "  VPR_UI_SCRIPT=FILE runs the script in FILE against it.\n";
        return 0;
    }
    return snapshot::ProgramMain(argc, argv);
}
