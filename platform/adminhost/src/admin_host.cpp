#include "vpr/adminhost/admin_host.h"

#include <algorithm>
#include <cstring>

#include "admin_host_dialogs.h"
#include "browse_button.h"
#include "vpr/directory/client.h"
#include "vpr/directory/names.h"
#include "vpr/directory/store.h"
#include "vpr/directory/trees.h"

namespace vpr::adminhost {
namespace {

AdminHost* g_current = nullptr;

constexpr char kConfigFile[] = "kmadmin.ini";
constexpr char kModulesSection[] = "Snapin Modules";
constexpr char kMainClass[] = "KMAdminMain";
constexpr char kSnapinNameSpace[] = "DS";

// The host's own directory classes, which it shows with bitmaps of its own.
constexpr const char* kOwnClasses[] = {"User", "Group", "Organization", "Organizational Unit"};

// A class callback gets a writable copy of the text it is handed.
std::vector<char> TextBuffer(const char* text) {
    std::vector<char> buffer(SNAPIN_NAME_SIZE, 0);
    if (text) std::strncpy(buffer.data(), text, buffer.size() - 1);
    return buffer;
}

// The keys of an ini section, in file order.
std::vector<std::string> SectionKeys(const char* section, const char* file) {
    std::vector<char> keys(32768, 0);
    DWORD length = GetPrivateProfileStringA(section, nullptr, "", keys.data(), static_cast<DWORD>(keys.size()), file);
    std::vector<std::string> result;
    for (DWORD at = 0; at < length && keys[at];) {
        result.emplace_back(&keys[at]);
        at += static_cast<DWORD>(result.back().size()) + 1;
    }
    return result;
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    AdminHost* host = AdminHost::Current();
    if (host && host->MainWindow() == window) {
        if (msg == WM_INITMENUPOPUP) {
            // Opening the Tools menu asks every item for its state.
            for (const ToolsItem& item : host->Tools()) {
                int state = host->ToolsItemState(item.text);
                EnableMenuItem(reinterpret_cast<HMENU>(wParam), item.id,
                               MF_BYCOMMAND | (state == SNAPIN_MENU_ENABLED ? MF_ENABLED : MF_GRAYED));
            }
            return 0;
        }
        if (msg == WM_COMMAND && HIWORD(wParam) == 0) {
            for (const ToolsItem& item : host->Tools())
                if (item.id == LOWORD(wParam) && item.action) {
                    item.action();
                    return 0;
                }
        }
    }
    return DefWindowProcA(window, msg, wParam, lParam);
}

int ToDirectoryName(const std::string& text, directory::NameParts* parts) {
    return directory::ParseName(text, {}, parts);
}

}  // namespace

AdminHost::AdminHost() = default;

AdminHost::~AdminHost() { Stop(); }

AdminHost* AdminHost::Current() { return g_current; }

namespace {

// The browse buttons that modules place in their dialogs ("BrowsebControl"):
// push buttons that tell their dialog of a click as any button does; the
// module handles the click.
void RegisterBrowseButtonClass() {
    WNDCLASSA existing{};
    if (GetClassInfoA(nullptr, kBrowseButtonClass, &existing)) return;
    WNDCLASSA button{};
    if (!GetClassInfoA(nullptr, "Button", &button)) return;
    button.lpszClassName = kBrowseButtonClass;
    button.style |= CS_GLOBALCLASS;
    RegisterClassA(&button);
}

}  // namespace

int AdminHost::Start() {
    if (g_current || running_) return -1;
    RegisterBrowseButtonClass();
    WNDCLASSA wc{};
    wc.lpfnWndProc = MainWindowProc;
    wc.hInstance = vpr::win::ThisModule();
    wc.lpszClassName = kMainClass;
    RegisterClassA(&wc);  // a second host of the process finds it registered
    RegisterBrowseButtonClass(vpr::win::ThisModule());
    toolsMenu_ = CreatePopupMenu();
    HMENU bar = CreateMenu();
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(toolsMenu_), "&Tools");
    mainWindow_ = CreateWindowExA(0, kMainClass, "KMAdmin", WS_OVERLAPPEDWINDOW, 0, 0, 640, 480, nullptr, bar,
                                  vpr::win::ThisModule(), nullptr);
    if (!mainWindow_) {
        DestroyMenu(bar);
        toolsMenu_ = nullptr;
        return -1;
    }
    g_current = this;
    running_ = true;
    auto trees = directory::AttachedTrees();
    if (!trees.empty()) {
        tree_ = trees.front().name;
        storeFile_ = trees.front().storeFile;
    }
    context_ = DIR_ROOT_NAME;
    for (size_t i = 0; i < std::size(kOwnClasses); ++i) ownBitmaps_.push_back(CreateBitmap(16, 16, 1, 32, nullptr));
    LoadModules();
    return static_cast<int>(std::count_if(modules_.begin(), modules_.end(),
                                          [](const SnapinModule& m) { return m.initResult == 0; }));
}

void AdminHost::LoadModules() {
    for (const std::string& key : SectionKeys(kModulesSection, kConfigFile)) {
        char name[MAX_PATH] = {};
        GetPrivateProfileStringA(kModulesSection, key.c_str(), "", name, sizeof name, kConfigFile);
        if (!name[0]) continue;
        SnapinModule module;
        module.windowsName = name;
        module.handle = LoadLibraryA(name);
        if (module.handle) {
            auto init = reinterpret_cast<SnapinInitSnapin>(GetProcAddress(module.handle, "InitSnapin"));
            // The module is kept (and shut down at the end) whatever InitSnapin answers.
            modules_.push_back(module);
            if (init) modules_.back().initResult = init();
        } else {
            modules_.push_back(module);
        }
    }
}

void AdminHost::Stop() {
    if (!running_) return;
    for (RegisteredClass& cls : classes_) {
        auto data = TextBuffer("");
        cls.callBack(data.data(), SNAPIN_DELETE_PAGES, 0, 0);
    }
    for (auto it = modules_.rbegin(); it != modules_.rend(); ++it) {
        if (!it->handle) continue;
        if (auto shutDown = reinterpret_cast<SnapinShutDown>(GetProcAddress(it->handle, "ShutDown"))) shutDown();
    }
    classes_.clear();
    tools_.clear();
    for (auto it = modules_.rbegin(); it != modules_.rend(); ++it)
        if (it->handle) FreeLibrary(it->handle);
    modules_.clear();
    if (IsWindow(mainWindow_)) DestroyWindow(mainWindow_);  // its menu bar and Tools menu go with it
    mainWindow_ = nullptr;
    toolsMenu_ = nullptr;
    for (HBITMAP bitmap : ownBitmaps_) DeleteObject(bitmap);
    ownBitmaps_.clear();
    selection_.clear();
    running_ = false;
    g_current = nullptr;
}

const RegisteredClass* AdminHost::FindClass(const std::string& className) const {
    for (const RegisteredClass& cls : classes_)
        if (cls.className == className) return &cls;
    return nullptr;
}

RegisteredClass* AdminHost::MutableClass(const std::string& className) {
    return const_cast<RegisteredClass*>(FindClass(className));
}

LONG AdminHost::RegisterMenu(const ToolsItem& item, UINT* id) {
    if (item.text.empty() || !item.action || !item.valid) return -1;
    ToolsItem added = item;
    added.id = nextMenuId_++;
    if (id) *id = added.id;
    tools_.push_back(added);
    AppendMenuA(toolsMenu_, MF_STRING, added.id, added.text.c_str());
    return 0;
}

LONG AdminHost::RegisterObjectType(const RegisteredClass& cls) {
    if (cls.className.empty() || !cls.callBack || cls.nameSpace != kSnapinNameSpace) return -1;
    if (FindClass(cls.className)) return -1;  // one module serves a class
    classes_.push_back(cls);
    // The class makes its pages now and keeps them until the host stops.
    auto data = TextBuffer("");
    cls.callBack(data.data(), SNAPIN_CREATE_PAGES, 0, 0);
    LONG flags = cls.callBack(data.data(), SNAPIN_CLASS_FLAGS, 0, 0);
    if (RegisteredClass* kept = MutableClass(cls.className)) kept->flags = flags;
    return 0;
}

LONG AdminHost::RegisterBitmaps(const std::string& className, const std::string& displayText, HBITMAP normal,
                                HBITMAP alias, HBITMAP readOnly) {
    RegisteredClass* cls = MutableClass(className);
    if (!cls || !normal || !alias || !readOnly) return -1;
    cls->displayText = displayText;
    cls->normal = normal;
    cls->alias = alias;
    cls->readOnly = readOnly;
    return 0;
}

HBITMAP AdminHost::ClassBitmap(const std::string& className) const {
    if (const RegisteredClass* cls = FindClass(className); cls && cls->normal) return cls->normal;
    for (size_t i = 0; i < std::size(kOwnClasses) && i < ownBitmaps_.size(); ++i)
        if (className == kOwnClasses[i]) return ownBitmaps_[i];
    return nullptr;
}

LONG AdminHost::SendClassCode(const std::string& className, WORD code, const char* data, ULONG_PTR p3, ULONG_PTR p4) {
    const RegisteredClass* cls = FindClass(className);
    if (!cls) return -1;
    SnapinClassCallBack callBack = cls->callBack;
    auto buffer = TextBuffer(data);
    return callBack(buffer.data(), code, p3, p4);
}

int AdminHost::SetContext(const std::string& context) {
    DirectoryObject object;
    if (context != DIR_ROOT_NAME) {
        if (int status = FindObject(context, &object)) return status;
        if (!object.container) return DIR_ERR_BAD_PARAMETER;
    }
    context_ = context == DIR_ROOT_NAME ? context : object.name;
    return 0;
}

int AdminHost::ListObjects(std::vector<DirectoryObject>* objects) const { return ListObjects(context_, objects); }

int AdminHost::ListObjects(const std::string& context, std::vector<DirectoryObject>* objects) const {
    objects->clear();
    std::shared_ptr<directory::Store> store;
    if (storeFile_.empty()) return DIR_ERR_NO_SUCH_TREE;
    if (int status = directory::Store::Open(storeFile_, &store)) return status;
    directory::NameParts parts;
    if (int status = ToDirectoryName(context, &parts)) return status;
    std::vector<directory::ObjectRecord> records;
    if (int status = store->ListChildren(parts, &records)) return status;
    for (const auto& record : records)
        objects->push_back({directory::FormatName(record.name), record.className, record.container});
    return 0;
}

int AdminHost::FindObject(const std::string& name, DirectoryObject* object) const {
    std::shared_ptr<directory::Store> store;
    if (storeFile_.empty()) return DIR_ERR_NO_SUCH_TREE;
    if (int status = directory::Store::Open(storeFile_, &store)) return status;
    directory::NameParts parts;
    if (int status = ToDirectoryName(name, &parts)) return status;
    if (parts.empty()) return DIR_ERR_NO_SUCH_OBJECT;  // the root is no object to show
    directory::ObjectRecord record;
    if (int status = store->FindObject(parts, &record)) return status;
    *object = {directory::FormatName(record.name), record.className, record.container};
    return 0;
}

int AdminHost::Select(const std::vector<std::string>& names) {
    std::vector<DirectoryObject> chosen;
    for (const std::string& name : names) {
        DirectoryObject object;
        if (int status = FindObject(name, &object)) return status;
        chosen.push_back(object);
    }
    selection_ = std::move(chosen);
    return 0;
}

int AdminHost::ToolsItemState(const std::string& text) const {
    for (const ToolsItem& item : tools_) {
        if (item.text != text) continue;
        unsigned state = SNAPIN_MENU_GRAYED;
        item.valid(&state);
        return static_cast<int>(state);
    }
    return -1;
}

int AdminHost::RunToolsItem(const std::string& text) {
    auto item = std::find_if(tools_.begin(), tools_.end(), [&](const ToolsItem& i) { return i.text == text; });
    if (item == tools_.end()) return -1;
    // As a person does: open the Tools menu (the items are asked their
    // state), then choose the item when it is enabled.
    SendMessageA(mainWindow_, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(toolsMenu_), 0);
    if (GetMenuState(toolsMenu_, item->id, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED)) return 1;
    SendMessageA(mainWindow_, WM_COMMAND, MAKEWPARAM(item->id, 0), 0);
    return 0;
}

CreateOutcome AdminHost::CreateObject(const std::string& className, const std::string& context) {
    CreateOutcome outcome;
    if (!FindClass(className)) {
        outcome.status = -1;
        return outcome;
    }
    std::string where = context.empty() ? context_ : context;
    for (;;) {
        char name[SNAPIN_NAME_SIZE] = {};
        outcome.result = SendClassCode(className, SNAPIN_CREATE_OBJECT, where.c_str(),
                                       reinterpret_cast<ULONG_PTR>(name), 0);
        name[SNAPIN_NAME_SIZE - 1] = 0;
        if (!name[0]) break;  // cancelled: nothing was made
        outcome.created.push_back(name);
        if (outcome.result == SNAPIN_CREATED_DETAILS) OpenDetails(name);
        if (outcome.result != SNAPIN_CREATED_ANOTHER) break;
    }
    return outcome;
}

std::string AdminHost::DetailsCaption(const std::string& objectName) { return objectName; }

DetailsOutcome AdminHost::OpenDetails(const std::string& objectName) {
    DetailsOutcome outcome;
    DirectoryObject object;
    const RegisteredClass* cls = nullptr;
    if (detailsOpen_ || FindObject(objectName, &object) || !(cls = FindClass(object.className))) {
        outcome.status = -1;
        return outcome;
    }
    detailsOpen_ = true;
    outcome = RunDetailsDialog(mainWindow_, cls->callBack, object.name);
    detailsOpen_ = false;
    return outcome;
}

}  // namespace vpr::adminhost
