// The desktop shortcut manager: names of shortcuts (one name, two of one
// name), own shortcuts following the Desktop association, the user's
// shortcuts kept across an exit and a restart through the records, records
// that follow what the user deleted, renames, and files that are not
// shortcuts into the name space never touched.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tray/link_manager.h"
#include "tray_fixture.h"

namespace fs = std::filesystem;

namespace {

constexpr DWORD kDesktop = 0x8;
constexpr DWORD kLauncher = 0x1;

class LinkManagerTest : public TrayTest {
protected:
    void Caption(const char* application, const char* caption) {
        Entry<ScriptSetCaptionFn>("ScriptSetCaption")(application, caption);
    }
    void Context(const char* application, const char* context) {
        Entry<ScriptSetContextFn>("ScriptSetContext")(application, context);
    }
    // A plain file on the desktop (host side), and its bytes.
    void PlainFile(const std::string& file, const std::string& bytes) {
        std::ofstream(machine->HostPath(desktop + "\\" + file), std::ios::binary) << bytes;
    }
    std::string Bytes(const std::string& file) {
        std::ifstream in(machine->HostPath(desktop + "\\" + file), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    void Remove(const std::string& file) { fs::remove(machine->HostPath(desktop + "\\" + file)); }
    // The module's exit and next start: the manager goes (records, desktop
    // cleared) and a new one makes its first refill.
    void Restart(std::unique_ptr<CLinkManager>& links) {
        links.reset();
        links = std::make_unique<CLinkManager>();
    }
};

TEST_F(LinkManagerTest, ADesktopApplicationGetsOneOwnShortcutNamedByItsDisplayName) {
    Caption("one.acme", "Editor");
    AddApp("Tools", "one.acme", kDesktop | kLauncher, kDesktop | kLauncher);
    AddApp("Games", "one.acme", kDesktop | kLauncher, kDesktop | kLauncher);
    AddApp("Tools", "two.acme", kLauncher, kLauncher);
    Start();
    CLinkManager links;
    links.UpdateLinks();
    links.UpdateLinks();
    EXPECT_EQ(Shortcuts(), std::vector<std::string>{"Editor.lnk -> " + Key("one.acme") + " own"});
}

TEST_F(LinkManagerTest, TwoApplicationsOfOneNameTakeTheirContextTexts) {
    Caption("one.acme", "Editor");
    Caption("two.acme", "Editor");
    Context("one.acme", "Sales");
    Context("two.acme", "Admin");
    AddApp("Tools", "one.acme", kDesktop, kDesktop);
    AddApp("Tools", "two.acme", kDesktop, kDesktop);
    Start();
    CLinkManager links;
    links.UpdateLinks();
    EXPECT_EQ(Shortcuts(), (std::vector<std::string>{"Editor (Admin).lnk -> " + Key("two.acme") + " own",
                                                     "Editor (Sales).lnk -> " + Key("one.acme") + " own"}));
}

TEST_F(LinkManagerTest, AFileThatIsNoShortcutIntoTheNameSpaceIsNeverReplacedNorDeleted) {
    Caption("one.acme", "Editor");
    AddApp("Tools", "one.acme", kDesktop, kDesktop);
    Start();
    PlainFile("Editor.lnk", "not a shortcut");
    CLinkManager links;
    links.UpdateLinks();
    EXPECT_EQ(Shortcuts(), (std::vector<std::string>{"Editor (2).lnk -> " + Key("one.acme") + " own", "Editor.lnk -> -"}));
    // Once that file is gone, the shortcut at "(2)" counts as in place: not
    // renamed, not written again.
    Remove("Editor.lnk");
    const std::string before = Bytes("Editor (2).lnk");
    PlainFile("Editor (2).lnk", before + "mark");
    links.UpdateLinks();
    EXPECT_EQ(Shortcuts(), std::vector<std::string>{"Editor (2).lnk -> " + Key("one.acme") + " own"});
    EXPECT_EQ(Bytes("Editor (2).lnk"), before + "mark");
    // The exit deletes only shortcuts into the name space.
    PlainFile("Notes.lnk", "mine");
    links.DeleteLinks();
    EXPECT_EQ(Shortcuts(), std::vector<std::string>{"Notes.lnk -> -"});
    EXPECT_EQ(Bytes("Notes.lnk"), "mine");
}

TEST_F(LinkManagerTest, AUsersShortcutSurvivesExitAndRestartWithoutTheMarker) {
    AddApp("Tools", "one.acme", kLauncher, kLauncher);
    Start();
    auto links = std::make_unique<CLinkManager>();
    UserShortcut(Key("one.acme"), "Mine.lnk");
    links.reset();
    EXPECT_TRUE(Shortcuts().empty());
    EXPECT_EQ(Records("TEST_TREE"), std::vector<std::string>{"one.acme"});
    links = std::make_unique<CLinkManager>();
    links->UpdateLinks();
    EXPECT_EQ(Shortcuts(), std::vector<std::string>{"one.acme.lnk -> " + Key("one.acme")});
    // And again: it stays the user's.
    Restart(links);
    links->UpdateLinks();
    EXPECT_EQ(Shortcuts(), std::vector<std::string>{"one.acme.lnk -> " + Key("one.acme")});
}

TEST_F(LinkManagerTest, LosingTheDesktopAssociationRemovesOnlyTheOwnShortcut) {
    Caption("one.acme", "Editor");
    AddApp("Tools", "one.acme", kDesktop | kLauncher, kDesktop | kLauncher);
    Start();
    CLinkManager links;
    links.UpdateLinks();
    UserShortcut(Key("one.acme"), "Editor (2).lnk");
    Entry<ScriptSetStateFn>("ScriptSetState")("one.acme", kLauncher);
    cache->CheckSchedules();
    links.UpdateLinks();
    EXPECT_EQ(Shortcuts(), std::vector<std::string>{"Editor (2).lnk -> " + Key("one.acme")});
}

TEST_F(LinkManagerTest, ADeletedLastUserShortcutStaysGone) {
    AddApp("Tools", "one.acme", kLauncher, kLauncher);
    AddApp("Tools", "two.acme", kLauncher, kLauncher);
    Start();
    // A tree that is not connected now keeps what it recorded.
    HKEY other = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, (std::string(kLinkRecordsKey) + "\\OTHER_TREE").c_str(), 0, nullptr,
                              0, KEY_ALL_ACCESS, nullptr, &other, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(other, "three.acme", 0, REG_SZ, reinterpret_cast<const BYTE*>(""), 0);
    RegCloseKey(other);

    auto links = std::make_unique<CLinkManager>();
    UserShortcut(Key("one.acme"), "one.acme.lnk");
    UserShortcut(Key("two.acme"), "two.acme.lnk");
    links->UpdateLinks();
    EXPECT_EQ(Records("TEST_TREE"), (std::vector<std::string>{"one.acme", "two.acme"}));
    Remove("one.acme.lnk");
    links->UpdateLinks();
    EXPECT_EQ(Records("TEST_TREE"), std::vector<std::string>{"two.acme"});
    Remove("two.acme.lnk");
    links->UpdateLinks();
    EXPECT_TRUE(Records("TEST_TREE").empty());
    Restart(links);
    links->UpdateLinks();
    EXPECT_TRUE(Shortcuts().empty());
    EXPECT_EQ(Records("OTHER_TREE"), std::vector<std::string>{"three.acme"});
}

TEST_F(LinkManagerTest, RenamingAnApplicationRenamesItsShortcut) {
    Caption("one.acme", "Editor");
    AddApp("Tools", "one.acme", kDesktop, kDesktop);
    Start();
    CLinkManager links;
    links.UpdateLinks();
    ASSERT_EQ(Shortcuts(), std::vector<std::string>{"Editor.lnk -> " + Key("one.acme") + " own"});
    Caption("one.acme", "Writer: 2nd");
    Rebuild();
    links.UpdateLinks();
    EXPECT_EQ(Shortcuts(), std::vector<std::string>{"Writer_ 2nd.lnk -> " + Key("one.acme") + " own"});
}

TEST_F(LinkManagerTest, NothingIsJudgedBeforeTheCachesFirstRebuild) {
    AddApp("Tools", "one.acme", kLauncher, kLauncher);
    Start();
    UserShortcut(Key("one.acme"), "Mine.lnk");
    // A cache that has not rebuilt yet holds nothing: the user's shortcut
    // would look stale.
    StopCache();
    PlaceLibrary("KMAPPSCR.DLL");
    Entry<ScriptHoldFn>("ScriptHold")(TRUE);
    StartCache();
    CLinkManager links;
    links.UpdateLinks();
    EXPECT_EQ(Shortcuts(), std::vector<std::string>{"Mine.lnk -> " + Key("one.acme")});
    Entry<ScriptReleaseFn>("ScriptRelease")();
}

TEST_F(LinkManagerTest, ResolveLinkTellsOwnShortcutsAndRefusesOtherFiles) {
    Caption("one.acme", "Editor");
    AddApp("Tools", "one.acme", kDesktop, kDesktop);
    AddApp("Tools", "two.acme", kLauncher, kLauncher);
    Start();
    CLinkManager links;
    links.UpdateLinks();
    UserShortcut(Key("two.acme"), "Mine.lnk");
    PlainFile("Plain.lnk", "text");
    struct Case {
        const char* file;
        BOOL into;
        const std::string key;
        BOOL own;
    };
    const Case cases[] = {
        {"Editor.lnk", TRUE, Key("one.acme"), TRUE},
        {"Mine.lnk", TRUE, Key("two.acme"), FALSE},
        {"Plain.lnk", FALSE, "", FALSE},
        {"Missing.lnk", FALSE, "", FALSE},
    };
    for (const Case& c : cases) {
        CString key;
        BOOL own = TRUE;
        EXPECT_EQ(CLinkManager::ResolveLink((desktop + "\\" + c.file).c_str(), key, &own), c.into) << c.file;
        EXPECT_EQ(std::string(key), c.key) << c.file;
        EXPECT_EQ(own, c.own) << c.file;
    }
    CStringArray user;
    links.CollectUserLinks(user);
    ASSERT_EQ(user.GetSize(), 1);
    EXPECT_EQ(std::string(user[0]), Key("two.acme"));
}

}  // namespace
