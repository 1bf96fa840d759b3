// The application object: title, help file, idle handling and the message
// loops. When the environment variable VPR_UI_SCRIPT names a file, the
// application runs that script (README "Driving a form program by script").
#pragma once

#include <string>

#include "vpr/forms/form.h"

namespace vpr::forms {

class TApplication : public TComponent {
public:
    explicit TApplication(TComponent* owner);
    ~TApplication() override;
    std::string ClassName() const override { return "TApplication"; }

    std::string Title;
    std::string HelpFile;
    TIdleEvent OnIdle;
    TForm* MainForm = nullptr;

    // Makes a form (NewForm); the first one made becomes the main form.
    template <class F>
    F* CreateForm() {
        F* form = NewForm<F>(this);
        if (!MainForm) MainForm = form;
        return form;
    }
    // Takes the pending messages and returns (never runs script lines).
    void ProcessMessages();
    // The main loop: shows the main form and runs until it closes or the
    // program is ended; the script runs when one is set.
    void Run();
    void Terminate();
    bool Terminated() const { return terminated_; }
    // Opens the help file at a topic (WinHelpA, HELP_CONTEXT); false when
    // there is no help file.
    bool HelpContext(int context);
    // An error that escaped an event handler: shown in a box with the title
    // as caption; the loop goes on.
    void ShowException(const std::exception& error);
    // Runs a handler, showing what escapes it.
    void Guard(const std::function<void()>& handler);
    // Ends the program now: every form is destroyed (their destroy handlers
    // run), a running script finishes, and the process exits.
    [[noreturn]] void Halt(int exitCode);

    // One pass of a loop: takes one message, or when there is none runs the
    // idle step (a script line, else OnIdle) and waits unless told to go on.
    // `modal` is the modal form whose loop asks, null for the main loop.
    void HandleMessage(TForm* modal);
    int LoopDepth() const { return loopDepth_; }

private:
    void DestroyForms();
    bool ProcessMessage(MSG& msg);
    void Idle(TForm* modal);
    bool terminated_ = false;
    int loopDepth_ = 0;
};

// The program's application object (made on first use).
extern TApplication* Application;
// Makes Application when there is none; programs call it first.
TApplication* InitApplication();

}  // namespace vpr::forms
