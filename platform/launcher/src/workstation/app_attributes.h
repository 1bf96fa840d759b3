// The attributes of an application object that the workstation side uses,
// read in one request, and its stream attributes' contents.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "kmapp32.h"

namespace vpr::launcher {

struct AppAttributes {
    std::string path, parameters, workingDirectory, versionString, guid, errorLogPath;
    DWORD flags = 0;
    DWORD platforms = 0;
    std::vector<std::string> driveMappings, printerPorts;
    std::vector<std::pair<std::string, DWORD>> faultTolerance;  // application, level
    std::vector<std::string> loadBalancing;
    std::vector<std::string> streams;  // names of the stream attributes that hold a value
    bool HasStream(const std::string& attribute) const;
};

// The attribute names ReadAppAttributes knows.
const std::vector<std::string>& AllAppAttributes();

// Reads the named attributes (of AllAppAttributes) of the application; 0 or
// the directory's status.
int ReadAppAttributes(DIR_CONTEXT context, const std::string& application, const std::vector<std::string>& names,
                      AppAttributes* out);

// The bytes of a stream attribute; false when it cannot be opened.
bool ReadStream(DIR_CONTEXT context, const std::string& object, const std::string& attribute,
                std::vector<BYTE>* bytes);

}  // namespace vpr::launcher
