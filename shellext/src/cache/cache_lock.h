// The cache's one lock: a critical section that the compiler's thread-safety
// analysis knows as a capability (clang -Wthread-safety; other compilers
// ignore the annotations). Shared state names it with GUARDED_BY; functions
// that expect it held say REQUIRES.
#pragma once

#include "windows.h"

#if defined(__clang__)
#define VPR_THREAD_ANNOTATION(x) __attribute__((x))
#else
#define VPR_THREAD_ANNOTATION(x)
#endif

#ifndef CAPABILITY
#define CAPABILITY(x) VPR_THREAD_ANNOTATION(capability(x))
#endif
#ifndef SCOPED_CAPABILITY
#define SCOPED_CAPABILITY VPR_THREAD_ANNOTATION(scoped_lockable)
#endif
#ifndef GUARDED_BY
#define GUARDED_BY(x) VPR_THREAD_ANNOTATION(guarded_by(x))
#endif
#ifndef PT_GUARDED_BY
#define PT_GUARDED_BY(x) VPR_THREAD_ANNOTATION(pt_guarded_by(x))
#endif
#ifndef REQUIRES
#define REQUIRES(...) VPR_THREAD_ANNOTATION(requires_capability(__VA_ARGS__))
#endif
#ifndef EXCLUDES
#define EXCLUDES(...) VPR_THREAD_ANNOTATION(locks_excluded(__VA_ARGS__))
#endif
#ifndef RETURN_CAPABILITY
#define RETURN_CAPABILITY(x) VPR_THREAD_ANNOTATION(lock_returned(x))
#endif
#ifndef ACQUIRE
#define ACQUIRE(...) VPR_THREAD_ANNOTATION(acquire_capability(__VA_ARGS__))
#endif
#ifndef RELEASE
#define RELEASE(...) VPR_THREAD_ANNOTATION(release_capability(__VA_ARGS__))
#endif

class CAPABILITY("critical section") CCacheLock {
public:
    CCacheLock() { InitializeCriticalSection(&m_section); }
    ~CCacheLock() { DeleteCriticalSection(&m_section); }
    CCacheLock(const CCacheLock&) = delete;
    CCacheLock& operator=(const CCacheLock&) = delete;

    void Lock() ACQUIRE() { EnterCriticalSection(&m_section); }
    void Unlock() RELEASE() { LeaveCriticalSection(&m_section); }

    // Holds the lock for a block.
    class SCOPED_CAPABILITY Scope {
    public:
        explicit Scope(CCacheLock& lock) ACQUIRE(lock) : m_lock(lock) { m_lock.Lock(); }
        ~Scope() RELEASE() { m_lock.Unlock(); }
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        CCacheLock& m_lock;
    };

private:
    CRITICAL_SECTION m_section;
};
