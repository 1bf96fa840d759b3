// The module as kmadmin loads it from C:\PUBLIC\WIN32: the launcher
// library's version check, the language library search, the schema offer,
// the nine classes and the Tools items' states on a real tree.
#include <string>

#include "module_fixture.h"
#include "vpr/adminhost/admin_host.h"
#include "vpr/directory/client.h"
#include "vpr/machine/machine.h"

namespace {

const char kModuleLine[] = "module C:\\PUBLIC\\WIN32\\VPRADM32.DLL: InitSnapin answered ";

const char kNineClasses[] =
    "App:Application \"Application\" flags 0xDD bitmaps\n"
    "Application (DOS) \"Application (DOS)\" flags 0xD9 bitmaps\n"
    "Application (Windows 3.x) \"Application (Windows 3.x)\" flags 0xD9 bitmaps\n"
    "Application (Windows 95) \"Application (Windows 95)\" flags 0xD9 bitmaps\n"
    "Application (Windows NT) \"Application (Windows NT)\" flags 0xD9 bitmaps\n"
    "User \"\" flags 0x1 none\n"
    "Group \"\" flags 0x1 none\n"
    "Organizational Unit \"\" flags 0x1 none\n"
    "Organization \"\" flags 0x1 none\n";

const char kNoLauncher[] = "message Dravik Error: Veltrix Pellior Snap-in could not locate KMAPP32.DLL.\nanswered ok\n";
const char kWrongLauncher[] =
    "message Dravik Error: The version of KMAPP32.DLL found is the wrong version.  Version 2.01 or newer is "
    "needed.\nanswered ok\n";

struct LauncherCase {
    const char* name;
    bool present;
    uint16_t major, minor;
    bool accepted;
};
// A case is printed as text, not as raw bytes, when it fails.
void PrintTo(const LauncherCase& c, std::ostream* os) { *os << c.name; }

class LauncherVersionTest : public ModuleFixture, public ::testing::WithParamInterface<LauncherCase> {};

TEST_P(LauncherVersionTest, AcceptsMajorAboveOneOrMinorOfTwoAndMore) {
    const LauncherCase& c = GetParam();
    if (c.present) PutLauncherLibrary(c.major, c.minor);
    EXPECT_EQ(Run("answer ok\nclasses\n"), c.accepted ? 1 : 0) << output_;  // accepted: the answer is never used
    std::string expected = c.accepted ? std::string(kModuleLine) + "0\n" + kNineClasses +
                                            "error: answer ok: never used\n"
                                      : std::string(c.present ? kWrongLauncher : kNoLauncher) + kModuleLine + "-931\n";
    EXPECT_EQ(output_, expected);
}

INSTANTIATE_TEST_SUITE_P(Versions, LauncherVersionTest,
                         ::testing::Values(LauncherCase{"Missing", false, 0, 0, false},
                                           LauncherCase{"V1_2", true, 1, 2, true},
                                           LauncherCase{"V2_0", true, 2, 0, true},
                                           LauncherCase{"V0_5", true, 0, 5, true},
                                           LauncherCase{"V1_1", true, 1, 1, false},
                                           LauncherCase{"V0_1", true, 0, 1, false}),
                         [](const auto& info) { return std::string(info.param.name); });

// Which language library answers, by KMLANGUAGE and where libraries lie.
struct LanguageCase {
    const char* name;
    const char* environment;
    std::vector<std::pair<const char*, const char*>> libraries;  // which, folder under C:\PUBLIC\WIN32
    const char* message;  // the start of the warning shown, or "" for none
    const char* application;  // display text of App:Application: whose resources answer
};
// A case is printed as text, not as raw bytes, when it fails.
void PrintTo(const LanguageCase& c, std::ostream* os) { *os << c.name; }

class LanguageLibraryTest : public ModuleFixture, public ::testing::WithParamInterface<LanguageCase> {};

TEST_P(LanguageLibraryTest, TheModulesOwnVersionAnswersElseTheModule) {
    const LanguageCase& c = GetParam();
    PutLauncherLibrary(2, 1);
    for (const auto& [which, folder] : c.libraries) PutLanguageLibrary(which, folder);
    std::string script = std::string(*c.message ? "answer ok\n" : "") + "classes\n";
    EXPECT_EQ(Run(script, c.environment), 0) << output_;
    std::string message = *c.message ? "message Dravik Warning: " + std::string(c.message) : "";
    EXPECT_EQ(output_.substr(0, message.size()), message) << output_;
    std::string application = "App:Application \"" + std::string(c.application) + "\"";
    EXPECT_NE(output_.find(application), std::string::npos) << output_;
}

const char kMissing[] = "The resource file \"VPRRES32.DLL\" could not be located.";
const char kOtherVersion[] =
    "The resource file \"VPRRES32.DLL\" is the wrong version. Version \"2.01 Veltrix Pellior Snap-in Module "
    "(971203)\" is needed";

INSTANTIATE_TEST_SUITE_P(
    Languages, LanguageLibraryTest,
    ::testing::Values(
        LanguageCase{"UnsetNone", "-u KMLANGUAGE", {}, kMissing, "Application"},
        LanguageCase{"EnglishNone", "KMLANGUAGE=english", {}, "", "Application"},
        LanguageCase{"TwoNone", "KMLANGUAGE=A,B", {}, kMissing, "Application"},
        LanguageCase{"TwoInB", "KMLANGUAGE=A,B", {{"lettered", "NLS/B"}}, "", "Lettered Application"},
        LanguageCase{"AIsTriedBeforeB", "KMLANGUAGE=A,B", {{"old", "NLS/A"}, {"lettered", "NLS/B"}}, kOtherVersion,
                     "Application"},
        LanguageCase{"UnsetFindsAnyNlsFolder", "-u KMLANGUAGE", {{"lettered", "NLS/B"}}, "", "Lettered Application"},
        LanguageCase{"Beside", "KMLANGUAGE=english", {{"lettered", ""}}, "", "Lettered Application"},
        LanguageCase{"OtherVersionInEnglish", "KMLANGUAGE=english", {{"old", ""}}, "", "Application"},
        LanguageCase{"OtherVersionUnset", "-u KMLANGUAGE", {{"old", ""}}, kOtherVersion, "Application"},
        LanguageCase{"TheBuildsOwn", "-u KMLANGUAGE", {{"english", "NLS/ENGLISH"}}, "", "Application"}),
    [](const auto& info) { return std::string(info.param.name); });

class SchemaOfferTest : public ModuleFixture {};

TEST_F(SchemaOfferTest, AnExtendableTreeIsOfferedExtendedOnceAndNotOfferedAgain) {
    PutLauncherLibrary(2, 1);
    tree_.Grant("[Root]", "admin.acme", "ACL", DIR_ATTR_WRITE);
    EXPECT_EQ(Run("answer ok The schema has been updated\n"
                  "dialog 330\n"
                  "  show 1500\n"
                  "  choose 1500 TEST_TREE\n"
                  "  ok\n"
                  "end\n"
                  "echo started\n"
                  "tools\n"),
              0)
        << output_;
    EXPECT_EQ(output_,
              "started\n"
              "dialog 330 \"Veltrix Pellior\"\n"
              "1500:\n"
              "  TEST_TREE\n"
              "chose 1500 TEST_TREE\n"
              "message Dravik: The schema has been updated on the following trees: \\n\\nTEST_TREE\\n\n"
              "answered ok\n" +
                  std::string(kModuleLine) +
                  "0\n"
                  "&Export Application Object [grayed]\n"
                  "Show Inherited &Applications [grayed]\n"
                  "&Migrate Application Objects [grayed]\n");
    // Extended now: nothing is offered at the next start.
    EXPECT_EQ(Run("echo again\n"), 0) << output_;
    EXPECT_EQ(output_, "again\n" + std::string(kModuleLine) + "0\n");
}

TEST_F(SchemaOfferTest, AFailedExtensionIsReportedAndTheStartGoesOn) {
    PutLauncherLibrary(2, 1);
    tree_.Grant("[Root]", "admin.acme", "ACL", DIR_ATTR_WRITE);
    tree_.Attribute("App:Caption", DIR_SYNTAX_CI_STRING, false);  // clashes with the system's single value
    EXPECT_EQ(Run("answer ok Error\n"
                  "dialog 330\n"
                  "  choose 1500 TEST_TREE\n"
                  "  ok\n"
                  "end\n"
                  "tools\n"),
              0)
        << output_;
    EXPECT_EQ(output_.rfind("dialog 330 \"Veltrix Pellior\"\nchose 1500 TEST_TREE\nmessage Dravik Warning: Error -", 0), 0u)
        << output_;
    EXPECT_NE(output_.find("\\nThe schema on tree \"TEST_TREE\" could not be updated\nanswered ok\n" +
                           std::string(kModuleLine) + "0\n&Export Application Object [grayed]\n"),
              std::string::npos)
        << output_;
}

// The same tree reached through two connections is offered once.
TEST_F(SchemaOfferTest, TwoConnectionsToOneTreeGiveOneRow) {
    PutLauncherLibrary(2, 1);
    tree_.Grant("[Root]", "admin.acme", "ACL", DIR_ATTR_WRITE);
    vpr::machine::Machine facts;
    std::string error;
    ASSERT_TRUE(vpr::machine::LoadMachine(machine_.root(), &facts, &error)) << error;
    for (const auto& [key, value] : {std::pair<std::string, std::string>{"tree.TEST_TREE_.store", tree_.path()},
                                     {"tree.TEST_TREE_.user", "admin.acme"},
                                     {"tree.TEST_TREE_.authenticated", "1"}})
        ASSERT_TRUE(vpr::machine::SetMachineFact(&facts, key, value, &error)) << error;
    ASSERT_TRUE(facts.Save(&error)) << error;
    EXPECT_EQ(Run("dialog 330\n"
                  "  show 1500\n"
                  "  cancel\n"
                  "end\n"),
              0)
        << output_;
    EXPECT_EQ(output_, "dialog 330 \"Veltrix Pellior\"\n1500:\n  TEST_TREE\n" + std::string(kModuleLine) + "0\n");
}

TEST_F(SchemaOfferTest, NoTreeIsOfferedWithoutTheRightToChangeTheSchema) {
    PutLauncherLibrary(2, 1);
    EXPECT_EQ(Run("echo quiet\n"), 0) << output_;
    EXPECT_EQ(output_, "quiet\n" + std::string(kModuleLine) + "0\n");
}

// The Tools items' states: what is selected, and the user's rights on the
// first selected object's container.
struct ToolsCase {
    const char* name;
    const char* selection;
    bool rights;  // the user may add and delete entries in apps.acme
    const char* states;  // export, inherited applications, migration: e(nabled) or g(rayed)
};
// A case is printed as text, not as raw bytes, when it fails.
void PrintTo(const ToolsCase& c, std::ostream* os) { *os << c.name; }

class ToolsStateTest : public ModuleFixture, public ::testing::WithParamInterface<ToolsCase> {};

TEST_P(ToolsStateTest, FollowTheSelectionAndTheRights) {
    const ToolsCase& c = GetParam();
    PutLauncherLibrary(2, 1);
    // Application objects of the extended schema, as far as the Tools items look.
    tree_.Class({"App:Application", false, true, {"Top"}, {"Organization", "Organizational Unit"}, {}, {}, {}});
    tree_.Unit("other.acme")
        .User("jdoe.apps.acme")
        .Object("word.apps.acme", "App:Application")
        .Object("excel.apps.acme", "App:Application")
        .Object("dos.apps.acme", "Application (DOS)")
        .Object("w31.apps.acme", "Application (Windows 3.x)")
        .Object("w95.apps.acme", "Application (Windows 95)")
        .Object("wnt.apps.acme", "Application (Windows NT)")
        .Object("far.other.acme", "Application (DOS)");
    if (c.rights) tree_.Grant("apps.acme", "admin.acme", DIR_ENTRY_RIGHTS, DIR_ENTRY_ADD | DIR_ENTRY_DELETE);
    ASSERT_EQ(Run(std::string("select ") + c.selection + "\ntools\n"), 0) << output_;
    std::string states;
    for (const char* item : {"&Export Application Object [", "Show Inherited &Applications [",
                             "&Migrate Application Objects ["}) {
        size_t at = output_.find(item);
        ASSERT_NE(at, std::string::npos) << output_;
        states += output_[at + std::string(item).size()];
    }
    EXPECT_EQ(states, c.states) << output_;
}

INSTANTIATE_TEST_SUITE_P(
    Selections, ToolsStateTest,
    ::testing::Values(ToolsCase{"OneApplication", "word.apps.acme", true, "egg"},
                      ToolsCase{"TwoApplications", "word.apps.acme excel.apps.acme", true, "ggg"},
                      ToolsCase{"OneUser", "jdoe.apps.acme", true, "geg"},
                      ToolsCase{"FourOldApplicationsWithRights",
                                "dos.apps.acme w31.apps.acme w95.apps.acme wnt.apps.acme", true, "gge"},
                      ToolsCase{"FourOldApplicationsWithoutRights",
                                "dos.apps.acme w31.apps.acme w95.apps.acme wnt.apps.acme", false, "ggg"},
                      ToolsCase{"AUserAmongOldApplications", "dos.apps.acme jdoe.apps.acme", true, "ggg"},
                      ToolsCase{"OnlyTheFirstContainerCounts", "dos.apps.acme far.other.acme", true, "gge"},
                      ToolsCase{"TheFirstContainerLacksTheRights", "far.other.acme dos.apps.acme", true, "ggg"},
                      ToolsCase{"AContainer", "apps.acme", true, "ggg"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace

namespace {

// Started, shut down and started again in one process: the module comes back
// whole, and nothing of the first start is left behind.
TEST_F(SchemaOfferTest, ASecondStartAfterShutDownIsClean) {
    PutLauncherLibrary(2, 1);
    setenv("KMLANGUAGE", "english", 1);
    for (int start = 0; start < 2; ++start) {
        vpr::adminhost::AdminHost host;
        ASSERT_EQ(host.Start(), 1) << start;
        EXPECT_EQ(host.Classes().size(), 9u);
        EXPECT_EQ(host.Tools().size(), 3u);
        host.Stop();
    }
    unsetenv("KMLANGUAGE");
}

}  // namespace
