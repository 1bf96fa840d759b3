// Drop targets by window and the drag loop. The loop is modal: the UI
// driver says where the person lets go (or that Escape was pressed); the
// loop then plays what the mouse would: the source is asked whether to go
// on, the target under the point gets enter, over and drop (or leave), and
// the source's feedback follows each answer. Effects are the target's
// answers ANDed with the ones the source allows.
#include <map>
#include <mutex>

#include "ole2.h"
#include "vpr/com/servers.h"
#include "vpr/user/ui_driver.h"

namespace {

std::mutex g_targetsLock;
std::map<HWND, IDropTarget*> g_targets;  // GUARDED_BY(g_targetsLock); each holds one reference

// The registered target of the window or its nearest ancestor, with a reference.
IDropTarget* TargetAt(HWND window) {
    std::lock_guard lock(g_targetsLock);
    for (HWND w = window; w; w = GetParent(w)) {
        auto it = g_targets.find(w);
        if (it != g_targets.end()) {
            it->second->AddRef();
            return it->second;
        }
    }
    return nullptr;
}

}  // namespace

STDAPI RegisterDragDrop(HWND window, LPDROPTARGET target) {
    if (!vpr::com::ThreadInitialized()) return CO_E_NOTINITIALIZED;
    if (!target) return E_INVALIDARG;
    if (!IsWindow(window)) return DRAGDROP_E_INVALIDHWND;
    std::lock_guard lock(g_targetsLock);
    if (g_targets.count(window)) return DRAGDROP_E_ALREADYREGISTERED;
    target->AddRef();
    g_targets[window] = target;
    return S_OK;
}

STDAPI RevokeDragDrop(HWND window) {
    IDropTarget* target = nullptr;
    {
        std::lock_guard lock(g_targetsLock);
        auto it = g_targets.find(window);
        if (it == g_targets.end()) return DRAGDROP_E_NOTREGISTERED;
        target = it->second;
        g_targets.erase(it);
    }
    target->Release();
    return S_OK;
}

STDAPI DoDragDrop(LPDATAOBJECT data, LPDROPSOURCE source, DWORD allowed, LPDWORD effect) {
    if (!data || !source || !effect) return E_INVALIDARG;
    *effect = DROPEFFECT_NONE;
    data->AddRef();
    source->AddRef();
    vpr::user::DragStart start;
    start.source = GetFocus();
    start.allowedEffects = allowed;
    vpr::user::DropPlace place = vpr::user::DriverPlaceDrop(start);

    constexpr DWORD kButton = MK_LBUTTON;
    DWORD keys = kButton | (place.keys & (MK_SHIFT | MK_CONTROL | MK_ALT));
    HRESULT result = S_OK;
    if (place.escape) {
        result = source->QueryContinueDrag(TRUE, keys);
        if (result == S_OK) result = DRAGDROP_S_CANCEL;  // Escape ends the drag whatever the source says
    } else {
        POINT screen = place.point;
        if (place.window) ClientToScreen(place.window, &screen);
        POINTL at{screen.x, screen.y};
        IDropTarget* target = place.window ? TargetAt(place.window) : nullptr;
        DWORD current = DROPEFFECT_NONE;
        result = source->QueryContinueDrag(FALSE, keys);
        if (result == S_OK && target) {
            current = allowed;
            if (FAILED(target->DragEnter(data, keys, at, &current))) current = DROPEFFECT_NONE;
            current &= allowed;
            source->GiveFeedback(current);
            DWORD over = allowed;
            if (FAILED(target->DragOver(keys, at, &over))) over = DROPEFFECT_NONE;
            current = over & allowed;
        }
        if (result == S_OK) {
            source->GiveFeedback(current);
            result = source->QueryContinueDrag(FALSE, keys & ~kButton);  // the button is let go
        }
        if (result == DRAGDROP_S_DROP && target && current != DROPEFFECT_NONE) {
            DWORD dropped = current;
            if (FAILED(target->Drop(data, keys & ~kButton, at, &dropped))) dropped = DROPEFFECT_NONE;
            *effect = dropped & allowed;
        } else if (target) {
            target->DragLeave();
        }
        if (result == S_OK) result = DRAGDROP_S_CANCEL;  // a source that never lets go
        if (target) target->Release();
    }
    source->Release();
    data->Release();
    return result;
}
