// The resource compiler behind vprrc: reads a module's resource source (.vrc,
// syntax in docs/resource_format.md) and gives the container entries.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "vpr/win/resource_format.h"

namespace vpr::win {

struct CompileOptions {
    // Set by the build: replaces the version words of the source (file and
    // product); "FileVersion"/"ProductVersion" strings the source lacks follow them.
    std::optional<std::array<uint16_t, 4>> version;
    // 1 program, 2 library; 0 keeps what the source says.
    uint32_t fileType = 0;
};

struct CompileResult {
    std::vector<ResourceEntry> entries;
    std::vector<std::string> dependencies;  // files read besides the source
    std::string error;                      // "file:line: message" on failure
};

bool CompileResourceSource(const std::string& sourcePath, const CompileOptions& options,
                           CompileResult* result);

}  // namespace vpr::win
