// The console form of the file-open dialog.
#pragma once

#include <cstdio>

#include "commdlg.h"

namespace vpr::user {

// Asks for a file name: prompts on `out`, reads one line from `in`. An empty
// line or the end of input is a cancel (false). A name that breaks the
// dialog's must-exist flags, or does not fit lpstrFile, is refused with a
// note and asked for again. On success fills lpstrFile, nFileOffset,
// nFileExtension and lpstrFileTitle.
bool AskOpenFileNameOnConsole(OPENFILENAMEA* ofn, FILE* in, FILE* out);

}  // namespace vpr::user
