// The faults tests injected (vpr/win/file_fault.h), looked up by host path.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "vpr/win/file_fault.h"

namespace vpr::win {

// The space left on a disk that tests made full; shared by every file
// opened beneath the faulty path.
struct DiskSpace {
    std::mutex mutex;
    uint64_t bytesLeft = 0;
};

class FaultTable {
public:
    // True when `hostPath` or a folder above it carries the fault.
    static bool Has(const std::string& hostPath, FileFault fault);
    // The space of the disk-full fault over `hostPath`, null when none.
    static std::shared_ptr<DiskSpace> SpaceFor(const std::string& hostPath);
};

}  // namespace vpr::win
