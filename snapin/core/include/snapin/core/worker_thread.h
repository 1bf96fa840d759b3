// The one worker thread of a progress dialog (template export and creation,
// the migration), started suspended so that its object outlives it.
#pragma once

#include "afxwin.h"

// Starts `proc` on a worker whose CWinThread the caller deletes through
// JoinWorkerThread; null when no thread could be made.
CWinThread* StartWorkerThread(AFX_THREADPROC proc, LPVOID param);

// Waits until the worker has ended, handling the messages sent to this
// thread's windows meanwhile (the worker sends to the dialogs), then deletes
// it and clears the pointer.
void JoinWorkerThread(CWinThread*& thread);
