#include "machine_link.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "vpr/machine/machine.h"

namespace vpr::win {

bool MakeFolders(const std::string& path, unsigned mode) {
    for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        std::string level = path.substr(0, slash);
        if (::mkdir(level.c_str(), mode) != 0 && errno != EEXIST) return false;
        if (slash == std::string::npos) break;
    }
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string KernelFolder() {
    std::string folder;
    if (auto machine = vpr::machine::CurrentMachine()) {
        folder = machine->root + "/.kernel";
        if (!MakeFolders(folder, 0777)) return {};
    } else if (vpr::machine::MachineExpected()) {
        // A machine that does not load shares nothing with a folder elsewhere.
        errno = ENOENT;
        return {};
    } else {
        folder = "/tmp/vpr-kernel-" + std::to_string(::getuid());
        if (!MakeFolders(folder, 0700)) return {};
    }
    return folder;
}

}  // namespace vpr::win
