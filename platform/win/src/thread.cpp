// Threads: real host threads behind thread handles.
#include <pthread.h>

#include <atomic>
#include <algorithm>
#include <climits>

#include "exit_state.h"
#include "vpr/win/error.h"
#include "vpr/win/thread.h"
#include "vpr/win/waitable.h"

namespace vpr::win {
namespace {

class ThreadObject : public ExitState {
public:
    explicit ThreadObject(DWORD id) : id_(id) {}
    DWORD id() const { return id_; }
    std::atomic<int> priority{THREAD_PRIORITY_NORMAL};

private:
    const DWORD id_;
};

std::atomic<DWORD> g_nextThreadId{1};

// Thread ids are ours, handed out once per thread: the host's ids are not
// known to the creator before the thread runs.
DWORD NewThreadId() { return g_nextThreadId.fetch_add(1); }

thread_local DWORD t_threadId = 0;
thread_local DWORD t_exitCode = 0;  // set by ExitThread before the thread unwinds

struct ThreadStart {
    std::shared_ptr<ThreadObject> thread;
    LPTHREAD_START_ROUTINE routine;
    LPVOID parameter;
};

// Marks the thread finished however it ends: by returning, or by ExitThread
// unwinding its stack.
class FinishOnExit {
public:
    explicit FinishOnExit(ThreadObject* thread) : thread_(thread) {}
    ~FinishOnExit() { thread_->End(t_exitCode); }

private:
    ThreadObject* thread_;
};

void* RunThread(void* argument) {
    std::unique_ptr<ThreadStart> start(static_cast<ThreadStart*>(argument));
    t_threadId = start->thread->id();
    FinishOnExit finish(start->thread.get());
    t_exitCode = start->routine(start->parameter);
    return nullptr;
}

std::shared_ptr<ThreadObject> ThreadFromHandle(HANDLE handle) {
    auto thread = HandleTable::Instance().GetAs<ThreadObject>(ValueFromHandle(handle));
    if (!thread) SetLastError(ERROR_INVALID_HANDLE);
    return thread;
}

}  // namespace
}  // namespace vpr::win

using namespace vpr::win;

extern "C" HANDLE WINAPI CreateThread(LPSECURITY_ATTRIBUTES, SIZE_T dwStackSize,
                                      LPTHREAD_START_ROUTINE lpStartAddress, LPVOID lpParameter,
                                      DWORD dwCreationFlags, LPDWORD lpThreadId) {
    // Suspended creation is not offered: nothing in the system asks for it.
    if (lpStartAddress == nullptr || dwCreationFlags != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto thread = std::make_shared<ThreadObject>(NewThreadId());
    uint32_t handle = HandleTable::Instance().Add(thread);
    auto start = std::make_unique<ThreadStart>(ThreadStart{thread, lpStartAddress, lpParameter});

    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
    if (dwStackSize != 0) {
        pthread_attr_setstacksize(&attributes, std::max<size_t>(dwStackSize, PTHREAD_STACK_MIN));
    }
    pthread_t host;
    int err = pthread_create(&host, &attributes, RunThread, start.get());
    pthread_attr_destroy(&attributes);
    if (err != 0) {
        HandleTable::Instance().Remove(handle);
        SetLastErrorFromErrno(err);
        return nullptr;
    }
    start.release();  // the thread owns it now
    if (lpThreadId) *lpThreadId = thread->id();
    return HandleFromValue(handle);
}

extern "C" void WINAPI ExitThread(DWORD dwExitCode) {
    t_exitCode = dwExitCode;
    pthread_exit(nullptr);
}

extern "C" BOOL WINAPI GetExitCodeThread(HANDLE hThread, LPDWORD lpExitCode) {
    auto thread = ThreadFromHandle(hThread);
    if (!thread) return FALSE;
    if (lpExitCode) *lpExitCode = thread->ExitCode();
    return TRUE;
}

extern "C" DWORD WINAPI GetCurrentThreadId(void) {
    if (t_threadId == 0) t_threadId = NewThreadId();
    return t_threadId;
}

extern "C" BOOL WINAPI SetThreadPriority(HANDLE hThread, int nPriority) {
    bool known = (nPriority >= THREAD_PRIORITY_LOWEST && nPriority <= THREAD_PRIORITY_HIGHEST) ||
                 nPriority == THREAD_PRIORITY_IDLE || nPriority == THREAD_PRIORITY_TIME_CRITICAL;
    if (!known) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    auto thread = ThreadFromHandle(hThread);
    if (!thread) return FALSE;
    thread->priority = nPriority;
    return TRUE;
}

extern "C" int WINAPI GetThreadPriority(HANDLE hThread) {
    auto thread = ThreadFromHandle(hThread);
    return thread ? thread->priority.load() : THREAD_PRIORITY_ERROR_RETURN;
}
