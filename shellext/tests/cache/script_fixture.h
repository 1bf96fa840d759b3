// The workstation with the scripted launcher library: one tree (TEST_TREE,
// jdoe.acme logged in) holding the application objects one.acme and
// two.acme, which the script's folders hand out.
#pragma once

#include <string>

#include "cache_fixture.h"
#include "script_library/script_library.h"
#include "vpr/testing/temp_tree.h"

class ScriptedCacheTest : public CacheTest {
protected:
    void SetUp() override;

    // Adds applications to the script before StartCache.
    void AddApp(const std::string& folder, const std::string& application, DWORD flags, DWORD state) {
        Entry<ScriptAddAppFn>("ScriptAddApp")(folder.c_str(), application.c_str(), flags, state);
    }
    std::string Events() { return Entry<ScriptEventsFn>("ScriptEvents")(); }
    static std::string Key(const std::string& name) { return "TEST_TREE\t" + name; }

    vpr::testing::TempTree tree;
};
