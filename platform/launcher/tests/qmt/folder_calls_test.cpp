#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "kmqmt32.h"
#include "vpr/testing/temp_machine.h"

namespace {

using FolderCall = BOOL (*)(LPSTR);

struct Folders {
    std::string desktop, commonDesktop, startMenu, commonStartMenu;
};

Folders Ask() {
    char desktop[KMQMT_DIRECTORY_SIZE], commonDesktop[KMQMT_DIRECTORY_SIZE];
    char startMenu[KMQMT_DIRECTORY_SIZE], commonStartMenu[KMQMT_DIRECTORY_SIZE];
    EXPECT_TRUE(kmappGetWinDesktopDir(desktop));
    EXPECT_TRUE(kmappGetCommonWinDesktopDir(commonDesktop));
    EXPECT_TRUE(kmappGetStartMenuDir(startMenu));
    EXPECT_TRUE(kmappGetCommonStartMenuDir(commonStartMenu));
    return {desktop, commonDesktop, startMenu, commonStartMenu};
}

TEST(FolderCallsTest, Windows95AnswersTheUsersFoldersForTheCommonOnes) {
    vpr::testing::TempMachine machine(vpr::machine::Platform::Win95, "alice");
    Folders folders = Ask();
    EXPECT_EQ(folders.desktop, "C:\\WINDOWS\\Desktop");
    EXPECT_EQ(folders.commonDesktop, "C:\\WINDOWS\\Desktop");
    EXPECT_EQ(folders.startMenu, "C:\\WINDOWS\\Start Menu");
    EXPECT_EQ(folders.commonStartMenu, "C:\\WINDOWS\\Start Menu");
}

TEST(FolderCallsTest, NtAnswersTheProfileAndTheAllUsersFolders) {
    vpr::testing::TempMachine machine(vpr::machine::Platform::NT4, "alice");
    Folders folders = Ask();
    EXPECT_EQ(folders.desktop, "C:\\WINDOWS\\Profiles\\alice\\Desktop");
    EXPECT_EQ(folders.commonDesktop, "C:\\WINDOWS\\Profiles\\All Users\\Desktop");
    EXPECT_EQ(folders.startMenu, "C:\\WINDOWS\\Profiles\\alice\\Start Menu");
    EXPECT_EQ(folders.commonStartMenu, "C:\\WINDOWS\\Profiles\\All Users\\Start Menu");
}

TEST(FolderCallsTest, AFolderThatDoesNotFitIsNotGivenAndTheBufferIsNotOverrun) {
    vpr::testing::TempMachine machine(vpr::machine::Platform::NT4, std::string(240, 'u'));
    char buffer[KMQMT_DIRECTORY_SIZE + 16];
    std::memset(buffer, '#', sizeof buffer);
    for (FolderCall call : {&kmappGetWinDesktopDir, &kmappGetStartMenuDir}) {
        EXPECT_FALSE(call(buffer));
        EXPECT_EQ(buffer[0], 0);
        for (size_t i = KMQMT_DIRECTORY_SIZE; i < sizeof buffer; ++i) ASSERT_EQ(buffer[i], '#');
    }
    EXPECT_TRUE(kmappGetCommonWinDesktopDir(buffer));  // the shared profile still fits
}

TEST(FolderCallsTest, WithoutAMachineNothingIsGiven) {
    char buffer[KMQMT_DIRECTORY_SIZE] = "x";
    EXPECT_FALSE(kmappGetWinDesktopDir(buffer));
    EXPECT_EQ(buffer[0], 0);
}

// The snapshot tool binds the library by name: every call it uses is there
// and writes real templates.
TEST(Kmqmt32BindingTest, EveryEntryPointResolvesByName) {
    vpr::testing::TempMachine machine;
    HMODULE library = LoadLibraryA("KMQMT32.DLL");
    ASSERT_NE(library, nullptr);
    for (const char* name :
         {"kmapptCreate", "kmapptOpen", "kmapptClose", "kmapptGetEnv", "kmapptWriteSignature",
          "kmapptGetEntries", "kmapptFreeEntries", "kmapptWriteFileEntry", "kmapptWriteDirEntry",
          "kmapptWriteIdentEntry", "kmapptWriteSectionEntry", "kmapptWriteValueEntry",
          "kmapptWriteKeyEntry", "kmapptWriteBaseString", "kmapptWriteBaseValue", "kmapptWriteMacroEntry",
          "kmapptWriteTextAddEntry", "kmapptWriteTextFindEntry", "kmapptWritePMGroupEntry",
          "kmapptWriteUserIconEntry", "kmappGetWinDesktopDir", "kmappGetCommonWinDesktopDir",
          "kmappGetStartMenuDir", "kmappGetCommonStartMenuDir"})
        EXPECT_NE(GetProcAddress(library, name), nullptr) << name;

    auto create = reinterpret_cast<decltype(&kmapptCreate)>(GetProcAddress(library, "kmapptCreate"));
    auto write = reinterpret_cast<decltype(&kmapptWriteDirEntry)>(GetProcAddress(library, "kmapptWriteDirEntry"));
    auto get = reinterpret_cast<decltype(&kmapptGetEntries)>(GetProcAddress(library, "kmapptGetEntries"));
    auto free = reinterpret_cast<decltype(&kmapptFreeEntries)>(GetProcAddress(library, "kmapptFreeEntries"));
    HFILE file = HFILE_ERROR;
    ASSERT_EQ(create("C:\\TEST.QMT", &file), 0);
    EXPECT_EQ(write(file, 1, 1, "C:\\APP"), 0);
    EntryList* list = nullptr;
    ASSERT_EQ(get(file, 0, 1, &list), 0);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->kind, 2u);
    EXPECT_EQ(list->next, nullptr);
    free(list);
    _lclose(file);
    FreeLibrary(library);
}

}  // namespace
