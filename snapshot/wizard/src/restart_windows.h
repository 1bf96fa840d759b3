// The restart the wizard offers after a shutdown request it refused.
#pragma once

namespace snapshot {

// Enables "SeShutdownPrivilege" in the process token (opened for privilege
// adjustment and query) when there is one, and restarts Windows, forced.
// False when the restart was refused.
bool RestartWindows();

}  // namespace snapshot
