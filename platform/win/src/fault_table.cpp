#include "fault_table.h"

#include <vector>

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
