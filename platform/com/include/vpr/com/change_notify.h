// Shell change notifications as data: what SHChangeNotify records in the
// machine's journal (kind "notify") and hands to the running shell.
#pragma once

#include <functional>
#include <string>

#include "vpr/com/id_list.h"

namespace vpr::com {

struct ChangeNotification {
    LONG event = 0;          // SHCNE_*
    bool paths = false;      // the items were given as paths (SHCNF_PATH)
    IdListBytes list1;       // the items as lists (paths turned into lists)
    IdListBytes list2;       // empty when there is no second item
    std::string text1;       // the items as text (IdListText, or the path)
    std::string text2;
};

// "UPDATEDIR C:\WINDOWS\Desktop", "RENAMEFOLDER A -> B": the event's name
// (hex for an unknown one), the first item, " -> " and the second when given.
std::string ChangeNotificationText(const ChangeNotification& notification);
// The event's name without "SHCNE_" ("UPDATEDIR"), hex for an unknown one.
std::string ChangeEventName(LONG event);

// Where SHChangeNotify hands a notification after recording it: the shell
// of this process when it runs here, else the machine's running shell. The
// handler must only queue; it runs on the caller's thread. Null: none.
using ChangeNotificationHandler = std::function<void(const ChangeNotification&)>;
void SetChangeNotificationHandler(ChangeNotificationHandler handler);

}  // namespace vpr::com
