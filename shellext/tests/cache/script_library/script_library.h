// The test controls of KMAPPSCR.DLL, a launcher support library whose
// answers the cache's tests script. The tests place it as the workstation's
// KMAPP32.DLL, so that the extension's binding loads it as it loads the real
// one, and reach these controls through GetProcAddress on the same module.
//
// Contexts are real directory contexts (the tests attach a tree); folders
// come from the script; a launch plays the script's statuses through the
// status callback, records the answers and returns the script's result.
#pragma once

#include "kmapp32.h"

extern "C" {

// Forgets everything scripted and recorded.
typedef void (*ScriptResetFn)();
// Adds an application (with its folder, made when new) to the folders every
// KMAPPGetFoldersEx hands out; its state starts as `state`.
typedef void (*ScriptAddAppFn)(LPCSTR folder, LPCSTR application, DWORD flags, DWORD state);
// The state KMAPPCheckSchedule gives the application from now on.
typedef void (*ScriptSetStateFn)(LPCSTR application, DWORD state);
// The application's caption (its "Description" attribute), the first text
// of its record ("context" unless set) and whether KMAPPIsInstalled says it
// is installed (not unless set).
typedef void (*ScriptSetCaptionFn)(LPCSTR application, LPCSTR caption);
typedef void (*ScriptSetContextFn)(LPCSTR application, LPCSTR context);
typedef void (*ScriptSetInstalledFn)(LPCSTR application, BOOL installed);
// While on, KMAPPGetFoldersEx waits inside until ScriptRelease. ScriptWaitHeld
// returns once a call waits there.
typedef void (*ScriptHoldFn)(BOOL hold);
typedef void (*ScriptWaitHeldFn)();
typedef void (*ScriptReleaseFn)();
// Folder lists handed out and not yet freed.
typedef LONG (*ScriptLiveListsFn)();
// What the next launches answer: result, detail code, the text written into
// the parameter buffer (null leaves it), and the number of file-replace
// questions asked first.
typedef void (*ScriptSetLaunchFn)(DWORD result, DWORD detail, LPCSTR buffer, int replaceQuestions);
// Called inside every launch, as a message loop would run other work there.
typedef void (*ScriptDuringLaunchFn)(void (*callback)(void* data), void* data);
// Recorded events, one per line: "launch <application> <parameters>",
// "answer <n>", "log <application>: <text>", "record <application> <value>".
typedef LPCSTR (*ScriptEventsFn)();

}  // extern "C"
