// CObjectBrowser: the one way the module lets the administrator pick
// directory objects, files or directories: the administration host's own
// browse dialog. A caller names the classes that may be picked, sets the
// browse flags, runs the browse, then reads the chosen objects and keeps the
// context the user ended in for the next browse. The host talks back through
// BrowseCallback: it asks for the class filters and hands over each chosen
// object. Chosen objects accumulate over the browses of one browser.
#pragma once

#include "snapin/core/fixed_size_list.h"
#include "snapin/core/host_calls.h"

// Browse flags the callers pass (their meaning is the host's).
constexpr DWORD kBrowseOne = 4;               // one print queue or printer
constexpr DWORD kBrowseSeveral = 8;           // several users, groups, containers or applications
constexpr DWORD kBrowseFileOrDirectory = 36;  // a file or a directory

// The context a browse starts in when none is given.
constexpr char kBrowseRootContext[] = "[Root]";

class CObjectBrowser {
public:
    // Either context may be null.
    explicit CObjectBrowser(LPCSTR startContext = nullptr, LPCSTR secondContext = nullptr);
    ~CObjectBrowser();
    CObjectBrowser(const CObjectBrowser&) = delete;
    CObjectBrowser& operator=(const CObjectBrowser&) = delete;

    // Offers objects of this class. A name longer than 65 characters cannot
    // reach the host whole and is not added (FALSE).
    BOOL AddClassFilter(LPCSTR className);
    void ClearClassFilters() { m_classFilters.RemoveAll(); }
    void SetFlags(DWORD flags) { m_flags = flags; }

    // Runs the host's browse dialog, starting in `start`, else in the context
    // the last browse ended in, else in "[Root]"; returns once the user closed
    // it. Afterwards GetContext gives the context the user ended in.
    void Browse(HWND owner, LPCSTR start = nullptr);
    // The same through the host's second browse call, which also fills a
    // second name buffer (kept as the second context).
    void BrowseEx(HWND owner, LPCSTR start = nullptr, LPCSTR second = nullptr);

    DWORD GetSelectedCount() const { return m_chosen.GetCount(); }
    // The full name of chosen object i; null when i is not below the count.
    LPCSTR GetSelectedName(DWORD index) const;
    // The context the last browse ended in (or the one given at
    // construction); null when there is none.
    LPCSTR GetContext() const { return m_startContext; }
    LPCSTR GetSecondContext() const { return m_secondContext; }
    ULONG_PTR GetHostValue() const { return m_hostValue; }

    // The callback the host calls during a browse with the browser it was
    // given; always 0.
    static LONG CALLBACK BrowseCallback(void* browser, UINT code, ULONG_PTR a, ULONG_PTR b);

private:
    static void ReplaceText(char*& text, LPCSTR value);
    static void FillBuffer(char* buffer, LPCSTR argument, LPCSTR kept);

    ULONG_PTR m_hostValue = 0;
    CFixedSizeList m_classFilters{SNAPIN_CLASS_NAME_SIZE};
    CFixedSizeList m_chosen{SNAPIN_RECORD_SIZE};
    char* m_startContext = nullptr;
    char* m_secondContext = nullptr;
    DWORD m_flags = kBrowseOne;
};
