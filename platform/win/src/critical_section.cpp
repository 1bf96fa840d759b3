// Critical sections: recursive host locks kept in the caller's CRITICAL_SECTION.
#include <mutex>
#include <new>

#include "vpr/win/thread.h"

namespace {

static_assert(sizeof(std::recursive_mutex) <= sizeof(CRITICAL_SECTION::storage));
static_assert(alignof(std::recursive_mutex) <= alignof(CRITICAL_SECTION));

std::recursive_mutex& LockOf(LPCRITICAL_SECTION section) {
    return *std::launder(reinterpret_cast<std::recursive_mutex*>(section->storage));
}

}  // namespace

extern "C" void WINAPI InitializeCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
    new (lpCriticalSection->storage) std::recursive_mutex;
}

extern "C" void WINAPI DeleteCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
    LockOf(lpCriticalSection).~recursive_mutex();
}

extern "C" void WINAPI EnterCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
    LockOf(lpCriticalSection).lock();
}

extern "C" void WINAPI LeaveCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
    LockOf(lpCriticalSection).unlock();
}

extern "C" BOOL WINAPI TryEnterCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
    return LockOf(lpCriticalSection).try_lock() ? TRUE : FALSE;
}
