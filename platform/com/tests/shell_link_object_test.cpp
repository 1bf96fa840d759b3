#include <gtest/gtest.h>

#include <fstream>

#include "shlobj.h"
#include "vpr/com/shell_link_file.h"
#include "vpr/com/servers.h"
#include "vpr/com/task_allocator.h"
#include "vpr/locale/locale.h"
#include "vpr/testing/temp_machine.h"

using namespace vpr::com;

namespace {

class ShellLinkObject : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(CoInitialize(nullptr), S_OK);
        ASSERT_EQ(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&link_)),
                  S_OK);
        ASSERT_EQ(link_->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file_)), S_OK);
    }
    void TearDown() override {
        if (file_) file_->Release();
        if (link_) link_->Release();
        CoFreeUnusedLibraries();
        EXPECT_TRUE(LoadedServers().empty());  // no object left: the module went
        CoUninitialize();
    }
    HRESULT Load(const std::string& path) { return file_->Load(vpr::locale::ToWide(path).c_str(), 0); }

    vpr::testing::TempMachine machine_;
    IShellLinkA* link_ = nullptr;
    IPersistFile* file_ = nullptr;
};

TEST_F(ShellLinkObject, SavesInThePublicFormatAndLoadsBack) {
    { std::ofstream(machine_.HostPath("C:\\WINDOWS\\NOTEPAD.EXE")) << "x"; }
    ASSERT_EQ(link_->SetPath("C:\\WINDOWS\\NOTEPAD.EXE"), S_OK);
    link_->SetArguments("readme.txt");
    link_->SetDescription("Edit the readme");
    link_->SetIconLocation("C:\\WINDOWS\\NOTEPAD.EXE", 2);
    EXPECT_EQ(file_->IsDirty(), S_OK);
    ASSERT_EQ(file_->Save(u"C:\\WINDOWS\\Desktop\\Notes.lnk", TRUE), S_OK);

    ShellLink read;
    std::string error;
    ASSERT_TRUE(ReadShellLinkFile("C:\\WINDOWS\\Desktop\\Notes.lnk", &read, &error)) << error;
    EXPECT_EQ(ShellLinkTargetPath(read), "C:\\WINDOWS\\NOTEPAD.EXE");
    EXPECT_EQ(read.arguments, "readme.txt");
    EXPECT_EQ(read.iconIndex, 2);

    IShellLinkA* other = nullptr;
    ASSERT_EQ(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                               reinterpret_cast<void**>(&other)),
              S_OK);
    IPersistFile* otherFile = nullptr;
    other->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&otherFile));
    ASSERT_EQ(otherFile->Load(u"C:\\WINDOWS\\DESKTOP\\NOTES.LNK", 0), S_OK);
    char text[8];
    EXPECT_EQ(other->GetDescription(text, sizeof(text)), S_OK);
    EXPECT_STREQ(text, "Edit th");  // cut to the buffer and terminated
    char path[MAX_PATH];
    EXPECT_EQ(other->GetPath(path, MAX_PATH, nullptr, 0), S_OK);
    EXPECT_STREQ(path, "C:\\WINDOWS\\NOTEPAD.EXE");
    otherFile->Release();
    other->Release();
}

// A list read from a file is handed out whole, with 16 zero bytes after its
// terminator; a file whose list is malformed is refused.
TEST_F(ShellLinkObject, GetIDListHandsOutCheckedListsOnly) {
    ShellLink link;
    link.idList = {4, 0, 'k', 0, 0, 0};  // one short item
    std::string error;
    ASSERT_TRUE(WriteShellLinkFile("C:\\WINDOWS\\Desktop\\short.lnk", link, &error));
    ASSERT_EQ(Load("C:\\WINDOWS\\Desktop\\short.lnk"), S_OK);
    size_t before = LiveTaskBlocks();
    LPITEMIDLIST list = nullptr;
    ASSERT_EQ(link_->GetIDList(&list), S_OK);
    IMalloc* malloc = nullptr;
    SHGetMalloc(&malloc);
    EXPECT_EQ(malloc->GetSize(list), 6u + 16u);
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(list);
    for (size_t i = 4; i < 20; ++i) EXPECT_EQ(bytes[i], 0) << i;
    malloc->Free(list);
    malloc->Release();
    EXPECT_EQ(LiveTaskBlocks(), before);

    std::vector<uint8_t> bytesOnDisk = EncodeShellLink(link);
    bytesOnDisk[78] = 1;  // an item count of 1
    { std::ofstream(machine_.HostPath("C:\\WINDOWS\\Desktop\\bad.lnk"), std::ios::binary)
          .write(reinterpret_cast<const char*>(bytesOnDisk.data()), bytesOnDisk.size()); }
    EXPECT_EQ(Load("C:\\WINDOWS\\Desktop\\bad.lnk"), E_FAIL);
    EXPECT_EQ(Load("C:\\WINDOWS\\Desktop\\missing.lnk"), E_FAIL);
}

}  // namespace
