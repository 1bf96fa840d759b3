// A parent window for control tests: records the notifications its children
// send and answers them as a test tells it to.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "windows.h"

namespace vpr::user::testing {

struct Notification {
    UINT code = 0;
    int item = -1;         // list view item index, -1 for none
    LPARAM param = 0;      // the item's lParam (old item's for tree deletions)
    UINT newState = 0;     // list view state change
    UINT oldState = 0;
    int subItem = 0;       // column of a column click or of a text asked for
    HTREEITEM treeItem = nullptr;  // tree view: the new item (the deleted one for TVN_DELETEITEM)
    HTREEITEM oldItem = nullptr;
    UINT action = 0;
    std::string text;      // label edits: the offered text, "(null)" when cancelled
};

class NotifyParent {
public:
    NotifyParent() {
        WNDCLASSA wc{};
        wc.lpfnWndProc = Proc;
        wc.lpszClassName = "NotifyParent";
        RegisterClassA(&wc);
        window = CreateWindowExA(0, "NotifyParent", "parent", WS_POPUP | WS_VISIBLE, 0, 0, 500, 400, nullptr,
                                 nullptr, nullptr, nullptr);
        Current() = this;
    }
    ~NotifyParent() {
        if (IsWindow(window)) DestroyWindow(window);
        Current() = nullptr;
    }

    HWND Child(const char* className, DWORD style, int width = 300, int height = 200) {
        return CreateWindowExA(0, className, "", WS_CHILD | WS_VISIBLE | style, 0, 0, width, height, window,
                               reinterpret_cast<HMENU>(7), nullptr, nullptr);
    }
    std::vector<UINT> Codes() const {
        std::vector<UINT> codes;
        for (auto& n : log) codes.push_back(n.code);
        return codes;
    }
    std::vector<Notification> Of(UINT code) const {
        std::vector<Notification> found;
        for (auto& n : log)
            if (n.code == code) found.push_back(n);
        return found;
    }

    HWND window = nullptr;
    std::vector<Notification> log;
    std::map<UINT, LRESULT> answers;  // what to answer to a code (0 otherwise)
    // Runs first for every notification, to fill in what the parent is asked
    // (LVN_GETDISPINFOA) or look at the control while it is told.
    std::function<void(NMHDR*)> onNotify;

private:
    static NotifyParent*& Current() {
        static NotifyParent* current = nullptr;
        return current;
    }
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        NotifyParent* self = Current();
        if (msg != WM_NOTIFY || !self) return DefWindowProcA(hwnd, msg, wParam, lParam);
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (self->onNotify) self->onNotify(header);
        Notification n;
        n.code = header->code;
        char className[32] = {};
        GetClassNameA(header->hwndFrom, className, sizeof(className));
        if (std::string(className) == WC_LISTVIEWA) {
            if (n.code == LVN_BEGINLABELEDITA || n.code == LVN_ENDLABELEDITA) {
                auto* info = reinterpret_cast<NMLVDISPINFOA*>(lParam);
                n.item = info->item.iItem;
                n.param = info->item.lParam;
                n.text = info->item.pszText ? info->item.pszText : "(null)";
            } else if (n.code == LVN_GETDISPINFOA) {
                auto* info = reinterpret_cast<NMLVDISPINFOA*>(lParam);
                n.item = info->item.iItem;
                n.subItem = info->item.iSubItem;
                n.param = info->item.lParam;
            } else if (n.code == LVN_KEYDOWN) {
                n.item = reinterpret_cast<NMLVKEYDOWN*>(lParam)->wVKey;
            } else if (n.code != NM_SETFOCUS && n.code != NM_KILLFOCUS) {
                auto* info = reinterpret_cast<NMLISTVIEW*>(lParam);
                n.item = info->iItem;
                n.param = info->lParam;
                n.newState = info->uNewState;
                n.oldState = info->uOldState;
                n.subItem = info->iSubItem;
            }
        } else if (n.code == TVN_BEGINLABELEDITA || n.code == TVN_ENDLABELEDITA) {
            auto* info = reinterpret_cast<NMTVDISPINFOA*>(lParam);
            n.treeItem = info->item.hItem;
            n.param = info->item.lParam;
            n.text = info->item.pszText ? info->item.pszText : "(null)";
        } else if (n.code == TVN_SELCHANGINGA || n.code == TVN_SELCHANGEDA || n.code == TVN_ITEMEXPANDINGA ||
                   n.code == TVN_ITEMEXPANDEDA || n.code == TVN_BEGINDRAGA) {
            auto* info = reinterpret_cast<NMTREEVIEWA*>(lParam);
            n.treeItem = info->itemNew.hItem;
            n.oldItem = info->itemOld.hItem;
            n.param = info->itemNew.lParam;
            n.action = info->action;
        } else if (n.code == TVN_DELETEITEMA) {
            auto* info = reinterpret_cast<NMTREEVIEWA*>(lParam);
            n.treeItem = info->itemOld.hItem;
            n.param = info->itemOld.lParam;
        }
        self->log.push_back(n);
        auto answer = self->answers.find(n.code);
        return answer == self->answers.end() ? 0 : answer->second;
    }
};

}  // namespace vpr::user::testing
