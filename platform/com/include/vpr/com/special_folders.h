// The shell's special folders and where they are on the machine.
#pragma once

#include <optional>
#include <string>

namespace vpr::com {

// The Windows path of a special folder (CSIDL_*): the per-user ones from the
// user's "Shell Folders" values (the machine's defaults when a value is
// missing), the common ones from the machine's "Shell Folders" values (NT;
// none on 95). CSIDL_DESKTOP answers the desktop directory. nullopt for a
// folder the machine has not.
std::optional<std::string> SpecialFolderPath(int csidl);

}  // namespace vpr::com
