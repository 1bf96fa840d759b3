#include "launcher_fixture.h"

namespace vpr::launcher {
namespace {

TEST(SchemaTest, ExtendingATreeAddsTheApplicationSchemaOnce) {
    testing::TempTree tree;
    tree.Org("acme").User("admin.acme").LogIn("admin.acme");
    DIR_CONTEXT context = KMAPPAllocContextHandle();
    ASSERT_GT(context, 0);
    EXPECT_EQ(KMAPPIsSchemaExtended(context), 0u);
    EXPECT_FALSE(kmappIsAttributeDefined(context, "App:GUID"));
    EXPECT_TRUE(kmappIsAttributeDefined(context, "Full Name"));

    ASSERT_EQ(KMAPPExtendSchema(context, KMAPP_SCHEMA_APPLICATIONS), 0);
    EXPECT_EQ(KMAPPIsSchemaExtended(context) & KMAPP_SCHEMA_APPLICATIONS, KMAPP_SCHEMA_APPLICATIONS);
    EXPECT_TRUE(kmappIsAttributeDefined(context, "App:GUID"));
    // A second extension finds everything in place.
    EXPECT_EQ(KMAPPExtendSchema(context, KMAPP_SCHEMA_APPLICATIONS), 0);
    KMAPPFreeContextHandle(context);
}

TEST(SchemaTest, AttributesCarryTheirSyntaxesAndClassesTheirAttributes) {
    testing::TempTree tree;
    tree.Org("acme").User("admin.acme").LogIn("admin.acme");
    DIR_CONTEXT context = KMAPPAllocContextHandle();
    ASSERT_EQ(KMAPPExtendSchema(context, KMAPP_SCHEMA_APPLICATIONS), 0);
    struct Case {
        const char* attribute;
        uint32_t syntax;
        bool single;
    } cases[] = {
        {"App:Caption", DIR_SYNTAX_CI_STRING, true},        {"App:Path", DIR_SYNTAX_OCTET_STRING, true},
        {"App:Flags", DIR_SYNTAX_INTEGER, true},            {"App:Drive Mappings", DIR_SYNTAX_OCTET_STRING, false},
        {"App:Back Link", DIR_SYNTAX_DIST_NAME, false},     {"App:Fault Tolerance", DIR_SYNTAX_TYPED_NAME, false},
        {"App:Icon", DIR_SYNTAX_STREAM, true},              {"App:Launcher Config", DIR_SYNTAX_STREAM, true},
        {"App:Associations", DIR_SYNTAX_TYPED_NAME, false}, {"App:Macros", DIR_SYNTAX_STREAM, true},
    };
    for (const Case& c : cases) {
        directory::AttributeDef def;
        ASSERT_EQ(tree.store().GetAttribute(c.attribute, &def), DIR_SUCCESS) << c.attribute;
        EXPECT_EQ(def.syntax, c.syntax) << c.attribute;
        EXPECT_EQ(def.singleValued, c.single) << c.attribute;
    }
    directory::ClassDef cls;
    ASSERT_EQ(tree.store().GetClass("App:Application", &cls), DIR_SUCCESS);
    EXPECT_NE(std::find(cls.optional.begin(), cls.optional.end(), "App:Schedule"), cls.optional.end());
    for (const char* holder : {"User", "Group", "Organizational Unit", "Organization"}) {
        ASSERT_EQ(tree.store().GetClass(holder, &cls), DIR_SUCCESS);
        EXPECT_NE(std::find(cls.optional.begin(), cls.optional.end(), "App:Associations"),
                  cls.optional.end())
            << holder;
    }
    KMAPPFreeContextHandle(context);
}

TEST(SchemaTest, NoBitAskedChangesNothing) {
    testing::TempTree tree;
    tree.Org("acme").User("admin.acme").LogIn("admin.acme");
    DIR_CONTEXT context = KMAPPAllocContextHandle();
    EXPECT_EQ(KMAPPExtendSchema(context, 0), 0);
    EXPECT_EQ(KMAPPIsSchemaExtended(context), 0u);
    KMAPPFreeContextHandle(context);
}

}  // namespace
}  // namespace vpr::launcher
