// The row of one line of the Application Files page: a file to copy or
// delete (kind 1) or a directory to create or delete (kind 2). The target is
// kept whole and split into its file name and directory for the columns.
#pragma once

#include <utility>

#include "afxwin.h"

class CAppFileItem : public CObject {
public:
    CAppFileItem(CString source, CString target, CString fileName, CString directory,
                 int flags, int subtype, int kind)
        : m_source(std::move(source)), m_target(std::move(target)), m_fileName(std::move(fileName)), m_directory(std::move(directory)), m_subtype(subtype),
          m_flags(flags), m_kind(kind) {}
    ~CAppFileItem() override = default;

    const CString& GetSource() const { return m_source; }
    void SetSource(const CString& source) { m_source = source; }
    const CString& GetTarget() const { return m_target; }
    void SetTarget(const CString& target) { m_target = target; }
    const CString& GetFileName() const { return m_fileName; }
    void SetFileName(const CString& fileName) { m_fileName = fileName; }
    const CString& GetDirectory() const { return m_directory; }
    void SetDirectory(const CString& directory) { m_directory = directory; }
    int GetSubtype() const { return m_subtype; }
    void SetSubtype(int subtype) { m_subtype = subtype; }
    int GetFlags() const { return m_flags; }
    void SetFlags(int flags) { m_flags = flags; }
    int GetKind() const { return m_kind; }
    void SetKind(int kind) { m_kind = kind; }

private:
    CString m_source;
    CString m_target;
    CString m_fileName;
    CString m_directory;
    int m_subtype;
    int m_flags;
    int m_kind;
};
