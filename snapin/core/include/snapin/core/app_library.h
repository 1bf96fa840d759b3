// CAppLibrary: the module's binding of the launcher support library
// KMAPP32.DLL. The library is loaded once at start-up and its entry points
// are bound by name; any of them may be missing, and every call goes through
// a wrapper that gives a fixed default result when its entry point is.
// The record also carries the helpers for printer capture texts.
#pragma once

#include <string>

#include "kmapp32.h"
#include "template/template_library.h"
#include "windows.h"

// Entry points not described by kmapp32.h: the workstation's launch calls.
typedef WORD (*KmappLaunchApplicationFn)(LPARAM, LPARAM, LPARAM, LPARAM);
typedef void (*KmappMonitorApplicationsFn)(void);

// Every entry point in slot order: wrapper-side slot name, exported name, type.
#define VPR_KMAPP_ENTRY_POINTS(X)                                                        \
    X(AllocContextHandle, "KMAPPAllocContextHandle", decltype(&KMAPPAllocContextHandle)) \
    X(FreeContextHandle, "KMAPPFreeContextHandle", decltype(&KMAPPFreeContextHandle))    \
    X(GetFolders, "KMAPPGetFolders", decltype(&KMAPPGetFolders))                         \
    X(FreeGetFolders, "KMAPPFreeGetFolders", decltype(&KMAPPFreeGetFolders))             \
    X(GetObjectAttributes, "KMAPPGetObjectAttributes", decltype(&KMAPPGetObjectAttributes)) \
    X(FreeGetObjectAttributes, "KMAPPFreeGetObjectAttributes", decltype(&KMAPPFreeGetObjectAttributes)) \
    X(LaunchApplication, "KMAPPLaunchApplication", KmappLaunchApplicationFn)             \
    X(MonitorApplications, "KMAPPMonitorApplications", KmappMonitorApplicationsFn)       \
    X(GetIconFromHandle, "KMAPPGetIconFromHandle", decltype(&KMAPPGetIconFromHandle))    \
    X(ReadLauncherConfig, "KMAPPReadLauncherConfig", decltype(&KMAPPReadLauncherConfig)) \
    X(CreateFullObjectName, "KMAPPCreateFullObjectName", decltype(&KMAPPCreateFullObjectName)) \
    X(OctetToString, "KMAPPOctetToString", decltype(&KMAPPOctetToString))                \
    X(GetIconFromFile, "KMAPPGetIconFromFile", decltype(&KMAPPGetIconFromFile))          \
    X(CreateObject, "KMAPPCreateObject", decltype(&KMAPPCreateObject))                   \
    X(TemplateOpen, "kmapptOpen", decltype(&kmapptOpen))                                 \
    X(TemplateClose, "kmapptClose", decltype(&kmapptClose))                              \
    X(TemplateGetEntries, "kmapptGetEntries", decltype(&kmapptGetEntries))               \
    X(TemplateFreeEntries, "kmapptFreeEntries", decltype(&kmapptFreeEntries))            \
    X(StripTreeName, "KMAPPStripTreeName", decltype(&KMAPPStripTreeName))                \
    X(IsSchemaExtended, "KMAPPIsSchemaExtended", decltype(&KMAPPIsSchemaExtended))       \
    X(ExtendSchema, "KMAPPExtendSchema", decltype(&KMAPPExtendSchema))                   \
    X(TemplateReadEntryFromBuffer, "kmapptReadEntryFromBuffer", decltype(&kmapptReadEntryFromBuffer)) \
    X(TemplateFreeReadEntry, "kmapptFreeReadEntry", decltype(&kmapptFreeReadEntry))      \
    X(TemplateWriteEntry, "kmapptWriteEntry", decltype(&kmapptWriteEntry))               \
    X(TemplateFreeWriteEntry, "kmapptFreeWriteEntry", decltype(&kmapptFreeWriteEntry))   \
    X(TemplateWriteFileEntry, "kmapptWriteFileEntry", decltype(&kmapptWriteFileEntry))   \
    X(TemplateWriteDirEntry, "kmapptWriteDirEntry", decltype(&kmapptWriteDirEntry))      \
    X(TemplateWriteSignature, "kmapptWriteSignature", decltype(&kmapptWriteSignature))   \
    X(TemplateWriteIdentEntry, "kmapptWriteIdentEntry", decltype(&kmapptWriteIdentEntry)) \
    X(TemplateWriteSectionEntry, "kmapptWriteSectionEntry", decltype(&kmapptWriteSectionEntry)) \
    X(TemplateWriteValueEntry, "kmapptWriteValueEntry", decltype(&kmapptWriteValueEntry)) \
    X(TemplateWriteKeyEntry, "kmapptWriteKeyEntry", decltype(&kmapptWriteKeyEntry))      \
    X(TemplateWriteMacroEntry, "kmapptWriteMacroEntry", decltype(&kmapptWriteMacroEntry)) \
    X(TemplateWriteTextAddEntry, "kmapptWriteTextAddEntry", decltype(&kmapptWriteTextAddEntry)) \
    X(TemplateWriteTextFindEntry, "kmapptWriteTextFindEntry", decltype(&kmapptWriteTextFindEntry)) \
    X(GrantRightsToObject, "kmappGrantRightsToDSObject", decltype(&kmappGrantRightsToDSObject)) \
    X(RemoveAllRightsFromObject, "kmappRemoveAllRightsFromDSObject", decltype(&kmappRemoveAllRightsFromDSObject)) \
    X(GrantAllRights, "kmappGrantAllRights", decltype(&kmappGrantAllRights))             \
    X(RevokeAllRights, "kmappRevokeAllRights", decltype(&kmappRevokeAllRights))          \
    X(CanRevokeAllRights, "kmappCanRevokeAllRights", decltype(&kmappCanRevokeAllRights)) \
    X(DereferenceAlias, "kmappDSDereferenceAlias", decltype(&kmappDSDereferenceAlias))   \
    X(ParseDriveMapString, "kmappParseDriveMapString", decltype(&kmappParseDriveMapString)) \
    X(BuildDriveMapString, "kmappBuildDriveMapString", decltype(&kmappBuildDriveMapString)) \
    X(TemplateReadEntry, "kmapptReadEntry", decltype(&kmapptReadEntry))                  \
    X(TemplateWriteEntryToFile, "kmapptWriteEntryToFile", decltype(&kmapptWriteEntryToFile)) \
    X(TemplateWriteInvRAMEntry, "kmapptWriteInvRAMEntry", decltype(&kmapptWriteInvRAMEntry)) \
    X(TemplateWriteInvDiskEntry, "kmapptWriteInvDiskEntry", decltype(&kmapptWriteInvDiskEntry)) \
    X(TemplateWriteInvProcessorEntry, "kmapptWriteInvProcessorEntry", decltype(&kmapptWriteInvProcessorEntry)) \
    X(TemplateWriteInvOSVersionEntry, "kmapptWriteInvOSVersionEntry", decltype(&kmapptWriteInvOSVersionEntry)) \
    X(CreateGUID, "KMAPPCreateGUID", decltype(&KMAPPCreateGUID))                         \
    X(IsAttributeDefined, "kmappIsAttributeDefined", decltype(&kmappIsAttributeDefined)) \
    X(GetFoldersEx, "KMAPPGetFoldersEx", decltype(&KMAPPGetFoldersEx))                   \
    X(FreeGetFoldersEx, "KMAPPFreeGetFoldersEx", decltype(&KMAPPFreeGetFoldersEx))       \
    X(TemplateWriteBaseString, "kmapptWriteBaseString", decltype(&kmapptWriteBaseString)) \
    X(TemplateWriteBaseValue, "kmapptWriteBaseValue", decltype(&kmapptWriteBaseValue))   \
    X(TemplateWriteBaseValueString, "kmapptWriteBaseValueString", decltype(&kmapptWriteBaseValueString)) \
    X(TemplateCreate, "kmapptCreate", decltype(&kmapptCreate))                           \
    X(TemplateVerifySignature, "kmapptVerifySignature", decltype(&kmapptVerifySignature)) \
    X(TemplateWriteBaseData, "kmapptWriteBaseData", decltype(&kmapptWriteBaseData))      \
    X(TemplateWritePMGroupEntry, "kmapptWritePMGroupEntry", decltype(&kmapptWritePMGroupEntry)) \
    X(TemplateWriteUserIconEntry, "kmapptWriteUserIconEntry", decltype(&kmapptWriteUserIconEntry))

// Results of the wrappers whose entry point is missing, where not 0 or none.
#define KMAPP_MISSING_NO_CONTEXT (-328)
#define KMAPP_MISSING_CONFIG (-331)
#define KMAPP_MISSING_LAUNCH 0xD009

class CAppLibrary {
public:
    enum Slot {
#define VPR_KMAPP_SLOT(id, name, type) k##id,
        VPR_KMAPP_ENTRY_POINTS(VPR_KMAPP_SLOT)
#undef VPR_KMAPP_SLOT
        kSlotCount
    };
    // The exported names, in slot order.
    static const char* const kEntryNames[kSlotCount];

    CAppLibrary() = default;
    ~CAppLibrary();
    CAppLibrary(const CAppLibrary&) = delete;
    CAppLibrary& operator=(const CAppLibrary&) = delete;

    // Loads KMAPP32.DLL from this module's folder, else through the search
    // path, and binds every entry point. Returns the library file's version
    // (major in the high 16 bits, minor in the low), 0 when it cannot be loaded.
    DWORD Load();
    // As Load, with the module file whose folder is tried first given.
    DWORD LoadBeside(LPCSTR modulePath);
    // Frees the library, when loaded, and forgets every entry point.
    void Unload();
    // The high 32 bits of a file's version; 0 when it has no version resource.
    static DWORD GetVersionInfo(LPCSTR path);

    bool IsLoaded() const { return m_hLibrary != nullptr; }
    bool IsBound(Slot slot) const { return m_entries[slot] != nullptr; }

    // Contexts and names.
    DIR_CONTEXT AllocContextHandle() const;
    void FreeContextHandle(DIR_CONTEXT context) const;
    void CreateFullObjectName(LPCSTR name, LPCSTR container, LPSTR fullName) const;
    void StripTreeName(LPSTR treeName) const;
    void OctetToString(const KmappValue* value, LPSTR text, DWORD size) const;
    void DereferenceAlias(DIR_CONTEXT context, LPSTR object) const;
    LONG CreateGUID(LPSTR text, DWORD size) const;

    // Attribute lists, folders, launcher configuration.
    KmappAttribute* GetObjectAttributes(DIR_CONTEXT context, LPCSTR object, const LPCSTR* names,
                                        DWORD count) const;
    void FreeGetObjectAttributes(KmappAttribute* list) const;
    KmappFolder* GetFolders(DIR_CONTEXT context, LPCSTR user, DWORD levels, DWORD mask) const;
    void FreeGetFolders(KmappFolder* list) const;
    KmappFolder* GetFoldersEx(DIR_CONTEXT context, LPCSTR user, DWORD levels, DWORD mask,
                              DWORD options) const;
    void FreeGetFoldersEx(KmappFolder* list) const;
    LONG ReadLauncherConfig(DIR_CONTEXT context, LPCSTR object, BYTE* record) const;

    // Launching (the workstation's entry points).
    WORD LaunchApplication(LPARAM a, LPARAM b, LPARAM c, LPARAM d) const;
    void MonitorApplications() const;

    // Icons.
    HICON GetIconFromHandle(HINSTANCE instance, HFILE file) const;
    HICON GetIconFromFile(HINSTANCE instance, LPCSTR path) const;

    // Schema and objects.
    DWORD IsSchemaExtended(DIR_CONTEXT context) const;
    LONG ExtendSchema(DIR_CONTEXT context, DWORD schemaBits) const;
    BOOL IsAttributeDefined(DIR_CONTEXT context, LPCSTR attribute) const;
    LONG CreateObject(DIR_CONTEXT context, LPCSTR object, LPCSTR className, LPCSTR path,
                      LPCSTR caption, DWORD reserved) const;

    // Rights.
    LONG GrantRightsToObject(DIR_CONTEXT context, LPCSTR object, LPCSTR attribute, LPCSTR trustee,
                             DWORD rights) const;
    void RemoveAllRightsFromObject(DIR_CONTEXT context, LPCSTR object, LPCSTR trustee) const;
    LONG GrantAllRights(DIR_CONTEXT context, LPCSTR object, LPCSTR application) const;
    LONG RevokeAllRights(DIR_CONTEXT context, LPCSTR object, LPCSTR application, LPCSTR leaving) const;
    BOOL CanRevokeAllRights(DIR_CONTEXT context, LPCSTR object, LPCSTR application,
                            LPCSTR leaving) const;

    // Drive mapping texts. A missing parser understands nothing and a missing
    // builder builds an empty text: the outputs are always set.
    LONG ParseDriveMapString(LPCSTR text, DWORD* flags, LPSTR drive, LPSTR path) const;
    void BuildDriveMapString(DWORD flags, LPCSTR drive, LPCSTR path, LPSTR text) const;

    // Template files and streams. Every out handle, list or entry is set
    // (invalid or null) also when the entry point is missing, and a missing
    // writer reports a write failure.
    LONG TemplateCreate(LPCSTR path, HFILE* handle) const;
    LONG TemplateOpen(LPCSTR path, HFILE* handle) const;
    LONG TemplateClose(HFILE handle) const;
    LONG TemplateVerifySignature(HFILE handle) const;
    LONG TemplateWriteSignature(HFILE handle) const;
    LONG TemplateGetEntries(HFILE handle, DWORD kindMask, DWORD appendAtTail, EntryList** list) const;
    LONG TemplateFreeEntries(EntryList* list) const;
    LONG TemplateReadEntry(HFILE handle, TemplateEntry** entry) const;
    LONG TemplateReadEntryFromBuffer(const SerializedEntry* serialized, TemplateEntry** entry) const;
    LONG TemplateFreeReadEntry(TemplateEntry* entry) const;
    LONG TemplateWriteEntry(const TemplateEntry* entry, SerializedEntry** serialized) const;
    LONG TemplateFreeWriteEntry(SerializedEntry* serialized) const;
    LONG TemplateWriteEntryToFile(HFILE handle, const TemplateEntry* entry) const;
    LONG TemplateWriteFileEntry(HFILE handle, DWORD subtype, DWORD flags, LPCSTR source,
                                LPCSTR target) const;
    LONG TemplateWriteDirEntry(HFILE handle, DWORD subtype, DWORD flags, LPCSTR directory) const;
    LONG TemplateWriteIdentEntry(HFILE handle, DWORD subtype, DWORD flags, LPCSTR iniFile,
                                 LPCSTR section, LPCSTR identifier, LPCSTR value) const;
    LONG TemplateWriteSectionEntry(HFILE handle, DWORD subtype, LPCSTR iniFile, LPCSTR section) const;
    LONG TemplateWriteValueEntry(HFILE handle, DWORD subtype, DWORD flags, LPCSTR key,
                                 LPCSTR valueName, DWORD valueType, DWORD dataLength,
                                 const BYTE* data) const;
    LONG TemplateWriteKeyEntry(HFILE handle, DWORD subtype, DWORD flags, LPCSTR key) const;
    LONG TemplateWriteMacroEntry(HFILE handle, DWORD subtype, LPCSTR name, LPCSTR value) const;
    LONG TemplateWriteTextAddEntry(HFILE handle, DWORD subtype, LPCSTR textFile, LPCSTR text) const;
    LONG TemplateWriteTextFindEntry(HFILE handle, DWORD subtype, DWORD flags, LPCSTR textFile,
                                    LPCSTR find, LPCSTR replacement) const;
    LONG TemplateWriteInvRAMEntry(HFILE handle, DWORD subtype, DWORD value) const;
    LONG TemplateWriteInvDiskEntry(HFILE handle, DWORD subtype, DWORD value, LPCSTR drive) const;
    LONG TemplateWriteInvProcessorEntry(HFILE handle, DWORD subtype, DWORD value) const;
    LONG TemplateWriteInvOSVersionEntry(HFILE handle, DWORD subtype, DWORD major, DWORD minor) const;
    LONG TemplateWriteBaseString(HFILE handle, DWORD subtype, LPCSTR text) const;
    LONG TemplateWriteBaseValue(HFILE handle, DWORD subtype, DWORD value) const;
    LONG TemplateWriteBaseValueString(HFILE handle, DWORD subtype, DWORD value, LPCSTR text) const;
    LONG TemplateWriteBaseData(HFILE handle, DWORD subtype, const BYTE* data, DWORD dataLength) const;
    LONG TemplateWritePMGroupEntry(HFILE handle, DWORD subtype, LPCSTR group) const;
    LONG TemplateWriteUserIconEntry(HFILE handle, DWORD subtype, LPCSTR text1, LPCSTR text2,
                                    LPCSTR text3, LPCSTR text4, LPCSTR text5, LPCSTR text6,
                                    DWORD flags, DWORD iconIndex, DWORD showCommand,
                                    DWORD separateMemorySpace) const;

    // Printer capture texts: "LPT1:=QUEUE /FF /B /NOTI ". Capture flag bits:
    // 0x4 form feed given, 0x20 form feed on; 0x2 banner given, 0x10 banner
    // on; 0x1 notify given, 0x8 notify on.
    //
    // Parses a capture text into its flags, its port (a 5-byte buffer) and
    // its queue (a buffer of `queueSize` bytes). 0, or -1 for a malformed
    // text, an unknown option or a queue longer than its buffer; the flags
    // found up to the failure stay set.
    static LONG ParseCaptureFlags(LPCSTR text, DWORD* flags, LPSTR port, LPSTR queue, DWORD queueSize);
    // The options text of the flags ("/FF /B /NOTI ").
    static std::string FormatCaptureFlags(DWORD flags);
    // port + ":=" + queue + " " + options.
    static std::string BuildCaptureString(DWORD flags, LPCSTR port, LPCSTR queue);

private:
    template <Slot S, typename Result, typename... Args>
    Result Call(Result missing, Args... args) const;
    template <Slot S, typename... Args>
    void CallVoid(Args... args) const;

    HMODULE m_hLibrary = nullptr;
    FARPROC m_entries[kSlotCount] = {};
};

// The module's one binding, zeroed when the module loads.
extern CAppLibrary theAppLibrary;
