#include "snapin/core/worker_thread.h"

CWinThread* StartWorkerThread(AFX_THREADPROC proc, LPVOID param) {
    CWinThread* thread = AfxBeginThread(proc, param, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    if (!thread) return nullptr;
    thread->m_bAutoDelete = FALSE;
    thread->ResumeThread();
    return thread;
}

void JoinWorkerThread(CWinThread*& thread) {
    if (!thread) return;
    HANDLE handle = thread->m_hThread;
    while (MsgWaitForMultipleObjects(1, &handle, FALSE, INFINITE, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    delete thread;
    thread = nullptr;
}
