#include "vpr/forms/application.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "form_script.h"

namespace vpr::forms {

TApplication* Application = nullptr;

TApplication* InitApplication() {
    if (!Application) {
        Application = new TApplication(nullptr);
        StartScriptFromEnvironment();
    }
    return Application;
}

TApplication::TApplication(TComponent* owner) : TComponent(owner) {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string name = path;
    name = name.substr(name.find_last_of("\\/") + 1);
    Title = name.substr(0, name.rfind('.'));
}

TApplication::~TApplication() {
    if (Application == this) Application = nullptr;
}

bool TApplication::ProcessMessage(MSG& msg) {
    if (msg.message == WM_QUIT) {
        terminated_ = true;
        return false;
    }
    // A form's keys (Tab, Enter, Escape, mnemonics) work as in a dialog.
    TForm* form = FormOfWindow(msg.hwnd);
    if (form && form->HandleAllocated() && IsDialogMessageA(form->Handle(), &msg)) return true;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
    return true;
}

void TApplication::ProcessMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        if (!ProcessMessage(msg)) break;
}

void TApplication::HandleMessage(TForm* modal) {
    MSG msg;
    if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ProcessMessage(msg);
        return;
    }
    Idle(modal);
}

void TApplication::Idle(TForm* modal) {
    if (ScriptIdleStep(modal)) return;
    bool done = true;
    if (OnIdle) Guard([&] { OnIdle(this, done); });
    if (!done || terminated_ || (modal && modal->ModalResult != mrNone)) return;
    WaitMessage();
}

void TApplication::Run() {
    ++loopDepth_;
    if (MainForm && !MainForm->Visible()) Guard([this] { MainForm->Show(); });
    while (!terminated_) HandleMessage(nullptr);
    --loopDepth_;
    terminated_ = false;  // the program may run a loop again (a test does)
    // A script's program ends with the script's exit code.
    if (ScriptRunning()) Halt(0);
    DestroyForms();
}

void TApplication::Terminate() {
    if (terminated_) return;
    terminated_ = true;
    // Wakes a loop waiting for messages; the flag ends it.
    PostThreadMessageA(vpr::user::CurrentThreadId(), WM_NULL, 0, 0);
}

bool TApplication::HelpContext(int context) {
    if (HelpFile.empty()) return false;
    HWND owner = MainForm ? MainForm->Handle() : nullptr;
    return WinHelpA(owner, HelpFile.c_str(), HELP_CONTEXT, static_cast<ULONG_PTR>(context)) != FALSE;
}

void TApplication::ShowException(const std::exception& error) {
    TForm* active = ActiveForm();
    MessageBoxA(active ? active->Handle() : nullptr, error.what(), Title.c_str(), MB_OK | MB_ICONSTOP);
}

void TApplication::Guard(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::exception& error) {
        ShowException(error);
    }
}

void TApplication::DestroyForms() {
    // The newest first, each form's destroy handler while it is whole.
    while (!Screen().empty()) Screen().back()->Free();
}

void TApplication::Halt(int exitCode) {
    DestroyForms();
    if (ScriptRunning()) exitCode = FinishScript("the program ended before");
    std::cout.flush();
    std::fflush(nullptr);
    std::_Exit(exitCode);
}

}  // namespace vpr::forms
