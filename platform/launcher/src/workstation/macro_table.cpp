#include "macro_table.h"

#include "../well_known_folders.h"
#include "vpr/locale/locale.h"

namespace vpr::launcher {

MacroTable::MacroTable() {
    const std::pair<const char*, WellKnownFolder> folders[] = {
        {"*WINDIR", WellKnownFolder::Windows},
        {"*WINSYSDIR", WellKnownFolder::System},
        {"*WINSYS16DIR", WellKnownFolder::System16},
        {"*WINDESKTOP", WellKnownFolder::Desktop},
        {"*COMMONWINDESKTOP", WellKnownFolder::CommonDesktop},
        {"*STARTMENU", WellKnownFolder::StartMenu},
        {"*COMMONSTARTMENU", WellKnownFolder::CommonStartMenu},
    };
    for (const auto& [name, folder] : folders) Add(name, WellKnownFolderPath(folder));
}

void MacroTable::Add(const std::string& name, const std::string& value) {
    std::string bare = name;
    if (bare.size() >= 2 && bare.front() == '%' && bare.back() == '%') bare = bare.substr(1, bare.size() - 2);
    if (bare.empty()) return;
    for (auto& [known, text] : macros_) {
        if (KMLstricmp(known.c_str(), bare.c_str()) == 0) {
            text = value;
            return;
        }
    }
    macros_.emplace_back(bare, value);
}

const std::string* MacroTable::Find(const std::string& name) const {
    for (const auto& [known, text] : macros_)
        if (KMLstricmp(known.c_str(), name.c_str()) == 0) return &text;
    return nullptr;
}

std::string MacroTable::Expand(const std::string& text) const {
    std::string current = text;
    for (int round = 0; round < kDepth; ++round) {
        std::string next;
        bool replaced = false;
        size_t at = 0;
        while (at < current.size()) {
            size_t open = current.find('%', at);
            size_t close = open == std::string::npos ? std::string::npos : current.find('%', open + 1);
            if (close == std::string::npos) {
                next += current.substr(at);
                break;
            }
            const std::string* value = Find(current.substr(open + 1, close - open - 1));
            if (value) {
                next += current.substr(at, open - at) + *value;
                replaced = true;
                at = close + 1;
            } else {
                // Not a macro: the first percent sign stays, the second may open one.
                next += current.substr(at, close - at);
                at = close;
            }
        }
        current = next;
        if (!replaced) break;
    }
    return current;
}

}  // namespace vpr::launcher
