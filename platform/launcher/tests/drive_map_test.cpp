#include "kmapp32.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(DriveMapTest, BuiltTextsParseBackToTheirParts) {
    struct Case {
        DWORD flags;
        const char* drive;
        std::string path;
    } cases[] = {
        {0x00, "G:", "\\\\SERVER\\SYS\\APPS"},
        {0x08, "", "\\\\SERVER\\VOL1"},
        {0x06, "S:", "\\\\SERVER\\SYS\\PUBLIC"},
        {0x01, "Z:", "X"},
        {0x0D, "", std::string(255, 'p')},  // the longest path the page allows
    };
    for (const Case& c : cases) {
        char text[260];
        kmappBuildDriveMapString(c.flags, c.drive, c.path.c_str(), text);
        ASSERT_NE(text[0], 0) << c.path;
        DWORD flags = 0xFFFF;
        char drive[16], path[256];
        ASSERT_EQ(kmappParseDriveMapString(text, &flags, drive, path), 0) << text;
        EXPECT_EQ(flags, c.flags);
        EXPECT_STREQ(drive, c.drive);
        EXPECT_EQ(path, c.path);
    }
}

TEST(DriveMapTest, TextsThatCannotBeReadBack) {
    char text[260] = "unchanged";
    kmappBuildDriveMapString(0x10, "G:", "P", text);  // a flag the text cannot hold
    EXPECT_STREQ(text, "");
    kmappBuildDriveMapString(0, "GG", "P", text);
    EXPECT_STREQ(text, "");
    kmappBuildDriveMapString(0, "G:", std::string(256, 'p').c_str(), text);
    EXPECT_STREQ(text, "");

    for (const char* bad : {"", "4", "G:=P", "4G=P", "4GX:=P", "X=P"}) {
        DWORD flags = 0;
        char drive[16], path[256];
        EXPECT_NE(kmappParseDriveMapString(bad, &flags, drive, path), 0) << bad;
    }
}

}  // namespace
