#include "tray_fixture.h"

#include <algorithm>
#include <filesystem>

#include "items/folder_item.h"
#include "module/module_utilities.h"
#include "namespace/item_id_list.h"
#include "registry_values.h"
#include "tray/link_manager.h"
#include "tray/tray_wnd.h"
#include "vpr/com/shell_link_file.h"

namespace fs = std::filesystem;

BOOL RecordingShell::NotifyIcon(DWORD message, const NOTIFYICONDATAA& data) {
    std::lock_guard<std::mutex> hold(lock_);
    calls_.push_back({message, data.uID, data.uFlags, data.szTip});
    const bool shown = icons_.count(data.uID) != 0;
    if (message == NIM_ADD) {
        if (shown) return FALSE;
        icons_[data.uID] = data;
    } else if (message == NIM_MODIFY) {
        if (!shown) return FALSE;
        icons_[data.uID] = data;
    } else if (message == NIM_DELETE) {
        return icons_.erase(data.uID) ? TRUE : FALSE;
    }
    return TRUE;
}

std::vector<RecordingShell::Call> RecordingShell::TakeCalls() {
    std::lock_guard<std::mutex> hold(lock_);
    std::vector<Call> taken;
    taken.swap(calls_);
    return taken;
}

std::map<UINT, std::string> RecordingShell::Icons() {
    std::lock_guard<std::mutex> hold(lock_);
    std::map<UINT, std::string> tips;
    for (const auto& [id, data] : icons_) tips[id] = data.szTip;
    return tips;
}

UINT RecordingShell::CallbackOf(UINT id) {
    std::lock_guard<std::mutex> hold(lock_);
    auto found = icons_.find(id);
    return found == icons_.end() ? 0 : found->second.uCallbackMessage;
}

void TrayTest::SetUp() {
    ScriptedCacheTest::SetUp();
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    vpr::com::SetShellServices(&shell);
    app->m_bOldShell = FALSE;
    app->m_uRefillMessage = RegisterWindowMessageA("RefillViewMessage");
    CString path;
    ASSERT_TRUE(GetSpecialFolderPath(CSIDL_DESKTOPDIRECTORY, path));
    desktop = static_cast<LPCSTR>(path);
    fs::create_directories(machine->HostPath(desktop));
}

void TrayTest::TearDown() {
    // The module's own teardown: the shortcut manager and the tray go first,
    // on this thread, while the cache still runs.
    if (app) {
        app->CloseTray();
        Pump();
        app->m_pLibrary = nullptr;
    }
    vpr::com::SetShellServices(nullptr);
    CoUninitialize();
    ScriptedCacheTest::TearDown();
}

void TrayTest::Start() {
    StartCache();
    app->m_pLibrary = library.get();
    WaitForRebuilds(1);
}

void TrayTest::Rebuild() {
    LONG before = cache->GetRebuildCount();
    cache->WaitForRefresh(nullptr);
    WaitForRebuilds(before + 1);
}

CTrayWnd* TrayTest::MakeTray() {
    CTrayWnd* tray = new CTrayWnd;
    app->SetTrayWindow(tray);
    return tray;
}

void TrayTest::Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

std::vector<std::string> TrayTest::Shortcuts() {
    std::vector<std::string> found;
    for (const auto& entry : fs::directory_iterator(machine->HostPath(desktop))) {
        const std::string file = entry.path().filename().string();
        if (file.size() < 4 || file.substr(file.size() - 4) != ".lnk") continue;
        vpr::com::ShellLink link;
        std::string error;
        CString key;
        if (!vpr::com::ReadShellLinkFile(desktop + "\\" + file, &link, &error) || link.idList.empty() ||
            !ItemKeyFromIdList(reinterpret_cast<LPCITEMIDLIST>(link.idList.data()), key, TRUE, link.idList.size())) {
            found.push_back(file + " -> -");
            continue;
        }
        const bool own = link.name && *link.name == kOwnLinkDescription;
        found.push_back(file + " -> " + static_cast<LPCSTR>(key) + (own ? " own" : ""));
    }
    std::sort(found.begin(), found.end());
    return found;
}

void TrayTest::UserShortcut(const std::string& key, const std::string& file) {
    CFolderItem* item = cache->GetItem(key.c_str(), CACHE_NO_CONTEXT);
    ASSERT_NE(item, nullptr) << key;
    item->CreateShortcut(RootIdList(), nullptr, (desktop + "\\" + file).c_str());
    item->Release();
}

std::vector<std::string> TrayTest::Records(const std::string& tree) {
    std::vector<std::string> names = RegistryValueNames(HKEY_CURRENT_USER, std::string(kLinkRecordsKey) + "\\" + tree);
    std::sort(names.begin(), names.end());
    return names;
}
