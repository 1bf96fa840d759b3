// Contexts, names and small value helpers of the launcher support library.
#include <cstring>
#include <random>
#include <string>

#include "directory_calls.h"
#include "kmapp32.h"

using namespace vpr::launcher;

namespace {

// Alias chains longer than this are taken for loops.
constexpr int kMaxAliasHops = 16;

}  // namespace

extern "C" DIR_CONTEXT KMAPPAllocContextHandle(void) {
    DIR_CONTEXT context = DirCreateContext();
    if (context < 0) return DIR_ERR_NO_CONTEXT;
    char user[DIR_MAX_NAME];
    if (DirGetCurrentUserName(context, user) != DIR_SUCCESS) {
        DirFreeContext(context);
        return DIR_ERR_NO_CONTEXT;
    }
    return context;
}

extern "C" void KMAPPFreeContextHandle(DIR_CONTEXT context) { DirFreeContext(context); }

extern "C" void KMAPPCreateFullObjectName(LPCSTR name, LPCSTR container, LPSTR fullName) {
    if (!fullName) return;
    std::string full = name ? name : "";
    std::string within = container ? container : "";
    if (!within.empty() && within.front() == '.') within.erase(0, 1);
    // A name with a leading period is complete already.
    if (!full.empty() && full.front() != '.' && !within.empty() && within != DIR_ROOT_NAME)
        full += "." + within;
    CopyText(full, fullName, DIR_MAX_NAME);
}

extern "C" void KMAPPStripTreeName(LPSTR treeName) {
    if (!treeName) return;
    size_t length = std::strlen(treeName);
    while (length > 0 && treeName[length - 1] == '_') treeName[--length] = 0;
}

extern "C" void KMAPPOctetToString(const KmappValue* value, LPSTR text, DWORD size) {
    if (!text || size == 0) return;
    if (!value || !value->data) {
        text[0] = 0;
        return;
    }
    std::string bytes(static_cast<const char*>(value->data), value->length);
    CopyText(bytes.c_str(), text, size);  // an octet value ends at its first zero byte
}

extern "C" LONG KMAPPCreateGUID(LPSTR text, DWORD size) {
    constexpr DWORD kGuidChars = 38;  // {xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}
    if (!text || size < kGuidChars + 1) return KMAPP_ERR_BAD_PARAMETER;
    static thread_local std::mt19937_64 random{std::random_device{}()};
    uint8_t bytes[16];
    for (int i = 0; i < 16; i += 8) {
        uint64_t bits = random();
        std::memcpy(bytes + i, &bits, 8);
    }
    bytes[6] = static_cast<uint8_t>((bytes[6] & 0x0F) | 0x40);  // random (version 4) GUID
    bytes[8] = static_cast<uint8_t>((bytes[8] & 0x3F) | 0x80);
    std::string guid = "{";
    static const char kHex[] = "0123456789ABCDEF";
    for (int i = 0; i < 16; ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10) guid += '-';
        guid += kHex[bytes[i] >> 4];
        guid += kHex[bytes[i] & 0xF];
    }
    guid += "}";
    CopyText(guid, text, size);
    return 0;
}

extern "C" void kmappDSDereferenceAlias(DIR_CONTEXT context, LPSTR object) {
    if (!object) return;
    std::string name = object;
    for (int hop = 0; hop < kMaxAliasHops; ++hop) {
        DirObjectInfo info;
        if (DirReadObjectInfo(context, name.c_str(), nullptr, &info) != DIR_SUCCESS ||
            std::strcmp(info.baseClass, "Alias") != 0) {
            if (hop > 0) CopyText(name, object, DIR_MAX_NAME);
            return;
        }
        std::vector<std::string> target = ReadNames(context, name, "Aliased Object Name");
        if (target.empty()) return;
        name = target.front();
    }
    // A loop of aliases: the name stays as the caller gave it.
}
