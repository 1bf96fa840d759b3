// The binding against the built KMAPP32.DLL, against copies of it stamped
// with other versions, against an older library that lacks most entry
// points, and with no library at all.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "snapin/core/app_library.h"
#include "vpr/testing/temp_machine.h"
#include "vpr/testing/temp_tree.h"
#include "vpr/win/resource_format.h"

namespace fs = std::filesystem;

namespace {

std::string BinFolder() { return fs::read_symlink("/proc/self/exe").parent_path().string(); }

// Places a built library as KMAPP32.DLL in a folder of the machine and
// returns the Windows path of a module file beside it.
std::string PlaceBeside(const vpr::testing::TempMachine& machine, const std::string& folder,
                        const std::string& built) {
    std::string host = machine.HostPath(folder + "\\KMAPP32.DLL");
    fs::create_directories(fs::path(host).parent_path());
    fs::copy_file(BinFolder() + "/" + built, host, fs::copy_options::overwrite_existing);
    return folder + "\\VPRADM32.DLL";
}

TEST(BindingTest, BindsTheBuiltLibraryBesideTheModule) {
    vpr::testing::TempTree tree;
    tree.Org("acme").User("admin.acme").LogIn("admin.acme");
    CAppLibrary library;
    EXPECT_EQ(library.Load(), 0x00610006u);  // 97.6, which passes the 2.01 gate
    ASSERT_TRUE(library.IsLoaded());
    // Every entry point the administration side binds is there but the old
    // launch call, which the library does not export.
    for (int slot = 0; slot < CAppLibrary::kSlotCount; ++slot) {
        bool missing = slot == CAppLibrary::kLaunchApplication;
        EXPECT_EQ(library.IsBound(static_cast<CAppLibrary::Slot>(slot)), !missing)
            << CAppLibrary::kEntryNames[slot];
    }
    // The wrappers reach the library.
    DIR_CONTEXT context = library.AllocContextHandle();
    ASSERT_GT(context, 0);
    EXPECT_EQ(library.ExtendSchema(context, KMAPP_SCHEMA_APPLICATIONS), 0);
    EXPECT_EQ(library.CreateObject(context, ".Word.acme", "App:Application", "WORD.EXE", "Word", 0), 0);
    char guid[256];
    EXPECT_EQ(library.CreateGUID(guid, sizeof guid), 0);
    EXPECT_EQ(std::strlen(guid), 38u);
    char port[5], queue[64];
    DWORD flags = 0;
    EXPECT_EQ(CAppLibrary::ParseCaptureFlags("LPT1:=Q /FF", &flags, port, queue, sizeof queue), 0);
    library.FreeContextHandle(context);
    EXPECT_EQ(library.LaunchApplication(0, 0, 0, 0), KMAPP_MISSING_LAUNCH);

    library.Unload();
    EXPECT_FALSE(library.IsLoaded());
    EXPECT_FALSE(library.IsBound(CAppLibrary::kAllocContextHandle));
    EXPECT_EQ(library.AllocContextHandle(), KMAPP_MISSING_NO_CONTEXT);
}

TEST(BindingTest, GivesTheVersionOfTheLibraryItFound) {
    vpr::testing::TempMachine machine;
    struct Case {
        std::array<uint16_t, 4> version;
        DWORD word;
    } cases[] = {
        {{1, 2, 0, 0}, 0x00010002}, {{2, 0, 0, 0}, 0x00020000}, {{0, 5, 0, 0}, 0x00000005},
        {{1, 1, 0, 0}, 0x00010001}, {{0, 1, 0, 0}, 0x00000001}, {{97, 6, 3, 0}, 0x00610006},
    };
    int n = 0;
    for (const Case& c : cases) {
        std::string folder = "C:\\VPR" + std::to_string(n++);
        std::string module = PlaceBeside(machine, folder, "KMAPP32.DLL");
        ASSERT_EQ(vpr::win::StampModuleVersion(machine.HostPath(folder + "\\KMAPP32.DLL"), c.version),
                  ERROR_SUCCESS);
        CAppLibrary library;
        EXPECT_EQ(library.LoadBeside(module.c_str()), c.word) << folder;
        EXPECT_TRUE(library.IsBound(CAppLibrary::kGetFoldersEx));
        EXPECT_EQ(CAppLibrary::GetVersionInfo((folder + "\\KMAPP32.DLL").c_str()), c.word);
    }
    EXPECT_EQ(CAppLibrary::GetVersionInfo("C:\\NOWHERE\\KMAPP32.DLL"), 0u);
}

TEST(BindingTest, WithoutALibraryBesideTheModuleTheSearchPathIsUsed) {
    vpr::testing::TempMachine machine;
    CAppLibrary library;
    // The module's folder holds none; the search finds the build's own in the
    // program's folder.
    EXPECT_EQ(library.LoadBeside("C:\\EMPTY\\VPRADM32.DLL"), 0x00610006u);
    EXPECT_TRUE(library.IsBound(CAppLibrary::kAllocContextHandle));
}

// What each wrapper gives when its entry point is missing: the call and the
// result it must give.
struct Default {
    const char* name;
    std::function<int64_t(const CAppLibrary&)> call;
    int64_t result;
};

std::vector<Default> Defaults() {
    HFILE file = 5;
    return {
        {"AllocContextHandle", [](const CAppLibrary& l) { return l.AllocContextHandle(); }, -328},
        {"ReadLauncherConfig", [](const CAppLibrary& l) { BYTE r[100]; return l.ReadLauncherConfig(1, "x", r); }, -331},
        {"LaunchApplication", [](const CAppLibrary& l) { return l.LaunchApplication(0, 0, 0, 0); }, 0xD009},
        {"CreateGUID", [](const CAppLibrary& l) { char t[256]; return l.CreateGUID(t, 256); }, -2},
        {"CreateObject", [](const CAppLibrary& l) { return l.CreateObject(1, "a", "b", "c", "d", 0); }, -1},
        {"GetObjectAttributes", [](const CAppLibrary& l) { return l.GetObjectAttributes(1, "a", nullptr, 0) != nullptr; }, 0},
        {"GetFolders", [](const CAppLibrary& l) { return l.GetFolders(1, "a", 1, 0x2F) != nullptr; }, 0},
        {"GetFoldersEx", [](const CAppLibrary& l) { return l.GetFoldersEx(1, "a", 1, 0x2F, 8) != nullptr; }, 0},
        {"GetIconFromHandle", [](const CAppLibrary& l) { return l.GetIconFromHandle(nullptr, 3) != nullptr; }, 0},
        {"GetIconFromFile", [](const CAppLibrary& l) { return l.GetIconFromFile(nullptr, "a") != nullptr; }, 0},
        {"IsSchemaExtended", [](const CAppLibrary& l) { return l.IsSchemaExtended(1); }, 0},
        {"ExtendSchema", [](const CAppLibrary& l) { return l.ExtendSchema(1, 8); }, -1},
        {"IsAttributeDefined", [](const CAppLibrary& l) { return l.IsAttributeDefined(1, "App:GUID"); }, 0},
        {"GrantRightsToObject", [](const CAppLibrary& l) { return l.GrantRightsToObject(1, "a", "b", "c", 3); }, -1},
        {"GrantAllRights", [](const CAppLibrary& l) { return l.GrantAllRights(1, "a", "b"); }, -1},
        {"RevokeAllRights", [](const CAppLibrary& l) { return l.RevokeAllRights(1, "a", "b", "b"); }, -1},
        {"CanRevokeAllRights", [](const CAppLibrary& l) { return l.CanRevokeAllRights(1, "a", "b", "c"); }, 0},
        {"ParseDriveMapString", [](const CAppLibrary& l) { DWORD f; char d[16], p[256]; return l.ParseDriveMapString("8=X", &f, d, p); }, -1},
        {"TemplateCreate", [](const CAppLibrary& l) { HFILE h; return l.TemplateCreate("a", &h); }, -1},
        {"TemplateOpen", [](const CAppLibrary& l) { HFILE h; return l.TemplateOpen("a", &h); }, 0},
        {"TemplateClose", [=](const CAppLibrary& l) { return l.TemplateClose(file); }, 0},
        {"TemplateGetEntries", [=](const CAppLibrary& l) { EntryList* e; return l.TemplateGetEntries(file, 0, 1, &e); }, 0},
        {"TemplateFreeEntries", [](const CAppLibrary& l) { return l.TemplateFreeEntries(nullptr); }, 0},
        {"TemplateReadEntryFromBuffer", [](const CAppLibrary& l) { TemplateEntry* e; return l.TemplateReadEntryFromBuffer(nullptr, &e); }, -1},
        {"TemplateWriteEntry", [](const CAppLibrary& l) { SerializedEntry* s; return l.TemplateWriteEntry(nullptr, &s); }, -1},
        {"TemplateReadEntry", [=](const CAppLibrary& l) { TemplateEntry* e; return l.TemplateReadEntry(file, &e); }, -1},
        {"TemplateVerifySignature", [=](const CAppLibrary& l) { return l.TemplateVerifySignature(file); }, -1},
        // Writers report that nothing was written.
        {"TemplateWriteSignature", [=](const CAppLibrary& l) { return l.TemplateWriteSignature(file); }, -2},
        {"TemplateWriteFileEntry", [=](const CAppLibrary& l) { return l.TemplateWriteFileEntry(file, 1, 0, "a", "b"); }, -2},
        {"TemplateWriteDirEntry", [=](const CAppLibrary& l) { return l.TemplateWriteDirEntry(file, 1, 0, "a"); }, -2},
        {"TemplateWriteIdentEntry", [=](const CAppLibrary& l) { return l.TemplateWriteIdentEntry(file, 1, 0, "a", "b", "c", "d"); }, -2},
        {"TemplateWriteSectionEntry", [=](const CAppLibrary& l) { return l.TemplateWriteSectionEntry(file, 1, "a", "b"); }, -2},
        {"TemplateWriteValueEntry", [=](const CAppLibrary& l) { return l.TemplateWriteValueEntry(file, 1, 0, "k", "v", 1, 0, nullptr); }, -2},
        {"TemplateWriteKeyEntry", [=](const CAppLibrary& l) { return l.TemplateWriteKeyEntry(file, 1, 0, "k"); }, -2},
        {"TemplateWriteMacroEntry", [=](const CAppLibrary& l) { return l.TemplateWriteMacroEntry(file, 1, "a", "b"); }, -2},
        {"TemplateWriteTextAddEntry", [=](const CAppLibrary& l) { return l.TemplateWriteTextAddEntry(file, 1, "a", "b"); }, -2},
        {"TemplateWriteTextFindEntry", [=](const CAppLibrary& l) { return l.TemplateWriteTextFindEntry(file, 1, 0, "a", "b", "c"); }, -2},
        {"TemplateWriteEntryToFile", [=](const CAppLibrary& l) { return l.TemplateWriteEntryToFile(file, nullptr); }, -2},
        {"TemplateWriteInvRAMEntry", [=](const CAppLibrary& l) { return l.TemplateWriteInvRAMEntry(file, 1, 8); }, -2},
        {"TemplateWriteInvDiskEntry", [=](const CAppLibrary& l) { return l.TemplateWriteInvDiskEntry(file, 1, 8, "C:"); }, -2},
        {"TemplateWriteInvProcessorEntry", [=](const CAppLibrary& l) { return l.TemplateWriteInvProcessorEntry(file, 1, 4); }, -2},
        {"TemplateWriteInvOSVersionEntry", [=](const CAppLibrary& l) { return l.TemplateWriteInvOSVersionEntry(file, 1, 4, 0); }, -2},
        {"TemplateWriteBaseString", [=](const CAppLibrary& l) { return l.TemplateWriteBaseString(file, 1, "a"); }, -1},
        {"TemplateWriteBaseValue", [=](const CAppLibrary& l) { return l.TemplateWriteBaseValue(file, 1, 2); }, -1},
        {"TemplateWriteBaseValueString", [=](const CAppLibrary& l) { return l.TemplateWriteBaseValueString(file, 1, 2, "a"); }, -1},
        {"TemplateWriteBaseData", [=](const CAppLibrary& l) { return l.TemplateWriteBaseData(file, 1, nullptr, 0); }, -1},
        {"TemplateWritePMGroupEntry", [=](const CAppLibrary& l) { return l.TemplateWritePMGroupEntry(file, 1, "a"); }, -1},
        {"TemplateWriteUserIconEntry", [=](const CAppLibrary& l) { return l.TemplateWriteUserIconEntry(file, 1, "", "", "", "", "", "", 0, 0, 1, 0); }, -1},
    };
}

TEST(BindingTest, WithoutALibraryEveryWrapperGivesItsDefault) {
    CAppLibrary library;  // never loaded
    for (const Default& d : Defaults()) EXPECT_EQ(d.call(library), d.result) << d.name;
}

TEST(BindingTest, WithoutALibraryNoOutputIsLeftUnset) {
    CAppLibrary library;
    HFILE handle = 1234;
    EXPECT_EQ(library.TemplateOpen("a.qmt", &handle), 0);
    EXPECT_EQ(handle, HFILE_ERROR);
    handle = 1234;
    EXPECT_EQ(library.TemplateCreate("a.qmt", &handle), -1);
    EXPECT_EQ(handle, HFILE_ERROR);
    auto list = reinterpret_cast<EntryList*>(0x1);
    EXPECT_EQ(library.TemplateGetEntries(3, 0, 1, &list), 0);
    EXPECT_EQ(list, nullptr);
    auto entry = reinterpret_cast<TemplateEntry*>(0x1);
    library.TemplateReadEntry(3, &entry);
    EXPECT_EQ(entry, nullptr);

    char text[16] = "unset";
    library.OctetToString(nullptr, text, sizeof text);
    EXPECT_STREQ(text, "");
    std::strcpy(text, "unset");
    library.BuildDriveMapString(8, "", "X", text);
    EXPECT_STREQ(text, "");
    char full[DIR_MAX_NAME] = "unset";
    library.CreateFullObjectName("a", "b", full);
    EXPECT_STREQ(full, "");
    DWORD flags = 77;
    char drive[16] = "unset", path[256] = "unset";
    EXPECT_NE(library.ParseDriveMapString("8=X", &flags, drive, path), 0);
    EXPECT_EQ(flags, 0u);
    EXPECT_STREQ(drive, "");
    EXPECT_STREQ(path, "");
    // The calls without a result do nothing.
    char tree[] = "TREE___";
    library.StripTreeName(tree);
    EXPECT_STREQ(tree, "TREE___");
    char name[DIR_MAX_NAME] = ".alias.acme";
    library.DereferenceAlias(1, name);
    EXPECT_STREQ(name, ".alias.acme");
    library.FreeContextHandle(1);
    library.FreeGetObjectAttributes(nullptr);
    library.FreeGetFoldersEx(nullptr);
    library.MonitorApplications();
}

TEST(BindingTest, AnOlderLibraryServesWhatItHasAndTheRestGiveDefaults) {
    vpr::testing::TempMachine machine;
    std::string module = PlaceBeside(machine, "C:\\OLD", "KMAPPSOME.DLL");
    CAppLibrary library;
    EXPECT_EQ(library.LoadBeside(module.c_str()), 0x00010002u);
    // Its three entry points answer...
    EXPECT_EQ(library.AllocContextHandle(), 4242);
    char guid[256];
    EXPECT_EQ(library.CreateGUID(guid, sizeof guid), 0);
    EXPECT_STREQ(guid, "{PARTIAL}");
    EXPECT_EQ(library.TemplateWriteSignature(3), 7);
    // ...and every other wrapper gives its default.
    for (const Default& d : Defaults()) {
        std::string name = d.name;
        if (name == "AllocContextHandle" || name == "CreateGUID" || name == "TemplateWriteSignature") continue;
        EXPECT_EQ(d.call(library), d.result) << d.name;
    }
}

}  // namespace
