// The macros of a distribution: the workstation's folders (%*WINDIR% and the
// rest, the answers KMQMT32 gives) and the application's own "App:Macros"
// (%NAME%, SOURCE_PATH and TARGET_PATH among them).
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace vpr::launcher {

class MacroTable {
public:
    // The workstation's folder macros.
    MacroTable();
    // A macro named without its percent signs; a later one of the same name
    // (in any case) replaces it.
    void Add(const std::string& name, const std::string& value);
    // Replaces every %NAME% whose name is known, again in what it put in, up
    // to kDepth rounds; an unknown one stays as written.
    std::string Expand(const std::string& text) const;

    static constexpr int kDepth = 8;

private:
    const std::string* Find(const std::string& name) const;
    std::vector<std::pair<std::string, std::string>> macros_;
};

}  // namespace vpr::launcher
