// What the engine shows the person: texts by id from the resource module,
// the status label, progress reports, message boxes, the copy error dialog,
// and the stop after a disk write or memory failure. Pending window messages
// are processed between items so that the program's windows stay alive.
#pragma once

#include <functional>
#include <string>

#include "snapshot/engine/imprx_exports.h"
#include "windows.h"

namespace snapshot {

// Ids of the engine's texts in the string table (snapshot/imprx_strings.vrc).
enum ImprxString : UINT {
    kStrCaption = 6,                 // "VPR Imprix"
    kStrLookingAtDrive = 8,
    kStrLookingAtIniFiles = 9,
    kStrLookingAtRegistry = 10,
    kStrTemplateDone = 11,           // absent: clears the status line
    kStrComparingFiles = 12,
    kStrComparingIniFiles = 13,
    kStrComparingTextFiles = 14,
    kStrComparingRegistry = 15,
    kStrCopyingFile = 16,
    kStrFileDifferences = 17,
    kStrComparing = 18,
    kStrIniDifferences = 19,
    kStrRegistryDifferences = 20,
    kStrInvalidFileName = 30,
    kStrDiskWriteFailed = 35,
    kStrOutOfMemory = 39,
    kStrLookingAtIconGroups = 43,
    kStrComparingIconGroups = 44,
    kStrTemplateCreateFailed = 46,
    kStrCopySource = 47,
    kStrCopyDestination = 48,
    kStrCopyError = 49,
    kStrCopyRetryIgnore = 50,
    kStrInvalidName = 53,
    kStrInvalidNameCaption = 54,
    kStrTemplateNotMade = 55,        // the wizard's, when the engine showed nothing
    kStrValueLeftOut = 56,
};

// The text with that id from the settings' resource module, at most 255
// characters; a missing id gives "".
std::string LoadResString(UINT id);

// Dispatches the window messages waiting for this thread.
void ProcessMessages();

// Puts a text into the status label.
void ShowStatus(const std::string& text);
// Hands a text to the progress callback when there is one.
void Report(IMPRXPROGRESS progress, const std::string& text);

// A message box with the texts of two ids; returns the button pressed.
int ShowMessage(UINT textId, UINT captionId, UINT type);

// Stops the program after a disk write failure (string 35) or memory that
// cannot be had (string 39): the message box, then the end of the process
// with exit code 1. Every such stop goes through here. A test replaces the
// box and the end with its own function, which must not return (it throws);
// null puts the default back.
using ProgramStop = std::function<void(UINT stringId)>;
void SetProgramStop(ProgramStop stop);
[[noreturn]] void StopProgram(UINT stringId);

// Copies with overwrite. On failure the copy error dialog names both files
// and offers Retry and Ignore; Retry copies again, Ignore goes on without the
// copy. True when the file was copied.
bool CopyFileWithRetry(const std::string& source, const std::string& destination);

}  // namespace snapshot
