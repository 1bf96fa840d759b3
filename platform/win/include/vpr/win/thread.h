// Threads, events, critical sections, waits and change notifications, and
// CloseHandle for every kind of kernel object.
#pragma once

#include "vpr/win/types.h"

#define INFINITE 0xFFFFFFFFu
#define MAXIMUM_WAIT_OBJECTS 64

#define WAIT_OBJECT_0 0x00000000u
#define WAIT_ABANDONED_0 0x00000080u
#define WAIT_TIMEOUT 0x00000102u
#define WAIT_FAILED 0xFFFFFFFFu

#define STILL_ACTIVE 259u

#define THREAD_PRIORITY_IDLE (-15)
#define THREAD_PRIORITY_LOWEST (-2)
#define THREAD_PRIORITY_BELOW_NORMAL (-1)
#define THREAD_PRIORITY_NORMAL 0
#define THREAD_PRIORITY_ABOVE_NORMAL 1
#define THREAD_PRIORITY_HIGHEST 2
#define THREAD_PRIORITY_TIME_CRITICAL 15
#define THREAD_PRIORITY_ERROR_RETURN 0x7FFFFFFF

// Access rights of OpenEventA (SYNCHRONIZE is in types.h); every right is granted.
#define EVENT_MODIFY_STATE 0x0002u
#define EVENT_ALL_ACCESS 0x001F0003u

#define FILE_NOTIFY_CHANGE_FILE_NAME 0x00000001u
#define FILE_NOTIFY_CHANGE_DIR_NAME 0x00000002u
#define FILE_NOTIFY_CHANGE_ATTRIBUTES 0x00000004u
#define FILE_NOTIFY_CHANGE_SIZE 0x00000008u
#define FILE_NOTIFY_CHANGE_LAST_WRITE 0x00000010u
#define FILE_NOTIFY_CHANGE_LAST_ACCESS 0x00000020u
#define FILE_NOTIFY_CHANGE_CREATION 0x00000040u
#define FILE_NOTIFY_CHANGE_SECURITY 0x00000100u

typedef DWORD(WINAPI* LPTHREAD_START_ROUTINE)(LPVOID lpThreadParameter);

// A recursive lock that lives inside the caller's own structures, as on
// Windows. The storage holds the host lock; the fields are not for callers.
typedef struct _CRITICAL_SECTION {
    alignas(16) unsigned char storage[64];
} CRITICAL_SECTION, *LPCRITICAL_SECTION;

extern "C" {
HANDLE WINAPI CreateThread(LPSECURITY_ATTRIBUTES lpThreadAttributes, SIZE_T dwStackSize,
                           LPTHREAD_START_ROUTINE lpStartAddress, LPVOID lpParameter,
                           DWORD dwCreationFlags, LPDWORD lpThreadId);
// Ends the calling thread; destructors of its stack objects run.
[[noreturn]] void WINAPI ExitThread(DWORD dwExitCode);
BOOL WINAPI GetExitCodeThread(HANDLE hThread, LPDWORD lpExitCode);
DWORD WINAPI GetCurrentThreadId(void);
// Priorities are kept and reported back; the host scheduler is not asked.
BOOL WINAPI SetThreadPriority(HANDLE hThread, int nPriority);
int WINAPI GetThreadPriority(HANDLE hThread);

void WINAPI InitializeCriticalSection(LPCRITICAL_SECTION lpCriticalSection);
void WINAPI DeleteCriticalSection(LPCRITICAL_SECTION lpCriticalSection);
void WINAPI EnterCriticalSection(LPCRITICAL_SECTION lpCriticalSection);
void WINAPI LeaveCriticalSection(LPCRITICAL_SECTION lpCriticalSection);
BOOL WINAPI TryEnterCriticalSection(LPCRITICAL_SECTION lpCriticalSection);

// Named events are shared by every process of the machine and exist while any
// process holds a handle on them.
HANDLE WINAPI CreateEventA(LPSECURITY_ATTRIBUTES lpEventAttributes, BOOL bManualReset,
                           BOOL bInitialState, LPCSTR lpName);
HANDLE WINAPI OpenEventA(DWORD dwDesiredAccess, BOOL bInheritHandle, LPCSTR lpName);
BOOL WINAPI SetEvent(HANDLE hEvent);
BOOL WINAPI ResetEvent(HANDLE hEvent);
BOOL WINAPI PulseEvent(HANDLE hEvent);

DWORD WINAPI WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds);
DWORD WINAPI WaitForMultipleObjects(DWORD nCount, const HANDLE* lpHandles, BOOL bWaitAll,
                                    DWORD dwMilliseconds);

// A change notification is signalled by the first matching change and stays
// so until FindNextChangeNotification; changes made in between signal it again
// at once.
HANDLE WINAPI FindFirstChangeNotificationA(LPCSTR lpPathName, BOOL bWatchSubtree,
                                           DWORD dwNotifyFilter);
BOOL WINAPI FindNextChangeNotification(HANDLE hChangeHandle);
BOOL WINAPI FindCloseChangeNotification(HANDLE hChangeHandle);

// Closes a handle of any kind: file, event, thread, process, notification.
BOOL WINAPI CloseHandle(HANDLE hObject);
}
