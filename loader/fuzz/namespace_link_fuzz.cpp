// Fuzz target of a desktop shortcut as the loader reads it when it removes
// the shortcuts into the extension's name space: the input is the bytes of a
// .lnk file. LinkPointsIntoNameSpace must never read outside the target
// list, and must answer exactly whether the list, as the shortcut file holds
// it, passes through the extension's root item (an item of at least 20
// bytes carrying the extension's class at offset 4, every item inside the
// list).
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz_kit.h"
#include "namespace/item_id_list.h"
#include "objbase.h"
#include "uninstall.h"
#include "vpr/com/shell_link_file.h"

using vpr::fuzz::Fail;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    vpr::fuzz::UseFuzzMachine(65001);
    static const bool initialized = CoInitialize(nullptr) == S_OK;
    if (!initialized) Fail("COM did not start");
    const std::string path = vpr::fuzz::WriteInputFile(data, size);
    vpr::com::ShellLink link;
    std::string error;
    CString key;
    const bool expected = vpr::com::DecodeShellLink(data, size, &link, &error) && !link.idList.empty() &&
                          ItemKeyFromIdList(reinterpret_cast<LPCITEMIDLIST>(link.idList.data()), key, TRUE,
                                            link.idList.size());
    if (LinkPointsIntoNameSpace(path) != expected) Fail("the shortcut was judged otherwise than its list says");
    return 0;
}
