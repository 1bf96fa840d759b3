#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kmqmt32.h"
#include "vpr/com/shell_link_file.h"
#include "vpr/testing/temp_machine.h"

namespace {

// A shortcut to `program` with every field set, written where Windows keeps it.
void WriteShortcut(const std::string& path, const std::string& program, const std::string& arguments) {
    vpr::com::ShellLink link = vpr::com::ShellLinkToPath(program);
    link.arguments = arguments;
    link.name = "Runs " + program;
    link.workingDirectory = "C:\\WORK";
    link.iconLocation = "C:\\ICONS\\APP.ICO";
    link.iconIndex = 3;
    link.showCommand = 7;
    std::string error;
    ASSERT_TRUE(vpr::com::WriteShellLinkFile(path, link, &error)) << error;
}

// Each group as "name: item|program|arguments|icon|index|dir|show; ...".
std::vector<std::string> Describe(const KMAPP_GROUP* head) {
    std::vector<std::string> lines;
    for (const KMAPP_GROUP* group = head; group; group = group->next) {
        std::string line = std::string(group->name) + ":";
        for (const KMAPP_GROUP_ITEM* item = group->items; item; item = item->next)
            line += std::string(" ") + item->text3 + "|" + item->text1 + "|" + item->text2 + "|" + item->text4 + "|" +
                    std::to_string(item->integer1) + "|" + item->text5 + "|" + std::to_string(item->integer2) + ";";
        lines.push_back(line);
    }
    return lines;
}

TEST(GroupListTest, FoldersOfTheProgramsMenusAreGroupsAndTheirShortcutsItems) {
    vpr::testing::TempMachine machine(vpr::machine::Platform::NT4, "alice");
    const std::string programs = "C:\\WINDOWS\\Profiles\\alice\\Start Menu\\Programs";
    const std::string common = "C:\\WINDOWS\\Profiles\\All Users\\Start Menu\\Programs";
    for (const std::string& folder : {programs + "\\Tools", programs + "\\Tools\\More", common, common + "\\Shared"})
        CreateDirectoryA(folder.c_str(), nullptr);
    WriteShortcut(programs + "\\Tools\\Editor.lnk", "C:\\APPS\\EDIT.EXE", "/n");
    WriteShortcut(programs + "\\Tools\\Calc.lnk", "C:\\APPS\\CALC.EXE", "");
    WriteShortcut(programs + "\\Loose.lnk", "C:\\APPS\\LOOSE.EXE", "");  // in no folder: no group
    WriteShortcut(common + "\\Shared\\Viewer.lnk", "C:\\APPS\\VIEW.EXE", "a b");
    HANDLE other = CreateFileA((programs + "\\Tools\\readme.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    CloseHandle(other);
    HANDLE broken = CreateFileA((programs + "\\Tools\\Broken.lnk").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    CloseHandle(broken);  // an empty file is no shortcut

    KMAPP_GROUP* head = KMAPPGetGroupList();
    EXPECT_EQ(Describe(head), (std::vector<std::string>{
                                  "StartUp:",  // every new machine's
                                  "Tools: Calc|C:\\APPS\\CALC.EXE||C:\\ICONS\\APP.ICO|3|C:\\WORK|7; "
                                  "Editor|C:\\APPS\\EDIT.EXE|/n|C:\\ICONS\\APP.ICO|3|C:\\WORK|7;",
                                  "Tools\\More:",
                                  "Shared: Viewer|C:\\APPS\\VIEW.EXE|a b|C:\\ICONS\\APP.ICO|3|C:\\WORK|7;",
                              }));
    KMAPPFreeGetGroupList(head);
    KMAPPFreeGetGroupList(nullptr);
}

TEST(GroupListTest, Windows95ListsItsOneMenuOnce) {
    vpr::testing::TempMachine machine(vpr::machine::Platform::Win95, "bob");
    CreateDirectoryA("C:\\WINDOWS\\Start Menu\\Programs\\Games", nullptr);
    KMAPP_GROUP* head = KMAPPGetGroupList();
    EXPECT_EQ(Describe(head), (std::vector<std::string>{"Games:", "StartUp:"}));
    KMAPPFreeGetGroupList(head);
}

TEST(ShellLinkInfoTest, FillsTheBlockInItsOrderAndEmptiesItOnFailure) {
    vpr::testing::TempMachine machine(vpr::machine::Platform::Win95);
    WriteShortcut("C:\\LINK.LNK", "C:\\APPS\\EDIT.EXE", std::string(300, 'x'));
    KMAPP_SHELL_LINK_INFO block;
    ASSERT_EQ(KMAPPGetShellLinkInfo("C:\\LINK.LNK", &block), 0);
    EXPECT_STREQ(block.description, "Runs C:\\APPS\\EDIT.EXE");
    EXPECT_STREQ(block.program, "C:\\APPS\\EDIT.EXE");
    EXPECT_EQ(std::string(block.arguments), std::string(KMQMT_LINK_TEXT_SIZE - 1, 'x'));  // cut, terminated
    EXPECT_STREQ(block.workingDirectory, "C:\\WORK");
    EXPECT_STREQ(block.iconFile, "C:\\ICONS\\APP.ICO");
    EXPECT_EQ(block.iconIndex, 3);
    EXPECT_EQ(block.showCommand, 7);

    HANDLE file = CreateFileA("C:\\NOTALINK.LNK", GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, "plain text", 10, &written, nullptr);
    CloseHandle(file);
    EXPECT_EQ(KMAPPGetShellLinkInfo("C:\\NOTALINK.LNK", &block), ERROR_INVALID_DATA);
    EXPECT_STREQ(block.program, "");
    EXPECT_EQ(block.iconIndex, 0);
    EXPECT_EQ(KMAPPGetShellLinkInfo("C:\\MISSING.LNK", &block), ERROR_FILE_NOT_FOUND);
    EXPECT_STREQ(block.description, "");
}

}  // namespace
