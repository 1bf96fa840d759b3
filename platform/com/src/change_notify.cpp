// SHChangeNotify: every notification is recorded in the machine's journal,
// then handed on to whoever stands for the shell. Handing on only queues, so
// a flush never waits for a window's thread.
#include "vpr/com/change_notify.h"

#include <cstdio>
#include <mutex>

#include "shlobj.h"
#include "vpr/machine/machine.h"

namespace vpr::com {

void DeliverChangeNotification(const ChangeNotification& notification);  // shell_services.cpp

namespace {

std::mutex g_handlerLock;
ChangeNotificationHandler g_handler;  // GUARDED_BY(g_handlerLock)

struct EventName {
    LONG event;
    const char* name;
};
constexpr EventName kEventNames[] = {
    {SHCNE_RENAMEITEM, "RENAMEITEM"},   {SHCNE_CREATE, "CREATE"},
    {SHCNE_DELETE, "DELETE"},           {SHCNE_MKDIR, "MKDIR"},
    {SHCNE_RMDIR, "RMDIR"},             {SHCNE_MEDIAINSERTED, "MEDIAINSERTED"},
    {SHCNE_MEDIAREMOVED, "MEDIAREMOVED"}, {SHCNE_DRIVEREMOVED, "DRIVEREMOVED"},
    {SHCNE_DRIVEADD, "DRIVEADD"},       {SHCNE_NETSHARE, "NETSHARE"},
    {SHCNE_NETUNSHARE, "NETUNSHARE"},   {SHCNE_ATTRIBUTES, "ATTRIBUTES"},
    {SHCNE_UPDATEDIR, "UPDATEDIR"},     {SHCNE_UPDATEITEM, "UPDATEITEM"},
    {SHCNE_SERVERDISCONNECT, "SERVERDISCONNECT"}, {SHCNE_UPDATEIMAGE, "UPDATEIMAGE"},
    {SHCNE_DRIVEADDGUI, "DRIVEADDGUI"}, {SHCNE_RENAMEFOLDER, "RENAMEFOLDER"},
    {SHCNE_FREESPACE, "FREESPACE"},     {SHCNE_ASSOCCHANGED, "ASSOCCHANGED"},
};

// One item as list and text, as its flags say it was given.
void TakeItem(UINT type, LPCVOID item, IdListBytes* list, std::string* text) {
    if (!item) return;
    if (type == SHCNF_PATHA) {
        *text = static_cast<const char*>(item);
        if (auto fileSystem = FileSystemIdList(*text)) *list = *fileSystem;
    } else if (type == SHCNF_IDLIST) {
        auto idList = static_cast<LPCITEMIDLIST>(item);
        *list = CopyIdList(idList);
        *text = IdListText(idList);
    } else if (type == SHCNF_DWORD) {
        char hex[16];
        std::snprintf(hex, sizeof(hex), "0x%08X", static_cast<unsigned>(*static_cast<const DWORD*>(item)));
        *text = hex;
    } else {
        *text = static_cast<const char*>(item);  // a printer name
    }
}

}  // namespace

std::string ChangeEventName(LONG event) {
    for (const auto& e : kEventNames) {
        if (e.event == event) return e.name;
    }
    char hex[16];
    std::snprintf(hex, sizeof(hex), "0x%08X", static_cast<unsigned>(event));
    return hex;
}

std::string ChangeNotificationText(const ChangeNotification& n) {
    std::string text = ChangeEventName(n.event) + " " + n.text1;
    if (!n.text2.empty()) text += " -> " + n.text2;
    return text;
}

void SetChangeNotificationHandler(ChangeNotificationHandler handler) {
    std::lock_guard lock(g_handlerLock);
    g_handler = std::move(handler);
}

}  // namespace vpr::com

STDAPI_(void) SHChangeNotify(LONG event, UINT flags, LPCVOID item1, LPCVOID item2) {
    using namespace vpr::com;
    ChangeNotification n;
    n.event = event;
    UINT type = flags & SHCNF_TYPE;
    n.paths = type == SHCNF_PATHA;
    TakeItem(type, item1, &n.list1, &n.text1);
    TakeItem(type, item2, &n.list2, &n.text2);
    vpr::machine::Record("notify", ChangeNotificationText(n));
    ChangeNotificationHandler handler;
    {
        std::lock_guard lock(g_handlerLock);
        handler = g_handler;
    }
    if (handler) handler(n);
    DeliverChangeNotification(n);
}
