// imprxcmd on a fresh machine: its command line, and the whole road from the
// first picture through an installer run to the template that qmtdump prints.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "imprx_command.h"
#include "qmtdump/dump_tool.h"
#include "vpr/testing/temp_machine.h"
#include "vpr/win/clock.h"
#include "vpr/win/path.h"
#include "windows.h"

namespace {

namespace fs = std::filesystem;

std::string ReadHostFile(const std::string& host) {
    std::ifstream in(host, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
}

class ImprxcmdTest : public ::testing::Test {
protected:
    explicit ImprxcmdTest(vpr::machine::Platform platform = vpr::machine::Platform::Win95) : machine_(platform) {}

    // Runs imprxcmd in this process; what it prints is kept in out_ and err_.
    int Imprxcmd(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), "imprxcmd");
        std::vector<char*> argv;
        for (auto& argument : arguments) argv.push_back(argument.data());
        FILE* out = std::tmpfile();
        FILE* err = std::tmpfile();
        int code = ImprxCommand(out, err).Run(static_cast<int>(argv.size()), argv.data());
        out_ = Drain(out);
        err_ = Drain(err);
        return code;
    }

    // Runs the installer fixture, built beside this test program, as a
    // program of the machine.
    int FakeSetup(const std::string& argument = "") {
        fs::path bin = fs::read_symlink("/proc/self/exe").parent_path();
        std::string command = (bin / "fake_setup").string() + " " + argument;
        return WEXITSTATUS(std::system(command.c_str()));
    }

    std::string Host(const std::string& windowsPath) {
        std::string host;
        EXPECT_TRUE(vpr::win::ResolveHostPath(windowsPath.c_str(), &host));
        return host;
    }

    static std::string Drain(FILE* file) {
        std::string text;
        std::rewind(file);
        char buffer[4096];
        for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) text.append(buffer, n);
        std::fclose(file);
        return text;
    }

    vpr::testing::TempMachine machine_;
    std::string out_, err_;
};

TEST_F(ImprxcmdTest, CommandLinesItRefuses) {
    struct Case {
        std::vector<std::string> arguments;
        int code;
        const char* says;
    } cases[] = {
        {{}, 2, "no command"},
        {{"snap"}, 2, "unknown command snap"},
        {{"before", "extra"}, 2, "before takes 0 argument(s)"},
        {{"after", "--drive", "D:"}, 2, "an option that after does not take"},
        {{"before", "--drive", "D"}, 2, "--drive takes a drive such as D:"},
        {{"make", "C:\\t.qmt", "C:\\F"}, 2, "make needs --name NAME"},
        {{"make", "C:\\t.qmt", "C:\\F", "--name", "App 1.0"}, 2,
         "Error Invalid Name!  The Object Name cannot contain the '+ . =' characters"},
        {{"print", "C:\\nothing.txt"}, 1, "cannot open C:\\nothing.txt"},
        {{"after"}, 1, "there is no first picture in C:\\imprix.dir (run imprxcmd before)"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Imprxcmd(c.arguments), c.code) << c.says;
        EXPECT_NE(err_.find(c.says), std::string::npos) << err_;
    }
    EXPECT_EQ(Imprxcmd({"--help"}), 0);
    EXPECT_NE(out_.find("usage: imprxcmd"), std::string::npos);
}

TEST_F(ImprxcmdTest, TheSecondPictureKeepsTheFirstOnesFastScan) {
    ASSERT_EQ(Imprxcmd({"before"}), 0) << err_;
    EXPECT_EQ(Imprxcmd({"after", "--fast"}), 2);
    EXPECT_NE(err_.find("--fast: the first picture was taken without it"), std::string::npos) << err_;
    ASSERT_EQ(Imprxcmd({"before", "--fast"}), 0) << err_;
    ASSERT_EQ(Imprxcmd({"after"}), 0) << err_;
    ASSERT_EQ(Imprxcmd({"print", "C:\\imprix.dir\\after\\registry.txt"}), 0) << err_;
    EXPECT_EQ(out_.find("HKEY_LOCAL_MACHINE"), std::string::npos);
    EXPECT_NE(out_.find("key\tHKEY_CURRENT_USER\\Software\n"), std::string::npos) << out_;
}

TEST_F(ImprxcmdTest, PrintShowsOneLineARecord) {
    ASSERT_EQ(Imprxcmd({"before", "--exclude-dir", "C:\\WINDOWS"}), 0) << err_;
    ASSERT_EQ(Imprxcmd({"print", "C:\\imprix.dir\\before\\files.txt"}), 0) << err_;
    std::string expectedStart = "header\t<Windows 32-bit Picture>\ndirectory\tC:\nfile\tAUTOEXEC.BAT\t";
    EXPECT_EQ(out_.substr(0, expectedStart.size()), expectedStart);
    EXPECT_EQ(out_.find("directory\tC:\\WINDOWS\n"), std::string::npos);
    // A damaged picture prints what it can and the place it stops.
    std::ofstream(Host("C:\\damaged.bin"), std::ios::binary) << ReadHostFile(Host("C:\\imprix.dir\\before\\files.txt")) << "\x02\x00\x00\x00\xFF";
    EXPECT_EQ(Imprxcmd({"print", "C:\\damaged.bin"}), 1);
    EXPECT_NE(out_.find("error\tdamaged record at offset "), std::string::npos) << out_;
}

// The road a person walks: before, the installer, after, make.
class WalkThroughTest : public ImprxcmdTest, public ::testing::WithParamInterface<vpr::machine::Platform> {
protected:
    WalkThroughTest() : ImprxcmdTest(GetParam()) {}
};

TEST_P(WalkThroughTest, TemplateShowsEveryChangeOfTheInstaller) {
    ASSERT_EQ(FakeSetup("prepare"), 0);
    ASSERT_EQ(Imprxcmd({"before"}), 0) << err_;
    ASSERT_EQ(FakeSetup(), 0);
    ASSERT_EQ(Imprxcmd({"after"}), 0) << err_;

    // The template holds the date and the time of day: a fixed clock, in UTC.
    std::string zone = std::getenv("TZ") ? std::getenv("TZ") : "";
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    auto clock = std::make_shared<vpr::win::ManualClock>();
    clock->SetUnixMs(978350400000LL);  // 2001-01-01 12:00
    vpr::win::SetClock(clock);
    int made = Imprxcmd({"make", "C:\\OUT\\fakeapp.qmt", "C:\\OUT\\FILES", "--name", "Fake App", "--caption",
                         "The fake application", "--target", "C:\\Program Files\\Fake App"});
    vpr::win::SetClock(nullptr);
    zone.empty() ? ::unsetenv("TZ") : ::setenv("TZ", zone.c_str(), 1);
    ::tzset();
    ASSERT_EQ(made, 0) << err_;

    std::string qmt = Host("C:\\OUT\\fakeapp.qmt"), qxt = Host("C:\\OUT\\fakeapp.qxt");
    char* dump[] = {const_cast<char*>("qmtdump"), qmt.data(), qxt.data()};
    FILE* console = std::tmpfile();
    ASSERT_EQ(DumpTool(console).Run(3, dump), 0);
    std::fclose(console);
    EXPECT_EQ(ReadHostFile(qxt), ReadHostFile(std::string(SNAPSHOT_TEST_DATA) + "/fake_setup.qxt"));

    // Each copy equals its source, as filedef.txt lists them.
    std::istringstream definitions(ReadHostFile(Host("C:\\OUT\\FILES\\filedef.txt")));
    int copies = 0;
    for (std::string line; std::getline(definitions, line); ++copies) {
        line.pop_back();  // CR
        size_t equals = line.find('=');
        EXPECT_EQ(line.substr(0, equals), std::to_string(copies + 1) + ".fil");
        EXPECT_EQ(ReadHostFile(Host("C:\\OUT\\FILES\\" + line.substr(0, equals))),
                  ReadHostFile(Host(line.substr(equals + 1))))
            << line;
    }
    EXPECT_EQ(copies, 7);
    EXPECT_FALSE(fs::exists(Host("C:\\imprix.dir")));

    // A second run into the same folder starts again at 1.fil.
    ASSERT_EQ(Imprxcmd({"before"}), 0) << err_;
    std::ofstream(Host("C:\\FAKEAPP\\added.txt")) << "added";
    ASSERT_EQ(Imprxcmd({"after"}), 0) << err_;
    ASSERT_EQ(Imprxcmd({"make", "C:\\OUT\\fakeapp.qmt", "C:\\OUT\\FILES", "--name", "Fake App"}), 0) << err_;
    EXPECT_EQ(ReadHostFile(Host("C:\\OUT\\FILES\\filedef.txt")), "1.fil=C:\\FAKEAPP\\added.txt\r\n");
}

INSTANTIATE_TEST_SUITE_P(Platforms, WalkThroughTest,
                         ::testing::Values(vpr::machine::Platform::Win95, vpr::machine::Platform::NT4),
                         [](const auto& info) {
                             return info.param == vpr::machine::Platform::Win95 ? std::string("Windows95")
                                                                                : std::string("NT4");
                         });

}  // namespace
