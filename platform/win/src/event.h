// Events: the state machine shared by unnamed events (state in the process)
// and named events (state in a segment shared by the machine's processes).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "vpr/win/waitable.h"

namespace vpr::win {

// Plain fields only: a named event keeps this in shared memory.
struct EventState {
    uint32_t manualReset;
    uint32_t signaled;
    // An auto-reset pulse leaves one token, which only a thread that was
    // already waiting at the pulse may take.
    uint32_t pulseToken;
    uint32_t reserved;
    // Rises with every pulse. A waiter remembers it when it starts waiting;
    // a later pulse releases it (all such waiters, or one with a token).
    uint64_t pulseEpoch;

    void Set() { signaled = 1; }
    void Reset() { signaled = 0; }
    void Pulse() {
        ++pulseEpoch;
        if (!manualReset) pulseToken = 1;
        signaled = 0;
    }
    uint64_t Ticket() const { return pulseEpoch; }
    bool IsSignaled(uint64_t ticket) const {
        return signaled || (ticket != pulseEpoch && (manualReset || pulseToken));
    }
    void Acquire() {
        if (manualReset) return;
        if (signaled) {
            signaled = 0;
        } else {
            pulseToken = 0;
        }
    }
};

class Event : public Waitable {
public:
    virtual void Set() = 0;
    virtual void Reset() = 0;
    virtual void Pulse() = 0;
};

// Creates (create true) or opens the named event of the machine. Sets
// *existed when it was there already. Null with the last error set on
// failure; ERROR_FILE_NOT_FOUND when opening an event that no process holds.
std::shared_ptr<Event> OpenNamedEvent(const std::string& name, bool create, bool manualReset,
                                      bool initialState, bool* existed);

}  // namespace vpr::win
