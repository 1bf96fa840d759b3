// Worker threads: AfxBeginThread and CWinThread.
//
// A worker starts in the module state of the thread that started it, so it
// loads strings and dialogs from the same module. Its CWinThread deletes
// itself (closing the thread handle) when the worker ends, unless
// m_bAutoDelete was cleared first: a caller that waits on m_hThread starts
// the worker with CREATE_SUSPENDED, clears m_bAutoDelete, calls
// ResumeThread, and deletes the object after the wait.
#pragma once

#include <condition_variable>
#include <mutex>

#include "vpr/mfc/wnd.h"

#ifndef CREATE_SUSPENDED
#define CREATE_SUSPENDED 0x00000004
#endif

typedef UINT (*AFX_THREADPROC)(LPVOID);

class CWinThread : public CCmdTarget {
    DECLARE_DYNAMIC(CWinThread)
public:
    CWinThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam);
    ~CWinThread() override;

    HANDLE m_hThread = nullptr;
    DWORD m_nThreadID = 0;
    BOOL m_bAutoDelete = TRUE;
    operator HANDLE() const { return m_hThread; }

    // Starts a thread made suspended; the suspension count it had: 1 when it
    // was suspended, 0 when it was running already.
    DWORD ResumeThread();
    BOOL SetThreadPriority(int nPriority) { return ::SetThreadPriority(m_hThread, nPriority); }
    int GetThreadPriority() const { return ::GetThreadPriority(m_hThread); }

private:
    friend CWinThread* AfxBeginThread(AFX_THREADPROC, LPVOID, int, UINT, DWORD, LPSECURITY_ATTRIBUTES);
    static DWORD WINAPI Start(LPVOID self);

    AFX_THREADPROC proc_;
    LPVOID param_;
    AFX_MODULE_STATE* moduleState_;
    std::mutex mutex_;
    std::condition_variable released_;
    bool running_ = false;
};

CWinThread* AfxBeginThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam, int nPriority = THREAD_PRIORITY_NORMAL,
                           UINT nStackSize = 0, DWORD dwCreateFlags = 0,
                           LPSECURITY_ATTRIBUTES lpSecurityAttrs = nullptr);
