// CSnapinModule: the module's application object. It finds the module's
// language resource library and help file, lists the directory trees the
// workstation is connected to, and offers and performs the extension of
// their schema at start-up.
#pragma once

#include "afxwin.h"
#include "snapin/distribution/ref_item.h"

class CSnapinModule : public CWinApp {
public:
    CSnapinModule() : CWinApp(nullptr) {}

    // The language resource library VPRRES32.DLL of the module's own version,
    // or null when the module's own resources are to be used (a message
    // tells why, unless KMLANGUAGE is "ENGLISH").
    HINSTANCE LoadResourceLibrary();
    // Looks for a file where the module's language files are: 1 and the
    // full path (when found is given) for the first candidate that can be
    // read, else 0.
    static BOOL FindNlsFile(LPCSTR moduleDirectory, LPCSTR fileName, LPSTR found);
    // The help file's path, or its bare name when it is not found.
    CString GetHelpFilePath();
    // The trees of the workstation's connections that can be used, one row
    // each (level 0); the caller deletes the rows and the list.
    static CRefItemList* GetConnectedTrees();
    // Offers the schema extension on the trees that lack it and whose
    // schema the user may change, and extends the chosen ones.
    static void CheckTreeSchemas(CRefItemList* trees, DWORD schemaBit);

    // This module's folder (its file name cut before the last backslash).
    static CString ModuleDirectory();
};
