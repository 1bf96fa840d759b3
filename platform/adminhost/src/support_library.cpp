// The QRADM32 calls: each answers for the host that runs in the process.
#include <cstring>

#include "admin_host_dialogs.h"
#include "vpr/adminhost/qradm32.h"

using vpr::adminhost::AdminHost;

namespace {

std::string Text(LPCSTR text) { return text ? text : ""; }

void CopyText(char* to, size_t size, const std::string& text) {
    std::memset(to, 0, size);
    std::strncpy(to, text.c_str(), size - 1);
}

}  // namespace

extern "C" {

LONG WINAPI HostRegisterMenu(LPCSTR menuName, DWORD, DWORD, DWORD, UINT* menuId, LPCSTR text, LPCSTR hint,
                             SnapinMenuAction action, SnapinMenuValid valid, DWORD) {
    AdminHost* host = AdminHost::Current();
    if (!host) return -1;
    vpr::adminhost::ToolsItem item;
    item.menuName = Text(menuName);
    item.text = Text(text);
    item.hint = Text(hint);
    item.action = action;
    item.valid = valid;
    return host->RegisterMenu(item, menuId);
}

LONG WINAPI HostRegisterObjectType(LPCSTR nameSpace, LPCSTR className, LPCSTR moduleName, HINSTANCE instance,
                                   SnapinClassCallBack callBack, DWORD) {
    AdminHost* host = AdminHost::Current();
    if (!host) return -1;
    vpr::adminhost::RegisteredClass cls;
    cls.nameSpace = Text(nameSpace);
    cls.className = Text(className);
    cls.moduleName = Text(moduleName);
    cls.instance = instance;
    cls.callBack = callBack;
    return host->RegisterObjectType(cls);
}

LONG WINAPI HostRegisterObjectTypeBitmaps(LPCSTR className, LPCSTR displayText, HBITMAP normal, HBITMAP alias,
                                          HBITMAP readOnly) {
    AdminHost* host = AdminHost::Current();
    return host ? host->RegisterBitmaps(Text(className), Text(displayText), normal, alias, readOnly) : -1;
}

HWND WINAPI HostGetMainWindow(void) {
    AdminHost* host = AdminHost::Current();
    return host ? host->MainWindow() : nullptr;
}

LONG WINAPI HostGetSelectionCount(DWORD* count) {
    AdminHost* host = AdminHost::Current();
    if (!host || !count) return -1;
    *count = static_cast<DWORD>(host->Selection().size());
    return 0;
}

LONG WINAPI HostGetSelectedObject(DWORD index, SnapinObjectRecord* record) {
    AdminHost* host = AdminHost::Current();
    if (!record) return -1;
    std::memset(record->bytes, 0, sizeof record->bytes);
    if (!host || index >= host->Selection().size()) return -1;
    const auto& object = host->Selection()[index];
    CopyText(record->bytes + SNAPIN_RECORD_TREE, SNAPIN_CLASS_NAME_SIZE, host->Tree());
    CopyText(record->bytes + SNAPIN_RECORD_CLASS, SNAPIN_CLASS_NAME_SIZE, object.className);
    CopyText(record->bytes + SNAPIN_RECORD_NAME, SNAPIN_NAME_SIZE, object.name);
    return 0;
}

LONG WINAPI HostGetCurrentContext(char* tree, char* context) {
    AdminHost* host = AdminHost::Current();
    if (!host) return -1;
    if (tree) CopyText(tree, SNAPIN_TREE_NAME_SIZE, host->Tree());
    if (context) CopyText(context, SNAPIN_NAME_SIZE, host->Context());
    return 0;
}

LONG WINAPI HostBrowseObjects(HWND owner, void* browser, char* start, LPCSTR, LPCSTR, LPCSTR, DWORD flags,
                              SnapinBrowseCallBack callBack) {
    AdminHost* host = AdminHost::Current();
    return host ? vpr::adminhost::RunBrowseDialog(*host, owner, browser, start, nullptr, flags, callBack) : -1;
}

LONG WINAPI HostBrowseObjectsEx(HWND owner, void* browser, char* start, char* second, LPCSTR, LPCSTR, LPCSTR,
                                DWORD flags, SnapinBrowseCallBack callBack) {
    AdminHost* host = AdminHost::Current();
    return host ? vpr::adminhost::RunBrowseDialog(*host, owner, browser, start, second, flags, callBack) : -1;
}

LONG WINAPI HostGetClassBitmap(LPCSTR className, HBITMAP* bitmap) {
    AdminHost* host = AdminHost::Current();
    if (!host || !bitmap) return -1;
    *bitmap = host->ClassBitmap(Text(className));
    return *bitmap ? 0 : -1;
}

}  // extern "C"
