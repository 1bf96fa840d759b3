#include "host_snap.h"

#include <cstring>

#include "vpr/adminhost/qradm32.h"
#include "vpr/directory/client.h"
#include "windows.h"

namespace {

std::vector<std::string> g_log;
HostSnapConfig g_config;
std::string g_object;           // from 0x103 to 0x111
HWND g_pages[2] = {};           // page windows while they exist
UINT g_menuId = 0;
const char* const kTitles[2] = {"General", "Phone"};

void Log(const std::string& line) { g_log.push_back(line); }

std::string Hex(unsigned value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%x", value);
    return text;
}

int SetText(DIR_CONTEXT ctx, const std::string& object, const char* attribute, const std::string& text) {
    DirBuffer* buffer = nullptr;
    int status = DirAllocBuffer(0x4000, &buffer);
    if (status) return status;
    if (!(status = DirInitRequest(ctx, DIR_OP_MODIFY, buffer)) &&
        !(status = DirPutChange(ctx, buffer, DIR_CHANGE_REMOVE_ALL_VALUES, attribute)) &&
        !(status = DirPutChange(ctx, buffer, DIR_CHANGE_ADD_VALUE, attribute)) &&
        !(status = DirPutValue(ctx, buffer, DIR_SYNTAX_CI_STRING, text.c_str())))
        status = DirModifyObject(ctx, object.c_str(), nullptr, 0, buffer);
    DirFreeBuffer(buffer);
    return status;
}

std::string ItemText(HWND page, int id) {
    char text[256] = {};
    GetDlgItemTextA(page, id, text, sizeof text);
    return text;
}

// The object browser's view of the module: its filters and what was chosen.
LONG CALLBACK BrowseCallBack(void*, UINT code, ULONG_PTR a, ULONG_PTR b) {
    static const char* const kObjects[] = {"User", "Group"};
    static const char* const kFiles[] = {"File", "Directory"};
    const char* const* kFilters = g_config.browseFiles ? kFiles : kObjects;
    switch (code) {
    case BROWSE_FILTER_COUNT: *reinterpret_cast<DWORD*>(a) = 2; break;
    case BROWSE_FILTER: std::strcpy(reinterpret_cast<char*>(b), kFilters[a]); break;
    case BROWSE_OBJECT_CHOSEN: {
        auto* record = reinterpret_cast<SnapinObjectRecord*>(b);
        Log(std::string("chosen ") + (record->bytes + SNAPIN_RECORD_NAME) + " (" +
            (record->bytes + SNAPIN_RECORD_CLASS) + ")");
        break;
    }
    }
    return 0;
}

INT_PTR CALLBACK PageProc(HWND page, UINT msg, WPARAM wParam, LPARAM lParam) {
    int which = page == g_pages[1] ? 1 : 0;
    switch (msg) {
    case WM_INITDIALOG:
        which = static_cast<int>(lParam);
        g_pages[which] = page;
        Log("init " + std::to_string(which));
        return TRUE;
    case WM_DESTROY:
        Log("destroy " + std::to_string(which));
        g_pages[which] = nullptr;
        return FALSE;
    case PGM_CANCLOSE: Log("canclose " + std::to_string(which)); return g_config.canClose[which];
    case PGM_HELP: Log("help " + std::to_string(which)); return TRUE;
    case WM_COMMAND:
        if (HIWORD(wParam) == EN_CHANGE && GetFocus() == reinterpret_cast<HWND>(lParam))
            SendMessageA(page, PGM_SETMODIFIED, 0, 1 << 16);
        if (LOWORD(wParam) == 1003 && HIWORD(wParam) == BN_CLICKED) {
            char start[SNAPIN_BROWSE_BUFFER_SIZE] = "[Root]";
            LONG result = HostBrowseObjects(page, nullptr, start, nullptr, nullptr, nullptr, BROWSE_MULTIPLE,
                                            BrowseCallBack);
            Log("browsed " + std::to_string(result) + " ended in " + start);
        }
        if (LOWORD(wParam) == 1005 && HIWORD(wParam) == BN_CLICKED)
            SendMessageA(page, WM_COMMAND, MAKEWPARAM(IDOK, 0), 0);
        return FALSE;
    }
    return FALSE;
}

LONG CALLBACK UserCallBack(char* data, WORD code, ULONG_PTR p3, ULONG_PTR p4) {
    Log(Hex(code) + (data && data[0] ? std::string(" ") + data : std::string()));
    switch (code) {
    case SNAPIN_OPEN_DETAILS: g_object = data; return 2;
    case SNAPIN_GET_PAGE: {
        if (p3 >= 2) return -1;
        auto* record = reinterpret_cast<SnapinPageRecord*>(p4);
        record->dialogProc = PageProc;
        record->instance = vpr::win::ThisModule();
        record->dialogTemplate = MAKEINTRESOURCEA(501 + p3);
        record->title = kTitles[p3];
        record->initParam = static_cast<LPARAM>(p3);
        return 0;
    }
    case SNAPIN_SAVE_PAGES: {
        DIR_CONTEXT ctx = DirCreateContext();
        int status = 0;
        if (g_pages[0]) status = SetText(ctx, g_object, "Description", ItemText(g_pages[0], 1001));
        if (!status && g_pages[1]) status = SetText(ctx, g_object, "Title", ItemText(g_pages[1], 1101));
        DirFreeContext(ctx);
        return status ? -1 : 0;
    }
    case SNAPIN_CLOSE_DETAILS: g_object.clear(); return 0;
    case SNAPIN_CLASS_FLAGS: return 1;
    case SNAPIN_CREATE_OBJECT: {
        if (g_config.createCancelled) return 0;
        std::string name = std::string("created.") + data;
        DIR_CONTEXT ctx = DirCreateContext();
        DirBuffer* buffer = nullptr;
        DirAllocBuffer(0x4000, &buffer);
        DirInitRequest(ctx, DIR_OP_ADD_OBJECT, buffer);
        DirPutAttributeName(ctx, buffer, "Object Class");
        DirPutValue(ctx, buffer, DIR_SYNTAX_CLASS_NAME, "User");
        int status = DirAddObject(ctx, name.c_str(), nullptr, 0, buffer);
        DirFreeBuffer(buffer);
        DirFreeContext(ctx);
        if (status) return 0;
        std::strcpy(reinterpret_cast<char*>(p3), name.c_str());
        return g_config.createResult;
    }
    }
    return 0;
}

void CALLBACK MenuValid(unsigned* state) {
    DWORD count = 0;
    HostGetSelectionCount(&count);
    *state = count == 1 ? SNAPIN_MENU_ENABLED : SNAPIN_MENU_GRAYED;
}

void CALLBACK MenuAction() {
    SnapinObjectRecord record;
    HostGetSelectedObject(0, &record);
    Log(std::string("action ") + (record.bytes + SNAPIN_RECORD_CLASS) + " " + (record.bytes + SNAPIN_RECORD_NAME));
}

}  // namespace

extern "C" {

LONG InitSnapin() {
    Log("InitSnapin");
    if (g_config.initResult) return g_config.initResult;
    HostRegisterMenu("ListMenu", 0, 0, 0, &g_menuId, "&Show Selection", "Shows the selected object", MenuAction,
                     MenuValid, SNAPIN_INTERFACE_VERSION);
    HostRegisterObjectType("DS", "User", "Host test snap-in", vpr::win::ThisModule(), UserCallBack,
                           SNAPIN_INTERFACE_VERSION);
    return 0;
}

LONG ShutDown() {
    Log("ShutDown");
    return 0;
}

std::vector<std::string>* HostSnapLog() { return &g_log; }
HostSnapConfig* HostSnapConfigure() { return &g_config; }

}  // extern "C"
