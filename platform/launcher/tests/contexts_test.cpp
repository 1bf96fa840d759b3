#include <cctype>
#include <cstring>
#include <set>

#include "launcher_fixture.h"

namespace vpr::launcher {
namespace {

TEST(ContextTest, NobodyLoggedInGivesNoContext) {
    testing::TempTree tree;
    tree.Org("acme").Attach();
    EXPECT_EQ(KMAPPAllocContextHandle(), DIR_ERR_NO_CONTEXT);
}

TEST(NameTest, FullNamesAndTreeNames) {
    struct Case {
        const char* name;
        const char* container;
        const char* full;
    } cases[] = {
        {"Word", "sales.acme", "Word.sales.acme"},
        {"Word", ".sales.acme", "Word.sales.acme"},
        {".Word.acme", "sales.acme", ".Word.acme"},  // complete already
        {"Word", "", "Word"},
        {"Word", "[Root]", "Word"},
    };
    for (const Case& c : cases) {
        char full[DIR_MAX_NAME];
        KMAPPCreateFullObjectName(c.name, c.container, full);
        EXPECT_STREQ(full, c.full) << c.name << " in " << c.container;
    }
    char tree[] = "ACME_TREE_______";
    KMAPPStripTreeName(tree);
    EXPECT_STREQ(tree, "ACME_TREE");
}

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" with upper-case hex digits.
bool IsGuidText(const std::string& text) {
    const std::string shape = "{........-....-....-....-............}";
    if (text.size() != shape.size()) return false;
    for (size_t i = 0; i < shape.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        bool fits = shape[i] == '.' ? std::isxdigit(c) && !std::islower(c) : text[i] == shape[i];
        if (!fits) return false;
    }
    return true;
}

TEST(GuidTest, EachGuidIsNewAndWellFormed) {
    std::set<std::string> seen;
    for (int i = 0; i < 20; ++i) {
        char text[256];
        ASSERT_EQ(KMAPPCreateGUID(text, sizeof text), 0);
        EXPECT_TRUE(IsGuidText(text)) << text;
        seen.insert(text);
    }
    EXPECT_EQ(seen.size(), 20u);
    char small[38];
    EXPECT_EQ(KMAPPCreateGUID(small, sizeof small), KMAPP_ERR_BAD_PARAMETER);
}

class ObjectTest : public LauncherTest {};

TEST_F(ObjectTest, CreatesAnApplicationWithPathAndCaptionOnce) {
    ASSERT_EQ(KMAPPCreateObject(context, ".Word.sales.acme", "App:Application", " 47 NULL ", "Word 97", 0), 0);
    DirObjectInfo info;
    ASSERT_EQ(DirReadObjectInfo(context, ".Word.sales.acme", nullptr, &info), DIR_SUCCESS);
    EXPECT_STREQ(info.baseClass, "App:Application");
    EXPECT_EQ(Values("Word.sales.acme", "App:Path"), std::vector<std::string>{" 47 NULL "});
    EXPECT_EQ(Values("Word.sales.acme", "App:Caption"), std::vector<std::string>{"Word 97"});
    EXPECT_EQ(Values("Word.sales.acme", "App:Flags"), std::vector<std::string>{});
    EXPECT_EQ(KMAPPCreateObject(context, ".Word.sales.acme", "App:Application", "W.EXE", "Again", 0),
              DIR_ERR_OBJECT_EXISTS);
    EXPECT_EQ(Values("Word.sales.acme", "App:Caption"), std::vector<std::string>{"Word 97"});
}

TEST_F(ObjectTest, AliasesLeadToTheirObject) {
    App(".Word.sales.acme");
    tree.Object("WordLink.acme", "Alias", {{"Aliased Object Name", {"Word.sales.acme"}}});
    char name[DIR_MAX_NAME] = ".WordLink.acme";
    kmappDSDereferenceAlias(context, name);
    EXPECT_STREQ(name, "Word.sales.acme");
    char plain[DIR_MAX_NAME] = ".jdoe.sales.acme";
    kmappDSDereferenceAlias(context, plain);
    EXPECT_STREQ(plain, ".jdoe.sales.acme");
    // Two aliases naming each other: the name stays as given.
    tree.Object("A.acme", "Alias", {{"Aliased Object Name", {"jdoe.sales.acme"}}});
    tree.Object("B.acme", "Alias", {{"Aliased Object Name", {"A.acme"}}});
    tree.Set("A.acme", "Aliased Object Name", {"B.acme"});
    char loop[DIR_MAX_NAME] = ".A.acme";
    kmappDSDereferenceAlias(context, loop);
    EXPECT_STREQ(loop, ".A.acme");
}

}  // namespace
}  // namespace vpr::launcher
