// A seeded tree attached as the machine's tree, its administrator logged in,
// a context on it, and small helpers to read what the store holds.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "vpr/directory/client.h"
#include "vpr/directory/faults.h"
#include "vpr/directory/value_codec.h"
#include "vpr/testing/temp_tree.h"

namespace vpr::directory {

class ClientTest : public ::testing::Test {
protected:
    void SetUp() override {
        tree.Org("acme").Unit("sales.acme").User("jdoe.sales.acme", "John Doe");
        tree.User("admin.acme").Group("staff.acme", {"jdoe.sales.acme"});
        tree.Object("Word.sales.acme", "Application (Windows 95)");
        tree.LogIn(vpr::testing::TempTree::kAdministrator);
        ctx = DirCreateContext();
        ASSERT_GT(ctx, 0);
        ASSERT_EQ(DirSetContextInfo(ctx, DIR_KEY_NAME_CONTEXT, "[Root]"), DIR_SUCCESS);
    }
    void TearDown() override {
        if (ctx > 0) DirFreeContext(ctx);
        faults::Reset();
    }

    // Every value of an attribute in text form, read straight from the store.
    std::vector<std::string> Values(const std::string& object, const std::string& attribute) {
        NameParts name;
        EXPECT_EQ(ParseFullName(object, &name), DIR_SUCCESS);
        std::vector<AttributeValues> read;
        EXPECT_EQ(tree.store().ReadValues(name, {attribute}, &read), DIR_SUCCESS);
        std::vector<std::string> texts;
        for (const AttributeValues& values : read)
            for (const Value& value : values.values) texts.push_back(ValueToText(value));
        return texts;
    }

    std::string Dump() {
        std::string text;
        EXPECT_EQ(DumpTree(tree.store(), true, &text), DIR_SUCCESS);
        return text;
    }

    vpr::testing::TempTree tree;
    DIR_CONTEXT ctx = 0;
};

// One modify request built from a list of steps; the first failing put ends it.
struct Put {
    int change;
    const char* attribute;
    int syntax = 0;            // 0: no value follows
    const void* value = nullptr;
};

inline int ModifyWith(DIR_CONTEXT ctx, const char* object, const std::vector<Put>& puts,
                      size_t size = 0x4000) {
    DirBuffer* buf = nullptr;
    int status = DirAllocBuffer(size, &buf);
    if (status == DIR_SUCCESS) status = DirInitRequest(ctx, DIR_OP_MODIFY, buf);
    for (const Put& put : puts) {
        if (status == DIR_SUCCESS) status = DirPutChange(ctx, buf, put.change, put.attribute);
        if (status == DIR_SUCCESS && put.syntax) status = DirPutValue(ctx, buf, put.syntax, put.value);
    }
    if (status == DIR_SUCCESS) status = DirModifyObject(ctx, object, nullptr, 0, buf);
    DirFreeBuffer(buf);
    return status;
}

}  // namespace vpr::directory
