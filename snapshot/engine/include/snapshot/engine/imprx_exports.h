// The snapshot engine's exports: plain C entry points under the names the
// wizard and other programs call. Each takes the letter of the boot drive,
// which holds the work directory {drive}:\imprix.dir. Before the first call
// the program starts the engine (snapshot/engine/engine_settings.h).
#pragma once

#include "windows.h"

extern "C" {

// A progress report: one text, nothing returned. May be null.
typedef void (*IMPRXPROGRESS)(LPCSTR text);

// Create the work directory (hidden) when it is missing, then its "before"
// or "after" picture directory. Failures are passed over; always 0.
LONG IMPRXCreateBeforeDir(CHAR drive);
LONG IMPRXCreateAfterDir(CHAR drive);
// Delete one picture directory with the files in it: 0 when it was removed,
// else -1.
LONG IMPRXDeleteBeforeDir(CHAR drive);
LONG IMPRXDeleteAfterDir(CHAR drive);
// Delete "before", "after" and the work directory with everything in it:
// 0 when all three went, -1 otherwise (a failed step does not stop the next).
LONG IMPRXDeleteHiddenDir(CHAR drive);

// Records the workstation into the "before" picture (phase 0) or the
// "after" picture (any other phase), with the scope lists of the defaults
// file `defaultsPath`. Always 0; a picture file that cannot be written stops
// the program (string 35), as does memory that cannot be had (string 39).
LONG IMPRXTakePicture(CHAR drive, LPCSTR defaultsPath, LONG phase, IMPRXPROGRESS progress);

// Compares the two pictures and writes the differences as the template
// `templatePath`, copying new and changed files into `newFilesDir` as
// {n}.fil with filedef.txt. 0 on success, then the work directory is gone;
// -1 when a picture is missing (nothing shown), the template cannot be made
// (string 46) or a write fails; the work directory then stays and an older
// template of that name is left as it was.
LONG IMPRXMakeTemplate(CHAR drive, LPCSTR templatePath, LPCSTR newFilesDir, IMPRXPROGRESS progress);

}  // extern "C"
