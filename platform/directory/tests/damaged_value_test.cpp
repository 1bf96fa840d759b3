// Stored values whose bytes do not fit their syntax (a damaged file, or rows
// written behind the store's back) are refused and reported, never read past.
#include <sqlite3.h>

#include "client_fixture.h"

namespace vpr::directory {
namespace {

struct DamagedCase {
    uint32_t syntax;
    std::vector<uint8_t> bytes;
    std::string why;
};

const std::vector<DamagedCase>& DamagedCases() {
    static const std::vector<DamagedCase> cases = {
        {DIR_SYNTAX_INTEGER, {0x01, 0x02}, "a number is not 4 bytes long"},
        {DIR_SYNTAX_TIME, {}, "a number is not 4 bytes long"},
        {DIR_SYNTAX_BOOLEAN, {1, 0, 0, 0, 0}, "a number is not 4 bytes long"},
        {DIR_SYNTAX_BOOLEAN, {2, 0, 0, 0}, "a boolean is neither 0 nor 1"},
        {DIR_SYNTAX_TYPED_NAME, {1, 0, 0, 0, 0}, "a typed name is shorter than its two numbers"},
        {DIR_SYNTAX_TYPED_NAME, {1, 0, 0, 0, 0, 0, 0, 0, 'a', 0, 'b'}, "a name holds a NUL"},
        {DIR_SYNTAX_OBJECT_ACL, {2, 0, 0}, "an ACL is shorter than its two numbers"},
        {DIR_SYNTAX_OBJECT_ACL, {2, 0, 0, 0, 9, 0, 0, 0, 'A', 'C', 'L'},
         "an ACL's attribute runs past its end"},
        {DIR_SYNTAX_OBJECT_ACL, {2, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF},
         "an ACL's attribute runs past its end"},
        {DIR_SYNTAX_OBJECT_ACL, {2, 0, 0, 0, 0, 0, 0, 0, 'x'}, "an ACL names no attribute"},
        {DIR_SYNTAX_CI_STRING, {'a', 0, 'b'}, "a text holds a NUL"},
        {99, {1, 2, 3, 4}, "unknown syntax"},
    };
    return cases;
}

TEST(DamagedValueTest, EachDamagedValueIsRefusedWithItsReason) {
    for (const DamagedCase& damaged : DamagedCases()) {
        SCOPED_TRACE(damaged.why);
        std::string why;
        EXPECT_EQ(CheckValue({damaged.syntax, damaged.bytes}, &why), DIR_ERR_DAMAGED_VALUE);
        EXPECT_EQ(why, damaged.why);
        std::vector<uint8_t> decoded = {0xAA};
        EXPECT_EQ(DecodeStoredValue(damaged.syntax, damaged.bytes.data(), damaged.bytes.size(), &decoded),
                  DIR_ERR_DAMAGED_VALUE);
        EXPECT_EQ(decoded, std::vector<uint8_t>{0xAA});  // untouched
        EXPECT_EQ(ValueToText({damaged.syntax, damaged.bytes}), "?");
    }
}

TEST(DamagedValueTest, SoundValuesOfEverySyntaxDecode) {
    Value typed, acl;
    DirTypedName typedName{const_cast<char*>("Calc.acme"), 5, 0};
    ASSERT_EQ(EncodeValue(DIR_SYNTAX_TYPED_NAME, &typedName, {}, &typed), DIR_SUCCESS);
    acl = MakeAcl({"[Entry Rights]", "jdoe.acme", 1});
    for (const Value& value : {MakeInteger(DIR_SYNTAX_INTEGER, 7), MakeInteger(DIR_SYNTAX_BOOLEAN, 1),
                               MakeText(DIR_SYNTAX_CI_STRING, ""), MakeText(DIR_SYNTAX_OCTET_STRING, ""),
                               typed, acl}) {
        std::vector<uint8_t> decoded;
        EXPECT_EQ(DecodeStoredValue(value.syntax, value.bytes.data(), value.bytes.size(), &decoded),
                  DIR_SUCCESS)
            << value.syntax;
        size_t size = 0;
        EXPECT_EQ(DecodedSize(value, &size), DIR_SUCCESS);
        EXPECT_EQ(decoded.size(), size);
    }
    std::vector<uint8_t> decoded;
    ASSERT_EQ(DecodeStoredValue(acl.syntax, acl.bytes.data(), acl.bytes.size(), &decoded), DIR_SUCCESS);
    const auto* read = reinterpret_cast<const DirAclValue*>(decoded.data());
    EXPECT_STREQ(read->protectedAttribute, "[Entry Rights]");
    EXPECT_STREQ(read->trustee, "jdoe.acme");
}

// Damaged rows on an object: the client refuses each damaged value and still
// hands out the sound ones; the check names every damaged value.
class DamagedStoreTest : public ClientTest {
protected:
    void Insert(const std::string& attribute, const DamagedCase& damaged) {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(tree.path().c_str(), &db), SQLITE_OK);
        sqlite3_busy_timeout(db, 5000);
        sqlite3_stmt* insert = nullptr;
        ASSERT_EQ(sqlite3_prepare_v2(db,
                                     "INSERT INTO object_values(object, attribute, syntax, data) "
                                     "SELECT id, ?, ?, ? FROM objects WHERE name = 'jdoe'",
                                     -1, &insert, nullptr),
                  SQLITE_OK);
        sqlite3_bind_text(insert, 1, attribute.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int64(insert, 2, damaged.syntax);
        sqlite3_bind_blob(insert, 3, damaged.bytes.empty() ? "" : static_cast<const void*>(damaged.bytes.data()),
                          static_cast<int>(damaged.bytes.size()), SQLITE_TRANSIENT);
        EXPECT_EQ(sqlite3_step(insert), SQLITE_DONE);
        sqlite3_finalize(insert);
        sqlite3_close(db);
    }
};

TEST_F(DamagedStoreTest, ReadsRefuseTheDamagedValueAndCheckReportsIt) {
    tree.Set("jdoe.sales.acme", "Title", {"Clerk"});
    Insert("Email Address", {DIR_SYNTAX_CI_STRING, {'j', '@', 'x'}, ""});  // sound
    Insert("Email Address", DamagedCases()[10]);                            // a NUL inside
    Insert("ACL", DamagedCases()[7]);  // an attribute length past the end

    DirBuffer *request = nullptr, *reply = nullptr;
    ASSERT_EQ(DirAllocBuffer(0x1000, &request), DIR_SUCCESS);
    ASSERT_EQ(DirAllocBuffer(0x4000, &reply), DIR_SUCCESS);
    int32_t iteration = DIR_NO_MORE_ITERATIONS;
    ASSERT_EQ(DirSearch(ctx, "jdoe.sales.acme", 1, 1, request, &iteration, reply), DIR_SUCCESS);
    char name[DIR_MAX_SCHEMA_NAME];
    uint32_t count = 0, syntax = 0;
    std::vector<std::string> seen;
    while (DirGetNextResultAttribute(ctx, reply, name, &count, &syntax) == DIR_SUCCESS) {
        for (uint32_t v = 0; v < count; ++v) {
            size_t size = 0;
            int sized = DirComputeValueSize(ctx, reply, static_cast<int>(syntax), &size);
            std::vector<uint8_t> out(sized == DIR_SUCCESS ? size : 64, 0xAA);
            int read = DirGetResultValue(ctx, reply, static_cast<int>(syntax), out.data());
            EXPECT_EQ(read, sized) << name;
            if (read != DIR_SUCCESS) {
                EXPECT_EQ(read, DIR_ERR_DAMAGED_VALUE) << name;
                seen.push_back(std::string(name) + " damaged");
                break;  // the damaged value stays current: go on with the next attribute
            }
            seen.push_back(std::string(name) + " " + reinterpret_cast<char*>(out.data()));
        }
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"ACL damaged", "Email Address j@x", "Email Address damaged",
                                              "Full Name John Doe", "Group Membership staff.acme",
                                              "Title Clerk"}));
    DirFreeBuffer(request);
    DirFreeBuffer(reply);

    std::vector<std::string> problems;
    ASSERT_EQ(tree.store().Check(&problems), DIR_SUCCESS);
    EXPECT_EQ(problems, (std::vector<std::string>{
                            "jdoe.sales.acme: \"ACL\" holds a value that does not decode: an ACL's attribute "
                            "runs past its end",
                            "jdoe.sales.acme: \"Email Address\" holds a value that does not decode: a text holds "
                            "a NUL"}));
}

}  // namespace
}  // namespace vpr::directory
