// Fuzz target of the shortcut file reader: the input is the bytes of a .lnk
// file as the shell link object and the launcher read it. A refused file must
// say why; an accepted one must be well formed where callers walk it (the
// identifier list), and must come back when written and read again: every
// field as it was, except that an ANSI text which is not valid in the code
// page is taken once in its converted form and then stays as it is.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz_kit.h"
#include "vpr/com/shell_link_file.h"

namespace {

using vpr::fuzz::Fail;

// Items of two or more bytes each, inside the list, ending at a terminator.
void CheckIdList(const std::vector<uint8_t>& list) {
    if (list.empty()) return;
    size_t at = 0;
    while (true) {
        if (at + 2 > list.size()) Fail("an identifier list without its terminator");
        const size_t cb = list[at] | (list[at + 1] << 8);
        if (cb == 0) return;
        if (cb < 2 || at + cb > list.size()) Fail("an identifier list item past the list");
        at += cb;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    vpr::com::ShellLink link;
    std::string error;
    if (!vpr::com::DecodeShellLink(data, size, &link, &error)) {
        if (error.empty()) Fail("a refused shortcut without a reason");
        return 0;
    }
    CheckIdList(link.idList);
    const std::vector<uint8_t> written = vpr::com::EncodeShellLink(link);
    vpr::com::ShellLink again;
    if (!vpr::com::DecodeShellLink(written.data(), written.size(), &again, &error))
        Fail("a shortcut written from an accepted one is refused");
    vpr::com::ShellLink texts = again;
    texts.otherFlags = link.otherFlags;
    texts.fileAttributes = link.fileAttributes;
    texts.creationTime = link.creationTime;
    texts.accessTime = link.accessTime;
    texts.writeTime = link.writeTime;
    texts.fileSize = link.fileSize;
    texts.iconIndex = link.iconIndex;
    texts.showCommand = link.showCommand;
    texts.hotKey = link.hotKey;
    texts.idList = link.idList;
    texts.extraBlocks = link.extraBlocks;
    if (!(texts == again)) Fail("a shortcut's numbers, list or blocks change when written and read again");
    if (again.linkInfo.has_value() != link.linkInfo.has_value() ||
        again.name.has_value() != link.name.has_value() ||
        again.relativePath.has_value() != link.relativePath.has_value() ||
        again.workingDirectory.has_value() != link.workingDirectory.has_value() ||
        again.arguments.has_value() != link.arguments.has_value() ||
        again.iconLocation.has_value() != link.iconLocation.has_value())
        Fail("a shortcut's texts come and go when written and read again");
    const std::vector<uint8_t> rewritten = vpr::com::EncodeShellLink(again);
    if (rewritten != written) Fail("a shortcut written twice gives other bytes");
    return 0;
}
