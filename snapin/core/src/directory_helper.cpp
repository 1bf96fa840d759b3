#include "snapin/core/directory_helper.h"

#include <cstring>
#include <memory>

#include "snapin/core/app_library.h"
#include "snapin/core/host_calls.h"
#include "snapin/core/schema_names.h"
#include "snapin/distribution/ref_item.h"

CDirectoryHelper theDirectoryHelper;

namespace {

constexpr size_t kRequestSize = 0x4000;
constexpr size_t kSearchRequestSize = 0x1000;
constexpr size_t kSearchReplySize = 0x4000;
constexpr DWORD kModuleContextFlags = DIR_FLAG_DEREF_ALIASES | DIR_FLAG_XLATE_STRINGS | DIR_FLAG_TYPELESS_NAMES |
                                      DIR_FLAG_CANONICALIZE_NAMES;
constexpr size_t kGuidSize = 256;

struct BufferDeleter {
    void operator()(DirBuffer* buffer) const { DirFreeBuffer(buffer); }
};
using Buffer = std::unique_ptr<DirBuffer, BufferDeleter>;

int NewBuffer(size_t size, Buffer* buffer) {
    DirBuffer* raw = nullptr;
    int status = DirAllocBuffer(size, &raw);
    buffer->reset(raw);
    return status;
}

struct AttributeListDeleter {
    void operator()(KmappAttribute* list) const { theAppLibrary.FreeGetObjectAttributes(list); }
};
using AttributeList = std::unique_ptr<KmappAttribute, AttributeListDeleter>;

// The node of the list whose name equals `name` exactly; null when there is none.
const KmappAttribute* FindAttribute(const AttributeList& list, LPCSTR name) {
    for (const KmappAttribute* node = list.get(); node; node = node->next)
        if (node->name && std::strcmp(node->name, name) == 0) return node;
    return nullptr;
}

// One attribute of the object as the launcher support library reads it;
// empty when it has no values or the entry point is missing.
AttributeList ReadAttribute(DIR_CONTEXT context, LPCSTR object, LPCSTR attribute) {
    const LPCSTR names[1] = {attribute};
    return AttributeList(theAppLibrary.GetObjectAttributes(context, object, names, 1));
}

// Sends what the request holds to the object and starts the buffer again.
int SendAndRestart(DIR_CONTEXT context, LPCSTR object, DirBuffer* request) {
    int status = DirModifyObject(context, object, nullptr, 0, request);
    if (status != DIR_SUCCESS) return status;
    return DirInitRequest(context, DIR_OP_MODIFY, request);
}

// Gives a stream attribute its value (the object's own name), which starts empty.
int CreateStreamValue(DIR_CONTEXT context, LPCSTR object, LPCSTR attribute) {
    Buffer request;
    int status = NewBuffer(kRequestSize, &request);
    if (status == DIR_SUCCESS) status = DirInitRequest(context, DIR_OP_MODIFY, request.get());
    if (status == DIR_SUCCESS) status = DirPutChange(context, request.get(), DIR_CHANGE_ADD_VALUE, attribute);
    if (status == DIR_SUCCESS) status = DirPutValue(context, request.get(), DIR_SYNTAX_STREAM, object);
    if (status == DIR_SUCCESS) status = DirModifyObject(context, object, nullptr, 0, request.get());
    return status;
}

uint32_t GetU32(const BYTE* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void PutU32(BYTE* p, uint32_t value) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<BYTE>(value >> (8 * i));
}

}  // namespace

DIR_CONTEXT CDirectoryHelper::CreateContext() const {
    DIR_CONTEXT context = DirCreateContext();
    if (context < 0) return context;
    char tree[SNAPIN_TREE_NAME_SIZE] = {};
    char current[SNAPIN_NAME_SIZE] = {};
    // A context left on another tree than the administrator's would read
    // and write the wrong objects: a tree it cannot move to ends it.
    if (HostGetCurrentContext(tree, current) == 0 && tree[0]) {
        int status = DirSetContextInfo(context, DIR_KEY_TREE_NAME, tree);
        if (status != DIR_SUCCESS) {
            DirFreeContext(context);
            return status;
        }
    }
    uint32_t flags = 0;
    DirGetContextInfo(context, DIR_KEY_FLAGS, &flags);
    flags |= kModuleContextFlags;
    DirSetContextInfo(context, DIR_KEY_FLAGS, &flags);
    DirSetContextInfo(context, DIR_KEY_NAME_CONTEXT, DIR_ROOT_NAME);
    return context;
}

int CDirectoryHelper::PutChange(DIR_CONTEXT context, LPCSTR object, DirBuffer* request, int change,
                                LPCSTR attribute) const {
    int status = DirPutChange(context, request, change, attribute);
    if (status != DIR_ERR_BUFFER_FULL) return status;
    status = SendAndRestart(context, object, request);
    if (status != DIR_SUCCESS) return status;
    return DirPutChange(context, request, change, attribute);
}

int CDirectoryHelper::PutValue(DIR_CONTEXT context, LPCSTR object, DirBuffer* request, int change,
                               LPCSTR attribute, int syntax, const void* value) const {
    int status = DirPutValue(context, request, syntax, value);
    if (status != DIR_ERR_BUFFER_FULL) return status;
    status = SendAndRestart(context, object, request);
    if (status == DIR_SUCCESS) status = DirPutChange(context, request, change, attribute);
    if (status == DIR_SUCCESS) status = DirPutValue(context, request, syntax, value);
    return status;
}

int CDirectoryHelper::ReplaceValue(DIR_CONTEXT context, LPCSTR object, DirBuffer* request, LPCSTR attribute,
                                   DWORD value) const {
    uint32_t syntax = 0;
    uint32_t number = value;
    int status = DirGetAttributeSyntax(context, attribute, &syntax);
    if (status == DIR_SUCCESS)
        status = PutChange(context, object, request, DIR_CHANGE_REMOVE_ALL_VALUES, attribute);
    if (status == DIR_SUCCESS) status = PutChange(context, object, request, DIR_CHANGE_ADD_VALUE, attribute);
    if (status == DIR_SUCCESS)
        status = PutValue(context, object, request, DIR_CHANGE_ADD_VALUE, attribute, static_cast<int>(syntax),
                          &number);
    return status;
}

int CDirectoryHelper::PutOctetStringValue(DIR_CONTEXT context, LPCSTR object, DirBuffer* request,
                                          LPCSTR attribute, LPCSTR text) const {
    int status = PutChange(context, object, request, DIR_CHANGE_REMOVE_ALL_VALUES, attribute);
    if (status != DIR_SUCCESS || !text || !*text) return status;
    status = PutChange(context, object, request, DIR_CHANGE_ADD_VALUE, attribute);
    DirOctetString octets{static_cast<uint32_t>(std::strlen(text)),
                          reinterpret_cast<unsigned char*>(const_cast<char*>(text))};
    if (status == DIR_SUCCESS)
        status = PutValue(context, object, request, DIR_CHANGE_ADD_VALUE, attribute, DIR_SYNTAX_OCTET_STRING,
                          &octets);
    return status;
}

int CDirectoryHelper::PutStringValue(DIR_CONTEXT context, LPCSTR object, DirBuffer* request, LPCSTR attribute,
                                     LPCSTR text) const {
    uint32_t syntax = 0;
    int status = DirGetAttributeSyntax(context, attribute, &syntax);
    if (status == DIR_SUCCESS)
        status = PutChange(context, object, request, DIR_CHANGE_REMOVE_ALL_VALUES, attribute);
    if (status != DIR_SUCCESS || !text || !*text) return status;
    status = PutChange(context, object, request, DIR_CHANGE_ADD_VALUE, attribute);
    if (status == DIR_SUCCESS)
        status = PutValue(context, object, request, DIR_CHANGE_ADD_VALUE, attribute, static_cast<int>(syntax), text);
    return status;
}

int CDirectoryHelper::SearchValue(DIR_CONTEXT context, LPCSTR object, LPCSTR attribute, LPCSTR name,
                                  SearchValueResult* found) const {
    if (!object || !attribute || !name || !found) return 0;
    Buffer request, reply;
    if (NewBuffer(kSearchRequestSize, &request) != DIR_SUCCESS || NewBuffer(kSearchReplySize, &reply) != DIR_SUCCESS)
        return 0;
    if (DirInitRequest(context, DIR_OP_READ, request.get()) != DIR_SUCCESS ||
        DirPutAttributeName(context, request.get(), attribute) != DIR_SUCCESS)
        return 0;
    int32_t iteration = DIR_NO_MORE_ITERATIONS;
    // 1 once the name is found; 0 at the end of the values or on any failure.
    auto search = [&]() -> int {
        do {
            if (DirSearch(context, object, 1, 0, request.get(), &iteration, reply.get()) != DIR_SUCCESS) return 0;
            uint32_t attributes = 0;
            if (DirGetResultAttributeCount(context, reply.get(), &attributes) != DIR_SUCCESS) return 0;
            for (uint32_t a = 0; a < attributes; ++a) {
                char attributeName[DIR_MAX_SCHEMA_NAME] = {};
                uint32_t values = 0, syntax = 0;
                if (DirGetNextResultAttribute(context, reply.get(), attributeName, &values, &syntax) != DIR_SUCCESS)
                    return 0;
                for (uint32_t v = 0; v < values; ++v) {
                    size_t size = 0;
                    if (DirComputeValueSize(context, reply.get(), static_cast<int>(syntax), &size) != DIR_SUCCESS)
                        return 0;
                    // Room for whatever the syntax decodes to; only typed names are compared.
                    std::unique_ptr<uint64_t[]> value(new uint64_t[size / sizeof(uint64_t) + 1]);
                    if (DirGetResultValue(context, reply.get(), static_cast<int>(syntax), value.get()) != DIR_SUCCESS)
                        return 0;
                    if (syntax != DIR_SYNTAX_TYPED_NAME) continue;
                    const auto* typed = reinterpret_cast<const DirTypedName*>(value.get());
                    if (typed->name && std::strcmp(typed->name, name) == 0) {
                        std::strncpy(found->name, typed->name, sizeof found->name - 1);
                        found->name[sizeof found->name - 1] = '\0';
                        found->level = typed->level;
                        return 1;
                    }
                }
            }
        } while (iteration != DIR_NO_MORE_ITERATIONS);
        return 0;
    };
    int result = search();
    if (iteration != DIR_NO_MORE_ITERATIONS) DirCloseIteration(context, iteration, DIR_OP_READ);
    return result;
}

void CDirectoryHelper::ReadLauncherConfig(DIR_CONTEXT context, LPCSTR object, BYTE* record) const {
    if (!record) return;
    BYTE stored[kLauncherConfigSize];
    UINT read = 0;
    HFILE file = HFILE_ERROR;
    if (DirOpenStreamAttribute(context, object, snapin::kAttrLauncherConfig, DIR_STREAM_READ, &file) ==
        DIR_SUCCESS) {
        read = _lread(file, stored, kLauncherConfigSize);
        _lclose(file);
        if (read == static_cast<UINT>(HFILE_ERROR)) read = 0;
    }
    // A record of another magic is not taken at all: the caller's bytes stay
    // beside the defaults.
    if (read >= 4 && GetU32(stored) == kLauncherConfigMagic) {
        std::memcpy(record, stored, read);
    } else {
        PutU32(record + 4, 0x8000058C);
        PutU32(record + 8, 3600);
        PutU32(record + 12, 1);
        PutU32(record + 32, 0);
    }
    PutU32(record, kLauncherConfigMagic);
}

DWORD CDirectoryHelper::ReadAppFlags(DIR_CONTEXT context, LPCSTR object) const {
    AttributeList list = ReadAttribute(context, object, snapin::kAttrFlags);
    const KmappAttribute* flags = FindAttribute(list, snapin::kAttrFlags);
    if (!flags || !flags->values || !flags->values->data) return 0;
    DWORD value = 0;
    std::memcpy(&value, flags->values->data, sizeof value);
    return value;
}

int CDirectoryHelper::OpenStreamAttribute(DIR_CONTEXT context, LPCSTR object, LPCSTR attribute, int mode,
                                          HFILE* file) const {
    int status = DirOpenStreamAttribute(context, object, attribute, mode, file);
    if (status != DIR_ERR_NO_STREAM_VALUE) return status;
    status = CreateStreamValue(context, object, attribute);
    if (status != DIR_SUCCESS) return status;
    return DirOpenStreamAttribute(context, object, attribute, mode, file);
}

int CDirectoryHelper::WriteStreamAttribute(DIR_CONTEXT context, LPCSTR object, LPCSTR attribute,
                                           LPCSTR text) const {
    if (!text) text = "";
    HFILE file = HFILE_ERROR;
    int status = DirOpenStreamAttribute(context, object, attribute, DIR_STREAM_WRITE, &file);
    if (status == DIR_ERR_NO_STREAM_VALUE && *text) {
        CreateStreamValue(context, object, attribute);
        status = DirOpenStreamAttribute(context, object, attribute, DIR_STREAM_WRITE, &file);
    }
    if (status != DIR_SUCCESS) return status;
    // A write that does not store every byte is reported: the old content
    // is gone and the new one is cut.
    UINT length = static_cast<UINT>(std::strlen(text));
    bool written = _lwrite(file, "", 0) == 0;
    if (written && length) written = _lwrite(file, text, length + 1) == length + 1;
    if (_lclose(file) == HFILE_ERROR) written = false;
    return written ? DIR_SUCCESS : kStreamWriteFailed;
}

int CDirectoryHelper::ReadRefList(DIR_CONTEXT context, LPCSTR object, CRefItemList* list, LPCSTR attribute) const {
    if (!list) return 0;
    AttributeList read = ReadAttribute(context, object, attribute);
    const KmappAttribute* node = FindAttribute(read, attribute);
    if (!node) return 0;
    for (const KmappValue* value = node->values; value; value = value->next) {
        if (!value->data) continue;
        if (value->syntax == DIR_SYNTAX_TYPED_NAME) {
            const auto* typed = static_cast<const DirTypedName*>(value->data);
            list->AddTail(new CRefItem(typed->name, typed->level, typed->interval));
        } else if (value->syntax == DIR_SYNTAX_DIST_NAME) {
            list->AddTail(new CRefItem(static_cast<const char*>(value->data), 0, 0));
        }
    }
    return 1;
}

std::string CDirectoryHelper::AssignNewGuid(DIR_CONTEXT context, LPCSTR object, BOOL clearFirst) const {
    if (!CanWriteAttribute(context, object, snapin::kAttrGuid)) return "";
    char guid[kGuidSize] = {};
    if (theAppLibrary.CreateGUID(guid, sizeof guid) != 0 || !guid[0]) return "";
    Buffer request;
    int status = NewBuffer(kRequestSize, &request);
    if (status == DIR_SUCCESS) status = DirInitRequest(context, DIR_OP_MODIFY, request.get());
    if (status == DIR_SUCCESS && clearFirst == 1)
        status = DirPutChange(context, request.get(), DIR_CHANGE_REMOVE_ALL_VALUES, snapin::kAttrGuid);
    if (status == DIR_SUCCESS)
        status = DirPutChange(context, request.get(), DIR_CHANGE_ADD_ATTRIBUTE, snapin::kAttrGuid);
    DirOctetString octets{static_cast<uint32_t>(std::strlen(guid)), reinterpret_cast<unsigned char*>(guid)};
    if (status == DIR_SUCCESS) status = DirPutValue(context, request.get(), DIR_SYNTAX_OCTET_STRING, &octets);
    if (status == DIR_SUCCESS) status = DirModifyObject(context, object, nullptr, 0, request.get());
    return status == DIR_SUCCESS ? guid : "";
}

BOOL CDirectoryHelper::CanWriteAttribute(DIR_CONTEXT context, LPCSTR object, LPCSTR attribute) const {
    char user[DIR_MAX_NAME] = {};
    uint32_t rights = 0;
    if (DirGetCurrentUserName(context, user) != DIR_SUCCESS) return 0;
    if (DirGetEffectiveRights(context, user, object, attribute, &rights) != DIR_SUCCESS) return 0;
    return (rights & DIR_ATTR_WRITE) ? 1 : 0;
}
