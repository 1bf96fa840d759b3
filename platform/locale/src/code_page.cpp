// The one answer to "which code page does this process speak".
#include <atomic>

#include "vpr/locale/locale.h"

namespace vpr::locale {
namespace {
std::atomic<UINT> g_codePage{kCodePageUtf8};
}

UINT CurrentCodePage() { return g_codePage.load(std::memory_order_relaxed); }

bool SetCurrentCodePage(UINT codePage) {
    if (codePage != kCodePageUtf8 && codePage != kCodePageLatin1 &&
        codePage != kCodePageJapanese) {
        return false;
    }
    g_codePage.store(codePage, std::memory_order_relaxed);
    return true;
}

}  // namespace vpr::locale
