// The classes of the common controls. They are system classes that every
// process has, so InitCommonControls only makes sure they are there.
#include "vpr/user/commctrl.h"
#include "window_manager.h"

namespace vpr::user {

void RegisterListViewClass();
void RegisterTreeViewClass();
void RegisterTabControlClass();
void RegisterStatusBarClass();
void RegisterToolbarClasses();
void RegisterProgressClass();
void RegisterTrackbarClass();
void RegisterAnimationClass();

void RegisterCommonControlClasses() {
    RegisterListViewClass();
    RegisterTreeViewClass();
    RegisterTabControlClass();
    RegisterStatusBarClass();
    RegisterToolbarClasses();
    RegisterProgressClass();
    RegisterTrackbarClass();
    RegisterAnimationClass();
}

}  // namespace vpr::user

extern "C" {

void WINAPI InitCommonControls(void) { vpr::user::EnsureSystemClasses(); }

BOOL WINAPI InitCommonControlsEx(const INITCOMMONCONTROLSEX* init) {
    if (!init || init->dwSize != sizeof(INITCOMMONCONTROLSEX)) return FALSE;
    vpr::user::EnsureSystemClasses();
    return TRUE;
}

}  // extern "C"
