// The binding of the launcher support library KMAPP32.DLL: found where the
// workstation's client installed it, loaded only when its file version is at
// least 97.6.3.0, and reached only through the wrappers below. Each wrapper
// gives a fixed default when its entry point is missing and when the library
// throws; the binding never changes after construction.
#pragma once

#include "afxwin.h"
#include "kmapp32.h"

class CShellAppLibrary {
public:
    // Binds the library: the system folder's KmApp32.dll on NT; on 95 the one
    // in the client's install folder (HKLM "Network\Veltrix\System
    // Config\Install\Target Path"), else the search path's.
    CShellAppLibrary();
    // Unloads the library when it was loaded.
    virtual ~CShellAppLibrary();
    CShellAppLibrary(const CShellAppLibrary&) = delete;
    CShellAppLibrary& operator=(const CShellAppLibrary&) = delete;

    // The file version of the library found (0: none), and whether it was loaded.
    ULONGLONG GetVersion() const { return m_ullVersion; }
    BOOL IsLoaded() const { return m_hLibrary != nullptr; }
    // The path the library was looked for at.
    const CString& GetPath() const { return m_strPath; }

    // A context for `tree` (null: the default tree) set up for the
    // extension; -328 when none can be made or it is not authenticated.
    DIR_CONTEXT AllocContext(LPCSTR tree);
    void FreeContext(DIR_CONTEXT context);
    // The user's folders: passes 0, `levels`, the mask 0x2F and 15.
    KmappFolder* GetFoldersEx(DIR_CONTEXT context, DWORD levels);
    void FreeGetFoldersEx(KmappFolder* list);
    KmappAttribute* GetObjectAttributes(DIR_CONTEXT context, LPCSTR object, const LPCSTR* names, DWORD count);
    void FreeGetObjectAttributes(KmappAttribute* list);
    // The icon a stream attribute's handle holds, for this module.
    HICON GetIconFromHandle(HFILE file);
    void MonitorApplications();
    // Adds the user's personal folders of `tree` (mask 0x2F) to `head`.
    void GetPersonalFolders(DIR_CONTEXT context, LPCSTR tree, KmappFolder** head);
    // Makes a new personal folder key "New Folder", "New Folder (2)", ...
    // under the default tree; its name in `name`. FALSE when none was made.
    BOOL CreatePersonalFolderKey(CString& name);
    void DeletePersonalFolder(LPCSTR folder);
    BYTE RenamePersonalFolder(LPCSTR folder, LPCSTR newName);
    BYTE AddPersonalFolderItem(LPCSTR tree, LPCSTR folder, LPCSTR application, DWORD flags);
    BYTE DeletePersonalFolderItem(LPCSTR tree, LPCSTR folder, LPCSTR application);
    BYTE ReadNRDFolders(DIR_CONTEXT context, LPCSTR tree);
    BYTE WriteNRDFolders(DIR_CONTEXT context, LPCSTR tree);
    // The user's launcher configuration (and its container's where it says
    // so) into the 100-byte `record`; 0, the library's result, or -331.
    // Not 0: the record gets inherit levels 1 and refresh interval 3600 s.
    LONG ReadLauncherConfig(DIR_CONTEXT context, BYTE* record);
    DWORD CheckSchedule(KmappApplication* record);
    LONG RecordLaunch(KmappApplication* record, DWORD starting);
    // Installation state of an item key's application (tree, TAB, rest),
    // through the cache's names for the key.
    BYTE IsInstalled(LPCSTR key);
    LONG MarkNotInstalled(LPCSTR key);

    // Launching and its report (defined with the launch code of the cache).
    LONG ProcessApplication(LPCSTR key, LPCSTR parameters);
    static DWORD OnLaunchStatus(DWORD status, void* record);
    void ReportLaunchError(DIR_CONTEXT context, LPCSTR application, LPCSTR display, DWORD result, DWORD detail,
                           LPSTR buffer);

    // The two raw entry points the launch code calls itself (null when missing).
    DWORD (*m_pfnProcessApplication)(DIR_CONTEXT, LPCSTR, DWORD*, LPSTR, DWORD, KmappStatusCallback) = nullptr;
    void (*m_pfnLogString)(DIR_CONTEXT, LPCSTR, DWORD, LPCSTR) = nullptr;

private:
    ULONGLONG m_ullVersion = 0;
    HMODULE m_hLibrary = nullptr;
    CString m_strPath;

    DIR_CONTEXT (*m_pfnAllocContextHandle)() = nullptr;
    void (*m_pfnFreeContextHandle)(DIR_CONTEXT) = nullptr;
    KmappFolder* (*m_pfnGetFoldersEx)(DIR_CONTEXT, LPCSTR, DWORD, DWORD, DWORD) = nullptr;
    void (*m_pfnFreeGetFoldersEx)(KmappFolder*) = nullptr;
    KmappAttribute* (*m_pfnGetObjectAttributes)(DIR_CONTEXT, LPCSTR, const LPCSTR*, DWORD) = nullptr;
    void (*m_pfnFreeGetObjectAttributes)(KmappAttribute*) = nullptr;
    HICON (*m_pfnGetIconFromHandle)(HINSTANCE, HFILE) = nullptr;
    void (*m_pfnMonitorApplications)() = nullptr;
    void (*m_pfnGetPersonalFolders)(DIR_CONTEXT, LPCSTR, DWORD, KmappFolder**) = nullptr;
    BYTE (*m_pfnCreatePersonalFolder)(LPCSTR, LPCSTR) = nullptr;  // bound, never called
    void (*m_pfnDeletePersonalFolder)(LPCSTR) = nullptr;
    BYTE (*m_pfnRenamePersonalFolder)(LPCSTR, LPCSTR) = nullptr;
    BYTE (*m_pfnAddPersonalFolderItem)(LPCSTR, LPCSTR, LPCSTR, DWORD) = nullptr;
    BYTE (*m_pfnDeletePersonalFolderItem)(LPCSTR, LPCSTR, LPCSTR) = nullptr;
    BYTE (*m_pfnReadNRDFolders)(DIR_CONTEXT, LPCSTR) = nullptr;
    BYTE (*m_pfnWriteNRDFolders)(DIR_CONTEXT, LPCSTR) = nullptr;
    LONG (*m_pfnReadLauncherConfig)(DIR_CONTEXT, LPCSTR, BYTE*) = nullptr;
    DWORD (*m_pfnCheckSchedule)(KmappApplication*) = nullptr;
    LONG (*m_pfnRecordLaunch)(KmappApplication*, DWORD) = nullptr;
    BYTE (*m_pfnIsInstalled)(LPCSTR, LPCSTR, LPCSTR) = nullptr;
    LONG (*m_pfnMarkNotInstalled)(LPCSTR, LPCSTR) = nullptr;
};

// Results of the binding's callers: no directory context, no launcher
// configuration entry point.
constexpr DIR_CONTEXT kNoContext = -328;
constexpr LONG kNoLauncherConfig = -331;
