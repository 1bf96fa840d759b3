// Simple mail: MAPISendMail of MAPI32.DLL.
#pragma once

#include "windows.h"

typedef ULONG_PTR LHANDLE;
typedef ULONG FLAGS;

typedef struct {
    ULONG ulReserved;
    ULONG ulRecipClass;  // MAPI_ORIG, MAPI_TO, MAPI_CC, MAPI_BCC
    LPSTR lpszName;
    LPSTR lpszAddress;
    ULONG ulEIDSize;
    LPVOID lpEntryID;
} MapiRecipDesc, *lpMapiRecipDesc;

typedef struct {
    ULONG ulReserved;
    ULONG flFlags;
    ULONG nPosition;
    LPSTR lpszPathName;
    LPSTR lpszFileName;
    LPVOID lpFileType;
} MapiFileDesc, *lpMapiFileDesc;

typedef struct {
    ULONG ulReserved;
    LPSTR lpszSubject;
    LPSTR lpszNoteText;
    LPSTR lpszMessageType;
    LPSTR lpszDateReceived;
    LPSTR lpszConversationID;
    FLAGS flFlags;
    lpMapiRecipDesc lpOriginator;
    ULONG nRecipCount;
    lpMapiRecipDesc lpRecips;
    ULONG nFileCount;
    lpMapiFileDesc lpFiles;
} MapiMessage, *lpMapiMessage;

#define MAPI_ORIG 0
#define MAPI_TO 1
#define MAPI_CC 2
#define MAPI_BCC 3
#define MAPI_LOGON_UI 0x00000001
#define MAPI_DIALOG 0x00000008

#define SUCCESS_SUCCESS 0
#define MAPI_USER_ABORT 1
#define MAPI_E_FAILURE 2
#define MAPI_E_LOGON_FAILURE 3
#define MAPI_E_UNKNOWN_RECIPIENT 14

// Sends a message: written as a text file into the machine's outbox folder
// (the Windows folder's OUTBOX) and recorded in the journal (kind "mail").
// With MAPI_DIALOG the send-note dialog shows the message first; the person
// may edit the recipients, subject and text, then Send or Cancel. 1 on
// Cancel, 2 when the outbox cannot be written, 14 when a recipient has no
// "@" when the message is sent.
typedef ULONG(WINAPI* LPMAPISENDMAIL)(LHANDLE session, ULONG_PTR uiParam, lpMapiMessage message, FLAGS flags,
                                      ULONG reserved);
extern "C" ULONG WINAPI MAPISendMail(LHANDLE session, ULONG_PTR uiParam, lpMapiMessage message, FLAGS flags,
                                     ULONG reserved);

// The send-note dialog's template and controls.
#define IDD_MAPI_SENDNOTE 100
#define IDC_MAPI_TO 101
#define IDC_MAPI_SUBJECT 102
#define IDC_MAPI_TEXT 103
