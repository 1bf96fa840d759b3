#include "path_macros.h"

#include <utility>
#include <vector>

#include "../core/text.h"
#include "snapshot/engine/engine_settings.h"

namespace snapshot {

std::string PathToMacro(const std::string& text) {
    if (text.empty()) return text;
    const EngineSettings& s = Settings();
    const std::pair<const std::string*, const char*> table[] = {
        {&s.desktopDirectory, "%*WINDESKTOP%"},
        {&s.commonDesktopDirectory, "%*COMMONWINDESKTOP%"},
        {&s.startMenuDirectory, "%*STARTMENU%"},
        {&s.commonStartMenuDirectory, "%*COMMONSTARTMENU%"},
        {&s.system16Directory, "%*WINSYS16DIR%"},
        {&s.systemDirectory, "%*WINSYSDIR%"},
        {&s.windowsDirectory, "%*WINDIR%"},
        {&s.installDirectory, "%TARGET_PATH%"},
    };
    std::string upper = UpperCase(text);
    for (const auto& [directory, macro] : table) {
        if (directory->empty() || directory->size() > text.size()) continue;
        if (upper.compare(0, directory->size(), UpperCase(*directory)) != 0) continue;
        if (text.size() != directory->size() && text[directory->size()] != '\\') continue;
        return macro + text.substr(directory->size());
    }
    return text;
}

}  // namespace snapshot
