// The row of one text file edit: text to add (kind 11, subtype 1 at the
// beginning, 2 at the end) or text to find (kind 12, subtype 1 replace, 2
// delete) in a file.
#pragma once

#include "afxwin.h"

class CTextFileItem : public CObject {
public:
    CTextFileItem() = default;
    ~CTextFileItem() override = default;

    int GetKind() const { return m_kind; }
    void SetKind(int kind) { m_kind = kind; }
    int GetSubtype() const { return m_subtype; }
    void SetSubtype(int subtype) { m_subtype = subtype; }
    int GetFlags() const { return m_flags; }
    void SetFlags(int flags) { m_flags = flags; }
    CString GetFileName() const { return m_fileName; }
    void SetFileName(const CString& fileName) { m_fileName = fileName; }
    CString GetFindText() const { return m_findText; }
    void SetFindText(const CString& findText) { m_findText = findText; }
    // The text to add, or the replacement of the found text.
    CString GetText() const { return m_text; }
    void SetText(const CString& text) { m_text = text; }

private:
    int m_kind = 0;
    int m_subtype = 0;
    int m_flags = 0;
    CString m_fileName;
    CString m_findText;
    CString m_text;
};
