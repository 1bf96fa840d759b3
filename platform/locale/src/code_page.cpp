// The one answer to "which code page does this process speak": the code page
// of the machine it runs on, UTF-8 without a machine.
#include "vpr/locale/locale.h"
#include "vpr/machine/machine.h"

namespace vpr::locale {

UINT CurrentCodePage() {
    auto machine = vpr::machine::CurrentMachine();
    if (machine && vpr::machine::IsSupportedCodePage(machine->codePage)) return machine->codePage;
    return kCodePageUtf8;
}

}  // namespace vpr::locale
