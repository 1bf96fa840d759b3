// The shell's script: the shared vocabulary (vpr/script/script_session.h)
// plus the commands of the shell's world, listed in the README.
#pragma once

#include <istream>
#include <ostream>

#include "vpr/shellhost/shell_host.h"

namespace vpr::shellhost {

// Runs a script on the calling thread, which becomes the shell's UI thread;
// the shell starts at the first command that needs it. `pumpWhileReading`:
// the lines come from a person typing, read on a thread of their own, so the
// shell serves while it waits for the next one. 0, 1 or 2 as kmadmin.
int RunShellScript(ShellHost& host, std::istream& in, std::ostream& out, bool pumpWhileReading);

}  // namespace vpr::shellhost
