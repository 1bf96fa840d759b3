#include "client_fixture.h"

namespace vpr::directory {
namespace {

const uint32_t kNumber = 7;

struct ModifyCase {
    const char* what;
    std::vector<std::string> phonesBefore;  // "Telephone Number", multi-valued
    std::vector<std::string> titleBefore;   // "Title", single-valued
    std::vector<Put> puts;
    int status;
    std::vector<std::string> phonesAfter;
    std::vector<std::string> titleAfter;
};

void PrintTo(const ModifyCase& c, std::ostream* os) { *os << c.what; }

class ModifySemantics : public ClientTest, public ::testing::WithParamInterface<ModifyCase> {};

TEST_P(ModifySemantics, EndsInTheStateTheTableGives) {
    const ModifyCase& c = GetParam();
    tree.Set("jdoe.sales.acme", "Telephone Number", c.phonesBefore);
    tree.Set("jdoe.sales.acme", "Title", c.titleBefore);
    EXPECT_EQ(ModifyWith(ctx, "jdoe.sales.acme", c.puts), c.status);
    EXPECT_EQ(Values("jdoe.sales.acme", "Telephone Number"), c.phonesAfter);
    EXPECT_EQ(Values("jdoe.sales.acme", "Title"), c.titleAfter);
}

constexpr int kAddAttr = DIR_CHANGE_ADD_ATTRIBUTE, kAdd = DIR_CHANGE_ADD_VALUE,
              kRemove = DIR_CHANGE_REMOVE_VALUE, kRemoveAll = DIR_CHANGE_REMOVE_ALL_VALUES;
constexpr int kTel = DIR_SYNTAX_TEL_NUMBER, kText = DIR_SYNTAX_CI_STRING;
const char* const kPhone = "Telephone Number";

INSTANTIATE_TEST_SUITE_P(
    Table, ModifySemantics,
    ::testing::Values(
        ModifyCase{"add to an empty attribute", {}, {}, {{kAdd, kPhone, kTel, "111"}}, 0, {"111"}, {}},
        ModifyCase{"add a second value", {"111"}, {}, {{kAdd, kPhone, kTel, "222"}}, 0,
                   {"111", "222"}, {}},
        ModifyCase{"adding a duplicate changes nothing", {"111"}, {},
                   {{kAdd, kPhone, kTel, "111"}}, 0, {"111"}, {}},
        ModifyCase{"add attribute with a value", {}, {}, {{kAddAttr, kPhone, kTel, "111"}}, 0,
                   {"111"}, {}},
        ModifyCase{"add attribute that has values adds to them", {"111"}, {},
                   {{kAddAttr, kPhone, kTel, "222"}}, 0, {"111", "222"}, {}},
        ModifyCase{"remove a value", {"111", "222"}, {}, {{kRemove, kPhone, kTel, "111"}}, 0,
                   {"222"}, {}},
        ModifyCase{"removing a missing value changes nothing", {"111"}, {},
                   {{kRemove, kPhone, kTel, "999"}}, 0, {"111"}, {}},
        ModifyCase{"remove all values", {"111", "222"}, {}, {{kRemoveAll, kPhone}}, 0, {}, {}},
        ModifyCase{"remove all of an absent attribute changes nothing", {}, {},
                   {{kRemoveAll, kPhone}}, 0, {}, {}},
        ModifyCase{"replace a single value", {}, {"Clerk"},
                   {{kRemoveAll, "Title"}, {kAdd, "Title", kText, "Boss"}}, 0, {}, {"Boss"}},
        ModifyCase{"a second value of a single-valued attribute fails", {}, {"Clerk"},
                   {{kAdd, "Title", kText, "Boss"}}, DIR_ERR_SINGLE_VALUED, {}, {"Clerk"}},
        ModifyCase{"a value of the wrong syntax undoes the whole request", {"111"}, {"Clerk"},
                   {{kRemoveAll, "Title"}, {kAdd, "Title", kText, "Boss"},
                    {kAdd, kPhone, DIR_SYNTAX_INTEGER, &kNumber}},
                   DIR_ERR_BAD_SYNTAX, {"111"}, {"Clerk"}},
        ModifyCase{"an unknown attribute undoes the whole request", {"111"}, {},
                   {{kRemoveAll, kPhone}, {kAdd, "No Such Thing", kText, "x"}},
                   DIR_ERR_NO_SUCH_ATTRIBUTE, {"111"}, {}},
        ModifyCase{"an attribute the class does not have", {"111"}, {},
                   {{kRemoveAll, kPhone}, {kAdd, "Member", DIR_SYNTAX_DIST_NAME, "admin.acme"}},
                   DIR_ERR_NOT_ALLOWED, {"111"}, {}},
        ModifyCase{"values after remove-all are refused", {"111"}, {},
                   {{kRemoveAll, kPhone, kTel, "111"}}, DIR_ERR_BAD_REQUEST, {"111"}, {}}),
    [](const ::testing::TestParamInfo<ModifyCase>& info) {
        std::string name;
        for (const char* p = info.param.what; *p; ++p)
            name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
        return name;
    });

TEST_F(ClientTest, NamesOfObjectsAndValuesAreCheckedBeforeAnythingChanges) {
    std::string before = Dump();
    EXPECT_EQ(ModifyWith(ctx, "nobody.acme", {{kAdd, kPhone, kTel, "1"}}), DIR_ERR_NO_SUCH_OBJECT);
    EXPECT_EQ(ModifyWith(ctx, "bad..name", {{kAdd, kPhone, kTel, "1"}}), DIR_ERR_BAD_NAME);
    EXPECT_EQ(ModifyWith(ctx, "staff.acme", {{kAdd, "Member", DIR_SYNTAX_DIST_NAME, "a.+b"}}),
              DIR_ERR_BAD_NAME);
    EXPECT_EQ(ModifyWith(ctx, "jdoe.sales.acme", {{1, kPhone}}), DIR_ERR_BAD_PARAMETER);
    EXPECT_EQ(Dump(), before);
}

TEST_F(ClientTest, NamesInValuesAreCompletedWithTheNameContext) {
    ASSERT_EQ(DirSetContextInfo(ctx, DIR_KEY_NAME_CONTEXT, "acme"), DIR_SUCCESS);
    EXPECT_EQ(ModifyWith(ctx, "staff", {{kAdd, "Member", DIR_SYNTAX_DIST_NAME, ".admin.acme"},
                                        {kAdd, "See Also", DIR_SYNTAX_DIST_NAME, "sales"}}),
              DIR_SUCCESS);
    EXPECT_EQ(Values("staff.acme", "Member"),
              (std::vector<std::string>{"jdoe.sales.acme", "admin.acme"}));
    EXPECT_EQ(Values("staff.acme", "See Also"), std::vector<std::string>{"sales.acme"});
}

TEST_F(ClientTest, TypedNamesMatchByNameLevelAndInterval) {
    tree.Attribute("App:Associations", DIR_SYNTAX_TYPED_NAME, false)
        .Optional("User", "App:Associations")
        .Set("jdoe.sales.acme", "App:Associations", {"Word.sales.acme;1;0"});
    DirTypedName otherLevel{const_cast<char*>("Word.sales.acme"), 4, 0};
    DirTypedName otherCase{const_cast<char*>("WORD.Sales.acme"), 1, 0};
    const int kTyped = DIR_SYNTAX_TYPED_NAME;
    EXPECT_EQ(ModifyWith(ctx, "jdoe.sales.acme", {{kRemove, "App:Associations", kTyped, &otherLevel}}),
              DIR_SUCCESS);
    EXPECT_EQ(Values("jdoe.sales.acme", "App:Associations"),
              std::vector<std::string>{"Word.sales.acme;1;0"});
    EXPECT_EQ(ModifyWith(ctx, "jdoe.sales.acme",
                         {{kAdd, "App:Associations", kTyped, &otherCase},
                          {kAdd, "App:Associations", kTyped, &otherLevel}}),
              DIR_SUCCESS);
    EXPECT_EQ(Values("jdoe.sales.acme", "App:Associations"),
              (std::vector<std::string>{"Word.sales.acme;1;0", "Word.sales.acme;4;0"}));
    EXPECT_EQ(ModifyWith(ctx, "jdoe.sales.acme", {{kRemove, "App:Associations", kTyped, &otherCase}}),
              DIR_SUCCESS);
    EXPECT_EQ(Values("jdoe.sales.acme", "App:Associations"),
              std::vector<std::string>{"Word.sales.acme;4;0"});
}

// The callers' rule: on -304 send what the buffer holds, start it again and
// repeat the same change and value.
TEST_F(ClientTest, FullBufferIsSentAndTheChangeRepeated) {
    faults::SetBufferBudget(64);
    DirBuffer* buf = nullptr;
    ASSERT_EQ(DirAllocBuffer(0x4000, &buf), DIR_SUCCESS);
    ASSERT_EQ(DirInitRequest(ctx, DIR_OP_MODIFY, buf), DIR_SUCCESS);
    int sends = 0;
    std::vector<std::string> expected;
    for (int i = 0; i < 12; ++i) {
        std::string phone = "555-" + std::to_string(1000 + i);
        expected.push_back(phone);
        for (int attempt = 0;; ++attempt) {
            ASSERT_LT(attempt, 2) << "a change and one value must fit an empty buffer";
            int status = DirPutChange(ctx, buf, kAdd, kPhone);
            if (status == DIR_SUCCESS) status = DirPutValue(ctx, buf, kTel, phone.c_str());
            if (status == DIR_SUCCESS) break;
            ASSERT_EQ(status, DIR_ERR_BUFFER_FULL);
            ASSERT_EQ(DirModifyObject(ctx, "jdoe.sales.acme", nullptr, 0, buf), DIR_SUCCESS);
            ++sends;
            ASSERT_EQ(DirInitRequest(ctx, DIR_OP_MODIFY, buf), DIR_SUCCESS);
        }
    }
    ASSERT_EQ(DirModifyObject(ctx, "jdoe.sales.acme", nullptr, 0, buf), DIR_SUCCESS);
    DirFreeBuffer(buf);
    EXPECT_GE(sends, 5);
    EXPECT_EQ(Values("jdoe.sales.acme", "Telephone Number"), expected);
}

TEST_F(ClientTest, PutThatDoesNotFitLeavesTheBufferAsItWas) {
    DirBuffer* buf = nullptr;
    ASSERT_EQ(DirAllocBuffer(56, &buf), DIR_SUCCESS);
    ASSERT_EQ(DirInitRequest(ctx, DIR_OP_MODIFY, buf), DIR_SUCCESS);
    ASSERT_EQ(DirPutChange(ctx, buf, kAdd, kPhone), DIR_SUCCESS);
    EXPECT_EQ(DirPutValue(ctx, buf, kTel, "a number far too long for the buffer"),
              DIR_ERR_BUFFER_FULL);
    EXPECT_EQ(DirPutValue(ctx, buf, kTel, "12"), DIR_SUCCESS);
    EXPECT_EQ(DirModifyObject(ctx, "jdoe.sales.acme", nullptr, 0, buf), DIR_SUCCESS);
    DirFreeBuffer(buf);
    EXPECT_EQ(Values("jdoe.sales.acme", "Telephone Number"), std::vector<std::string>{"12"});
}

TEST_F(ClientTest, InjectedModifyFailureLeavesNothingBehind) {
    faults::FailModify(DIR_ERR_STORE, 1);
    EXPECT_EQ(ModifyWith(ctx, "jdoe.sales.acme", {{kAdd, kPhone, kTel, "1"}}), DIR_SUCCESS);
    EXPECT_EQ(ModifyWith(ctx, "jdoe.sales.acme",
                         {{kAdd, kPhone, kTel, "2"}, {kAdd, "Title", kText, "Boss"}}),
              DIR_ERR_STORE);
    EXPECT_EQ(Values("jdoe.sales.acme", "Telephone Number"), std::vector<std::string>{"1"});
    EXPECT_TRUE(Values("jdoe.sales.acme", "Title").empty());
    EXPECT_EQ(ModifyWith(ctx, "jdoe.sales.acme", {{kAdd, "Title", kText, "Boss"}}), DIR_SUCCESS);
}

int AddWith(DIR_CONTEXT ctx, const char* name, const char* className,
            const char* fullName = nullptr) {
    DirBuffer* buf = nullptr;
    int status = DirAllocBuffer(0x1000, &buf);
    if (status == DIR_SUCCESS) status = DirInitRequest(ctx, DIR_OP_ADD_OBJECT, buf);
    if (status == DIR_SUCCESS) status = DirPutAttributeName(ctx, buf, "Object Class");
    if (status == DIR_SUCCESS) status = DirPutValue(ctx, buf, DIR_SYNTAX_CLASS_NAME, className);
    if (fullName && status == DIR_SUCCESS) status = DirPutAttributeName(ctx, buf, "Full Name");
    if (fullName && status == DIR_SUCCESS)
        status = DirPutValue(ctx, buf, DIR_SYNTAX_CI_STRING, fullName);
    if (status == DIR_SUCCESS) status = DirAddObject(ctx, name, nullptr, 0, buf);
    DirFreeBuffer(buf);
    return status;
}

TEST_F(ClientTest, ObjectsAreAddedWhereTheirClassMayLiveAndRemovedWhenEmpty) {
    EXPECT_EQ(AddWith(ctx, "mary.sales.acme", "User", "Mary Major"), DIR_SUCCESS);
    EXPECT_EQ(Values("mary.sales.acme", "Full Name"), std::vector<std::string>{"Mary Major"});
    EXPECT_EQ(AddWith(ctx, "MARY.sales.acme", "User"), DIR_ERR_OBJECT_EXISTS);
    EXPECT_EQ(AddWith(ctx, "lost", "User"), DIR_ERR_NOT_ALLOWED);  // users do not live at the root
    EXPECT_EQ(AddWith(ctx, "x.nowhere.acme", "User"), DIR_ERR_NO_SUCH_OBJECT);
    EXPECT_EQ(AddWith(ctx, "x.acme", "Top"), DIR_ERR_NOT_ALLOWED);
    EXPECT_EQ(AddWith(ctx, "x.acme", "Spaceship"), DIR_ERR_NO_SUCH_CLASS);
    EXPECT_EQ(AddWith(ctx, "x.mary.sales.acme", "User"), DIR_ERR_NOT_ALLOWED);

    tree.Class({"Badge", false, true, {"Top"}, {"Organization"}, {}, {"Title"}, {}});
    EXPECT_EQ(AddWith(ctx, "b1.acme", "Badge"), DIR_ERR_MANDATORY_MISSING);
    EXPECT_EQ(ModifyWith(ctx, "jdoe.sales.acme", {{kRemoveAll, "Full Name"}}), DIR_SUCCESS);

    EXPECT_EQ(DirRemoveObject(ctx, "sales.acme"), DIR_ERR_NOT_EMPTY);
    // Values naming a removed object go with it; others stay.
    tree.Group("crew.acme", {"mary.sales.acme", "jdoe.sales.acme"})
        .Grant("acme", "mary.sales.acme", DIR_ENTRY_RIGHTS, DIR_ENTRY_BROWSE)
        .Grant("acme", "jdoe.sales.acme", DIR_ENTRY_RIGHTS, DIR_ENTRY_BROWSE)
        .Set("jdoe.sales.acme", "See Also", {"Mary.Sales.acme"});
    EXPECT_EQ(DirRemoveObject(ctx, "[Root]"), DIR_ERR_NOT_ALLOWED);
    EXPECT_EQ(DirRemoveObject(ctx, "mary.sales.acme"), DIR_SUCCESS);
    DirObjectInfo info;
    EXPECT_EQ(DirReadObjectInfo(ctx, "mary.sales.acme", nullptr, &info), DIR_ERR_NO_SUCH_OBJECT);
    EXPECT_EQ(DirRemoveObject(ctx, "mary.sales.acme"), DIR_ERR_NO_SUCH_OBJECT);
    EXPECT_EQ(Values("crew.acme", "Member"), std::vector<std::string>{"jdoe.sales.acme"});
    EXPECT_EQ(Values("acme", "ACL"),
              std::vector<std::string>{"[Entry Rights];jdoe.sales.acme;1"});
    EXPECT_TRUE(Values("jdoe.sales.acme", "See Also").empty());
}

}  // namespace
}  // namespace vpr::directory
