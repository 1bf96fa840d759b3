// The end of a Windows session as the process's windows meet it.
#include <vector>

#include "vpr/user/window.h"

namespace vpr::user {
namespace {

BOOL CALLBACK CollectTopLevel(HWND window, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

}  // namespace

bool EndSession() {
    std::vector<HWND> windows;
    EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&windows));
    std::vector<HWND> asked;
    bool mayEnd = true;
    for (HWND window : windows) {
        if (!IsWindow(window)) continue;
        asked.push_back(window);
        if (SendMessageA(window, WM_QUERYENDSESSION, 0, 0) == 0) {
            mayEnd = false;
            break;
        }
    }
    for (HWND window : asked)
        if (IsWindow(window)) SendMessageA(window, WM_ENDSESSION, mayEnd ? TRUE : FALSE, 0);
    return mayEnd;
}

}  // namespace vpr::user
