// Waitable kernel objects and the one place where a thread of the process
// blocks for them. Every wait (WaitFor*, Sleep, and any later wait of the
// platform such as a message queue's) blocks on WaitCore's condition under
// WaitCore's lock, with its time-out counted by the one clock (clock.h), so a
// test clock can wake timed waits that are due.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>

#include "vpr/win/handle_table.h"

namespace vpr::win {

class WaitCore {
public:
    static WaitCore& Instance();

    std::mutex mutex;
    // Notified whenever a waitable object may have become signalled.
    std::condition_variable changed;

    // Tells every blocked waiter to look again. Call after changing an
    // object's state (not while holding `mutex`).
    void NotifyAll();
};

// An object a wait can be satisfied by. Every method is called with
// WaitCore::mutex held, and between LockState and UnlockState.
class Waitable : public KernelObject {
public:
    // A waiter starts or stops waiting on the object. The ticket that
    // BeginWait returns is handed back to IsSignaled and Acquire (events use
    // it to let a pulse release only the threads that were waiting).
    virtual uint64_t BeginWait() { return 0; }
    virtual void EndWait() {}
    virtual bool IsSignaled(uint64_t ticket) = 0;
    // Takes the signal once a wait is satisfied (an auto-reset event resets).
    virtual void Acquire(uint64_t /*ticket*/) {}

    // Objects whose state lives outside the process (named events) lock it
    // here. Waits lock several such objects in the order of their SharedKey.
    virtual void LockState() {}
    virtual void UnlockState() {}
    virtual const std::string* SharedKey() const { return nullptr; }
};

// Waits until one (wait_all false) or every object is signalled, or until
// `timeoutMs` of the clock have passed (INFINITE: no time-out). Returns
// WAIT_OBJECT_0 + index or WAIT_TIMEOUT.
uint32_t WaitForObjects(std::span<const std::shared_ptr<Waitable>> objects, bool waitAll,
                        uint32_t timeoutMs);

}  // namespace vpr::win
