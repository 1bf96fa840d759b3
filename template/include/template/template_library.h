// The application template library: the one reader and writer of template
// files (.QMT) and of the template streams kept in directory attributes.
// Plain C entry points, bound by name by other modules; no state between calls.
//
// Results: 0 success; TEMPLATE_ERR_WRITE (-2) a short write or a missing or
// wrong signature; TEMPLATE_ERR_READ (-3) a short read inside a record;
// TEMPLATE_ERR_END (-4) no further record; TEMPLATE_ERR_KIND (-5) an unknown
// kind or a refused subtype; TEMPLATE_ERR_MEMORY (-8) memory exhausted.
// Creating or opening a file returns the operating system's error code.
// A writer given a null text (or null data with a length) for a field it would
// write, or fields too long for one record, writes nothing and returns
// ERROR_INVALID_PARAMETER; pass "" for an empty text.
#pragma once

#include "windows.h"

#define TEMPLATE_OK 0
#define TEMPLATE_ERR_WRITE (-2)
#define TEMPLATE_ERR_READ (-3)
#define TEMPLATE_ERR_END (-4)
#define TEMPLATE_ERR_KIND (-5)
#define TEMPLATE_ERR_MEMORY (-8)

// Record kinds.
#define TEMPLATE_KIND_FILE 1
#define TEMPLATE_KIND_DIR 2
#define TEMPLATE_KIND_IDENT 3
#define TEMPLATE_KIND_SECTION 4
#define TEMPLATE_KIND_VALUE 5
#define TEMPLATE_KIND_KEY 6
#define TEMPLATE_KIND_BASE_STRING 7
#define TEMPLATE_KIND_BASE_VALUE 8
#define TEMPLATE_KIND_BASE_VALUE_STRING 9
#define TEMPLATE_KIND_MACRO 10
#define TEMPLATE_KIND_TEXT_ADD 11
#define TEMPLATE_KIND_TEXT_FIND 12
#define TEMPLATE_KIND_INV_RAM 13
#define TEMPLATE_KIND_INV_DISK 14
#define TEMPLATE_KIND_INV_PROCESSOR 15
#define TEMPLATE_KIND_INV_OS_VERSION 16
#define TEMPLATE_KIND_BASE_DATA 17
#define TEMPLATE_KIND_PM_GROUP 18
#define TEMPLATE_KIND_USER_ICON 19
#define TEMPLATE_KIND_KIND20 20

#define TEMPLATE_MAX_VALUES 4
#define TEMPLATE_MAX_FIELDS 6

extern "C" {

// One counted field in memory: its byte length and its bytes (no NUL).
// A field of length 0, or one the subtype does not carry, is {0, NULL}.
typedef struct TemplateField {
    DWORD length;
    BYTE* data;
} TemplateField;

// One record in memory. The fixed part is kept as stored (kind, subtype,
// length, then the kind's fixed values in file order; values the kind does
// not have are 0), followed by one slot per counted field in record order.
typedef struct TemplateEntry {
    DWORD kind;
    DWORD subtype;
    DWORD length;
    DWORD values[TEMPLATE_MAX_VALUES];
    TemplateField fields[TEMPLATE_MAX_FIELDS];
} TemplateEntry;

// One record in its file form, in memory.
typedef struct SerializedEntry {
    DWORD size;
    BYTE* data;
} SerializedEntry;

// A list of records read from a template.
typedef struct EntryList {
    DWORD kind;
    TemplateEntry* entry;
    struct EntryList* next;
} EntryList;

// Files and signature.
LONG kmapptCreate(LPCSTR path, HFILE* handle);
LONG kmapptOpen(LPCSTR path, HFILE* handle);
LONG kmapptClose(HFILE handle);
LONG kmapptWriteSignature(HFILE handle);
LONG kmapptAppendSignature(HFILE handle);
LONG kmapptVerifySignature(HFILE handle);

// Record writers: each appends one record at the file's current position,
// with one write. A short write returns TEMPLATE_ERR_WRITE and leaves the
// partial record in the file.
LONG kmapptWriteFileEntry(HFILE handle, DWORD subtype, DWORD flags, LPCSTR source,
                          LPCSTR target);
LONG kmapptWriteDirEntry(HFILE handle, DWORD subtype, DWORD flags, LPCSTR directory);
LONG kmapptWriteIdentEntry(HFILE handle, DWORD subtype, DWORD flags, LPCSTR iniFile,
                           LPCSTR section, LPCSTR identifier, LPCSTR value);
LONG kmapptWriteSectionEntry(HFILE handle, DWORD subtype, LPCSTR iniFile, LPCSTR section);
LONG kmapptWriteValueEntry(HFILE handle, DWORD subtype, DWORD flags, LPCSTR key,
                           LPCSTR valueName, DWORD valueType, DWORD dataLength,
                           const BYTE* data);
LONG kmapptWriteKeyEntry(HFILE handle, DWORD subtype, DWORD flags, LPCSTR key);
LONG kmapptWriteBaseString(HFILE handle, DWORD subtype, LPCSTR text);
LONG kmapptWriteBaseValue(HFILE handle, DWORD subtype, DWORD value);
LONG kmapptWriteBaseValueString(HFILE handle, DWORD subtype, DWORD value, LPCSTR text);
LONG kmapptWriteMacroEntry(HFILE handle, DWORD subtype, LPCSTR name, LPCSTR value);
LONG kmapptWriteTextAddEntry(HFILE handle, DWORD subtype, LPCSTR textFile, LPCSTR text);
LONG kmapptWriteTextFindEntry(HFILE handle, DWORD subtype, DWORD flags, LPCSTR textFile,
                              LPCSTR find, LPCSTR replacement);
LONG kmapptWriteInvRAMEntry(HFILE handle, DWORD subtype, DWORD value);
LONG kmapptWriteInvDiskEntry(HFILE handle, DWORD subtype, DWORD value, LPCSTR drive);
LONG kmapptWriteInvProcessorEntry(HFILE handle, DWORD subtype, DWORD value);
LONG kmapptWriteInvOSVersionEntry(HFILE handle, DWORD subtype, DWORD major, DWORD minor);
LONG kmapptWriteBaseData(HFILE handle, DWORD subtype, const BYTE* data, DWORD dataLength);
LONG kmapptWritePMGroupEntry(HFILE handle, DWORD subtype, LPCSTR group);
LONG kmapptWriteUserIconEntry(HFILE handle, DWORD subtype, LPCSTR text1, LPCSTR text2,
                              LPCSTR text3, LPCSTR text4, LPCSTR text5, LPCSTR text6,
                              DWORD flags, DWORD iconIndex, DWORD showCommand,
                              DWORD separateMemorySpace);
LONG kmapptWriteKind20Entry(HFILE handle, DWORD subtype, DWORD value1, DWORD value2);

// Entry writers. kmapptWriteEntry builds the record's file form from the
// entry as it stands (its length field is copied, not recomputed); free the
// result with kmapptFreeWriteEntry.
LONG kmapptWriteEntry(const TemplateEntry* entry, SerializedEntry** serialized);
LONG kmapptWriteEntryToFile(HFILE handle, const TemplateEntry* entry);
LONG kmapptFreeWriteEntry(SerializedEntry* serialized);

// Reader, lists and freeing.
//
// kmapptReadEntry reads the record at the file's position: TEMPLATE_ERR_END
// when fewer than 12 bytes remain, TEMPLATE_ERR_READ for a record cut short,
// TEMPLATE_ERR_KIND for an unknown kind (the position stays at the record).
// kmapptReadEntryFromBuffer parses the record held in `serialized` and never
// reads past its size: a buffer shorter than the record's fixed part or than a
// field's count gives TEMPLATE_ERR_READ, as a file cut short does.
// kmapptGetEntries reads the whole template into a list, in file order when
// appendAtTail is not 0, else in reverse; kindMask 0 takes every record, else
// only the records whose kind has every bit of the mask. A skipped record whose
// length field is below 12 cannot be stepped over: TEMPLATE_ERR_KIND. On any
// error the list built so far is freed and *list is null.
// Free entries with kmapptFreeReadEntry and lists with kmapptFreeEntries.
LONG kmapptReadEntry(HFILE handle, TemplateEntry** entry);
LONG kmapptReadEntryFromBuffer(const SerializedEntry* serialized, TemplateEntry** entry);
LONG kmapptGetEntries(HFILE handle, DWORD kindMask, DWORD appendAtTail, EntryList** list);
LONG kmapptFreeReadEntry(TemplateEntry* entry);
LONG kmapptFreeEntries(EntryList* list);
char* kmapptGetEnv(LPCSTR name);

}  // extern "C"
