#include "vpr/shellhost/shell_host.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <thread>
#include <cstring>

#include "shell_host_state.h"
#include "vpr/locale/locale.h"
#include "vpr/com/guid.h"
#include "vpr/com/servers.h"
#include "vpr/win/clock.h"
#include "vpr/win/kernel_folder.h"

namespace vpr::shellhost {

namespace {

constexpr const char* kDesktopClass = "Progman";
ShellHost::State* g_running = nullptr;  // the one shell of the process (UI thread)

// What the shell's calls reach in this process.
class Services final : public vpr::com::ShellServices {
public:
    explicit Services(ShellHost::State& state) : state_(state) {}

    BOOL NotifyIcon(DWORD message, const NOTIFYICONDATAA& data) override {
        if (data.cbSize < 88) return FALSE;
        auto& tray = state_.tray;
        auto it = std::find_if(tray.begin(), tray.end(),
                               [&](const TrayIcon& icon) { return icon.window == data.hWnd && icon.id == data.uID; });
        if (message == NIM_ADD) {
            if (it != tray.end() || !IsWindow(data.hWnd)) return FALSE;
            TrayIcon icon;
            icon.window = data.hWnd;
            icon.id = data.uID;
            Apply(&icon, data);
            tray.push_back(icon);
            return TRUE;
        }
        if (it == tray.end()) return FALSE;
        if (message == NIM_MODIFY) {
            Apply(&*it, data);
            return TRUE;
        }
        if (message == NIM_DELETE) {
            tray.erase(it);
            return TRUE;
        }
        return FALSE;
    }
    BOOL OpenIdList(SHELLEXECUTEINFOA* info) override {
        if (!info->lpIDList) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        vpr::com::IdListBytes list = vpr::com::CopyIdList(static_cast<LPCITEMIDLIST>(info->lpIDList));
        bool explore = info->lpVerb && KMLstricmp(info->lpVerb, "Explore") == 0;
        std::string error;
        if (!OpenBrowser(state_, list, explore, &error)) {
            if (!(info->fMask & SEE_MASK_FLAG_NO_UI)) {
                MessageBoxA(info->hwnd, error.c_str(), "Explorer", MB_OK | MB_ICONSTOP);
            }
            info->hInstApp = reinterpret_cast<HINSTANCE>(static_cast<intptr_t>(SE_ERR_NOASSOC));
            SetLastError(ERROR_PATH_NOT_FOUND);
            return FALSE;
        }
        info->hInstApp = reinterpret_cast<HINSTANCE>(static_cast<intptr_t>(33));
        return TRUE;
    }
    HRESULT LoadInProc(REFCLSID clsid) override { return state_.host->LoadInProc(clsid); }
    void Notify(const vpr::com::ChangeNotification& notification) override {
        {
            std::lock_guard lock(state_.lock);
            state_.pending.push_back(notification);
        }
        PostMessageA(state_.desktop, kNotifyMessage, 0, 0);
    }
    HRESULT DesktopFolder(IShellFolder** folder) override {
        *folder = NewOwnFolder(state_, {0, 0});
        return S_OK;
    }

private:
    static void Apply(TrayIcon* icon, const NOTIFYICONDATAA& data) {
        if (data.uFlags & NIF_MESSAGE) icon->callbackMessage = data.uCallbackMessage;
        if (data.uFlags & NIF_ICON) icon->icon = data.hIcon;
        if (data.uFlags & NIF_TIP) icon->tip = std::string(data.szTip, strnlen(data.szTip, sizeof(data.szTip)));
    }
    ShellHost::State& state_;
};

void ServerFreed(const vpr::com::LoadedServer& server) {
    ShellHost::State* state = g_running;
    if (!state) return;
    std::lock_guard lock(state->lock);
    for (const CLSID& clsid : server.classes) state->freedNow.push_back(vpr::com::GuidText(clsid));
}

void TakeFreed(ShellHost::State& state) {
    std::lock_guard lock(state.lock);
    for (auto& text : state.freedNow) state.unloaded.push_back(text);
    state.freedNow.clear();
}

// A notification for the desktop (its directory or the desktop itself)
// reads the desktop again; browsers show their folders again.
void OnNotify(ShellHost::State& state) {
    std::deque<vpr::com::ChangeNotification> pending;
    {
        std::lock_guard lock(state.lock);
        pending.swap(state.pending);
    }
    for (const auto& n : pending) {
        state.notifications.push_back(n);
        ReadDesktop(state);
        BrowsersNotified(state, n);
    }
}

LRESULT CALLBACK DesktopProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    ShellHost::State* state = g_running;
    if (!state) return DefWindowProcA(window, message, wParam, lParam);
    switch (message) {
    case kLoadMessage:
        return state->host->LoadInProc(*reinterpret_cast<const CLSID*>(lParam));
    case kNotifyMessage:
        OnNotify(*state);
        return 0;
    case kBrowserClosed:
        return 0;
    case WM_TIMER:
        if (wParam == kFreeTimer) {
            CoFreeUnusedLibraries();
            TakeFreed(*state);
        }
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

// The answer to one request of the channel, on the channel's thread.
std::string Serve(ShellHost::State& state, const std::string& request) {
    char answer[16];
    if (request.rfind("load ", 0) == 0) {
        auto clsid = vpr::com::ParseGuid(request.substr(5));
        HRESULT hr = E_INVALIDARG;
        if (clsid) hr = static_cast<HRESULT>(SendMessageA(state.desktop, kLoadMessage, 0, reinterpret_cast<LPARAM>(&*clsid)));
        std::snprintf(answer, sizeof(answer), "0x%08X", static_cast<unsigned>(hr));
        return answer;
    }
    vpr::com::ChangeNotification n;
    if (vpr::com::ParseNotificationRequest(request, &n)) {
        state.services->Notify(n);
        return "0x00000000";
    }
    return "0x80070057";
}

}  // namespace

ShellHost::ShellHost() : state_(std::make_unique<State>()) { state_->host = this; }

ShellHost::~ShellHost() { Stop(); }

bool ShellHost::Running() const { return state_->desktop != nullptr; }

bool ShellHost::Start(std::string* error) {
    State& s = *state_;
    if (g_running) {
        *error = "a shell runs in this process already";
        return false;
    }
    // One shell per machine: an exclusive lock, naming its holder.
    std::string folder = vpr::win::KernelFolder();
    std::string lockPath = folder + "/shell.lock";
    s.lockFd = folder.empty() ? -1 : ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (s.lockFd < 0) {
        *error = "cannot open " + lockPath;
        return false;
    }
    if (::flock(s.lockFd, LOCK_EX | LOCK_NB) != 0) {
        char holder[128] = {};
        (void)!::pread(s.lockFd, holder, sizeof(holder) - 1, 0);
        *error = std::string("a shell runs already: ") + (holder[0] ? holder : "another process");
        ::close(s.lockFd);
        s.lockFd = -1;
        return false;
    }
    char holder[128];
    int length = std::snprintf(holder, sizeof(holder), "process %d", static_cast<int>(::getpid()));
    (void)!::ftruncate(s.lockFd, 0);
    (void)!::pwrite(s.lockFd, holder, static_cast<size_t>(length), 0);

    OleInitialize(nullptr);
    WNDCLASSA desktopClass{};
    desktopClass.lpfnWndProc = DesktopProc;
    desktopClass.lpszClassName = kDesktopClass;
    RegisterClassA(&desktopClass);
    g_running = &s;
    s.desktop = CreateWindowExA(0, kDesktopClass, "Program Manager", WS_POPUP | WS_VISIBLE, 0, 0, 640, 480, nullptr,
                                nullptr, nullptr, nullptr);
    s.menuHost = NewMenuHost(s);
    s.services = std::make_unique<Services>(s);
    vpr::com::SetShellServices(s.services.get());
    vpr::com::SetServerFreedHandler(&ServerFreed);
    ReadDesktop(s);
    // The desktop window shows the desktop folder in the shell's own view.
    IShellFolder* desktopFolder = NewOwnFolder(s, {0, 0});
    desktopFolder->CreateViewObject(s.desktop, IID_IShellView, reinterpret_cast<void**>(&s.desktopView));
    desktopFolder->Release();
    FOLDERSETTINGS settings{FVM_ICON, 0};
    RECT area{0, 0, 640, 480};
    HWND desktopViewWindow = nullptr;
    s.desktopView->CreateViewWindow(nullptr, &settings, nullptr, &area, &desktopViewWindow);
    s.desktopTarget = NewDesktopDropTarget(s);
    RegisterDragDrop(s.desktop, s.desktopTarget);
    SetTimer(s.desktop, kFreeTimer, kFreeInterval, nullptr);
    // Listening last: until now a load request finds no shell.
    s.channel = std::make_unique<vpr::com::ShellChannelServer>([&s](const std::string& request) { return Serve(s, request); });
    if (!s.channel->Listening()) {
        *error = s.channel->Error();
        Stop();
        return false;
    }
    return true;
}

void ShellHost::Stop() {
    State& s = *state_;
    if (s.channel) s.channel.reset();  // no more requests
    if (s.desktop) {
        CloseAllBrowsers(s);
        if (s.desktopView) {
            s.desktopView->DestroyViewWindow();
            s.desktopView->Release();
            s.desktopView = nullptr;
        }
        if (s.menuHost) DestroyWindow(s.menuHost);
        s.menuHost = nullptr;
        RevokeDragDrop(s.desktop);
        if (s.desktopTarget) s.desktopTarget->Release();
        s.desktopTarget = nullptr;
        KillTimer(s.desktop, kFreeTimer);
        DestroyWindow(s.desktop);
        s.desktop = nullptr;
        Pump();
        // Every server goes, so that each module's exit runs.
        CoFreeAllLibraries();
        TakeFreed(s);
        vpr::com::SetServerFreedHandler(nullptr);
        vpr::com::SetShellServices(nullptr);
        s.services.reset();
        g_running = nullptr;
        OleUninitialize();
    }
    if (s.lockFd >= 0) {
        ::flock(s.lockFd, LOCK_UN);
        ::close(s.lockFd);
        s.lockFd = -1;
    }
}

void ShellHost::Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// Looks again every millisecond of real time; gives up when the time has
// passed on the platform clock, or in real time when a test holds the clock.
bool ShellHost::PumpUntil(const std::function<bool()>& done, DWORD milliseconds) {
    DWORD start = GetTickCount();
    auto realStart = std::chrono::steady_clock::now();
    while (true) {
        Pump();
        if (done()) return true;
        auto realElapsed = std::chrono::steady_clock::now() - realStart;
        if (GetTickCount() - start >= milliseconds || realElapsed >= std::chrono::milliseconds(milliseconds)) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

std::vector<DesktopItem> ShellHost::Desktop() const { return state_->desktopItems; }

HWND ShellHost::DesktopWindow() const { return state_->desktop; }

HWND ShellHost::DesktopList() const {
    HWND view = nullptr;
    if (state_->desktopView) state_->desktopView->GetWindow(&view);
    return view ? ViewList(view) : nullptr;
}

namespace {

IShellBrowser* BrowserOf(ShellHost::State& state, Browser* browser) {
    for (BrowserWindow* window : state.browsers) {
        if (AsBrowser(window) == browser) return AsShellBrowser(window);
    }
    return nullptr;
}

}  // namespace

bool ShellHost::OpenListed(Browser* browser, const vpr::com::IdListBytes& item, std::string* error) {
    return OpenItem(*state_, item, BrowserOf(*state_, browser), error);
}

void ShellHost::ShowListedMenu(Browser* browser, const vpr::com::IdListBytes& item) {
    IShellBrowser* shellBrowser = BrowserOf(*state_, browser);
    HWND owner = shellBrowser ? browser->Window() : state_->desktop;
    RECT area{};
    GetWindowRect(owner, &area);
    ShowItemMenu(*state_, item, owner, POINT{area.left + 10, area.top + 10}, shellBrowser, false, {});
}

bool ShellHost::ShowListedProperties(Browser* browser, const vpr::com::IdListBytes& item, std::string* error) {
    HWND owner = BrowserOf(*state_, browser) ? browser->Window() : state_->desktop;
    return ShowNameSpaceItemSheet(*state_, item, owner, error);
}

std::string ShellHost::MenuCommandText(UINT command) { return OpenMenuCommandText(*state_, command); }

std::string ShellHost::PropertiesCaption(const std::string& name) const { return "Properties for " + name; }

DWORD ShellHost::DropOnDesktop(IDataObject* data) { return DropIdListArray(*state_, data); }

std::vector<TrayIcon> ShellHost::Tray() const { return state_->tray; }

POINT ShellHost::TrayIconPoint(size_t index) const {
    const int count = static_cast<int>(state_->tray.size());
    const int fromRight = count - static_cast<int>(index);
    return POINT{GetSystemMetrics(SM_CXSCREEN) - kTrayIconPitch * fromRight + kTrayIconPitch / 2,
                 GetSystemMetrics(SM_CYSCREEN) - kTrayIconPitch / 2};
}

bool ShellHost::ClickTray(const std::string& tip, bool right) {
    for (size_t i = 0; i < state_->tray.size(); ++i) {
        const TrayIcon& icon = state_->tray[i];
        if (icon.tip != tip) continue;
        UINT down = right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN;
        UINT up = right ? WM_RBUTTONUP : WM_LBUTTONUP;
        // The pointer is on the icon, so a menu the click opens opens there.
        const POINT at = TrayIconPoint(i);
        SetCursorPos(at.x, at.y);
        PostMessageA(icon.window, icon.callbackMessage, icon.id, down);
        PostMessageA(icon.window, icon.callbackMessage, icon.id, up);
        Pump();
        return true;
    }
    return false;
}

HRESULT ShellHost::LoadInProc(REFCLSID clsid) {
    IUnknown* object = nullptr;
    HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, reinterpret_cast<void**>(&object));
    if (SUCCEEDED(hr)) {
        object->Release();
        state_->loaded.push_back(vpr::com::GuidText(clsid));
    }
    return hr;
}

std::vector<std::string> ShellHost::Loaded() const { return state_->loaded; }

std::vector<std::string> ShellHost::Unloaded() const {
    TakeFreed(*state_);
    return state_->unloaded;
}

std::vector<vpr::com::ChangeNotification> ShellHost::Notifications() const { return state_->notifications; }

Browser* ShellHost::Open(const vpr::com::IdListBytes& list, bool explore, std::string* error) {
    return AsBrowser(OpenBrowser(*state_, list, explore, error));
}

std::vector<Browser*> ShellHost::Browsers() const {
    std::vector<Browser*> out;
    for (BrowserWindow* b : state_->browsers) out.push_back(AsBrowser(b));
    return out;
}

void ShellHost::SetViewStateStreamFails(bool fails) { state_->viewStateFails = fails; }

}  // namespace vpr::shellhost
