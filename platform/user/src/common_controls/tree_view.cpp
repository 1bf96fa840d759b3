// The tree view control ("SysTreeView32"): a tree of labelled items with
// images, one selected item (the caret), expanding and label editing.
#include <algorithm>
#include <map>

#include "common_control.h"
#include "control.h"

namespace vpr::user {
namespace {

constexpr int kIndent = 19;
constexpr int kDragDistance = 4;

struct TvNode {
    std::string text;
    int image = 0;
    int selectedImage = 0;
    LPARAM param = 0;
    UINT state = 0;
    int childrenHint = 0;  // cChildren as the program gave it: 1 shows a button before any child exists
    HTREEITEM parent = nullptr;
    std::vector<HTREEITEM> children;
};

struct TreeViewState : ControlState {
    std::map<HTREEITEM, TvNode> nodes;
    std::vector<HTREEITEM> roots;
    uintptr_t nextHandle = 1;
    HTREEITEM caret = nullptr;
    HTREEITEM dropHighlight = nullptr;
    int topRow = 0;  // first visible row shown
    HIMAGELIST images[3] = {};
    HFONT font = nullptr;
    bool redraw = true;
    HWND edit = nullptr;
    HTREEITEM editItem = nullptr;
    HTREEITEM pressItem = nullptr;
    POINT pressPoint{0, 0};
    bool dragStarted = false;
};

TvNode* NodeOf(TreeViewState& state, HTREEITEM item) {
    auto it = state.nodes.find(item);
    return it == state.nodes.end() ? nullptr : &it->second;
}

bool IsRootMarker(HTREEITEM item) { return !item || item == TVI_ROOT; }

std::vector<HTREEITEM>* SiblingsOf(TreeViewState& state, HTREEITEM parent) {
    if (IsRootMarker(parent)) return &state.roots;
    TvNode* node = NodeOf(state, parent);
    return node ? &node->children : nullptr;
}

void Repaint(HWND hwnd, const TreeViewState& state) {
    if (state.redraw) InvalidateRect(hwnd, nullptr, TRUE);
}

bool Expanded(TreeViewState& state, HTREEITEM item) {
    TvNode* node = NodeOf(state, item);
    return node && (node->state & TVIS_EXPANDED);
}

bool HasChildren(const TvNode& node) { return !node.children.empty() || node.childrenHint > 0; }

// Items a person can see, top to bottom: roots and the children of expanded items.
void AddVisible(TreeViewState& state, const std::vector<HTREEITEM>& items, std::vector<HTREEITEM>* out) {
    for (HTREEITEM item : items) {
        out->push_back(item);
        if (Expanded(state, item)) AddVisible(state, NodeOf(state, item)->children, out);
    }
}

std::vector<HTREEITEM> VisibleItems(TreeViewState& state) {
    std::vector<HTREEITEM> items;
    AddVisible(state, state.roots, &items);
    return items;
}

int RowOf(TreeViewState& state, HTREEITEM item) {
    auto items = VisibleItems(state);
    auto it = std::find(items.begin(), items.end(), item);
    return it == items.end() ? -1 : static_cast<int>(it - items.begin());
}

int Depth(TreeViewState& state, HTREEITEM item) {
    int depth = 0;
    for (TvNode* node = NodeOf(state, item); node && node->parent; node = NodeOf(state, node->parent)) ++depth;
    return depth;
}

bool InSubtree(TreeViewState& state, HTREEITEM item, HTREEITEM top) {
    for (HTREEITEM at = item; at; at = NodeOf(state, at) ? NodeOf(state, at)->parent : nullptr)
        if (at == top) return true;
    return false;
}

int RowHeightOf(const TreeViewState& state) { return RowHeight(state.images[TVSIL_NORMAL]); }

int VisibleRowCount(HWND hwnd, const TreeViewState& state) {
    RECT client;
    GetClientRect(hwnd, &client);
    return std::max(1, static_cast<int>(client.bottom) / RowHeightOf(state));
}

struct ItemParts {
    RECT row{};
    RECT button{};
    RECT icon{};
    RECT label{};
};

// Where a visible item's parts are; false when the item is not visible.
bool PartsOf(HWND hwnd, TreeViewState& state, HTREEITEM item, ItemParts* parts) {
    int row = RowOf(state, item);
    if (row < 0) return false;
    RECT client;
    GetClientRect(hwnd, &client);
    int height = RowHeightOf(state);
    int y = (row - state.topRow) * height;
    int level = Depth(state, item) + ((GetWindowLongA(hwnd, GWL_STYLE) & TVS_LINESATROOT) ? 1 : 0);
    int x = level * kIndent;
    int iconWidth = 0, iconHeight = 0;
    if (state.images[TVSIL_NORMAL]) ImageList_GetIconSize(state.images[TVSIL_NORMAL], &iconWidth, &iconHeight);
    int textWidth = static_cast<int>(NodeOf(state, item)->text.size()) * kFontWidth + 4;
    parts->row = RECT{0, y, client.right, y + height};
    parts->button = RECT{x - kIndent, y, x, y + height};
    parts->icon = RECT{x, y, x + iconWidth, y + height};
    parts->label = RECT{x + iconWidth, y, x + iconWidth + textWidth, y + height};
    return true;
}

HTREEITEM HitTest(HWND hwnd, TreeViewState& state, POINT pt, UINT* flags) {
    *flags = TVHT_NOWHERE;
    auto items = VisibleItems(state);
    int row = state.topRow + (pt.y < 0 ? -1 : pt.y / RowHeightOf(state));
    if (row < 0 || row >= static_cast<int>(items.size())) return nullptr;
    HTREEITEM item = items[row];
    ItemParts parts;
    PartsOf(hwnd, state, item, &parts);
    if (PtInRect(&parts.label, pt)) *flags = TVHT_ONITEMLABEL;
    else if (PtInRect(&parts.icon, pt)) *flags = TVHT_ONITEMICON;
    else if (PtInRect(&parts.button, pt)) *flags = TVHT_ONITEMBUTTON;
    else if (pt.x < parts.button.left) *flags = TVHT_ONITEMINDENT;
    else *flags = TVHT_ONITEMRIGHT;
    return item;
}

TVITEMA Describe(TreeViewState& state, HTREEITEM item) {
    TVITEMA info{};
    TvNode* node = NodeOf(state, item);
    if (!node) return info;
    info.mask = TVIF_HANDLE | TVIF_STATE | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    info.hItem = item;
    info.state = node->state;
    info.lParam = node->param;
    info.iImage = node->image;
    info.iSelectedImage = node->selectedImage;
    return info;
}

void EnsureVisible(HWND hwnd, TreeViewState& state, HTREEITEM item) {
    TvNode* node = NodeOf(state, item);
    if (!node) return;
    // Opening the ancestors is the program's doing: no notifications.
    for (HTREEITEM up = node->parent; up; up = NodeOf(state, up)->parent)
        NodeOf(state, up)->state |= TVIS_EXPANDED | TVIS_EXPANDEDONCE;
    int row = RowOf(state, item);
    int rows = VisibleRowCount(hwnd, state);
    if (row < state.topRow) state.topRow = row;
    if (row >= state.topRow + rows) state.topRow = row - rows + 1;
}

// Moves the selection; the parent may refuse unless `force`. Returns false
// when refused or when the item does not exist.
bool Select(HWND hwnd, TreeViewState& state, HTREEITEM item, UINT action, bool force = false) {
    if (item && !NodeOf(state, item)) return false;
    if (item == state.caret) {
        if (item) EnsureVisible(hwnd, state, item);
        return true;
    }
    NMTREEVIEWA info{};
    info.action = action;
    info.itemOld = Describe(state, state.caret);
    info.itemNew = Describe(state, item);
    if (SendNotify(hwnd, TVN_SELCHANGINGA, &info.hdr) && !force) return false;
    if (item && !NodeOf(state, item)) return false;
    if (TvNode* old = NodeOf(state, state.caret)) old->state &= ~TVIS_SELECTED;
    state.caret = item;
    if (TvNode* node = NodeOf(state, item)) {
        node->state |= TVIS_SELECTED;
        EnsureVisible(hwnd, state, item);
    }
    info.itemOld.state &= ~TVIS_SELECTED;
    info.itemNew = Describe(state, item);
    SendNotify(hwnd, TVN_SELCHANGEDA, &info.hdr);
    Repaint(hwnd, state);
    return true;
}

// Expands or collapses; a person's doing asks the parent first and tells it after.
bool Expand(HWND hwnd, TreeViewState& state, HTREEITEM item, UINT code, bool byUser) {
    TvNode* node = NodeOf(state, item);
    if (!node) return false;
    code &= TVE_TOGGLE;
    bool expanded = node->state & TVIS_EXPANDED;
    bool expand = code == TVE_TOGGLE ? !expanded : code == TVE_EXPAND;
    if (code == 0 || (expand && !HasChildren(*node))) return false;
    if (expand == expanded) return true;
    NMTREEVIEWA info{};
    info.action = expand ? TVE_EXPAND : TVE_COLLAPSE;
    info.itemNew = Describe(state, item);
    if (byUser && SendNotify(hwnd, TVN_ITEMEXPANDINGA, &info.hdr)) return false;
    node = NodeOf(state, item);
    if (!node) return false;
    if (expand) {
        node->state |= TVIS_EXPANDED | TVIS_EXPANDEDONCE;
    } else {
        node->state &= ~TVIS_EXPANDED;
        // A selection hidden inside moves up to the collapsed item.
        if (state.caret && state.caret != item && InSubtree(state, state.caret, item))
            Select(hwnd, state, item, TVC_UNKNOWN, true);
    }
    int rows = static_cast<int>(VisibleItems(state).size());
    state.topRow = std::clamp(state.topRow, 0, std::max(rows - 1, 0));
    if (byUser) {
        info.itemNew = Describe(state, item);
        SendNotify(hwnd, TVN_ITEMEXPANDEDA, &info.hdr);
    }
    Repaint(hwnd, state);
    return true;
}

HTREEITEM Insert(HWND hwnd, TreeViewState& state, const TVINSERTSTRUCTA* insert) {
    if (!insert) return nullptr;
    HTREEITEM parent = IsRootMarker(insert->hParent) ? nullptr : insert->hParent;
    std::vector<HTREEITEM>* siblings = SiblingsOf(state, parent);
    if (!siblings) return nullptr;
    TvNode node;
    const TVITEMA& item = insert->item;
    if ((item.mask & TVIF_TEXT) && item.pszText && item.pszText != LPSTR_TEXTCALLBACKA) node.text = item.pszText;
    if (item.mask & TVIF_IMAGE) node.image = item.iImage;
    if (item.mask & TVIF_SELECTEDIMAGE) node.selectedImage = item.iSelectedImage;
    if (item.mask & TVIF_PARAM) node.param = item.lParam;
    if (item.mask & TVIF_STATE) node.state = item.state & item.stateMask & ~TVIS_SELECTED;
    if (item.mask & TVIF_CHILDREN) node.childrenHint = item.cChildren;
    node.parent = parent;
    size_t position = siblings->size();
    if (insert->hInsertAfter == TVI_FIRST) {
        position = 0;
    } else if (insert->hInsertAfter == TVI_SORT) {
        position = 0;
        while (position < siblings->size() && CompareNoCase(NodeOf(state, (*siblings)[position])->text, node.text) <= 0)
            ++position;
    } else if (insert->hInsertAfter != TVI_LAST) {
        auto after = std::find(siblings->begin(), siblings->end(), insert->hInsertAfter);
        if (after != siblings->end()) position = static_cast<size_t>(after - siblings->begin()) + 1;
    }
    auto handle = reinterpret_cast<HTREEITEM>(state.nextHandle++);
    state.nodes[handle] = node;
    siblings->insert(siblings->begin() + static_cast<std::ptrdiff_t>(position), handle);
    Repaint(hwnd, state);
    return handle;
}

void CollectPostOrder(TreeViewState& state, HTREEITEM item, std::vector<HTREEITEM>* out) {
    for (HTREEITEM child : NodeOf(state, item)->children) CollectPostOrder(state, child, out);
    out->push_back(item);
}

// Takes an item and its subtree out of the tree, telling the parent of each
// item, children first.
void RemoveSubtree(HWND hwnd, TreeViewState& state, HTREEITEM item) {
    std::vector<HTREEITEM> doomed;
    CollectPostOrder(state, item, &doomed);
    if (auto* siblings = SiblingsOf(state, NodeOf(state, item)->parent))
        siblings->erase(std::remove(siblings->begin(), siblings->end(), item), siblings->end());
    for (HTREEITEM gone : doomed) {
        if (state.dropHighlight == gone) state.dropHighlight = nullptr;
        if (state.pressItem == gone) state.pressItem = nullptr;
        if (state.caret == gone) state.caret = nullptr;
        NMTREEVIEWA info{};
        info.itemOld = Describe(state, gone);
        SendNotify(hwnd, TVN_DELETEITEMA, &info.hdr);
        state.nodes.erase(gone);
    }
}

BOOL DeleteItem(HWND hwnd, TreeViewState& state, HTREEITEM item) {
    if (state.edit && (IsRootMarker(item) || InSubtree(state, state.editItem, item))) EndLabelEdit(state.edit, true);
    if (IsRootMarker(item)) {
        // Emptying the tree drops the selection without asking.
        if (TvNode* caret = NodeOf(state, state.caret)) caret->state &= ~TVIS_SELECTED;
        state.caret = nullptr;
        while (!state.roots.empty()) RemoveSubtree(hwnd, state, state.roots.front());
        state.topRow = 0;
        Repaint(hwnd, state);
        return TRUE;
    }
    TvNode* node = NodeOf(state, item);
    if (!node) return FALSE;
    if (state.caret && InSubtree(state, state.caret, item)) {
        // The selection moves out first: next sibling, previous sibling, parent.
        std::vector<HTREEITEM>& siblings = *SiblingsOf(state, node->parent);
        auto at = std::find(siblings.begin(), siblings.end(), item);
        HTREEITEM next = nullptr;
        if (at + 1 != siblings.end()) next = *(at + 1);
        else if (at != siblings.begin()) next = *(at - 1);
        else next = node->parent;
        Select(hwnd, state, next, TVC_UNKNOWN, true);
    }
    if (!NodeOf(state, item)) return TRUE;
    RemoveSubtree(hwnd, state, item);
    int rows = static_cast<int>(VisibleItems(state).size());
    state.topRow = std::clamp(state.topRow, 0, std::max(rows - 1, 0));
    Repaint(hwnd, state);
    return TRUE;
}

HTREEITEM NextItem(TreeViewState& state, UINT code, HTREEITEM item) {
    if (code == TVGN_ROOT) return state.roots.empty() ? nullptr : state.roots.front();
    if (code == TVGN_CARET) return state.caret;
    if (code == TVGN_DROPHILITE) return state.dropHighlight;
    auto visible = VisibleItems(state);
    if (code == TVGN_FIRSTVISIBLE)
        return state.topRow < static_cast<int>(visible.size()) ? visible[state.topRow] : nullptr;
    if (code == TVGN_LASTVISIBLE) return visible.empty() ? nullptr : visible.back();
    if (code == TVGN_CHILD && IsRootMarker(item)) return state.roots.empty() ? nullptr : state.roots.front();
    TvNode* node = NodeOf(state, item);
    if (!node) return nullptr;
    switch (code) {
    case TVGN_PARENT: return node->parent;
    case TVGN_CHILD: return node->children.empty() ? nullptr : node->children.front();
    case TVGN_NEXT:
    case TVGN_PREVIOUS: {
        std::vector<HTREEITEM>& siblings = *SiblingsOf(state, node->parent);
        auto at = std::find(siblings.begin(), siblings.end(), item);
        if (code == TVGN_NEXT) return at + 1 == siblings.end() ? nullptr : *(at + 1);
        return at == siblings.begin() ? nullptr : *(at - 1);
    }
    case TVGN_NEXTVISIBLE:
    case TVGN_PREVIOUSVISIBLE: {
        auto at = std::find(visible.begin(), visible.end(), item);
        if (at == visible.end()) return nullptr;
        if (code == TVGN_NEXTVISIBLE) return at + 1 == visible.end() ? nullptr : *(at + 1);
        return at == visible.begin() ? nullptr : *(at - 1);
    }
    default: return nullptr;
    }
}

BOOL GetItem(TreeViewState& state, TVITEMA* item) {
    if (!item) return FALSE;
    TvNode* node = NodeOf(state, item->hItem);
    if (!node) return FALSE;
    if (item->mask & TVIF_TEXT) {
        if (item->pszText && item->cchTextMax > 0) {
            size_t count = std::min(node->text.size(), static_cast<size_t>(item->cchTextMax - 1));
            node->text.copy(item->pszText, count);
            item->pszText[count] = 0;
        }
    }
    if (item->mask & TVIF_IMAGE) item->iImage = node->image;
    if (item->mask & TVIF_SELECTEDIMAGE) item->iSelectedImage = node->selectedImage;
    if (item->mask & TVIF_PARAM) item->lParam = node->param;
    if (item->mask & TVIF_STATE) item->state = node->state & item->stateMask;
    if (item->mask & TVIF_CHILDREN) item->cChildren = HasChildren(*node) ? 1 : 0;
    return TRUE;
}

BOOL SetItem(HWND hwnd, TreeViewState& state, const TVITEMA* item) {
    if (!item) return FALSE;
    TvNode* node = NodeOf(state, item->hItem);
    if (!node) return FALSE;
    if ((item->mask & TVIF_TEXT) && item->pszText != LPSTR_TEXTCALLBACKA) node->text = item->pszText ? item->pszText : "";
    if (item->mask & TVIF_IMAGE) node->image = item->iImage;
    if (item->mask & TVIF_SELECTEDIMAGE) node->selectedImage = item->iSelectedImage;
    if (item->mask & TVIF_PARAM) node->param = item->lParam;
    if (item->mask & TVIF_CHILDREN) node->childrenHint = item->cChildren;
    if (item->mask & TVIF_STATE) {
        // Selection goes through the caret so that it stays single.
        UINT mask = item->stateMask & ~TVIS_SELECTED;
        node->state = (node->state & ~mask) | (item->state & mask);
    }
    Repaint(hwnd, state);
    return TRUE;
}

LRESULT StartEdit(HWND hwnd, TreeViewState& state, HTREEITEM item) {
    if (state.edit) EndLabelEdit(state.edit, true);
    TvNode* node = NodeOf(state, item);
    if (!node) return 0;
    EnsureVisible(hwnd, state, item);
    NMTVDISPINFOA info{};
    info.item = Describe(state, item);
    info.item.mask |= TVIF_TEXT;
    std::string text = node->text;
    info.item.pszText = text.data();
    info.item.cchTextMax = static_cast<int>(text.size()) + 1;
    if (SendNotify(hwnd, TVN_BEGINLABELEDITA, &info.hdr) || !NodeOf(state, item)) return 0;
    ItemParts parts;
    PartsOf(hwnd, state, item, &parts);
    state.editItem = item;
    HWND edit = StartLabelEdit(hwnd, parts.label, NodeOf(state, item)->text, [hwnd, &state](const char* newText) {
        HTREEITEM edited = state.editItem;
        state.edit = nullptr;
        state.editItem = nullptr;
        if (!NodeOf(state, edited)) return;
        NMTVDISPINFOA end{};
        end.item = Describe(state, edited);
        std::string label = newText ? newText : "";
        end.item.mask |= TVIF_TEXT;
        end.item.pszText = newText ? label.data() : nullptr;
        end.item.cchTextMax = static_cast<int>(label.size()) + 1;
        LRESULT accepted = SendNotify(hwnd, TVN_ENDLABELEDITA, &end.hdr);
        if (accepted && newText && NodeOf(state, edited)) {
            NodeOf(state, edited)->text = label;
            Repaint(hwnd, state);
        }
    });
    state.edit = edit;
    if (!edit) state.editItem = nullptr;
    return reinterpret_cast<LRESULT>(edit);
}

void SortChildren(TreeViewState& state, HTREEITEM parent, bool recurse) {
    std::vector<HTREEITEM>* children = SiblingsOf(state, parent);
    if (!children) return;
    std::stable_sort(children->begin(), children->end(), [&](HTREEITEM a, HTREEITEM b) {
        return CompareNoCase(NodeOf(state, a)->text, NodeOf(state, b)->text) < 0;
    });
    if (recurse)
        for (HTREEITEM child : *children) SortChildren(state, child, true);
}

void OnKey(HWND hwnd, TreeViewState& state, int key) {
    NMTVKEYDOWN info{};
    info.wVKey = static_cast<WORD>(key);
    SendNotify(hwnd, TVN_KEYDOWN, &info.hdr);
    auto visible = VisibleItems(state);
    if (visible.empty()) return;
    HTREEITEM caret = state.caret;
    TvNode* node = NodeOf(state, caret);
    HTREEITEM target = nullptr;
    switch (key) {
    case VK_UP: target = caret ? NextItem(state, TVGN_PREVIOUSVISIBLE, caret) : visible.front(); break;
    case VK_DOWN: target = caret ? NextItem(state, TVGN_NEXTVISIBLE, caret) : visible.front(); break;
    case VK_HOME: target = visible.front(); break;
    case VK_END: target = visible.back(); break;
    case VK_LEFT:
        if (node && (node->state & TVIS_EXPANDED) && HasChildren(*node)) Expand(hwnd, state, caret, TVE_COLLAPSE, true);
        else if (node) target = node->parent;
        break;
    case VK_RIGHT:
        if (node && !(node->state & TVIS_EXPANDED) && HasChildren(*node)) Expand(hwnd, state, caret, TVE_EXPAND, true);
        else if (node && !node->children.empty()) target = node->children.front();
        break;
    case VK_F2:
        if (caret && (GetWindowLongA(hwnd, GWL_STYLE) & TVS_EDITLABELS)) StartEdit(hwnd, state, caret);
        return;
    default: return;
    }
    if (target) Select(hwnd, state, target, TVC_BYKEYBOARD);
}

void Paint(HWND hwnd, TreeViewState& state) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    if (state.font) SelectObject(dc, state.font);
    SetBkMode(dc, TRANSPARENT);
    bool showSelection = GetFocus() == hwnd || (GetWindowLongA(hwnd, GWL_STYLE) & TVS_SHOWSELALWAYS);
    auto visible = VisibleItems(state);
    int rows = VisibleRowCount(hwnd, state) + 1;
    for (int row = state.topRow; row < static_cast<int>(visible.size()) && row < state.topRow + rows; ++row) {
        HTREEITEM item = visible[row];
        TvNode* node = NodeOf(state, item);
        ItemParts parts;
        PartsOf(hwnd, state, item, &parts);
        bool selected = item == state.caret;
        if (state.images[TVSIL_NORMAL])
            ImageList_Draw(state.images[TVSIL_NORMAL], selected ? node->selectedImage : node->image, dc,
                           parts.icon.left, parts.icon.top, ILD_TRANSPARENT);
        bool highlight = (selected && showSelection) || item == state.dropHighlight;
        if (highlight) FillRect(dc, &parts.label, GetSysColorBrush(COLOR_HIGHLIGHT));
        SetTextColor(dc, GetSysColor(highlight ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
        DrawTextA(dc, node->text.c_str(), -1, &parts.label, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
        if (selected && GetFocus() == hwnd) DrawFocusRect(dc, &parts.label);
    }
    EndPaint(hwnd, &ps);
}

LRESULT CALLBACK TreeViewProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    TreeViewState* state = ControlOf<TreeViewState>(hwnd);
    if (!state) return 0;
    auto item = reinterpret_cast<HTREEITEM>(lParam);
    switch (msg) {
    case WM_DESTROY:
        // Every item goes, each with its TVN_DELETEITEM; no selection change.
        if (state->edit) EndLabelEdit(state->edit, true);
        state->caret = nullptr;
        while (!state->roots.empty()) RemoveSubtree(hwnd, *state, state->roots.front());
        return 0;
    case WM_GETDLGCODE: return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_SETFONT: state->font = reinterpret_cast<HFONT>(wParam); return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(state->font);
    case WM_SETREDRAW:
        state->redraw = wParam != 0;
        Repaint(hwnd, *state);
        return 0;
    case WM_PAINT: Paint(hwnd, *state); return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        Repaint(hwnd, *state);
        SendNotify(hwnd, msg == WM_SETFOCUS ? NM_SETFOCUS : NM_KILLFOCUS);
        return 0;

    case TVM_INSERTITEMA:
        return reinterpret_cast<LRESULT>(Insert(hwnd, *state, reinterpret_cast<const TVINSERTSTRUCTA*>(lParam)));
    case TVM_DELETEITEM: return DeleteItem(hwnd, *state, item);
    case TVM_EXPAND: return Expand(hwnd, *state, item, static_cast<UINT>(wParam), false);
    case TVM_GETCOUNT: return static_cast<LRESULT>(state->nodes.size());
    case TVM_GETINDENT: return kIndent;
    case TVM_GETVISIBLECOUNT: return VisibleRowCount(hwnd, *state);
    case TVM_SETIMAGELIST: {
        if (wParam != TVSIL_NORMAL && wParam != TVSIL_STATE) return 0;
        HIMAGELIST old = state->images[wParam];
        state->images[wParam] = reinterpret_cast<HIMAGELIST>(lParam);
        Repaint(hwnd, *state);
        return reinterpret_cast<LRESULT>(old);
    }
    case TVM_GETIMAGELIST:
        return wParam == TVSIL_NORMAL || wParam == TVSIL_STATE ? reinterpret_cast<LRESULT>(state->images[wParam]) : 0;
    case TVM_GETNEXTITEM: return reinterpret_cast<LRESULT>(NextItem(*state, static_cast<UINT>(wParam), item));
    case TVM_SELECTITEM:
        switch (wParam) {
        case TVGN_CARET: return Select(hwnd, *state, item, TVC_UNKNOWN);
        case TVGN_DROPHILITE:
            if (item && !NodeOf(*state, item)) return FALSE;
            if (TvNode* old = NodeOf(*state, state->dropHighlight)) old->state &= ~TVIS_DROPHILITED;
            state->dropHighlight = item;
            if (TvNode* node = NodeOf(*state, item)) node->state |= TVIS_DROPHILITED;
            Repaint(hwnd, *state);
            return TRUE;
        case TVGN_FIRSTVISIBLE: {
            int row = RowOf(*state, item);
            if (row < 0) return FALSE;
            state->topRow = row;
            Repaint(hwnd, *state);
            return TRUE;
        }
        default: return FALSE;
        }
    case TVM_GETITEMA: return GetItem(*state, reinterpret_cast<TVITEMA*>(lParam));
    case TVM_SETITEMA: return SetItem(hwnd, *state, reinterpret_cast<const TVITEMA*>(lParam));
    case TVM_GETITEMRECT: {
        auto* rect = reinterpret_cast<RECT*>(lParam);
        if (!rect) return FALSE;
        HTREEITEM wanted = *reinterpret_cast<HTREEITEM*>(rect);
        ItemParts parts;
        if (!NodeOf(*state, wanted) || !PartsOf(hwnd, *state, wanted, &parts)) return FALSE;
        *rect = wParam ? parts.label : parts.row;
        return TRUE;
    }
    case TVM_HITTEST: {
        auto* info = reinterpret_cast<TVHITTESTINFO*>(lParam);
        if (!info) return 0;
        info->hItem = HitTest(hwnd, *state, info->pt, &info->flags);
        return reinterpret_cast<LRESULT>(info->hItem);
    }
    case TVM_ENSUREVISIBLE:
        if (!NodeOf(*state, item)) return FALSE;
        EnsureVisible(hwnd, *state, item);
        Repaint(hwnd, *state);
        return TRUE;
    case TVM_SORTCHILDREN:
        if (!SiblingsOf(*state, item)) return FALSE;
        SortChildren(*state, item, wParam != 0);
        Repaint(hwnd, *state);
        return TRUE;
    case TVM_EDITLABELA:
        if (GetFocus() != hwnd) SetFocus(hwnd);
        return StartEdit(hwnd, *state, item);
    case TVM_GETEDITCONTROL: return reinterpret_cast<LRESULT>(state->edit);
    case TVM_ENDEDITLABELNOW:
        if (!state->edit) return FALSE;
        EndLabelEdit(state->edit, wParam != 0);
        return TRUE;

    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN: {
        POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        bool hadFocus = GetFocus() == hwnd;
        if (state->edit) EndLabelEdit(state->edit, false);
        if (!hadFocus) SetFocus(hwnd);
        UINT flags = 0;
        HTREEITEM hit = HitTest(hwnd, *state, pt, &flags);
        if (msg == WM_RBUTTONDOWN) {
            // The item under a right click is drop-highlighted while its
            // parent answers (and shows its menu), so it knows which it is.
            bool onItem = hit && (flags & TVHT_ONITEM);
            if (onItem) SendMessageA(hwnd, TVM_SELECTITEM, TVGN_DROPHILITE, reinterpret_cast<LPARAM>(hit));
            SendNotify(hwnd, NM_RCLICK);
            if (onItem && IsWindow(hwnd)) SendMessageA(hwnd, TVM_SELECTITEM, TVGN_DROPHILITE, 0);
            return 0;
        }
        if (hit && (flags & TVHT_ONITEMBUTTON) && (GetWindowLongA(hwnd, GWL_STYLE) & TVS_HASBUTTONS)) {
            Expand(hwnd, *state, hit, TVE_TOGGLE, true);
        } else if (hit && (flags & TVHT_ONITEM)) {
            bool rename = hadFocus && hit == state->caret && (flags & TVHT_ONITEMLABEL) &&
                          (GetWindowLongA(hwnd, GWL_STYLE) & TVS_EDITLABELS);
            Select(hwnd, *state, hit, TVC_BYMOUSE);
            state->pressItem = hit;
            state->pressPoint = pt;
            state->dragStarted = false;
            SendNotify(hwnd, NM_CLICK);
            if (rename) StartEdit(hwnd, *state, hit);
            return 0;
        }
        SendNotify(hwnd, NM_CLICK);
        return 0;
    }
    case WM_MOUSEMOVE: {
        if (!(wParam & MK_LBUTTON) || !state->pressItem || state->dragStarted ||
            (GetWindowLongA(hwnd, GWL_STYLE) & TVS_DISABLEDRAGDROP))
            return 0;
        POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        if (std::abs(pt.x - state->pressPoint.x) < kDragDistance && std::abs(pt.y - state->pressPoint.y) < kDragDistance)
            return 0;
        state->dragStarted = true;
        NMTREEVIEWA info{};
        info.action = TVC_BYMOUSE;
        info.itemNew = Describe(*state, state->pressItem);
        info.ptDrag = state->pressPoint;
        SendNotify(hwnd, TVN_BEGINDRAGA, &info.hdr);
        return 0;
    }
    case WM_LBUTTONUP: state->pressItem = nullptr; return 0;
    case WM_LBUTTONDBLCLK: {
        POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        UINT flags = 0;
        HTREEITEM hit = HitTest(hwnd, *state, pt, &flags);
        if (!SendNotify(hwnd, NM_DBLCLK) && hit && (flags & TVHT_ONITEM)) Expand(hwnd, *state, hit, TVE_TOGGLE, true);
        return 0;
    }
    case WM_KEYDOWN: OnKey(hwnd, *state, static_cast<int>(wParam)); return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

}  // namespace

void RegisterTreeViewClass() {
    RegisterSystemClass(WC_TREEVIEWA, TreeViewProc, CS_DBLCLKS | CS_GLOBALCLASS, 0);
}

}  // namespace vpr::user
