// Fuzz target of a desktop shortcut as the loader reads it when it removes
// the shortcuts into the extension's name space: the input is the bytes of a
// .lnk file. LinkPointsIntoNameSpace must never read outside the target
// list, and must answer exactly whether an item of at least 20 bytes of the
// list, as the shortcut file holds it, carries the extension's class at
// offset 4.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz_kit.h"
#include "installation.h"
#include "objbase.h"
#include "uninstall.h"
#include "vpr/com/shell_link_file.h"

namespace {

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "%s\n", what);
    std::abort();
}

bool ListHoldsRoot(const std::vector<uint8_t>& list) {
    for (size_t at = 0; at + 2 <= list.size();) {
        const size_t cb = list[at] | (list[at + 1] << 8);
        if (cb == 0 || at + cb > list.size()) break;
        if (cb >= 20 && std::memcmp(list.data() + at + 4, &kExtensionClsid, sizeof(CLSID)) == 0) return true;
        at += cb;
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    vpr::fuzz::UseFuzzMachine(65001);
    static const bool initialized = CoInitialize(nullptr) == S_OK;
    if (!initialized) Fail("COM did not start");
    const std::string path = vpr::fuzz::WriteInputFile(data, size);
    vpr::com::ShellLink link;
    std::string error;
    const bool expected = vpr::com::DecodeShellLink(data, size, &link, &error) && ListHoldsRoot(link.idList);
    if (LinkPointsIntoNameSpace(path) != expected) Fail("the shortcut was judged otherwise than its list says");
    return 0;
}
