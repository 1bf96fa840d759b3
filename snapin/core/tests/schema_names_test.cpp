#include <gtest/gtest.h>

#include "snapin/core/app_library.h"
#include "snapin/core/schema_names.h"
#include "vpr/testing/temp_tree.h"

namespace {

TEST(SchemaNamesTest, APageReplacesOnlyItsOwnFlagBits) {
    using namespace snapin;
    // Environment page: minimized, clean-up checked, no 16-bit machine, no logging.
    EXPECT_EQ(MergeAppFlags(0x1090, kFlagLaunchMinimized, kEnvironmentFlagsMask), 0x1091u);
    EXPECT_EQ(MergeAppFlags(0xFFFF, 0, kFaultToleranceFlagsMask), 0xFFE7u);
    EXPECT_EQ(MergeAppFlags(0, 0xFFFF, kIdentificationFlagsMask), kIdentificationFlagsMask);
    // The three writers own distinct bits.
    EXPECT_EQ(kEnvironmentFlagsMask & kFaultToleranceFlagsMask, 0u);
    EXPECT_EQ(kEnvironmentFlagsMask & kIdentificationFlagsMask, 0u);
    EXPECT_EQ(kFaultToleranceFlagsMask & kIdentificationFlagsMask, 0u);
}

// Every name the module uses is one the launcher library's schema defines.
TEST(SchemaNamesTest, TheLibrarysSchemaDefinesEveryNameTheModuleUses) {
    using namespace snapin;
    vpr::testing::TempTree tree;
    tree.Org("acme").User("admin.acme").LogIn("admin.acme");
    CAppLibrary library;
    ASSERT_NE(library.Load(), 0u);
    DIR_CONTEXT context = library.AllocContextHandle();
    ASSERT_GT(context, 0);
    ASSERT_EQ(library.ExtendSchema(context, KMAPP_SCHEMA_APPLICATIONS), 0);
    for (const char* name :
         {kAttrCaption, kAttrDescription, kAttrPath, kAttrVersionString, kAttrGuid, kAttrParameters,
          kAttrWorkingDirectory, kAttrMonitorModule, kAttrErrorLogPath, kAttrFlags, kAttrPlatform,
          kAttrDriveMappings, kAttrPrinterPorts, kAttrContacts, kAttrBackLink, kAttrFaultTolerance,
          kAttrLoadBalancing, kAttrAltBackLink, kAttrIcon, kAttrStartupScript, kAttrShutdownScript,
          kAttrAdministratorNotes, kAttrLauncherConfig, kAttrSchedule, kAttrCopyFiles, kAttrIniSettings,
          kAttrRegistrySettings, kAttrMacros, kAttrTextFiles, kAttrInventory, kAttrProgramGroups,
          kAttrAssociations, kOldAttrFlags, kOldAttrPath, kOldAttrDescription, kOldAttrIcon,
          kOldAttrParameters, kOldAttrWorkingDirectory, kOldAttrBlurb, kOldAttrDriveMappings,
          kOldAttrPrinterPorts, kOldAttrShutdownScript, kOldAttrStartupScript, kOldAttrContacts,
          kOldAttrSeeAlso})
        EXPECT_TRUE(library.IsAttributeDefined(context, name)) << name;
    for (const char* cls : {kClassApplication, kClassApplicationDOS, kClassApplication3x,
                            kClassApplication95, kClassApplicationNT, kClassUser}) {
        vpr::directory::ClassDef def;
        EXPECT_EQ(tree.store().GetClass(cls, &def), DIR_SUCCESS) << cls;
    }
    library.FreeContextHandle(context);
}

}  // namespace
