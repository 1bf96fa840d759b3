// The administration host KMAdmin as a library: the program `kmadmin` and the
// tests drive the same object.
//
// The host loads the snap-in modules that the machine's configuration lists
// (kmadmin.ini in the Windows folder, section [Snapin Modules]: one line per
// module, `label=Windows module name`, loaded in file order), calls each
// module's InitSnapin once and its ShutDown once at the end, also after a
// failed start. Between them it keeps what the modules registered and drives
// it: the class codes (vpr/adminhost/qradm32.h), the Tools list, the details
// dialog of an object and the object browser. It shows the objects of one
// context of the machine's first attached directory tree.
//
// One host runs in a process at a time; the QRADM32 calls answer for it. All
// of it runs on the thread that made it, as a window system's user interface
// thread does.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "vpr/adminhost/qradm32.h"

namespace vpr::adminhost {

// The host's own dialogs, as the UI driver meets them. The details dialog is
// a property sheet: tabs (IDC_PROPSHEET_TABS, so ui::ClickTab works), then
// OK, Cancel and Help; the
// browse dialog shows the context it is in (IDC_BROWSE_CONTEXT), the objects
// there (IDC_BROWSE_LIST: containers, then the objects of the wanted classes;
// a double-click opens a container) and an Up button (IDC_BROWSE_UP).
constexpr int kDetailsDialogId = 1000;
// The window class of the browse buttons in modules' dialogs, which the
// host registers when it starts.
constexpr char kBrowseButtonClass[] = "BrowsebControl";
constexpr int kBrowseDialogId = 1001;
constexpr int IDC_BROWSE_CONTEXT = 101;
constexpr int IDC_BROWSE_LIST = 102;
constexpr int IDC_BROWSE_UP = 103;

struct SnapinModule {
    std::string windowsName;
    HMODULE handle = nullptr;
    LONG initResult = -1;  // what InitSnapin answered (-1 also when it could not be called)
};

struct RegisteredClass {
    std::string nameSpace;
    std::string className;
    std::string moduleName;
    HINSTANCE instance = nullptr;
    SnapinClassCallBack callBack = nullptr;
    std::string displayText;  // set with the bitmaps
    HBITMAP normal = nullptr, alias = nullptr, readOnly = nullptr;
    LONG flags = 0;  // answered to 0x110 at registration
};

struct ToolsItem {
    std::string menuName;
    UINT id = 0;
    std::string text;
    std::string hint;
    SnapinMenuAction action = nullptr;
    SnapinMenuValid valid = nullptr;
};

struct DirectoryObject {
    std::string name;  // full name, "jdoe.sales.acme"
    std::string className;
    bool container = false;
};

// What became of a details dialog.
struct DetailsOutcome {
    int status = 0;        // 0 shown; -1 refused (another is open, unknown object, no class, no pages)
    bool confirmed = false;  // closed with OK
    LONG saveResult = 0;     // the class's answer to 0x106 after OK
    bool modified = false;   // a page reported a change
};

struct CreateOutcome {
    int status = 0;        // 0 asked; -1 no such class
    LONG result = 0;       // the class's last answer to 0x102
    std::vector<std::string> created;  // the names the class reported, in order
};

class AdminHost {
public:
    AdminHost();
    ~AdminHost();  // stops the host if it runs
    AdminHost(const AdminHost&) = delete;
    AdminHost& operator=(const AdminHost&) = delete;

    static AdminHost* Current();

    // Opens the directory view (the first attached tree, at "[Root]"), makes
    // the main window and loads every configured module. Returns the number
    // of modules whose InitSnapin answered 0, or -1 when the host cannot run
    // (another host runs, no window).
    int Start();
    // Pages of every class deleted (0x101), then ShutDown of every loaded
    // module in reverse order, and the modules freed.
    void Stop();
    bool Running() const { return running_; }

    HWND MainWindow() const { return mainWindow_; }
    const std::vector<SnapinModule>& Modules() const { return modules_; }
    const std::vector<RegisteredClass>& Classes() const { return classes_; }
    const RegisteredClass* FindClass(const std::string& className) const;
    const std::vector<ToolsItem>& Tools() const { return tools_; }

    // The directory view.
    const std::string& Tree() const { return tree_; }
    const std::string& Context() const { return context_; }
    int SetContext(const std::string& context);
    int ListObjects(std::vector<DirectoryObject>* objects) const;  // what the context holds
    int ListObjects(const std::string& context, std::vector<DirectoryObject>* objects) const;
    int FindObject(const std::string& name, DirectoryObject* object) const;
    // Selects objects by full name; an unknown name selects nothing and
    // answers its directory status.
    int Select(const std::vector<std::string>& names);
    const std::vector<DirectoryObject>& Selection() const { return selection_; }

    // The Tools list: an item's state as its MenuValid gives it (-1: no such
    // item). Running an item asks its state first, as opening the menu does;
    // 0 ran, 1 grayed, -1 no such item.
    int ToolsItemState(const std::string& text) const;
    int RunToolsItem(const std::string& text);

    // The create command of a class (0x102) in a context (the current one
    // when empty); the class's answer 2 opens the new object's details, 3
    // asks again.
    CreateOutcome CreateObject(const std::string& className, const std::string& context = "");

    // The details dialog of an object: a modal property sheet made of the
    // pages of the object's class. One is open at a time.
    DetailsOutcome OpenDetails(const std::string& objectName);
    bool DetailsOpen() const { return detailsOpen_; }
    // The caption of the details dialog of an object, for UI driver handlers.
    static std::string DetailsCaption(const std::string& objectName);
    // The page window a details dialog shows; null for another window and
    // once the dialog is closing.
    static HWND DetailsPage(HWND detailsDialog);

    // Called by the QRADM32 entry points.
    LONG RegisterMenu(const ToolsItem& item, UINT* id);
    LONG RegisterObjectType(const RegisteredClass& cls);
    LONG RegisterBitmaps(const std::string& className, const std::string& displayText, HBITMAP normal,
                         HBITMAP alias, HBITMAP readOnly);
    HBITMAP ClassBitmap(const std::string& className) const;

private:
    // A class code to a registered class, with a writable copy of the text;
    // -1 when no such class.
    LONG SendClassCode(const std::string& className, WORD code, const char* data, ULONG_PTR p3, ULONG_PTR p4);
    RegisteredClass* MutableClass(const std::string& className);
    void LoadModules();
    void RefreshToolsMenu();

    bool running_ = false;
    HWND mainWindow_ = nullptr;
    HMENU toolsMenu_ = nullptr;
    std::vector<SnapinModule> modules_;
    std::vector<RegisteredClass> classes_;
    std::vector<ToolsItem> tools_;
    std::string tree_;
    std::string storeFile_;
    std::string context_ = "[Root]";
    std::vector<DirectoryObject> selection_;
    bool detailsOpen_ = false;
    std::vector<HBITMAP> ownBitmaps_;
    UINT nextMenuId_ = 0x7000;
};

}  // namespace vpr::adminhost
