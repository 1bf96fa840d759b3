// Whether the shell can open the extension's folders: by the platform and,
// on Windows 95, by the system folder's Shell32.dll; an old shell opens
// nothing and says so once per process.
#include <gtest/gtest.h>

#include <filesystem>

#include "module/module_resource.h"
#include "module/shell_ext_app.h"
#include "vpr/testing/build_folder.h"
#include "vpr/testing/temp_machine.h"
#include "vpr/user/ui_driver.h"
#include "vpr/win/resource_format.h"

namespace fs = std::filesystem;

namespace {

struct ShellCase {
    vpr::machine::Platform platform;
    std::array<uint16_t, 4> shell32;  // {0,0,0,0}: the build's file as it is
    bool old;
};

TEST(OldShell, ThePlatformAndShell32sVersionDecide) {
    using vpr::machine::Platform;
    const ShellCase cases[] = {
        {Platform::NT4, {4, 0, 0, 0}, false},     {Platform::Win95, {4, 0, 0, 950}, true},
        {Platform::Win95, {4, 0, 0, 951}, false},
        // Build and revision read as one number: any build is past 951.
        {Platform::Win95, {4, 0, 1, 0}, false},   {Platform::Win95, {4, 0, 950, 0}, false},
        {Platform::Win95, {4, 71, 0, 0}, false},
        {Platform::Win95, {3, 51, 999, 0}, true},
    };
    for (const ShellCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.shell32[0]) + "." + std::to_string(c.shell32[1]) + "." +
                     std::to_string(c.shell32[2]) + "." + std::to_string(c.shell32[3]));
        vpr::testing::TempMachine machine(c.platform, "jdoe");
        char system[MAX_PATH] = {};
        GetSystemDirectoryA(system, sizeof system);
        std::string host = machine.HostPath(std::string(system) + "\\SHELL32.DLL");
        ASSERT_TRUE(fs::exists(host)) << host;
        ASSERT_EQ(vpr::win::StampModuleVersion(host, c.shell32), ERROR_SUCCESS);
        EXPECT_EQ(CShellExtApp::IsShellTooOld() != FALSE, c.old);
    }
    // Without a Shell32.dll at all, a 95 shell is taken to be old.
    vpr::testing::TempMachine machine(Platform::Win95, "jdoe");
    char system[MAX_PATH] = {};
    GetSystemDirectoryA(system, sizeof system);
    fs::remove(machine.HostPath(std::string(system) + "\\SHELL32.DLL"));
    EXPECT_TRUE(CShellExtApp::IsShellTooOld());
}

TEST(OldShell, OpeningOnAnOldShellSaysSoOncePerProcess) {
    vpr::testing::TempMachine machine;
    vpr::user::UiDriver driver;
    CString text;
    text.LoadString(IDS_OLD_SHELL);
    int boxes = 0;
    UINT type = 0;
    driver.OnMessageBox(static_cast<LPCSTR>(text), [&](const vpr::user::ModalElement& box) {
        ++boxes;
        type = box.messageBoxType;
        vpr::user::ui::Click(box.window, IDOK);
    });
    CShellExtApp app;
    ASSERT_TRUE(app.m_bOldShell);
    BYTE root[2] = {0, 0};
    app.RunProgram(reinterpret_cast<LPCITEMIDLIST>(root), 0);
    app.RunProgram(reinterpret_cast<LPCITEMIDLIST>(root), 0x20);
    // A second box would be one the driver does not expect.
    EXPECT_EQ(boxes, 1);
    EXPECT_TRUE(driver.Failures().empty());
    EXPECT_EQ(type & MB_ICONMASK, static_cast<UINT>(MB_ICONSTOP));
}

}  // namespace
