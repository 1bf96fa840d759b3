// A tree with the application schema, a few users, groups and containers, the
// administrator logged in, and a context of the library on it.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kmapp32.h"
#include "vpr/directory/tree_admin.h"
#include "vpr/directory/value_codec.h"
#include "vpr/testing/temp_tree.h"

namespace vpr::launcher {

class LauncherTest : public ::testing::Test {
protected:
    void SetUp() override {
        tree.Org("acme").Unit("sales.acme").User("admin.acme", "Admin");
        tree.User("jdoe.sales.acme", "John Doe").Group("staff.acme", {"jdoe.sales.acme"});
        tree.LogIn("admin.acme");
        context = KMAPPAllocContextHandle();
        ASSERT_GT(context, 0);
        ASSERT_EQ(KMAPPExtendSchema(context, KMAPP_SCHEMA_APPLICATIONS), 0);
    }
    void TearDown() override {
        if (context > 0) KMAPPFreeContextHandle(context);
    }

    // An application object made by the library.
    void App(const std::string& name, const std::string& path = "WORD.EXE") {
        ASSERT_EQ(KMAPPCreateObject(context, name.c_str(), "App:Application", path.c_str(),
                                    name.c_str(), 0),
                  0);
    }

    // Every value of an attribute in text form, read straight from the store.
    std::vector<std::string> Values(const std::string& object, const std::string& attribute) {
        directory::NameParts name;
        EXPECT_EQ(directory::ParseFullName(object, &name), DIR_SUCCESS);
        std::vector<directory::AttributeValues> read;
        EXPECT_EQ(tree.store().ReadValues(name, {attribute}, &read), DIR_SUCCESS);
        std::vector<std::string> texts;
        for (const auto& values : read)
            for (const auto& value : values.values) texts.push_back(directory::ValueToText(value));
        return texts;
    }

    uint32_t Rights(const std::string& trustee, const std::string& object,
                    const std::string& attribute) {
        uint32_t rights = 0;
        EXPECT_EQ(DirGetEffectiveRights(context, trustee.c_str(), object.c_str(), attribute.c_str(),
                                        &rights),
                  DIR_SUCCESS);
        return rights;
    }

    testing::TempTree tree;
    DIR_CONTEXT context = 0;
};

}  // namespace vpr::launcher
