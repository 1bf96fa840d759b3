#include "directory_calls.h"

#include <cstring>
#include <memory>

#include "vpr/locale/locale.h"

namespace vpr::launcher {

namespace {

constexpr size_t kRequestSize = 0x4000;
constexpr size_t kReplySize = 0x4000;

struct BufferDeleter {
    void operator()(DirBuffer* buffer) const { DirFreeBuffer(buffer); }
};
using Buffer = std::unique_ptr<DirBuffer, BufferDeleter>;

int NewBuffer(size_t size, Buffer* out) {
    DirBuffer* raw = nullptr;
    int status = DirAllocBuffer(size, &raw);
    out->reset(raw);
    return status;
}

// Takes every attribute and value out of one reply.
int TakeReply(DIR_CONTEXT context, DirBuffer* reply, std::vector<ReadAttribute>* out) {
    uint32_t count = 0;
    int status = DirGetResultAttributeCount(context, reply, &count);
    for (uint32_t i = 0; i < count && status == DIR_SUCCESS; ++i) {
        char name[DIR_MAX_SCHEMA_NAME] = {};
        uint32_t valueCount = 0, syntax = 0;
        status = DirGetNextResultAttribute(context, reply, name, &valueCount, &syntax);
        if (status != DIR_SUCCESS) break;
        // A long attribute comes in several replies: its values join the last entry.
        if (out->empty() || out->back().name != name) out->push_back({name, syntax, {}});
        for (uint32_t v = 0; v < valueCount && status == DIR_SUCCESS; ++v) {
            size_t size = 0;
            status = DirComputeValueSize(context, reply, static_cast<int>(syntax), &size);
            if (status != DIR_SUCCESS) break;
            std::vector<uint8_t> value(size);
            status = DirGetResultValue(context, reply, static_cast<int>(syntax), value.data());
            out->back().values.push_back(std::move(value));
        }
    }
    return status;
}

// The buffers of a read: an empty read request and room for its replies.
int NewReadRequest(DIR_CONTEXT context, Buffer* request, Buffer* reply) {
    int status = NewBuffer(kRequestSize, request);
    if (status == DIR_SUCCESS) status = NewBuffer(kReplySize, reply);
    if (status == DIR_SUCCESS) status = DirInitRequest(context, DIR_OP_READ, request->get());
    return status;
}

// Runs a read whose request is filled, taking every reply into `out`.
int Search(DIR_CONTEXT context, const std::string& object, bool all, DirBuffer* request, DirBuffer* reply,
           std::vector<ReadAttribute>* out) {
    int status = DIR_SUCCESS;
    int32_t iteration = DIR_NO_MORE_ITERATIONS;
    do {
        status = DirSearch(context, object.c_str(), 1, all ? 1 : 0, request, &iteration, reply);
        if (status == DIR_SUCCESS) status = TakeReply(context, reply, out);
    } while (status == DIR_SUCCESS && iteration != DIR_NO_MORE_ITERATIONS);
    if (iteration != DIR_NO_MORE_ITERATIONS) DirCloseIteration(context, iteration, DIR_OP_READ);
    return status;
}

// ReadAttributes asking the schema for each name first and leaving out the
// names it does not define.
int ReadKnownAttributes(DIR_CONTEXT context, const std::string& object, const std::vector<std::string>& names,
                        std::vector<ReadAttribute>* out) {
    out->clear();
    Buffer request, reply;
    int status = NewReadRequest(context, &request, &reply);
    size_t known = 0;
    for (const std::string& name : names) {
        uint32_t syntax = 0;
        if (status != DIR_SUCCESS) break;
        if (DirGetAttributeSyntax(context, name.c_str(), &syntax) != DIR_SUCCESS) continue;
        status = DirPutAttributeName(context, request.get(), name.c_str());
        ++known;
    }
    if (status != DIR_SUCCESS) return status;
    if (!names.empty() && known == 0) return DIR_SUCCESS;
    return Search(context, object, names.empty(), request.get(), reply.get(), out);
}

}  // namespace

int ReadAttributes(DIR_CONTEXT context, const std::string& object,
                   const std::vector<std::string>& names, std::vector<ReadAttribute>* out) {
    out->clear();
    if (names.empty()) return ReadKnownAttributes(context, object, names, out);
    // The names asked for are nearly always all in the schema: one read asks
    // for them as they are, with no look-up of each name first (each one is a
    // transaction of the store). A read refused for any reason, an unknown
    // name among them, is made again the careful way, which answers it.
    Buffer request, reply;
    int status = NewReadRequest(context, &request, &reply);
    for (const std::string& name : names)
        if (status == DIR_SUCCESS) status = DirPutAttributeName(context, request.get(), name.c_str());
    if (status == DIR_SUCCESS) status = Search(context, object, false, request.get(), reply.get(), out);
    return status == DIR_SUCCESS ? status : ReadKnownAttributes(context, object, names, out);
}

std::string ValueText(uint32_t syntax, const std::vector<uint8_t>& decoded) {
    if (syntax == DIR_SYNTAX_TYPED_NAME) {
        DirTypedName typed;
        std::memcpy(&typed, decoded.data(), sizeof typed);
        return typed.name;
    }
    return std::string(reinterpret_cast<const char*>(decoded.data()));
}

std::vector<std::string> ReadNames(DIR_CONTEXT context, const std::string& object,
                                   const std::string& attribute) {
    std::vector<ReadAttribute> read;
    std::vector<std::string> names;
    if (ReadAttributes(context, object, {attribute}, &read) != DIR_SUCCESS) return names;
    for (const ReadAttribute& entry : read)
        for (const auto& value : entry.values) names.push_back(ValueText(entry.syntax, value));
    return names;
}

int Modify(DIR_CONTEXT context, const std::string& object, const std::vector<Put>& puts) {
    Buffer request;
    int status = NewBuffer(kRequestSize, &request);
    if (status == DIR_SUCCESS) status = DirInitRequest(context, DIR_OP_MODIFY, request.get());
    for (const Put& put : puts) {
        if (status == DIR_SUCCESS)
            status = DirPutChange(context, request.get(), put.change, put.attribute.c_str());
        if (status == DIR_SUCCESS && put.value)
            status = DirPutValue(context, request.get(), put.syntax, put.value);
    }
    if (status == DIR_SUCCESS)
        status = DirModifyObject(context, object.c_str(), nullptr, 0, request.get());
    return status;
}

char* NewText(const std::string& text, size_t extraNuls) {
    char* copy = new char[text.size() + 1 + extraNuls]();
    std::memcpy(copy, text.data(), text.size());
    return copy;
}

void CopyText(const std::string& text, char* out, size_t size) {
    if (!out || size == 0) return;
    // Cut after the last whole character that fits.
    const char* start = text.c_str();
    const char* end = start;
    while (*end) {
        const char* next = KMNextChar(end);
        if (static_cast<size_t>(next - start) > size - 1) break;
        end = next;
    }
    std::memcpy(out, start, end - start);
    out[end - start] = 0;
}

}  // namespace vpr::launcher
