#include "vpr/mfc/win_thread.h"

IMPLEMENT_DYNAMIC(CWinThread, CCmdTarget)

CWinThread::CWinThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam)
    : proc_(pfnThreadProc), param_(pParam), moduleState_(AfxGetModuleState()) {}

CWinThread::~CWinThread() {
    if (m_hThread) CloseHandle(m_hThread);
}

DWORD CWinThread::ResumeThread() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (running_) return 0;
    running_ = true;
    released_.notify_all();
    return 1;
}

DWORD WINAPI CWinThread::Start(LPVOID self) {
    auto* thread = static_cast<CWinThread*>(self);
    {
        // Wait until the starter has the object in hand (and, when it asked
        // for a suspended start, until it resumes the thread).
        std::unique_lock<std::mutex> lock(thread->mutex_);
        thread->released_.wait(lock, [thread] { return thread->running_; });
    }
    // Deletes an auto-deleting object however the worker ends.
    struct Finish {
        CWinThread* thread;
        ~Finish() {
            if (thread->m_bAutoDelete) delete thread;
        }
    } finish{thread};
    AFX_MANAGE_STATE(thread->moduleState_);
    return thread->proc_(thread->param_);
}

CWinThread* AfxBeginThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam, int nPriority, UINT nStackSize,
                           DWORD dwCreateFlags, LPSECURITY_ATTRIBUTES lpSecurityAttrs) {
    auto* thread = new CWinThread(pfnThreadProc, pParam);
    thread->m_hThread =
        CreateThread(lpSecurityAttrs, nStackSize, CWinThread::Start, thread, 0, &thread->m_nThreadID);
    if (!thread->m_hThread) {
        delete thread;
        return nullptr;
    }
    thread->SetThreadPriority(nPriority);
    if (!(dwCreateFlags & CREATE_SUSPENDED)) thread->ResumeThread();
    return thread;
}
