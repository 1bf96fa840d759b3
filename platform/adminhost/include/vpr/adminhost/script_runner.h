// A plain script that drives the administration host as a person would, one
// command a line (blank lines and lines starting with # are skipped):
//
//   context NAME            show the objects of a container ("[Root]" for the root)
//   list                    print the objects of the context, "name (class)"
//   select NAME [NAME...]   select objects by full name
//   tools                   print the Tools items with their state
//   run TEXT                choose a Tools item by its text ("&Export ...")
//   create CLASS            run the create command of a class in the context
//   pick [NAME...]          the next object browser picks these objects (full
//                           names, one container) and presses OK; no name: Cancel
//   details NAME            open the object's details; the lines after it act on
//                           the dialog until one closes it:
//     page N | page TITLE     go to a page (N counts from 1)
//     set ID TEXT             type TEXT over the text of control ID of the page
//     check ID on|off         set a check box of the page
//     press ID                click control ID of the page
//     ok | cancel | help      press the sheet's button
//   echo TEXT               print TEXT
//
// Each command prints what happened; a command that fails prints a line
// starting with "error:" and the script goes on.
#pragma once

#include <istream>
#include <ostream>

#include "vpr/adminhost/admin_host.h"

namespace vpr::adminhost {

// Runs the script against a started host, with the UI driver that is
// installed (one is installed for the run when none is). Returns 0 when
// every command worked, 1 otherwise.
int RunScript(AdminHost& host, std::istream& in, std::ostream& out);

}  // namespace vpr::adminhost
