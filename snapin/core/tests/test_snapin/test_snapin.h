// TESTSNAP.DLL: a snap-in built on the module framework the way the
// administration module is. It serves "User" with two pages: "General"
// (dialog 310: edit 1001 is the user's "Description", button 1005 is the
// page's own OK) and "Phone" (dialog 311: edit 1101 is the "Title"). A page
// may not be left while its edit holds "stay"; the Tools item "&Show User"
// is enabled when one user is selected. The class registers three bitmaps
// under its display text "Person". Every notable call is logged.
#pragma once

#include <string>
#include <vector>

using TestSnapLogFn = std::vector<std::string>* (*)();
