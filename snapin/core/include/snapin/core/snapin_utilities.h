// CSnapinUtilities: what many dialogs and pages of the module share. One
// global, stateless object (theSnapinUtilities): painting of owner-drawn
// lists (text, class bitmap and text, the five association check boxes,
// transparent bitmaps), browsing the directory for a directory, a file or a
// print queue, the template directory, values of a template file, name
// checks, date and time texts and a file copy.
#pragma once

#include <string>

#include "afxwin.h"

struct DirOctetString;
struct TemplateField;

// A template record's counted field as a text (empty for an absent field).
std::string FieldText(const TemplateField& field);

class CSnapinUtilities {
public:
    // ---- owner-drawn lists (the item's text is read from its list box)
    // Text vertically centred, 16 * level + 3 pixels in when level is not 0.
    void DrawListItemText(HWND dialog, const DRAWITEMSTRUCT* item, int level) const;
    // The item's text is an object's full name: its class bitmap from the
    // host at the item's top-left corner, the text 3 pixels right of it.
    void DrawListItemIcon(HWND dialog, const DRAWITEMSTRUCT* item) const;
    // The item's data is a CRefItem: five check boxes side by side for its
    // flags 0x2, 0x1, 0x4, 0x8, 0x20 (the "DIS_" boxes when not enabled).
    void DrawCheckBoxColumns(HWND dialog, const DRAWITEMSTRUCT* item, BOOL enabled) const;
    // Draws the bitmap at (x, y), its RGB(128, 0, 128) pixels left out.
    void DrawTransparentBitmap(HDC dc, HBITMAP bitmap, int x, int y) const;

    // ---- browsing the directory: 1 and the first chosen name (and the
    // context the person ended in), 0 with the outputs unchanged when
    // nothing was chosen. Paths come back as \\SERVER\VOLUME\PATH.
    BOOL BrowseDirectory(HWND owner, CString& path, CString& context) const;
    BOOL BrowseFile(HWND owner, CString& path, CString& context) const;
    // The queue or printer's name with a leading ".".
    BOOL BrowsePrintQueue(HWND owner, CString& name, CString& context) const;

    // SERVER/VOLUME:PATH becomes \\SERVER\VOLUME\PATH in the buffer of
    // `size` bytes; a text of another form, or a result that would not fit,
    // stays as it is.
    void ConvertToUncPath(LPSTR path, size_t size) const;
    // VPRADMIN.INI's [QMTFILES] Path beside the module, else the module
    // folder's parent with \VPRLIB\QMTFILES; empty when the module's path
    // has no folder.
    CString GetTemplateDirectory() const;
    // The same for a module file given by its path.
    CString GetTemplateDirectory(LPCSTR modulePath) const;
    // The application name (kind 7 subtype 1) and caption (subtype 2) of a
    // template, from its first 50 records; unchanged when it cannot be opened.
    void ReadTemplateStrings(LPCSTR templatePath, CString& name, CString& caption) const;
    // The TARGET_PATH and SOURCE_PATH macros of a template.
    void ReadTemplatePathMacros(LPCSTR templatePath, CString& targetPath, CString& sourcePath) const;
    // The file name of a path (after the last backslash, else the last
    // colon), cut before its first character that may not stand in an
    // object name; the caller's text is cut at the same place.
    CString GetDefaultObjectName(CString& path) const;
    // Where the set's first character first occurs in the text; if nowhere,
    // its second; and so on. -1 when none occurs. Null set: string 112.
    int FindInvalidChar(LPCSTR text, LPCSTR set = nullptr) const;
    // Upper-cased copies compared by the locale library: 0 when equal.
    int CompareNoCase(LPCSTR first, LPCSTR second) const;
    // 1 when a row's text in the column equals the text (CompareNoCase)
    // and, with a second column (not -1), its text there equals the second.
    BOOL ListCtrlContains(CListCtrl* list, LPCSTR text, int column, LPCSTR second, int secondColumn) const;
    CString FormatDate(LONG time) const;
    CString FormatTime(LONG time) const;
    // Copies the source to the target in 1024-byte blocks: 1 when every
    // byte was copied, 0 at a failed read or a short write.
    BOOL CopyFileContents(HFILE source, HFILE target) const;
    // A counted directory value as a string, ending at an inner zero.
    CString ValueToString(const DirOctetString* value) const;
};

extern CSnapinUtilities theSnapinUtilities;
