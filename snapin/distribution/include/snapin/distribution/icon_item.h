// The row of one program group (kind 18) or one program group item or
// shortcut (kind 19). Its six texts and four numbers follow the user icon
// entry's fields; a program group uses only the group text.
#pragma once

#include "afxwin.h"

class CIconItem : public CObject {
public:
    CIconItem() = default;
    // A program group.
    CIconItem(const CString& group, int subtype) : m_kind(18), m_subtype(subtype), m_group(group) {}
    // A user icon: group, item name, program path, command line, icon file,
    // working directory; flags, icon index, show command, separate memory space.
    CIconItem(const CString& group, const CString& itemName, const CString& programPath, const CString& commandLine,
              const CString& iconFile, const CString& workingDirectory, int subtype, int flags, int iconIndex,
              int showCommand, int separateMemorySpace)
        : m_kind(19), m_subtype(subtype), m_flags(flags), m_iconIndex(iconIndex), m_showCommand(showCommand),
          m_separateMemorySpace(separateMemorySpace), m_group(group), m_itemName(itemName),
          m_programPath(programPath), m_commandLine(commandLine), m_iconFile(iconFile),
          m_workingDirectory(workingDirectory) {}
    ~CIconItem() override = default;

    int GetKind() const { return m_kind; }
    void SetKind(int kind) { m_kind = kind; }
    int GetSubtype() const { return m_subtype; }
    void SetSubtype(int subtype) { m_subtype = subtype; }
    int GetFlags() const { return m_flags; }
    void SetFlags(int flags) { m_flags = flags; }
    int GetIconIndex() const { return m_iconIndex; }
    void SetIconIndex(int iconIndex) { m_iconIndex = iconIndex; }
    int GetShowCommand() const { return m_showCommand; }
    void SetShowCommand(int showCommand) { m_showCommand = showCommand; }
    int GetSeparateMemorySpace() const { return m_separateMemorySpace; }
    void SetSeparateMemorySpace(int separate) { m_separateMemorySpace = separate ? 1 : 0; }
    // For a shortcut: the folder of the link.
    CString GetGroup() const { return m_group; }
    void SetGroup(const CString& group) { m_group = group; }
    CString GetItemName() const { return m_itemName; }
    void SetItemName(const CString& itemName) { m_itemName = itemName; }
    CString GetProgramPath() const { return m_programPath; }
    void SetProgramPath(const CString& programPath) { m_programPath = programPath; }
    CString GetCommandLine() const { return m_commandLine; }
    void SetCommandLine(const CString& commandLine) { m_commandLine = commandLine; }
    CString GetIconFile() const { return m_iconFile; }
    void SetIconFile(const CString& iconFile) { m_iconFile = iconFile; }
    CString GetWorkingDirectory() const { return m_workingDirectory; }
    void SetWorkingDirectory(const CString& workingDirectory) { m_workingDirectory = workingDirectory; }
    // A shortcut's link path as it was read; empty once the row was edited
    // (or for a new row), when the path is built from group and item name.
    CString GetLinkPath() const { return m_linkPath; }
    void SetLinkPath(const CString& linkPath) { m_linkPath = linkPath; }

private:
    int m_kind = 0;
    int m_subtype = 0;
    int m_flags = 0;
    int m_iconIndex = 0;
    int m_showCommand = 0;
    int m_separateMemorySpace = 0;
    CString m_group;
    CString m_itemName;
    CString m_programPath;
    CString m_commandLine;
    CString m_iconFile;
    CString m_workingDirectory;
    CString m_linkPath;
};
