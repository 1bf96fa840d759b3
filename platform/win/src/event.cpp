// Event calls over unnamed events (here) and named events (named_event.cpp).
#include "event.h"

#include "vpr/win/error.h"
#include "vpr/win/thread.h"

namespace vpr::win {
namespace {

// An unnamed event: its state is guarded by WaitCore's mutex.
class LocalEvent : public Event {
public:
    LocalEvent(bool manualReset, bool initialState) : state_{} {
        state_.manualReset = manualReset;
        state_.signaled = initialState;
    }

    uint64_t BeginWait() override { return state_.Ticket(); }
    bool IsSignaled(uint64_t ticket) override { return state_.IsSignaled(ticket); }
    void Acquire(uint64_t) override { state_.Acquire(); }

    void Set() override { Change(&EventState::Set); }
    void Reset() override { Change(&EventState::Reset); }
    void Pulse() override { Change(&EventState::Pulse); }

private:
    void Change(void (EventState::*change)()) {
        {
            std::lock_guard lock(WaitCore::Instance().mutex);
            (state_.*change)();
        }
        WaitCore::Instance().changed.notify_all();
    }

    EventState state_;
};

HANDLE AddEventHandle(std::shared_ptr<Event> event) {
    return HandleFromValue(HandleTable::Instance().Add(std::move(event)));
}

BOOL ChangeEvent(HANDLE handle, void (Event::*change)()) {
    auto event = HandleTable::Instance().GetAs<Event>(ValueFromHandle(handle));
    if (!event) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    ((*event).*change)();
    return TRUE;
}

}  // namespace
}  // namespace vpr::win

using namespace vpr::win;

extern "C" HANDLE WINAPI CreateEventA(LPSECURITY_ATTRIBUTES, BOOL bManualReset, BOOL bInitialState,
                                      LPCSTR lpName) {
    if (lpName == nullptr || *lpName == '\0') {
        SetLastError(ERROR_SUCCESS);
        return AddEventHandle(std::make_shared<LocalEvent>(bManualReset, bInitialState));
    }
    bool existed = false;
    auto event = OpenNamedEvent(lpName, true, bManualReset, bInitialState, &existed);
    if (!event) return nullptr;
    HANDLE handle = AddEventHandle(std::move(event));
    SetLastError(existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return handle;
}

extern "C" HANDLE WINAPI OpenEventA(DWORD, BOOL, LPCSTR lpName) {
    if (lpName == nullptr || *lpName == '\0') {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    bool existed = false;
    auto event = OpenNamedEvent(lpName, false, false, false, &existed);
    if (!event) return nullptr;
    SetLastError(ERROR_SUCCESS);
    return AddEventHandle(std::move(event));
}

extern "C" BOOL WINAPI SetEvent(HANDLE hEvent) { return ChangeEvent(hEvent, &Event::Set); }
extern "C" BOOL WINAPI ResetEvent(HANDLE hEvent) { return ChangeEvent(hEvent, &Event::Reset); }
extern "C" BOOL WINAPI PulseEvent(HANDLE hEvent) { return ChangeEvent(hEvent, &Event::Pulse); }
