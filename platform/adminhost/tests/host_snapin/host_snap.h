// HOSTSNAP.DLL: a small snap-in written straight against QRADM32, with which
// the host's tests watch what the host does. It serves the class "User" with
// two pages and adds one Tools item; every call it gets is logged.
//
// Page "General" (dialog 501): edit 1001 (the user's "Description"), check
// box 1002, button 1003 browses for users and groups, button 1005 hands
// WM_COMMAND IDOK to the page's default procedure. Page "Phone" (dialog
// 502): edit 1101 (the user's "Title"). OK saves both texts of the pages
// that were made. The Tools item "&Show Selection" is enabled when one
// object is selected. The create command makes the user "created" in the
// context it is given.
#pragma once

#include <string>
#include <vector>

struct HostSnapConfig {
    long initResult = 0;        // what InitSnapin answers (it registers only when 0)
    int canClose[2] = {1, 1};   // the pages' answers to PGM_CANCLOSE
    long createResult = 0;      // the create command's answer after it made an object
    bool createCancelled = false;
    bool browseFiles = false;   // the page's browse asks for files and folders, not users and groups
};

// Exported: the log (one line per call) and the settings.
using HostSnapLogFn = std::vector<std::string>* (*)();
using HostSnapConfigFn = HostSnapConfig* (*)();
