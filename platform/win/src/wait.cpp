// WaitForSingleObject and WaitForMultipleObjects over every waitable object.
#include <algorithm>
#include <vector>

#include "vpr/win/clock.h"
#include "vpr/win/error.h"
#include "vpr/win/thread.h"
#include "vpr/win/waitable.h"

namespace vpr::win {

WaitCore& WaitCore::Instance() {
    // Never destroyed: threads may still wait while statics are torn down.
    static WaitCore* core = new WaitCore;
    return *core;
}

void WaitCore::NotifyAll() {
    // Taking the lock orders the notification after any waiter's last look.
    { std::lock_guard lock(mutex); }
    changed.notify_all();
}

namespace {

// Locks the state of each distinct object, shared ones in the order of their
// key so that processes waiting on the same named objects never cross.
class StateLocks {
public:
    explicit StateLocks(std::span<const std::shared_ptr<Waitable>> objects) {
        for (const auto& object : objects) {
            if (std::find(order_.begin(), order_.end(), object.get()) == order_.end()) {
                order_.push_back(object.get());
            }
        }
        std::stable_sort(order_.begin(), order_.end(), [](Waitable* a, Waitable* b) {
            const std::string* ka = a->SharedKey();
            const std::string* kb = b->SharedKey();
            if (!ka || !kb) return !ka && kb;
            return *ka < *kb;
        });
    }
    void Lock() {
        for (Waitable* object : order_) object->LockState();
    }
    void Unlock() {
        for (auto it = order_.rbegin(); it != order_.rend(); ++it) (*it)->UnlockState();
    }

private:
    std::vector<Waitable*> order_;
};

}  // namespace

uint32_t WaitForObjects(std::span<const std::shared_ptr<Waitable>> objects, bool waitAll,
                        uint32_t timeoutMs) {
    std::shared_ptr<Clock> clock = CurrentClock();
    WaitCore& core = WaitCore::Instance();
    StateLocks states(objects);
    std::vector<uint64_t> tickets(objects.size());

    std::unique_lock lock(core.mutex);
    states.Lock();
    for (size_t i = 0; i < objects.size(); ++i) tickets[i] = objects[i]->BeginWait();
    states.Unlock();

    std::optional<uint64_t> deadline;
    if (timeoutMs != INFINITE) deadline = clock->TickMs() + timeoutMs;

    uint32_t result = WAIT_TIMEOUT;
    for (;;) {
        states.Lock();
        if (waitAll) {
            bool all = true;
            for (size_t i = 0; i < objects.size() && all; ++i) {
                all = objects[i]->IsSignaled(tickets[i]);
            }
            if (all) {
                for (size_t i = 0; i < objects.size(); ++i) objects[i]->Acquire(tickets[i]);
                result = WAIT_OBJECT_0;
            }
        } else {
            for (size_t i = 0; i < objects.size(); ++i) {
                if (objects[i]->IsSignaled(tickets[i])) {
                    objects[i]->Acquire(tickets[i]);
                    result = WAIT_OBJECT_0 + static_cast<uint32_t>(i);
                    break;
                }
            }
        }
        states.Unlock();
        if (result != WAIT_TIMEOUT) break;
        if (deadline && clock->TickMs() >= *deadline) break;
        clock->Block(lock, deadline);
    }

    states.Lock();
    for (const auto& object : objects) object->EndWait();
    states.Unlock();
    return result;
}

}  // namespace vpr::win

using vpr::win::HandleTable;
using vpr::win::Waitable;

extern "C" DWORD WINAPI WaitForMultipleObjects(DWORD nCount, const HANDLE* lpHandles,
                                               BOOL bWaitAll, DWORD dwMilliseconds) {
    if (nCount == 0 || nCount > MAXIMUM_WAIT_OBJECTS || lpHandles == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return WAIT_FAILED;
    }
    std::vector<std::shared_ptr<Waitable>> objects;
    for (DWORD i = 0; i < nCount; ++i) {
        auto object = HandleTable::Instance().GetAs<Waitable>(vpr::win::ValueFromHandle(lpHandles[i]));
        if (!object) {
            SetLastError(ERROR_INVALID_HANDLE);
            return WAIT_FAILED;
        }
        // Waiting for all of a set that names one object twice is refused.
        if (bWaitAll && std::find(objects.begin(), objects.end(), object) != objects.end()) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return WAIT_FAILED;
        }
        objects.push_back(std::move(object));
    }
    return vpr::win::WaitForObjects(objects, bWaitAll != FALSE, dwMilliseconds);
}

extern "C" DWORD WINAPI WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds) {
    return WaitForMultipleObjects(1, &hHandle, FALSE, dwMilliseconds);
}
