// Menus and pop-up menus.
#include <algorithm>

#include "common_control.h"
#include "control.h"
#include "module_resource.h"
#include "ui_driver_hooks.h"
#include "vpr/user/menu.h"
#include "vpr/win/error.h"
#include "vpr/win/resource_format.h"

namespace vpr::user {
namespace {

struct MenuItemData {
    UINT type = MFT_STRING;  // MFT_* bits
    UINT state = 0;          // MFS_* bits
    UINT id = 0;
    HMENU submenu = nullptr;
    std::string text;
    ULONG_PTR data = 0;
    HBITMAP checked = nullptr;
    HBITMAP unchecked = nullptr;
};

struct MenuObject : vpr::win::KernelObject {
    bool popup = false;
    std::vector<MenuItemData> items;
};

std::shared_ptr<MenuObject> MenuOf(HMENU menu) { return HandleObject<MenuObject>(menu); }

HMENU NewMenu(bool popup) {
    auto menu = std::make_shared<MenuObject>();
    menu->popup = popup;
    return AddHandleObject<HMENU>(std::move(menu));
}

struct Found {
    std::shared_ptr<MenuObject> menu;  // the menu that holds the item
    size_t index = 0;
    MenuItemData* item() const { return &menu->items[index]; }
};

// The item named by position or by command; a command is searched depth first
// through the pop-ups, and a pop-up whose handle or own identifier is the
// "command" counts too.
bool FindItem(HMENU handle, UINT which, UINT flags, Found* found) {
    auto menu = MenuOf(handle);
    if (!menu) return false;
    if (flags & MF_BYPOSITION) {
        if (which >= menu->items.size()) return false;
        *found = Found{menu, which};
        return true;
    }
    for (size_t i = 0; i < menu->items.size(); ++i) {
        const MenuItemData& item = menu->items[i];
        if (item.submenu) {
            // A pop-up given an identifier of its own (MIIM_ID) is found by it,
            // as the shell's views find the browser's pop-ups.
            if (item.id != 0 && item.id == which) {
                *found = Found{menu, i};
                return true;
            }
            if (FindItem(item.submenu, which, flags, found)) return true;
            if (reinterpret_cast<uintptr_t>(item.submenu) == which) {
                *found = Found{menu, i};
                return true;
            }
        } else if (item.id == which && !(item.type & MFT_SEPARATOR)) {
            *found = Found{menu, i};
            return true;
        }
    }
    return false;
}

// An item from the flags of the older calls (AppendMenu, InsertMenu, ModifyMenu).
MenuItemData ItemFromFlags(UINT flags, UINT_PTR id, LPCSTR content) {
    MenuItemData item;
    item.type = flags & (MF_BITMAP | MF_OWNERDRAW | MF_SEPARATOR | MF_MENUBARBREAK | MF_MENUBREAK | MF_RIGHTJUSTIFY);
    item.state = flags & (MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_HILITE | MF_DEFAULT);
    if (flags & MF_POPUP)
        item.submenu = reinterpret_cast<HMENU>(id);
    else
        item.id = static_cast<UINT>(id);
    if (item.type & MFT_OWNERDRAW)
        item.data = reinterpret_cast<ULONG_PTR>(content);
    else if (!(item.type & (MFT_SEPARATOR | MFT_BITMAP)) && content)
        item.text = content;
    return item;
}

bool InsertAt(HMENU handle, UINT position, UINT flags, MenuItemData item) {
    if (item.submenu) {
        auto sub = MenuOf(item.submenu);
        if (!sub) return false;
        sub->popup = true;
    }
    Lock lock(WindowLock());
    if (position == static_cast<UINT>(-1)) {
        auto menu = MenuOf(handle);
        if (!menu) return false;
        menu->items.push_back(std::move(item));
        return true;
    }
    Found found;
    if (!FindItem(handle, position, flags, &found)) {
        // An unknown position appends, as Windows does.
        auto menu = MenuOf(handle);
        if (!menu) return false;
        menu->items.push_back(std::move(item));
        return true;
    }
    found.menu->items.insert(found.menu->items.begin() + static_cast<std::ptrdiff_t>(found.index), std::move(item));
    return true;
}

bool Remove(HMENU handle, UINT position, UINT flags, bool destroySubmenu) {
    HMENU submenu = nullptr;
    {
        Lock lock(WindowLock());
        Found found;
        if (!FindItem(handle, position, flags, &found)) return false;
        submenu = found.item()->submenu;
        found.menu->items.erase(found.menu->items.begin() + static_cast<std::ptrdiff_t>(found.index));
    }
    if (destroySubmenu && submenu) DestroyMenu(submenu);
    return true;
}

std::vector<std::string> Split(const std::string& path) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t slash; (slash = path.find('/', start)) != std::string::npos; start = slash + 1)
        parts.push_back(path.substr(start, slash - start));
    parts.push_back(path.substr(start));
    return parts;
}

// Asks the owner about each owner-drawn item and draws it, as the menu
// window does when it opens; the selected item is drawn with ODS_SELECTED.
void DrawOwnerDrawnItems(HMENU menu, HWND owner, int selected) {
    auto object = MenuOf(menu);
    if (!object) return;
    std::vector<MenuItemData> items;
    {
        Lock lock(WindowLock());
        items = object->items;
    }
    HDC dc = CreateCompatibleDC(nullptr);
    int top = 0;
    for (size_t i = 0; i < items.size(); ++i) {
        const MenuItemData& item = items[i];
        if (!(item.type & MFT_OWNERDRAW)) {
            top += kFontHeight + 4;
            continue;
        }
        MEASUREITEMSTRUCT measure{ODT_MENU, 0, item.id, 0, 0, item.data};
        SendMessageA(owner, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure));
        UINT state = (static_cast<int>(i) == selected ? ODS_SELECTED : 0) |
                     ((item.state & MFS_GRAYED) ? ODS_GRAYED : 0) | ((item.state & MFS_CHECKED) ? ODS_CHECKED : 0);
        DRAWITEMSTRUCT draw{ODT_MENU, 0, item.id, ODA_DRAWENTIRE, state,
                            reinterpret_cast<HWND>(menu), dc,
                            RECT{0, top, static_cast<LONG>(measure.itemWidth), top + static_cast<LONG>(measure.itemHeight)},
                            item.data};
        SendMessageA(owner, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw));
        top += static_cast<int>(measure.itemHeight);
    }
    DeleteDC(dc);
}

void OpenPopup(HMENU menu, HWND owner, int position) {
    SendMessageA(owner, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), MAKELPARAM(position, FALSE));
    DrawOwnerDrawnItems(menu, owner, -1);
}

}  // namespace

namespace ui {

UINT ChooseMenuItem(const PopupMenu& open, const std::string& path) {
    HMENU menu = open.menu;
    auto parts = Split(path);
    for (size_t step = 0; step < parts.size(); ++step) {
        int count = GetMenuItemCount(menu);
        int index = -1;
        for (int i = 0; i < count && index < 0; ++i) {
            char text[256] = {};
            GetMenuStringA(menu, static_cast<UINT>(i), text, sizeof(text), MF_BYPOSITION);
            if (parts[step] == text) index = i;
        }
        if (index < 0) return 0;
        UINT state = GetMenuState(menu, static_cast<UINT>(index), MF_BYPOSITION);
        if (state & (MF_GRAYED | MF_DISABLED | MF_SEPARATOR)) return 0;
        HMENU sub = GetSubMenu(menu, index);
        bool last = step + 1 == parts.size();
        if (last) {
            if (sub) return 0;
            DrawOwnerDrawnItems(menu, open.owner, index);
            if (!(open.flags & TPM_NONOTIFY))
                SendMessageA(open.owner, WM_MENUSELECT, MAKEWPARAM(GetMenuItemID(menu, index), state & 0xFFFF),
                             reinterpret_cast<LPARAM>(menu));
            return GetMenuItemID(menu, index);
        }
        if (!sub) return 0;
        OpenPopup(sub, open.owner, index);
        menu = sub;
    }
    return 0;
}

}  // namespace ui

}  // namespace vpr::user

using namespace vpr::user;

extern "C" {

HMENU WINAPI CreateMenu(void) { return NewMenu(false); }
HMENU WINAPI CreatePopupMenu(void) { return NewMenu(true); }

}  // extern "C"

namespace {

// Fills a menu with the items of a menu resource, pop-ups made on the way.
void AppendResourceItems(HMENU menu, const std::vector<vpr::win::MenuItem>& items) {
    for (const auto& item : items) {
        if (item.flags & vpr::win::kMenuPopup) {
            HMENU popup = CreatePopupMenu();
            AppendResourceItems(popup, item.children);
            AppendMenuA(menu, item.flags, reinterpret_cast<UINT_PTR>(popup), item.text.c_str());
        } else if (item.flags & vpr::win::kMenuSeparator) {
            AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
        } else {
            AppendMenuA(menu, item.flags, item.id, item.text.c_str());
        }
    }
}

}  // namespace

extern "C" {

HMENU WINAPI LoadMenuA(HINSTANCE instance, LPCSTR name) {
    const uint8_t* data = nullptr;
    size_t size = 0;
    std::vector<vpr::win::MenuItem> items;
    if (!FindResourceData(instance, name, RT_MENU, &data, &size)) return nullptr;
    if (!vpr::win::DecodeMenu(data, size, &items)) {
        SetLastError(ERROR_INVALID_DATA);
        return nullptr;
    }
    HMENU menu = CreateMenu();
    AppendResourceItems(menu, items);
    return menu;
}

BOOL WINAPI DestroyMenu(HMENU handle) {
    auto menu = MenuOf(handle);
    if (!menu) return FALSE;
    RemoveHandleObject(handle);
    for (auto& item : menu->items)
        if (item.submenu) DestroyMenu(item.submenu);
    return TRUE;
}

BOOL WINAPI IsMenu(HMENU menu) { return MenuOf(menu) != nullptr; }

int WINAPI GetMenuItemCount(HMENU handle) {
    Lock lock(WindowLock());
    auto menu = MenuOf(handle);
    return menu ? static_cast<int>(menu->items.size()) : -1;
}

UINT WINAPI GetMenuItemID(HMENU handle, int position) {
    Lock lock(WindowLock());
    auto menu = MenuOf(handle);
    if (!menu || position < 0 || position >= static_cast<int>(menu->items.size())) return static_cast<UINT>(-1);
    const MenuItemData& item = menu->items[position];
    return item.submenu ? static_cast<UINT>(-1) : item.id;
}

HMENU WINAPI GetSubMenu(HMENU handle, int position) {
    Lock lock(WindowLock());
    auto menu = MenuOf(handle);
    if (!menu || position < 0 || position >= static_cast<int>(menu->items.size())) return nullptr;
    return menu->items[position].submenu;
}

UINT WINAPI GetMenuState(HMENU handle, UINT which, UINT flags) {
    Lock lock(WindowLock());
    Found found;
    if (!FindItem(handle, which, flags, &found)) return static_cast<UINT>(-1);
    const MenuItemData& item = *found.item();
    UINT state = item.type | item.state;
    if (item.submenu) state |= MF_POPUP | (static_cast<UINT>(GetMenuItemCount(item.submenu)) << 8);
    return state;
}

int WINAPI GetMenuStringA(HMENU handle, UINT which, LPSTR out, int size, UINT flags) {
    Lock lock(WindowLock());
    Found found;
    if (!FindItem(handle, which, flags, &found)) return 0;
    const std::string& text = found.item()->text;
    if (!out || size <= 0) return static_cast<int>(text.size());
    size_t count = std::min(text.size(), static_cast<size_t>(size - 1));
    text.copy(out, count);
    out[count] = 0;
    return static_cast<int>(count);
}

BOOL WINAPI AppendMenuA(HMENU menu, UINT flags, UINT_PTR id, LPCSTR content) {
    return InsertAt(menu, static_cast<UINT>(-1), 0, ItemFromFlags(flags, id, content));
}

BOOL WINAPI InsertMenuA(HMENU menu, UINT position, UINT flags, UINT_PTR id, LPCSTR content) {
    return InsertAt(menu, position, flags & MF_BYPOSITION, ItemFromFlags(flags, id, content));
}

BOOL WINAPI ModifyMenuA(HMENU handle, UINT position, UINT flags, UINT_PTR id, LPCSTR content) {
    Lock lock(WindowLock());
    Found found;
    if (!FindItem(handle, position, flags & MF_BYPOSITION, &found)) return FALSE;
    MenuItemData replacement = ItemFromFlags(flags, id, content);
    HMENU oldSubmenu = found.item()->submenu;
    *found.item() = replacement;
    if (oldSubmenu && oldSubmenu != replacement.submenu) DestroyMenu(oldSubmenu);
    return TRUE;
}

namespace {

// The item fields that the structure's mask names, from its fields.
void ApplyInfo(MenuItemData& item, const MENUITEMINFOA& info) {
    if (info.fMask & MIIM_TYPE) {
        item.type = info.fType;
        item.text = (info.fType & (MFT_SEPARATOR | MFT_BITMAP | MFT_OWNERDRAW)) || !info.dwTypeData ? "" : info.dwTypeData;
    }
    if (info.fMask & MIIM_FTYPE) item.type = info.fType;
    if (info.fMask & MIIM_STRING) item.text = info.dwTypeData ? info.dwTypeData : "";
    if (info.fMask & MIIM_STATE) item.state = info.fState;
    if (info.fMask & MIIM_ID) item.id = info.wID;
    if (info.fMask & MIIM_SUBMENU) item.submenu = info.hSubMenu;
    if (info.fMask & MIIM_CHECKMARKS) {
        item.checked = info.hbmpChecked;
        item.unchecked = info.hbmpUnchecked;
    }
    if (info.fMask & MIIM_DATA) item.data = info.dwItemData;
}

bool InfoSizeValid(const MENUITEMINFOA* info) {
    // Callers built for older systems pass the structure without hbmpItem.
    return info && (info->cbSize == sizeof(MENUITEMINFOA) || info->cbSize == offsetof(MENUITEMINFOA, hbmpItem));
}

}  // namespace

BOOL WINAPI InsertMenuItemA(HMENU menu, UINT position, BOOL byPosition, LPCMENUITEMINFOA info) {
    if (!InfoSizeValid(info)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    MenuItemData item;
    ApplyInfo(item, *info);
    return InsertAt(menu, position, byPosition ? MF_BYPOSITION : 0, std::move(item));
}

BOOL WINAPI SetMenuItemInfoA(HMENU handle, UINT position, BOOL byPosition, LPCMENUITEMINFOA info) {
    if (!InfoSizeValid(info)) return FALSE;
    Lock lock(WindowLock());
    Found found;
    if (!FindItem(handle, position, byPosition ? MF_BYPOSITION : 0, &found)) return FALSE;
    ApplyInfo(*found.item(), *info);
    return TRUE;
}

BOOL WINAPI GetMenuItemInfoA(HMENU handle, UINT position, BOOL byPosition, LPMENUITEMINFOA info) {
    if (!InfoSizeValid(info)) return FALSE;
    Lock lock(WindowLock());
    Found found;
    if (!FindItem(handle, position, byPosition ? MF_BYPOSITION : 0, &found)) return FALSE;
    const MenuItemData& item = *found.item();
    if (info->fMask & (MIIM_TYPE | MIIM_FTYPE)) info->fType = item.type;
    if (info->fMask & MIIM_STATE) info->fState = item.state;
    if (info->fMask & MIIM_ID) info->wID = item.id;
    if (info->fMask & MIIM_SUBMENU) info->hSubMenu = item.submenu;
    if (info->fMask & MIIM_CHECKMARKS) {
        info->hbmpChecked = item.checked;
        info->hbmpUnchecked = item.unchecked;
    }
    if (info->fMask & MIIM_DATA) info->dwItemData = item.data;
    if (info->fMask & (MIIM_TYPE | MIIM_STRING)) {
        // Copies what fits (cch counts the terminator) and gives the text's length.
        if (info->dwTypeData && info->cch > 0) {
            size_t count = std::min(item.text.size(), static_cast<size_t>(info->cch - 1));
            item.text.copy(info->dwTypeData, count);
            info->dwTypeData[count] = 0;
        }
        info->cch = static_cast<UINT>(item.text.size());
    }
    return TRUE;
}

BOOL WINAPI DeleteMenu(HMENU menu, UINT position, UINT flags) { return Remove(menu, position, flags, true); }
BOOL WINAPI RemoveMenu(HMENU menu, UINT position, UINT flags) { return Remove(menu, position, flags, false); }

BOOL WINAPI EnableMenuItem(HMENU handle, UINT which, UINT enable) {
    Lock lock(WindowLock());
    Found found;
    if (!FindItem(handle, which, enable & MF_BYPOSITION, &found)) return -1;
    UINT& state = found.item()->state;
    UINT previous = state & MFS_GRAYED;
    state = (state & ~MFS_GRAYED) | (enable & (MF_GRAYED | MF_DISABLED));
    return static_cast<BOOL>(previous);
}

DWORD WINAPI CheckMenuItem(HMENU handle, UINT which, UINT check) {
    Lock lock(WindowLock());
    Found found;
    if (!FindItem(handle, which, check & MF_BYPOSITION, &found)) return static_cast<DWORD>(-1);
    UINT& state = found.item()->state;
    DWORD previous = state & MF_CHECKED;
    state = (state & ~MF_CHECKED) | (check & MF_CHECKED);
    return previous;
}

BOOL WINAPI CheckMenuRadioItem(HMENU handle, UINT first, UINT last, UINT check, UINT flags) {
    Lock lock(WindowLock());
    auto menu = MenuOf(handle);
    if (!menu) return FALSE;
    bool byPosition = flags & MF_BYPOSITION;
    bool found = false;
    for (size_t i = 0; i < menu->items.size(); ++i) {
        MenuItemData& item = menu->items[i];
        UINT key = byPosition ? static_cast<UINT>(i) : item.id;
        if (key < first || key > last || item.submenu) continue;
        if (key == check) {
            item.state |= MFS_CHECKED;
            item.type |= MFT_RADIOCHECK;
            found = true;
        } else {
            item.state &= ~MFS_CHECKED;
        }
    }
    return found;
}

BOOL WINAPI SetMenuDefaultItem(HMENU handle, UINT which, UINT byPosition) {
    Lock lock(WindowLock());
    auto menu = MenuOf(handle);
    if (!menu) return FALSE;
    bool clear = which == static_cast<UINT>(-1);
    bool found = clear;
    for (size_t i = 0; i < menu->items.size(); ++i) {
        MenuItemData& item = menu->items[i];
        bool match = !clear && (byPosition ? i == which : (item.id == which && !item.submenu));
        item.state = match ? item.state | MFS_DEFAULT : item.state & ~MFS_DEFAULT;
        found = found || match;
    }
    return found;
}

UINT WINAPI GetMenuDefaultItem(HMENU handle, UINT byPosition, UINT flags) {
    Lock lock(WindowLock());
    auto menu = MenuOf(handle);
    if (!menu) return static_cast<UINT>(-1);
    for (size_t i = 0; i < menu->items.size(); ++i) {
        const MenuItemData& item = menu->items[i];
        if (!(item.state & MFS_DEFAULT)) continue;
        if ((item.state & MFS_GRAYED) && !(flags & GMDI_USEDISABLED)) return static_cast<UINT>(-1);
        return byPosition ? static_cast<UINT>(i) : item.id;
    }
    return static_cast<UINT>(-1);
}

HMENU WINAPI GetMenu(HWND hwnd) {
    auto window = FindWindowObject(hwnd);
    if (!window || (window->style & WS_CHILD)) return nullptr;
    return reinterpret_cast<HMENU>(window->id);
}

BOOL WINAPI SetMenu(HWND hwnd, HMENU menu) {
    Lock lock(WindowLock());
    auto window = WindowOrError(hwnd);
    if (!window || (window->style & WS_CHILD) || (menu && !MenuOf(menu))) return FALSE;
    window->id = reinterpret_cast<LONG_PTR>(menu);
    return TRUE;
}

BOOL WINAPI DrawMenuBar(HWND hwnd) { return IsWindow(hwnd); }

BOOL WINAPI TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int, HWND owner, const RECT*) {
    if (!MenuOf(menu) || !IsWindow(owner)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    PopupMenu open{menu, owner, POINT{x, y}, flags};
    if (!(flags & TPM_NONOTIFY)) SendMessageA(owner, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), MAKELPARAM(0, FALSE));
    DrawOwnerDrawnItems(menu, owner, -1);
    UINT command = DriverChooseFromMenu(open);
    if (!(flags & TPM_NONOTIFY))
        SendMessageA(owner, WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);  // the menu closes
    if (flags & TPM_RETURNCMD) return static_cast<BOOL>(command);
    if (command) PostMessageA(owner, WM_COMMAND, MAKEWPARAM(command, 0), 0);
    return TRUE;
}

BOOL WINAPI TrackPopupMenuEx(HMENU menu, UINT flags, int x, int y, HWND owner, TPMPARAMS* params) {
    return TrackPopupMenu(menu, flags, x, y, 0, owner, params ? &params->rcExclude : nullptr);
}

}  // extern "C"
