// Creation of application objects.
#include <string>
#include <vector>

#include "directory_calls.h"
#include "kmapp32.h"

using namespace vpr::launcher;

extern "C" LONG KMAPPCreateObject(DIR_CONTEXT context, LPCSTR object, LPCSTR className,
                                  LPCSTR path, LPCSTR caption, DWORD /*reserved*/) {
    if (!object || !className || !*className) return KMAPP_ERR_BAD_PARAMETER;
    DirBuffer* request = nullptr;
    int status = DirAllocBuffer(0x4000, &request);
    if (status == DIR_SUCCESS) status = DirInitRequest(context, DIR_OP_ADD_OBJECT, request);
    auto add = [&](const char* attribute, int syntax, const void* value) {
        if (status == DIR_SUCCESS) status = DirPutAttributeName(context, request, attribute);
        if (status == DIR_SUCCESS) status = DirPutValue(context, request, syntax, value);
    };
    add("Object Class", DIR_SYNTAX_CLASS_NAME, className);
    // The path is an octet string, the caption a text of the attribute's own syntax.
    std::string pathText = path ? path : "";
    DirOctetString pathValue{static_cast<uint32_t>(pathText.size()),
                             reinterpret_cast<unsigned char*>(pathText.data())};
    if (!pathText.empty()) add("App:Path", DIR_SYNTAX_OCTET_STRING, &pathValue);
    if (caption && *caption && status == DIR_SUCCESS) {
        uint32_t syntax = 0;
        status = DirGetAttributeSyntax(context, "App:Caption", &syntax);
        add("App:Caption", static_cast<int>(syntax), caption);
    }
    if (status == DIR_SUCCESS) status = DirAddObject(context, object, nullptr, 0, request);
    DirFreeBuffer(request);
    return status;
}
