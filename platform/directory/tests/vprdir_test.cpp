// The vprdir command, run as users run it.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "vpr/testing/temp_tree.h"
#include "vpr/testing/build_folder.h"

namespace {

struct Result {
    int exitCode = -1;
    std::string out;
};

enum class Leaks { kChecked, kUnchecked };

// Runs vprdir with the arguments (each quoted for the shell) and takes its
// standard output. Set-up steps skip the leak check at exit, which costs a
// good part of a second per run in sanitizer builds.
Result Vprdir(const std::vector<std::string>& args, Leaks leaks = Leaks::kChecked) {
    std::string command = leaks == Leaks::kUnchecked
                              ? "ASAN_OPTIONS=\"$ASAN_OPTIONS:detect_leaks=0\" "
                              : "";
    command += vpr::testing::BuildBinFolder() + "/vprdir";
    for (const std::string& arg : args) command += " '" + arg + "'";
    command += " 2>/dev/null";
    Result result;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return result;
    char buffer[512];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) result.out.append(buffer, n);
    int status = pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

class VprdirTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = std::filesystem::temp_directory_path() /
                 ("vprdir-test-" + std::to_string(getpid()));
        std::filesystem::create_directories(folder);
        store = (folder / "tree.db").string();
    }
    void TearDown() override { std::filesystem::remove_all(folder); }

    std::filesystem::path folder;
    std::string store;
};

TEST_F(VprdirTest, BuildsATreeAndDumpsIt) {
    std::ofstream((folder / "icon.bin").string()) << "ICON";
    const std::vector<std::vector<std::string>> steps = {
        {"create", store, "ACME_TREE"},
        {"add", store, "acme", "Organization"},
        {"add", store, "sales.acme", "Organizational Unit"},
        {"add", store, "jdoe.sales.acme", "User", "Full Name=John Doe", "Telephone Number=1",
         "Telephone Number=2"},
        {"add", store, "staff.acme", "Group"},
        {"member", store, "staff.acme", "jdoe.sales.acme"},
        {"attribute", store, "App:Associations", "25", "multi"},
        {"optional", store, "User", "App:Associations"},
        {"set", store, "jdoe.sales.acme", "App:Associations", "Calc.acme;1;0"},
        {"class", store, "Gadget", "in=Organization", "optional=App Icon"},
        {"add", store, "g.acme", "Gadget"},
        {"stream", store, "g.acme", "App Icon", (folder / "icon.bin").string()},
        {"grant", store, "acme", "staff.acme", "[All Attributes Rights]", "0x2"},
    };
    for (const auto& step : steps)
        ASSERT_EQ(Vprdir(step, Leaks::kUnchecked).exitCode, 0) << step[0] << " " << step[2];

    Result dump = Vprdir({"dump", store});
    EXPECT_EQ(dump.exitCode, 0);
    EXPECT_EQ(dump.out,
              "tree ACME_TREE\n"
              "object [Root] (Tree Root)\n"
              "  ACL = [Entry Rights];[Public];1\n"
              "object acme (Organization)\n"
              "  ACL = [All Attributes Rights];staff.acme;2\n"
              "object g.acme (Gadget)\n"
              "  App Icon = stream of 4 bytes\n"
              "object sales.acme (Organizational Unit)\n"
              "object jdoe.sales.acme (User)\n"
              "  App:Associations = Calc.acme;1;0\n"
              "  Full Name = John Doe\n"
              "  Group Membership = staff.acme\n"
              "  Telephone Number = 1\n"
              "  Telephone Number = 2\n"
              "object staff.acme (Group)\n"
              "  Member = jdoe.sales.acme\n");
    EXPECT_EQ(Vprdir({"rights", store, "jdoe.sales.acme", "g.acme", "App Icon"}).out, "0x03\n");
    EXPECT_EQ(Vprdir({"check", store}).out, "no problems\n");
    EXPECT_NE(Vprdir({"dump", store, "schema"}).out.find("class Gadget\n  super: Top;\n"),
              std::string::npos);
}

TEST_F(VprdirTest, RefusedCommandsChangeNothing) {
    const Leaks fast = Leaks::kUnchecked;
    ASSERT_EQ(Vprdir({"create", store, "T"}, fast).exitCode, 0);
    ASSERT_EQ(Vprdir({"add", store, "acme", "Organization"}, fast).exitCode, 0);
    std::string before = Vprdir({"dump", store}, fast).out;
    EXPECT_EQ(Vprdir({"create", store, "T"}).exitCode, 1);
    EXPECT_EQ(Vprdir({"add", store, "x.acme", "Spaceship"}, fast).exitCode, 1);
    EXPECT_EQ(Vprdir({"add", store, "x..acme", "User"}, fast).exitCode, 1);
    EXPECT_EQ(Vprdir({"add", store, "x.acme", "User", "Title=a", "Title=b"}).exitCode, 1);
    EXPECT_EQ(Vprdir({"set", store, "acme", "Telephone Number", "1", "2", "x"}, fast).exitCode, 0);
    EXPECT_EQ(Vprdir({"set", store, "acme", "Telephone Number"}, fast).exitCode, 0);
    EXPECT_EQ(Vprdir({"remove", store, "[Root]"}, fast).exitCode, 1);
    EXPECT_EQ(Vprdir({"frobnicate", store}, fast).exitCode, 2);
    EXPECT_EQ(Vprdir({"add", store}, fast).exitCode, 2);
    EXPECT_EQ(Vprdir({"dump", store}).out, before);
    EXPECT_EQ(Vprdir({"dump", (folder / "missing.db").string()}).exitCode, 1);
}

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), {});
}

// What was stored reads back: a stream's bytes whole, and values as the lines
// that set takes, so that setting them again changes nothing.
TEST_F(VprdirTest, ReadsBackStreamsAndValues) {
    const Leaks fast = Leaks::kUnchecked;
    std::string bytes("QMT\0\x01\xff\n\r tail", 14);
    std::ofstream(folder / "in.bin", std::ios::binary) << bytes;
    const std::vector<std::vector<std::string>> steps = {
        {"create", store, "T"},
        {"add", store, "acme", "Organization"},
        {"class", store, "Gadget", "in=Organization", "optional=App Icon"},
        {"add", store, "g.acme", "Gadget"},
        {"stream", store, "g.acme", "App Icon", (folder / "in.bin").string()},
        {"add", store, "jdoe.acme", "User", "Full Name=John Doe; Jr", "Telephone Number=1",
         "Telephone Number=0x2"},
        {"attribute", store, "App:Associations", "25", "multi"},
        {"attribute", store, "App:Data", "9", "multi"},
        {"optional", store, "User", "App:Associations"},
        {"optional", store, "User", "App:Data"},
        {"set", store, "jdoe.acme", "App:Associations", "g.acme;1;0", "acme;3;7"},
        {"set", store, "jdoe.acme", "App:Data", "plain", "hex:00ff0a"},
        {"grant", store, "acme", "jdoe.acme", "[Entry Rights]", "0x5"},
    };
    for (const auto& step : steps)
        ASSERT_EQ(Vprdir(step, fast).exitCode, 0) << step[0] << " " << step[2];

    const std::filesystem::path out = folder / "out.bin";
    ASSERT_EQ(Vprdir({"read-stream", store, "g.acme", "App Icon", out.string()}).exitCode, 0);
    EXPECT_EQ(ReadFile(out), bytes);
    Result piped = Vprdir({"read-stream", store, ".g.acme", "App Icon", "-"}, fast);
    EXPECT_EQ(piped.exitCode, 0);
    EXPECT_EQ(piped.out, bytes);

    struct Case {
        std::string object, attribute, lines;
    };
    const std::vector<Case> cases = {
        {"jdoe.acme", "Full Name", "John Doe; Jr\n"},
        {"jdoe.acme", "Telephone Number", "1\n0x2\n"},
        {"jdoe.acme", "App:Associations", "g.acme;1;0\nacme;3;7\n"},
        {"jdoe.acme", "App:Data", "plain\nhex:00ff0a\n"},
        {"acme", "ACL", "[Entry Rights];jdoe.acme;5\n"},
        {"acme", "Telephone Number", ""},
    };
    std::string before = Vprdir({"dump", store}, fast).out;
    for (const Case& c : cases) {
        Result got = Vprdir({"get", store, c.object, c.attribute}, fast);
        EXPECT_EQ(got.exitCode, 0) << c.attribute;
        EXPECT_EQ(got.out, c.lines) << c.attribute;
        ASSERT_EQ(Vprdir({"get", store, c.object, c.attribute, out.string()}, fast).exitCode, 0);
        EXPECT_EQ(ReadFile(out), got.out) << c.attribute;
        std::vector<std::string> set = {"set", store, c.object, c.attribute};
        std::istringstream lines(got.out);
        for (std::string line; std::getline(lines, line);) set.push_back(line);
        EXPECT_EQ(Vprdir(set, fast).exitCode, 0) << c.attribute;
    }
    EXPECT_EQ(Vprdir({"dump", store}, fast).out, before);
}

TEST_F(VprdirTest, ReadsOfWhatIsNotThereFailAndLeaveTheFile) {
    const Leaks fast = Leaks::kUnchecked;
    for (const auto& step : std::vector<std::vector<std::string>>{
             {"create", store, "T"},
             {"add", store, "acme", "Organization"},
             {"class", store, "Gadget", "in=Organization", "optional=App Icon"},
             {"add", store, "g.acme", "Gadget"},
             {"add", store, "h.acme", "Gadget", "Description=a\nb"}})
        ASSERT_EQ(Vprdir(step, fast).exitCode, 0) << step[0];
    const std::filesystem::path out = folder / "kept.txt";
    const std::vector<std::vector<std::string>> refused = {
        {"read-stream", store, "nobody.acme", "App Icon", out.string()},
        {"read-stream", store, "g.acme", "No Such Attribute", out.string()},
        {"read-stream", store, "g.acme", "App Icon", out.string()},  // no value yet
        {"read-stream", store, "g.acme", "Description", out.string()},  // not a stream
        {"get", store, "nobody.acme", "Description", out.string()},
        {"get", store, "g.acme", "No Such Attribute", out.string()},
        {"get", store, "g.acme", "App Icon", out.string()},  // a stream
        {"get", store, "h.acme", "Description", out.string()},  // a line break
    };
    for (const auto& args : refused) {
        std::ofstream(out) << "old";
        EXPECT_EQ(Vprdir(args, fast).exitCode, 1) << args[0] << " " << args[2] << " " << args[3];
        EXPECT_EQ(ReadFile(out), "old") << args[0] << " " << args[2] << " " << args[3];
    }
    EXPECT_EQ(Vprdir({"read-stream", store, "g.acme", "App Icon"}, fast).exitCode, 2);
}

// Printing to a full disk is an error, never a quiet success.
TEST_F(VprdirTest, OutputThatCannotBeWrittenIsAnError) {
    ASSERT_EQ(Vprdir({"create", store, "T"}, Leaks::kUnchecked).exitCode, 0);
    for (std::string args : {"dump '" + store + "'", "dump '" + store + "' schema", "check '" + store + "'",
                             "rights '" + store + "' '[Public]' '[Root]' '[Entry Rights]'"}) {
        std::string err = (folder / "err.txt").string();
        std::string command = "ASAN_OPTIONS=\"$ASAN_OPTIONS:detect_leaks=0\" " + vpr::testing::BuildBinFolder() +
                              "/vprdir " + args + " >/dev/full 2>'" + err + "'";
        int status = std::system(command.c_str());
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << args;
        std::ifstream in(err);
        std::string message((std::istreambuf_iterator<char>(in)), {});
        EXPECT_NE(message.find("cannot write the standard output: No space left on device"), std::string::npos)
            << args << ": " << message;
    }
}

// check names every value that does not decode and fails.
TEST_F(VprdirTest, CheckReportsDamagedValues) {
    const Leaks fast = Leaks::kUnchecked;
    ASSERT_EQ(Vprdir({"create", store, "T"}, fast).exitCode, 0);
    ASSERT_EQ(Vprdir({"add", store, "acme", "Organization", "Description=sound"}, fast).exitCode, 0);
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(store.c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db,
                           "INSERT INTO object_values(object, attribute, syntax, data) SELECT id, "
                           "'ACL', 17, x'0200' FROM objects WHERE name = 'acme'",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    Result check = Vprdir({"check", store});
    EXPECT_EQ(check.exitCode, 1);
    EXPECT_EQ(check.out, "acme: \"ACL\" holds a value that does not decode: an ACL is shorter than its two numbers\n");
    EXPECT_EQ(Vprdir({"dump", store}, fast).out, "tree T\nobject [Root] (Tree Root)\n  ACL = [Entry Rights];[Public];1\nobject acme (Organization)\n  ACL = ?\n  Description = sound\n");
}

}  // namespace
