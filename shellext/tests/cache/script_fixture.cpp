#include "script_fixture.h"

#include "vpr/directory/store.h"

void ScriptedCacheTest::SetUp() {
    CacheTest::SetUp();
    vpr::directory::ClassDef application{"App:Application", false, true, {"Top"}, {"Organization"}, {}, {}, {}};
    tree.Org("acme").User("jdoe.acme", "John Doe").Class(application);
    for (const char* name : {"one.acme", "two.acme"}) {
        tree.Object(name, "App:Application");
        tree.Grant(name, "[Public]", "[Entry Rights]", DIR_ENTRY_BROWSE);
        tree.Grant(name, "[Public]", "[All Attributes Rights]", DIR_ATTR_COMPARE | DIR_ATTR_READ);
    }
    tree.LogIn("jdoe.acme");
    PlaceLibrary("KMAPPSCR.DLL");
    Entry<ScriptResetFn>("ScriptReset")();
}
