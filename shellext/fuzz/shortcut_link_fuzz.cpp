// Fuzz target of a desktop shortcut as the shortcut manager reads it: the
// input is the bytes of a .lnk file, loaded through the shell link object.
// ResolveLink must never read outside the target list, and must answer
// exactly what the list read straight from the file says: whether it passes
// through the extension's root item and the key of its last item; a
// shortcut counts as the manager's own exactly when it leads there and
// carries the marker description.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz_kit.h"
#include "namespace/item_id_list.h"
#include "objbase.h"
#include "tray/link_manager.h"
#include "vpr/com/shell_link_file.h"

using vpr::fuzz::Fail;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    vpr::fuzz::UseFuzzMachine(65001);
    static const bool initialized = CoInitialize(nullptr) == S_OK;
    if (!initialized) Fail("COM did not start");
    const std::string path = vpr::fuzz::WriteInputFile(data, size);

    vpr::com::ShellLink link;
    std::string error;
    CString expectedKey;
    BOOL expected = FALSE;
    if (vpr::com::DecodeShellLink(data, size, &link, &error) && !link.idList.empty())
        expected = ItemKeyFromIdList(reinterpret_cast<LPCITEMIDLIST>(link.idList.data()), expectedKey, TRUE,
                                     link.idList.size());
    if (!expected) expectedKey.Empty();

    CString key;
    BOOL own = FALSE;
    const BOOL into = CLinkManager::ResolveLink(path.c_str(), key, &own);
    if (into != expected) Fail("the shortcut was judged otherwise than its list says");
    if (key != expectedKey) Fail("the shortcut's key is not its list's last item");
    const bool marked = link.name && *link.name == kOwnLinkDescription;
    if (own != (into && marked)) Fail("a shortcut without the marker counted as the manager's own");
    return 0;
}
