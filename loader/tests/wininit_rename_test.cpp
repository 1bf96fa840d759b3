// WININIT.INI's [rename] section, where Windows 95 finds at its start the
// files to replace: a line goes at the end of the section, every other byte
// of the file stays.
#include "loader_fixture.h"

namespace loader_test {
namespace {

TEST(WininitRenameTest, AddsTheLineAtTheEndOfTheRenameSection) {
    struct Case {
        const char* name;
        std::string before;
        std::string after;
    } cases[] = {
        {"empty file", "", "[rename]\r\nA=B\r\n"},
        {"no section", "[boot]\r\nx=1\r\n", "[boot]\r\nx=1\r\n[rename]\r\nA=B\r\n"},
        {"no section, last line open", "[boot]\r\nx=1", "[boot]\r\nx=1\r\n[rename]\r\nA=B\r\n"},
        {"a later section", "[rename]\r\nNUL=C:\\X\r\n[boot]\r\nx=1\r\n",
         "[rename]\r\nNUL=C:\\X\r\nA=B\r\n[boot]\r\nx=1\r\n"},
        {"blank lines end the section", "[Rename]\r\nP=Q\r\n\r\n[boot]\r\n", "[Rename]\r\nP=Q\r\nA=B\r\n\r\n[boot]\r\n"},
        {"section last, line open", "[RENAME]\r\nP=Q", "[RENAME]\r\nP=Q\r\nA=B\r\n"},
        {"header only", "[rename]", "[rename]\r\nA=B\r\n"},
        {"line feeds only", "[x]\n[rename]\nP=Q\n[boot]\n", "[x]\n[rename]\nP=Q\nA=B\r\n[boot]\n"},
        {"a lone carriage return ends it", "[rename]\r", "[rename]\r\nA=B\r\n"},
        {"another name", "[renamed]\r\nP=Q\r\n", "[renamed]\r\nP=Q\r\n[rename]\r\nA=B\r\n"},
        {"the first of two", "[rename]\r\n[boot]\r\n[rename]\r\n", "[rename]\r\nA=B\r\n[boot]\r\n[rename]\r\n"},
    };
    for (const Case& c : cases) EXPECT_EQ(AddWininitRenameText(c.before, "A", "B"), c.after) << c.name;
}

// The loader's two lines for a file in use, written to the machine's file:
// created when missing, and kept whole around the section otherwise.
TEST(WininitRenameTest, WritesTheWindowsFoldersFile) {
    LoaderFixture f(vpr::machine::Platform::Win95);
    const std::string host = f.Host("C:\\WINDOWS\\WININIT.INI");
    ASSERT_TRUE(AddWininitRename("NUL", "C:\\VELTRIX\\VprExp32.dll"));
    ASSERT_TRUE(AddWininitRename("C:\\VELTRIX\\VprExp32.dll", "C:\\VELTRIX\\VPR1.TMP"));
    EXPECT_EQ(ReadHost(host),
              "[rename]\r\nNUL=C:\\VELTRIX\\VprExp32.dll\r\nC:\\VELTRIX\\VprExp32.dll=C:\\VELTRIX\\VPR1.TMP\r\n");

    fs::remove(host);
    fs::create_directories(host);  // a file that cannot be read
    EXPECT_FALSE(AddWininitRename("NUL", "C:\\VELTRIX\\VprExp32.dll"));
}

}  // namespace
}  // namespace loader_test
