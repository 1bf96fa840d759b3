// The launcher support library KMAPP32.DLL: what it exports and the records
// it hands out. Both the administration module and the workstation side bind
// the library by name at run time; they share this one description of its
// lists (attribute lists, folder and application records) and of the launcher
// configuration record.
//
// Lists are allocated by the library and freed by the caller with the
// matching free function. Results are 0 for success or a negative directory
// status (DIR_ERR_*), passed up unchanged, or one of the KMAPP_ERR_* below.
#pragma once

#include "vpr/directory/client.h"
#include "vpr/user/user_types.h"
#include "windows.h"

#define KMAPP_ERR_BAD_PARAMETER (-2)   // a null or malformed argument, a buffer too small
#define KMAPP_ERR_BAD_CONFIG (-332)    // the launcher configuration holds no valid record

// ---- attribute lists (KMAPPGetObjectAttributes) -------------------------

// One value. `data` points to the value in its directory form:
//   integer, boolean, time: a DWORD
//   texts and names: the text, NUL-terminated
//   octet string: its `length` bytes, followed by one NUL the value does not count
//   typed name: a DirTypedName; ACL: a DirAclValue
//   stream: an HFILE open for reading (_lread, _llseek); the list owns it and
//     KMAPPFreeGetObjectAttributes closes it
typedef struct KmappValue {
    DWORD syntax;
    void* data;
    DWORD length;  // bytes of an octet string or text, without the NUL
    struct KmappValue* next;
} KmappValue;

typedef struct KmappAttribute {
    char* name;
    KmappValue* values;
    struct KmappAttribute* next;
} KmappAttribute;

// ---- folders (KMAPPGetFoldersEx) ---------------------------------------

// Association flags of folder and application records.
#define KMAPP_ASSOC_LAUNCHER 0x01
#define KMAPP_ASSOC_FORCE_RUN 0x02
#define KMAPP_ASSOC_START_MENU 0x04
#define KMAPP_ASSOC_DESKTOP 0x08
#define KMAPP_ASSOC_SYSTEM_TRAY 0x20
#define KMAPP_ASSOC_ALL 0x2F
#define KMAPP_ASSOC_PERSONAL 0x80000000u

// One application of a folder. The fields up to `next` are the record every
// caller reads; the ones after it are the library's own (callers never
// allocate records).
typedef struct KmappApplication {
    DWORD reserved0;
    char* name;                 // distinguished name of the application object
    DWORD flags;                // association flags (the typed name's level, masked)
    DWORD interval;             // the typed name's interval
    DWORD state;                // which associations are active now (KMAPPCheckSchedule)
    DWORD reserved20;
    char* context;              // first identification text: the application's
                                //   container, legal in a file name
    char* guid;                 // second: its "App:GUID", or its distinguished name
                                //   when it has none
    DWORD reserved32;
    struct KmappApplication* next;
    // The library's own: what the schedule check needs.
    char* tree;                 // tree and user the record was read for
    char* user;
    DWORD appFlags;             // "App:Flags"
    DWORD platforms;            // "App:Platform"; 0 when it has none
    BYTE* schedule;             // "App:Schedule" (KMAPP_SCHEDULE_SIZE bytes), null for none
} KmappApplication;

#define KMAPP_SCHEDULE_SIZE 1444

// One folder: the directory object through which the user receives the
// applications of `applications`.
typedef struct KmappFolder {
    char* sources;              // the objects the folder stems from: NUL-terminated
                                //   texts one after the other, ended by an empty one
    char* name;                 // the folder's name: that object's distinguished name
    DWORD flags;                // every association flag of its applications
    KmappApplication* applications;
    struct KmappFolder* next;
} KmappFolder;

// ---- the launcher configuration record ---------------------------------

// The 100-byte value of "App:Launcher Config", little-endian.
#define KMAPP_CONFIG_SIZE 100
#define KMAPP_CONFIG_MAGIC 0xABCD1234u
#define KMAPP_CONFIG_OFFSET_MAGIC 0
#define KMAPP_CONFIG_OFFSET_FLAGS 4
#define KMAPP_CONFIG_OFFSET_INTERVAL 8
#define KMAPP_CONFIG_OFFSET_LEVELS 12
#define KMAPP_CONFIG_OFFSET_MAIL_ATTRIBUTE 32
#define KMAPP_CONFIG_MAIL_ATTRIBUTE_SIZE 66
#define KMAPP_CONFIG_DEFAULT_FLAGS 0x8000058Cu
#define KMAPP_CONFIG_DEFAULT_INTERVAL 3600u
#define KMAPP_CONFIG_DEFAULT_LEVELS 1u
#define KMAPP_CONFIG_USE_INHERITED 0x80000000u

// Field access on the record's bytes.
inline DWORD KmappConfigGet(const BYTE* record, size_t offset) {
    return static_cast<DWORD>(record[offset]) | static_cast<DWORD>(record[offset + 1]) << 8 |
           static_cast<DWORD>(record[offset + 2]) << 16 | static_cast<DWORD>(record[offset + 3]) << 24;
}
inline void KmappConfigSet(BYTE* record, size_t offset, DWORD value) {
    for (int i = 0; i < 4; ++i) record[offset + i] = static_cast<BYTE>(value >> (8 * i));
}

// ---- drive mapping flags (kmappBuildDriveMapString) --------------------

#define KMAPP_DRIVE_SEARCH_FIRST 0x01
#define KMAPP_DRIVE_SEARCH_LAST 0x02
#define KMAPP_DRIVE_ROOT 0x04
#define KMAPP_DRIVE_NEXT_FREE 0x08

// ---- schema ----------------------------------------------------------------

// Bit of KMAPPIsSchemaExtended's mask: the tree holds the application schema.
#define KMAPP_SCHEMA_APPLICATIONS 0x08

// ---- launching (KMAPPProcessApplication) ---------------------------------

// Results: 0 success, else one of these (the detail code and the parameter
// buffer say more).
#define KMAPP_LAUNCH_NOT_GRANTED 0xD000      // detail 5: the user was not granted it
#define KMAPP_LAUNCH_BAD_DRIVE 0xD001        // buffer: the drive mapping text
#define KMAPP_LAUNCH_BAD_QUEUE 0xD002        // buffer: the queue
#define KMAPP_LAUNCH_NO_SERVER 0xD003        // buffer: the server
#define KMAPP_LAUNCH_DRIVE_IN_USE 0xD004     // detail 85; buffer: the drive
#define KMAPP_LAUNCH_BAD_CAPTURE 0xD006      // buffer: the printer port value
#define KMAPP_LAUNCH_START_FAILED 0xD009     // detail: the Windows error; buffer: the path used
#define KMAPP_LAUNCH_NO_SCRIPTS 0xD00A       // buffer: the script processor's file
#define KMAPP_LAUNCH_BAD_REGISTRY 0xD013     // a registry entry that cannot be read
#define KMAPP_LAUNCH_BAD_INI 0xD014          // an INI entry that cannot be read
#define KMAPP_LAUNCH_REGISTRY_FAILED 0xD016  // detail: the Windows error; buffer: the key
#define KMAPP_LAUNCH_INI_FAILED 0xD017       // buffer: the ini file
#define KMAPP_LAUNCH_COPY_FAILED 0xD018      // buffer: the file
#define KMAPP_LAUNCH_DELETE_FAILED 0xD019    // buffer: the file
#define KMAPP_LAUNCH_TEXT_FAILED 0xD01A      // buffer: the text file
#define KMAPP_LAUNCH_RESTART 0xD01B          // distributed; a restart completes it
#define KMAPP_LAUNCH_GROUP_FAILED 0xD01C     // buffer: the group or shortcut

// The script processor a startup script would need; none exists here.
#define KMAPP_SCRIPT_PROCESSOR "KMSCRIPT.DLL"

// Statuses passed to the status callback while an application is
// distributed, with the record each one points to.
#define KMAPP_STATUS_REPLACE_FILE 0xABC00001  // KmappReplaceStatus; answer below
#define KMAPP_STATUS_FILE_COPIED 0xABC00002   // KmappItemStatus
#define KMAPP_STATUS_DIR_MADE 0xABC00003      // KmappPathStatus
#define KMAPP_STATUS_DIR_REMOVED 0xABC00004   // KmappPathStatus
#define KMAPP_STATUS_FILE_DELETED 0xABC00010  // KmappPathStatus
#define KMAPP_STATUS_REGISTRY 0xABC00011      // KmappItemStatus: key and value
#define KMAPP_STATUS_INI 0xABC00012           // KmappItemStatus: file, section, identifier
// Answers to KMAPP_STATUS_REPLACE_FILE (any other answer replaces).
#define KMAPP_ANSWER_SKIP 256
#define KMAPP_ANSWER_REPLACE 257

// Positions count from 1 to the total of entries of the status's kind.
typedef struct KmappItemStatus {
    DWORD reserved;
    char* text;
    DWORD position;
    DWORD total;
} KmappItemStatus;

typedef struct KmappPathStatus {
    char* path;
    DWORD position;
    DWORD total;
} KmappPathStatus;

// A file that exists asks before it is replaced: file 1 is the existing
// target, file 2 the source; local times of last write and sizes.
typedef struct KmappReplaceStatus {
    DWORD reserved;
    char* path;  // the target
    WORD sourceHour, sourceMinute, sourceSecond;
    WORD targetHour, targetMinute, targetSecond;
    WORD sourceYear, sourceMonth, sourceDay;
    WORD targetYear, targetMonth, targetDay;
    DWORD sourceSize;
    DWORD targetSize;
} KmappReplaceStatus;

typedef DWORD (*KmappStatusCallback)(DWORD status, void* record);

// ---- personal folders and records ------------------------------------------

// Personal folders of a tree: HKEY_CURRENT_USER KMAPP_FOLDERS_KEY\<tree>\<folder>,
// one REG_DWORD value per application (its distinguished name = its flags).
#define KMAPP_FOLDERS_KEY "Software\\Kalmora\\VPR\\1.0\\Folders"
// The name the shell gives the node of personal folders; a tree argument of
// this text means "whichever tree grants the application".
#define KMAPP_PERSONAL_NODE "Personal"

// The library's own records, under HKEY_CURRENT_USER KMAPP_RECORDS_KEY, each
// keyed by an application's two identification texts:
//   Installed\<context>\<guid>: "Name" (REG_SZ), "Version" (REG_SZ, its
//     "App:Version String" when it was distributed)
//   Launches\<context>\<guid>: "Count", "Last Launch" (time), "Last Result"
//     (1 launched, 0 failed), "Succeeded" (1 once a launch returned 0),
//     "Last End" (time), "Exit Code" (REG_DWORD each)
//   Running\<process id>: "Name", "Tree", "Drives" (letters, "G:H:"),
//     "Captures" (ports, "LPT1 LPT2"), "Flags" ("App:Flags"), "Context" and
//     "Guid" (the identification texts)
#define KMAPP_RECORDS_KEY "Software\\Kalmora\\VPR\\1.0\\Launcher"
// The library's log, in the Windows folder.
#define KMAPP_LOG_FILE "KMAPP32.LOG"

// ---- entry points -------------------------------------------------------

extern "C" {

// Contexts on the machine's default tree, for its logged-in user.
DIR_CONTEXT KMAPPAllocContextHandle(void);
void KMAPPFreeContextHandle(DIR_CONTEXT context);
void KMAPPCreateFullObjectName(LPCSTR name, LPCSTR container, LPSTR fullName);
void KMAPPStripTreeName(LPSTR treeName);
void KMAPPOctetToString(const KmappValue* value, LPSTR text, DWORD size);

// Attribute lists: names null and count 0 read every attribute.
KmappAttribute* KMAPPGetObjectAttributes(DIR_CONTEXT context, LPCSTR object,
                                         const LPCSTR* names, DWORD count);
void KMAPPFreeGetObjectAttributes(KmappAttribute* list);

// Schema.
DWORD KMAPPIsSchemaExtended(DIR_CONTEXT context);
LONG KMAPPExtendSchema(DIR_CONTEXT context, DWORD schemaBits);
BOOL kmappIsAttributeDefined(DIR_CONTEXT context, LPCSTR attribute);

// Objects.
LONG KMAPPCreateObject(DIR_CONTEXT context, LPCSTR object, LPCSTR className, LPCSTR path,
                       LPCSTR caption, DWORD reserved);
LONG KMAPPCreateGUID(LPSTR text, DWORD size);
void kmappDSDereferenceAlias(DIR_CONTEXT context, LPSTR object);

// Rights.
LONG kmappGrantRightsToDSObject(DIR_CONTEXT context, LPCSTR object, LPCSTR attribute,
                                LPCSTR trustee, DWORD rights);
void kmappRemoveAllRightsFromDSObject(DIR_CONTEXT context, LPCSTR object, LPCSTR trustee);
LONG kmappGrantAllRights(DIR_CONTEXT context, LPCSTR object, LPCSTR application);
LONG kmappRevokeAllRights(DIR_CONTEXT context, LPCSTR object, LPCSTR trustee, LPCSTR leaving);
BOOL kmappCanRevokeAllRights(DIR_CONTEXT context, LPCSTR object, LPCSTR trustee, LPCSTR leaving);

// Drive mapping texts: built into a 260-byte buffer; parsed into a 16-byte
// drive and a 256-byte path buffer (0 when understood).
LONG kmappParseDriveMapString(LPCSTR text, DWORD* flags, LPSTR drive, LPSTR path);
void kmappBuildDriveMapString(DWORD flags, LPCSTR drive, LPCSTR path, LPSTR text);

// The launcher configuration record of an object, 100 bytes.
LONG KMAPPReadLauncherConfig(DIR_CONTEXT context, LPCSTR object, BYTE* record);

// Folders: the applications a user (null: the context's logged-in user)
// receives through its own, its groups' and up to `levels` containers'
// "App:Associations", each association kept when it shares a bit with `mask`
// and names an object the user can read. A record's state starts as the last
// active set KMAPPCheckSchedule gave it in this process, else 0.
// `options` is reserved.
KmappFolder* KMAPPGetFoldersEx(DIR_CONTEXT context, LPCSTR user, DWORD levels, DWORD mask,
                               DWORD options);
void KMAPPFreeGetFoldersEx(KmappFolder* list);
KmappFolder* KMAPPGetFolders(DIR_CONTEXT context, LPCSTR user, DWORD levels, DWORD mask);
void KMAPPFreeGetFolders(KmappFolder* list);

// Icons: from an open handle of icon-file bytes, or from an icon file.
HICON KMAPPGetIconFromHandle(HINSTANCE instance, HFILE file);
HICON KMAPPGetIconFromFile(HINSTANCE instance, LPCSTR path);


// ---- the workstation side -------------------------------------------------

// Configures the workstation for an application the context's user was
// granted (drives, captures, distribution) and starts it. `parameters` holds
// the caller's text on entry (a leading "~" marks dropped file names) and a
// name on failure; it holds `size` characters and a terminator.
DWORD KMAPPProcessApplication(DIR_CONTEXT context, LPCSTR application, DWORD* detail,
                              LPSTR parameters, DWORD size, KmappStatusCallback callback);
// Reaps ended programs, releases their drives and captures, records the end.
void KMAPPMonitorApplications(void);
// The active set of a record (its flags while platform, schedule and Run
// once allow it, else 0) goes into its state; the previous state is returned.
DWORD KMAPPCheckSchedule(KmappApplication* record);
// 1 before a launch, 0 after a failed one.
LONG KMAPPRecordLaunch(KmappApplication* record, DWORD starting);
BYTE KMAPPIsInstalled(LPCSTR tree, LPCSTR context, LPCSTR guid);
LONG KMAPPMarkNotInstalled(LPCSTR tree, LPCSTR context);
// A line with date, user, application and text in the library's log (and in
// the application's error log when it keeps one).
void KMAPPLogString(DIR_CONTEXT context, LPCSTR application, DWORD reserved, LPCSTR text);

// Personal folders. `tree` may be KMAPP_PERSONAL_NODE where noted.
void KMAPPGetPersonalFolders(DIR_CONTEXT context, LPCSTR tree, DWORD mask, KmappFolder** list);
BYTE KMAPPCreatePersonalFolder(LPCSTR tree, LPCSTR folder);
void KMAPPDeletePersonalFolder(LPCSTR folder);
BYTE KMAPPRenamePersonalFolder(LPCSTR folder, LPCSTR newName);
BYTE KMAPPAddPersonalFolderItem(LPCSTR tree, LPCSTR folder, LPCSTR application, DWORD flags);
BYTE KMAPPDeletePersonalFolderItem(LPCSTR tree, LPCSTR folder, LPCSTR application);
// A copy of a tree's personal folders in a per-user file in the Windows
// folder; reading restores it only where the registry holds none.
BYTE KMAPPReadNRDFolders(DIR_CONTEXT context, LPCSTR tree);
BYTE KMAPPWriteNRDFolders(DIR_CONTEXT context, LPCSTR tree);

}  // extern "C"
