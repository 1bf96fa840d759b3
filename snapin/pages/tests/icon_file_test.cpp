// Icons read from files: the test program's own icon groups, icon files, and
// files that carry none or carry damaged ones.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "icon_test_files.h"
#include "snapin/pages/icon_file.h"
#include "vpr/testing/temp_machine.h"
#include "vpr/win/module.h"
#include "vpr/win/resource_format.h"

using namespace icon_test;

namespace {

class IconFileTest : public ::testing::Test {
protected:
    // Writes a module file that carries the given resources.
    std::string WriteModule(const std::string& name, const std::vector<vpr::win::ResourceEntry>& entries) {
        std::string path = "C:\\" + name;
        WriteBytes(machine_, path, {0x7F, 'E', 'L', 'F', 1, 2, 3});
        EXPECT_EQ(vpr::win::WriteModuleContainer(machine_.HostPath(path), vpr::win::EncodeContainer(entries)), 0u);
        return path;
    }
    int Image(const std::string& file, int index, std::vector<uint8_t>* bytes) {
        bytes->assign(kIconImageBufferSize, 0);
        int length = BuildIconFileImage(nullptr, file.c_str(), index, bytes->data());
        bytes->resize(static_cast<size_t>(length));
        return length;
    }

    vpr::testing::TempMachine machine_;
};

TEST_F(IconFileTest, BuiltModuleListsItsGroupsAndHandsThemBackAsIconFiles) {
    std::string program = ProgramPath();
    IconResourceTable table;
    ASSERT_TRUE(FindIconResources(program.c_str(), &table));
    ASSERT_EQ(table.groups.size(), 3u);  // colours, 16x16 monochrome, 48x48
    ASSERT_EQ(table.images.size(), 4u);
    EXPECT_EQ(IconGroupCount(nullptr, program.c_str()), 3);

    EXPECT_EQ(IconSize(ExtractIconFromFile(nullptr, program.c_str(), 0)), 32);
    EXPECT_EQ(IconSize(ExtractIconFromFile(nullptr, program.c_str(), 1)), 16);
    EXPECT_EQ(ExtractIconFromFile(nullptr, program.c_str(), 2), nullptr);  // 48x48 is no icon size
    EXPECT_EQ(ExtractIconFromFile(nullptr, program.c_str(), 3), nullptr);

    std::vector<uint8_t> image;
    ASSERT_GT(Image(program, 0, &image), 0);
    ASSERT_EQ(U16(image, 0), 0);
    ASSERT_EQ(U16(image, 2), 1);
    ASSERT_EQ(U16(image, 4), 2);
    size_t offset = 6 + 2 * 16;
    for (int i = 0; i < 2; ++i) {
        const uint8_t* entry = image.data() + 6 + 16 * i;
        const auto& source = table.images[static_cast<size_t>(i)].data;
        EXPECT_EQ(entry[0], i == 0 ? 32 : 16);
        EXPECT_EQ(entry[1], i == 0 ? 32 : 16);
        EXPECT_EQ(entry[2], 16);
        EXPECT_EQ(U16(image, 6 + 16 * i + 4), 0);  // planes and bit count are left 0
        EXPECT_EQ(U32(image, 6 + 16 * i + 8), source.size());
        EXPECT_EQ(U32(image, 6 + 16 * i + 12), offset);
        EXPECT_EQ(std::vector<uint8_t>(image.begin() + static_cast<long>(offset),
                                       image.begin() + static_cast<long>(offset + source.size())),
                  source);
        offset += source.size();
    }
    EXPECT_EQ(image.size(), offset);
    // The group whose image cannot be shown is still handed back whole.
    ASSERT_GT(Image(program, 2, &image), 0);
    EXPECT_EQ(U16(image, 4), 1);
    EXPECT_EQ(image[6], 48);
}

TEST_F(IconFileTest, IconFilesHoldOneIconAndAreHandedBackWhole) {
    std::vector<uint8_t> file = IcoFile({DibImage(32, 4), DibImage(16, 4)});
    for (const char* name : {"C:\\APP.ICO", "C:\\app.Icon"}) {
        SCOPED_TRACE(name);
        WriteBytes(machine_, name, file);
        EXPECT_TRUE(IsIconFile(nullptr, name));
        EXPECT_EQ(IconGroupCount(nullptr, name), 1);
        EXPECT_EQ(IconSize(ExtractIconFromFile(nullptr, name, 0)), 32);
        std::vector<uint8_t> image;
        EXPECT_EQ(Image(name, 0, &image), static_cast<int>(file.size()));
        EXPECT_EQ(image, file);
    }

    // 32768 bytes and more: the icon shows, no image is handed back.
    std::vector<uint8_t> big = IcoFile(std::vector<std::vector<uint8_t>>(6, DibImage(64, 8)));
    ASSERT_GE(big.size(), 32768u);
    WriteBytes(machine_, "C:\\BIG.ICO", big);
    EXPECT_NE(ExtractIconFromFile(nullptr, "C:\\BIG.ICO", 0), nullptr);
    std::vector<uint8_t> image;
    EXPECT_EQ(Image("C:\\BIG.ICO", 0, &image), 0);

    // A cut icon file is not an icon file, and carries no resources either.
    WriteBytes(machine_, "C:\\CUT.ICO", std::vector<uint8_t>(file.begin(), file.begin() + 300));
    EXPECT_FALSE(IsIconFile(nullptr, "C:\\CUT.ICO"));
    EXPECT_EQ(IconGroupCount(nullptr, "C:\\CUT.ICO"), 0);
    EXPECT_EQ(ExtractIconFromFile(nullptr, "C:\\CUT.ICO", 0), nullptr);
    EXPECT_EQ(Image("C:\\CUT.ICO", 0, &image), 0);
    // Without a full stop a name is never an icon file.
    WriteBytes(machine_, "C:\\APPICO", file);
    EXPECT_FALSE(IsIconFile(nullptr, "C:\\APPICO"));
}

TEST_F(IconFileTest, FilesWithoutIconsOrWithDamagedOnesGiveNothing) {
    using vpr::win::ResourceEntry;
    using vpr::win::ResourceId;
    auto group = [](uint16_t type, uint16_t count, size_t entries, uint16_t imageId) {
        std::vector<uint8_t> g = {0, 0, static_cast<uint8_t>(type), static_cast<uint8_t>(type >> 8),
                                  static_cast<uint8_t>(count), static_cast<uint8_t>(count >> 8)};
        for (size_t i = 0; i < entries; ++i) {
            uint8_t e[14] = {16, 16, 16, 0, 1, 0, 4, 0, 0, 0, 0, 0, static_cast<uint8_t>(imageId),
                             static_cast<uint8_t>(imageId >> 8)};
            g.insert(g.end(), e, e + 14);
        }
        return ResourceEntry{ResourceId::Number(vpr::win::kResGroupIcon), ResourceId::Number(1), g};
    };
    ResourceEntry icon{ResourceId::Number(vpr::win::kResIcon), ResourceId::Number(1), DibImage(16, 4)};
    ResourceEntry strings{ResourceId::Number(vpr::win::kResString), ResourceId::Number(1),
                          vpr::win::EncodeStringBlock({"x"})};
    struct Case {
        const char* what;
        std::vector<ResourceEntry> entries;
        int groups;
        bool icon;
    };
    const Case cases[] = {
        {"no icons", {strings}, 0, false},
        {"group of another type", {group(2, 1, 1, 1), icon}, 1, false},
        {"cut group table", {group(1, 3, 1, 1), icon}, 1, false},
        {"image missing", {group(1, 1, 1, 7), icon}, 1, false},
        // The icon shows; its directory alone would not fit an image.
        {"more entries than an image holds", {group(1, 0xFFFF, 0xFFFF, 1), icon}, 1, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string file = WriteModule("CASE.DLL", c.entries);
        EXPECT_EQ(IconGroupCount(nullptr, file.c_str()), c.groups);
        EXPECT_EQ(IconSize(ExtractIconFromFile(nullptr, file.c_str(), 0)), c.icon ? 16 : 0);
        std::vector<uint8_t> image;
        EXPECT_EQ(Image(file, 0, &image), 0);
    }

    // A plain file, a missing one, a module whose container is damaged.
    WriteBytes(machine_, "C:\\README.TXT", {'h', 'i'});
    EXPECT_EQ(IconGroupCount(nullptr, "C:\\README.TXT"), 0);
    EXPECT_EQ(IconGroupCount(nullptr, "C:\\MISSING.DLL"), 0);
    std::vector<uint8_t> program = ReadBytes(ProgramPath());
    uint64_t containerAt = 0;
    for (int i = 7; i >= 0; --i) containerAt = containerAt << 8 | program[program.size() - 24 + static_cast<size_t>(i)];
    program[containerAt + 20] ^= 0xFF;
    WriteBytes(machine_, "C:\\DAMAGED.EXE", program);
    IconResourceTable table;
    EXPECT_FALSE(FindIconResources("C:\\DAMAGED.EXE", &table));
    EXPECT_TRUE(table.groups.empty());
    EXPECT_EQ(ExtractIconFromFile(nullptr, "C:\\DAMAGED.EXE", 0), nullptr);

    // Beyond 120 groups the rest are dropped.
    std::vector<ResourceEntry> many;
    for (uint16_t i = 1; i <= 130; ++i) {
        ResourceEntry g = group(1, 1, 1, 1);
        g.name = ResourceId::Number(i);
        many.push_back(g);
    }
    many.push_back(icon);
    std::string file = WriteModule("MANY.DLL", many);
    EXPECT_EQ(IconGroupCount(nullptr, file.c_str()), 120);
    EXPECT_EQ(IconSize(ExtractIconFromFile(nullptr, file.c_str(), 119)), 16);
}

TEST(ChooseIconFromGroup, PrefersTheDisplaysSizeAndColoursThenSteps) {
    struct Image {
        uint8_t width, height, colors;
    };
    auto group = [](std::vector<Image> images) {
        std::vector<uint8_t> g = {0, 0, 1, 0, static_cast<uint8_t>(images.size()), 0};
        uint16_t id = 1;
        for (const Image& i : images) {
            uint8_t e[14] = {i.width, i.height, i.colors, 0, 1, 0, 4, 0, 0, 0, 0, 0, static_cast<uint8_t>(id++), 0};
            g.insert(g.end(), e, e + 14);
        }
        return g;
    };
    struct Case {
        const char* what;
        std::vector<Image> images;
        int width, height, colors;
        uint16_t chosen;
    };
    const Case cases[] = {
        {"size and colours", {{32, 32, 16}, {32, 32, 0}}, 32, 32, 256, 2},
        {"fewer colours first", {{16, 16, 0}, {32, 32, 2}}, 32, 32, 256, 2},
        {"then 16x16", {{64, 64, 16}, {16, 16, 16}}, 32, 32, 256, 2},
        {"then 64x64", {{48, 48, 16}, {64, 64, 16}}, 32, 32, 256, 2},
        {"one image of a usual size", {{16, 16, 16}}, 32, 32, 256, 1},
        {"one 48x48 image", {{48, 48, 0}}, 32, 32, 256, 0},
        {"no match: the first when usual", {{64, 32, 16}, {48, 48, 0}}, 32, 32, 16, 1},
        {"no match: nothing else", {{48, 48, 0}, {48, 48, 16}}, 32, 32, 256, 0},
        {"display colours off the cycle", {{48, 48, 0}, {48, 48, 16}}, 32, 32, 32, 0},
        {"system size off the cycle", {{48, 48, 0}, {48, 48, 16}}, 48, 40, 256, 0},
        {"wider than 64", {{128, 32, 16}, {128, 32, 0}}, 128, 32, 256, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(ChooseIconFromGroup(group(c.images), c.width, c.height, c.colors), c.chosen);
    }
    EXPECT_EQ(ChooseIconFromGroup({0, 0, 2, 0, 1, 0}, 32, 32, 256), 0);  // not an icon group
}

}  // namespace
