// Rows of the list pages that refer to directory objects (associations,
// contacts, fault tolerance and load balancing lists, the applications of a
// user or container, the tree list of the schema update dialog), their list
// and the operations every such page shares.
#pragma once

#include "afxwin.h"

// One directory object named in a list attribute. Level and interval are the
// two numbers of a typed-name value (for "App:Associations" the level holds
// the association flags). Stored flags are the flags as last read from the
// directory (0: not stored), flags the flags as edited. Added: the row was
// added after the page read its attribute; deleted: a stored row to be
// removed at the next save.
class CRefItem : public CObject {
public:
    CRefItem(const CString& name, DWORD level, DWORD interval);
    ~CRefItem() override = default;

    CString GetName() const { return m_name; }
    DWORD GetLevel() const { return m_level; }
    void SetLevel(DWORD level) { m_level = level; }
    DWORD GetInterval() const { return m_interval; }
    DWORD GetStoredFlags() const { return m_storedFlags; }
    void SetStoredFlags(DWORD flags) { m_storedFlags = flags; }
    DWORD GetFlags() const { return m_flags; }
    void SetFlags(DWORD flags) { m_flags = flags; }
    BOOL GetAdded() const { return m_added; }
    void SetAdded(BOOL added) { m_added = added ? 1 : 0; }
    BOOL GetDeleted() const { return m_deleted; }
    void SetDeleted(BOOL deleted) { m_deleted = deleted ? 1 : 0; }

private:
    CString m_name;
    DWORD m_level;
    DWORD m_interval;
    DWORD m_storedFlags = 0;
    DWORD m_flags = 0;
    BOOL m_added = 0;
    BOOL m_deleted = 0;
};

// An ordered list of rows. It never deletes its rows: its owner deletes every
// row before it deletes the list.
class CRefItemList : public CObList {
public:
    CRefItemList() : CObList(10) {}
};

// The first row whose name equals `name` exactly (case-sensitive), rows
// marked deleted included; null when there is none.
CRefItem* FindRefItem(const CRefItemList* list, LPCSTR name);

// Removes the rows selected in a multiple-selection list box whose item data
// are rows of `list`; every selected entry leaves the list box. A row the
// user added goes at once (out of the list and deleted); a stored row is
// marked deleted and stays in the list for the save. Returns 0 when nothing
// is selected, else 1.
BOOL RemoveSelectedRefItems(CListBox* listBox, CRefItemList* list);

// As RemoveSelectedRefItems, for the association rows of the Applications
// page: a row with stored flags keeps its place in the list with flags 0 (the
// save removes the stored association); a row never stored goes at once.
BOOL RemoveSelectedAssociations(CListBox* listBox, CRefItemList* list);
