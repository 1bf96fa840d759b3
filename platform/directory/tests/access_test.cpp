// The client calls refuse what the logged-in user lacks the rights for.
#include <functional>

#include "client_fixture.h"
#include "vpr/win/file.h"

namespace vpr::directory {
namespace {

class AccessTest : public ClientTest {
protected:
    void SetUp() override {
        ClientTest::SetUp();
        tree.User("mary.acme");
        tree.Set("Word.sales.acme", "App Path", {"C:\\WORD"}).Set("Word.sales.acme", "App Blurb", {"words"});
        tree.Stream("Word.sales.acme", "App Icon", "ICON");
    }
    void TearDown() override {
        if (user > 0) DirFreeContext(user);
        ClientTest::TearDown();
    }

    // A context of `name` logged in to the tree (the fixture's own context
    // stays the administrator's).
    DIR_CONTEXT As(const std::string& name, bool authenticated = true) {
        if (user > 0) DirFreeContext(user);
        tree.LogIn(name, authenticated);
        user = DirCreateContext();
        EXPECT_GT(user, 0);
        return user;
    }

    // Reads the attributes (all of them when none is named); the texts read,
    // "name=value", go to `out`.
    int Read(DIR_CONTEXT context, const char* object, const std::vector<const char*>& attributes,
             std::vector<std::string>* out = nullptr) {
        DirBuffer *request = nullptr, *reply = nullptr;
        DirAllocBuffer(0x1000, &request);
        DirAllocBuffer(0x4000, &reply);
        DirInitRequest(context, DIR_OP_READ, request);
        for (const char* attribute : attributes) DirPutAttributeName(context, request, attribute);
        int32_t iteration = DIR_NO_MORE_ITERATIONS;
        int status = DirSearch(context, object, 1, attributes.empty(), request, &iteration, reply);
        char name[DIR_MAX_SCHEMA_NAME];
        uint32_t count = 0, syntax = 0;
        while (status == DIR_SUCCESS && DirGetNextResultAttribute(context, reply, name, &count, &syntax) == 0) {
            if (out && syntax == DIR_SYNTAX_CI_STRING) {
                char value[256] = {};
                DirGetResultValue(context, reply, static_cast<int>(syntax), value);
                out->push_back(std::string(name) + "=" + value);
            }
        }
        if (iteration != DIR_NO_MORE_ITERATIONS) DirCloseIteration(context, iteration, DIR_OP_READ);
        DirFreeBuffer(request);
        DirFreeBuffer(reply);
        return status;
    }

    int OpenStream(DIR_CONTEXT context, int mode) {
        HFILE file = HFILE_ERROR;
        int status = DirOpenStreamAttribute(context, "Word.sales.acme", "App Icon", mode, &file);
        if (status == DIR_SUCCESS) _lclose(file);
        return status;
    }

    int AddObject(DIR_CONTEXT context, const char* name) {
        DirBuffer* request = nullptr;
        DirAllocBuffer(0x4000, &request);
        DirInitRequest(context, DIR_OP_ADD_OBJECT, request);
        DirPutAttributeName(context, request, "Object Class");
        DirPutValue(context, request, DIR_SYNTAX_CLASS_NAME, "Group");
        int status = DirAddObject(context, name, nullptr, 0, request);
        DirFreeBuffer(request);
        return status;
    }

    DIR_CONTEXT user = 0;
};

TEST_F(AccessTest, AUserGrantedAnApplicationReadsItAnotherIsRefused) {
    tree.Grant("Word.sales.acme", "jdoe.sales.acme", DIR_ALL_ATTRIBUTES_RIGHTS, DIR_ATTR_READ);
    std::vector<std::string> read;
    EXPECT_EQ(Read(As("jdoe.sales.acme"), "Word.sales.acme", {"App Path"}, &read), DIR_SUCCESS);
    EXPECT_EQ(read, std::vector<std::string>{"App Path=C:\\WORD"});
    EXPECT_EQ(OpenStream(user, DIR_STREAM_READ), DIR_SUCCESS);
    EXPECT_EQ(OpenStream(user, DIR_STREAM_WRITE), DIR_ERR_NO_ACCESS);  // read only

    EXPECT_EQ(Read(As("mary.acme"), "Word.sales.acme", {"App Path"}), DIR_ERR_NO_ACCESS);
    EXPECT_EQ(OpenStream(user, DIR_STREAM_READ), DIR_ERR_NO_ACCESS);
    DirObjectInfo info;
    EXPECT_EQ(DirReadObjectInfo(user, "Word.sales.acme", nullptr, &info), DIR_SUCCESS);  // seen, not read
}

TEST_F(AccessTest, GrantsReachUsersThroughContainersGroupsAndPublic) {
    struct Case {
        const char* what;
        const char* object;   // where the grant is
        const char* trustee;
        bool jdoeReads, maryReads;
    };
    const Case cases[] = {
        {"a grant on a container reaches the objects below", "sales.acme", "jdoe.sales.acme", true, false},
        {"a grant to a container reaches the users in it", "Word.sales.acme", "sales.acme", true, false},
        {"a grant to the root reaches everybody in the tree", "Word.sales.acme", "[Root]", true, true},
        {"a grant to a group reaches its members", "Word.sales.acme", "staff.acme", true, false},
        {"a grant to [Public] reaches everybody", "Word.sales.acme", "[Public]", true, true},
        {"a grant on another object reaches nothing here", "staff.acme", "[Public]", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        tree.Grant(c.object, c.trustee, DIR_ALL_ATTRIBUTES_RIGHTS, DIR_ATTR_READ);
        EXPECT_EQ(Read(As("jdoe.sales.acme"), "Word.sales.acme", {"App Blurb"}),
                  c.jdoeReads ? DIR_SUCCESS : DIR_ERR_NO_ACCESS);
        EXPECT_EQ(Read(As("mary.acme"), "Word.sales.acme", {"App Blurb"}),
                  c.maryReads ? DIR_SUCCESS : DIR_ERR_NO_ACCESS);
        tree.Grant(c.object, c.trustee, DIR_ALL_ATTRIBUTES_RIGHTS, 0);
    }
}

// Every kind of request is refused without its right and changes nothing;
// the administrator's own context does each of them.
TEST_F(AccessTest, EveryRequestNeedsItsRight) {
    DirAclValue grant{const_cast<char*>(DIR_ENTRY_RIGHTS), const_cast<char*>("mary.acme"), DIR_ENTRY_SUPERVISOR};
    const std::vector<std::pair<const char*, std::function<int(DIR_CONTEXT)>>> requests = {
        {"read", [&](DIR_CONTEXT c) { return Read(c, "Word.sales.acme", {"App Path"}); }},
        {"modify", [&](DIR_CONTEXT c) {
             return ModifyWith(c, "Word.sales.acme", {{DIR_CHANGE_ADD_VALUE, "App Parameters", DIR_SYNTAX_CI_STRING, "x"}});
         }},
        {"rights change", [&](DIR_CONTEXT c) {
             return ModifyWith(c, "Word.sales.acme", {{DIR_CHANGE_ADD_VALUE, "ACL", DIR_SYNTAX_OBJECT_ACL, &grant}});
         }},
        {"add", [&](DIR_CONTEXT c) { return AddObject(c, "new.sales.acme"); }},
        {"stream write", [&](DIR_CONTEXT c) { return OpenStream(c, DIR_STREAM_WRITE); }},
        {"delete", [&](DIR_CONTEXT c) { return DirRemoveObject(c, "Word.sales.acme"); }},
    };
    std::string before = Dump();
    for (const auto& [what, request] : requests) EXPECT_EQ(request(As("mary.acme")), DIR_ERR_NO_ACCESS) << what;
    EXPECT_EQ(Dump(), before);
    for (const auto& [what, request] : requests) EXPECT_EQ(request(ctx), DIR_SUCCESS) << what;
}

TEST_F(AccessTest, WhatAUserMayDoFollowsItsGrants) {
    // Write on one attribute, add-self on a group's members, add in a container.
    tree.Grant("Word.sales.acme", "mary.acme", "App Parameters", DIR_ATTR_WRITE)
        .Grant("staff.acme", "mary.acme", "Member", DIR_ATTR_SELF)
        .Grant("sales.acme", "mary.acme", DIR_ENTRY_RIGHTS, DIR_ENTRY_ADD);
    DIR_CONTEXT mary = As("mary.acme");
    EXPECT_EQ(ModifyWith(mary, "Word.sales.acme", {{DIR_CHANGE_ADD_VALUE, "App Parameters", DIR_SYNTAX_CI_STRING, "x"}}),
              DIR_SUCCESS);
    EXPECT_EQ(ModifyWith(mary, "Word.sales.acme", {{DIR_CHANGE_ADD_VALUE, "App Path", DIR_SYNTAX_CI_STRING, "y"}}),
              DIR_ERR_NO_ACCESS);
    EXPECT_EQ(ModifyWith(mary, "staff.acme", {{DIR_CHANGE_ADD_VALUE, "Member", DIR_SYNTAX_DIST_NAME, "mary.acme"}}),
              DIR_SUCCESS);
    EXPECT_EQ(ModifyWith(mary, "staff.acme", {{DIR_CHANGE_ADD_VALUE, "Member", DIR_SYNTAX_DIST_NAME, "admin.acme"}}),
              DIR_ERR_NO_ACCESS);
    EXPECT_EQ(AddObject(mary, "team.sales.acme"), DIR_SUCCESS);
    EXPECT_EQ(AddObject(mary, "team.acme"), DIR_ERR_NO_ACCESS);
    // A user reads its own attributes, not another's.
    std::vector<std::string> read;
    EXPECT_EQ(Read(As("jdoe.sales.acme"), "jdoe.sales.acme", {}, &read), DIR_SUCCESS);
    EXPECT_EQ(read, std::vector<std::string>{"Full Name=John Doe"});
    EXPECT_EQ(Read(user, "admin.acme", {"Full Name"}), DIR_ERR_NO_ACCESS);
}

TEST_F(AccessTest, AnAllAttributeReadLeavesOutWhatTheUserMayNotRead) {
    tree.Grant("Word.sales.acme", "mary.acme", "App Blurb", DIR_ATTR_READ);
    std::vector<std::string> read;
    EXPECT_EQ(Read(As("mary.acme"), "Word.sales.acme", {}, &read), DIR_SUCCESS);
    EXPECT_EQ(read, std::vector<std::string>{"App Blurb=words"});
    EXPECT_EQ(Read(user, "Word.sales.acme", {"App Blurb", "App Path"}), DIR_ERR_NO_ACCESS);
}

TEST_F(AccessTest, WithoutAnAuthenticatedLoginOnlyPublicRightsHold) {
    tree.Grant("Word.sales.acme", "jdoe.sales.acme", DIR_ALL_ATTRIBUTES_RIGHTS, DIR_ATTR_READ);
    EXPECT_EQ(Read(As("jdoe.sales.acme", false), "Word.sales.acme", {"App Path"}), DIR_ERR_NO_ACCESS);
    tree.Grant("Word.sales.acme", "[Public]", "App Path", DIR_ATTR_READ);
    EXPECT_EQ(Read(user, "Word.sales.acme", {"App Path"}), DIR_SUCCESS);
    // Once the root's browse right for everybody is taken away, nobody sees.
    tree.Set("[Root]", "ACL", {});
    DirObjectInfo info;
    EXPECT_EQ(DirReadObjectInfo(As("mary.acme"), "Word.sales.acme", nullptr, &info), DIR_ERR_NO_ACCESS);
    EXPECT_EQ(DirReadObjectInfo(ctx, "Word.sales.acme", nullptr, &info), DIR_SUCCESS);  // the administrator
}

}  // namespace
}  // namespace vpr::directory
