#include "fault_table.h"

#include <vector>

#include "vpr/machine/atomic_file.h"
#include "vpr/win/path.h"

namespace vpr::win {

namespace {

struct Fault {
    std::string hostPath;
    FileFault kind;
    std::shared_ptr<DiskSpace> space;
};

std::mutex g_mutex;
std::vector<Fault>& Faults() {
    static auto* faults = new std::vector<Fault>;
    return *faults;
}

bool Covers(const std::string& faultPath, const std::string& hostPath) {
    return hostPath.compare(0, faultPath.size(), faultPath) == 0 &&
           (hostPath.size() == faultPath.size() || hostPath[faultPath.size()] == '/' || faultPath == "/");
}

// Output files and the journal, written by the machine library, see the same
// full disks as files written through handles.
uint64_t FaultWriteLimit(const std::string& hostPath, uint64_t bytes) {
    auto space = FaultTable::SpaceFor(hostPath);
    if (!space) return bytes;
    std::lock_guard lock(space->mutex);
    uint64_t fits = bytes < space->bytesLeft ? bytes : space->bytesLeft;
    space->bytesLeft -= fits;
    return fits;
}

const bool g_writeLimitSet = (vpr::machine::SetWriteLimit(&FaultWriteLimit), true);

}  // namespace

bool InjectFileFault(const char* name, FileFault fault, uint64_t bytesLeft) {
    std::string host;
    if (!ResolveHostPath(name, &host)) return false;
    while (host.size() > 1 && host.back() == '/') host.pop_back();
    std::shared_ptr<DiskSpace> space;
    if (fault == FileFault::DiskFull) {
        space = std::make_shared<DiskSpace>();
        space->bytesLeft = bytesLeft;
    }
    std::lock_guard lock(g_mutex);
    Faults().push_back({host, fault, space});
    return true;
}

void ClearFileFaults() {
    std::lock_guard lock(g_mutex);
    Faults().clear();
}

bool FaultTable::Has(const std::string& hostPath, FileFault fault) {
    std::lock_guard lock(g_mutex);
    for (const auto& f : Faults())
        if (f.kind == fault && Covers(f.hostPath, hostPath)) return true;
    return false;
}

std::shared_ptr<DiskSpace> FaultTable::SpaceFor(const std::string& hostPath) {
    std::lock_guard lock(g_mutex);
    for (const auto& f : Faults())
        if (f.kind == FileFault::DiskFull && Covers(f.hostPath, hostPath)) return f.space;
    return nullptr;
}

}  // namespace vpr::win
