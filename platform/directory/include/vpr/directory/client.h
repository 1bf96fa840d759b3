// The directory client calls (the QRDIR32 library of the network client):
// contexts, request and reply buffers, modify, add, remove, reads, class
// definitions, stream attributes, effective rights and names. Every call
// returns 0 on success or one of the negative DIR_ERR_* statuses below.
// What the names and the store mean is described in platform/directory/README.md.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "vpr/win/types.h"

// Statuses.
#define DIR_SUCCESS 0
#define DIR_ERR_BUFFER_FULL (-304)          // a put does not fit the request buffer
#define DIR_ERR_BAD_REQUEST (-305)          // buffer of the wrong operation, put out of order
#define DIR_ERR_NO_MORE_ENTRIES (-306)      // a reply reader reached the end
#define DIR_ERR_BAD_PARAMETER (-307)
#define DIR_ERR_BAD_NAME (-310)             // malformed object name
#define DIR_ERR_NO_SUCH_TREE (-311)         // the tree is not attached to this machine
#define DIR_ERR_NOT_AUTHENTICATED (-320)
#define DIR_ERR_NO_CONTEXT (-328)           // no context could be created
#define DIR_ERR_BAD_CONTEXT (-329)          // the handle names no context
#define DIR_ERR_BAD_ITERATION (-330)
#define DIR_ERR_NO_SUCH_OBJECT (-601)
#define DIR_ERR_NO_STREAM_VALUE (-602)      // the stream attribute has no value yet
#define DIR_ERR_NO_SUCH_ATTRIBUTE (-603)    // unknown, or not an attribute of the object's class
#define DIR_ERR_NO_SUCH_CLASS (-604)
#define DIR_ERR_BAD_SYNTAX (-605)           // value of another syntax than the attribute's
#define DIR_ERR_OBJECT_EXISTS (-606)
#define DIR_ERR_NOT_ALLOWED (-610)          // attribute not allowed on the class, bad containment
#define DIR_ERR_NOT_EMPTY (-611)            // container still holds objects
#define DIR_ERR_SINGLE_VALUED (-612)        // a second value for a single-valued attribute
#define DIR_ERR_MANDATORY_MISSING (-613)
#define DIR_ERR_SCHEMA_CONFLICT (-614)      // a schema name already defined differently
#define DIR_ERR_STORE (-620)                // the store file is missing, cannot be opened or made, or failed
#define DIR_ERR_STORE_DAMAGED (-621)        // the store file is damaged or not a tree store
#define DIR_ERR_STORE_LOCKED (-622)         // another process held the store for the whole busy timeout
#define DIR_ERR_DISK_FULL (-623)            // the store cannot grow: the disk is full
#define DIR_ERR_STORE_READ_ONLY (-624)      // a change to a store that is open for reading only
#define DIR_ERR_DAMAGED_VALUE (-625)        // a stored value is not a value of its syntax
#define DIR_ERR_NO_ACCESS (-672)            // the logged-in user lacks the rights for the request

// Context keys.
#define DIR_KEY_FLAGS 1          // uint32_t
#define DIR_KEY_NAME_CONTEXT 3   // text, at most DIR_MAX_NAME bytes
#define DIR_KEY_TREE_NAME 11     // text; read: 32 characters padded with '_'

// Context flag bits: kept for the callers that set them; the client always
// speaks typeless names and never dereferences aliases on its own.
#define DIR_FLAG_DEREF_ALIASES 0x0001
#define DIR_FLAG_XLATE_STRINGS 0x0002
#define DIR_FLAG_TYPELESS_NAMES 0x0004
#define DIR_FLAG_CANONICALIZE_NAMES 0x0040

// Request operations.
#define DIR_OP_READ 3            // DirSearch: attribute names to read
#define DIR_OP_ADD_OBJECT 7      // DirAddObject: attribute names with their values
#define DIR_OP_MODIFY 9          // DirModifyObject: changes with their values
#define DIR_OP_READ_CLASS_DEFS 15  // DirReadClassDefs: class names

// Change kinds.
#define DIR_CHANGE_ADD_ATTRIBUTE 0
#define DIR_CHANGE_ADD_VALUE 2
#define DIR_CHANGE_REMOVE_VALUE 3
#define DIR_CHANGE_REMOVE_ALL_VALUES 6

// Value syntaxes, with what DirPutValue takes and DirGetResultValue gives.
#define DIR_SYNTAX_DIST_NAME 1       // const char* name
#define DIR_SYNTAX_CE_STRING 2       // const char* text, compared exactly
#define DIR_SYNTAX_CI_STRING 3       // const char* text, compared ignoring case
#define DIR_SYNTAX_PR_STRING 4       // const char* text (printable)
#define DIR_SYNTAX_NU_STRING 5       // const char* text (digits and blanks)
#define DIR_SYNTAX_BOOLEAN 7         // uint32_t* (0 or 1)
#define DIR_SYNTAX_INTEGER 8         // uint32_t*
#define DIR_SYNTAX_OCTET_STRING 9    // DirOctetString*
#define DIR_SYNTAX_TEL_NUMBER 10     // const char* text
#define DIR_SYNTAX_OBJECT_ACL 17     // DirAclValue*
#define DIR_SYNTAX_CLASS_NAME 20     // const char* class name
#define DIR_SYNTAX_STREAM 21         // const char* the object's own name
#define DIR_SYNTAX_TIME 24           // uint32_t* seconds since 1970
#define DIR_SYNTAX_TYPED_NAME 25     // DirTypedName*

// Stream open modes.
#define DIR_STREAM_READ 1
#define DIR_STREAM_WRITE 2

// Object rights ("[Entry Rights]") and attribute rights.
#define DIR_ENTRY_BROWSE 0x01
#define DIR_ENTRY_ADD 0x02
#define DIR_ENTRY_DELETE 0x04
#define DIR_ENTRY_RENAME 0x08
#define DIR_ENTRY_SUPERVISOR 0x10
#define DIR_ATTR_COMPARE 0x01
#define DIR_ATTR_READ 0x02
#define DIR_ATTR_WRITE 0x04
#define DIR_ATTR_SELF 0x08
#define DIR_ATTR_SUPERVISOR 0x20

// Special names.
#define DIR_ROOT_NAME "[Root]"
#define DIR_PUBLIC_NAME "[Public]"
#define DIR_ENTRY_RIGHTS "[Entry Rights]"
#define DIR_ALL_ATTRIBUTES_RIGHTS "[All Attributes Rights]"

// Sizes: a full name fits DIR_MAX_NAME bytes with its terminator (callers pass
// 514-byte buffers); class and attribute names fit DIR_MAX_SCHEMA_NAME.
#define DIR_MAX_NAME 514
#define DIR_MAX_SCHEMA_NAME 33
#define DIR_TREE_NAME_CHARS 32

// Iteration handle before the first and after the last reply.
#define DIR_NO_MORE_ITERATIONS (-1)

typedef int32_t DIR_CONTEXT;

typedef struct DirBuffer DirBuffer;

typedef struct DirOctetString {
    uint32_t length;
    unsigned char* data;
} DirOctetString;

typedef struct DirTypedName {
    char* name;
    uint32_t level;
    uint32_t interval;
} DirTypedName;

typedef struct DirAclValue {
    char* protectedAttribute;  // an attribute name, "[Entry Rights]" or "[All Attributes Rights]"
    char* trustee;             // an object name or "[Public]"
    uint32_t privileges;
} DirAclValue;

// What DirReadObjectInfo fills: the base class name stands at byte 12.
typedef struct DirObjectInfo {
    uint32_t flags;              // DIR_INFO_CONTAINER when the class may hold objects
    uint32_t subordinateCount;   // objects directly beneath
    uint32_t modificationTime;   // seconds since 1970 of the last change
    char baseClass[DIR_MAX_SCHEMA_NAME + 3];
} DirObjectInfo;
#define DIR_INFO_CONTAINER 0x1

// Class definition flags (DirGetNextClassDef).
#define DIR_CLASS_CONTAINER 0x1
#define DIR_CLASS_EFFECTIVE 0x2  // objects may be created of it
// The five lists of a class definition, in reply order.
#define DIR_CLASS_LIST_SUPER_CLASSES 0
#define DIR_CLASS_LIST_CONTAINMENT 1
#define DIR_CLASS_LIST_NAMING 2
#define DIR_CLASS_LIST_MANDATORY 3
#define DIR_CLASS_LIST_OPTIONAL 4

#ifdef __cplusplus
extern "C" {
#endif

// Contexts. A new context is positioned on the machine's first attached tree
// with the name context "[Root]".
DIR_CONTEXT WINAPI DirCreateContext(void);
int WINAPI DirFreeContext(DIR_CONTEXT ctx);
int WINAPI DirGetContextInfo(DIR_CONTEXT ctx, int key, void* out);
int WINAPI DirSetContextInfo(DIR_CONTEXT ctx, int key, const void* value);
int WINAPI DirIsContextAuthenticated(DIR_CONTEXT ctx);

// Buffers: `size` is the byte budget of the buffer.
int WINAPI DirAllocBuffer(size_t size, DirBuffer** buf);
int WINAPI DirFreeBuffer(DirBuffer* buf);
int WINAPI DirInitRequest(DIR_CONTEXT ctx, int operation, DirBuffer* buf);
int WINAPI DirPutAttributeName(DIR_CONTEXT ctx, DirBuffer* buf, const char* name);
int WINAPI DirPutClassName(DIR_CONTEXT ctx, DirBuffer* buf, const char* className);
int WINAPI DirPutChange(DIR_CONTEXT ctx, DirBuffer* buf, int change, const char* attribute);
int WINAPI DirPutValue(DIR_CONTEXT ctx, DirBuffer* buf, int syntax, const void* value);

// Requests. `iteration`/`more` of the add and modify calls are unused and must
// be null and 0.
int WINAPI DirModifyObject(DIR_CONTEXT ctx, const char* object, int32_t* iteration, int more,
                           DirBuffer* request);
int WINAPI DirAddObject(DIR_CONTEXT ctx, const char* object, int32_t* iteration, int more,
                        DirBuffer* request);
int WINAPI DirRemoveObject(DIR_CONTEXT ctx, const char* object);
// Reads attributes of `base`: infoType 1 names and values, 0 names only;
// allAttributes 1 reads every attribute (request may be null), 0 the ones
// named in the request. *iteration starts at -1 and is -1 again after the last
// reply; a value that does not fit an empty reply gives DIR_ERR_BUFFER_FULL.
int WINAPI DirSearch(DIR_CONTEXT ctx, const char* base, int infoType, int allAttributes,
                     DirBuffer* request, int32_t* iteration, DirBuffer* reply);
int WINAPI DirCloseIteration(DIR_CONTEXT ctx, int32_t iteration, int operation);
int WINAPI DirReadClassDefs(DIR_CONTEXT ctx, int infoType, int allClasses, DirBuffer* request,
                            int32_t* iteration, DirBuffer* reply);
int WINAPI DirReadObjectInfo(DIR_CONTEXT ctx, const char* object, char* nameOut,
                             DirObjectInfo* info);

// Reply readers of DirSearch: the reply holds one object; attributes are read
// one after the other, each followed by its values.
int WINAPI DirGetResultObjectCount(DIR_CONTEXT ctx, DirBuffer* reply, uint32_t* count);
int WINAPI DirGetResultAttributeCount(DIR_CONTEXT ctx, DirBuffer* reply, uint32_t* count);
int WINAPI DirGetNextResultAttribute(DIR_CONTEXT ctx, DirBuffer* reply, char* name,
                                     uint32_t* valueCount, uint32_t* syntax);
int WINAPI DirComputeValueSize(DIR_CONTEXT ctx, DirBuffer* reply, int syntax, size_t* size);
int WINAPI DirGetResultValue(DIR_CONTEXT ctx, DirBuffer* reply, int syntax, void* value);

// Reply readers of DirReadClassDefs: per definition its name, then its five
// lists, each as a count followed by that many names.
int WINAPI DirGetClassDefCount(DIR_CONTEXT ctx, DirBuffer* reply, uint32_t* count);
int WINAPI DirGetNextClassDef(DIR_CONTEXT ctx, DirBuffer* reply, char* name, uint32_t* flags);
int WINAPI DirGetClassListCount(DIR_CONTEXT ctx, DirBuffer* reply, uint32_t* count);
int WINAPI DirGetNextClassItem(DIR_CONTEXT ctx, DirBuffer* reply, char* name);

int WINAPI DirGetAttributeSyntax(DIR_CONTEXT ctx, const char* attribute, uint32_t* syntax);
// Opens a stream attribute as a file handle of the process's handle table
// (_lread, _lwrite, _llseek, _lclose). Writing starts at offset 0 without
// truncating; a zero-byte write cuts the stream; _lclose stores what was
// written. The handle does not depend on the context.
int WINAPI DirOpenStreamAttribute(DIR_CONTEXT ctx, const char* object, const char* attribute,
                                  int mode, HFILE* file);
int WINAPI DirGetEffectiveRights(DIR_CONTEXT ctx, const char* trustee, const char* object,
                                 const char* attribute, uint32_t* rights);
int WINAPI DirGetCurrentUserName(DIR_CONTEXT ctx, char* name);
int WINAPI DirAbbreviateName(DIR_CONTEXT ctx, const char* name, char* out);

#ifdef __cplusplus
}
#endif
