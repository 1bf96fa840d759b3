#include "host_fixture.h"

#include <atomic>
#include <filesystem>
#include <thread>

#include "vpr/testing/build_folder.h"
#include "vpr/win/resource_format.h"

namespace fs = std::filesystem;

void SetValue(HKEY root, const std::string& key, const char* name, DWORD type, const void* data, DWORD size) {
    HKEY handle = nullptr;
    ASSERT_EQ(RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &handle, nullptr),
              ERROR_SUCCESS);
    LONG set = RegSetValueExA(handle, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(handle);
    ASSERT_EQ(set, ERROR_SUCCESS) << key;
}

void SetString(HKEY root, const std::string& key, const char* name, const std::string& value) {
    SetValue(root, key, name, REG_SZ, value.c_str(), static_cast<DWORD>(value.size() + 1));
}

void Place(const vpr::testing::TempMachine& machine, const std::string& built, const std::string& windowsPath,
           std::optional<std::array<uint16_t, 4>> version) {
    std::string host = machine.HostPath(windowsPath);
    fs::create_directories(fs::path(host).parent_path());
    fs::copy_file(vpr::testing::BuildBinFolder() + "/" + built, host, fs::copy_options::overwrite_existing);
    if (version) {
        ASSERT_EQ(vpr::win::StampModuleVersion(host, *version), ERROR_SUCCESS);
    }
}

void ExtensionHostFixture::SetUp() {
    if (setting_.manualClock) {
        clock_ = std::make_shared<vpr::win::ManualClock>();
        vpr::win::SetClock(clock_);
    }
    machine_ = std::make_unique<vpr::testing::TempMachine>(vpr::machine::Platform::NT4, "jdoe");
    ASSERT_NO_FATAL_FAILURE(Place(*machine_, "KMAPP32.DLL", "C:\\WINDOWS\\SYSTEM32\\KmApp32.dll"));
    ASSERT_NO_FATAL_FAILURE(Place(*machine_, "VprExp32.dll", kModulePath));
    std::string key = std::string("CLSID\\") + kExtensionText;
    SetString(HKEY_CLASSES_ROOT, key, nullptr, "VPR Explorer");
    SetString(HKEY_CLASSES_ROOT, key + "\\InProcServer32", nullptr, kModulePath);
    if (setting_.desktopEntry)
        SetString(HKEY_LOCAL_MACHINE,
                  std::string("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Desktop\\NameSpace\\") +
                      kExtensionText,
                  nullptr, "VPR Explorer");
    tree_.Org("acme").Unit("sales.acme").User("admin.acme", "Admin").User("jdoe.sales.acme", "John Doe");
}

void ExtensionHostFixture::TearDown() {
    host_.reset();
    if (setting_.manualClock) vpr::win::SetClock(nullptr);
}

void ExtensionHostFixture::MakeApplications(const std::vector<std::string>& names, DWORD flags) {
    tree_.LogIn("admin.acme");
    DIR_CONTEXT admin = KMAPPAllocContextHandle();
    ASSERT_GT(admin, 0);
    ASSERT_EQ(KMAPPExtendSchema(admin, KMAPP_SCHEMA_APPLICATIONS), 0);
    for (const std::string& name : names) {
        const std::string object = name + ".acme";
        const std::string program = "\\\\SERVER\\APPS\\" + name + ".EXE";
        ASSERT_EQ(KMAPPCreateObject(admin, ("." + object).c_str(), "App:Application", program.c_str(), name.c_str(), 0),
                  0);
        tree_.Grant(object, "[Public]", "[Entry Rights]", DIR_ENTRY_BROWSE);
        tree_.Grant(object, "[Public]", "[All Attributes Rights]", DIR_ATTR_COMPARE | DIR_ATTR_READ);
    }
    KMAPPFreeContextHandle(admin);
    if (flags) Associate(names, flags);
    tree_.LogIn("jdoe.sales.acme");
}

void ExtensionHostFixture::Associate(const std::vector<std::string>& names, DWORD flags) {
    std::vector<std::string> associations;
    for (const std::string& name : names) associations.push_back(name + ".acme;" + std::to_string(flags) + ";0");
    tree_.Set("jdoe.sales.acme", "App:Associations", associations);
    tree_.Grant("jdoe.sales.acme", "jdoe.sales.acme", "App:Associations", DIR_ATTR_COMPARE | DIR_ATTR_READ);
}

void ExtensionHostFixture::StartShell() {
    host_ = std::make_unique<vpr::shellhost::ShellHost>();
    std::string error;
    ASSERT_TRUE(host_->Start(&error)) << error;
}

HRESULT ExtensionHostFixture::Load() {
    if (!clock_) return host_->LoadInProc(kExtension);  // the real clock runs the splash's time out itself
    std::atomic<bool> loaded{false};
    std::thread advancer([&] {
        while (!loaded) {
            if (clock_->TimedWaiters() > 0)
                clock_->Advance(100);
            else
                std::this_thread::yield();
        }
    });
    HRESULT result = host_->LoadInProc(kExtension);
    loaded = true;
    advancer.join();
    return result;
}
