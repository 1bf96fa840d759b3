// The distribution pages in the administration host, in this process: a
// tree with an application object, the launcher library bound, and an
// application class whose page table holds the pages under test. The page
// tests (page_host_fixture.h) and the benchmark open the object's details on
// it and act on a page through the UI driver as a person would.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "afxwin.h"
#include "snapin/core/app_library.h"
#include "snapin/core/directory_helper.h"
#include "snapin/core/module_object_type.h"
#include "snapin/core/snapin_interface_base.h"
#include "support/stream_records.h"
#include "template/template_library.h"
#include "vpr/adminhost/admin_host.h"
#include "vpr/directory/faults.h"
#include "vpr/testing/temp_machine.h"
#include "vpr/testing/temp_tree.h"
#include "vpr/user/ui_driver.h"
#include "vpr/win/clock.h"

using Records = std::vector<std::string>;

// The module's interface as far as the classes ask: this program's resources.
class TestInterface : public CSnapinInterfaceBase {
public:
    TestInterface() : CSnapinInterfaceBase("Distribution test module") { SetResourceHandle(AfxGetResourceHandle()); }
    LONG Init() override { return 0; }
    LONG Term() override { return 0; }
};

// The application class as the module makes it (page slots, save order,
// message 191), bound to this program's callback.
class CTestApplication : public CModuleObjectType {
public:
    explicit CTestApplication(const PageSlotTable& pages)
        : CModuleObjectType("App:Application", -1, pages, 0xDD, true, nullptr) {}
    ~CTestApplication() override { s_bound = nullptr; }
    SnapinCallBackFn GetCallBack() override { return CallBack; }
    static LONG CALLBACK CallBack(char* data, WORD code, ULONG_PTR p3, ULONG_PTR p4) {
        return DispatchClassCallBack(s_bound, data, code, p3, p4);
    }
    static inline CTestApplication* s_bound = nullptr;
};

// A template written by the template library, as bytes.
inline std::string TemplateBytes(const std::function<void(HFILE)>& write) {
    std::string path = (std::filesystem::temp_directory_path() /
                        ("dist_template_" + std::to_string(::getpid()) + ".qmt")).string();
    HFILE file = HFILE_ERROR;
    kmapptCreate(path.c_str(), &file);
    if (write) write(file);
    kmapptClose(file);
    std::string bytes;
    if (FILE* in = std::fopen(path.c_str(), "rb")) {
        char chunk[4096];
        while (size_t n = std::fread(chunk, 1, sizeof chunk, in)) bytes.append(chunk, n);
        std::fclose(in);
    }
    std::filesystem::remove(path);
    return bytes;
}

class PageHost {
public:
    static constexpr char kObject[] = "App.acme";

    // The pages of the test class, in tab order. Each start answers "" or
    // what failed.
    std::string StartHost(const std::vector<PageSlot>& slots, bool extendSchema = true) {
        tree_.Org("acme").User("admin.acme").LogIn("admin.acme");
        if (theAppLibrary.Load() == 0) return "the launcher library does not load";
        return Run(slots, extendSchema);
    }
    // As StartHost, with the held launcher library of bin/hold.
    std::string StartHeldHost(const std::vector<PageSlot>& slots) {
        tree_.Org("acme").User("admin.acme").LogIn("admin.acme");
        std::string bin = std::filesystem::read_symlink("/proc/self/exe").parent_path().string();
        std::string module = "Z:" + bin + "/hold/VPRADM32.DLL";
        for (char& c : module)
            if (c == '/') c = '\\';
        std::string held = module.substr(0, module.size() - 12) + "KMAPP32.DLL";
        hold_ = LoadLibraryA(held.c_str());  // kept loaded: a worker may still return into it
        if (!hold_) return "cannot load " + held + ": " + std::to_string(GetLastError());
        theAppLibrary.LoadBeside(module.c_str());
        if (!theAppLibrary.IsLoaded()) return "the held launcher library does not load";
        return Run(slots, true);
    }
    void StopHost() {
        vpr::directory::faults::Reset();
        if (context_ > 0) DirFreeContext(context_);
        context_ = 0;
        host_.Stop();
        delete application_;
        application_ = nullptr;
        theAppLibrary.Unload();
        vpr::win::SetClock(nullptr);
    }

    template <class Result, class... Args>
    Result KmappCall(const char* name, Args... args) {
        HMODULE kmapp = LoadLibraryA("KMAPP32.DLL");
        auto fn = reinterpret_cast<Result (*)(Args...)>(GetProcAddress(kmapp, name));
        Result result = fn ? fn(args...) : Result(-1);
        FreeLibrary(kmapp);
        return result;
    }

    void Stream(const std::string& attribute, const std::function<void(HFILE)>& write) {
        tree_.Stream(kObject, attribute, TemplateBytes(write));
    }
    Records Saved(const std::string& attribute) { return vpr::testing::StreamRecords(context_, kObject, attribute); }

    // Opens the details, shows the page of tab `tab` (from 0), runs `act` on
    // it and ends with OK (or Cancel); the host's outcome.
    vpr::adminhost::DetailsOutcome Details(int tab, const std::function<void(HWND sheet, HWND page)>& act,
                                           bool ok = true) {
        driver_.OnDialog(vpr::adminhost::kDetailsDialogId, [&](const vpr::user::ModalElement& sheet) {
            if (tab > 0) vpr::user::ui::ClickTab(sheet.window, tab);
            HWND page = vpr::adminhost::AdminHost::DetailsPage(sheet.window);
            if (act) act(sheet.window, page);
            if (vpr::user::ui::IsOpen(sheet.window)) vpr::user::ui::Click(sheet.window, ok ? IDOK : IDCANCEL);
        });
        return host_.OpenDetails(kObject);
    }

    // Takes the window's messages until the condition holds.
    static void PumpUntil(const std::function<bool()>& done) {
        while (!done()) {
            MSG msg;
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
            if (!done()) MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        }
    }

protected:
    std::string Run(const std::vector<PageSlot>& slots, bool extendSchema) {
        slots_ = slots;
        if (host_.Start() != 0) return "the host does not start";
        context_ = theDirectoryHelper.CreateContext();
        if (context_ <= 0) return "no directory context";
        if (extendSchema) {
            if (KmappCall<LONG>("KMAPPExtendSchema", context_, DWORD{0x08}) != 0) return "the schema is not extended";
            if (KmappCall<LONG>("KMAPPCreateObject", context_, kObject, "App:Application", "", "App", DWORD{0}) != 0)
                return "the application object is not created";
        } else {
            // A class of that name without the application attributes.
            vpr::directory::ClassDef cls{"App:Application", false, true, {"Top"}, {"Organization"}, {}, {}, {}};
            tree_.Class(cls);
            tree_.Object(kObject, "App:Application");
        }
        tree_.Grant(kObject, "admin.acme", "[All Attributes Rights]", DIR_ATTR_READ | DIR_ATTR_WRITE);
        application_ = new CTestApplication(PageSlotTable{slots_.data(), slots_.size()});
        if (application_->Register() != 0) return "the application class does not register";
        return "";
    }

    vpr::testing::TempMachine machine_;
    vpr::testing::TempTree tree_;
    TestInterface interface_;
    vpr::adminhost::AdminHost host_;
    vpr::user::UiDriver driver_;
    CTestApplication* application_ = nullptr;
    std::vector<PageSlot> slots_;
    DIR_CONTEXT context_ = 0;
    HMODULE hold_ = nullptr;
};
