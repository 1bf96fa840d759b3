// WinHelpA: help calls are recorded in the machine's journal, never opened.
#include <string>

#include "vpr/machine/machine.h"
#include "vpr/user/message_box.h"
#include "ui_driver_hooks.h"

namespace {

const char* CommandName(UINT command) {
    switch (command) {
    case HELP_CONTEXT: return "HELP_CONTEXT";
    case HELP_QUIT: return "HELP_QUIT";
    case HELP_CONTENTS: return "HELP_CONTENTS";
    case HELP_HELPONHELP: return "HELP_HELPONHELP";
    case HELP_SETCONTENTS: return "HELP_SETCONTENTS";
    case HELP_CONTEXTPOPUP: return "HELP_CONTEXTPOPUP";
    case HELP_FORCEFILE: return "HELP_FORCEFILE";
    case HELP_CONTEXTMENU: return "HELP_CONTEXTMENU";
    case HELP_FINDER: return "HELP_FINDER";
    case HELP_WM_HELP: return "HELP_WM_HELP";
    case HELP_KEY: return "HELP_KEY";
    case HELP_COMMAND: return "HELP_COMMAND";
    case HELP_PARTIALKEY: return "HELP_PARTIALKEY";
    case HELP_MULTIKEY: return "HELP_MULTIKEY";
    case HELP_SETWINPOS: return "HELP_SETWINPOS";
    default: return nullptr;
    }
}

// The data as the command reads it: a key text, nothing for the commands
// that point at structures, else the number.
std::string DataText(UINT command, ULONG_PTR data) {
    switch (command) {
    case HELP_KEY:
    case HELP_PARTIALKEY:
    case HELP_COMMAND: return data ? reinterpret_cast<const char*>(data) : "";
    case HELP_CONTEXTMENU:
    case HELP_WM_HELP:
    case HELP_MULTIKEY:
    case HELP_SETWINPOS: return "";
    default: return std::to_string(data);
    }
}

}  // namespace

extern "C" BOOL WINAPI WinHelpA(HWND, LPCSTR file, UINT command, ULONG_PTR data) {
    const char* name = CommandName(command);
    std::string text = std::string(file ? file : "") + "\t" + (name ? name : std::to_string(command)) + "\t" +
                       DataText(command, data);
    vpr::machine::Record("help", text);
    vpr::user::DriverHelpCalled(file, command, data);
    return TRUE;
}
