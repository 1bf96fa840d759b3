// Fuzz target of the view-state record as the view reads it from the
// browser's stream: any number of bytes (the view reads at most 44). A record
// taken carries the signature and version 3, bytes past the input keep their
// defaults, and writing it gives back the bytes read.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "fuzz_kit.h"
#include "view/shell_view.h"

using vpr::fuzz::Fail;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // An exact copy of what a stream read would give, so a read past it is caught.
    const ULONG count = size < kViewStateSize ? static_cast<ULONG>(size) : kViewStateSize;
    std::vector<BYTE> bytes(data, data + count);
    ViewStateRecord before;
    SetDefaultViewState(&before);
    before.columnWidths[0] = 7;  // a record the view already had
    ViewStateRecord record = before;
    if (!ReadViewState(bytes.data(), count, &record)) {
        if (std::memcmp(&record, &before, sizeof(record)) != 0) Fail("a refused record changed the view's");
        return 0;
    }
    if (count == 0) Fail("a record taken from no bytes");
    if (!IsEqualGUID(record.signature, IID_IViewStateTransfer) || record.version != 3) Fail("a foreign record taken");
    BYTE written[kViewStateSize];
    WriteViewState(record, written);
    if (std::memcmp(written, bytes.data(), count) != 0) Fail("the record writes other bytes than it read");
    ViewStateRecord defaults;
    SetDefaultViewState(&defaults);
    BYTE defaultBytes[kViewStateSize];
    WriteViewState(defaults, defaultBytes);
    if (std::memcmp(written + count, defaultBytes + count, kViewStateSize - count) != 0) {
        Fail("bytes past the stream lost their defaults");
    }
    return 0;
}
