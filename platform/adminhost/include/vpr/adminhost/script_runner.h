// The kmadmin script: the shared script vocabulary (vpr/script/script_session.h:
// answer, file, folder, dialog blocks, the lines acting on a dialog, echo)
// and the commands of the host's own world:
//
//   context NAME            show the objects of a container ("[Root]" for the root)
//   list                    print the objects of the context, "name (class)"
//   select NAME [NAME...]   select objects by full name
//   tools                   print the Tools items with their state
//   run TEXT                choose a Tools item by its text ("&Export ...")
//   create CLASS            run the create command of a class in the context
//   classes                 print each registered class: name, "display text",
//                           flags, "bitmaps" or "none"
//   pick [NAME...]          the next object browser picks these objects (full
//                           names, one container; or SERVER/VOLUME:PATH names
//                           of one folder of a network volume) and presses OK;
//                           no name: Cancel (an answer: also inside a dialog's
//                           lines)
//   details NAME            open the object's details (dialog 1000); the lines
//                           after it act on the dialog until one closes it
//
// The host starts at the first command that needs it (every one above but
// pick), printing "module NAME: InitSnapin answered N" per module.
#pragma once

#include <istream>
#include <ostream>

#include "vpr/adminhost/admin_host.h"

namespace vpr::adminhost {

// Runs the script against the host (started here when it is not running),
// with the UI driver that is installed (one is installed for the run when
// none is). Returns 0 when every command worked, 1 otherwise, 2 when the host
// could not start.
int RunScript(AdminHost& host, std::istream& in, std::ostream& out);

}  // namespace vpr::adminhost
