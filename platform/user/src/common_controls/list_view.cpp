// The list view control ("SysListView32"): rows of items with an image, a
// label, sub-item texts and a state, shown as icons, small icons, a list or a
// report with columns. With LVS_OWNERDATA the parent keeps the rows and the
// control only their number and states.
#include <algorithm>
#include <deque>
#include <utility>
#include <vector>
#include <set>

#include "common_control.h"
#include "control.h"

namespace vpr::user {
namespace {

constexpr int kHeaderHeight = 20;
constexpr int kIconCellWidth = 76;
constexpr int kIconCellHeight = 64;
constexpr int kSmallCellWidth = 120;
constexpr int kListColumnWidth = 120;
constexpr int kDragDistance = 4;
constexpr int kMaxCallbackText = 260;  // the buffer a parent fills for a callback text
constexpr UINT kStateBits = LVIS_FOCUSED | LVIS_SELECTED | LVIS_CUT | LVIS_DROPHILITED | 0xFF00;
constexpr int kMaxOwnerDataRows = 100'000'000;

struct LvItem {
    std::string text;
    int image = 0;
    bool imageCallback = false;  // I_IMAGECALLBACK: the parent tells the image
    std::set<int> textCallbacks;  // LPSTR_TEXTCALLBACKA: sub-items (0: the item) whose text the parent tells
    LPARAM param = 0;
    UINT state = 0;
    // Sub-item texts by number (1 and up): a few each, so kept in one block.
    std::vector<std::pair<int, std::string>> subItems;
    POINT position{0, 0};                 // icon and small icon views
};

struct LvColumn {
    std::string text;
    int width = 0;
    int format = LVCFMT_LEFT;
    int subItem = 0;
};

struct ListViewState : ControlState {
    // A deque: inserting at the top, as many pages do line by line, moves
    // no other item.
    std::deque<LvItem> items;
    // Owner data: the parent keeps the rows, the control their number and
    // state bits. Rows from rowStates.size() on have none yet, so that the
    // count grows without touching memory.
    bool ownerData = false;
    int rowCount = 0;
    std::vector<UINT> rowStates;
    std::vector<LvColumn> columns;
    HIMAGELIST images[3] = {};
    HFONT font = nullptr;
    bool redraw = true;
    int top = 0;      // first row shown in report and list views
    int anchor = -1;  // start of a shift range
    HWND edit = nullptr;
    int editItem = -1;
    int pressItem = -1;  // item under the left button while it is down
    POINT pressPoint{0, 0};
    bool dragStarted = false;
};

ListViewState* StateOf(HWND hwnd) { return ControlOf<ListViewState>(hwnd); }

int ViewOf(HWND hwnd) { return static_cast<int>(StyleOf(hwnd) & LVS_TYPEMASK); }
int Count(const ListViewState& state) {
    return state.ownerData ? state.rowCount : static_cast<int>(state.items.size());
}
bool Valid(const ListViewState& state, int index) { return index >= 0 && index < Count(state); }

// The state bits of a valid row.
UINT StateBitsOf(const ListViewState& state, int index) {
    if (!state.ownerData) return state.items[index].state;
    return index < static_cast<int>(state.rowStates.size()) ? state.rowStates[index] : 0;
}
void SetStateBits(ListViewState& state, int index, UINT bits) {
    if (!state.ownerData) {
        state.items[index].state = bits;
        return;
    }
    if (index >= static_cast<int>(state.rowStates.size())) {
        if (!bits) return;
        state.rowStates.resize(static_cast<size_t>(index) + 1, 0);
    }
    state.rowStates[index] = bits;
}
// The rows that may have state bits: owner-data rows past rowStates have
// none, so a search for a state ends there.
int StatedCount(const ListViewState& state) {
    return state.ownerData ? static_cast<int>(state.rowStates.size()) : Count(state);
}
// The lParam of a valid row: none in owner data.
LPARAM ParamOf(const ListViewState& state, int index) { return state.ownerData ? 0 : state.items[index].param; }

void Repaint(HWND hwnd, const ListViewState& state) {
    if (state.redraw) InvalidateRect(hwnd, nullptr, TRUE);
}

RECT Client(HWND hwnd) {
    RECT client;
    GetClientRect(hwnd, &client);
    return client;
}

int HeaderHeight(HWND hwnd) {
    return ViewOf(hwnd) == LVS_REPORT && !(StyleOf(hwnd) & LVS_NOCOLUMNHEADER) ? kHeaderHeight : 0;
}

int RowHeightOf(const ListViewState& state) { return RowHeight(state.images[LVSIL_SMALL]); }

int TotalColumnWidth(HWND hwnd, const ListViewState& state) {
    int width = 0;
    for (auto& column : state.columns) width += column.width;
    return state.columns.empty() ? Client(hwnd).right : width;
}

int RowsPerPage(HWND hwnd, const ListViewState& state) {
    int height = Client(hwnd).bottom - HeaderHeight(hwnd);
    return std::max(1, height / RowHeightOf(state));
}

// The slot grid of the icon and small icon views.
SIZE SlotSize(HWND hwnd) {
    return ViewOf(hwnd) == LVS_ICON ? SIZE{kIconCellWidth, kIconCellHeight} : SIZE{kSmallCellWidth, kFontHeight};
}
int SlotsPerRow(HWND hwnd) { return std::max(1, static_cast<int>(Client(hwnd).right / SlotSize(hwnd).cx)); }

POINT SlotPosition(HWND hwnd, int slot) {
    SIZE cell = SlotSize(hwnd);
    int perRow = SlotsPerRow(hwnd);
    return POINT{(slot % perRow) * cell.cx, (slot / perRow) * cell.cy};
}

bool HasPositions(HWND hwnd) { return ViewOf(hwnd) == LVS_ICON || ViewOf(hwnd) == LVS_SMALLICON; }

// Owner-data rows keep no positions: row i stands in slot i.
void Arrange(HWND hwnd, ListViewState& state) {
    if (state.ownerData) return;
    for (int i = 0; i < Count(state); ++i) state.items[i].position = SlotPosition(hwnd, i);
}

// The first slot no other item stands on.
POINT FreeSlot(HWND hwnd, const ListViewState& state, int except) {
    for (int slot = 0;; ++slot) {
        POINT at = SlotPosition(hwnd, slot);
        bool taken = false;
        for (int i = 0; i < Count(state) && !taken; ++i)
            taken = i != except && state.items[i].position.x == at.x && state.items[i].position.y == at.y;
        if (!taken) return at;
    }
}

// Rectangle of a part of an item (LVIR_*), in client coordinates.
RECT ItemRect(HWND hwnd, const ListViewState& state, int index, int part) {
    int view = ViewOf(hwnd);
    int row = RowHeightOf(state);
    int smallIcon = state.images[LVSIL_SMALL] ? row : 0;
    RECT bounds{}, icon{}, label{};
    if (view == LVS_REPORT || view == LVS_LIST) {
        int x = 0, y = 0, width = 0;
        if (view == LVS_REPORT) {
            y = HeaderHeight(hwnd) + (index - state.top) * row;
            width = TotalColumnWidth(hwnd, state);
        } else {
            int perColumn = RowsPerPage(hwnd, state);
            x = ((index - state.top) / perColumn) * kListColumnWidth;
            y = ((index - state.top) % perColumn) * row;
            width = kListColumnWidth;
        }
        bounds = RECT{x, y, x + width, y + row};
        icon = RECT{x, y, x + smallIcon, y + row};
        int labelRight = view == LVS_REPORT && !state.columns.empty() ? x + state.columns[0].width : x + width;
        label = RECT{x + smallIcon, y, std::max(labelRight, x + smallIcon), y + row};
    } else {
        POINT at = state.ownerData ? SlotPosition(hwnd, index) : state.items[index].position;
        if (view == LVS_ICON) {
            bounds = RECT{at.x, at.y, at.x + kIconCellWidth, at.y + kIconCellHeight};
            icon = RECT{at.x + 22, at.y + 2, at.x + 54, at.y + 34};
            label = RECT{at.x, at.y + 34, at.x + kIconCellWidth, at.y + kIconCellHeight};
        } else {
            bounds = RECT{at.x, at.y, at.x + kSmallCellWidth, at.y + row};
            icon = RECT{at.x, at.y, at.x + smallIcon, at.y + row};
            label = RECT{at.x + smallIcon, at.y, at.x + kSmallCellWidth, at.y + row};
        }
    }
    switch (part) {
    case LVIR_ICON: return icon;
    case LVIR_LABEL: return label;
    default: return bounds;
    }
}

// The rows painted and hit-tested: `first` up to, not including, `end`.
struct RowRange {
    int first;
    int end;
};
RowRange ShownRows(HWND hwnd, const ListViewState& state) {
    int count = Count(state);
    int view = ViewOf(hwnd);
    RowRange rows{0, count};
    if (view == LVS_REPORT || view == LVS_LIST) rows.first = std::min(state.top, count);
    if (view == LVS_REPORT) rows.end = std::min(count, state.top + RowsPerPage(hwnd, state) + 1);
    // Owner-data rows stand in order, so those past the client area are
    // known without asking the parent for them.
    if (state.ownerData && view == LVS_LIST) {
        int columns = (static_cast<int>(Client(hwnd).right) + kListColumnWidth - 1) / kListColumnWidth;
        rows.end = std::min(count, state.top + RowsPerPage(hwnd, state) * columns);
    } else if (state.ownerData && view != LVS_REPORT) {
        int height = SlotSize(hwnd).cy;
        int slotRows = (static_cast<int>(Client(hwnd).bottom) + height - 1) / height;
        rows.end = std::min(count, SlotsPerRow(hwnd) * slotRows);
    }
    rows.end = std::max(rows.end, rows.first);
    return rows;
}

// The item at a point and which part of it; -1 with LVHT_NOWHERE.
int HitTest(HWND hwnd, const ListViewState& state, POINT pt, UINT* flags) {
    *flags = LVHT_NOWHERE;
    if (pt.y < HeaderHeight(hwnd)) return -1;
    RowRange shown = ShownRows(hwnd, state);
    for (int i = shown.first; i < shown.end; ++i) {
        RECT bounds = ItemRect(hwnd, state, i, LVIR_BOUNDS);
        if (!PtInRect(&bounds, pt)) continue;
        RECT icon = ItemRect(hwnd, state, i, LVIR_ICON);
        *flags = PtInRect(&icon, pt) ? LVHT_ONITEMICON : LVHT_ONITEMLABEL;
        return i;
    }
    return -1;
}

NMLISTVIEW ItemHeader(const ListViewState& state, int index) {
    NMLISTVIEW info{};
    info.iItem = index;
    if (Valid(state, index)) info.lParam = ParamOf(state, index);
    return info;
}

// Changes the state bits in `mask` of one item, telling the parent before
// (it may refuse) and after. Returns false when refused.
bool SetState(HWND hwnd, ListViewState& state, int index, UINT value, UINT mask) {
    if (!Valid(state, index)) return false;
    mask &= kStateBits;
    UINT old = StateBitsOf(state, index);
    UINT updated = (old & ~mask) | (value & mask);
    if (updated == old) return true;
    NMLISTVIEW info = ItemHeader(state, index);
    info.uNewState = updated;
    info.uOldState = old;
    info.uChanged = LVIF_STATE;
    if (SendNotify(hwnd, LVN_ITEMCHANGING, &info.hdr)) return false;
    if (!Valid(state, index)) return false;
    DWORD style = StyleOf(hwnd);
    // One item holds the focus; a single-selection view one selection.
    for (int i = 0; i < Count(state); ++i) {
        if (i == index) continue;
        if ((updated & ~old & LVIS_FOCUSED)) SetState(hwnd, state, i, 0, LVIS_FOCUSED);
        if ((updated & ~old & LVIS_SELECTED) && (style & LVS_SINGLESEL)) SetState(hwnd, state, i, 0, LVIS_SELECTED);
    }
    if (!Valid(state, index)) return false;
    SetStateBits(state, index, updated);
    info = ItemHeader(state, index);
    info.uNewState = updated;
    info.uOldState = old;
    info.uChanged = LVIF_STATE;
    SendNotify(hwnd, LVN_ITEMCHANGED, &info.hdr);
    Repaint(hwnd, state);
    return true;
}

std::string ItemText(HWND hwnd, ListViewState& state, int index, int subItem);
int ItemImage(HWND hwnd, ListViewState& state, int index);
void StoreText(LvItem& item, int subItem, LPCSTR text);
void StoreImage(LvItem& item, int image);

// Where an item of this text goes among the first `count` items.
int SortedPosition(HWND hwnd, ListViewState& state, int count, const std::string& text) {
    bool descending = StyleOf(hwnd) & LVS_SORTDESCENDING;
    int position = 0;
    while (position < count) {
        int order = CompareNoCase(ItemText(hwnd, state, position, 0), text);
        if (descending ? order < 0 : order > 0) break;
        ++position;
    }
    return position;
}

// Stores a new item at `index`, or in its sorted place in a sorted list;
// gives the place.
int StoreItem(HWND hwnd, ListViewState& state, const LVITEMA& item, int index) {
    LvItem added;
    if (item.mask & LVIF_TEXT) StoreText(added, 0, item.pszText);
    if (item.mask & LVIF_IMAGE) StoreImage(added, item.iImage);
    if (item.mask & LVIF_PARAM) added.param = item.lParam;
    DWORD style = StyleOf(hwnd);
    if (style & (LVS_SORTASCENDING | LVS_SORTDESCENDING)) {
        // Placed last first, so that a callback text can be asked for.
        state.items.push_back(std::move(added));
        int last = Count(state) - 1;
        index = SortedPosition(hwnd, state, last, ItemText(hwnd, state, last, 0));
        added = std::move(state.items[last]);
        state.items.pop_back();
    }
    state.items.insert(state.items.begin() + index, std::move(added));
    return index;
}

LRESULT InsertItem(HWND hwnd, ListViewState& state, const LVITEMA* item) {
    if (!item || item->iSubItem != 0) return -1;
    UINT wanted = (item->mask & LVIF_STATE) ? item->state & item->stateMask & kStateBits : 0;
    int index = std::clamp(item->iItem, 0, Count(state));
    // An owner-data row is only its state: the parent has its texts.
    if (state.ownerData) {
        ++state.rowCount;
        if (index < static_cast<int>(state.rowStates.size()))
            state.rowStates.insert(state.rowStates.begin() + index, 0);
    } else {
        index = StoreItem(hwnd, state, *item, index);
    }
    if (state.anchor >= index) ++state.anchor;
    if (HasPositions(hwnd) && !state.ownerData) {
        if (StyleOf(hwnd) & LVS_AUTOARRANGE)
            Arrange(hwnd, state);
        else
            state.items[index].position = FreeSlot(hwnd, state, index);
    }
    NMLISTVIEW info = ItemHeader(state, index);
    SendNotify(hwnd, LVN_INSERTITEM, &info.hdr);
    if (wanted && Valid(state, index)) SetState(hwnd, state, index, wanted, wanted);
    Repaint(hwnd, state);
    return index;
}

// After `removed` rows from `first` on went: the anchor and the pressed row
// move with their rows (or are none when their row went), the edit of a row
// that went ends, and the top row stays within the rows.
void FixAfterRemoval(HWND hwnd, ListViewState& state, int first, int removed = 1) {
    auto fix = [&](int& index) {
        if (index >= first + removed) index -= removed;
        else if (index >= first) index = -1;
    };
    fix(state.anchor);
    if (state.edit && state.editItem >= first && state.editItem < first + removed) EndLabelEdit(state.edit, true);
    else if (state.editItem >= first + removed) state.editItem -= removed;
    fix(state.pressItem);
    state.top = std::clamp(state.top, 0, std::max(Count(state) - 1, 0));
    if (HasPositions(hwnd) && (StyleOf(hwnd) & LVS_AUTOARRANGE)) Arrange(hwnd, state);
}

BOOL DeleteItem(HWND hwnd, ListViewState& state, int index) {
    if (!Valid(state, index)) return FALSE;
    NMLISTVIEW info = ItemHeader(state, index);
    SendNotify(hwnd, LVN_DELETEITEM, &info.hdr);
    // The parent may have changed the list while it was told.
    if (!Valid(state, index) || ParamOf(state, index) != info.lParam) return TRUE;
    if (state.ownerData) {
        --state.rowCount;
        if (index < static_cast<int>(state.rowStates.size())) state.rowStates.erase(state.rowStates.begin() + index);
    } else {
        state.items.erase(state.items.begin() + index);
    }
    FixAfterRemoval(hwnd, state, index);
    Repaint(hwnd, state);
    return TRUE;
}

// Owner data: the parent has `count` rows now. Rows kept keep their state;
// nothing is told per row.
BOOL SetItemCount(HWND hwnd, ListViewState& state, WPARAM wanted) {
    if (wanted > static_cast<WPARAM>(kMaxOwnerDataRows)) return FALSE;  // also a negative count
    if (!state.ownerData) return TRUE;  // a list keeping its items counts them itself
    int count = static_cast<int>(wanted);
    int old = Count(state);
    state.rowCount = count;
    if (state.rowStates.size() > wanted) state.rowStates.resize(wanted);
    if (count < old) FixAfterRemoval(hwnd, state, count, old - count);
    Repaint(hwnd, state);
    return TRUE;
}

// Deletes every item; `askParent` lets the parent decline the per-item
// notifications through LVN_DELETEALLITEMS.
void DeleteAll(HWND hwnd, ListViewState& state, bool askParent) {
    if (state.edit) EndLabelEdit(state.edit, true);
    bool notifyEach = true;
    if (askParent) {
        NMLISTVIEW info = ItemHeader(state, -1);
        notifyEach = !SendNotify(hwnd, LVN_DELETEALLITEMS, &info.hdr);
    }
    auto items = std::move(state.items);
    state.items.clear();
    // Owner-data rows are the parent's to free: none is reported.
    state.rowCount = 0;
    state.rowStates.clear();
    state.anchor = state.pressItem = -1;
    state.top = 0;
    if (notifyEach) {
        for (size_t i = 0; i < items.size(); ++i) {
            NMLISTVIEW info{};
            info.iItem = static_cast<int>(i);
            info.lParam = items[i].param;
            SendNotify(hwnd, LVN_DELETEITEM, &info.hdr);
        }
    }
    Repaint(hwnd, state);
}

// The stored text of an item or sub-item, made empty when missing.
std::string& TextOf(LvItem& item, int subItem) {
    if (subItem == 0) return item.text;
    for (auto& [number, text] : item.subItems)
        if (number == subItem) return text;
    return item.subItems.emplace_back(subItem, std::string()).second;
}

std::string StoredText(const LvItem& item, int subItem) {
    if (subItem == 0) return item.text;
    for (const auto& [number, text] : item.subItems)
        if (number == subItem) return text;
    return std::string();
}

// Asks the parent for what an item keeps by callback, or an owner-data row
// has (LVN_GETDISPINFOA with the LVIF_TEXT or LVIF_IMAGE mask). A parent that
// answers with LVIF_DI_SETITEM in the mask has the answer kept, no more
// callbacks, unless the list is owner data.
NMLVDISPINFOA AskParent(HWND hwnd, ListViewState& state, int index, int subItem, UINT mask, char* buffer, int size) {
    NMLVDISPINFOA info{};
    info.item.mask = mask;
    info.item.iItem = index;
    info.item.iSubItem = subItem;
    info.item.lParam = ParamOf(state, index);
    info.item.state = StateBitsOf(state, index);
    info.item.pszText = buffer;
    info.item.cchTextMax = size;
    if (buffer && size > 0) buffer[0] = 0;
    SendNotify(hwnd, LVN_GETDISPINFOA, &info.hdr);
    return info;
}

// The text of an item or sub-item, from the parent for callback texts and
// owner-data rows.
std::string ItemText(HWND hwnd, ListViewState& state, int index, int subItem) {
    if (!Valid(state, index)) return std::string();
    if (!state.ownerData && !state.items[index].textCallbacks.count(subItem))
        return StoredText(state.items[index], subItem);
    char buffer[kMaxCallbackText] = {};
    NMLVDISPINFOA info = AskParent(hwnd, state, index, subItem, LVIF_TEXT, buffer, sizeof buffer);
    // The parent either fills the buffer or points at a text of its own.
    std::string text = info.item.pszText && info.item.pszText != LPSTR_TEXTCALLBACKA ? info.item.pszText : "";
    if ((info.item.mask & LVIF_DI_SETITEM) && !state.ownerData && Valid(state, index)) {
        LvItem& item = state.items[index];
        item.textCallbacks.erase(subItem);
        TextOf(item, subItem) = text;
    }
    return text;
}

// The image of an item, from the parent for I_IMAGECALLBACK and owner-data
// rows.
int ItemImage(HWND hwnd, ListViewState& state, int index) {
    if (!Valid(state, index)) return 0;
    if (!state.ownerData && !state.items[index].imageCallback) return state.items[index].image;
    NMLVDISPINFOA info = AskParent(hwnd, state, index, 0, LVIF_IMAGE, nullptr, 0);
    if ((info.item.mask & LVIF_DI_SETITEM) && !state.ownerData && Valid(state, index)) {
        state.items[index].imageCallback = false;
        state.items[index].image = info.item.iImage;
    }
    return info.item.iImage;
}

// Keeps a text given to an item, or notes that the parent keeps it.
void StoreText(LvItem& item, int subItem, LPCSTR text) {
    if (text == LPSTR_TEXTCALLBACKA) {
        item.textCallbacks.insert(subItem);
        text = nullptr;
    } else {
        item.textCallbacks.erase(subItem);
    }
    TextOf(item, subItem) = text ? text : "";
}

void StoreImage(LvItem& item, int image) {
    item.imageCallback = image == I_IMAGECALLBACK;
    item.image = item.imageCallback ? 0 : image;
}

void CopyText(const std::string& text, LPSTR out, int size) {
    if (!out || size <= 0) return;
    size_t count = std::min(text.size(), static_cast<size_t>(size - 1));
    text.copy(out, count);
    out[count] = 0;
}

// Owner data: only the state is the control's; a text is taken and the row
// shown anew, as the parent has changed it.
BOOL SetRow(HWND hwnd, ListViewState& state, const LVITEMA* item) {
    if (item->iSubItem > 0 && !(item->mask & LVIF_TEXT)) return FALSE;
    if (item->iSubItem == 0 && (item->mask & LVIF_STATE) &&
        !SetState(hwnd, state, item->iItem, item->state, item->stateMask))
        return FALSE;
    Repaint(hwnd, state);
    return TRUE;
}

BOOL SetItem(HWND hwnd, ListViewState& state, const LVITEMA* item) {
    if (!item || !Valid(state, item->iItem)) return FALSE;
    if (state.ownerData) return SetRow(hwnd, state, item);
    LvItem& target = state.items[item->iItem];
    if (item->iSubItem > 0) {
        if (!(item->mask & LVIF_TEXT)) return FALSE;
        StoreText(target, item->iSubItem, item->pszText);
        Repaint(hwnd, state);
        return TRUE;
    }
    UINT changed = 0;
    if (item->mask & LVIF_TEXT) {
        StoreText(target, 0, item->pszText);
        changed |= LVIF_TEXT;
    }
    if (item->mask & LVIF_IMAGE) {
        StoreImage(target, item->iImage);
        changed |= LVIF_IMAGE;
    }
    if (item->mask & LVIF_PARAM) {
        target.param = item->lParam;
        changed |= LVIF_PARAM;
    }
    if (changed) {
        NMLISTVIEW info = ItemHeader(state, item->iItem);
        info.uChanged = changed;
        SendNotify(hwnd, LVN_ITEMCHANGED, &info.hdr);
    }
    if ((item->mask & LVIF_STATE) && !SetState(hwnd, state, item->iItem, item->state, item->stateMask)) return FALSE;
    Repaint(hwnd, state);
    return TRUE;
}

BOOL GetItem(HWND hwnd, ListViewState& state, LVITEMA* item) {
    if (!item || !Valid(state, item->iItem)) return FALSE;
    if (item->mask & LVIF_TEXT) CopyText(ItemText(hwnd, state, item->iItem, item->iSubItem), item->pszText, item->cchTextMax);
    if (!Valid(state, item->iItem)) return FALSE;
    if (item->iSubItem > 0) return TRUE;
    if (item->mask & LVIF_IMAGE) item->iImage = ItemImage(hwnd, state, item->iItem);
    if (!Valid(state, item->iItem)) return FALSE;
    if (item->mask & LVIF_PARAM) item->lParam = ParamOf(state, item->iItem);
    if (item->mask & LVIF_STATE) item->state = StateBitsOf(state, item->iItem) & item->stateMask;
    return TRUE;
}

int NextItem(HWND hwnd, const ListViewState& state, int start, UINT flags) {
    UINT wanted = flags & (LVNI_FOCUSED | LVNI_SELECTED | LVNI_CUT | LVNI_DROPHILITED);
    // Above and to the left step back through the items, every other direction forward.
    bool backward = flags & (LVNI_ABOVE | LVNI_TOLEFT);
    (void)hwnd;
    int step = backward ? -1 : 1;
    int end = wanted ? StatedCount(state) : Count(state);
    int first = start + step;
    // Searching back from an owner-data row that has no state: the first
    // with one is at end - 1 or before.
    if (backward && first >= end && first < Count(state)) first = end - 1;
    for (int i = first; i >= 0 && i < end; i += step)
        if ((StateBitsOf(state, i) & wanted) == wanted) return i;
    return -1;
}

int FindItem(HWND hwnd, ListViewState& state, int start, const LVFINDINFOA* find) {
    if (!find) return -1;
    if ((find->flags & LVFI_PARAM) && state.ownerData) return -1;  // owner-data rows have no lParam
    int count = Count(state);
    int first = start + 1;
    int steps = (find->flags & LVFI_WRAP) ? count : count - first;
    for (int n = 0; n < steps; ++n) {
        int i = (first + n) % std::max(count, 1);
        if (find->flags & LVFI_PARAM) {
            if (state.items[i].param == find->lParam) return i;
            continue;
        }
        std::string text = find->psz ? find->psz : "";
        bool partial = find->flags & LVFI_PARTIAL;
        std::string label = ItemText(hwnd, state, i, 0);
        std::string head = partial ? label.substr(0, text.size()) : label;
        if (CompareNoCase(head, text) == 0) return i;
    }
    return -1;
}

LRESULT StartEdit(HWND hwnd, ListViewState& state, int index) {
    if (state.edit) EndLabelEdit(state.edit, true);
    if (!Valid(state, index)) return 0;
    NMLVDISPINFOA info{};
    info.item.mask = LVIF_TEXT | LVIF_PARAM | LVIF_STATE;
    info.item.iItem = index;
    info.item.lParam = ParamOf(state, index);
    info.item.state = StateBitsOf(state, index);
    std::string text = ItemText(hwnd, state, index, 0);
    info.item.pszText = text.data();
    if (SendNotify(hwnd, LVN_BEGINLABELEDITA, &info.hdr) || !Valid(state, index)) return 0;
    state.editItem = index;
    HWND edit = StartLabelEdit(hwnd, ItemRect(hwnd, state, index, LVIR_LABEL), text,
                               [hwnd, &state](const char* newText) {
                                   int item = state.editItem;
                                   state.edit = nullptr;
                                   state.editItem = -1;
                                   if (!Valid(state, item)) return;
                                   NMLVDISPINFOA end{};
                                   end.item.mask = LVIF_TEXT | LVIF_PARAM;
                                   end.item.iItem = item;
                                   end.item.lParam = ParamOf(state, item);
                                   std::string edited = newText ? newText : "";
                                   end.item.pszText = newText ? edited.data() : nullptr;
                                   end.item.cchTextMax = static_cast<int>(edited.size()) + 1;
                                   LRESULT accepted = SendNotify(hwnd, LVN_ENDLABELEDITA, &end.hdr);
                                   if (accepted && newText && Valid(state, item)) {
                                       // An owner-data parent keeps the new label itself.
                                       if (!state.ownerData) state.items[item].text = edited;
                                       Repaint(hwnd, state);
                                   }
                               });
    state.edit = edit;
    if (!edit) state.editItem = -1;
    return reinterpret_cast<LRESULT>(edit);
}

// What a click of the user on an item (or on nothing, -1) does to the selection.
void UserSelect(HWND hwnd, ListViewState& state, int index, bool shift, bool control) {
    bool single = StyleOf(hwnd) & LVS_SINGLESEL;
    if (index < 0) {
        if (!control && !shift)
            for (int i = 0; i < Count(state); ++i) SetState(hwnd, state, i, 0, LVIS_SELECTED);
        return;
    }
    if (single || (!shift && !control)) {
        for (int i = 0; i < Count(state); ++i)
            if (i != index) SetState(hwnd, state, i, 0, LVIS_SELECTED);
        SetState(hwnd, state, index, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        state.anchor = index;
    } else if (shift) {
        int from = state.anchor >= 0 ? state.anchor : index;
        int low = std::min(from, index), high = std::max(from, index);
        for (int i = 0; i < Count(state); ++i)
            if (!control || (i >= low && i <= high))
                SetState(hwnd, state, i, (i >= low && i <= high) ? LVIS_SELECTED : 0, LVIS_SELECTED);
        SetState(hwnd, state, index, LVIS_FOCUSED, LVIS_FOCUSED);
    } else {
        UINT selected = StateBitsOf(state, index) & LVIS_SELECTED;
        SetState(hwnd, state, index, (selected ? 0 : LVIS_SELECTED) | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        state.anchor = index;
    }
}

void NotifyClick(HWND hwnd, UINT code, int index, POINT pt) {
    NMLISTVIEW info{};
    info.iItem = index;
    info.ptAction = pt;
    SendNotify(hwnd, code, &info.hdr);
}

int ColumnAt(const ListViewState& state, int x) {
    int left = 0;
    for (int i = 0; i < static_cast<int>(state.columns.size()); ++i) {
        left += state.columns[i].width;
        if (x < left) return i;
    }
    return -1;
}

void EnsureVisible(HWND hwnd, ListViewState& state, int index) {
    int view = ViewOf(hwnd);
    if (view != LVS_REPORT && view != LVS_LIST) return;
    int page = RowsPerPage(hwnd, state);
    if (view == LVS_LIST) page *= std::max(1, static_cast<int>(Client(hwnd).right) / kListColumnWidth);
    if (index < state.top) state.top = index;
    if (index >= state.top + page) state.top = index - page + 1;
}

void OnKey(HWND hwnd, ListViewState& state, int key) {
    NMLVKEYDOWN info{};
    info.wVKey = static_cast<WORD>(key);
    SendNotify(hwnd, LVN_KEYDOWN, &info.hdr);
    int focus = NextItem(hwnd, state, -1, LVNI_FOCUSED);
    int last = Count(state) - 1;
    int target = -1;
    switch (key) {
    case VK_UP:
    case VK_LEFT: target = std::max(focus - 1, 0); break;
    case VK_DOWN:
    case VK_RIGHT: target = std::min(focus + 1, last); break;
    case VK_HOME: target = 0; break;
    case VK_END: target = last; break;
    case VK_PRIOR: target = std::max(focus - RowsPerPage(hwnd, state) + 1, 0); break;
    case VK_NEXT: target = std::min(focus + RowsPerPage(hwnd, state) - 1, last); break;
    case VK_SPACE:
        if (focus >= 0) UserSelect(hwnd, state, focus, false, GetKeyState(VK_CONTROL) & 0x8000);
        return;
    default: return;
    }
    if (!Valid(state, target)) return;
    bool shift = GetKeyState(VK_SHIFT) & 0x8000;
    bool control = GetKeyState(VK_CONTROL) & 0x8000;
    if (control && !shift && !(StyleOf(hwnd) & LVS_SINGLESEL))
        SetState(hwnd, state, target, LVIS_FOCUSED, LVIS_FOCUSED);
    else
        UserSelect(hwnd, state, target, shift, false);
    EnsureVisible(hwnd, state, target);
}

void Paint(HWND hwnd, ListViewState& state) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    if (state.font) SelectObject(dc, state.font);
    SetBkMode(dc, TRANSPARENT);
    int view = ViewOf(hwnd);
    bool showSelection = GetFocus() == hwnd || (StyleOf(hwnd) & LVS_SHOWSELALWAYS);
    if (HeaderHeight(hwnd)) {
        int left = 0;
        for (auto& column : state.columns) {
            RECT cell{left, 0, left + column.width, kHeaderHeight};
            FillRect(dc, &cell, GetSysColorBrush(COLOR_BTNFACE));
            DrawTextA(dc, column.text.c_str(), -1, &cell, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
            left += column.width;
        }
    }
    HIMAGELIST images = state.images[view == LVS_ICON ? LVSIL_NORMAL : LVSIL_SMALL];
    RowRange shown = ShownRows(hwnd, state);
    for (int i = shown.first; i < shown.end; ++i) {
        RECT icon = ItemRect(hwnd, state, i, LVIR_ICON);
        RECT label = ItemRect(hwnd, state, i, LVIR_LABEL);
        if (images) ImageList_Draw(images, ItemImage(hwnd, state, i), dc, icon.left, icon.top, ILD_TRANSPARENT);
        std::string text = ItemText(hwnd, state, i, 0);
        if (!Valid(state, i)) break;
        UINT itemState = StateBitsOf(state, i);
        bool selected = showSelection && (itemState & LVIS_SELECTED);
        if (selected) FillRect(dc, &label, GetSysColorBrush(COLOR_HIGHLIGHT));
        SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
        DrawTextA(dc, text.c_str(), -1, &label, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
        if (view == LVS_REPORT) {
            int left = state.columns.empty() ? 0 : state.columns[0].width;
            for (size_t c = 1; c < state.columns.size(); ++c) {
                RECT cell{left, label.top, left + state.columns[c].width, label.bottom};
                SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
                std::string cellText = ItemText(hwnd, state, i, state.columns[c].subItem);
                DrawTextA(dc, cellText.c_str(), -1, &cell, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
                left += state.columns[c].width;
            }
        }
        if (GetFocus() == hwnd && (itemState & LVIS_FOCUSED)) DrawFocusRect(dc, &label);
    }
    EndPaint(hwnd, &ps);
}

int TextWidth(const std::string& text) { return static_cast<int>(text.size()) * kFontWidth; }

BOOL SetColumnWidth(HWND hwnd, ListViewState& state, int index, int width) {
    if (ViewOf(hwnd) == LVS_LIST) return TRUE;  // list columns have one fixed width
    if (index < 0 || index >= static_cast<int>(state.columns.size())) return FALSE;
    LvColumn& column = state.columns[index];
    if (width == LVSCW_AUTOSIZE || width == LVSCW_AUTOSIZE_USEHEADER) {
        bool useHeader = width == LVSCW_AUTOSIZE_USEHEADER;
        int widest = useHeader ? TextWidth(column.text) : 0;
        for (int i = 0; i < Count(state); ++i)
            widest = std::max(widest, TextWidth(ItemText(hwnd, state, i, column.subItem)));
        width = widest + 12;
        if (column.subItem == 0 && state.images[LVSIL_SMALL]) width += RowHeightOf(state);
        if (useHeader && index + 1 == static_cast<int>(state.columns.size())) {
            int others = TotalColumnWidth(hwnd, state) - column.width;
            width = std::max(width, static_cast<int>(Client(hwnd).right) - others);
        }
    }
    column.width = std::max(width, 0);
    Repaint(hwnd, state);
    return TRUE;
}

// Sorts the items stably by `compare` on their values.
void SortInto(ListViewState& state, PFNLVCOMPARE compare, LPARAM sortParam) {
    // Items already in order stay: a list filled in its order is checked
    // once rather than sorted.
    bool ordered = true;
    for (int i = 1; i < Count(state) && ordered; ++i)
        ordered = compare(state.items[i - 1].param, state.items[i].param, sortParam) <= 0;
    if (ordered) return;
    // The order is found on the values alone; each item then moves once.
    std::vector<std::pair<LPARAM, int>> order;
    order.reserve(state.items.size());
    for (int i = 0; i < Count(state); ++i) order.emplace_back(state.items[i].param, i);
    std::stable_sort(order.begin(), order.end(), [&](const std::pair<LPARAM, int>& a,
                                                     const std::pair<LPARAM, int>& b) {
        return compare(a.first, b.first, sortParam) < 0;
    });
    // Position k takes the item at order[k]: each cycle of the
    // permutation is walked once.
    std::vector<bool> placed(order.size(), false);
    for (size_t first = 0; first < order.size(); ++first) {
        if (placed[first]) continue;
        LvItem held = std::move(state.items[first]);
        size_t at = first;
        for (;;) {
            placed[at] = true;
            size_t from = static_cast<size_t>(order[at].second);
            if (from == first) {
                state.items[at] = std::move(held);
                break;
            }
            state.items[at] = std::move(state.items[from]);
            at = from;
        }
    }
}

LRESULT CALLBACK ListViewProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    ListViewState* state = StateOf(hwnd);
    if (!state) return 0;
    int index = static_cast<int>(static_cast<INT_PTR>(wParam));
    switch (msg) {
    case WM_CREATE:
        state->ownerData = (StyleOf(hwnd) & LVS_OWNERDATA) != 0;
        return 0;
    case WM_DESTROY:
        DeleteAll(hwnd, *state, false);
        if (!(StyleOf(hwnd) & LVS_SHAREIMAGELISTS))
            for (HIMAGELIST& images : state->images) {
                if (images) ImageList_Destroy(images);
                images = nullptr;
            }
        return 0;
    case WM_GETDLGCODE: return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_SETFONT:
        state->font = reinterpret_cast<HFONT>(wParam);
        return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(state->font);
    case WM_SETREDRAW:
        state->redraw = wParam != 0;
        Repaint(hwnd, *state);
        return 0;
    case WM_STYLECHANGED:
        if (HasPositions(hwnd)) Arrange(hwnd, *state);
        Repaint(hwnd, *state);
        return 0;
    case WM_PAINT: Paint(hwnd, *state); return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        Repaint(hwnd, *state);
        SendNotify(hwnd, msg == WM_SETFOCUS ? NM_SETFOCUS : NM_KILLFOCUS);
        return 0;

    case LVM_GETITEMCOUNT: return Count(*state);
    case LVM_SETITEMCOUNT: return SetItemCount(hwnd, *state, wParam);
    case LVM_INSERTITEMA: return InsertItem(hwnd, *state, reinterpret_cast<const LVITEMA*>(lParam));
    case LVM_DELETEITEM: return DeleteItem(hwnd, *state, index);
    case LVM_DELETEALLITEMS: DeleteAll(hwnd, *state, true); return TRUE;
    case LVM_GETITEMA: return GetItem(hwnd, *state, reinterpret_cast<LVITEMA*>(lParam));
    case LVM_SETITEMA: return SetItem(hwnd, *state, reinterpret_cast<const LVITEMA*>(lParam));
    case LVM_SETITEMSTATE: {
        auto* item = reinterpret_cast<const LVITEMA*>(lParam);
        if (!item) return FALSE;
        if (index != -1) return SetState(hwnd, *state, index, item->state, item->stateMask);
        for (int i = 0; i < Count(*state); ++i) SetState(hwnd, *state, i, item->state, item->stateMask);
        return TRUE;
    }
    case LVM_GETITEMSTATE: return Valid(*state, index) ? StateBitsOf(*state, index) & static_cast<UINT>(lParam) : 0;
    case LVM_SETITEMTEXTA: {
        auto* item = reinterpret_cast<const LVITEMA*>(lParam);
        if (!item) return FALSE;
        LVITEMA text{};
        text.mask = LVIF_TEXT;
        text.iItem = index;
        text.iSubItem = item->iSubItem;
        text.pszText = item->pszText;
        return SetItem(hwnd, *state, &text);
    }
    case LVM_GETITEMTEXTA: {
        auto* item = reinterpret_cast<LVITEMA*>(lParam);
        if (!item || !Valid(*state, index)) return 0;
        std::string text = ItemText(hwnd, *state, index, item->iSubItem);
        CopyText(text, item->pszText, item->cchTextMax);
        return item->pszText && item->cchTextMax > 0 ? std::min<int>(static_cast<int>(text.size()), item->cchTextMax - 1) : 0;
    }
    case LVM_GETNEXTITEM: return NextItem(hwnd, *state, index, static_cast<UINT>(LOWORD(lParam)));
    case LVM_GETSELECTEDCOUNT: {
        int selected = 0;
        for (int i = 0; i < StatedCount(*state); ++i)
            if (StateBitsOf(*state, i) & LVIS_SELECTED) ++selected;
        return selected;
    }
    case LVM_FINDITEMA: return FindItem(hwnd, *state, index, reinterpret_cast<const LVFINDINFOA*>(lParam));
    case LVM_SORTITEMS: {
        auto compare = reinterpret_cast<PFNLVCOMPARE>(lParam);
        if (!compare || state->ownerData) return FALSE;  // owner-data rows are in the parent's order
        SortInto(*state, compare, static_cast<LPARAM>(wParam));
        state->anchor = -1;
        if (HasPositions(hwnd) && (StyleOf(hwnd) & LVS_AUTOARRANGE)) Arrange(hwnd, *state);
        Repaint(hwnd, *state);
        return TRUE;
    }

    case LVM_INSERTCOLUMNA: {
        auto* column = reinterpret_cast<const LVCOLUMNA*>(lParam);
        if (!column || index < 0) return -1;
        index = std::min(index, static_cast<int>(state->columns.size()));
        LvColumn added;
        added.subItem = (column->mask & LVCF_SUBITEM) ? column->iSubItem : index;
        if ((column->mask & LVCF_TEXT) && column->pszText) added.text = column->pszText;
        if (column->mask & LVCF_WIDTH) added.width = column->cx;
        if (column->mask & LVCF_FMT) added.format = column->fmt;
        state->columns.insert(state->columns.begin() + index, added);
        Repaint(hwnd, *state);
        return index;
    }
    case LVM_DELETECOLUMN:
        if (index < 0 || index >= static_cast<int>(state->columns.size())) return FALSE;
        state->columns.erase(state->columns.begin() + index);
        Repaint(hwnd, *state);
        return TRUE;
    case LVM_GETCOLUMNA:
    case LVM_SETCOLUMNA: {
        auto* column = reinterpret_cast<LVCOLUMNA*>(lParam);
        if (!column || index < 0 || index >= static_cast<int>(state->columns.size())) return FALSE;
        LvColumn& own = state->columns[index];
        if (msg == LVM_GETCOLUMNA) {
            if (column->mask & LVCF_TEXT) CopyText(own.text, column->pszText, column->cchTextMax);
            if (column->mask & LVCF_WIDTH) column->cx = own.width;
            if (column->mask & LVCF_FMT) column->fmt = own.format;
            if (column->mask & LVCF_SUBITEM) column->iSubItem = own.subItem;
        } else {
            if (column->mask & LVCF_TEXT) own.text = column->pszText ? column->pszText : "";
            if (column->mask & LVCF_WIDTH) own.width = column->cx;
            if (column->mask & LVCF_FMT) own.format = column->fmt;
            if (column->mask & LVCF_SUBITEM) own.subItem = column->iSubItem;
            Repaint(hwnd, *state);
        }
        return TRUE;
    }
    case LVM_GETCOLUMNWIDTH:
        if (ViewOf(hwnd) == LVS_LIST) return kListColumnWidth;
        if (index < 0 || index >= static_cast<int>(state->columns.size())) return 0;
        return state->columns[index].width;
    case LVM_SETCOLUMNWIDTH: return SetColumnWidth(hwnd, *state, index, static_cast<short>(LOWORD(lParam)));

    case LVM_SETIMAGELIST: {
        if (index < 0 || index > 2) return 0;
        HIMAGELIST old = state->images[index];
        state->images[index] = reinterpret_cast<HIMAGELIST>(lParam);
        Repaint(hwnd, *state);
        return reinterpret_cast<LRESULT>(old);
    }
    case LVM_GETIMAGELIST: return index >= 0 && index <= 2 ? reinterpret_cast<LRESULT>(state->images[index]) : 0;

    case LVM_GETITEMRECT: {
        auto* rect = reinterpret_cast<RECT*>(lParam);
        if (!rect || !Valid(*state, index)) return FALSE;
        *rect = ItemRect(hwnd, *state, index, rect->left);
        return TRUE;
    }
    case LVM_GETITEMPOSITION: {
        auto* point = reinterpret_cast<POINT*>(lParam);
        if (!point || !Valid(*state, index)) return FALSE;
        RECT bounds = ItemRect(hwnd, *state, index, LVIR_BOUNDS);
        *point = POINT{bounds.left, bounds.top};
        return TRUE;
    }
    case LVM_SETITEMPOSITION:
        if (!Valid(*state, index) || !HasPositions(hwnd) || state->ownerData) return FALSE;
        state->items[index].position = POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        Repaint(hwnd, *state);
        return TRUE;
    case LVM_HITTEST: {
        auto* info = reinterpret_cast<LVHITTESTINFO*>(lParam);
        if (!info) return -1;
        info->iItem = HitTest(hwnd, *state, info->pt, &info->flags);
        info->iSubItem = 0;
        return info->iItem;
    }
    case LVM_ENSUREVISIBLE:
        if (!Valid(*state, index)) return FALSE;
        EnsureVisible(hwnd, *state, index);
        Repaint(hwnd, *state);
        return TRUE;
    case LVM_ARRANGE:
        if (!HasPositions(hwnd)) return FALSE;
        Arrange(hwnd, *state);
        Repaint(hwnd, *state);
        return TRUE;
    case LVM_GETTOPINDEX: return ViewOf(hwnd) == LVS_REPORT || ViewOf(hwnd) == LVS_LIST ? state->top : 0;
    case LVM_GETCOUNTPERPAGE: return RowsPerPage(hwnd, *state);
    case LVM_GETSTRINGWIDTHA: return lParam ? TextWidth(reinterpret_cast<const char*>(lParam)) : 0;
    case LVM_REDRAWITEMS:
    case LVM_UPDATE: Repaint(hwnd, *state); return TRUE;
    case LVM_EDITLABELA:
        if (index == -1) {
            if (state->edit) EndLabelEdit(state->edit, true);
            return 0;
        }
        if (GetFocus() != hwnd) SetFocus(hwnd);
        return StartEdit(hwnd, *state, index);
    case LVM_GETEDITCONTROL: return reinterpret_cast<LRESULT>(state->edit);

    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN: {
        POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        bool hadFocus = GetFocus() == hwnd;
        if (state->edit) EndLabelEdit(state->edit, false);
        if (!hadFocus) SetFocus(hwnd);
        if (pt.y < HeaderHeight(hwnd)) {
            int column = ColumnAt(*state, pt.x);
            if (msg == WM_LBUTTONDOWN && column >= 0 && !(StyleOf(hwnd) & LVS_NOSORTHEADER)) {
                NMLISTVIEW info{};
                info.iItem = -1;
                info.iSubItem = column;
                SendNotify(hwnd, LVN_COLUMNCLICK, &info.hdr);
            }
            return 0;
        }
        UINT flags = 0;
        int item = HitTest(hwnd, *state, pt, &flags);
        if (msg == WM_RBUTTONDOWN) {
            if (item < 0 || !(StateBitsOf(*state, item) & LVIS_SELECTED)) UserSelect(hwnd, *state, item, false, false);
            NotifyClick(hwnd, NM_RCLICK, item, pt);
            return 0;
        }
        // A click on the label of the one focused, selected item of a focused
        // control renames it.
        bool rename = hadFocus && item >= 0 && (flags & LVHT_ONITEMLABEL) && !(wParam & (MK_SHIFT | MK_CONTROL)) &&
                      (StyleOf(hwnd) & LVS_EDITLABELS) &&
                      (StateBitsOf(*state, item) & (LVIS_SELECTED | LVIS_FOCUSED)) == (LVIS_SELECTED | LVIS_FOCUSED) &&
                      NextItem(hwnd, *state, -1, LVNI_SELECTED) == item &&
                      NextItem(hwnd, *state, item, LVNI_SELECTED) == -1;
        UserSelect(hwnd, *state, item, wParam & MK_SHIFT, wParam & MK_CONTROL);
        state->pressItem = item;
        state->pressPoint = pt;
        state->dragStarted = false;
        NotifyClick(hwnd, NM_CLICK, item, pt);
        if (rename) StartEdit(hwnd, *state, item);
        return 0;
    }
    case WM_MOUSEMOVE: {
        if (!(wParam & MK_LBUTTON) || state->pressItem < 0 || state->dragStarted) return 0;
        POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        if (std::abs(pt.x - state->pressPoint.x) < kDragDistance && std::abs(pt.y - state->pressPoint.y) < kDragDistance)
            return 0;
        state->dragStarted = true;
        NMLISTVIEW info = ItemHeader(*state, state->pressItem);
        info.ptAction = state->pressPoint;
        SendNotify(hwnd, LVN_BEGINDRAG, &info.hdr);
        return 0;
    }
    case WM_LBUTTONUP: state->pressItem = -1; return 0;
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK: {
        POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        UINT flags = 0;
        NotifyClick(hwnd, msg == WM_LBUTTONDBLCLK ? NM_DBLCLK : NM_RDBLCLK, HitTest(hwnd, *state, pt, &flags), pt);
        return 0;
    }
    case WM_KEYDOWN: OnKey(hwnd, *state, static_cast<int>(wParam)); return 0;
    case WM_CHAR: {
        if (wParam <= ' ') return 0;
        int focus = NextItem(hwnd, *state, -1, LVNI_FOCUSED);
        LVFINDINFOA find{LVFI_STRING | LVFI_PARTIAL | LVFI_WRAP, nullptr, 0, {0, 0}, 0};
        std::string prefix(1, static_cast<char>(wParam));
        find.psz = prefix.c_str();
        int found = FindItem(hwnd, *state, focus, &find);
        if (found >= 0) {
            UserSelect(hwnd, *state, found, false, false);
            EnsureVisible(hwnd, *state, found);
        }
        return 0;
    }
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

}  // namespace

void RegisterListViewClass() {
    RegisterSystemClass(WC_LISTVIEWA, ListViewProc, CS_DBLCLKS | CS_GLOBALCLASS, 0);
}

}  // namespace vpr::user
