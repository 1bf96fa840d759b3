// A test module. It finds its peer module by Windows name (beside itself,
// else through the search order), checks the peer's file version, and reads
// the peer's strings and dialog template through the peer's exports.
#include <cstdio>
#include <string>

#include "peer_ids.h"
#include "vpr/win/resource_format.h"
#include "windows.h"

extern "C" {

// String `id` of this module.
int PeerText(UINT id, char* buffer, int size) {
    return LoadStringA(vpr::win::ThisModule(), id, buffer, size);
}

// The caption of dialog `id` of this module; the number of its controls, -1
// when there is no such dialog.
int PeerDialog(WORD id, char* caption, int size) {
    HMODULE self = vpr::win::ThisModule();
    HRSRC found = FindResourceA(self, MAKEINTRESOURCE(id), RT_DIALOG);
    if (!found) return -1;
    auto data = static_cast<const uint8_t*>(LockResource(LoadResource(self, found)));
    vpr::win::DialogTemplate dialog;
    if (!vpr::win::DecodeDialog(data, SizeofResource(self, found), &dialog)) return -1;
    std::snprintf(caption, static_cast<size_t>(size), "%s", dialog.caption.c_str());
    return static_cast<int>(dialog.controls.size());
}

// Loads the peer, refuses it below `minimumVersion` (major << 16 | minor),
// and writes "<version> <greeting> | <dialog caption> (<n> controls)".
// 0 on success, -931 when the peer cannot be loaded, -2 when it is too old,
// -3 when it lacks an export.
int PeerCheck(DWORD minimumVersion, char* report, int size) {
    char self[MAX_PATH];
    std::string path(self, GetModuleFileNameA(vpr::win::ThisModule(), self, MAX_PATH));
    std::string beside = path.substr(0, path.find_last_of("\\/") + 1) + PEER_NAME ".dll";
    HMODULE peer = LoadLibraryA(beside.c_str());
    if (!peer) peer = LoadLibraryA(PEER_NAME);
    if (!peer) return -931;

    char peerPath[MAX_PATH];
    GetModuleFileNameA(peer, peerPath, MAX_PATH);
    DWORD handle = 0;
    DWORD version = 0;
    std::string block(GetFileVersionInfoSizeA(peerPath, &handle), '\0');
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!block.empty() && GetFileVersionInfoA(peerPath, 0, static_cast<DWORD>(block.size()), block.data()) &&
        VerQueryValueA(block.data(), "\\", reinterpret_cast<LPVOID*>(&fixed), &length))
        version = fixed->dwFileVersionMS;
    int result = 0;
    auto text = reinterpret_cast<int (*)(UINT, char*, int)>(GetProcAddress(peer, "PeerText"));
    auto dialog = reinterpret_cast<int (*)(WORD, char*, int)>(GetProcAddress(peer, "PeerDialog"));
    if (version < minimumVersion) {
        result = -2;
    } else if (!text || !dialog) {
        result = -3;
    } else {
        char greeting[64], caption[64];
        text(IDS_GREETING, greeting, sizeof greeting);
        int controls = dialog(IDD_MAIN, caption, sizeof caption);
        std::snprintf(report, static_cast<size_t>(size), "%u.%u %s | %s (%d controls)", HIWORD(version),
                      LOWORD(version), greeting, caption, controls);
    }
    FreeLibrary(peer);
    return result;
}

// A class callback exported under its class-qualified name.
long ApplicationCallBack(const char* data, unsigned short code, long, long) VPR_EXPORT_AS("CApplication::CallBack");
long ApplicationCallBack(const char*, unsigned short code, long, long) { return code == 0x100 ? 1 : 0; }

}  // extern "C"
