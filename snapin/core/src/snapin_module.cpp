#include "snapin/core/snapin_module.h"

#include <cstring>
#include <string>
#include <vector>

#include "snapin/core/app_library.h"
#include "snapin/core/directory_helper.h"
#include "snapin/core/host_calls.h"
#include "snapin/core/module_resource.h"
#include "snapin/core/schema_update_dlg.h"
#include "vpr/directory/client.h"
#include "vpr/directory/connections.h"
#include "vpr/locale/locale.h"

namespace {

constexpr char kResourceLibrary[] = "VPRRES32.DLL";
constexpr char kHelpFile[] = "vpradmin.hlp";
constexpr char kVersionPrefix[] = "VeRsIoN=";
constexpr DWORD kSchemaMaskBit = 8;

// The text before the last backslash; empty when there is none.
std::string Parent(const std::string& path) {
    const char* slash = KMLstrrchr(path.c_str(), '\\');
    return slash ? path.substr(0, static_cast<size_t>(slash - path.c_str())) : std::string();
}

bool Readable(const std::string& path) {
    HFILE file = _lopen(path.c_str(), OF_READ);
    if (file == HFILE_ERROR) return false;
    _lclose(file);
    return true;
}

// The environment variable, empty when unset.
std::string Environment(const char* name) {
    DWORD size = GetEnvironmentVariableA(name, nullptr, 0);
    if (size == 0) return "";
    std::vector<char> value(size + 1);
    GetEnvironmentVariableA(name, value.data(), size + 1);
    return value.data();
}

std::vector<std::string> Languages() {
    std::vector<std::string> list;
    std::string value = Environment("KMLANGUAGE");
    for (size_t start = 0;;) {
        size_t comma = value.find(',', start);
        list.push_back(value.substr(start, comma - start));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return list;
}

bool LanguageIsEnglish() {
    std::string language = Environment("KMLANGUAGE");
    KMLstrupr(language.data());
    return language == "ENGLISH";
}

// A stop-icon message box without owner, its text string textId formatted
// with the arguments.
template <typename... Args>
void ShowMessage(HWND owner, UINT captionId, UINT type, UINT textId, Args... args) {
    CString format, text, caption;
    format.LoadString(textId);
    text.Format(format, args...);
    caption.LoadString(captionId);
    MessageBoxA(owner, text, caption, type);
}

// The first file of `dir`\NLS\<entry>\`file` over the entries of the NLS
// folder, in listing order, dot entries skipped.
bool FindInNlsEntries(const std::string& dir, const std::string& file, std::string* found) {
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((dir + "\\NLS\\*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return false;
    bool hit = false;
    do {
        if (entry.cFileName[0] == '.') continue;
        std::string candidate = dir + "\\NLS\\" + entry.cFileName + "\\" + file;
        if (Readable(candidate)) {
            *found = candidate;
            hit = true;
        }
    } while (!hit && FindNextFileA(search, &entry));
    FindClose(search);
    return hit;
}

bool SelectTree(DIR_CONTEXT context, LPCSTR tree) { return DirSetContextInfo(context, DIR_KEY_TREE_NAME, tree) == 0; }

}  // namespace

CString CSnapinModule::ModuleDirectory() {
    char path[512] = {};
    GetModuleFileNameA(AfxGetInstanceHandle(), path, sizeof path);
    return Parent(path).c_str();
}

BOOL CSnapinModule::FindNlsFile(LPCSTR moduleDirectory, LPCSTR fileName, LPSTR found) {
    std::string dir = moduleDirectory ? moduleDirectory : "";
    std::string file = fileName;
    std::vector<std::string> candidates{file};
    if (!Environment("KMLANGUAGE").empty() && !dir.empty()) {
        std::vector<std::string> languages = Languages();
        for (const std::string& language : languages) candidates.push_back(dir + "\\NLS\\" + language + "\\" + file);
        std::string parent = Parent(dir);
        if (KMLstrrchr(dir.c_str(), '\\'))
            for (const std::string& language : languages)
                candidates.push_back(parent + "\\NLS\\" + language + "\\" + file);
    }
    if (!dir.empty()) candidates.push_back(dir + "\\" + file);
    std::string result;
    for (const std::string& candidate : candidates) {
        if (Readable(candidate)) {
            result = candidate;
            break;
        }
    }
    if (result.empty()) {
        char searched[MAX_PATH] = {};
        LPSTR namePart = nullptr;
        if (SearchPathA(nullptr, file.c_str(), nullptr, sizeof searched, searched, &namePart)) result = searched;
    }
    if (result.empty() && !dir.empty() && !FindInNlsEntries(dir, file, &result) && KMLstrrchr(dir.c_str(), '\\'))
        FindInNlsEntries(Parent(dir), file, &result);
    if (result.empty()) return FALSE;
    if (found) std::strcpy(found, result.c_str());
    return TRUE;
}

HINSTANCE CSnapinModule::LoadResourceLibrary() {
    CString dir = ModuleDirectory();
    char path[MAX_PATH] = {};
    if (!FindNlsFile(dir, kResourceLibrary, path)) {
        if (!LanguageIsEnglish())
            ShowMessage(nullptr, IDS_DRAVIK_WARNING, MB_OK | MB_ICONSTOP, IDS_RESOURCE_MISSING, kResourceLibrary);
        return nullptr;
    }
    HINSTANCE library = LoadLibraryA(path);
    if (reinterpret_cast<uintptr_t>(library) <= 32) {
        ShowMessage(nullptr, IDS_DRAVIK_WARNING, MB_OK | MB_ICONSTOP, IDS_RESOURCE_MISSING, kResourceLibrary);
        return nullptr;
    }
    char own[256] = {}, theirs[256] = {};
    LoadStringA(AfxGetInstanceHandle(), IDS_MODULE_VERSION, own, sizeof own);
    LoadStringA(library, IDS_MODULE_VERSION, theirs, sizeof theirs);
    if (std::strcmp(own, theirs) == 0) return library;
    if (!LanguageIsEnglish()) {
        const char* version = std::strlen(own) >= std::strlen(kVersionPrefix) ? own + std::strlen(kVersionPrefix) : own;
        ShowMessage(nullptr, IDS_DRAVIK_WARNING, MB_OK | MB_ICONSTOP, IDS_RESOURCE_VERSION, kResourceLibrary, version);
    }
    FreeLibrary(library);
    return nullptr;
}

CString CSnapinModule::GetHelpFilePath() {
    char path[MAX_PATH] = {};
    CString dir = ModuleDirectory();
    if (FindNlsFile(dir, kHelpFile, path)) return path;
    return kHelpFile;
}

CRefItemList* CSnapinModule::GetConnectedTrees() {
    DIR_CONTEXT context = CDirectoryHelper().CreateContext();
    auto* trees = new CRefItemList;
    if (context < 0) return trees;
    uint32_t scan = 0, connection = 0;
    while (ConnScanConnections(&scan, &connection) == CONN_SUCCESS) {
        char name[66] = {};
        ConnGetConnectionInfo(connection, CONN_INFO_TREE_NAME, sizeof name, name);
        if (!name[0]) continue;
        theAppLibrary.StripTreeName(name);
        if (FindRefItem(trees, name)) continue;
        if (!SelectTree(context, name) || !DirIsContextAuthenticated(context)) continue;
        trees->AddTail(new CRefItem(name, 0, 0));
    }
    DirFreeContext(context);
    return trees;
}

void CSnapinModule::CheckTreeSchemas(CRefItemList* trees, DWORD schemaBit) {
    DIR_CONTEXT context = CDirectoryHelper().CreateContext();
    if (context < 0) return;
    bool offered = false;
    for (POSITION at = trees->GetHeadPosition(); at;) {
        auto* row = static_cast<CRefItem*>(trees->GetNext(at));
        DWORD flags = 0;
        if (SelectTree(context, row->GetName())) {
            if (theAppLibrary.IsSchemaExtended(context) & kSchemaMaskBit) {
                flags = kTreeSchemaExtended;
            } else {
                char user[DIR_MAX_NAME] = {};
                uint32_t rights = 0;
                bool mayWrite = DirGetCurrentUserName(context, user) == 0 &&
                                DirGetEffectiveRights(context, user, DIR_ROOT_NAME, "ACL", &rights) == 0 &&
                                (rights & DIR_ATTR_WRITE);
                flags = mayWrite ? 0 : kTreeNotToExtend;
            }
        }
        row->SetLevel(flags);
        offered = offered || flags == 0;
    }
    if (offered) {
        CSchemaUpdateDlg dialog(nullptr);
        dialog.SetTreeList(trees);
        if (dialog.DoModal() == IDOK) {
            CString updated, newline;
            newline.LoadString(IDS_NEWLINE);
            {
                CWaitCursor wait;
                for (POSITION at = trees->GetHeadPosition(); at;) {
                    auto* row = static_cast<CRefItem*>(trees->GetNext(at));
                    if (row->GetLevel() & (kTreeSchemaExtended | kTreeNotToExtend)) continue;
                    CString tree = row->GetName();
                    if (!SelectTree(context, tree)) continue;
                    LONG result = theAppLibrary.ExtendSchema(context, schemaBit);
                    if (result) {
                        ShowMessage(HostGetMainWindow(), IDS_DRAVIK_WARNING, MB_OK | MB_ICONSTOP, IDS_SCHEMA_FAILED,
                                    static_cast<int>(result), static_cast<LPCSTR>(tree));
                    } else {
                        updated += tree;
                        updated += newline;
                    }
                }
            }
            if (!updated.IsEmpty())
                ShowMessage(HostGetMainWindow(), IDS_DRAVIK, MB_OK, IDS_SCHEMA_UPDATED, static_cast<LPCSTR>(updated));
        }
    }
    DirFreeContext(context);
}
