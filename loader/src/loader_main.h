// The loader VprExpLd: installs, registers and starts the shell name-space
// extension, or with "/u" stops it and removes its traces. Its messages are
// collected in one summary that is shown at most once, only on failure and
// never with "/s"; restart questions are asked even with "/s".
#pragma once

#include <initializer_list>
#include <string>

#include "windows.h"

// Switches of the running loader and the platform it runs on.
extern bool SilentMode;
extern DWORD PlatformId;

// The loader's program: the command line (switches anywhere in it, "/u",
// "/n", "/s" in either case) and the Windows directory it runs from, which
// holds what it installs. -1 in safe mode without "/u"; 0 on a Windows it
// does not support; 1 otherwise.
int LoaderWinMain(const std::string& commandLine, const std::string& loaderDirectory);

// The directory the loader runs from (set by LoaderWinMain).
const std::string& LoaderDirectory();
// A directory's parent: the part before its last backslash ("" without one).
std::string ParentDirectory(const std::string& dir);

// A text of the string table: the resource library's when it is loaded,
// else the loader's own.
std::string LoadText(UINT id);

// Appends the text of `id`, its "%s" filled with the texts in order, and
// "\r\n" to the summary.
void AddStatusMessageTexts(UINT id, std::initializer_list<const char*> texts);
template <typename... Texts>
void AddStatusMessage(UINT id, const Texts&... texts) {
    AddStatusMessageTexts(id, {static_cast<const char*>(texts)...});
}
// The summary collected so far.
const std::string& StatusSummary();
// Unless SilentMode: one message box with the summary, captioned 10452.
void ShowStatusMessages();

// Whether the file lies in the loader's directory.
bool FileBesideLoader(const std::string& name);
// The file in the loader's directory, else by the language search from the
// loader's directory, else from its parent.
bool FindResourceFile(const std::string& name, std::string* path);

// Asks the question `id` (Yes/No, captioned 10452, even in SilentMode); Yes
// restarts Windows.
void AskRestart(UINT id);

// Asks the shell to load the extension: while it answers E_FAIL (no shell
// runs yet) every 500 ms, at most 3600 times more; then with `retryForever`
// every 1000 ms for as long as it answers E_FAIL.
void StartExtension(bool retryForever);
