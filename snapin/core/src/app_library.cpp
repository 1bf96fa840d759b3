#include "snapin/core/app_library.h"

#include <cctype>
#include <cstring>

#include "vpr/locale/locale.h"

CAppLibrary theAppLibrary;

const char* const CAppLibrary::kEntryNames[kSlotCount] = {
#define VPR_KMAPP_NAME(id, name, type) name,
    VPR_KMAPP_ENTRY_POINTS(VPR_KMAPP_NAME)
#undef VPR_KMAPP_NAME
};

namespace {

// The function type of each slot.
template <CAppLibrary::Slot S>
struct EntryType;
#define VPR_KMAPP_TYPE(id, name, type)        \
    template <>                               \
    struct EntryType<CAppLibrary::k##id> {    \
        using Type = type;                    \
    };
VPR_KMAPP_ENTRY_POINTS(VPR_KMAPP_TYPE)
#undef VPR_KMAPP_TYPE

// What a missing template writer reports: nothing was written.
constexpr LONG kMissingWriter = TEMPLATE_ERR_WRITE;

}  // namespace

template <CAppLibrary::Slot S, typename Result, typename... Args>
Result CAppLibrary::Call(Result missing, Args... args) const {
    auto entry = reinterpret_cast<typename EntryType<S>::Type>(m_entries[S]);
    return entry ? static_cast<Result>(entry(args...)) : missing;
}

template <CAppLibrary::Slot S, typename... Args>
void CAppLibrary::CallVoid(Args... args) const {
    if (auto entry = reinterpret_cast<typename EntryType<S>::Type>(m_entries[S])) entry(args...);
}

CAppLibrary::~CAppLibrary() { Unload(); }

void CAppLibrary::Unload() {
    if (m_hLibrary) FreeLibrary(m_hLibrary);
    m_hLibrary = nullptr;
    for (FARPROC& entry : m_entries) entry = nullptr;
}

DWORD CAppLibrary::Load() {
    char modulePath[MAX_PATH] = {};
    GetModuleFileNameA(vpr::win::ThisModule(), modulePath, sizeof modulePath);
    return LoadBeside(modulePath);
}

DWORD CAppLibrary::LoadBeside(LPCSTR modulePath) {
    Unload();
    std::string beside = modulePath ? modulePath : "";
    if (char* slash = KMLstrrchr(beside.data(), '\\')) {
        beside.resize(slash - beside.data());
        beside += "\\KMAPP32.DLL";
        m_hLibrary = LoadLibraryA(beside.c_str());
    }
    if (!m_hLibrary) m_hLibrary = LoadLibraryA("KMAPP32.DLL");
    if (!m_hLibrary) return 0;
    char loadedPath[MAX_PATH] = {};
    GetModuleFileNameA(m_hLibrary, loadedPath, sizeof loadedPath);
    DWORD version = GetVersionInfo(loadedPath);
    for (int slot = 0; slot < kSlotCount; ++slot)
        m_entries[slot] = GetProcAddress(m_hLibrary, kEntryNames[slot]);
    return version;
}

DWORD CAppLibrary::GetVersionInfo(LPCSTR path) {
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeA(path, &handle);
    if (size == 0) return 0;
    std::string block(size, '\0');
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (!GetFileVersionInfoA(path, handle, size, block.data()) ||
        !VerQueryValueA(block.data(), "\\", reinterpret_cast<LPVOID*>(&info), &length) || !info ||
        length < sizeof(VS_FIXEDFILEINFO))
        return 0;
    return info->dwFileVersionMS;
}

// ---- wrappers -------------------------------------------------------------

DIR_CONTEXT CAppLibrary::AllocContextHandle() const {
    return Call<kAllocContextHandle>(static_cast<DIR_CONTEXT>(KMAPP_MISSING_NO_CONTEXT));
}
void CAppLibrary::FreeContextHandle(DIR_CONTEXT context) const { CallVoid<kFreeContextHandle>(context); }

void CAppLibrary::CreateFullObjectName(LPCSTR name, LPCSTR container, LPSTR fullName) const {
    if (!IsBound(kCreateFullObjectName)) {
        if (fullName) fullName[0] = 0;
        return;
    }
    CallVoid<kCreateFullObjectName>(name, container, fullName);
}

void CAppLibrary::StripTreeName(LPSTR treeName) const { CallVoid<kStripTreeName>(treeName); }

void CAppLibrary::OctetToString(const KmappValue* value, LPSTR text, DWORD size) const {
    // Without the entry point the caller still gets a text: an empty one.
    if (!IsBound(kOctetToString)) {
        if (text && size > 0) text[0] = 0;
        return;
    }
    CallVoid<kOctetToString>(value, text, size);
}

void CAppLibrary::DereferenceAlias(DIR_CONTEXT context, LPSTR object) const {
    CallVoid<kDereferenceAlias>(context, object);
}

LONG CAppLibrary::CreateGUID(LPSTR text, DWORD size) const {
    return Call<kCreateGUID>(LONG{-2}, text, size);
}

KmappAttribute* CAppLibrary::GetObjectAttributes(DIR_CONTEXT context, LPCSTR object,
                                                 const LPCSTR* names, DWORD count) const {
    return Call<kGetObjectAttributes>(static_cast<KmappAttribute*>(nullptr), context, object, names, count);
}
void CAppLibrary::FreeGetObjectAttributes(KmappAttribute* list) const {
    CallVoid<kFreeGetObjectAttributes>(list);
}

KmappFolder* CAppLibrary::GetFolders(DIR_CONTEXT context, LPCSTR user, DWORD levels, DWORD mask) const {
    return Call<kGetFolders>(static_cast<KmappFolder*>(nullptr), context, user, levels, mask);
}
void CAppLibrary::FreeGetFolders(KmappFolder* list) const { CallVoid<kFreeGetFolders>(list); }

KmappFolder* CAppLibrary::GetFoldersEx(DIR_CONTEXT context, LPCSTR user, DWORD levels, DWORD mask,
                                       DWORD options) const {
    return Call<kGetFoldersEx>(static_cast<KmappFolder*>(nullptr), context, user, levels, mask, options);
}
void CAppLibrary::FreeGetFoldersEx(KmappFolder* list) const { CallVoid<kFreeGetFoldersEx>(list); }

LONG CAppLibrary::ReadLauncherConfig(DIR_CONTEXT context, LPCSTR object, BYTE* record) const {
    return Call<kReadLauncherConfig>(LONG{KMAPP_MISSING_CONFIG}, context, object, record);
}

WORD CAppLibrary::LaunchApplication(LPARAM a, LPARAM b, LPARAM c, LPARAM d) const {
    return Call<kLaunchApplication>(WORD{KMAPP_MISSING_LAUNCH}, a, b, c, d);
}
void CAppLibrary::MonitorApplications() const { CallVoid<kMonitorApplications>(); }

HICON CAppLibrary::GetIconFromHandle(HINSTANCE instance, HFILE file) const {
    return Call<kGetIconFromHandle>(static_cast<HICON>(nullptr), instance, file);
}
HICON CAppLibrary::GetIconFromFile(HINSTANCE instance, LPCSTR path) const {
    return Call<kGetIconFromFile>(static_cast<HICON>(nullptr), instance, path);
}

DWORD CAppLibrary::IsSchemaExtended(DIR_CONTEXT context) const {
    return Call<kIsSchemaExtended>(DWORD{0}, context);
}
LONG CAppLibrary::ExtendSchema(DIR_CONTEXT context, DWORD schemaBits) const {
    return Call<kExtendSchema>(LONG{-1}, context, schemaBits);
}
BOOL CAppLibrary::IsAttributeDefined(DIR_CONTEXT context, LPCSTR attribute) const {
    return Call<kIsAttributeDefined>(BOOL{FALSE}, context, attribute);
}
LONG CAppLibrary::CreateObject(DIR_CONTEXT context, LPCSTR object, LPCSTR className, LPCSTR path,
                               LPCSTR caption, DWORD reserved) const {
    return Call<kCreateObject>(LONG{-1}, context, object, className, path, caption, reserved);
}

LONG CAppLibrary::GrantRightsToObject(DIR_CONTEXT context, LPCSTR object, LPCSTR attribute,
                                      LPCSTR trustee, DWORD rights) const {
    return Call<kGrantRightsToObject>(LONG{-1}, context, object, attribute, trustee, rights);
}
void CAppLibrary::RemoveAllRightsFromObject(DIR_CONTEXT context, LPCSTR object, LPCSTR trustee) const {
    CallVoid<kRemoveAllRightsFromObject>(context, object, trustee);
}
LONG CAppLibrary::GrantAllRights(DIR_CONTEXT context, LPCSTR object, LPCSTR application) const {
    return Call<kGrantAllRights>(LONG{-1}, context, object, application);
}
LONG CAppLibrary::RevokeAllRights(DIR_CONTEXT context, LPCSTR object, LPCSTR application,
                                  LPCSTR leaving) const {
    return Call<kRevokeAllRights>(LONG{-1}, context, object, application, leaving);
}
BOOL CAppLibrary::CanRevokeAllRights(DIR_CONTEXT context, LPCSTR object, LPCSTR application,
                                     LPCSTR leaving) const {
    return Call<kCanRevokeAllRights>(BOOL{FALSE}, context, object, application, leaving);
}

LONG CAppLibrary::ParseDriveMapString(LPCSTR text, DWORD* flags, LPSTR drive, LPSTR path) const {
    if (!IsBound(kParseDriveMapString)) {
        if (flags) *flags = 0;
        if (drive) drive[0] = 0;
        if (path) path[0] = 0;
        return -1;
    }
    return Call<kParseDriveMapString>(LONG{-1}, text, flags, drive, path);
}
void CAppLibrary::BuildDriveMapString(DWORD flags, LPCSTR drive, LPCSTR path, LPSTR text) const {
    if (!IsBound(kBuildDriveMapString)) {
        if (text) text[0] = 0;
        return;
    }
    CallVoid<kBuildDriveMapString>(flags, drive, path, text);
}

// ---- template files and streams ---------------------------------------------

LONG CAppLibrary::TemplateCreate(LPCSTR path, HFILE* handle) const {
    if (!IsBound(kTemplateCreate) && handle) *handle = HFILE_ERROR;
    return Call<kTemplateCreate>(LONG{-1}, path, handle);
}
LONG CAppLibrary::TemplateOpen(LPCSTR path, HFILE* handle) const {
    if (!IsBound(kTemplateOpen) && handle) *handle = HFILE_ERROR;
    return Call<kTemplateOpen>(LONG{0}, path, handle);
}
LONG CAppLibrary::TemplateClose(HFILE handle) const { return Call<kTemplateClose>(LONG{0}, handle); }
LONG CAppLibrary::TemplateVerifySignature(HFILE handle) const {
    return Call<kTemplateVerifySignature>(LONG{-1}, handle);
}
LONG CAppLibrary::TemplateWriteSignature(HFILE handle) const {
    return Call<kTemplateWriteSignature>(kMissingWriter, handle);
}
LONG CAppLibrary::TemplateGetEntries(HFILE handle, DWORD kindMask, DWORD appendAtTail,
                                     EntryList** list) const {
    if (!IsBound(kTemplateGetEntries) && list) *list = nullptr;
    return Call<kTemplateGetEntries>(LONG{0}, handle, kindMask, appendAtTail, list);
}
LONG CAppLibrary::TemplateFreeEntries(EntryList* list) const {
    return Call<kTemplateFreeEntries>(LONG{0}, list);
}
LONG CAppLibrary::TemplateReadEntry(HFILE handle, TemplateEntry** entry) const {
    if (!IsBound(kTemplateReadEntry) && entry) *entry = nullptr;
    return Call<kTemplateReadEntry>(LONG{-1}, handle, entry);
}
LONG CAppLibrary::TemplateReadEntryFromBuffer(const SerializedEntry* serialized,
                                              TemplateEntry** entry) const {
    if (!IsBound(kTemplateReadEntryFromBuffer) && entry) *entry = nullptr;
    return Call<kTemplateReadEntryFromBuffer>(LONG{-1}, serialized, entry);
}
LONG CAppLibrary::TemplateFreeReadEntry(TemplateEntry* entry) const {
    return Call<kTemplateFreeReadEntry>(LONG{0}, entry);
}
LONG CAppLibrary::TemplateWriteEntry(const TemplateEntry* entry, SerializedEntry** serialized) const {
    if (!IsBound(kTemplateWriteEntry) && serialized) *serialized = nullptr;
    return Call<kTemplateWriteEntry>(LONG{-1}, entry, serialized);
}
LONG CAppLibrary::TemplateFreeWriteEntry(SerializedEntry* serialized) const {
    return Call<kTemplateFreeWriteEntry>(LONG{0}, serialized);
}
LONG CAppLibrary::TemplateWriteEntryToFile(HFILE handle, const TemplateEntry* entry) const {
    return Call<kTemplateWriteEntryToFile>(kMissingWriter, handle, entry);
}
LONG CAppLibrary::TemplateWriteFileEntry(HFILE handle, DWORD subtype, DWORD flags, LPCSTR source,
                                         LPCSTR target) const {
    return Call<kTemplateWriteFileEntry>(kMissingWriter, handle, subtype, flags, source, target);
}
LONG CAppLibrary::TemplateWriteDirEntry(HFILE handle, DWORD subtype, DWORD flags, LPCSTR directory) const {
    return Call<kTemplateWriteDirEntry>(kMissingWriter, handle, subtype, flags, directory);
}
LONG CAppLibrary::TemplateWriteIdentEntry(HFILE handle, DWORD subtype, DWORD flags, LPCSTR iniFile,
                                          LPCSTR section, LPCSTR identifier, LPCSTR value) const {
    return Call<kTemplateWriteIdentEntry>(kMissingWriter, handle, subtype, flags, iniFile, section,
                                          identifier, value);
}
LONG CAppLibrary::TemplateWriteSectionEntry(HFILE handle, DWORD subtype, LPCSTR iniFile,
                                            LPCSTR section) const {
    return Call<kTemplateWriteSectionEntry>(kMissingWriter, handle, subtype, iniFile, section);
}
LONG CAppLibrary::TemplateWriteValueEntry(HFILE handle, DWORD subtype, DWORD flags, LPCSTR key,
                                          LPCSTR valueName, DWORD valueType, DWORD dataLength,
                                          const BYTE* data) const {
    return Call<kTemplateWriteValueEntry>(kMissingWriter, handle, subtype, flags, key, valueName,
                                          valueType, dataLength, data);
}
LONG CAppLibrary::TemplateWriteKeyEntry(HFILE handle, DWORD subtype, DWORD flags, LPCSTR key) const {
    return Call<kTemplateWriteKeyEntry>(kMissingWriter, handle, subtype, flags, key);
}
LONG CAppLibrary::TemplateWriteMacroEntry(HFILE handle, DWORD subtype, LPCSTR name, LPCSTR value) const {
    return Call<kTemplateWriteMacroEntry>(kMissingWriter, handle, subtype, name, value);
}
LONG CAppLibrary::TemplateWriteTextAddEntry(HFILE handle, DWORD subtype, LPCSTR textFile,
                                            LPCSTR text) const {
    return Call<kTemplateWriteTextAddEntry>(kMissingWriter, handle, subtype, textFile, text);
}
LONG CAppLibrary::TemplateWriteTextFindEntry(HFILE handle, DWORD subtype, DWORD flags, LPCSTR textFile,
                                             LPCSTR find, LPCSTR replacement) const {
    return Call<kTemplateWriteTextFindEntry>(kMissingWriter, handle, subtype, flags, textFile, find,
                                             replacement);
}
LONG CAppLibrary::TemplateWriteInvRAMEntry(HFILE handle, DWORD subtype, DWORD value) const {
    return Call<kTemplateWriteInvRAMEntry>(kMissingWriter, handle, subtype, value);
}
LONG CAppLibrary::TemplateWriteInvDiskEntry(HFILE handle, DWORD subtype, DWORD value, LPCSTR drive) const {
    return Call<kTemplateWriteInvDiskEntry>(kMissingWriter, handle, subtype, value, drive);
}
LONG CAppLibrary::TemplateWriteInvProcessorEntry(HFILE handle, DWORD subtype, DWORD value) const {
    return Call<kTemplateWriteInvProcessorEntry>(kMissingWriter, handle, subtype, value);
}
LONG CAppLibrary::TemplateWriteInvOSVersionEntry(HFILE handle, DWORD subtype, DWORD major,
                                                 DWORD minor) const {
    return Call<kTemplateWriteInvOSVersionEntry>(kMissingWriter, handle, subtype, major, minor);
}
LONG CAppLibrary::TemplateWriteBaseString(HFILE handle, DWORD subtype, LPCSTR text) const {
    return Call<kTemplateWriteBaseString>(LONG{-1}, handle, subtype, text);
}
LONG CAppLibrary::TemplateWriteBaseValue(HFILE handle, DWORD subtype, DWORD value) const {
    return Call<kTemplateWriteBaseValue>(LONG{-1}, handle, subtype, value);
}
LONG CAppLibrary::TemplateWriteBaseValueString(HFILE handle, DWORD subtype, DWORD value,
                                               LPCSTR text) const {
    return Call<kTemplateWriteBaseValueString>(LONG{-1}, handle, subtype, value, text);
}
LONG CAppLibrary::TemplateWriteBaseData(HFILE handle, DWORD subtype, const BYTE* data,
                                        DWORD dataLength) const {
    return Call<kTemplateWriteBaseData>(LONG{-1}, handle, subtype, data, dataLength);
}
LONG CAppLibrary::TemplateWritePMGroupEntry(HFILE handle, DWORD subtype, LPCSTR group) const {
    return Call<kTemplateWritePMGroupEntry>(LONG{-1}, handle, subtype, group);
}
LONG CAppLibrary::TemplateWriteUserIconEntry(HFILE handle, DWORD subtype, LPCSTR text1, LPCSTR text2,
                                             LPCSTR text3, LPCSTR text4, LPCSTR text5, LPCSTR text6,
                                             DWORD flags, DWORD iconIndex, DWORD showCommand,
                                             DWORD separateMemorySpace) const {
    return Call<kTemplateWriteUserIconEntry>(LONG{-1}, handle, subtype, text1, text2, text3, text4,
                                             text5, text6, flags, iconIndex, showCommand,
                                             separateMemorySpace);
}

// ---- printer capture texts ----------------------------------------------------

namespace {

struct CaptureOption {
    const char* word;
    DWORD bits;
};
constexpr CaptureOption kCaptureOptions[] = {
    {"B", 0x10 | 0x2},   {"NB", 0x2},   {"FF", 0x20 | 0x4},
    {"NFF", 0x4},        {"NOTI", 0x8 | 0x1}, {"NNOTI", 0x1},
};

constexpr size_t kPortChars = 4;

}  // namespace

LONG CAppLibrary::ParseCaptureFlags(LPCSTR text, DWORD* flags, LPSTR port, LPSTR queue, DWORD queueSize) {
    if (!flags) return -1;
    *flags = 0;
    if (!text) return -1;
    // The port: four one-byte characters, then ":=".
    const char* at = text;
    for (size_t i = 0; i < kPortChars; ++i) {
        const char* next = KMNextChar(at);
        if (next - at != 1) return -1;
        at = next;
    }
    if (at[0] != ':' || at[1] != '=') return -1;
    if (port) {
        for (size_t i = 0; i < kPortChars; ++i)
            port[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[i])));
        port[kPortChars] = 0;
    }
    // The queue runs to the first " /"; the options follow it.
    const char* queueStart = at + 2;
    const char* options = queueStart;
    while (*options && !(options[0] == ' ' && options[1] == '/')) options = KMNextChar(options);
    for (const char* word = options; *word;) {
        while (*word == ' ') ++word;
        if (!*word) break;
        if (*word != '/') return -1;
        const char* end = word + 1;
        while (*end && *end != ' ') end = KMNextChar(end);
        std::string option(word + 1, end);
        const CaptureOption* known = nullptr;
        for (const CaptureOption& candidate : kCaptureOptions)
            if (KMLstricmp(option.c_str(), candidate.word) == 0) known = &candidate;
        if (!known) return -1;
        *flags |= known->bits;
        word = end;
    }
    // A queue that does not fit its buffer is refused, never cut or overrun.
    size_t queueLength = static_cast<size_t>(options - queueStart);
    if (!queue || queueLength >= queueSize) return -1;
    std::memcpy(queue, queueStart, queueLength);
    queue[queueLength] = 0;
    return 0;
}

std::string CAppLibrary::FormatCaptureFlags(DWORD flags) {
    std::string text;
    if (flags & 0x4) text += (flags & 0x20) ? "/FF " : "/NFF ";
    if (flags & 0x2) text += (flags & 0x10) ? "/B " : "/NB ";
    if (flags & 0x1) text += (flags & 0x8) ? "/NOTI " : "/NNOTI ";
    return text;
}

std::string CAppLibrary::BuildCaptureString(DWORD flags, LPCSTR port, LPCSTR queue) {
    return std::string(port ? port : "") + ":=" + (queue ? queue : "") + " " + FormatCaptureFlags(flags);
}
