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

// One application of a folder.
typedef struct KmappApplication {
    DWORD reserved0;
    char* name;                 // distinguished name of the application object
    DWORD flags;                // association flags (the typed name's level, masked)
    DWORD interval;             // the typed name's interval
    DWORD state;                // which associations are active now; starts equal to flags
    DWORD reserved20;
    char* identification;       // the application's name, as kept by the workstation
    char* guid;                 // its "App:GUID" text, empty when it has none
    DWORD reserved32;
    struct KmappApplication* next;
} KmappApplication;

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
// "App:Associations", each association kept when it shares a bit with `mask`.
// `options` is reserved.
KmappFolder* KMAPPGetFoldersEx(DIR_CONTEXT context, LPCSTR user, DWORD levels, DWORD mask,
                               DWORD options);
void KMAPPFreeGetFoldersEx(KmappFolder* list);
KmappFolder* KMAPPGetFolders(DIR_CONTEXT context, LPCSTR user, DWORD levels, DWORD mask);
void KMAPPFreeGetFolders(KmappFolder* list);

// Icons: from an open handle of icon-file bytes, or from an icon file.
HICON KMAPPGetIconFromHandle(HINSTANCE instance, HFILE file);
HICON KMAPPGetIconFromFile(HINSTANCE instance, LPCSTR path);

}  // extern "C"
