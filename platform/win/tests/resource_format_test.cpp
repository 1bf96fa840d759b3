// The resource compiler and the container: sources that compile, sources that
// are refused with their line, and damaged bytes that decode to nothing.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "resource_compiler.h"
#include "vpr/testing/build_folder.h"
#include "vpr/win/resource_format.h"

namespace fs = std::filesystem;
using namespace vpr::win;

namespace {

class ResourceCompilerTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("vprrc-" + std::to_string(::getpid()));
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    bool Compile(const std::string& source, CompileResult* result, const CompileOptions& options = {}) {
        std::ofstream(dir_ / "test.vrc") << source;
        return CompileResourceSource((dir_ / "test.vrc").string(), options, result);
    }

    const ResourceEntry* Find(const CompileResult& r, uint16_t type, const ResourceId& name) {
        for (const ResourceEntry& e : r.entries)
            if (e.type.Matches(ResourceId::Number(type)) && e.name.Matches(name)) return &e;
        return nullptr;
    }

    fs::path dir_;
};

TEST_F(ResourceCompilerTest, StringsGoToBlocksOfSixteen) {
    std::ofstream(dir_ / "ids.h") << "// ids\n#define IDS_A 15\n#define IDS_B 0x10\n";
    CompileResult r;
    ASSERT_TRUE(Compile("include \"ids.h\"\ndefine IDS_C 200\nstrings\n  IDS_A \"fifteen\"\n"
                        "  IDS_B \"sixteen\"  # a comment\n  IDS_C \"x\\x41\\\\\"\nend\n",
                        &r))
        << r.error;
    std::array<std::string, 16> block;
    const ResourceEntry* first = Find(r, kResString, ResourceId::Number(1));
    ASSERT_NE(first, nullptr);
    ASSERT_TRUE(DecodeStringBlock(first->data.data(), first->data.size(), &block));
    EXPECT_EQ(block[15], "fifteen");
    const ResourceEntry* second = Find(r, kResString, ResourceId::Number(2));
    ASSERT_TRUE(second && DecodeStringBlock(second->data.data(), second->data.size(), &block));
    EXPECT_EQ(block[0], "sixteen");
    const ResourceEntry* last = Find(r, kResString, ResourceId::Number(13));
    ASSERT_TRUE(last && DecodeStringBlock(last->data.data(), last->data.size(), &block));
    EXPECT_EQ(block[8], "xA\\");
    EXPECT_EQ(r.dependencies.size(), 1u);
}

TEST_F(ResourceCompilerTest, AnIncludedSourceFragmentRunsWhereItStandsWithItsOwnFolder) {
    fs::create_directories(dir_ / "part");
    std::ofstream(dir_ / "part" / "ids.h") << "#define IDD_PART 332\n";
    std::ofstream(dir_ / "part" / "part.vrc") << "include \"ids.h\"\ndialog IDD_PART\n  caption \"Part\"\n"
                                                 "  rect 0 0 10 10\nend\n";
    CompileResult r;
    ASSERT_TRUE(Compile("include \"part/part.vrc\"\nstrings\n  IDD_PART \"after\"\nend\n", &r)) << r.error;
    EXPECT_NE(Find(r, kResDialog, ResourceId::Number(332)), nullptr);
    EXPECT_NE(Find(r, kResString, ResourceId::Number(332 / 16 + 1)), nullptr);  // its define holds after it
    EXPECT_EQ(r.dependencies.size(), 2u);

    std::ofstream(dir_ / "part" / "bad.vrc") << "dialog 1\n  rect 0 0 10 10\n  knob 1 2\nend\n";
    EXPECT_FALSE(Compile("define X 1\ninclude \"part/bad.vrc\"\n", &r));
    EXPECT_NE(r.error.find("bad.vrc:3:"), std::string::npos) << r.error;  // the fragment's own line

    std::ofstream(dir_ / "loop.vrc") << "include \"loop.vrc\"\n";
    EXPECT_FALSE(Compile("include \"loop.vrc\"\n", &r));
}

// The build reads the dependency file after each compilation: it names the
// source itself even when nothing is included (an empty list would let the
// build compile every resource again each time), and each included file.
TEST_F(ResourceCompilerTest, TheProgramWritesTheContainerAndItsDependencies) {
    std::ofstream(dir_ / "ids.h") << "#define IDS_A 1\n";
    std::ofstream(dir_ / "plain.vrc") << "strings\n  1 \"one\"\nend\n";
    std::ofstream(dir_ / "with.vrc") << "include \"ids.h\"\nstrings\n  IDS_A \"one\"\nend\n";
    struct Case {
        const char* source;
        std::vector<std::string> dependencies;
    } cases[] = {
        {"plain.vrc", {"plain.vrc"}},
        {"with.vrc", {"with.vrc", "ids.h"}},
    };
    for (const Case& c : cases) {
        std::string out = (dir_ / "out.vres").string(), dep = out + ".d";
        std::string command = vpr::testing::BuildBinFolder() + "/vprrc compile " + (dir_ / c.source).string() +
                              " -o " + out + " --depfile " + dep;
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        std::ifstream in(dep);
        std::string text(std::istreambuf_iterator<char>(in), {});
        std::string expected = out + ":";
        for (const std::string& d : c.dependencies) expected += " \\\n  " + (dir_ / d).string();
        EXPECT_EQ(text, expected + "\n") << c.source;
        std::vector<uint8_t> container;
        DWORD error = 0;
        EXPECT_TRUE(ReadModuleContainer(out, &container, &error)) << c.source;
    }
}

TEST_F(ResourceCompilerTest, BuildVersionReplacesTheWordsAndFillsMissingStrings) {
    CompileResult r;
    CompileOptions options;
    options.version = std::array<uint16_t, 4>{97, 6, 3, 0};
    options.fileType = 2;
    ASSERT_TRUE(Compile("version\n  file 1.0.0.0\n  strings \"040904E4\"\n    ProductVersion \"97.6\"\n"
                        "  end\nend\n",
                        &r, options))
        << r.error;
    const ResourceEntry* e = Find(r, kResVersion, ResourceId::Number(1));
    ASSERT_NE(e, nullptr);
    VersionResource v;
    ASSERT_TRUE(DecodeVersion(e->data.data(), e->data.size(), &v));
    EXPECT_EQ(v.fileVersion, (std::array<uint16_t, 4>{97, 6, 3, 0}));
    EXPECT_EQ(v.productVersion, v.fileVersion);
    EXPECT_EQ(v.fileType, 2u);
    ASSERT_EQ(v.tables.size(), 1u);
    EXPECT_EQ(v.tables[0].values,
              (std::vector<std::pair<std::string, std::string>>{{"ProductVersion", "97.6"}, {"FileVersion", "97.6.3.0"}}));
}

TEST_F(ResourceCompilerTest, BadSourcesAreRefusedWithTheirLine) {
    struct Case {
        const char* source;
        const char* error;
    } cases[] = {
        {"strings\n  1 \"a\"\n", "test.vrc:1: block without end"},
        {"strings\n  1 \"a\nend\n", "test.vrc:2: text without closing quote"},
        {"strings\n  UNKNOWN \"x\"\nend\n", "test.vrc:2: unknown name UNKNOWN"},
        {"strings\n  1 \"a\"\n  1 \"b\"\nend\n", "test.vrc:3: string 1 given twice"},
        {"strings\n  70000 \"a\"\nend\n", "test.vrc:2: id out of range"},
        {"dialog 5\n  bogus 1 2\nend\n", "test.vrc:2: unknown dialog line bogus"},
        {"dialog 5\n  pushbutton \"x\" 1 0 0 10 10 style WS_BOGUS\nend\n", "test.vrc:2: unknown style WS_BOGUS"},
        {"dialog 5\n  pushbutton \"x\" 1 0 0 10\nend\n", "test.vrc:2: a number is missing"},
        {"dialog 5\nend\ndialog 5\nend\n", "test.vrc:3: resource #5 given twice"},
        {"data RCDATA \"X\" text \"a\"\ndata RCDATA \"x\" text \"b\"\n", "test.vrc:2: resource x given twice"},
        {"menu 1\n  popup \"&File\"\n    item \"x\" 1 shiny\n  end\nend\n", "test.vrc:3: unknown menu flag shiny"},
        {"accelerators 1\n  key \"AB\" 1\nend\n", "test.vrc:2: a key text is one character"},
        {"bitmap 1 \"missing.bmp\"\n", "test.vrc:1: cannot read"},
        {"version\n  file 1.2.3.4.5\nend\n", "test.vrc:2: version A.B.C.D expected"},
        {"version\n  strings \"0409\"\n  end\nend\n", "test.vrc:2: a string table key is 8 hex digits"},
        {"frobnicate 1\n", "test.vrc:1: unknown keyword frobnicate"},
    };
    for (const Case& c : cases) {
        CompileResult r;
        EXPECT_FALSE(Compile(c.source, &r)) << c.source;
        EXPECT_NE(r.error.find(c.error), std::string::npos) << r.error << " / wanted " << c.error;
    }
}

TEST(ResourceContainerTest, EveryCutOrChangedByteIsRefused) {
    std::array<std::string, 16> strings;
    strings[3] = "three";
    std::vector<ResourceEntry> entries = {
        {ResourceId::Number(kResString), ResourceId::Number(1), EncodeStringBlock(strings)},
        {ResourceId::Name("AVI"), ResourceId::Name("CLIP"), {1, 2, 3}},
    };
    std::vector<uint8_t> bytes = EncodeContainer(entries);
    std::vector<ResourceEntry> decoded;
    ASSERT_TRUE(DecodeContainer(bytes.data(), bytes.size(), &decoded));
    ASSERT_EQ(decoded.size(), 2u);
    EXPECT_TRUE(decoded[1].type.Matches(ResourceId::Name("avi")));
    EXPECT_EQ(decoded[1].data, (std::vector<uint8_t>{1, 2, 3}));
    for (size_t cut = 0; cut < bytes.size(); ++cut)
        EXPECT_FALSE(DecodeContainer(bytes.data(), cut, &decoded)) << cut;
    for (size_t at = 0; at < bytes.size(); ++at) {
        std::vector<uint8_t> changed = bytes;
        changed[at] ^= 0x01;
        EXPECT_FALSE(DecodeContainer(changed.data(), changed.size(), &decoded)) << at;
    }
}

TEST(ResourceContainerTest, RecordDecodersRefuseCutData) {
    DialogTemplate d;
    d.caption = "Caption";
    d.menu = ResourceId::Name("MENU");
    d.controls.push_back({"BUTTON", ResourceId::Number(7), -1, 1, 2, 3, 4, 5, 6});
    std::vector<MenuItem> menu = {{kMenuPopup, 0, "&File", {{0, 5, "&Open", {}}}}};
    VersionResource v;
    v.SetString("040904E4", "CompanyName", "Makers");
    std::vector<Accelerator> keys = {{1, 2, 3}};
    std::vector<uint8_t> dialogBytes = EncodeDialog(d), menuBytes = EncodeMenu(menu),
                         versionBytes = EncodeVersion(v), keyBytes = EncodeAccelerators(keys);
    DialogTemplate d2;
    ASSERT_TRUE(DecodeDialog(dialogBytes.data(), dialogBytes.size(), &d2));
    EXPECT_EQ(d2.controls[0].id, -1);
    EXPECT_EQ(d2.menu->name, "MENU");
    std::vector<MenuItem> menu2;
    ASSERT_TRUE(DecodeMenu(menuBytes.data(), menuBytes.size(), &menu2));
    EXPECT_EQ(menu2[0].children[0].text, "&Open");
    for (size_t cut = 0; cut < dialogBytes.size(); ++cut) EXPECT_FALSE(DecodeDialog(dialogBytes.data(), cut, &d2));
    for (size_t cut = 0; cut < menuBytes.size(); ++cut) EXPECT_FALSE(DecodeMenu(menuBytes.data(), cut, &menu2));
    VersionResource v2;
    for (size_t cut = 0; cut < versionBytes.size(); ++cut) EXPECT_FALSE(DecodeVersion(versionBytes.data(), cut, &v2));
    std::vector<Accelerator> keys2;
    for (size_t cut = 0; cut < keyBytes.size(); ++cut) EXPECT_FALSE(DecodeAccelerators(keyBytes.data(), cut, &keys2));
}

TEST(ResourceContainerTest, VersionTexts) {
    struct Case {
        const char* text;
        bool ok;
        std::array<uint16_t, 4> parts;
    } cases[] = {
        {"2.1.0.0", true, {2, 1, 0, 0}}, {"97.9.30", true, {97, 9, 30, 0}}, {"1", true, {1, 0, 0, 0}},
        {"1.2.3.4.5", false, {}},       {"1..2", false, {}},              {"65536", false, {}},
        {"", false, {}},                {"1.2.", false, {}},              {"v1", false, {}},
    };
    for (const Case& c : cases) {
        std::array<uint16_t, 4> parts{};
        EXPECT_EQ(ParseVersionText(c.text, &parts), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(parts, c.parts) << c.text;
        }
    }
}

}  // namespace
