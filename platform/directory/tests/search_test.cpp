#include "client_fixture.h"
#include "vpr/directory/context_store.h"

#include <cstdlib>
#include <map>

namespace vpr::directory {
namespace {

class SearchTest : public ClientTest {
protected:
    void SetUp() override {
        ClientTest::SetUp();
        for (int i = 0; i < 40; ++i)
            phones.push_back("phone number " + std::to_string(100 + i));
        tree.Set("jdoe.sales.acme", "Telephone Number", phones);
        ASSERT_EQ(DirAllocBuffer(0x1000, &request), DIR_SUCCESS);
        ASSERT_EQ(DirAllocBuffer(256, &reply), DIR_SUCCESS);
        ASSERT_EQ(DirInitRequest(ctx, DIR_OP_READ, request), DIR_SUCCESS);
    }
    void TearDown() override {
        DirFreeBuffer(request);
        DirFreeBuffer(reply);
        ClientTest::TearDown();
    }

    // Reads every attribute and text value of one reply into `out`.
    void ReadReply(std::map<std::string, std::vector<std::string>>* out) {
        uint32_t objects = 0, attributes = 0;
        ASSERT_EQ(DirGetResultObjectCount(ctx, reply, &objects), DIR_SUCCESS);
        ASSERT_EQ(objects, 1u);
        ASSERT_EQ(DirGetResultAttributeCount(ctx, reply, &attributes), DIR_SUCCESS);
        char name[DIR_MAX_SCHEMA_NAME];
        uint32_t count, syntax;
        for (uint32_t a = 0; a < attributes; ++a) {
            ASSERT_EQ(DirGetNextResultAttribute(ctx, reply, name, &count, &syntax), DIR_SUCCESS);
            for (uint32_t v = 0; v < count; ++v) {
                size_t size = 0;
                ASSERT_EQ(DirComputeValueSize(ctx, reply, static_cast<int>(syntax), &size),
                          DIR_SUCCESS);
                std::vector<char> value(size);
                ASSERT_EQ(DirGetResultValue(ctx, reply, static_cast<int>(syntax), value.data()),
                          DIR_SUCCESS);
                (*out)[name].push_back(syntax == DIR_SYNTAX_TYPED_NAME
                                           ? reinterpret_cast<DirTypedName*>(value.data())->name
                                           : std::string(value.data()));
            }
        }
        EXPECT_EQ(DirGetNextResultAttribute(ctx, reply, name, &count, &syntax),
                  DIR_ERR_NO_MORE_ENTRIES);
    }

    std::vector<std::string> phones;
    DirBuffer* request = nullptr;
    DirBuffer* reply = nullptr;
};

TEST_F(SearchTest, IteratesOverRepliesToTheEnd) {
    ASSERT_EQ(DirPutAttributeName(ctx, request, "Telephone Number"), DIR_SUCCESS);
    ASSERT_EQ(DirPutAttributeName(ctx, request, "Full Name"), DIR_SUCCESS);
    int32_t iteration = DIR_NO_MORE_ITERATIONS;
    std::map<std::string, std::vector<std::string>> read;
    int replies = 0;
    do {
        ASSERT_EQ(DirSearch(ctx, "jdoe.sales.acme", 1, 0, request, &iteration, reply), DIR_SUCCESS);
        ReadReply(&read);
        ASSERT_LT(++replies, 100);
    } while (iteration != DIR_NO_MORE_ITERATIONS);
    EXPECT_GT(replies, 3);
    EXPECT_EQ(read["Telephone Number"], phones);
    EXPECT_EQ(read["Full Name"], std::vector<std::string>{"John Doe"});
    EXPECT_EQ(read.size(), 2u);
}

TEST_F(SearchTest, ClosedEarlyTheIterationIsGone) {
    ASSERT_EQ(DirPutAttributeName(ctx, request, "Telephone Number"), DIR_SUCCESS);
    int32_t iteration = DIR_NO_MORE_ITERATIONS;
    ASSERT_EQ(DirSearch(ctx, "jdoe.sales.acme", 1, 0, request, &iteration, reply), DIR_SUCCESS);
    ASSERT_NE(iteration, DIR_NO_MORE_ITERATIONS);
    EXPECT_EQ(DirCloseIteration(ctx, iteration, DIR_OP_READ), DIR_SUCCESS);
    EXPECT_EQ(DirSearch(ctx, "jdoe.sales.acme", 1, 0, request, &iteration, reply),
              DIR_ERR_BAD_ITERATION);
    EXPECT_EQ(DirCloseIteration(ctx, iteration, DIR_OP_READ), DIR_ERR_BAD_ITERATION);
}

TEST_F(SearchTest, ReadsEveryAttributeAndTypedNames) {
    tree.Set("jdoe.sales.acme", "Telephone Number", {});
    tree.Attribute("App:Associations", DIR_SYNTAX_TYPED_NAME, false)
        .Optional("User", "App:Associations")
        .Set("jdoe.sales.acme", "App:Associations", {"Word.sales.acme;1;0"});
    DirFreeBuffer(reply);
    ASSERT_EQ(DirAllocBuffer(0x4000, &reply), DIR_SUCCESS);
    int32_t iteration = DIR_NO_MORE_ITERATIONS;
    ASSERT_EQ(DirSearch(ctx, "jdoe.sales.acme", 1, 1, nullptr, &iteration, reply), DIR_SUCCESS);
    EXPECT_EQ(iteration, DIR_NO_MORE_ITERATIONS);
    std::map<std::string, std::vector<std::string>> read;
    ReadReply(&read);
    EXPECT_EQ(read["App:Associations"], std::vector<std::string>{"Word.sales.acme"});
    EXPECT_EQ(read["Group Membership"], std::vector<std::string>{"staff.acme"});
    EXPECT_EQ(read["Full Name"], std::vector<std::string>{"John Doe"});
}

TEST_F(SearchTest, NamesOnlyReadGivesAttributesWithoutValues) {
    int32_t iteration = DIR_NO_MORE_ITERATIONS;
    ASSERT_EQ(DirSearch(ctx, "jdoe.sales.acme", 0, 1, nullptr, &iteration, reply), DIR_SUCCESS);
    EXPECT_EQ(iteration, DIR_NO_MORE_ITERATIONS);
    std::vector<std::string> names;
    char name[DIR_MAX_SCHEMA_NAME];
    uint32_t count = 99, syntax = 0;
    while (DirGetNextResultAttribute(ctx, reply, name, &count, &syntax) == DIR_SUCCESS) {
        names.push_back(name);
        EXPECT_EQ(count, 0u);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"Full Name", "Group Membership", "Telephone Number"}));
}

TEST_F(SearchTest, ReaderRefusesAnotherSyntaxAndAValueTooBigForAnyReply) {
    ASSERT_EQ(DirPutAttributeName(ctx, request, "Full Name"), DIR_SUCCESS);
    int32_t iteration = DIR_NO_MORE_ITERATIONS;
    ASSERT_EQ(DirSearch(ctx, "jdoe.sales.acme", 1, 0, request, &iteration, reply), DIR_SUCCESS);
    char name[DIR_MAX_SCHEMA_NAME];
    uint32_t count, syntax, number;
    ASSERT_EQ(DirGetNextResultAttribute(ctx, reply, name, &count, &syntax), DIR_SUCCESS);
    EXPECT_EQ(DirGetResultValue(ctx, reply, DIR_SYNTAX_INTEGER, &number), DIR_ERR_BAD_SYNTAX);

    tree.Set("jdoe.sales.acme", "Full Name", {std::string(300, 'x')});
    iteration = DIR_NO_MORE_ITERATIONS;
    EXPECT_EQ(DirSearch(ctx, "jdoe.sales.acme", 1, 0, request, &iteration, reply),
              DIR_ERR_BUFFER_FULL);
    EXPECT_EQ(iteration, DIR_NO_MORE_ITERATIONS);

    ASSERT_EQ(DirInitRequest(ctx, DIR_OP_READ, request), DIR_SUCCESS);
    ASSERT_EQ(DirPutAttributeName(ctx, request, "Colour"), DIR_SUCCESS);
    EXPECT_EQ(DirSearch(ctx, "jdoe.sales.acme", 1, 0, request, &iteration, reply),
              DIR_ERR_NO_SUCH_ATTRIBUTE);
}

// The walk a page makes to list a class's text attributes, super classes
// first by recursion.
void CollectAttributes(DIR_CONTEXT ctx, const char* className, std::vector<std::string>* out) {
    DirBuffer *request = nullptr, *reply = nullptr;
    ASSERT_EQ(DirAllocBuffer(0x400, &request), DIR_SUCCESS);
    ASSERT_EQ(DirAllocBuffer(0x1000, &reply), DIR_SUCCESS);
    ASSERT_EQ(DirInitRequest(ctx, DIR_OP_READ_CLASS_DEFS, request), DIR_SUCCESS);
    ASSERT_EQ(DirPutClassName(ctx, request, className), DIR_SUCCESS);
    int32_t iteration = DIR_NO_MORE_ITERATIONS;
    do {
        ASSERT_EQ(DirReadClassDefs(ctx, 1, 0, request, &iteration, reply), DIR_SUCCESS);
        uint32_t defs = 0;
        ASSERT_EQ(DirGetClassDefCount(ctx, reply, &defs), DIR_SUCCESS);
        for (uint32_t d = 0; d < defs; ++d) {
            char name[DIR_MAX_SCHEMA_NAME];
            uint32_t flags;
            ASSERT_EQ(DirGetNextClassDef(ctx, reply, name, &flags), DIR_SUCCESS);
            for (int list = 0; list < 5; ++list) {
                uint32_t items;
                ASSERT_EQ(DirGetClassListCount(ctx, reply, &items), DIR_SUCCESS);
                for (uint32_t i = 0; i < items; ++i) {
                    ASSERT_EQ(DirGetNextClassItem(ctx, reply, name), DIR_SUCCESS);
                    if (list == DIR_CLASS_LIST_SUPER_CLASSES) CollectAttributes(ctx, name, out);
                    if (list >= DIR_CLASS_LIST_MANDATORY) out->push_back(name);
                }
            }
        }
    } while (iteration != DIR_NO_MORE_ITERATIONS);
    DirFreeBuffer(request);
    DirFreeBuffer(reply);
}

TEST_F(SearchTest, ClassDefinitionsCarryTheirFiveLists) {
    std::vector<std::string> attributes;
    CollectAttributes(ctx, "Group", &attributes);
    EXPECT_EQ(attributes, (std::vector<std::string>{"ACL", "Description", "See Also",
                                                    "Email Address", "Full Name", "Mailbox ID",
                                                    "Mailbox Location", "Member", "Owner"}));

    // Every class, a few per reply, each definition read in part.
    faults::SetBufferBudget(600);
    DirBuffer* small = nullptr;
    ASSERT_EQ(DirAllocBuffer(0x1000, &small), DIR_SUCCESS);
    int32_t iteration = DIR_NO_MORE_ITERATIONS;
    std::vector<std::string> names;
    do {
        ASSERT_EQ(DirReadClassDefs(ctx, 1, 1, nullptr, &iteration, small), DIR_SUCCESS);
        uint32_t defs = 0, flags;
        ASSERT_EQ(DirGetClassDefCount(ctx, small, &defs), DIR_SUCCESS);
        char name[DIR_MAX_SCHEMA_NAME];
        for (uint32_t d = 0; d < defs; ++d) {
            ASSERT_EQ(DirGetNextClassDef(ctx, small, name, &flags), DIR_SUCCESS);
            names.push_back(name);
        }
        EXPECT_EQ(DirGetNextClassDef(ctx, small, name, &flags), DIR_ERR_NO_MORE_ENTRIES);
    } while (iteration != DIR_NO_MORE_ITERATIONS);
    DirFreeBuffer(small);
    EXPECT_EQ(names.size(), BaseClasses().size());

    DirBuffer* request2 = nullptr;
    ASSERT_EQ(DirAllocBuffer(0x400, &request2), DIR_SUCCESS);
    ASSERT_EQ(DirInitRequest(ctx, DIR_OP_READ_CLASS_DEFS, request2), DIR_SUCCESS);
    ASSERT_EQ(DirPutClassName(ctx, request2, "Spaceship"), DIR_SUCCESS);
    EXPECT_EQ(DirReadClassDefs(ctx, 1, 0, request2, &iteration, reply), DIR_ERR_NO_SUCH_CLASS);
    DirFreeBuffer(request2);
}

TEST_F(SearchTest, ObjectInfoCarriesTheBaseClassAtByte12) {
    DirObjectInfo info;
    char name[DIR_MAX_NAME];
    ASSERT_EQ(DirReadObjectInfo(ctx, ".WORD.sales.acme", name, &info), DIR_SUCCESS);
    EXPECT_STREQ(reinterpret_cast<const char*>(&info) + 12, "Application (Windows 95)");
    EXPECT_STREQ(name, "Word.sales.acme");
    EXPECT_EQ(info.flags, 0u);
    ASSERT_EQ(DirReadObjectInfo(ctx, "sales.acme", nullptr, &info), DIR_SUCCESS);
    EXPECT_EQ(info.flags, static_cast<uint32_t>(DIR_INFO_CONTAINER));
    EXPECT_EQ(info.subordinateCount, 2u);
    EXPECT_STREQ(info.baseClass, "Organizational Unit");

    uint32_t syntax = 0;
    EXPECT_EQ(DirGetAttributeSyntax(ctx, "App Flags", &syntax), DIR_SUCCESS);
    EXPECT_EQ(syntax, static_cast<uint32_t>(DIR_SYNTAX_INTEGER));
    EXPECT_EQ(DirGetAttributeSyntax(ctx, "App:Flags", &syntax), DIR_ERR_NO_SUCH_ATTRIBUTE);
}

}  // namespace
}  // namespace vpr::directory

namespace vpr::directory {
namespace {

TEST_F(ClientTest, SchemaExtendedThroughTheContextIsSeenAtOnce) {
    std::shared_ptr<Store> store;
    ASSERT_EQ(StoreOfContext(ctx, &store), DIR_SUCCESS);
    ASSERT_EQ(store->DefineAttribute({"App:Flags", DIR_SYNTAX_INTEGER, true}), DIR_SUCCESS);
    ASSERT_EQ(store->AddOptionalAttribute("User", "App:Flags"), DIR_SUCCESS);
    uint32_t syntax = 0, flags = 0x80;
    EXPECT_EQ(DirGetAttributeSyntax(ctx, "App:Flags", &syntax), DIR_SUCCESS);
    EXPECT_EQ(syntax, static_cast<uint32_t>(DIR_SYNTAX_INTEGER));
    EXPECT_EQ(ModifyWith(ctx, "jdoe.sales.acme",
                         {{DIR_CHANGE_REMOVE_ALL_VALUES, "App:Flags"},
                          {DIR_CHANGE_ADD_VALUE, "App:Flags", DIR_SYNTAX_INTEGER, &flags}}),
              DIR_SUCCESS);
    EXPECT_EQ(Values("jdoe.sales.acme", "App:Flags"), std::vector<std::string>{"128"});
    EXPECT_EQ(StoreOfContext(4242, &store), DIR_ERR_BAD_CONTEXT);
}

}  // namespace
}  // namespace vpr::directory
