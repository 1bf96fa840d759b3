#include "app_attributes.h"

#include <algorithm>
#include <cstring>

#include "../directory_calls.h"

namespace vpr::launcher {

namespace {

std::string OctetText(const std::vector<uint8_t>& decoded) {
    DirOctetString octets;
    std::memcpy(&octets, decoded.data(), sizeof octets);
    std::string text(reinterpret_cast<const char*>(octets.data), octets.length);
    return text.substr(0, text.find('\0'));  // an octet text ends at its first zero byte
}

DWORD Number(const std::vector<uint8_t>& decoded) {
    uint32_t value = 0;
    std::memcpy(&value, decoded.data(), std::min(decoded.size(), sizeof value));
    return value;
}

}  // namespace

bool AppAttributes::HasStream(const std::string& attribute) const {
    return std::find(streams.begin(), streams.end(), attribute) != streams.end();
}

const std::vector<std::string>& AllAppAttributes() {
    static const std::vector<std::string> names = {
        "App:Path", "App:Parameters", "App:Working Directory", "App:Version String", "App:GUID",
        "App:Error Log Path", "App:Flags", "App:Platform", "App:Drive Mappings", "App:Printer Ports",
        "App:Fault Tolerance", "App:Load Balancing", "App:Schedule", "App:Startup Script",
        "App:Shutdown Script",
    };
    return names;
}

int ReadAppAttributes(DIR_CONTEXT context, const std::string& application, const std::vector<std::string>& names,
                      AppAttributes* out) {
    *out = AppAttributes{};
    std::vector<ReadAttribute> read;
    int status = ReadAttributes(context, application, names, &read);
    if (status != DIR_SUCCESS) return status;
    for (const ReadAttribute& attribute : read) {
        const std::string& name = attribute.name;
        for (const auto& value : attribute.values) {
            if (attribute.syntax == DIR_SYNTAX_STREAM) {
                if (!out->HasStream(name)) out->streams.push_back(name);
            } else if (name == "App:Path") {
                out->path = OctetText(value);
            } else if (name == "App:Parameters") {
                out->parameters = OctetText(value);
            } else if (name == "App:Working Directory") {
                out->workingDirectory = OctetText(value);
            } else if (name == "App:Version String") {
                out->versionString = OctetText(value);
            } else if (name == "App:GUID") {
                out->guid = OctetText(value);
            } else if (name == "App:Error Log Path") {
                out->errorLogPath = OctetText(value);
            } else if (name == "App:Flags") {
                out->flags = Number(value);
            } else if (name == "App:Platform") {
                out->platforms = Number(value);
            } else if (name == "App:Drive Mappings") {
                out->driveMappings.push_back(OctetText(value));
            } else if (name == "App:Printer Ports") {
                out->printerPorts.push_back(OctetText(value));
            } else if (name == "App:Fault Tolerance") {
                DirTypedName typed;
                std::memcpy(&typed, value.data(), sizeof typed);
                out->faultTolerance.emplace_back(typed.name, typed.level);
            } else if (name == "App:Load Balancing") {
                out->loadBalancing.push_back(ValueText(attribute.syntax, value));
            }
        }
    }
    return DIR_SUCCESS;
}

bool ReadStream(DIR_CONTEXT context, const std::string& object, const std::string& attribute,
                std::vector<BYTE>* bytes) {
    bytes->clear();
    HFILE file = HFILE_ERROR;
    if (DirOpenStreamAttribute(context, object.c_str(), attribute.c_str(), DIR_STREAM_READ, &file) != DIR_SUCCESS)
        return false;
    BYTE chunk[4096];
    for (UINT got; (got = _lread(file, chunk, sizeof chunk)) > 0 && got != static_cast<UINT>(HFILE_ERROR);)
        bytes->insert(bytes->end(), chunk, chunk + got);
    _lclose(file);
    return true;
}

}  // namespace vpr::launcher
