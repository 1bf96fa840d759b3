// The directory client calls over the tree stores of the machine's attached
// trees.
#include "vpr/directory/client.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>

#include "fault_state.h"
#include "request_buffer.h"
#include "stream_file.h"
#include "vpr/directory/context_store.h"
#include "vpr/directory/store.h"
#include "vpr/directory/trees.h"
#include "vpr/directory/value_codec.h"

using namespace vpr::directory;

namespace {

// What a read or class-definition iteration still has to hand out.
struct Iteration {
    int operation = 0;
    bool namesOnly = false;
    NameParts object;
    std::vector<AttributeValues> attributes;  // reads
    std::vector<ClassDef> classes;            // class definitions
    size_t item = 0;                          // attribute or class
    size_t value = 0;                         // value of that attribute
};

struct Context {
    std::mutex mutex;  // one call at a time works on a context's settings and iterations
    AttachedTree tree;
    uint32_t flags = 0;
    NameParts nameContext;
    std::shared_ptr<Store> store;  // of `tree`, opened on first use
    std::map<int32_t, Iteration> iterations;
    int32_t nextIteration = 1;
};

struct Contexts {
    std::mutex mutex;
    std::map<DIR_CONTEXT, std::shared_ptr<Context>> byHandle;
    DIR_CONTEXT next = 1;
};

Contexts& AllContexts() {
    static Contexts* contexts = new Contexts;  // contexts may be freed from static destructors
    return *contexts;
}

// The context behind a handle; null when the handle names none. Calls lock
// the context's own mutex while they work on it.
std::shared_ptr<Context> FindContext(DIR_CONTEXT ctx) {
    std::lock_guard lock(AllContexts().mutex);
    auto it = AllContexts().byHandle.find(ctx);
    return it == AllContexts().byHandle.end() ? nullptr : it->second;
}

// The context's store, kept open while the context lives.
int OpenStore(Context& context, std::shared_ptr<Store>* store) {
    if (context.tree.storeFile.empty()) return DIR_ERR_NO_SUCH_TREE;
    if (!context.store || context.store->path() != context.tree.storeFile) {
        context.store.reset();
        int status = Store::Open(context.tree.storeFile, &context.store);
        if (status != DIR_SUCCESS) return status;
    }
    *store = context.store;
    return DIR_SUCCESS;
}

void CopyOut(const std::string& text, char* out, size_t size) {
    size_t n = std::min(text.size(), size - 1);
    std::memcpy(out, text.data(), n);
    out[n] = 0;
}

// Resolves a caller's name against the context: status and parts.
int Resolve(const Context& context, const char* name, NameParts* parts) {
    if (!name) return DIR_ERR_BAD_PARAMETER;
    return ParseName(name, context.nameContext, parts);
}

// Common opening of a call: the context and its store.
struct Call {
    explicit Call(DIR_CONTEXT ctx) : context(FindContext(ctx)) {
        if (!context) {
            status = DIR_ERR_BAD_CONTEXT;
            return;
        }
        lock = std::unique_lock(context->mutex);
        status = OpenStore(*context, &store);
    }
    std::shared_ptr<Context> context;
    std::unique_lock<std::mutex> lock;
    std::shared_ptr<Store> store;
    int status;
};

// Who a context's requests act as: the logged-in user when the login is
// authenticated, else nobody in particular ("[Public]"). A user no longer in
// the tree counts as "[Public]" too.
Trustee ActingUser(const Context& context) {
    Trustee trustee;
    trustee.missingIsPublic = true;
    const std::string& user = context.tree.user;
    trustee.isPublic = !context.tree.authenticated || user.empty() ||
                       ParseName(user.front() == '.' ? user : "." + user, {}, &trustee.name) != DIR_SUCCESS;
    return trustee;
}

// What the context's user holds on an object.
int RightsOfUser(const Call& call, const NameParts& object, ObjectRights* rights) {
    return call.store->RightsOn(ActingUser(*call.context), object, rights);
}

// DIR_ERR_NO_ACCESS unless the context's user holds every right of `needed`
// on the object's attribute (or "[Entry Rights]").
int Require(const Call& call, const NameParts& object, const std::string& attribute, uint32_t needed) {
    ObjectRights rights;
    int status = RightsOfUser(call, object, &rights);
    if (status != DIR_SUCCESS) return status;
    uint32_t held = attribute == DIR_ENTRY_RIGHTS ? rights.entry : rights.Attribute(attribute);
    return (held & needed) == needed ? DIR_SUCCESS : DIR_ERR_NO_ACCESS;
}

// A change that only adds or removes the user's own name needs the add-self
// right; every other change needs write.
uint32_t RightNeededFor(const Change& change, const Trustee& user) {
    if (user.isPublic || change.values.empty() ||
        (change.kind != DIR_CHANGE_ADD_ATTRIBUTE && change.kind != DIR_CHANGE_ADD_VALUE &&
         change.kind != DIR_CHANGE_REMOVE_VALUE))
        return DIR_ATTR_WRITE;
    std::string self = FormatName(user.name);
    for (const Value& value : change.values)
        if (value.syntax != DIR_SYNTAX_DIST_NAME || !SameName(ValueToText(value), self)) return DIR_ATTR_WRITE;
    return DIR_ATTR_SELF;
}

bool ValidReply(const DirBuffer* reply) { return reply && reply->budget >= 8; }

// ---- read replies -------------------------------------------------------

// Fills the reply with what of the read fits; advances the iteration.
int FillReadReply(Iteration* iteration, DirBuffer* reply) {
    reply->bytes.clear();
    ByteWriter writer(&reply->bytes);
    writer.U32(DIR_OP_READ);
    writer.U32(1);
    writer.Counted(FormatName(iteration->object));
    size_t countAt = reply->bytes.size();
    writer.U32(0);
    uint32_t attributes = 0;
    bool full = false;
    while (iteration->item < iteration->attributes.size() && !full) {
        const AttributeValues& attribute = iteration->attributes[iteration->item];
        size_t header = ByteWriter::CountedSize(attribute.attribute.name.size()) + 8;
        size_t firstValue = iteration->namesOnly ? 0
                            : ByteWriter::CountedSize(
                                  attribute.values[iteration->value].bytes.size());
        if (reply->bytes.size() + header + firstValue > reply->budget) break;
        writer.Counted(attribute.attribute.name);
        writer.U32(attribute.attribute.syntax);
        size_t valueCountAt = reply->bytes.size();
        writer.U32(0);
        uint32_t values = 0;
        if (iteration->namesOnly) {
            iteration->value = attribute.values.size();
        }
        while (iteration->value < attribute.values.size()) {
            const Value& value = attribute.values[iteration->value];
            if (reply->bytes.size() + ByteWriter::CountedSize(value.bytes.size()) > reply->budget) {
                full = true;
                break;
            }
            writer.Counted(value.bytes);
            ++values;
            ++iteration->value;
        }
        for (int i = 0; i < 4; ++i)
            reply->bytes[valueCountAt + i] = static_cast<uint8_t>(values >> (8 * i));
        ++attributes;
        if (iteration->value == attribute.values.size()) {
            ++iteration->item;
            iteration->value = 0;
        }
    }
    bool more = iteration->item < iteration->attributes.size();
    if (attributes == 0 && more) return DIR_ERR_BUFFER_FULL;  // one value exceeds the reply
    for (int i = 0; i < 4; ++i)
        reply->bytes[countAt + i] = static_cast<uint8_t>(attributes >> (8 * i));
    reply->cursor = countAt + 4;
    reply->itemsLeft = attributes;
    reply->attributeCount = attributes;
    reply->valuesLeft = 0;
    return DIR_SUCCESS;
}

int FillClassReply(Iteration* iteration, DirBuffer* reply) {
    reply->bytes.clear();
    ByteWriter writer(&reply->bytes);
    writer.U32(DIR_OP_READ_CLASS_DEFS);
    writer.U32(0);
    uint32_t count = 0;
    while (iteration->item < iteration->classes.size()) {
        const ClassDef& cls = iteration->classes[iteration->item];
        std::vector<uint8_t> encoded;
        ByteWriter def(&encoded);
        def.Counted(cls.name);
        def.U32((cls.container ? DIR_CLASS_CONTAINER : 0) | (cls.effective ? DIR_CLASS_EFFECTIVE : 0));
        for (const auto* list : {&cls.superClasses, &cls.containment, &cls.naming, &cls.mandatory,
                                 &cls.optional}) {
            if (iteration->namesOnly) {
                def.U32(0);
                continue;
            }
            def.U32(static_cast<uint32_t>(list->size()));
            for (const std::string& name : *list) def.Counted(name);
        }
        if (reply->bytes.size() + encoded.size() > reply->budget) break;
        reply->bytes.insert(reply->bytes.end(), encoded.begin(), encoded.end());
        ++count;
        ++iteration->item;
    }
    if (count == 0 && iteration->item < iteration->classes.size()) return DIR_ERR_BUFFER_FULL;
    for (int i = 0; i < 4; ++i) reply->bytes[4 + i] = static_cast<uint8_t>(count >> (8 * i));
    reply->cursor = 8;
    reply->itemsLeft = count;
    reply->listsLeft = 0;
    reply->valuesLeft = 0;
    return DIR_SUCCESS;
}

// Runs one step of an iteration kept in the context.
int StepIteration(Context* context, Iteration fresh, int32_t* handle, DirBuffer* reply,
                  int (*fill)(Iteration*, DirBuffer*)) {
    Iteration* iteration;
    if (*handle == DIR_NO_MORE_ITERATIONS) {
        int32_t id = context->nextIteration++;
        iteration = &(context->iterations[id] = std::move(fresh));
        *handle = id;
    } else {
        auto it = context->iterations.find(*handle);
        if (it == context->iterations.end()) return DIR_ERR_BAD_ITERATION;
        iteration = &it->second;
    }
    int status = fill(iteration, reply);
    bool done = iteration->item >= (iteration->operation == DIR_OP_READ
                                        ? iteration->attributes.size()
                                        : iteration->classes.size());
    if (status != DIR_SUCCESS || done) {
        context->iterations.erase(*handle);
        *handle = DIR_NO_MORE_ITERATIONS;
    }
    return status;
}

int RequestNames(DirBuffer* request, int operation, uint32_t tag, std::vector<std::string>* names) {
    if (!request) return DIR_ERR_BAD_REQUEST;
    if (RequestOperation(*request) != static_cast<uint32_t>(operation)) return DIR_ERR_BAD_REQUEST;
    std::vector<RequestEntry> entries;
    int status = ReadEntries(*request, &entries);
    if (status != DIR_SUCCESS) return status;
    for (const RequestEntry& entry : entries) {
        if (entry.tag != tag) return DIR_ERR_BAD_REQUEST;
        names->push_back(entry.name);
    }
    return DIR_SUCCESS;
}

// Groups a modify or add request into changes: each value belongs to the
// change (or attribute name) before it.
int RequestChanges(DirBuffer* request, int operation, std::vector<Change>* changes) {
    if (!request || RequestOperation(*request) != static_cast<uint32_t>(operation))
        return DIR_ERR_BAD_REQUEST;
    std::vector<RequestEntry> entries;
    int status = ReadEntries(*request, &entries);
    if (status != DIR_SUCCESS) return status;
    uint32_t opener = operation == DIR_OP_MODIFY ? kTagChange : kTagAttributeName;
    for (RequestEntry& entry : entries) {
        if (entry.tag == opener) {
            changes->push_back({static_cast<int>(entry.kind), entry.name, {}});
        } else if (entry.tag == kTagValue && !changes->empty()) {
            changes->back().values.push_back(std::move(entry.value));
        } else {
            return DIR_ERR_BAD_REQUEST;
        }
    }
    return DIR_SUCCESS;
}

}  // namespace

// ---- contexts -----------------------------------------------------------

int vpr::directory::StoreOfContext(DIR_CONTEXT ctx, std::shared_ptr<Store>* store) {
    Call call(ctx);
    if (call.status == DIR_SUCCESS) *store = call.store;
    return call.status;
}

extern "C" DIR_CONTEXT WINAPI DirCreateContext(void) {
    if (faults::ContextCreationFails()) return DIR_ERR_NO_CONTEXT;
    std::vector<AttachedTree> trees = AttachedTrees();
    if (trees.empty()) return DIR_ERR_NO_CONTEXT;
    auto context = std::make_shared<Context>();
    context->tree = trees.front();
    std::lock_guard lock(AllContexts().mutex);
    DIR_CONTEXT handle = AllContexts().next;
    AllContexts().next = handle >= 0x7FFFFFF0 ? 1 : handle + 1;
    AllContexts().byHandle[handle] = std::move(context);
    return handle;
}

extern "C" int WINAPI DirFreeContext(DIR_CONTEXT ctx) {
    std::lock_guard lock(AllContexts().mutex);
    return AllContexts().byHandle.erase(ctx) ? DIR_SUCCESS : DIR_ERR_BAD_CONTEXT;
}

extern "C" int WINAPI DirGetContextInfo(DIR_CONTEXT ctx, int key, void* out) {
    auto context = FindContext(ctx);
    if (!context) return DIR_ERR_BAD_CONTEXT;
    if (!out) return DIR_ERR_BAD_PARAMETER;
    std::lock_guard lock(context->mutex);
    switch (key) {
        case DIR_KEY_FLAGS:
            std::memcpy(out, &context->flags, sizeof context->flags);
            return DIR_SUCCESS;
        case DIR_KEY_NAME_CONTEXT:
            CopyOut(FormatName(context->nameContext), static_cast<char*>(out), DIR_MAX_NAME);
            return DIR_SUCCESS;
        case DIR_KEY_TREE_NAME: {
            CopyOut(PaddedTreeName(context->tree.name), static_cast<char*>(out),
                    DIR_TREE_NAME_CHARS + 1);
            return DIR_SUCCESS;
        }
        default:
            return DIR_ERR_BAD_PARAMETER;
    }
}

extern "C" int WINAPI DirSetContextInfo(DIR_CONTEXT ctx, int key, const void* value) {
    auto context = FindContext(ctx);
    if (!context) return DIR_ERR_BAD_CONTEXT;
    if (!value) return DIR_ERR_BAD_PARAMETER;
    std::lock_guard lock(context->mutex);
    switch (key) {
        case DIR_KEY_FLAGS:
            std::memcpy(&context->flags, value, sizeof context->flags);
            return DIR_SUCCESS;
        case DIR_KEY_NAME_CONTEXT: {
            std::string text = static_cast<const char*>(value);
            NameParts parts;
            int status = ParseName(!text.empty() && text.front() == '.' ? text : "." + text, {}, &parts);
            if (status == DIR_SUCCESS) context->nameContext = std::move(parts);
            return status;
        }
        case DIR_KEY_TREE_NAME: {
            std::string name = TrimmedTreeName(static_cast<const char*>(value));
            for (const AttachedTree& tree : AttachedTrees()) {
                if (SameName(tree.name, name)) {
                    context->tree = tree;
                    return DIR_SUCCESS;
                }
            }
            return DIR_ERR_NO_SUCH_TREE;
        }
        default:
            return DIR_ERR_BAD_PARAMETER;
    }
}

extern "C" int WINAPI DirIsContextAuthenticated(DIR_CONTEXT ctx) {
    Call call(ctx);
    if (call.status != DIR_SUCCESS) return 0;
    if (!call.context->tree.authenticated || call.context->tree.user.empty()) return 0;
    NameParts user;
    ObjectRecord record;
    if (ParseName(call.context->tree.user, {}, &user) != DIR_SUCCESS) return 0;
    return call.store->FindObject(user, &record) == DIR_SUCCESS ? 1 : 0;
}

// ---- buffers ------------------------------------------------------------

extern "C" int WINAPI DirAllocBuffer(size_t size, DirBuffer** buf) {
    if (!buf) return DIR_ERR_BAD_PARAMETER;
    size = faults::BufferBudget(size);
    if (size < 16) return DIR_ERR_BAD_PARAMETER;
    auto buffer = new DirBuffer;
    buffer->budget = size;
    *buf = buffer;
    return DIR_SUCCESS;
}

extern "C" int WINAPI DirFreeBuffer(DirBuffer* buf) {
    delete buf;
    return DIR_SUCCESS;
}

extern "C" int WINAPI DirInitRequest(DIR_CONTEXT ctx, int operation, DirBuffer* buf) {
    if (!FindContext(ctx)) return DIR_ERR_BAD_CONTEXT;
    if (!buf) return DIR_ERR_BAD_PARAMETER;
    if (operation != DIR_OP_READ && operation != DIR_OP_ADD_OBJECT && operation != DIR_OP_MODIFY &&
        operation != DIR_OP_READ_CLASS_DEFS)
        return DIR_ERR_BAD_PARAMETER;
    buf->bytes.clear();
    ByteWriter writer(&buf->bytes);
    writer.U32(static_cast<uint32_t>(operation));
    writer.U32(0);
    return DIR_SUCCESS;
}

static int PutName(DIR_CONTEXT ctx, DirBuffer* buf, uint32_t tag, const char* name,
                   std::initializer_list<int> operations) {
    if (!FindContext(ctx)) return DIR_ERR_BAD_CONTEXT;
    if (!buf || !name || !*name || std::strlen(name) >= DIR_MAX_SCHEMA_NAME)
        return DIR_ERR_BAD_PARAMETER;
    uint32_t operation = RequestOperation(*buf);
    bool fits = false;
    for (int allowed : operations) fits = fits || operation == static_cast<uint32_t>(allowed);
    if (!fits) return DIR_ERR_BAD_REQUEST;
    return AppendEntry(buf, {tag, 0, name, {}});
}

extern "C" int WINAPI DirPutAttributeName(DIR_CONTEXT ctx, DirBuffer* buf, const char* name) {
    return PutName(ctx, buf, kTagAttributeName, name, {DIR_OP_READ, DIR_OP_ADD_OBJECT});
}

extern "C" int WINAPI DirPutClassName(DIR_CONTEXT ctx, DirBuffer* buf, const char* className) {
    return PutName(ctx, buf, kTagClassName, className, {DIR_OP_READ_CLASS_DEFS});
}

extern "C" int WINAPI DirPutChange(DIR_CONTEXT ctx, DirBuffer* buf, int change,
                                   const char* attribute) {
    if (change != DIR_CHANGE_ADD_ATTRIBUTE && change != DIR_CHANGE_ADD_VALUE &&
        change != DIR_CHANGE_REMOVE_VALUE && change != DIR_CHANGE_REMOVE_ALL_VALUES)
        return DIR_ERR_BAD_PARAMETER;
    if (!FindContext(ctx)) return DIR_ERR_BAD_CONTEXT;
    if (!buf || !attribute || !*attribute || std::strlen(attribute) >= DIR_MAX_SCHEMA_NAME)
        return DIR_ERR_BAD_PARAMETER;
    if (RequestOperation(*buf) != DIR_OP_MODIFY) return DIR_ERR_BAD_REQUEST;
    return AppendEntry(buf, {kTagChange, static_cast<uint32_t>(change), attribute, {}});
}

extern "C" int WINAPI DirPutValue(DIR_CONTEXT ctx, DirBuffer* buf, int syntax, const void* value) {
    auto context = FindContext(ctx);
    if (!context) return DIR_ERR_BAD_CONTEXT;
    if (!buf) return DIR_ERR_BAD_PARAMETER;
    uint32_t operation = RequestOperation(*buf);
    if (operation != DIR_OP_MODIFY && operation != DIR_OP_ADD_OBJECT) return DIR_ERR_BAD_REQUEST;
    RequestEntry entry{kTagValue, 0, {}, {}};
    int status = EncodeValue(static_cast<uint32_t>(syntax), value, context->nameContext, &entry.value);
    if (status != DIR_SUCCESS) return status;
    return AppendEntry(buf, entry);
}

// ---- requests -----------------------------------------------------------

// What the add and modify calls share: the object's name and the request's
// changes, read with the call's context.
static int TakeRequest(const Call& call, const char* object, int32_t* iteration, int more,
                       DirBuffer* request, int operation, NameParts* name,
                       std::vector<Change>* changes) {
    if (call.status != DIR_SUCCESS) return call.status;
    if (iteration || more) return DIR_ERR_BAD_PARAMETER;
    int status = Resolve(*call.context, object, name);
    return status != DIR_SUCCESS ? status : RequestChanges(request, operation, changes);
}

extern "C" int WINAPI DirModifyObject(DIR_CONTEXT ctx, const char* object, int32_t* iteration,
                                      int more, DirBuffer* request) {
    Call call(ctx);
    NameParts name;
    std::vector<Change> changes;
    int status = TakeRequest(call, object, iteration, more, request, DIR_OP_MODIFY, &name, &changes);
    // Each change needs its right on its attribute (changing "ACL" is how
    // rights are given and taken).
    ObjectRights rights;
    if (status == DIR_SUCCESS) status = RightsOfUser(call, name, &rights);
    Trustee user = ActingUser(*call.context);
    for (const Change& change : changes) {
        uint32_t needed = RightNeededFor(change, user);
        if (status == DIR_SUCCESS && (rights.Attribute(change.attribute) & needed) != needed)
            status = DIR_ERR_NO_ACCESS;
    }
    return status != DIR_SUCCESS ? status : call.store->Modify(name, changes);
}

extern "C" int WINAPI DirAddObject(DIR_CONTEXT ctx, const char* object, int32_t* iteration,
                                   int more, DirBuffer* request) {
    Call call(ctx);
    NameParts name;
    std::vector<Change> values;
    int status =
        TakeRequest(call, object, iteration, more, request, DIR_OP_ADD_OBJECT, &name, &values);
    if (status != DIR_SUCCESS) return status;
    std::string className;
    for (auto it = values.begin(); it != values.end();) {
        if (!SameName(it->attribute, "Object Class")) {
            ++it;
            continue;
        }
        if (it->values.size() != 1 || it->values[0].syntax != DIR_SYNTAX_CLASS_NAME ||
            !className.empty())
            return DIR_ERR_BAD_SYNTAX;
        className = ValueToText(it->values[0]);
        it = values.erase(it);
    }
    if (className.empty()) return DIR_ERR_MANDATORY_MISSING;
    // Adding needs the add right on the container the object goes into.
    if (!name.empty()) {
        status = Require(call, NameParts(name.begin() + 1, name.end()), DIR_ENTRY_RIGHTS, DIR_ENTRY_ADD);
        if (status != DIR_SUCCESS) return status;
    }
    return call.store->AddObject(name, className, values);
}

extern "C" int WINAPI DirRemoveObject(DIR_CONTEXT ctx, const char* object) {
    Call call(ctx);
    if (call.status != DIR_SUCCESS) return call.status;
    NameParts name;
    int status = Resolve(*call.context, object, &name);
    if (status == DIR_SUCCESS && !name.empty()) status = Require(call, name, DIR_ENTRY_RIGHTS, DIR_ENTRY_DELETE);
    return status != DIR_SUCCESS ? status : call.store->RemoveObject(name);
}

// A read needs the browse right on the object and the read right (compare
// for names only) on each attribute it hands out: an attribute asked for by
// name without it refuses the read, one of an all-attribute read is left out.
static int KeepReadable(const ObjectRights& rights, const std::vector<std::string>& names, bool namesOnly,
                        std::vector<AttributeValues>* attributes) {
    if ((rights.entry & DIR_ENTRY_BROWSE) == 0) return DIR_ERR_NO_ACCESS;
    uint32_t needed = namesOnly ? DIR_ATTR_COMPARE : DIR_ATTR_READ;
    for (const std::string& name : names)
        if ((rights.Attribute(name) & needed) != needed) return DIR_ERR_NO_ACCESS;
    std::erase_if(*attributes, [&](const AttributeValues& attribute) {
        return (rights.Attribute(attribute.attribute.name) & needed) != needed;
    });
    return DIR_SUCCESS;
}

extern "C" int WINAPI DirSearch(DIR_CONTEXT ctx, const char* base, int infoType, int allAttributes,
                                DirBuffer* request, int32_t* iteration, DirBuffer* reply) {
    Call call(ctx);
    if (call.status != DIR_SUCCESS) return call.status;
    if (!iteration || !ValidReply(reply) || (infoType != 0 && infoType != 1))
        return DIR_ERR_BAD_PARAMETER;
    Iteration fresh;
    if (*iteration == DIR_NO_MORE_ITERATIONS) {
        fresh.operation = DIR_OP_READ;
        fresh.namesOnly = infoType == 0;
        std::vector<std::string> names;
        int status = Resolve(*call.context, base, &fresh.object);
        if (status == DIR_SUCCESS && !allAttributes)
            status = RequestNames(request, DIR_OP_READ, kTagAttributeName, &names);
        ObjectRights rights;
        if (status == DIR_SUCCESS)
            status = call.store->ReadValuesAs(ActingUser(*call.context), fresh.object, names, &fresh.attributes,
                                              &rights);
        if (status == DIR_SUCCESS) status = KeepReadable(rights, names, fresh.namesOnly, &fresh.attributes);
        if (status != DIR_SUCCESS) return status;
    }
    return StepIteration(call.context.get(), std::move(fresh), iteration, reply, FillReadReply);
}

extern "C" int WINAPI DirReadClassDefs(DIR_CONTEXT ctx, int infoType, int allClasses,
                                       DirBuffer* request, int32_t* iteration, DirBuffer* reply) {
    Call call(ctx);
    if (call.status != DIR_SUCCESS) return call.status;
    if (!iteration || !ValidReply(reply) || (infoType != 0 && infoType != 1))
        return DIR_ERR_BAD_PARAMETER;
    Iteration fresh;
    if (*iteration == DIR_NO_MORE_ITERATIONS) {
        fresh.operation = DIR_OP_READ_CLASS_DEFS;
        fresh.namesOnly = infoType == 0;
        int status = DIR_SUCCESS;
        if (allClasses) {
            status = call.store->ListClasses(&fresh.classes);
        } else {
            std::vector<std::string> names;
            status = RequestNames(request, DIR_OP_READ_CLASS_DEFS, kTagClassName, &names);
            for (const std::string& name : names) {
                if (status != DIR_SUCCESS) break;
                ClassDef cls;
                status = call.store->GetClass(name, &cls);
                fresh.classes.push_back(std::move(cls));
            }
        }
        if (status != DIR_SUCCESS) return status;
    }
    return StepIteration(call.context.get(), std::move(fresh), iteration, reply, FillClassReply);
}

extern "C" int WINAPI DirCloseIteration(DIR_CONTEXT ctx, int32_t iteration, int operation) {
    auto context = FindContext(ctx);
    if (!context) return DIR_ERR_BAD_CONTEXT;
    std::lock_guard lock(context->mutex);
    auto it = context->iterations.find(iteration);
    if (it == context->iterations.end()) return DIR_ERR_BAD_ITERATION;
    if (operation != it->second.operation) return DIR_ERR_BAD_PARAMETER;
    context->iterations.erase(it);
    return DIR_SUCCESS;
}

extern "C" int WINAPI DirReadObjectInfo(DIR_CONTEXT ctx, const char* object, char* nameOut,
                                        DirObjectInfo* info) {
    Call call(ctx);
    if (call.status != DIR_SUCCESS) return call.status;
    if (!info) return DIR_ERR_BAD_PARAMETER;
    NameParts name;
    ObjectRecord record;
    int status = Resolve(*call.context, object, &name);
    if (status == DIR_SUCCESS) status = call.store->FindObject(name, &record);
    if (status == DIR_SUCCESS) status = Require(call, name, DIR_ENTRY_RIGHTS, DIR_ENTRY_BROWSE);
    if (status != DIR_SUCCESS) return status;
    std::memset(info, 0, sizeof *info);
    info->flags = record.container ? DIR_INFO_CONTAINER : 0;
    info->subordinateCount = record.subordinates;
    info->modificationTime = record.modified;
    CopyOut(record.className, info->baseClass, sizeof info->baseClass);
    if (nameOut) CopyOut(FormatName(record.name), nameOut, DIR_MAX_NAME);
    return DIR_SUCCESS;
}

// ---- reply readers ------------------------------------------------------

static bool IsReply(const DirBuffer* reply, uint32_t operation) {
    return reply && reply->bytes.size() >= 8 && GetU32(reply->bytes.data()) == operation;
}

extern "C" int WINAPI DirGetResultObjectCount(DIR_CONTEXT ctx, DirBuffer* reply, uint32_t* count) {
    if (!FindContext(ctx)) return DIR_ERR_BAD_CONTEXT;
    if (!IsReply(reply, DIR_OP_READ) || !count) return DIR_ERR_BAD_PARAMETER;
    *count = GetU32(reply->bytes.data() + 4);
    return DIR_SUCCESS;
}

extern "C" int WINAPI DirGetResultAttributeCount(DIR_CONTEXT ctx, DirBuffer* reply,
                                                 uint32_t* count) {
    if (!FindContext(ctx)) return DIR_ERR_BAD_CONTEXT;
    if (!IsReply(reply, DIR_OP_READ) || !count) return DIR_ERR_BAD_PARAMETER;
    *count = reply->attributeCount;
    return DIR_SUCCESS;
}

// Skips the values of the current attribute (or the names of the current
// class list) that were not read.
static bool SkipValues(DirBuffer* reply) {
    ByteReader reader(reply->bytes, reply->cursor);
    std::vector<uint8_t> skipped;
    for (; reply->valuesLeft > 0; --reply->valuesLeft)
        if (!reader.Counted(&skipped)) return false;
    reply->cursor = reader.offset();
    return true;
}

extern "C" int WINAPI DirGetNextResultAttribute(DIR_CONTEXT ctx, DirBuffer* reply, char* name,
                                                uint32_t* valueCount, uint32_t* syntax) {
    if (!FindContext(ctx)) return DIR_ERR_BAD_CONTEXT;
    if (!IsReply(reply, DIR_OP_READ) || !name) return DIR_ERR_BAD_PARAMETER;
    if (!SkipValues(reply)) return DIR_ERR_BAD_REQUEST;
    if (reply->itemsLeft == 0) return DIR_ERR_NO_MORE_ENTRIES;
    ByteReader reader(reply->bytes, reply->cursor);
    std::string attribute;
    uint32_t attributeSyntax, count;
    if (!reader.Counted(&attribute) || !reader.U32(&attributeSyntax) || !reader.U32(&count))
        return DIR_ERR_BAD_REQUEST;
    --reply->itemsLeft;
    reply->cursor = reader.offset();
    reply->valuesLeft = count;
    reply->syntax = attributeSyntax;
    CopyOut(attribute, name, DIR_MAX_SCHEMA_NAME);
    if (valueCount) *valueCount = count;
    if (syntax) *syntax = attributeSyntax;
    return DIR_SUCCESS;
}

static int PeekValue(DirBuffer* reply, int syntax, Value* value, size_t* next) {
    if (!IsReply(reply, DIR_OP_READ)) return DIR_ERR_BAD_PARAMETER;
    if (reply->valuesLeft == 0) return DIR_ERR_NO_MORE_ENTRIES;
    if (static_cast<uint32_t>(syntax) != reply->syntax) return DIR_ERR_BAD_SYNTAX;
    ByteReader reader(reply->bytes, reply->cursor);
    value->syntax = reply->syntax;
    if (!reader.Counted(&value->bytes)) return DIR_ERR_BAD_REQUEST;
    *next = reader.offset();
    return DIR_SUCCESS;
}

extern "C" int WINAPI DirComputeValueSize(DIR_CONTEXT ctx, DirBuffer* reply, int syntax,
                                          size_t* size) {
    if (!FindContext(ctx)) return DIR_ERR_BAD_CONTEXT;
    if (!size) return DIR_ERR_BAD_PARAMETER;
    Value value;
    size_t next;
    int status = PeekValue(reply, syntax, &value, &next);
    return status == DIR_SUCCESS ? DecodedSize(value, size) : status;
}

extern "C" int WINAPI DirGetResultValue(DIR_CONTEXT ctx, DirBuffer* reply, int syntax,
                                        void* value) {
    if (!FindContext(ctx)) return DIR_ERR_BAD_CONTEXT;
    if (!value) return DIR_ERR_BAD_PARAMETER;
    Value stored;
    size_t next;
    int status = PeekValue(reply, syntax, &stored, &next);
    if (status != DIR_SUCCESS) return status;
    // A damaged value is refused and stays the current one: the caller may
    // go on with the next attribute.
    status = DecodeValue(stored, value);
    if (status != DIR_SUCCESS) return status;
    reply->cursor = next;
    --reply->valuesLeft;
    return DIR_SUCCESS;
}

extern "C" int WINAPI DirGetClassDefCount(DIR_CONTEXT ctx, DirBuffer* reply, uint32_t* count) {
    if (!FindContext(ctx)) return DIR_ERR_BAD_CONTEXT;
    if (!IsReply(reply, DIR_OP_READ_CLASS_DEFS) || !count) return DIR_ERR_BAD_PARAMETER;
    *count = GetU32(reply->bytes.data() + 4);
    return DIR_SUCCESS;
}

extern "C" int WINAPI DirGetNextClassDef(DIR_CONTEXT ctx, DirBuffer* reply, char* name,
                                         uint32_t* flags) {
    if (!FindContext(ctx)) return DIR_ERR_BAD_CONTEXT;
    if (!IsReply(reply, DIR_OP_READ_CLASS_DEFS) || !name) return DIR_ERR_BAD_PARAMETER;
    // Skip what is left of the definition before.
    for (;;) {
        if (!SkipValues(reply)) return DIR_ERR_BAD_REQUEST;
        if (reply->listsLeft == 0) break;
        ByteReader list(reply->bytes, reply->cursor);
        if (!list.U32(&reply->valuesLeft)) return DIR_ERR_BAD_REQUEST;
        --reply->listsLeft;
        reply->cursor = list.offset();
    }
    if (reply->itemsLeft == 0) return DIR_ERR_NO_MORE_ENTRIES;
    ByteReader reader(reply->bytes, reply->cursor);
    std::string className;
    uint32_t classFlags;
    if (!reader.Counted(&className) || !reader.U32(&classFlags)) return DIR_ERR_BAD_REQUEST;
    --reply->itemsLeft;
    reply->listsLeft = 5;
    reply->cursor = reader.offset();
    CopyOut(className, name, DIR_MAX_SCHEMA_NAME);
    if (flags) *flags = classFlags;
    return DIR_SUCCESS;
}

extern "C" int WINAPI DirGetClassListCount(DIR_CONTEXT ctx, DirBuffer* reply, uint32_t* count) {
    if (!FindContext(ctx)) return DIR_ERR_BAD_CONTEXT;
    if (!IsReply(reply, DIR_OP_READ_CLASS_DEFS) || !count) return DIR_ERR_BAD_PARAMETER;
    if (!SkipValues(reply)) return DIR_ERR_BAD_REQUEST;
    if (reply->listsLeft == 0) return DIR_ERR_NO_MORE_ENTRIES;
    ByteReader reader(reply->bytes, reply->cursor);
    if (!reader.U32(&reply->valuesLeft)) return DIR_ERR_BAD_REQUEST;
    --reply->listsLeft;
    reply->cursor = reader.offset();
    *count = reply->valuesLeft;
    return DIR_SUCCESS;
}

extern "C" int WINAPI DirGetNextClassItem(DIR_CONTEXT ctx, DirBuffer* reply, char* name) {
    if (!FindContext(ctx)) return DIR_ERR_BAD_CONTEXT;
    if (!IsReply(reply, DIR_OP_READ_CLASS_DEFS) || !name) return DIR_ERR_BAD_PARAMETER;
    if (reply->valuesLeft == 0) return DIR_ERR_NO_MORE_ENTRIES;
    ByteReader reader(reply->bytes, reply->cursor);
    std::string item;
    if (!reader.Counted(&item)) return DIR_ERR_BAD_REQUEST;
    --reply->valuesLeft;
    reply->cursor = reader.offset();
    CopyOut(item, name, DIR_MAX_SCHEMA_NAME);
    return DIR_SUCCESS;
}

// ---- the rest -----------------------------------------------------------

extern "C" int WINAPI DirGetAttributeSyntax(DIR_CONTEXT ctx, const char* attribute,
                                            uint32_t* syntax) {
    Call call(ctx);
    if (call.status != DIR_SUCCESS) return call.status;
    if (!attribute || !syntax) return DIR_ERR_BAD_PARAMETER;
    AttributeDef def;
    int status = call.store->GetAttribute(attribute, &def);
    if (status == DIR_SUCCESS) *syntax = def.syntax;
    return status;
}

extern "C" int WINAPI DirOpenStreamAttribute(DIR_CONTEXT ctx, const char* object,
                                             const char* attribute, int mode, HFILE* file) {
    Call call(ctx);
    if (call.status != DIR_SUCCESS) return call.status;
    if (!attribute || !file || (mode != DIR_STREAM_READ && mode != DIR_STREAM_WRITE))
        return DIR_ERR_BAD_PARAMETER;
    NameParts name;
    std::vector<uint8_t> content;
    int status = Resolve(*call.context, object, &name);
    if (status == DIR_SUCCESS) status = call.store->ReadStream(name, attribute, &content);
    if (status == DIR_SUCCESS)
        status = Require(call, name, attribute, mode == DIR_STREAM_WRITE ? DIR_ATTR_WRITE : DIR_ATTR_READ);
    if (status != DIR_SUCCESS) return status;
    AttributeDef def;
    status = call.store->GetAttribute(attribute, &def);
    if (status != DIR_SUCCESS) return status;
    auto stream = std::make_shared<StreamFile>(call.store, name, def.name, std::move(content),
                                               mode == DIR_STREAM_WRITE,
                                               faults::StreamWriteBudget());
    *file = vpr::win::OpenFileObject(std::move(stream));
    return DIR_SUCCESS;
}

extern "C" int WINAPI DirGetEffectiveRights(DIR_CONTEXT ctx, const char* trustee,
                                            const char* object, const char* attribute,
                                            uint32_t* rights) {
    Call call(ctx);
    if (call.status != DIR_SUCCESS) return call.status;
    if (!trustee || !attribute || !rights) return DIR_ERR_BAD_PARAMETER;
    bool isPublic = std::strcmp(trustee, DIR_PUBLIC_NAME) == 0;
    NameParts trusteeName, objectName;
    int status = isPublic ? DIR_SUCCESS : Resolve(*call.context, trustee, &trusteeName);
    if (status == DIR_SUCCESS) status = Resolve(*call.context, object, &objectName);
    if (status != DIR_SUCCESS) return status;
    return call.store->EffectiveRights(trusteeName, isPublic, objectName, attribute, rights);
}

extern "C" int WINAPI DirGetCurrentUserName(DIR_CONTEXT ctx, char* name) {
    auto context = FindContext(ctx);
    if (!context) return DIR_ERR_BAD_CONTEXT;
    if (!name) return DIR_ERR_BAD_PARAMETER;
    std::lock_guard lock(context->mutex);
    if (!context->tree.authenticated || context->tree.user.empty()) return DIR_ERR_NOT_AUTHENTICATED;
    NameParts user;
    std::string text = context->tree.user;
    int status = ParseName(text.front() == '.' ? text : "." + text, {}, &user);
    if (status != DIR_SUCCESS) return status;
    CopyOut(FormatName(user), name, DIR_MAX_NAME);
    return DIR_SUCCESS;
}

extern "C" int WINAPI DirAbbreviateName(DIR_CONTEXT ctx, const char* name, char* out) {
    auto context = FindContext(ctx);
    if (!context) return DIR_ERR_BAD_CONTEXT;
    if (!name || !out) return DIR_ERR_BAD_PARAMETER;
    std::lock_guard lock(context->mutex);
    if (std::strcmp(name, DIR_PUBLIC_NAME) == 0) {
        CopyOut(name, out, DIR_MAX_NAME);
        return DIR_SUCCESS;
    }
    NameParts parts;
    int status = ParseName(name, context->nameContext, &parts);
    if (status != DIR_SUCCESS) return status;
    CopyOut(AbbreviateName(parts, context->nameContext), out, DIR_MAX_NAME);
    return DIR_SUCCESS;
}
