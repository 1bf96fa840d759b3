// The host's two dialogs: the details sheet of an object and the object
// browser.
#pragma once

#include <string>

#include "vpr/adminhost/admin_host.h"

namespace vpr::adminhost {

// Sends 0x103, asks the page records (0x104), runs the sheet modally and
// ends with 0x106 (after OK) and 0x111.
DetailsOutcome RunDetailsDialog(HWND owner, SnapinClassCallBack callBack, const std::string& objectName);

// The object browse dialog of HostBrowseObjects(Ex); `second` may be null.
LONG RunBrowseDialog(AdminHost& host, HWND owner, void* browser, char* start, char* second, DWORD flags,
                     SnapinBrowseCallBack callBack);

}  // namespace vpr::adminhost
