// Stopping the extension and removing what points at it. The loader and the
// extension meet only through two named events that the extension creates:
// the loader sets the first to ask it to shut down and waits for the second,
// which the extension sets when the shell has unloaded it.
#pragma once

#include <string>

#include "windows.h"

extern const char kShutdownEventName[];  // "Shutdown VPR Explorer, please"
extern const char kLeftEventName[];      // "VPR Explorer has left the building"

// Handshake results.
enum : int { kNotRunning = 0, kNoConfirmation = 1, kConfirmed = 2 };

// Whether the extension runs: its shutdown event exists.
bool IsExtensionRunning();

// Asks a running extension to shut down and waits for it, in at most 100
// steps of 150 ms, with the splash window showing the steps: kNotRunning,
// kNoConfirmation or kConfirmed.
int ShutdownExtension();

// "/u": the handshake, then the removal steps (for every result: after a
// confirmed shutdown the extension has removed its own junction and
// shortcuts, but the name-space registration is the loader's to remove);
// without a confirmation the restart question.
void Uninstall();

// Deletes the extension's key under the desktop's NameSpace key.
void UnregisterNameSpace();
// Deletes a key with every subkey and value; false as soon as one delete
// fails (the rest stays).
bool DeleteRegistryTree(HKEY parent, const std::string& name);
// Deletes the desktop's shortcuts whose target list passes through the
// extension's root.
void DeleteDesktopLinks();
// Whether the shortcut file's target list holds an item of the extension's
// class (an item of at least 20 bytes whose 16 bytes at offset 4 are it).
bool LinkPointsIntoNameSpace(const std::string& path);
// Removes the empty junction folders of the extension in the Start Menu.
void RemoveStartMenuFolders();
// Tells the shell that the desktop changed.
void NotifyShellDesktop();
// A value of HKCU\...\Explorer\Shell Folders ("Desktop", "Start Menu").
bool GetShellFolderPath(const std::string& name, std::string* path);
