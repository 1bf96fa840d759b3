// The window classes every process has: the controls and the dialog class.
#include <mutex>

#include "window_manager.h"

namespace vpr::user {

void RegisterButtonClass();
void RegisterStaticClass();
void RegisterEditClass();
void RegisterListBoxClass();
void RegisterCommonControlClasses();
void RegisterComboBoxClass();
void RegisterDialogClass();

void EnsureSystemClasses() {
    static std::once_flag once;
    std::call_once(once, [] {
        RegisterButtonClass();
        RegisterStaticClass();
        RegisterEditClass();
        RegisterListBoxClass();
        RegisterCommonControlClasses();
        RegisterComboBoxClass();
        RegisterDialogClass();
    });
}

}  // namespace vpr::user
