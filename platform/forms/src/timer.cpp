// TTimer: a hidden window of its own takes the timer's WM_TIMER, so the
// timer works on the machine clock (SetTimer) in whatever loop runs.
#include "vpr/forms/application.h"
#include "vpr/forms/controls.h"
#include "vpr/forms/reader.h"

namespace vpr::forms {
namespace {

constexpr const char* kTimerClass = "VprFormsTimer";
constexpr UINT_PTR kTimerId = 1;

}  // namespace

TTimer::TTimer(TComponent* owner) : TComponent(owner) {
    static bool registered = [] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = TimerProc;
        wc.lpszClassName = kTimerClass;
        RegisterClassA(&wc);
        return true;
    }();
    (void)registered;
    window_ = CreateWindowExA(0, kTimerClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

TTimer::~TTimer() {
    if (window_) {
        KillTimer(window_, kTimerId);
        DestroyWindow(window_);
    }
}

LRESULT CALLBACK TTimer::TimerProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* timer = reinterpret_cast<TTimer*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (msg == WM_TIMER && timer && wParam == kTimerId) {
        if (timer->OnTimer) InitApplication()->Guard([timer] { timer->OnTimer(timer); });
        return 0;
    }
    return DefWindowProcA(window, msg, wParam, lParam);
}

bool TTimer::SetProperty(TReader& reader, const std::string& name, const FormValue& value) {
    if (SameText(name, "Enabled")) enabled_ = reader.Boolean(value);
    else if (SameText(name, "Interval")) interval_ = reader.Integer(value);
    else if (SameText(name, "OnTimer")) OnTimer = reader.NotifyEvent(value);
    else return TComponent::SetProperty(reader, name, value);
    return true;
}

void TTimer::Loaded() {
    loading_ = false;
    Update();
}

void TTimer::SetEnabled(bool value) {
    enabled_ = value;
    loading_ = false;
    Update();
}

void TTimer::SetInterval(int value) {
    interval_ = value;
    loading_ = false;
    Update();
}

// The timer runs while it is enabled, has an interval and a handler.
void TTimer::Update() {
    if (!window_ || loading_) return;
    KillTimer(window_, kTimerId);
    if (enabled_ && interval_ > 0 && OnTimer) SetTimer(window_, kTimerId, static_cast<UINT>(interval_), nullptr);
}

}  // namespace vpr::forms
