// CLinkManager: keeps the shortcut files on the user's desktop that point
// into the extension's name space. It places one for every application
// associated with the Desktop (marked by its description), removes them when
// they are no longer wanted, and carries the shortcuts the user made to the
// extension's items from one start of the module to the next: at exit every
// shortcut into the name space leaves the desktop (it would be dead without
// the extension) and the user's own are recorded under HKEY_CURRENT_USER,
// to be placed again by the next start's first refill.
//
// All calls come from the module's window thread (the tray window and the
// item list); the module deletes it there too.
#pragma once

#include "afxwin.h"
#include "namespace/item_id_list.h"

// The description that marks a shortcut the manager placed itself.
constexpr const char* kOwnLinkDescription =
    "VPR Explorer.  Where do I want to go?  Not to every workstation in the company!";
// Where the user's shortcuts are recorded: one subkey per tree part of an
// item key, one empty REG_SZ value per shortcut named by the rest.
constexpr const char* kLinkRecordsKey = "Software\\Kalmora\\Vpr\\1.0\\Links\\*WINDESKTOP";

class CLinkManager {
public:
    // Reads the desktop directory and builds the root item's list.
    CLinkManager();
    // Records the user's shortcuts, then deletes every shortcut into the
    // name space from the desktop.
    virtual ~CLinkManager();
    CLinkManager(const CLinkManager&) = delete;
    CLinkManager& operator=(const CLinkManager&) = delete;

    // Brings the desktop up to date: stale shortcuts go, the records are
    // saved, every Desktop application and every recorded shortcut has one
    // shortcut at the name its display name gives.
    void UpdateLinks();
    // Records the keys of the user's shortcuts on the desktop: the subkey of
    // every tree the cache holds is cleared first (once the recorded
    // shortcuts were placed), then each shortcut's value is written.
    void SaveRecords();
    // Appends the recorded keys ("tree\tname").
    void LoadRecords(CStringArray& keys);
    // Deletes every shortcut into the name space from the desktop, own or not.
    void DeleteLinks();
    // Whether a shortcut to `key` is on the desktop, after putting it in
    // place: one at `wantedPath` or at a name of the `baseName` sequence
    // ("base.lnk", "base (n).lnk") stays; one elsewhere is moved to
    // `wantedPath`, or deleted when it cannot be moved.
    BOOL FindLink(LPCSTR key, LPCSTR baseName, LPCSTR wantedPath);
    // Appends the keys of the desktop's shortcuts into the name space that
    // the manager did not place.
    void CollectUserLinks(CStringArray& keys);

    // Reads the shortcut file at `path`: TRUE when its target list passes
    // through the extension's root item, with `key` the item key it names;
    // when `own` is given, whether its description is the marker. A file
    // that cannot be read as a shortcut leads nowhere (FALSE).
    static BOOL ResolveLink(LPCSTR path, CString& key, BOOL* own = nullptr);

    const CString& GetDesktop() const { return m_strDesktop; }

private:
    // Calls `visit` with the full path of every "*.lnk" file of the desktop.
    template <class Visit>
    void ForEachLink(Visit visit);

    CString m_strDesktop;
    CItemIdList m_rootList;
    // The recorded shortcuts have been placed once since the manager was
    // made. Until then the desktop holds none of them (the last exit
    // removed them), so the records are not cleared.
    BOOL m_bRecordsPlaced = FALSE;
};
