// The directory names the module reads and writes: classes and attributes of
// application objects, the bits of "App:Flags" and "App:Platform", the
// association flags, and the names of the old application objects.
#pragma once

#include "windows.h"

namespace snapin {

// Classes.
constexpr char kClassApplication[] = "App:Application";
constexpr char kClassApplicationDOS[] = "Application (DOS)";
constexpr char kClassApplication3x[] = "Application (Windows 3.x)";
constexpr char kClassApplication95[] = "Application (Windows 95)";
constexpr char kClassApplicationNT[] = "Application (Windows NT)";
constexpr char kClassUser[] = "User";

// Attributes of application objects.
constexpr char kAttrCaption[] = "App:Caption";
constexpr char kAttrDescription[] = "App:Description";
constexpr char kAttrPath[] = "App:Path";
// The "App:Path" of an application that needs no executable (install-only).
constexpr char kInstallOnlyPath[] = " 47 NULL ";
constexpr char kAttrVersionString[] = "App:Version String";
constexpr char kAttrGuid[] = "App:GUID";
constexpr char kAttrParameters[] = "App:Parameters";
constexpr char kAttrWorkingDirectory[] = "App:Working Directory";
constexpr char kAttrMonitorModule[] = "App:Monitor Module";
constexpr char kAttrErrorLogPath[] = "App:Error Log Path";
constexpr char kAttrFlags[] = "App:Flags";
constexpr char kAttrPlatform[] = "App:Platform";
constexpr char kAttrDriveMappings[] = "App:Drive Mappings";
constexpr char kAttrPrinterPorts[] = "App:Printer Ports";
constexpr char kAttrContacts[] = "App:Contacts";
constexpr char kAttrBackLink[] = "App:Back Link";
constexpr char kAttrFaultTolerance[] = "App:Fault Tolerance";
constexpr char kAttrLoadBalancing[] = "App:Load Balancing";
constexpr char kAttrAltBackLink[] = "App:Alt Back Link";
constexpr char kAttrIcon[] = "App:Icon";
constexpr char kAttrStartupScript[] = "App:Startup Script";
constexpr char kAttrShutdownScript[] = "App:Shutdown Script";
constexpr char kAttrAdministratorNotes[] = "App:Administrator Notes";
constexpr char kAttrLauncherConfig[] = "App:Launcher Config";
constexpr char kAttrSchedule[] = "App:Schedule";
// Streams whose content is a template.
constexpr char kAttrCopyFiles[] = "App:Copy Files";
constexpr char kAttrIniSettings[] = "App:INI Settings";
constexpr char kAttrRegistrySettings[] = "App:Registry Settings";
constexpr char kAttrMacros[] = "App:Macros";
constexpr char kAttrTextFiles[] = "App:Text Files";
constexpr char kAttrInventory[] = "App:Inventory";
constexpr char kAttrProgramGroups[] = "App:Program Groups";

// Attribute of users, groups and containers: typed names of applications.
constexpr char kAttrAssociations[] = "App:Associations";

// Association flags (the level of an "App:Associations" value).
constexpr DWORD kAssocLauncher = 0x01;
constexpr DWORD kAssocForceRun = 0x02;
constexpr DWORD kAssocStartMenu = 0x04;
constexpr DWORD kAssocDesktop = 0x08;
constexpr DWORD kAssocSystemTray = 0x20;

// "App:Flags" bits.
constexpr DWORD kFlagLaunchMinimized = 0x1;
constexpr DWORD kFlagKeepNetworkResources = 0x2;
constexpr DWORD kFlagLaunchMaximized = 0x4;
constexpr DWORD kFlagLoadBalancing = 0x8;
constexpr DWORD kFlagFaultTolerance = 0x10;
constexpr DWORD kFlagSeparateVdm = 0x40;
constexpr DWORD kFlagInstallOnly = 0x80;
constexpr DWORD kFlagRunOnce = 0x100;
constexpr DWORD kFlagAlwaysReboot = 0x200;
constexpr DWORD kFlagErrorLogging = 0x400;
constexpr DWORD kFlagNeverReboot = 0x800;
constexpr DWORD kFlagAlwaysDistribute = 0x1000;

// The bits of "App:Flags" each page owns.
constexpr DWORD kEnvironmentFlagsMask = 0x447;
constexpr DWORD kFaultToleranceFlagsMask = 0x18;
constexpr DWORD kIdentificationFlagsMask = 0x1B80;

// A page's new "App:Flags": its own bits replaced, every other bit kept.
constexpr DWORD MergeAppFlags(DWORD current, DWORD pageBits, DWORD mask) {
    return (current & ~mask) | (pageBits & mask);
}

// "App:Platform" bits.
constexpr DWORD kPlatformWin3x = 0x1;
constexpr DWORD kPlatformWin95 = 0x2;
constexpr DWORD kPlatformWinNT = 0x4;
constexpr DWORD kPlatformDOS = 0x8;

// Attributes of the old application objects.
constexpr char kOldAttrFlags[] = "App Flags";
constexpr char kOldAttrPath[] = "App Path";
constexpr char kOldAttrDescription[] = "Description";
constexpr char kOldAttrIcon[] = "App Icon";
constexpr char kOldAttrParameters[] = "App Parameters";
constexpr char kOldAttrWorkingDirectory[] = "App Working Directory";
constexpr char kOldAttrBlurb[] = "App Blurb";
constexpr char kOldAttrDriveMappings[] = "App Drive Mappings";
constexpr char kOldAttrPrinterPorts[] = "App Printer Ports";
constexpr char kOldAttrShutdownScript[] = "App Shutdown Script";
constexpr char kOldAttrStartupScript[] = "App Startup Script";
constexpr char kOldAttrContacts[] = "App Contacts";
constexpr char kOldAttrSeeAlso[] = "See Also";

}  // namespace snapin
