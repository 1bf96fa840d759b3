// The shared utilities: name checks, path forms, the template directory, the
// check box columns as painted, the file copy on failing handles, counted
// values, and the Select Directory dialog answered by a script.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "afxwin.h"
#include "snapin/core/select_directory_dlg.h"
#include "snapin/core/snapin_utilities.h"
#include "snapin/distribution/ref_item.h"
#include "vpr/directory/client.h"
#include "vpr/script/script_session.h"
#include "vpr/testing/temp_machine.h"
#include "vpr/user/gdi.h"
#include "vpr/adminhost/admin_host.h"
#include "vpr/testing/temp_tree.h"
#include "vpr/win/memory_file.h"

namespace {

const CSnapinUtilities& U() { return theSnapinUtilities; }

TEST(SnapinUtilitiesTest, FindInvalidCharLooksForTheSetsCharactersInTurn) {
    struct Case {
        const char* text;
        const char* set;
        int position;
    } cases[] = {
        {"A=B.C", nullptr, 3},  // the dot comes first in the set, wherever it stands
        {"A+B=C", nullptr, 1},
        {"A=B", nullptr, 1},
        {"WORD", nullptr, -1},
        {"x/y", "/", 1},
        {"", nullptr, -1},
    };
    for (const Case& c : cases) EXPECT_EQ(U().FindInvalidChar(c.text, c.set), c.position) << c.text;
}

TEST(SnapinUtilitiesTest, GetDefaultObjectNameCutsAtTheEarliestInvalidCharacter) {
    vpr::testing::TempMachine machine;
    struct Case {
        const char* path;
        const char* name;
        const char* pathAfter;
    } cases[] = {
        {"F:\\APPS\\WORD.EXE", "WORD", "F:\\APPS\\WORD"},
        {"A:SETUP", "SETUP", "A:SETUP"},
        {"F:\\A=B.C", "A", "F:\\A"},  // cut at "=", the earliest: "A=B" would itself be refused
        {"PLAIN", "PLAIN", "PLAIN"},
    };
    for (const Case& c : cases) {
        CString path = c.path;
        EXPECT_STREQ(U().GetDefaultObjectName(path), c.name) << c.path;
        EXPECT_STREQ(path, c.pathAfter) << c.path;
    }
}

TEST(SnapinUtilitiesTest, ConvertToUncPathKeepsWithinTheBuffer) {
    struct Case {
        std::string text;
        size_t size;
        std::string result;
    } cases[] = {
        {"SRV1/SYS:APPS", 512, "\\\\SRV1\\SYS\\APPS"},
        {"SRV1/SYS:\\APPS", 512, "\\\\SRV1\\SYS\\APPS"},
        {"SRV1/SYS:", 512, "\\\\SRV1\\SYS\\"},
        {"C:\\APPS", 512, "C:\\APPS"},
        {"SRV1/SYS", 512, "SRV1/SYS"},
        // Two characters longer: a result that does not fit changes nothing.
        {"S/V:" + std::string(506, 'x'), 512, "S/V:" + std::string(506, 'x')},
        {"S/V:" + std::string(505, 'x'), 512, "\\\\S\\V\\" + std::string(505, 'x')},
        {"S/V:APPS", 10, "S/V:APPS"},
    };
    for (const Case& c : cases) {
        std::vector<char> buffer(c.size, '#');
        std::memcpy(buffer.data(), c.text.c_str(), c.text.size() + 1);
        U().ConvertToUncPath(buffer.data(), buffer.size());
        EXPECT_EQ(std::string(buffer.data()), c.result) << c.text;
    }
}

TEST(SnapinUtilitiesTest, TemplateDirectoryFromTheIniElseBesideTheModulesParent) {
    vpr::testing::TempMachine machine;
    ASSERT_TRUE(CreateDirectoryA("C:\\PUBLIC", nullptr));
    ASSERT_TRUE(CreateDirectoryA("C:\\PUBLIC\\WIN32", nullptr));
    EXPECT_STREQ(U().GetTemplateDirectory("C:\\PUBLIC\\WIN32\\VPRADM32.DLL"), "C:\\PUBLIC\\VPRLIB\\QMTFILES");
    EXPECT_STREQ(U().GetTemplateDirectory("C:\\VPRADM32.DLL"), "");  // the module's folder has no parent
    EXPECT_STREQ(U().GetTemplateDirectory("VPRADM32.DLL"), "");
    ASSERT_TRUE(WritePrivateProfileStringA("QMTFILES", "Path", "X:\\TEMPLATES", "C:\\PUBLIC\\WIN32\\VPRADMIN.INI"));
    EXPECT_STREQ(U().GetTemplateDirectory("C:\\PUBLIC\\WIN32\\VPRADM32.DLL"), "X:\\TEMPLATES");
}

TEST(SnapinUtilitiesTest, CheckBoxColumnsForFlags0x21AsPainted) {
    vpr::testing::TempMachine machine;
    HWND window = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 100, 20, nullptr, nullptr, nullptr,
                                  nullptr);
    ASSERT_TRUE(window);
    HDC dc = GetDC(window);
    RECT all{0, 0, 100, 20};
    HBRUSH grey = CreateSolidBrush(RGB(0, 128, 0));
    FillRect(dc, &all, grey);
    CRefItem row("app.acme", 0, 0);
    row.SetFlags(0x21);
    DRAWITEMSTRUCT item{};
    item.hDC = dc;
    item.rcItem = RECT{0, 0, 100, 13};
    item.itemData = reinterpret_cast<ULONG_PTR>(&row);
    U().DrawCheckBoxColumns(window, &item, TRUE);
    // Each box is 13 pixels wide: its mark at (x+6, 7), its corner transparent.
    std::string marks;
    for (int box = 0; box < 5; ++box) {
        COLORREF mark = vpr::user::WindowPixel(window, box * 13 + 6, 7);
        marks += mark == RGB(0, 0, 0) ? 'x' : mark == RGB(255, 255, 255) ? 'o' : '?';
        EXPECT_EQ(vpr::user::WindowPixel(window, box * 13, 0), RGB(0, 128, 0)) << box;
    }
    EXPECT_EQ(marks, "oxoox");  // 0x2 clear, 0x1 set, 0x4 clear, 0x8 clear, 0x20 set
    ReleaseDC(window, dc);
    DeleteObject(grey);
    DestroyWindow(window);
}

TEST(SnapinUtilitiesTest, CopyFileContentsStopsAtAFailedReadOrAShortWrite) {
    std::vector<uint8_t> bytes(2500);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 7);
    struct Case {
        const char* name;
        uint64_t failReadsAfter;
        uint64_t capacity;
        BOOL result;
    } cases[] = {
        {"whole", vpr::win::MemoryFile::kUnlimited, vpr::win::MemoryFile::kUnlimited, TRUE},
        {"read fails", 1024, vpr::win::MemoryFile::kUnlimited, FALSE},
        {"disk full", vpr::win::MemoryFile::kUnlimited, 2000, FALSE},
    };
    for (const Case& c : cases) {
        auto source = std::make_shared<vpr::win::MemoryFile>(bytes);
        auto target = std::make_shared<vpr::win::MemoryFile>();
        source->FailReadsAfter(c.failReadsAfter);
        target->SetCapacity(c.capacity);
        HFILE in = vpr::win::MemoryFile::Open(source), out = vpr::win::MemoryFile::Open(target);
        EXPECT_EQ(U().CopyFileContents(in, out), c.result) << c.name;
        _lclose(in);
        _lclose(out);
        if (c.result) EXPECT_EQ(target->Contents(), bytes);
        else EXPECT_LE(target->Contents().size(), 2000u) << c.name;  // never a block of garbage
    }
}

TEST(SnapinUtilitiesTest, ValueToStringEndsAtAnInnerZero) {
    unsigned char bytes[] = {'a', 'b', 0, 'c', 'd'};
    DirOctetString inner{5, bytes};
    EXPECT_STREQ(U().ValueToString(&inner), "ab");
    DirOctetString whole{2, bytes};
    EXPECT_STREQ(U().ValueToString(&whole), "ab");
    DirOctetString none{0, nullptr};
    EXPECT_STREQ(U().ValueToString(&none), "");
}

TEST(SnapinUtilitiesTest, CompareNoCaseAndFormatsOfTime) {
    EXPECT_EQ(U().CompareNoCase("Word", "WORD"), 0);
    EXPECT_NE(U().CompareNoCase("Word", "Excel"), 0);
    EXPECT_EQ(U().CompareNoCase(nullptr, "x"), -1);
    EXPECT_FALSE(U().FormatDate(0).IsEmpty());
    EXPECT_LE(U().FormatTime(0).GetLength(), 30);
}

// The Select Directory dialog as a script's `folder` answers it.
TEST(SelectDirectoryDlgTest, AnswersTheFolderAScriptGoesTo) {
    vpr::testing::TempMachine machine;
    ASSERT_TRUE(CreateDirectoryA("C:\\APPS", nullptr));
    std::istringstream script("folder C:\\APPS\nselect\nfolder\nselect\nfolder C:\\\nselect\n");
    std::ostringstream out;
    vpr::script::ScriptSession session(script, out);
    session.AddCommand("select", {[&](const vpr::script::Line&) {
                                      CSelectDirectoryDlg dialog;
                                      dialog.SetInitialDirectory("C:\\");
                                      INT_PTR result = dialog.DoModal();
                                      out << "chose " << result << " " << static_cast<LPCSTR>(dialog.GetPath()) << "\n";
                                  },
                                  true, false});
    EXPECT_EQ(session.Run(), 0) << out.str();
    EXPECT_EQ(out.str(),
              "folder C:\\APPS\n"
              "chose 1 C:\\APPS\n"
              "folder dialog \"Select Directory\" cancelled\n"
              "chose 0 \n"
              "folder C:\\\n"
              "chose 1 C:\\\n");
}

// Files and folders of the machine's network volumes through the host's
// browse dialog, handed back as UNC paths.
TEST(SnapinBrowseTest, FilesAndFoldersOfANetworkVolumeComeBackAsUncPaths) {
    vpr::testing::TempMachine machine;
    vpr::testing::TempTree tree;
    tree.Org("acme").User("admin.acme").LogIn("admin.acme");
    std::string share = machine.root() + "/server";
    ASSERT_TRUE(CreateDirectoryA(("Z:" + share).c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(("Z:" + share + "/APPS").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(("Z:" + share + "/APPS/WORD").c_str(), nullptr));
    for (const char* file : {"/APPS/WORD.EXE", "/README.TXT"}) {
        HANDLE made = CreateFileA(("Z:" + share + file).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
        ASSERT_NE(made, INVALID_HANDLE_VALUE);
        CloseHandle(made);
    }
    vpr::machine::Machine facts;
    std::string error;
    ASSERT_TRUE(vpr::machine::LoadMachine(machine.root(), &facts, &error)) << error;
    ASSERT_TRUE(vpr::machine::SetMachineFact(&facts, "unc.\\\\SRV1\\SYS", share, &error)) << error;
    ASSERT_TRUE(facts.Save(&error) && vpr::machine::ReloadMachine(&error)) << error;

    vpr::adminhost::AdminHost host;
    ASSERT_EQ(host.Start(), 0);
    vpr::user::UiDriver driver;
    using Texts = std::vector<std::string>;
    auto rows = [](HWND dialog) {
        Texts texts;
        HWND list = GetDlgItem(dialog, vpr::adminhost::IDC_BROWSE_LIST);
        for (LRESULT i = 0, n = SendMessageA(list, LB_GETCOUNT, 0, 0); i < n; ++i) {
            char text[MAX_PATH] = {};
            SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
            texts.push_back(text);
        }
        return texts;
    };
    namespace ui = vpr::user::ui;
    const int list = vpr::adminhost::IDC_BROWSE_LIST;
    driver.OnDialog(vpr::adminhost::kBrowseDialogId, [&](const vpr::user::ModalElement& browse) {
        EXPECT_EQ(rows(browse.window), Texts{"SRV1/SYS:"});
        ui::DoubleClickRow(browse.window, list, 0);
        EXPECT_EQ(rows(browse.window), (Texts{"APPS", "README.TXT"}));
        ui::DoubleClickRow(browse.window, list, 0);
        EXPECT_EQ(rows(browse.window), (Texts{"WORD", "WORD.EXE"}));
        ui::SelectRow(browse.window, list, 1);
        ui::Click(browse.window, IDOK);
    });
    CString path, context;
    EXPECT_TRUE(U().BrowseFile(nullptr, path, context));
    EXPECT_STREQ(path, "\\\\SRV1\\SYS\\APPS\\WORD.EXE");
    EXPECT_STREQ(context, "SRV1/SYS:APPS");

    // The next browse starts where this one ended; folders only.
    driver.OnDialog(vpr::adminhost::kBrowseDialogId, [&](const vpr::user::ModalElement& browse) {
        EXPECT_EQ(rows(browse.window), Texts{"WORD"});
        ui::SelectRow(browse.window, list, 0);
        ui::Click(browse.window, IDOK);
    });
    EXPECT_TRUE(U().BrowseDirectory(nullptr, path, context));
    EXPECT_STREQ(path, "\\\\SRV1\\SYS\\APPS\\WORD");

    driver.OnDialog(vpr::adminhost::kBrowseDialogId,
                    [&](const vpr::user::ModalElement& browse) { ui::Click(browse.window, IDCANCEL); });
    EXPECT_FALSE(U().BrowseDirectory(nullptr, path, context));
    EXPECT_STREQ(path, "\\\\SRV1\\SYS\\APPS\\WORD");
    EXPECT_TRUE(driver.Failures().empty());
    host.Stop();
}

}  // namespace
