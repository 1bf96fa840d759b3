#include "vpr/directory/faults.h"

#include <limits>
#include <mutex>

#include "fault_state.h"

namespace vpr::directory::faults {

namespace {

struct State {
    std::mutex mutex;
    bool failContext = false;
    size_t bufferBudget = 0;
    int modifyStatus = 0;
    int modifyAfter = 0;
    uint64_t streamWriteBudget = std::numeric_limits<uint64_t>::max();
};

State& Faults() {
    static State state;
    return state;
}

}  // namespace

void FailContextCreation(bool fail) {
    std::lock_guard lock(Faults().mutex);
    Faults().failContext = fail;
}

void SetBufferBudget(size_t bytes) {
    std::lock_guard lock(Faults().mutex);
    Faults().bufferBudget = bytes;
}

void FailModify(int status, int after) {
    std::lock_guard lock(Faults().mutex);
    Faults().modifyStatus = status;
    Faults().modifyAfter = after;
}

void FailStreamWritesAfter(uint64_t bytes) {
    std::lock_guard lock(Faults().mutex);
    Faults().streamWriteBudget = bytes;
}

void Reset() {
    std::lock_guard lock(Faults().mutex);
    Faults().failContext = false;
    Faults().bufferBudget = 0;
    Faults().modifyStatus = 0;
    Faults().modifyAfter = 0;
    Faults().streamWriteBudget = std::numeric_limits<uint64_t>::max();
}

bool ContextCreationFails() {
    std::lock_guard lock(Faults().mutex);
    return Faults().failContext;
}

size_t BufferBudget(size_t asked) {
    std::lock_guard lock(Faults().mutex);
    return Faults().bufferBudget ? Faults().bufferBudget : asked;
}

int TakeModifyFailure() {
    std::lock_guard lock(Faults().mutex);
    if (Faults().modifyStatus == 0) return 0;
    if (Faults().modifyAfter > 0) {
        --Faults().modifyAfter;
        return 0;
    }
    int status = Faults().modifyStatus;
    Faults().modifyStatus = 0;
    return status;
}

uint64_t StreamWriteBudget() {
    std::lock_guard lock(Faults().mutex);
    return Faults().streamWriteBudget;
}

}  // namespace vpr::directory::faults
