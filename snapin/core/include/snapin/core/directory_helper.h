// CDirectoryHelper: the module's recurring directory steps in one place:
// a context on the administrator's current tree, value puts into a modify
// request, stream attributes, the launcher configuration record, the
// application flags, reference lists, a new "App:GUID" and the write-right
// test. It holds no state; every operation takes the context it works on and
// passes directory statuses up unchanged.
//
// Request buffers: every put that finds the buffer full (-304) sends what
// the buffer holds to the object, starts the same buffer again as a modify
// request and puts the same change, then the same value, again. That is why
// the put operations name the object the request is for.
#pragma once

#include <string>

#include "kmapp32.h"
#include "vpr/directory/client.h"
#include "windows.h"

class CRefItemList;

// Size of the launcher configuration record ("App:Launcher Config").
constexpr DWORD kLauncherConfigSize = 100;
constexpr DWORD kLauncherConfigMagic = 0xABCD1234;
// WriteStreamAttribute: the stream did not take every byte.
constexpr int kStreamWriteFailed = -1;

// What SearchValue found: the typed name's name and level.
struct SearchValueResult {
    char name[DIR_MAX_NAME];
    DWORD level;
};

class CDirectoryHelper {
public:
    // A new context on the host's current tree, with the module's context
    // flags (0x47 added) and the name context "[Root]"; the caller frees it
    // with DirFreeContext. A negative status when none can be made (-328),
    // or when the context cannot be moved to the host's tree.
    DIR_CONTEXT CreateContext() const;

    // One change of a modify request for `object`, with the buffer-full rule.
    int PutChange(DIR_CONTEXT context, LPCSTR object, DirBuffer* request, int change, LPCSTR attribute) const;
    // One value of the change last put; when the buffer is full, the change
    // is put again in the new request before the value.
    int PutValue(DIR_CONTEXT context, LPCSTR object, DirBuffer* request, int change, LPCSTR attribute,
                 int syntax, const void* value) const;

    // The attribute's values replaced by one 32-bit value in the attribute's
    // own syntax ("App:Flags", "App:Platform").
    int ReplaceValue(DIR_CONTEXT context, LPCSTR object, DirBuffer* request, LPCSTR attribute, DWORD value) const;
    // The attribute's values replaced by the text as one octet string; an
    // empty text leaves the attribute without values.
    int PutOctetStringValue(DIR_CONTEXT context, LPCSTR object, DirBuffer* request, LPCSTR attribute,
                            LPCSTR text) const;
    // As PutOctetStringValue, the text in the attribute's own syntax.
    int PutStringValue(DIR_CONTEXT context, LPCSTR object, DirBuffer* request, LPCSTR attribute,
                       LPCSTR text) const;

    // The first typed-name value of the attribute whose name equals `name`
    // exactly. 1 when found (copied into `found`), else 0.
    int SearchValue(DIR_CONTEXT context, LPCSTR object, LPCSTR attribute, LPCSTR name,
                    SearchValueResult* found) const;

    // The object's launcher configuration record (100 bytes). Without a
    // stored record, or with one of a wrong magic, the defaults are set over
    // what the caller gave. The magic is always set; the read never fails.
    void ReadLauncherConfig(DIR_CONTEXT context, LPCSTR object, BYTE* record) const;

    // The object's "App:Flags"; 0 when it has none.
    DWORD ReadAppFlags(DIR_CONTEXT context, LPCSTR object) const;

    // DirOpenStreamAttribute; a stream attribute without a value (-602) is
    // given its value first and opened again.
    int OpenStreamAttribute(DIR_CONTEXT context, LPCSTR object, LPCSTR attribute, int mode, HFILE* file) const;
    // Replaces the stream's content by the text and one zero byte (an empty
    // text empties it). A stream without a value gets one only for a
    // non-empty text. The status of the last open, or kStreamWriteFailed.
    int WriteStreamAttribute(DIR_CONTEXT context, LPCSTR object, LPCSTR attribute, LPCSTR text) const;

    // Appends one row per value of the attribute (typed names with their
    // level and interval, distinguished names with 0 and 0). 1 when the
    // attribute was read, else 0.
    int ReadRefList(DIR_CONTEXT context, LPCSTR object, CRefItemList* list, LPCSTR attribute) const;

    // Gives the object a new "App:GUID" (replacing the old one when
    // `clearFirst` is 1) when the current user may write it. The GUID text,
    // or an empty text when nothing was written.
    std::string AssignNewGuid(DIR_CONTEXT context, LPCSTR object, BOOL clearFirst) const;

    // 1 when the current user's effective rights on the attribute of the
    // object include the write right, else 0.
    BOOL CanWriteAttribute(DIR_CONTEXT context, LPCSTR object, LPCSTR attribute) const;
};

// The module's one helper.
extern CDirectoryHelper theDirectoryHelper;
