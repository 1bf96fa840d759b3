#include <gtest/gtest.h>

#include "engine_fixture.h"
#include "maketemplate/path_macros.h"

namespace snapshot::testing {
namespace {

using PathMacrosTest = EngineTest;

TEST_F(PathMacrosTest, FirstMatchingDirectoryBecomesItsMacro) {
    EngineSettings& s = Settings();
    s.windowsDirectory = "C:\\WINDOWS";
    s.systemDirectory = "C:\\WINDOWS\\SYSTEM";
    s.system16Directory = "C:\\WINDOWS\\system16";
    s.desktopDirectory = "C:\\WINDOWS\\Desktop";
    s.startMenuDirectory = "C:\\WINDOWS\\Start Menu";
    s.commonDesktopDirectory = "";  // a call that gave nothing matches nothing
    s.commonStartMenuDirectory = "C:\\WINDOWS\\Profiles\\All Users\\Start Menu";
    s.installDirectory = "C:\\Program Files\\App";
    const std::string longTail(300, 't');
    struct Case {
        std::string text, expected;
    } cases[] = {
        {"C:\\WINDOWS\\SYSTEM16\\x.drv", "%*WINSYS16DIR%\\x.drv"},
        {"C:\\WINDOWS\\SYSTEM\\x.dll", "%*WINSYSDIR%\\x.dll"},
        {"C:\\WINDOWS", "%*WINDIR%"},
        {"c:\\windows\\win.ini", "%*WINDIR%\\win.ini"},
        {"C:\\WINDOWSX\\a", "C:\\WINDOWSX\\a"},
        {"C:\\WINDOWS\\Desktop\\a.lnk", "%*WINDESKTOP%\\a.lnk"},
        {"C:\\WINDOWS\\Start Menu\\Programs", "%*STARTMENU%\\Programs"},
        {"C:\\WINDOWS\\Profiles\\All Users\\Start Menu\\x", "%*COMMONSTARTMENU%\\x"},
        {"C:\\Program Files\\App\\bin", "%TARGET_PATH%\\bin"},
        {"C:\\Program Files\\App\\" + longTail, "%TARGET_PATH%\\" + longTail},
        {"D:\\WINDOWS\\x", "D:\\WINDOWS\\x"},
        {"", ""},
        {"X", "X"},
    };
    for (const auto& c : cases) EXPECT_EQ(PathToMacro(c.text), c.expected) << c.text;
}

}  // namespace
}  // namespace snapshot::testing
