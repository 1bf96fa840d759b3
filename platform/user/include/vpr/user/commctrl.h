// The common controls: image lists, list views and tree views.
//
// Notification rules (what ours does where Windows leaves room):
// - Notifications go to the parent as WM_NOTIFY; every change of an item's
//   state sends LVN_ITEMCHANGING/LVN_ITEMCHANGED (TVN_SELCHANGING/
//   TVN_SELCHANGED for a tree's selection), whether a program or the user made
//   it, as Windows does; a TRUE answer to the "-ING" notification vetoes it.
// - NM_CLICK, NM_DBLCLK, NM_RCLICK, LVN_COLUMNCLICK, LVN_KEYDOWN/TVN_KEYDOWN,
//   LVN_BEGINDRAG, TVN_ITEMEXPANDING/TVN_ITEMEXPANDED come from user input
//   only; TVM_EXPAND sends no expand notifications.
// - A list view sends LVN_DELETEITEM for every item it deletes: by
//   LVM_DELETEITEM, by LVM_DELETEALLITEMS (unless the parent answers the
//   LVN_DELETEALLITEMS before it with TRUE) and when it is destroyed (always,
//   so that the parent can free what it keeps in lParam). An owner-data list
//   (below) sends it for LVM_DELETEITEM only.
// - A tree view sends TVN_DELETEITEM for every item it deletes, children
//   before their parent, also when it is destroyed. When the selected item
//   goes, the selection moves first (TVN_SELCHANGING/TVN_SELCHANGED with
//   TVC_UNKNOWN) to its next sibling, else its previous sibling, else its
//   parent, else nothing.
// - Sorted list views (LVS_SORTASCENDING/LVS_SORTDESCENDING) compare the item
//   text without regard to case; equal texts keep their insertion order.
//   LVM_SORTITEMS and TVM_SORTCHILDREN are stable as well.
// - An item or sub-item given LPSTR_TEXTCALLBACKA as text, or an item given
//   I_IMAGECALLBACK as image, is asked of the parent with LVN_GETDISPINFOA
//   (mask LVIF_TEXT or LVIF_IMAGE) each time the text or image is needed:
//   LVM_GETITEM/LVM_GETITEMTEXT, painting, sorted insertion, LVM_FINDITEM,
//   type-ahead, column auto-size and label editing. The parent fills
//   pszText (cchTextMax 260) or points it at a text of its own; with
//   LVIF_DI_SETITEM in the answer's mask the answer is kept.
// - Label editing: the parent refuses a LVN_/TVN_BEGINLABELEDIT with TRUE.
//   The edit child ends with Enter or losing the focus (text offered) or
//   Escape (null text); a TRUE answer to LVN_/TVN_ENDLABELEDIT with a text
//   makes it the item's label.
// - Owner data (LVS_OWNERDATA, fixed when the list view is created): the
//   parent keeps the rows; the control keeps only their number and each
//   row's state bits.
//   - LVM_SETITEMCOUNT sets the number (wParam, 0 to 100,000,000; else
//     FALSE). Rows kept keep their state, new rows have none; the anchor,
//     the edited and pressed rows and the top row are fixed as when the rows
//     cut off are deleted; nothing is told per row; the list repaints. The
//     LVSICF_* flags in lParam change nothing. Without LVS_OWNERDATA the
//     message changes nothing and answers TRUE.
//   - Every text and image is asked with LVN_GETDISPINFOA each time it is
//     needed; LVIF_DI_SETITEM is ignored. lParam is 0 in notifications and
//     in LVM_GETITEM; LVFI_PARAM finds nothing. Painting asks only for the
//     rows in view.
//   - LVM_INSERTITEMA adds one row at iItem (clamped, never sorted) with its
//     LVIF_STATE only, moving the states of later rows down, and sends
//     LVN_INSERTITEM. LVM_DELETEITEM sends LVN_DELETEITEM (iItem the row),
//     then removes the row's state, moving later ones up.
//   - LVM_DELETEALLITEMS (after LVN_DELETEALLITEMS) and destruction send no
//     LVN_DELETEITEM: the parent frees its rows itself.
//   - LVM_SETITEM and LVM_SETITEMTEXT change only the state; a text is
//     accepted (TRUE) and the list repaints. LVM_SORTITEMS and
//     LVM_SETITEMPOSITION answer FALSE; icon views show row i in slot i.
//   - Selection, input, hit-testing, label editing (the parent keeps an
//     accepted label itself) and state notifications are as in a list that
//     keeps its items.
// Geometry (pixels, client coordinates): rows are 16 high (or the small
// image height when larger); a report view's column header is 20 high at the
// top (none with LVS_NOCOLUMNHEADER); icon view cells are 76 by 64, small
// icon cells 120 by 16, list columns 120 wide; tree levels indent 19 pixels.
#pragma once

#include <string>

#include "vpr/user/gdi.h"
#include "vpr/user/window.h"

// Common notification header.
struct NMHDR {
    HWND hwndFrom;
    UINT_PTR idFrom;
    UINT code;
};
typedef NMHDR* LPNMHDR;

#define NM_FIRST 0U
#define NM_CLICK (NM_FIRST - 2)
#define NM_DBLCLK (NM_FIRST - 3)
#define NM_RETURN (NM_FIRST - 4)
#define NM_RCLICK (NM_FIRST - 5)
#define NM_RDBLCLK (NM_FIRST - 6)
#define NM_SETFOCUS (NM_FIRST - 7)
#define NM_KILLFOCUS (NM_FIRST - 8)

#define WC_LISTVIEWA "SysListView32"
#define WC_LISTVIEW WC_LISTVIEWA
#define WC_TREEVIEWA "SysTreeView32"
#define WC_TREEVIEW WC_TREEVIEWA
#define WC_TABCONTROLA "SysTabControl32"
#define WC_TABCONTROL WC_TABCONTROLA
#define STATUSCLASSNAMEA "msctls_statusbar32"
#define STATUSCLASSNAME STATUSCLASSNAMEA
#define TOOLBARCLASSNAMEA "ToolbarWindow32"
#define TOOLBARCLASSNAME TOOLBARCLASSNAMEA
#define TOOLTIPS_CLASSA "tooltips_class32"
#define TOOLTIPS_CLASS TOOLTIPS_CLASSA

struct INITCOMMONCONTROLSEX {
    DWORD dwSize;
    DWORD dwICC;
};
#define ICC_LISTVIEW_CLASSES 0x00000001
#define ICC_TREEVIEW_CLASSES 0x00000002
#define ICC_WIN95_CLASSES 0x000000FF

// Image lists.
typedef struct IMAGELIST_* HIMAGELIST;
#define ILC_MASK 0x0001
#define ILC_COLOR 0x0000
#define ILC_COLOR4 0x0004
#define ILC_COLOR8 0x0008
#define ILC_COLOR16 0x0010
#define ILC_COLOR24 0x0018
#define ILC_COLOR32 0x0020
#define ILD_NORMAL 0x0000
#define ILD_TRANSPARENT 0x0001
#define ILD_MASK 0x0010

// List views.
#define LVS_ICON 0x0000
#define LVS_REPORT 0x0001
#define LVS_SMALLICON 0x0002
#define LVS_LIST 0x0003
#define LVS_TYPEMASK 0x0003
#define LVS_SINGLESEL 0x0004
#define LVS_SHOWSELALWAYS 0x0008
#define LVS_SORTASCENDING 0x0010
#define LVS_SORTDESCENDING 0x0020
#define LVS_SHAREIMAGELISTS 0x0040
#define LVS_NOLABELWRAP 0x0080
#define LVS_AUTOARRANGE 0x0100
#define LVS_EDITLABELS 0x0200
#define LVS_ALIGNLEFT 0x0800
#define LVS_OWNERDATA 0x1000
#define LVS_NOSCROLL 0x2000
#define LVS_NOCOLUMNHEADER 0x4000
#define LVS_NOSORTHEADER 0x8000

#define LVM_FIRST 0x1000
#define LVM_GETIMAGELIST (LVM_FIRST + 2)
#define LVM_SETIMAGELIST (LVM_FIRST + 3)
#define LVM_GETITEMCOUNT (LVM_FIRST + 4)
#define LVM_GETITEMA (LVM_FIRST + 5)
#define LVM_SETITEMA (LVM_FIRST + 6)
#define LVM_INSERTITEMA (LVM_FIRST + 7)
#define LVM_DELETEITEM (LVM_FIRST + 8)
#define LVM_DELETEALLITEMS (LVM_FIRST + 9)
#define LVM_GETNEXTITEM (LVM_FIRST + 12)
#define LVM_FINDITEMA (LVM_FIRST + 13)
#define LVM_GETITEMRECT (LVM_FIRST + 14)
#define LVM_SETITEMPOSITION (LVM_FIRST + 15)
#define LVM_GETITEMPOSITION (LVM_FIRST + 16)
#define LVM_GETSTRINGWIDTHA (LVM_FIRST + 17)
#define LVM_HITTEST (LVM_FIRST + 18)
#define LVM_ENSUREVISIBLE (LVM_FIRST + 19)
#define LVM_REDRAWITEMS (LVM_FIRST + 21)
#define LVM_ARRANGE (LVM_FIRST + 22)
#define LVM_EDITLABELA (LVM_FIRST + 23)
#define LVM_GETEDITCONTROL (LVM_FIRST + 24)
#define LVM_GETCOLUMNA (LVM_FIRST + 25)
#define LVM_SETCOLUMNA (LVM_FIRST + 26)
#define LVM_INSERTCOLUMNA (LVM_FIRST + 27)
#define LVM_DELETECOLUMN (LVM_FIRST + 28)
#define LVM_GETCOLUMNWIDTH (LVM_FIRST + 29)
#define LVM_SETCOLUMNWIDTH (LVM_FIRST + 30)
#define LVM_GETTOPINDEX (LVM_FIRST + 39)
#define LVM_GETCOUNTPERPAGE (LVM_FIRST + 40)
#define LVM_UPDATE (LVM_FIRST + 42)
#define LVM_SETITEMSTATE (LVM_FIRST + 43)
#define LVM_GETITEMSTATE (LVM_FIRST + 44)
#define LVM_GETITEMTEXTA (LVM_FIRST + 45)
#define LVM_SETITEMTEXTA (LVM_FIRST + 46)
#define LVM_SETITEMCOUNT (LVM_FIRST + 47)
#define LVM_SORTITEMS (LVM_FIRST + 48)
#define LVM_GETSELECTEDCOUNT (LVM_FIRST + 50)

#define LVIF_TEXT 0x0001
#define LVIF_IMAGE 0x0002
#define LVIF_PARAM 0x0004
#define LVIF_STATE 0x0008
#define LVIF_DI_SETITEM 0x1000
#define LVSICF_NOINVALIDATEALL 0x0001
#define LVSICF_NOSCROLL 0x0002
#define LVIS_FOCUSED 0x0001
#define LVIS_SELECTED 0x0002
#define LVIS_CUT 0x0004
#define LVIS_DROPHILITED 0x0008
#define LVNI_ALL 0x0000
#define LVNI_FOCUSED 0x0001
#define LVNI_SELECTED 0x0002
#define LVNI_CUT 0x0004
#define LVNI_DROPHILITED 0x0008
#define LVNI_ABOVE 0x0100
#define LVNI_BELOW 0x0200
#define LVNI_TOLEFT 0x0400
#define LVNI_TORIGHT 0x0800
#define LVSIL_NORMAL 0
#define LVSIL_SMALL 1
#define LVSIL_STATE 2
#define LVCF_FMT 0x0001
#define LVCF_WIDTH 0x0002
#define LVCF_TEXT 0x0004
#define LVCF_SUBITEM 0x0008
#define LVCFMT_LEFT 0x0000
#define LVCFMT_RIGHT 0x0001
#define LVCFMT_CENTER 0x0002
#define LVHT_NOWHERE 0x0001
#define LVHT_ONITEMICON 0x0002
#define LVHT_ONITEMLABEL 0x0004
#define LVHT_ONITEMSTATEICON 0x0008
#define LVHT_ONITEM (LVHT_ONITEMICON | LVHT_ONITEMLABEL | LVHT_ONITEMSTATEICON)
#define LVIR_BOUNDS 0
#define LVIR_ICON 1
#define LVIR_LABEL 2
#define LVIR_SELECTBOUNDS 3
#define LVA_DEFAULT 0x0000
#define LVA_ALIGNLEFT 0x0001
#define LVA_ALIGNTOP 0x0002
#define LVA_SNAPTOGRID 0x0005
#define LVFI_PARAM 0x0001
#define LVFI_STRING 0x0002
#define LVFI_PARTIAL 0x0008
#define LVFI_WRAP 0x0020
#define LVSCW_AUTOSIZE (-1)
#define LVSCW_AUTOSIZE_USEHEADER (-2)
#define LPSTR_TEXTCALLBACKA ((LPSTR)-1L)
#define I_IMAGECALLBACK (-1)

#define LVN_FIRST (0U - 100U)
#define LVN_ITEMCHANGING (LVN_FIRST - 0)
#define LVN_ITEMCHANGED (LVN_FIRST - 1)
#define LVN_INSERTITEM (LVN_FIRST - 2)
#define LVN_DELETEITEM (LVN_FIRST - 3)
#define LVN_DELETEALLITEMS (LVN_FIRST - 4)
#define LVN_BEGINLABELEDITA (LVN_FIRST - 5)
#define LVN_ENDLABELEDITA (LVN_FIRST - 6)
#define LVN_COLUMNCLICK (LVN_FIRST - 8)
#define LVN_BEGINDRAG (LVN_FIRST - 9)
#define LVN_BEGINRDRAG (LVN_FIRST - 11)
#define LVN_KEYDOWN (LVN_FIRST - 55)
#define LVN_GETDISPINFOA (LVN_FIRST - 50)
#define LVN_SETDISPINFOA (LVN_FIRST - 51)
#define LVN_GETDISPINFO LVN_GETDISPINFOA
#define LVN_BEGINLABELEDIT LVN_BEGINLABELEDITA
#define LVN_ENDLABELEDIT LVN_ENDLABELEDITA

struct LVITEMA {
    UINT mask;
    int iItem;
    int iSubItem;
    UINT state;
    UINT stateMask;
    LPSTR pszText;
    int cchTextMax;
    int iImage;
    LPARAM lParam;
    int iIndent;
};
typedef LVITEMA LV_ITEMA;
typedef LVITEMA* LPLVITEMA;

struct LVCOLUMNA {
    UINT mask;
    int fmt;
    int cx;
    LPSTR pszText;
    int cchTextMax;
    int iSubItem;
};
typedef LVCOLUMNA LV_COLUMNA;
typedef LVCOLUMNA* LPLVCOLUMNA;

struct LVHITTESTINFO {
    POINT pt;
    UINT flags;
    int iItem;
    int iSubItem;
};
typedef LVHITTESTINFO* LPLVHITTESTINFO;

struct LVFINDINFOA {
    UINT flags;
    LPCSTR psz;
    LPARAM lParam;
    POINT pt;
    UINT vkDirection;
};

struct NMLISTVIEW {
    NMHDR hdr;
    int iItem;
    int iSubItem;
    UINT uNewState;
    UINT uOldState;
    UINT uChanged;
    POINT ptAction;
    LPARAM lParam;
};
typedef NMLISTVIEW NM_LISTVIEW;
typedef NMLISTVIEW* LPNMLISTVIEW;

struct NMLVDISPINFOA {
    NMHDR hdr;
    LVITEMA item;
};
typedef NMLVDISPINFOA LV_DISPINFOA;

struct NMLVKEYDOWN {
    NMHDR hdr;
    WORD wVKey;
    UINT flags;
};
typedef NMLVKEYDOWN LV_KEYDOWN;

typedef int(CALLBACK* PFNLVCOMPARE)(LPARAM, LPARAM, LPARAM);

// Tree views.
typedef struct TREEITEM_* HTREEITEM;

#define TVS_HASBUTTONS 0x0001
#define TVS_HASLINES 0x0002
#define TVS_LINESATROOT 0x0004
#define TVS_EDITLABELS 0x0008
#define TVS_DISABLEDRAGDROP 0x0010
#define TVS_SHOWSELALWAYS 0x0020

#define TVM_FIRST 0x1100
#define TVM_INSERTITEMA (TVM_FIRST + 0)
#define TVM_DELETEITEM (TVM_FIRST + 1)
#define TVM_EXPAND (TVM_FIRST + 2)
#define TVM_GETITEMRECT (TVM_FIRST + 4)
#define TVM_GETCOUNT (TVM_FIRST + 5)
#define TVM_GETINDENT (TVM_FIRST + 6)
#define TVM_GETIMAGELIST (TVM_FIRST + 8)
#define TVM_SETIMAGELIST (TVM_FIRST + 9)
#define TVM_GETNEXTITEM (TVM_FIRST + 10)
#define TVM_SELECTITEM (TVM_FIRST + 11)
#define TVM_GETITEMA (TVM_FIRST + 12)
#define TVM_SETITEMA (TVM_FIRST + 13)
#define TVM_EDITLABELA (TVM_FIRST + 14)
#define TVM_GETEDITCONTROL (TVM_FIRST + 15)
#define TVM_GETVISIBLECOUNT (TVM_FIRST + 16)
#define TVM_HITTEST (TVM_FIRST + 17)
#define TVM_SORTCHILDREN (TVM_FIRST + 19)
#define TVM_ENSUREVISIBLE (TVM_FIRST + 20)
#define TVM_ENDEDITLABELNOW (TVM_FIRST + 22)
#define TVM_INSERTITEM TVM_INSERTITEMA
#define TVM_GETITEM TVM_GETITEMA
#define TVM_SETITEM TVM_SETITEMA
#define TVM_EDITLABEL TVM_EDITLABELA

#define TVIF_TEXT 0x0001
#define TVIF_IMAGE 0x0002
#define TVIF_PARAM 0x0004
#define TVIF_STATE 0x0008
#define TVIF_HANDLE 0x0010
#define TVIF_SELECTEDIMAGE 0x0020
#define TVIF_CHILDREN 0x0040
#define TVIS_SELECTED 0x0002
#define TVIS_CUT 0x0004
#define TVIS_DROPHILITED 0x0008
#define TVIS_BOLD 0x0010
#define TVIS_EXPANDED 0x0020
#define TVIS_EXPANDEDONCE 0x0040

#define TVI_ROOT ((HTREEITEM)(ULONG_PTR)-0x10000)
#define TVI_FIRST ((HTREEITEM)(ULONG_PTR)-0x0FFFF)
#define TVI_LAST ((HTREEITEM)(ULONG_PTR)-0x0FFFE)
#define TVI_SORT ((HTREEITEM)(ULONG_PTR)-0x0FFFD)

#define TVGN_ROOT 0x0000
#define TVGN_NEXT 0x0001
#define TVGN_PREVIOUS 0x0002
#define TVGN_PARENT 0x0003
#define TVGN_CHILD 0x0004
#define TVGN_FIRSTVISIBLE 0x0005
#define TVGN_NEXTVISIBLE 0x0006
#define TVGN_PREVIOUSVISIBLE 0x0007
#define TVGN_DROPHILITE 0x0008
#define TVGN_CARET 0x0009
#define TVGN_LASTVISIBLE 0x000A

#define TVE_COLLAPSE 0x0001
#define TVE_EXPAND 0x0002
#define TVE_TOGGLE 0x0003
#define TVC_UNKNOWN 0x0000
#define TVC_BYMOUSE 0x0001
#define TVC_BYKEYBOARD 0x0002
#define TVSIL_NORMAL 0
#define TVSIL_STATE 2

#define TVHT_NOWHERE 0x0001
#define TVHT_ONITEMICON 0x0002
#define TVHT_ONITEMLABEL 0x0004
#define TVHT_ONITEMINDENT 0x0008
#define TVHT_ONITEMBUTTON 0x0010
#define TVHT_ONITEMRIGHT 0x0020
#define TVHT_ONITEMSTATEICON 0x0040
#define TVHT_ONITEM (TVHT_ONITEMICON | TVHT_ONITEMLABEL | TVHT_ONITEMSTATEICON)

#define TVN_FIRST (0U - 400U)
#define TVN_SELCHANGINGA (TVN_FIRST - 1)
#define TVN_SELCHANGEDA (TVN_FIRST - 2)
#define TVN_ITEMEXPANDINGA (TVN_FIRST - 5)
#define TVN_ITEMEXPANDEDA (TVN_FIRST - 6)
#define TVN_BEGINDRAGA (TVN_FIRST - 7)
#define TVN_DELETEITEMA (TVN_FIRST - 9)
#define TVN_BEGINLABELEDITA (TVN_FIRST - 10)
#define TVN_ENDLABELEDITA (TVN_FIRST - 11)
#define TVN_KEYDOWN (TVN_FIRST - 12)
#define TVN_SELCHANGING TVN_SELCHANGINGA
#define TVN_SELCHANGED TVN_SELCHANGEDA
#define TVN_ITEMEXPANDING TVN_ITEMEXPANDINGA
#define TVN_ITEMEXPANDED TVN_ITEMEXPANDEDA
#define TVN_BEGINDRAG TVN_BEGINDRAGA
#define TVN_DELETEITEM TVN_DELETEITEMA
#define TVN_BEGINLABELEDIT TVN_BEGINLABELEDITA
#define TVN_ENDLABELEDIT TVN_ENDLABELEDITA

struct TVITEMA {
    UINT mask;
    HTREEITEM hItem;
    UINT state;
    UINT stateMask;
    LPSTR pszText;
    int cchTextMax;
    int iImage;
    int iSelectedImage;
    int cChildren;
    LPARAM lParam;
};
typedef TVITEMA TV_ITEMA;
typedef TVITEMA* LPTVITEMA;

struct TVINSERTSTRUCTA {
    HTREEITEM hParent;
    HTREEITEM hInsertAfter;
    TVITEMA item;
};
typedef TVINSERTSTRUCTA TV_INSERTSTRUCTA;
typedef TVINSERTSTRUCTA* LPTVINSERTSTRUCTA;

struct TVHITTESTINFO {
    POINT pt;
    UINT flags;
    HTREEITEM hItem;
};
typedef TVHITTESTINFO* LPTVHITTESTINFO;

struct NMTREEVIEWA {
    NMHDR hdr;
    UINT action;
    TVITEMA itemOld;
    TVITEMA itemNew;
    POINT ptDrag;
};
typedef NMTREEVIEWA NM_TREEVIEWA;
typedef NMTREEVIEWA* LPNMTREEVIEWA;

struct NMTVDISPINFOA {
    NMHDR hdr;
    TVITEMA item;
};
typedef NMTVDISPINFOA TV_DISPINFOA;

struct NMTVKEYDOWN {
    NMHDR hdr;
    WORD wVKey;
    UINT flags;
};
typedef NMTVKEYDOWN TV_KEYDOWN;

// Tab controls: one row of tabs 20 pixels high across the top, each tab as
// wide as its text (8 per character) plus 12. TCM_SETCURSEL sends nothing; a
// click of the user on another tab sends TCN_SELCHANGING (TRUE refuses) and
// TCN_SELCHANGE.
#define TCM_FIRST 0x1300
#define TCM_GETIMAGELIST (TCM_FIRST + 2)
#define TCM_SETIMAGELIST (TCM_FIRST + 3)
#define TCM_GETITEMCOUNT (TCM_FIRST + 4)
#define TCM_GETITEMA (TCM_FIRST + 5)
#define TCM_SETITEMA (TCM_FIRST + 6)
#define TCM_INSERTITEMA (TCM_FIRST + 7)
#define TCM_DELETEITEM (TCM_FIRST + 8)
#define TCM_DELETEALLITEMS (TCM_FIRST + 9)
#define TCM_GETITEMRECT (TCM_FIRST + 10)
#define TCM_GETCURSEL (TCM_FIRST + 11)
#define TCM_SETCURSEL (TCM_FIRST + 12)
#define TCM_HITTEST (TCM_FIRST + 13)
#define TCM_ADJUSTRECT (TCM_FIRST + 40)
#define TCIF_TEXT 0x0001
#define TCIF_IMAGE 0x0002
#define TCIF_PARAM 0x0008
#define TCHT_NOWHERE 0x0001
#define TCHT_ONITEM 0x0006
#define TCN_FIRST (0U - 550U)
#define TCN_KEYDOWN (TCN_FIRST - 0)
#define TCN_SELCHANGE (TCN_FIRST - 1)
#define TCN_SELCHANGING (TCN_FIRST - 2)

struct TCITEMA {
    UINT mask;
    DWORD dwState;
    DWORD dwStateMask;
    LPSTR pszText;
    int cchTextMax;
    int iImage;
    LPARAM lParam;
};
typedef TCITEMA TC_ITEMA;

struct TCHITTESTINFO {
    POINT pt;
    UINT flags;
};

// Status bars: 20 pixels high along the bottom of the parent's client area
// (they follow the parent's size on WM_SIZE); parts split the width at the
// right edges given by SB_SETPARTS (-1: to the end). In simple mode one
// text (part SB_SIMPLEID) fills the bar; the parts keep their texts.
#define SB_SETTEXTA (WM_USER + 1)
#define SB_GETTEXTA (WM_USER + 2)
#define SB_GETTEXTLENGTHA (WM_USER + 3)
#define SB_SETPARTS (WM_USER + 4)
#define SB_GETPARTS (WM_USER + 6)
#define SB_SIMPLE (WM_USER + 9)
#define SB_ISSIMPLE (WM_USER + 14)
#define SB_SETTEXT SB_SETTEXTA
#define SB_GETTEXT SB_GETTEXTA
#define SB_SIMPLEID 0x00FF
#define SBT_NOBORDERS 0x0100
#define SBT_POPOUT 0x0200
#define SBT_OWNERDRAW 0x1000

// Toolbars: a row of buttons 24 by 22 pixels (separators 8 wide) along the
// top of the parent. TB_ADDBITMAP takes an HBITMAP as nID (null instance)
// or the number of a bitmap resource of the instance, and cuts the bitmap
// into 16 by 15 images (TB_SETBITMAPSIZE changes that); -1 when there is no
// such bitmap. A
// click on an enabled button sends WM_COMMAND (its command, BN_CLICKED) to
// the parent, toggling a TBSTYLE_CHECK button first. With TBSTYLE_TOOLTIPS
// the toolbar has a tool tip window; when the mouse rests on a button it
// asks the parent for the text with TTN_NEEDTEXTA (idFrom is the command)
// and the tip window shows it as its window text.
#define TB_ENABLEBUTTON (WM_USER + 1)
#define TB_CHECKBUTTON (WM_USER + 2)
#define TB_PRESSBUTTON (WM_USER + 3)
#define TB_HIDEBUTTON (WM_USER + 4)
#define TB_ISBUTTONENABLED (WM_USER + 9)
#define TB_ISBUTTONCHECKED (WM_USER + 10)
#define TB_ISBUTTONPRESSED (WM_USER + 11)
#define TB_ISBUTTONHIDDEN (WM_USER + 12)
#define TB_SETSTATE (WM_USER + 17)
#define TB_GETSTATE (WM_USER + 18)
#define TB_ADDBITMAP (WM_USER + 19)
#define TB_ADDBUTTONSA (WM_USER + 20)
#define TB_INSERTBUTTONA (WM_USER + 21)
#define TB_DELETEBUTTON (WM_USER + 22)
#define TB_GETBUTTON (WM_USER + 23)
#define TB_BUTTONCOUNT (WM_USER + 24)
#define TB_COMMANDTOINDEX (WM_USER + 25)
#define TB_BUTTONSTRUCTSIZE (WM_USER + 30)
#define TB_SETBITMAPSIZE (WM_USER + 32)
#define TB_AUTOSIZE (WM_USER + 33)
#define TB_GETTOOLTIPS (WM_USER + 35)
#define TB_ADDBUTTONS TB_ADDBUTTONSA
#define TB_INSERTBUTTON TB_INSERTBUTTONA
#define TBSTATE_CHECKED 0x01
#define TBSTATE_PRESSED 0x02
#define TBSTATE_ENABLED 0x04
#define TBSTATE_HIDDEN 0x08
#define TBSTATE_INDETERMINATE 0x10
#define TBSTATE_WRAP 0x20
#define TBSTYLE_BUTTON 0x0000
#define TBSTYLE_SEP 0x0001
#define TBSTYLE_CHECK 0x0002
#define TBSTYLE_GROUP 0x0004
#define TBSTYLE_CHECKGROUP (TBSTYLE_GROUP | TBSTYLE_CHECK)
#define TBSTYLE_TOOLTIPS 0x0100

struct TBBUTTON {
    int iBitmap;
    int idCommand;
    BYTE fsState;
    BYTE fsStyle;
    BYTE bReserved[6];
    DWORD_PTR dwData;
    INT_PTR iString;
};
typedef TBBUTTON* LPTBBUTTON;
typedef const TBBUTTON* LPCTBBUTTON;

struct TBADDBITMAP {
    HINSTANCE hInst;
    UINT_PTR nID;
};

#define TTN_FIRST (0U - 520U)
#define TTN_NEEDTEXTA (TTN_FIRST - 0)
#define TTN_NEEDTEXT TTN_NEEDTEXTA
#define TTN_GETDISPINFOA TTN_NEEDTEXTA

struct NMTTDISPINFOA {
    NMHDR hdr;
    LPSTR lpszText;
    char szText[80];
    HINSTANCE hinst;
    UINT uFlags;
    LPARAM lParam;
};
typedef NMTTDISPINFOA TOOLTIPTEXTA;
typedef NMTTDISPINFOA* LPTOOLTIPTEXTA;

// Progress bar ("msctls_progress32"). Range 0..100, step 10 at first; the
// position stays within the range (PBM_STEPIT past the end starts again at
// the bottom). Sends no notifications. The bar fills the client area from the
// left in proportion to the position, in COLOR_HIGHLIGHT.
#define PROGRESS_CLASSA "msctls_progress32"
#define PROGRESS_CLASS PROGRESS_CLASSA
#define PBM_SETRANGE (WM_USER + 1)
#define PBM_SETPOS (WM_USER + 2)
#define PBM_DELTAPOS (WM_USER + 3)
#define PBM_SETSTEP (WM_USER + 4)
#define PBM_STEPIT (WM_USER + 5)
#define PBM_SETRANGE32 (WM_USER + 6)
#define PBM_GETRANGE (WM_USER + 7)
#define PBM_GETPOS (WM_USER + 8)
struct PBRANGE {
    int iLow;
    int iHigh;
};
typedef PBRANGE* PPBRANGE;

// Trackbar ("msctls_trackbar32"). Program changes (TBM_*) send nothing; the
// person's keys and mouse send WM_HSCROLL (WM_VSCROLL with TBS_VERT) to the
// parent, code in the low word, lParam the trackbar:
// - arrows: TB_LINEUP (left, up) / TB_LINEDOWN (right, down) by the line size;
//   Page Up/Down: TB_PAGEUP/TB_PAGEDOWN by the page size; Home/End: TB_TOP/
//   TB_BOTTOM; each key's release sends TB_ENDTRACK.
// - a click in the channel beside the thumb: TB_PAGEUP/TB_PAGEDOWN, then
//   TB_ENDTRACK on release; dragging the thumb: TB_THUMBTRACK with each move,
//   TB_THUMBPOSITION on release (position in the high word of both), then
//   TB_ENDTRACK.
// A notification is sent after the position moved, and only when it moved
// (TB_ENDTRACK and TB_THUMBPOSITION always). Geometry: the channel runs from
// 8 pixels in from either end of the long side; position p of min..max sits
// at 8 + (p - min) * (length - 16) / (max - min); the thumb is 10 pixels
// across, centred there.
#define TRACKBAR_CLASSA "msctls_trackbar32"
#define TRACKBAR_CLASS TRACKBAR_CLASSA
#define TBS_AUTOTICKS 0x0001
#define TBS_VERT 0x0002
#define TBS_HORZ 0x0000
#define TBS_TOP 0x0004
#define TBS_BOTTOM 0x0000
#define TBS_LEFT 0x0004
#define TBS_RIGHT 0x0000
#define TBS_BOTH 0x0008
#define TBS_NOTICKS 0x0010
#define TBS_ENABLESELRANGE 0x0020
#define TBS_FIXEDLENGTH 0x0040
#define TBS_NOTHUMB 0x0080
#define TBM_GETPOS (WM_USER)
#define TBM_GETRANGEMIN (WM_USER + 1)
#define TBM_GETRANGEMAX (WM_USER + 2)
#define TBM_GETTIC (WM_USER + 3)
#define TBM_SETTIC (WM_USER + 4)
#define TBM_SETPOS (WM_USER + 5)
#define TBM_SETRANGE (WM_USER + 6)
#define TBM_SETRANGEMIN (WM_USER + 7)
#define TBM_SETRANGEMAX (WM_USER + 8)
#define TBM_CLEARTICS (WM_USER + 9)
#define TBM_SETSEL (WM_USER + 10)
#define TBM_SETSELSTART (WM_USER + 11)
#define TBM_SETSELEND (WM_USER + 12)
#define TBM_GETNUMTICS (WM_USER + 16)
#define TBM_GETSELSTART (WM_USER + 17)
#define TBM_GETSELEND (WM_USER + 18)
#define TBM_CLEARSEL (WM_USER + 19)
#define TBM_SETTICFREQ (WM_USER + 20)
#define TBM_SETPAGESIZE (WM_USER + 21)
#define TBM_GETPAGESIZE (WM_USER + 22)
#define TBM_SETLINESIZE (WM_USER + 23)
#define TBM_GETLINESIZE (WM_USER + 24)
#define TBM_GETTHUMBRECT (WM_USER + 25)
#define TBM_GETCHANNELRECT (WM_USER + 26)
#define TB_LINEUP 0
#define TB_LINEDOWN 1
#define TB_PAGEUP 2
#define TB_PAGEDOWN 3
#define TB_THUMBPOSITION 4
#define TB_THUMBTRACK 5
#define TB_TOP 6
#define TB_BOTTOM 7
#define TB_ENDTRACK 8

// Animation control ("SysAnimate32"). ACM_OPENA takes a resource of type
// "AVI" (lParam a MAKEINTRESOURCE id or a name, of the module in wParam or
// else the control's own module; it must exist) or a file name (the file
// must exist); null closes. Frames are not decoded: what is opened and played
// is recorded (vpr::user::GetAnimation). ACM_PLAY (wParam repeat count, -1
// for ever; lParam MAKELONG(from, to), to -1 the last frame) sends ACN_START
// as WM_COMMAND to the parent; ACM_STOP, closing or opening another clip
// while playing send ACN_STOP. A play with a finite repeat count ends at
// once (ACN_START, then ACN_STOP). ACS_AUTOPLAY plays a clip for ever as it
// is opened.
#define ANIMATE_CLASSA "SysAnimate32"
#define ANIMATE_CLASS ANIMATE_CLASSA
#define ACS_CENTER 0x0001
#define ACS_TRANSPARENT 0x0002
#define ACS_AUTOPLAY 0x0004
#define ACS_TIMER 0x0008
#define ACM_OPENA (WM_USER + 100)
#define ACM_OPEN ACM_OPENA
#define ACM_PLAY (WM_USER + 101)
#define ACM_STOP (WM_USER + 102)
#define ACN_START 1
#define ACN_STOP 2
inline BOOL Animate_OpenEx(HWND hwnd, HINSTANCE instance, LPCSTR name) {
    return static_cast<BOOL>(SendMessageA(hwnd, ACM_OPENA, reinterpret_cast<WPARAM>(instance), reinterpret_cast<LPARAM>(name)));
}
inline BOOL Animate_Open(HWND hwnd, LPCSTR name) { return Animate_OpenEx(hwnd, nullptr, name); }
inline BOOL Animate_Play(HWND hwnd, int from, int to, int repeat) {
    return static_cast<BOOL>(SendMessageA(hwnd, ACM_PLAY, static_cast<WPARAM>(repeat), MAKELONG(from, to)));
}
inline BOOL Animate_Stop(HWND hwnd) { return static_cast<BOOL>(SendMessageA(hwnd, ACM_STOP, 0, 0)); }
inline BOOL Animate_Close(HWND hwnd) { return Animate_Open(hwnd, nullptr); }

extern "C" {
void WINAPI InitCommonControls(void);
BOOL WINAPI InitCommonControlsEx(const INITCOMMONCONTROLSEX* picce);

// Image lists hold icons of one size; ImageList_Add cuts a bitmap into images.
HIMAGELIST WINAPI ImageList_Create(int cx, int cy, UINT flags, int cInitial, int cGrow);
BOOL WINAPI ImageList_Destroy(HIMAGELIST himl);
int WINAPI ImageList_GetImageCount(HIMAGELIST himl);
BOOL WINAPI ImageList_GetIconSize(HIMAGELIST himl, int* cx, int* cy);
int WINAPI ImageList_Add(HIMAGELIST himl, HBITMAP hbmImage, HBITMAP hbmMask);
int WINAPI ImageList_ReplaceIcon(HIMAGELIST himl, int i, HICON hicon);
BOOL WINAPI ImageList_Remove(HIMAGELIST himl, int i);
HICON WINAPI ImageList_GetIcon(HIMAGELIST himl, int i, UINT flags);
BOOL WINAPI ImageList_Draw(HIMAGELIST himl, int i, HDC hdcDst, int x, int y, UINT fStyle);
}
#define ImageList_AddIcon(himl, hicon) ImageList_ReplaceIcon(himl, -1, hicon)
#define ImageList_RemoveAll(himl) ImageList_Remove(himl, -1)

namespace vpr::user {
// Number of live image lists, for tests that check nothing leaks.
size_t ImageListCount();

// What an animation control has open and plays, for tests.
struct Animation {
    std::string clip;  // "#410" for a resource id, else the resource or file name; empty: none
    HINSTANCE module = nullptr;  // the module of a resource clip
    bool playing = false;
    UINT from = 0;
    UINT to = 0;
    int repeat = 0;  // -1: for ever
    int plays = 0;   // ACM_PLAY accepted since the clip was opened
};
// False when the window is not an animation control.
bool GetAnimation(HWND animation, Animation* out);
}  // namespace vpr::user
