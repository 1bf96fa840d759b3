// Modules and resources through the build: the test modules PEERA32.DLL and
// PEERB32.DLL, the resource-only library PEERRS32.DLL (all compiled from
// tests/modules) and this program's own resources.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "modules/peer_ids.h"
#include "vpr/testing/temp_machine.h"
#include "vpr/win/resource_format.h"
#include "windows.h"

namespace fs = std::filesystem;
using namespace vpr::win;

namespace {

using CheckFn = int (*)(DWORD, char*, int);

// The build's bin folder: this program's folder, where the test modules lie.
std::string BinFolder() { return fs::read_symlink("/proc/self/exe").parent_path().string(); }

std::string LoadText(HMODULE module, UINT id, int size = 256) {
    std::string buffer(static_cast<size_t>(size), 'x');
    int n = LoadStringA(module, id, buffer.data(), size);
    EXPECT_EQ(std::strlen(buffer.c_str()), static_cast<size_t>(n));
    return buffer.c_str();
}

std::string ResourceBytes(HMODULE module, LPCSTR name, LPCSTR type) {
    HRSRC found = FindResourceA(module, name, type);
    if (!found) return {};
    auto data = static_cast<const char*>(LockResource(LoadResource(module, found)));
    return std::string(data, SizeofResource(module, found));
}

class ModuleTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("vprmod-" + std::to_string(::getpid()));
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    // A copy of a built file in the test folder, with one byte changed when
    // `damageFromEnd` is given.
    std::string Copy(const std::string& name, const std::string& as, size_t damageFromEnd = 0) {
        std::string to = (dir_ / as).string();
        fs::copy_file(BinFolder() + "/" + name, to);
        if (damageFromEnd) {
            std::fstream f(to, std::ios::in | std::ios::out | std::ios::binary);
            f.seekg(0, std::ios::end);
            std::streamoff at = f.tellg() - static_cast<std::streamoff>(damageFromEnd);
            f.seekg(at);
            char c = 0;
            f.get(c);
            f.seekp(at);
            f.put(static_cast<char>(c ^ 0x5A));
        }
        return to;
    }

    fs::path dir_;
};

TEST_F(ModuleTest, PeersFindLoadAndVersionCheckEachOtherByWindowsName) {
    vpr::testing::TempMachine machine;
    // A bare name in lower case, without extension: found in the program's
    // folder as PEERA32.DLL.
    HMODULE a = LoadLibraryA("peera32");
    ASSERT_NE(a, nullptr) << GetLastError();
    auto checkFromA = reinterpret_cast<CheckFn>(GetProcAddress(a, "PeerCheck"));
    ASSERT_NE(checkFromA, nullptr);
    char report[256] = {};
    ASSERT_EQ(checkFromA(MAKELONG(2, 1), report, sizeof report), 0);
    EXPECT_STREQ(report, "1.2 Hello from peer B | Peer B Options (2 controls)");
    EXPECT_EQ(checkFromA(MAKELONG(3, 1), report, sizeof report), -2);  // needs 1.3: refused

    HMODULE b = LoadLibraryA("PEERB32.DLL");
    ASSERT_NE(b, nullptr);
    auto checkFromB = reinterpret_cast<CheckFn>(GetProcAddress(b, "PeerCheck"));
    ASSERT_EQ(checkFromB(MAKELONG(1, 2), report, sizeof report), 0);
    EXPECT_STREQ(report, "2.1 Hello from peer A | Peer A Settings (8 controls)");
    EXPECT_TRUE(FreeLibrary(b));
    EXPECT_TRUE(FreeLibrary(a));
}

TEST_F(ModuleTest, BareNamesFollowTheSearchOrder) {
    vpr::testing::TempMachine machine;
    // Resource-only copies whose string 1 tells where they were found.
    auto place = [&](const std::string& windowsFolder, const std::string& name, const std::string& version) {
        std::string host = machine.HostPath(windowsFolder + "\\" + name);
        fs::create_directories(fs::path(host).parent_path());
        fs::copy_file(BinFolder() + "/PEERRS32.DLL", host);
        ASSERT_EQ(StampModuleVersion(host, {static_cast<uint16_t>(std::stoi(version)), 0, 0, 0}), ERROR_SUCCESS);
    };
    std::string system = machine.machine()->SystemDirectory();
    std::string windows = machine.machine()->windowsDirectory;
    place("C:\\WORK", "ORDER.DLL", "1");
    place(system, "ORDER.DLL", "2");
    place(system, "SYSONLY.DLL", "3");
    place(windows, "SYSONLY.DLL", "4");
    place(windows, "WINONLY.DLL", "5");
    place("C:\\TOOLS", "PATHONLY.DLL", "6");
    ASSERT_TRUE(SetCurrentDirectoryA("C:\\WORK"));
    std::string oldPath = std::getenv("PATH") ? std::getenv("PATH") : "";
    ::setenv("PATH", "C:\\NOWHERE;C:\\TOOLS", 1);
    struct Case {
        const char* name;
        const char* major;  // which copy was found
    } cases[] = {{"order", "1"}, {"SysOnly.dll", "3"}, {"WINONLY", "5"}, {"pathonly.DLL", "6"}};
    for (const Case& c : cases) {
        HMODULE m = LoadLibraryA(c.name);
        ASSERT_NE(m, nullptr) << c.name << " " << GetLastError();
        char path[MAX_PATH];
        ASSERT_GT(GetModuleFileNameA(m, path, MAX_PATH), 0u);
        DWORD size = GetFileVersionInfoSizeA(path, nullptr);
        std::vector<uint8_t> block(size);
        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT length = 0;
        ASSERT_TRUE(GetFileVersionInfoA(path, 0, size, block.data()));
        ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<LPVOID*>(&fixed), &length));
        EXPECT_EQ(std::to_string(HIWORD(fixed->dwFileVersionMS)), c.major) << c.name << " at " << path;
        EXPECT_EQ(std::string(path).substr(0, 2), "C:") << path;
        FreeLibrary(m);
    }
    ::setenv("PATH", oldPath.c_str(), 1);
}

TEST_F(ModuleTest, OneFileIsOneModuleWithALoadCount) {
    HMODULE first = LoadLibraryA("PEERA32.DLL");
    ASSERT_NE(first, nullptr);
    char path[MAX_PATH];
    ASSERT_GT(GetModuleFileNameA(first, path, MAX_PATH), 0u);
    std::string lower = path;
    size_t cut = lower.find_last_of("\\/");
    for (size_t i = cut + 1; i < lower.size(); ++i) lower[i] = static_cast<char>(std::tolower(lower[i]));
    HMODULE second = LoadLibraryA(lower.c_str());  // by path, other case
    EXPECT_EQ(second, first);
    EXPECT_EQ(GetModuleHandleA("Peera32.dll"), first);
    EXPECT_EQ(GetModuleHandleA("PEERA32"), first);
    EXPECT_TRUE(FreeLibrary(first));
    EXPECT_EQ(GetModuleHandleA("PEERA32.DLL"), first);  // still loaded once
    EXPECT_TRUE(FreeLibrary(second));
    EXPECT_EQ(GetModuleHandleA("PEERA32.DLL"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
    EXPECT_FALSE(FreeLibrary(first));  // a stale handle is an error, not a crash
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(ModuleTest, GetProcAddressFindsOnlyTheModulesOwnExports) {
    HMODULE a = LoadLibraryA("PEERA32.DLL");
    ASSERT_NE(a, nullptr);
    EXPECT_NE(GetProcAddress(a, "PeerCheck"), nullptr);
    auto callBack = reinterpret_cast<long (*)(const char*, unsigned short, long, long)>(
        GetProcAddress(a, "CApplication::CallBack"));
    ASSERT_NE(callBack, nullptr);
    EXPECT_EQ(callBack("", 0x100, 0, 0), 1);
    struct Missing {
        LPCSTR name;
    } cases[] = {{"NoSuchEntry"}, {"LoadStringA"} /* a dependency's export */, {MAKEINTRESOURCEA(1)}};
    for (const Missing& c : cases) {
        SetLastError(0);
        EXPECT_EQ(GetProcAddress(a, c.name), nullptr);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
    }
    FreeLibrary(a);
}

TEST_F(ModuleTest, LoadFailuresGiveWindowsErrors) {
    std::ofstream(dir_ / "TEXT.DLL") << "not a module";
    std::string damagedData = Copy("PEERRS32.DLL", "DAMAGED.DLL", 10);
    struct Case {
        std::string name;
        DWORD error;
    } cases[] = {
        {"NOSUCH32.DLL", ERROR_MOD_NOT_FOUND},
        {(dir_ / "NOSUCH32.DLL").string(), ERROR_MOD_NOT_FOUND},
        {(dir_ / "TEXT.DLL").string(), ERROR_BAD_EXE_FORMAT},
        {damagedData, ERROR_BAD_EXE_FORMAT},
        {"", ERROR_INVALID_PARAMETER},
    };
    for (const Case& c : cases) {
        SetLastError(0);
        EXPECT_EQ(LoadLibraryA(c.name.c_str()), nullptr) << c.name;
        EXPECT_EQ(GetLastError(), c.error) << c.name;
    }
}

TEST_F(ModuleTest, ModuleFileNames) {
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    ASSERT_GT(n, 0u);
    EXPECT_EQ(std::string(path).substr(n - 9), "win_tests");
    EXPECT_EQ(GetModuleHandleA(nullptr), vpr::win::ThisModule());
    char small[5];
    EXPECT_EQ(GetModuleFileNameA(nullptr, small, sizeof small), 5u);
    EXPECT_EQ(std::strlen(small), 4u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(GetModuleFileNameA(reinterpret_cast<HMODULE>(0x1234), path, MAX_PATH), 0u);
}

TEST_F(ModuleTest, LoadStringGivesTextsTruncatedToTheBuffer) {
    HMODULE a = LoadLibraryA("PEERA32.DLL");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(LoadText(a, IDS_GREETING), "Hello from peer A");
    EXPECT_EQ(LoadText(a, IDS_LONG), "Second block: \"quoted\", a tab\tand CR LF\r\n");
    struct Case {
        int size;
        const char* text;
    } cases[] = {{6, "Hello"}, {1, ""}, {17, "Hello from peer "}, {18, "Hello from peer A"}};
    for (const Case& c : cases) EXPECT_EQ(LoadText(a, IDS_GREETING, c.size), c.text) << c.size;
    EXPECT_EQ(LoadText(a, 5), "");  // missing: 0 and an empty buffer
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
    char buffer[4] = "abc";
    EXPECT_EQ(LoadStringA(a, IDS_GREETING, buffer, 0), 0);
    EXPECT_STREQ(buffer, "abc");
    FreeLibrary(a);
}

TEST_F(ModuleTest, ResourcesRoundTripThroughTheBuild) {
    HMODULE a = LoadLibraryA("PEERA32.DLL");
    ASSERT_NE(a, nullptr);

    std::string bytes = ResourceBytes(a, MAKEINTRESOURCE(IDD_MAIN), RT_DIALOG);
    DialogTemplate d;
    ASSERT_TRUE(DecodeDialog(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &d));
    EXPECT_EQ(d.caption, "Peer A Settings");
    EXPECT_EQ(d.fontName, "MS Sans Serif");
    EXPECT_EQ(d.pointSize, 8);
    EXPECT_EQ(d.style, 0x40000000u | 0x10000000u | 0x400u | 0x40u);  // child, visible, control, set font
    EXPECT_EQ(d.cx, 250);
    EXPECT_EQ(d.cy, 120);
    ASSERT_EQ(d.controls.size(), 8u);
    struct Want {
        const char* className;
        const char* text;
        int32_t id;
        uint32_t style;
        uint32_t exStyle;
    } want[] = {
        {"STATIC", "&Name:", -1, 0x50020000, 0},
        {"EDIT", "", IDC_NAME, 0x50810080, 0},
        {"BUTTON", "&Browse...", IDC_BROWSE, 0x50010000, 0},
        {"BUTTON", "&Enabled", IDC_ENABLED, 0x50000003, 0},
        {"LISTBOX", "", IDC_LIST, 0x50a10003, 0},
        {"COMBOBOX", "", IDC_COMBO, 0x50010003, 0},
        {"STATIC", nullptr, -1, 0x50000003, 0},
        {"BrowsebControl", "", IDC_CUSTOM, 0x50010000, 0x200},
    };
    for (size_t i = 0; i < 8; ++i) {
        const DialogControl& c = d.controls[i];
        EXPECT_EQ(c.className, want[i].className) << i;
        EXPECT_EQ(c.id, want[i].id) << i;
        EXPECT_EQ(c.style, want[i].style) << i;
        EXPECT_EQ(c.exStyle, want[i].exStyle) << i;
        if (want[i].text) {
            EXPECT_EQ(c.text.name, want[i].text) << i;
        }
    }
    EXPECT_TRUE(d.controls[6].text.isNumber);
    EXPECT_EQ(d.controls[6].text.number, IDI_APP);
    EXPECT_EQ(d.controls[1].x, 55);
    EXPECT_EQ(d.controls[1].cx, 120);

    bytes = ResourceBytes(a, MAKEINTRESOURCE(IDR_MENU), RT_MENU);
    std::vector<MenuItem> menu;
    ASSERT_TRUE(DecodeMenu(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &menu));
    ASSERT_EQ(menu.size(), 1u);
    EXPECT_EQ(menu[0].text, "&File");
    ASSERT_EQ(menu[0].children.size(), 4u);
    EXPECT_EQ(menu[0].children[0].text, "&Open...\tCtrl+O");
    EXPECT_EQ(menu[0].children[0].id, static_cast<uint32_t>(IDM_OPEN));
    EXPECT_EQ(menu[0].children[1].flags, kMenuSeparator);
    ASSERT_EQ(menu[0].children[2].children.size(), 1u);
    EXPECT_EQ(menu[0].children[2].children[0].flags, 0x1u);  // grayed
    EXPECT_EQ(menu[0].children[3].id, static_cast<uint32_t>(IDM_EXIT));

    bytes = ResourceBytes(a, MAKEINTRESOURCE(IDA_MAIN), RT_ACCELERATOR);
    std::vector<Accelerator> keys;
    ASSERT_TRUE(DecodeAccelerators(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &keys));
    ASSERT_EQ(keys.size(), 2u);
    EXPECT_EQ(keys[0].flags, 0x1 | 0x8);
    EXPECT_EQ(keys[0].key, 'O');
    EXPECT_EQ(keys[1].key, 0x74);  // F5
    EXPECT_EQ(keys[1].id, IDM_REFRESH);

    // The bitmap is the file without its 14-byte header; names ignore case.
    std::string bitmap = ResourceBytes(a, MAKEINTRESOURCE(IDB_SPLASH), RT_BITMAP);
    ASSERT_EQ(bitmap.size(), 56u);
    EXPECT_EQ(bitmap[0], 40);
    EXPECT_EQ(ResourceBytes(a, "checked_box_bmp", RT_BITMAP), bitmap);
    EXPECT_EQ(ResourceBytes(a, "#128", RT_BITMAP), bitmap);

    // The icon group lists its image by icon id, in the stored group layout.
    std::string group = ResourceBytes(a, MAKEINTRESOURCE(IDI_APP), RT_GROUP_ICON);
    ASSERT_EQ(group.size(), 20u);
    EXPECT_EQ(group[2], 1);  // type
    EXPECT_EQ(group[4], 1);  // count
    EXPECT_EQ(group[6], 16);  // width
    uint16_t iconId = static_cast<uint16_t>(static_cast<uint8_t>(group[18]) | (group[19] << 8));
    EXPECT_EQ(ResourceBytes(a, MAKEINTRESOURCE(iconId), RT_ICON).size(), 1128u);

    EXPECT_EQ(ResourceBytes(a, "TFRMMAIN", RT_RCDATA), "form description");
    EXPECT_EQ(ResourceBytes(a, MAKEINTRESOURCE(410), "avi").size(), 70u);

    SetLastError(0);
    EXPECT_EQ(FindResourceA(a, MAKEINTRESOURCE(999), RT_DIALOG), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
    EXPECT_EQ(FindResourceA(a, MAKEINTRESOURCE(1), RT_CURSOR), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_TYPE_NOT_FOUND));
    FreeLibrary(a);
}

TEST_F(ModuleTest, TheProgramCarriesItsOwnResources) {
    EXPECT_EQ(LoadText(nullptr, 7), "The program's own text");
    EXPECT_EQ(LoadText(GetModuleHandleA(nullptr), 7), "The program's own text");
}

TEST_F(ModuleTest, AResourceOnlyLibraryIsADataModule) {
    HMODULE a = LoadLibraryA("PEERA32.DLL");
    HMODULE res = LoadLibraryA("peerrs32.dll");
    ASSERT_NE(res, nullptr);
    EXPECT_GT(reinterpret_cast<uintptr_t>(res), 32u);
    EXPECT_EQ(LoadText(res, 1), "Hallo von den Ressourcen");
    EXPECT_EQ(LoadText(res, IDS_VERSION_TEXT), LoadText(a, IDS_VERSION_TEXT));
    EXPECT_EQ(GetProcAddress(res, "PeerCheck"), nullptr);
    EXPECT_TRUE(FreeLibrary(res));
    FreeLibrary(a);
}

TEST_F(ModuleTest, ADamagedContainerInAModuleFailsItsResourcesOnly) {
    std::string copy = Copy("PEERB32.DLL", "DAMAGEDB.DLL", 40);
    HMODULE m = LoadLibraryA(copy.c_str());
    ASSERT_NE(m, nullptr) << GetLastError();
    EXPECT_NE(GetProcAddress(m, "PeerText"), nullptr);
    EXPECT_EQ(LoadText(m, IDS_GREETING), "");
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_DATA));
    EXPECT_EQ(FindResourceA(m, MAKEINTRESOURCE(IDD_MAIN), RT_DIALOG), nullptr);
    EXPECT_TRUE(FreeLibrary(m));
}

}  // namespace

// The entry point of ENTRY32.DLL reports through named events of the machine.
TEST(ModuleEntryPoint, RunsAtLoadAndUnloadAndMayRefuseTheLoad) {
    vpr::testing::TempMachine machine;
    HANDLE attach = CreateEventA(nullptr, TRUE, FALSE, "ENTRY32.attach");
    HANDLE detach = CreateEventA(nullptr, TRUE, FALSE, "ENTRY32.detach");
    HANDLE refuse = CreateEventA(nullptr, TRUE, FALSE, "ENTRY32.refuse");
    ASSERT_TRUE(attach && detach && refuse);
    auto isSet = [](HANDLE event) { return WaitForSingleObject(event, 0) == WAIT_OBJECT_0; };

    HMODULE module = LoadLibraryA("ENTRY32.DLL");
    ASSERT_NE(module, nullptr);
    EXPECT_TRUE(isSet(attach));  // found by name and loaded another module while starting
    EXPECT_EQ(GetModuleHandleA("PEERRS32.DLL"), nullptr);
    ResetEvent(attach);
    EXPECT_EQ(LoadLibraryA("ENTRY32.DLL"), module);
    EXPECT_FALSE(isSet(attach));  // a second load only counts
    EXPECT_TRUE(FreeLibrary(module));
    EXPECT_FALSE(isSet(detach));
    EXPECT_TRUE(FreeLibrary(module));
    EXPECT_TRUE(isSet(detach));
    EXPECT_EQ(GetModuleHandleA("ENTRY32.DLL"), nullptr);

    // A refusal: the module hears of its unloading and is gone.
    ResetEvent(attach);
    ResetEvent(detach);
    SetEvent(refuse);
    EXPECT_EQ(LoadLibraryA("ENTRY32.DLL"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DLL_INIT_FAILED));
    EXPECT_TRUE(isSet(attach));
    EXPECT_TRUE(isSet(detach));
    EXPECT_EQ(GetModuleHandleA("ENTRY32.DLL"), nullptr);
    ResetEvent(refuse);
    module = LoadLibraryA("ENTRY32.DLL");
    EXPECT_NE(module, nullptr);
    EXPECT_TRUE(FreeLibrary(module));

    for (HANDLE event : {attach, detach, refuse}) CloseHandle(event);
}
