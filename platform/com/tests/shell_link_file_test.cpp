#include <gtest/gtest.h>

#include <fstream>

#include "vpr/com/guid.h"
#include "vpr/com/shell_link_file.h"
#include "vpr/testing/temp_machine.h"

using namespace vpr::com;

namespace {

// {5B2D7E10-4C3A-11d0-9E61-00A0C9D4F27B}, a name space of an extension.
constexpr GUID kNameSpace = {0x5B2D7E10, 0x4C3A, 0x11D0, {0x9E, 0x61, 0x00, 0xA0, 0xC9, 0xD4, 0xF2, 0x7B}};

IdListBytes KeyItemList(const std::string& key) {
    IdListBytes item(key.size() + 3, 0);
    item[0] = static_cast<uint8_t>(key.size() + 3);
    std::copy(key.begin(), key.end(), item.begin() + 2);
    item.push_back(0);
    item.push_back(0);
    return item;
}

ShellLink EveryField() {
    ShellLink link;
    link.otherFlags = 0x00000200;  // a flag the codec does not interpret
    link.fileAttributes = 0x20;
    link.creationTime = 0x01BC0000AABBCCDDull;
    link.accessTime = 2;
    link.writeTime = 3;
    link.fileSize = 4096;
    link.iconIndex = -3;
    link.showCommand = 7;
    link.hotKey = 0x0641;
    link.idList = ConcatIdLists(NameSpaceIdList(kNameSpace), KeyItemList("Personal\tGames"));
    link.linkInfo = ShellLinkInfo{3, 0x12345678, "DISK", "C:\\TOOLS\\EDIT.EXE", ""};
    link.name = "Edits \xC3\xA9 text";
    link.relativePath = "..\\TOOLS\\EDIT.EXE";
    link.workingDirectory = "C:\\TOOLS";
    link.arguments = "/r file.txt";
    link.iconLocation = "C:\\TOOLS\\EDIT.ICO";
    link.extraBlocks = {{0xA0000003, std::vector<uint8_t>(88, 0x11)}, {0x12345678, {1, 2, 3, 4}}};
    return link;
}

uint32_t U32At(const std::vector<uint8_t>& bytes, size_t at) {
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | static_cast<uint32_t>(bytes[at + 3]) << 24;
}

TEST(ShellLinkFile, EveryFieldComesBackAndTheHeaderIsThePublicOne) {
    ShellLink link = EveryField();
    std::vector<uint8_t> bytes = EncodeShellLink(link);
    EXPECT_EQ(U32At(bytes, 0), 76u);
    const uint8_t clsid[16] = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                               0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
    EXPECT_TRUE(std::equal(clsid, clsid + 16, bytes.begin() + 4));
    EXPECT_EQ(U32At(bytes, 20), 0x2FFu);  // every presence flag, Unicode and the kept flag
    EXPECT_EQ(U32At(bytes, bytes.size() - 4), 0u);  // the terminal block

    ShellLink back;
    std::string error;
    ASSERT_TRUE(DecodeShellLink(bytes.data(), bytes.size(), &back, &error)) << error;
    EXPECT_EQ(back, link);

    // Fields left out stay out: no flag, nothing read back.
    ShellLink bare;
    bytes = EncodeShellLink(bare);
    EXPECT_EQ(bytes.size(), 80u);
    ASSERT_TRUE(DecodeShellLink(bytes.data(), bytes.size(), &back, &error)) << error;
    EXPECT_EQ(back, bare);
}

// A file as another writer makes it: ANSI strings, link information only,
// an unknown block, no identifier list.
TEST(ShellLinkFile, HandMadeAnsiFileWithLinkInfoAndAnUnknownBlockReads) {
    std::vector<uint8_t> f = {0x4C, 0, 0, 0, 0x01, 0x14, 0x02, 0, 0, 0, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46};
    auto u32 = [&](uint32_t v) { for (int i = 0; i < 4; ++i) f.push_back(static_cast<uint8_t>(v >> (8 * i))); };
    u32(0x02 | 0x04 | 0x20);  // link info, name, arguments; ANSI
    f.resize(76, 0);
    f[60] = 1;  // show command
    // Link information: header 0x1C, volume at 0x1C, base path after it.
    std::string path = "C:\\APPS\\RUN.BAT";
    uint32_t volumeSize = 0x10 + 1;
    uint32_t total = 0x1C + volumeSize + static_cast<uint32_t>(path.size()) + 1 + 1;
    u32(total); u32(0x1C); u32(1); u32(0x1C); u32(0x1C + volumeSize); u32(0); u32(total - 1);
    u32(volumeSize); u32(3); u32(0xCAFE); u32(0x10); f.push_back(0);
    f.insert(f.end(), path.begin(), path.end()); f.push_back(0);
    f.push_back(0);  // empty suffix
    std::string name = "Run it", args = "-x";
    f.push_back(static_cast<uint8_t>(name.size())); f.push_back(0); f.insert(f.end(), name.begin(), name.end());
    f.push_back(static_cast<uint8_t>(args.size())); f.push_back(0); f.insert(f.end(), args.begin(), args.end());
    u32(12); u32(0xA0000099); u32(0xDEADBEEF);  // an unknown block
    u32(0);

    ShellLink link;
    std::string error;
    ASSERT_TRUE(DecodeShellLink(f.data(), f.size(), &link, &error)) << error;
    EXPECT_TRUE(link.idList.empty());
    ASSERT_TRUE(link.linkInfo);
    EXPECT_EQ(link.linkInfo->localBasePath, path);
    EXPECT_EQ(link.linkInfo->driveSerialNumber, 0xCAFEu);
    EXPECT_EQ(link.name, "Run it");
    EXPECT_EQ(link.arguments, "-x");
    EXPECT_FALSE(link.workingDirectory);
    ASSERT_EQ(link.extraBlocks.size(), 1u);
    EXPECT_EQ(link.extraBlocks[0].signature, 0xA0000099u);
    EXPECT_EQ(ShellLinkTargetPath(link), path);
}

TEST(ShellLinkFile, MalformedFilesAreRefused) {
    ShellLink link;
    link.idList = KeyItemList("abc");
    link.name = "n";
    std::vector<uint8_t> good = EncodeShellLink(link);
    const size_t listAt = 78;  // after the list's u16 size
    struct Case {
        const char* what;
        std::function<void(std::vector<uint8_t>&)> spoil;
    };
    const Case cases[] = {
        {"item count 1", [](auto& b) { b[listAt] = 1; }},
        {"item past the list", [](auto& b) { b[listAt] = 40; }},
        {"list size past the file", [](auto& b) { b[76] = 0xFF; b[77] = 0x7F; }},
        {"no terminator in the list", [](auto& b) { b[76] = 6; }},
        {"string past the file", [](auto& b) { b.erase(b.end() - 6, b.end()); }},
        {"cut header", [](auto& b) { b.erase(b.begin() + 40, b.end()); }},
        {"wrong class", [](auto& b) { b[4] ^= 1; }},
        {"block past the file", [](auto& b) { b[b.size() - 4] = 0x40; }},
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> bytes = good;
        c.spoil(bytes);
        ShellLink out;
        std::string error;
        EXPECT_FALSE(DecodeShellLink(bytes.data(), bytes.size(), &out, &error)) << c.what;
        EXPECT_FALSE(error.empty()) << c.what;
    }
    ShellLink out;
    std::string error;
    EXPECT_TRUE(DecodeShellLink(good.data(), good.size(), &out, &error)) << error;
}

TEST(ShellLinkFile, APathTargetCarriesItsListAndLinkInfoThroughAFile) {
    vpr::testing::TempMachine machine;
    { std::ofstream(machine.HostPath("C:\\WINDOWS\\NOTEPAD.EXE")) << "program"; }
    ShellLink link = ShellLinkToPath("c:\\windows\\notepad.exe");
    link.arguments = "readme.txt";
    ASSERT_TRUE(link.linkInfo);
    EXPECT_EQ(link.linkInfo->localBasePath, "C:\\WINDOWS\\NOTEPAD.EXE");
    EXPECT_EQ(link.fileSize, 7u);
    EXPECT_EQ(IdListText(reinterpret_cast<LPCITEMIDLIST>(link.idList.data())), "C:\\WINDOWS\\NOTEPAD.EXE");

    std::string error;
    ASSERT_TRUE(WriteShellLinkFile("C:\\WINDOWS\\Desktop\\Notepad.lnk", link, &error)) << error;
    ShellLink back;
    ASSERT_TRUE(ReadShellLinkFile("C:\\WINDOWS\\DESKTOP\\NOTEPAD.LNK", &back, &error)) << error;
    EXPECT_EQ(back, link);
    EXPECT_EQ(ShellLinkTargetPath(back), "C:\\WINDOWS\\NOTEPAD.EXE");
    EXPECT_FALSE(ReadShellLinkFile("C:\\WINDOWS\\Desktop\\Missing.lnk", &back, &error));
}

}  // namespace
