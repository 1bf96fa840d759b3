// Fuzz target of the CF_HDROP block that an application's drop reads: the
// input is the whole block in global memory. The parameters are made only
// of the names inside the block: "~" before the first, a blank before each
// later one, each name at most 259 bytes, no NUL; no name, no parameters.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz_kit.h"
#include "items/drop_data.h"
#include "vpr/com/drop_files.h"

using vpr::fuzz::Fail;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Wide names are converted in the machine's code page.
    vpr::fuzz::UseFuzzMachine(932);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!block) return 0;
    if (size) {
        std::memcpy(GlobalLock(block), data, size);
        GlobalUnlock(block);
    }
    CString parameters;
    const BOOL taken = GetDropParameters(static_cast<HDROP>(block), parameters);
    // What the parameters must be, from the names the block holds.
    std::string expected;
    for (const std::string& path : vpr::com::DropFilesPaths(block)) {
        const std::string name = path.substr(0, 259);
        if (name.empty() || name[0] == 0) continue;
        expected += expected.empty() ? "~" : " ";
        expected += name.c_str();
    }
    GlobalFree(block);
    if (taken != !parameters.IsEmpty()) Fail("taken says otherwise than the parameters");
    if (std::strlen(parameters) != static_cast<size_t>(parameters.GetLength())) Fail("parameters holding a NUL");
    if (taken && parameters[0] != '~') Fail("parameters without their tilde");
    if (expected != static_cast<LPCSTR>(parameters)) Fail("parameters other than the block's names");
    return 0;
}
