#include "test_snapin.h"

#include "snapin/core/snapin_interface_base.h"
#include "snapin/core/snapin_menu.h"
#include "snapin/core/snapin_object_type.h"
#include "snapin/core/snapin_page.h"
#include "vpr/directory/client.h"
#include "vpr/mfc/dialog.h"

namespace {

std::vector<std::string> g_log;

void Log(const std::string& line) { g_log.push_back(line); }

// Reads and writes one text attribute of the object whose details are open.
CString ReadText(const char* attribute) {
    CString text;
    LPCSTR object = GetCurrentObjectName();
    if (!object) return text;
    DIR_CONTEXT ctx = DirCreateContext();
    DirBuffer* request = nullptr;
    DirBuffer* reply = nullptr;
    DirAllocBuffer(0x1000, &request);
    DirAllocBuffer(0x1000, &reply);
    DirInitRequest(ctx, DIR_OP_READ, request);
    DirPutAttributeName(ctx, request, attribute);
    int32_t iteration = DIR_NO_MORE_ITERATIONS;
    uint32_t count = 0, values = 0, syntax = 0;
    char name[DIR_MAX_SCHEMA_NAME] = {};
    if (DirSearch(ctx, object, 1, 0, request, &iteration, reply) == 0 &&
        DirGetResultAttributeCount(ctx, reply, &count) == 0 && count > 0 &&
        DirGetNextResultAttribute(ctx, reply, name, &values, &syntax) == 0 && values > 0) {
        size_t size = 0;
        DirComputeValueSize(ctx, reply, syntax, &size);
        DirGetResultValue(ctx, reply, syntax, text.GetBufferSetLength(static_cast<int>(size)));
        text.ReleaseBuffer();
    }
    DirFreeBuffer(request);
    DirFreeBuffer(reply);
    DirFreeContext(ctx);
    return text;
}

LONG WriteText(const char* attribute, const CString& text) {
    DIR_CONTEXT ctx = DirCreateContext();
    DirBuffer* buffer = nullptr;
    int status = DirAllocBuffer(0x4000, &buffer);
    if (!status && !(status = DirInitRequest(ctx, DIR_OP_MODIFY, buffer)) &&
        !(status = DirPutChange(ctx, buffer, DIR_CHANGE_REMOVE_ALL_VALUES, attribute)) &&
        !(status = DirPutChange(ctx, buffer, DIR_CHANGE_ADD_VALUE, attribute)) &&
        !(status = DirPutValue(ctx, buffer, DIR_SYNTAX_CI_STRING, static_cast<LPCSTR>(text))))
        status = DirModifyObject(ctx, GetCurrentObjectName(), nullptr, 0, buffer);
    DirFreeBuffer(buffer);
    DirFreeContext(ctx);
    return status;
}

// One page: an edit bound to one attribute of the object.
class CTextPage : public CDialog {
public:
    class CPagePart : public CSnapinPage {
    public:
        CPagePart(UINT titleId, UINT templateId, CTextPage* owner) : CSnapinPage(titleId, templateId, owner) {}
        DLGPROC GetDialogProc() override { return SnapinPageDialogProc; }
        BOOL CanClose() override {
            CTextPage* page = static_cast<CTextPage*>(m_pOwner);
            CString text;
            page->GetDlgItemText(page->m_nEdit, text);
            return text != "stay";
        }
        BOOL OnHelp() override {
            Log(std::string("help ") + static_cast<LPCSTR>(m_strTitle));
            return TRUE;
        }
        LONG Save() override {
            CTextPage* page = static_cast<CTextPage*>(m_pOwner);
            if (!page->m_hWnd || !page->m_bChanged) return 0;
            CString text;
            page->GetDlgItemText(page->m_nEdit, text);
            Log(std::string("save ") + static_cast<LPCSTR>(m_strTitle));
            return WriteText(page->m_pszAttribute, text);
        }
    };

    CTextPage(UINT titleId, UINT templateId, int edit, const char* attribute)
        : CDialog(templateId), m_page(titleId, templateId, this), m_nEdit(edit), m_pszAttribute(attribute) {}

    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        SetDlgItemText(m_nEdit, ReadText(m_pszAttribute));
        m_bChanged = false;
        Log(std::string("init ") + m_page.GetTitle());
        return TRUE;
    }
    void OnOK() override { m_page.PassButtonToHost(IDOK); }
    void OnCancel() override { m_page.PassButtonToHost(IDCANCEL); }

    CPagePart m_page;

protected:
    void OnEditChange() {
        if (GetFocus() && GetFocus()->m_hWnd != ::GetDlgItem(m_hWnd, m_nEdit)) return;  // the program's own change
        m_bChanged = true;
        m_page.SetModified(TRUE);
    }
    void OnDone() { OnOK(); }

    int m_nEdit;
    const char* m_pszAttribute;
    bool m_bChanged = false;

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTextPage, CDialog)
ON_CONTROL(EN_CHANGE, 1001, OnEditChange)
ON_CONTROL(EN_CHANGE, 1101, OnEditChange)
ON_BN_CLICKED(1005, OnDone)
END_MESSAGE_MAP()

class CTestUser;
class CShowUserMenu;

class CTestInterface : public CSnapinInterfaceBase {
public:
    CTestInterface() : CSnapinInterfaceBase("Test snap-in module") {}
    LONG Init() override;
    LONG Term() override;
    CShowUserMenu* m_pMenu = nullptr;
    CTestUser* m_pUser = nullptr;
};

CTestInterface theInterface;

class CTestUser : public CSnapinObjectType {
public:
    CTestUser() : CSnapinObjectType("DS", "User", 15) {
        for (HBITMAP& bitmap : m_bitmaps) bitmap = CreateBitmap(16, 16, 1, 32, nullptr);
    }
    ~CTestUser() override {
        DeletePages();
        for (HBITMAP bitmap : m_bitmaps) DeleteObject(bitmap);
    }
    LONG CreatePages() override {
        m_pGeneral = new CTextPage(2, 310, 1001, "Description");
        AddPage(&m_pGeneral->m_page);
        m_pPhone = new CTextPage(3, 311, 1101, "Title");
        AddPage(&m_pPhone->m_page);
        if (RegisterBitmaps(m_bitmaps[0], m_bitmaps[1], m_bitmaps[2])) Log("bitmaps registered");
        Log("pages made");
        return 0;
    }
    LONG DeletePages() override {
        delete m_pGeneral;
        delete m_pPhone;
        m_pGeneral = m_pPhone = nullptr;
        return 0;
    }
    LONG SavePages(char*) override {
        LONG result = 0;
        for (CTextPage* page : {m_pGeneral, m_pPhone})
            if (page && page->m_page.Save()) result = -1;
        return result;
    }
    SnapinCallBackFn GetCallBack() override { return CallBack; }
    static LONG CALLBACK CallBack(char* data, WORD code, ULONG_PTR p3, ULONG_PTR p4) {
        AFX_MANAGE_STATE(AfxGetStaticModuleState());
        return DispatchClassCallBack(theInterface.m_pUser, data, code, p3, p4);
    }

private:
    CTextPage* m_pGeneral = nullptr;
    CTextPage* m_pPhone = nullptr;
    HBITMAP m_bitmaps[3] = {};
};

class CShowUserMenu : public CSnapinMenu {
public:
    CShowUserMenu() : CSnapinMenu("ListMenu", 10, 11) {}
    void BindExports() override {
        theInterface.m_pMenu = this;
        SetMenuValid(MenuValid);
        SetMenuAction(MenuAction);
    }
    unsigned QueryState() override {
        DWORD count = 0;
        SnapinObjectRecord record;
        if (HostGetSelectionCount(&count) || count != 1 || HostGetSelectedObject(0, &record)) return SNAPIN_MENU_GRAYED;
        return std::string(record.bytes + SNAPIN_RECORD_CLASS) == "User" ? SNAPIN_MENU_ENABLED : SNAPIN_MENU_GRAYED;
    }
    void Execute() override {
        SnapinObjectRecord record;
        HostGetSelectedObject(0, &record);
        Log(std::string("show ") + (record.bytes + SNAPIN_RECORD_NAME));
    }
    static void CALLBACK MenuValid(unsigned* state) {
        AFX_MANAGE_STATE(AfxGetStaticModuleState());
        DispatchMenuValid(theInterface.m_pMenu, state);
    }
    static void CALLBACK MenuAction() {
        AFX_MANAGE_STATE(AfxGetStaticModuleState());
        DispatchMenuAction(theInterface.m_pMenu);
    }
};

LONG CTestInterface::Init() {
    AfxSetResourceHandle(GetResourceHandle());
    (new CShowUserMenu)->Register();
    m_pUser = new CTestUser;
    m_pUser->Register();
    return 0;
}

LONG CTestInterface::Term() {
    delete m_pMenu;
    delete m_pUser;
    m_pMenu = nullptr;
    m_pUser = nullptr;
    return 0;
}

}  // namespace

extern "C" {

LONG InitSnapin() {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    CSnapinInterfaceBase* snapin = GetSnapinInterface();
    if (!snapin) return -1;
    if (!snapin->GetResourceHandle()) snapin->SetResourceHandle(AfxGetInstanceHandle());
    Log("InitSnapin");
    return snapin->Init();
}

LONG ShutDown() {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    CSnapinInterfaceBase* snapin = GetSnapinInterface();
    if (!snapin) return 0;
    Log("ShutDown");
    return snapin->Term();
}

std::vector<std::string>* TestSnapLog() { return &g_log; }

}  // extern "C"
