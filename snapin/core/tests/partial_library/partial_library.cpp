// A launcher support library of an older kind: it exports only a few of the
// entry points, each answering with a value the tests recognise.
#include <cstring>

#include "windows.h"

extern "C" {

int32_t KMAPPAllocContextHandle(void) { return 4242; }

LONG KMAPPCreateGUID(LPSTR text, DWORD size) {
    if (size < 10) return -2;
    std::strcpy(text, "{PARTIAL}");
    return 0;
}

LONG kmapptWriteSignature(HFILE) { return 7; }

}  // extern "C"
