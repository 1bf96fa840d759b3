// The script runner of form programs (README "Driving a form program by
// script"): started by the application when VPR_UI_SCRIPT names a file; its
// lines run one at a time when a message loop is idle.
#pragma once

#include <string>

namespace vpr::forms {

class TForm;

// Starts the script that VPR_UI_SCRIPT names, once; false when none is set
// (or it cannot be read: then the program ends with 2).
bool StartScriptFromEnvironment();
bool ScriptRunning();
// Idle time of a loop (`modal` the modal form whose loop it is, null for the
// main loop): runs the next line; true when one ran, so the loop looks for
// messages again before it waits.
bool ScriptIdleStep(TForm* modal);
// The program ends: the script's lines left are errors (with the reason when
// it is not the script's own end), and its exit code is the program's.
int FinishScript(const std::string& endedBefore);

}  // namespace vpr::forms
