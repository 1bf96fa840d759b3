// The window classes every process has: the controls and the dialog class.
#include <mutex>

#include "window_manager.h"

namespace vpr::user {

void RegisterListBoxClass();
void RegisterCommonControlClasses();

void EnsureSystemClasses() {
    static std::once_flag once;
    std::call_once(once, [] {
        RegisterListBoxClass();
        RegisterCommonControlClasses();
    });
}

}  // namespace vpr::user
