// The folder view under test: the items' workstation (jdoe.sales.acme granted
// Editor.acme and Paint.acme in TEST_TREE), the module object able to work
// (a current shell, the real launcher library), and a browser window of the
// test's own. The browser keeps its toolbar and status bar as real controls,
// the menu the view hands it, and the view-state stream in memory, counting
// how often the view asks for it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "items_fixture.h"
#include "namespace/shell_folder.h"
#include "view/shell_view.h"
#include "vpr/com/ref_counted.h"

class TestBrowser final : public vpr::com::RefCounted<IShellBrowser> {
public:
    TestBrowser();
    ~TestBrowser() override;

    void* Find(REFIID iid) override;
    STDMETHODIMP GetWindow(HWND* window) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP InsertMenusSB(HMENU shared, LPOLEMENUGROUPWIDTHS widths) override;
    STDMETHODIMP SetMenuSB(HMENU shared, HANDLE, HWND) override;
    STDMETHODIMP RemoveMenusSB(HMENU shared) override;
    STDMETHODIMP SetStatusTextSB(LPCOLESTR) override { return S_OK; }
    STDMETHODIMP EnableModelessSB(BOOL) override { return S_OK; }
    STDMETHODIMP TranslateAcceleratorSB(MSG*, WORD) override { return S_FALSE; }
    STDMETHODIMP BrowseObject(LPCITEMIDLIST list, UINT flags) override;
    STDMETHODIMP GetViewStateStream(DWORD mode, IStream** stream) override;
    STDMETHODIMP GetControlWindow(UINT id, HWND* window) override;
    STDMETHODIMP SendControlMsg(UINT id, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    STDMETHODIMP QueryActiveShellView(IShellView** view) override;
    STDMETHODIMP OnViewWindowActive(IShellView*) override { return S_OK; }
    STDMETHODIMP SetToolbarItems(LPTBBUTTON buttons, UINT count, UINT flags) override;

    // The stream's bytes; none: the browser keeps no stream for the folder.
    std::optional<std::vector<BYTE>> stored;
    int streamReads = 0;
    int streamWrites = 0;
    HWND window = nullptr;
    HWND toolbar = nullptr;
    HWND status = nullptr;
    HMENU menu = nullptr;  // the menu the view set, null after it took it back
    std::vector<TBBUTTON> buttons;
    std::vector<UINT> browsed;  // BrowseObject's flags, in order

    // The status bar's simple text.
    std::string StatusText() const;
    // The texts of a pop-up of the menu (FCIDM_MENU_*), "-" for a separator,
    // with `states` "TEXT (grayed)" for a disabled item.
    std::vector<std::string> PopupTexts(UINT popup, bool states = false) const;
    UINT State(UINT command) const;

private:
    IStream* writing_ = nullptr;  // the stream handed out for writing
    void TakeWritten();
};

class ViewTest : public ItemsTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // The cache on the real library, its first rebuild and schedule check done.
    void Start();
    // A folder object for the key, as the class factory makes it.
    CShellFolder* Folder(const std::string& key);
    // A view of the folder with its window in the browser; null when
    // CreateViewWindow fails.
    CShellView* Open(const std::string& key, IShellView* previous = nullptr, FOLDERSETTINGS settings = {FVM_DETAILS, 0});
    // Ends a view as a browser does: deactivated, window gone, released.
    void Close(CShellView* view);
    // The rows' texts, in order.
    static std::vector<std::string> Rows(CShellView* view);
    static void SetWidths(ViewStateRecord* record, LONG a, LONG b, LONG c, LONG d);
    static std::vector<LONG> Widths(const ViewStateRecord& record);

    TestBrowser* browser = nullptr;
};
