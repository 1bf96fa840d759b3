#include <gtest/gtest.h>

#include <cstring>

#include <string>
#include <vector>

#include "afxwin.h"
#include "test_ids.h"
#include "vpr/locale/locale.h"
#include "vpr/testing/temp_machine.h"

namespace {

class Frame : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(frame_.CreateEx(0, nullptr, "frame", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400, 300, nullptr,
                                    nullptr));
    }
    CWnd frame_;
};

// A list whose rows carry objects: it frees them as the control reports
// each deleted row, also when the control goes.
class CRowList : public CListCtrl {
public:
    std::vector<std::string> freed;

protected:
    afx_msg void OnDeleteItem(NMHDR* header, LRESULT*) {
        auto* row = reinterpret_cast<CString*>(reinterpret_cast<NMLISTVIEW*>(header)->lParam);
        freed.push_back((LPCSTR)*row);
        delete row;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CRowList, CListCtrl)
ON_NOTIFY_REFLECT(LVN_DELETEITEM, OnDeleteItem)
END_MESSAGE_MAP()

TEST_F(Frame, ListCtrlHoldsRowsAndReportsTheirEnd) {
    CRowList list;
    ASSERT_TRUE(list.Create(WS_VISIBLE | LVS_REPORT, CRect(0, 0, 300, 200), &frame_, 10));
    EXPECT_EQ(list.InsertColumn(0, "Name", LVCFMT_LEFT, 100), 0);
    EXPECT_EQ(list.InsertColumn(1, "Target"), 1);
    for (const char* name : {"word.exe", "readme.txt"}) {
        int index = list.InsertItem(list.GetItemCount(), name);
        list.SetItemText(index, 1, "C:\\APPS");
        list.SetItemData(index, reinterpret_cast<DWORD_PTR>(new CString(name)));
    }
    EXPECT_EQ(list.GetItemCount(), 2);
    EXPECT_STREQ(list.GetItemText(1, 0), "readme.txt");
    EXPECT_STREQ(list.GetItemText(0, 1), "C:\\APPS");
    EXPECT_STREQ(*reinterpret_cast<CString*>(list.GetItemData(1)), "readme.txt");
    list.SetItemState(1, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_EQ(list.GetSelectedCount(), 1u);
    EXPECT_EQ(list.GetNextItem(-1, LVNI_SELECTED), 1);

    list.DeleteItem(0);
    EXPECT_EQ(list.freed, std::vector<std::string>{"word.exe"});
    list.DestroyWindow();
    EXPECT_EQ(list.freed, (std::vector<std::string>{"word.exe", "readme.txt"}));
    EXPECT_EQ(list.m_hWnd, nullptr);
}

// An owner-data list: its rows are the names it holds.
class CNameList : public CListCtrl {
public:
    std::vector<std::string> names;

protected:
    afx_msg void OnGetDispInfo(NMHDR* header, LRESULT*) {
        auto* info = reinterpret_cast<NMLVDISPINFOA*>(header);
        if (info->item.mask & LVIF_TEXT)
            std::strncpy(info->item.pszText, names.at(static_cast<size_t>(info->item.iItem)).c_str(),
                         static_cast<size_t>(info->item.cchTextMax) - 1);
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CNameList, CListCtrl)
ON_NOTIFY_REFLECT(LVN_GETDISPINFO, OnGetDispInfo)
END_MESSAGE_MAP()

TEST_F(Frame, OwnerDataListCtrlShowsTheRowsItsParentHolds) {
    CNameList list;
    ASSERT_TRUE(list.Create(WS_VISIBLE | LVS_REPORT | LVS_OWNERDATA, CRect(0, 0, 300, 200), &frame_, 12));
    list.names = {"word.exe", "readme.txt", "calc.exe"};
    list.SetItemCount(3);
    EXPECT_EQ(list.GetItemCount(), 3);
    EXPECT_STREQ(list.GetItemText(2, 0), "calc.exe");
    list.SetItemState(2, LVIS_SELECTED, LVIS_SELECTED);
    list.names.pop_back();
    EXPECT_TRUE(list.SetItemCountEx(2, LVSICF_NOSCROLL));
    EXPECT_EQ(list.GetItemCount(), 2);
    EXPECT_EQ(list.GetSelectedCount(), 0u);
    EXPECT_FALSE(list.SetItemCountEx(-1));
    EXPECT_EQ(list.GetItemCount(), 2);
    list.names[0] = "winword.exe";
    EXPECT_TRUE(list.RedrawItems(0, 0));
    EXPECT_STREQ(list.GetItemText(0, 0), "winword.exe");
}

TEST_F(Frame, TreeCtrlWalksItsItems) {
    CTreeCtrl tree;
    ASSERT_TRUE(tree.Create(WS_VISIBLE | TVS_HASLINES, CRect(0, 0, 300, 200), &frame_, 11));
    HTREEITEM root = tree.InsertItem("TREE");
    HTREEITEM first = tree.InsertItem("first", root);
    HTREEITEM second = tree.InsertItem("second", 1, 2, root);
    tree.SetItemData(second, 42);
    EXPECT_EQ(tree.GetCount(), 3u);
    EXPECT_EQ(tree.GetRootItem(), root);
    EXPECT_EQ(tree.GetChildItem(root), first);
    EXPECT_EQ(tree.GetNextSiblingItem(first), second);
    EXPECT_EQ(tree.GetParentItem(second), root);
    EXPECT_TRUE(tree.ItemHasChildren(root));
    EXPECT_STREQ(tree.GetItemText(second), "second");
    EXPECT_EQ(tree.GetItemData(second), 42u);
    EXPECT_TRUE(tree.SelectItem(first));
    EXPECT_EQ(tree.GetSelectedItem(), first);
    EXPECT_TRUE(tree.SetItemText(first, "renamed"));
    EXPECT_STREQ(tree.GetItemText(first), "renamed");
    tree.DeleteAllItems();
    EXPECT_EQ(tree.GetCount(), 0u);
}

TEST(CImageList, OwnsItsHandleAndGivesBackTheControlsOne) {
    CImageList images;
    ASSERT_TRUE(images.Create(16, 16, ILC_COLOR | ILC_MASK, 2, 2));
    EXPECT_EQ(images.GetImageCount(), 0);
    HIMAGELIST handle = images.Detach();
    EXPECT_EQ(images.m_hImageList, nullptr);
    EXPECT_TRUE(images.Attach(handle));
    EXPECT_TRUE(images.DeleteImageList());
    EXPECT_FALSE(images.DeleteImageList());
}

// --- Worker threads --------------------------------------------------------

struct WorkerSaw {
    AFX_MODULE_STATE* state = nullptr;
};

UINT Worker(LPVOID param) {
    static_cast<WorkerSaw*>(param)->state = AfxGetModuleState();
    return 17;
}

TEST(AfxBeginThread, WorkerRunsInItsStartersModuleState) {
    AFX_MODULE_STATE* other = vpr::mfc::ModuleStateOf(reinterpret_cast<HMODULE>(0x4321));
    WorkerSaw saw;
    CWinThread* thread = nullptr;
    {
        AFX_MANAGE_STATE(other);
        thread = AfxBeginThread(Worker, &saw, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    }
    ASSERT_NE(thread, nullptr);
    thread->m_bAutoDelete = FALSE;
    EXPECT_EQ(thread->ResumeThread(), 1u);
    EXPECT_EQ(WaitForSingleObject(thread->m_hThread, INFINITE), WAIT_OBJECT_0);
    DWORD exitCode = 0;
    EXPECT_TRUE(GetExitCodeThread(thread->m_hThread, &exitCode));
    EXPECT_EQ(exitCode, 17u);
    EXPECT_EQ(saw.state, other);
    EXPECT_EQ(thread->ResumeThread(), 0u);
    delete thread;
}

// --- File dialog ---------------------------------------------------------------

std::vector<std::string> FilterTexts(const char* filter) {
    std::vector<std::string> texts;
    for (const char* p = filter; *p; p += std::strlen(p) + 1) texts.push_back(p);
    return texts;
}

TEST(CFileDialog, TurnsBarSeparatedFiltersIntoPairs) {
    CFileDialog dialog(TRUE, "qmt", "C:\\TEMPLATES\\word.qmt", OFN_FILEMUSTEXIST | OFN_HIDEREADONLY,
                       "Application Templates (*.qmt)|*.qmt|All Files (*.*)|*.*||");
    EXPECT_EQ(FilterTexts(dialog.m_ofn.lpstrFilter),
              (std::vector<std::string>{"Application Templates (*.qmt)", "*.qmt", "All Files (*.*)", "*.*"}));
    EXPECT_STREQ(dialog.m_ofn.lpstrDefExt, "qmt");
    EXPECT_EQ(dialog.m_ofn.Flags, static_cast<DWORD>(OFN_FILEMUSTEXIST | OFN_HIDEREADONLY));
    EXPECT_STREQ(dialog.GetPathName(), "C:\\TEMPLATES\\word.qmt");
    EXPECT_STREQ(dialog.GetFileName(), "word.qmt");
    EXPECT_STREQ(dialog.GetFileExt(), "qmt");
    EXPECT_STREQ(dialog.GetFileTitle(), "word");
}

TEST(CFileDialog, KeepsDoubleByteCharactersEndingInABar) {
    vpr::machine::CreateOptions options;
    options.codePage = vpr::locale::kCodePageJapanese;
    vpr::testing::TempMachine machine(options);
    // 0x83 0x7C is one character whose trail byte is '|'.
    CFileDialog dialog(TRUE, nullptr, nullptr, 0, "\x83\x7C (*.qmt)|*.qmt||");
    EXPECT_EQ(FilterTexts(dialog.m_ofn.lpstrFilter), (std::vector<std::string>{"\x83\x7C (*.qmt)", "*.qmt"}));
}

TEST(CFileDialog, SavesUnderTheNameThePersonTypes) {
    vpr::testing::TempMachine machine;
    vpr::user::UiDriver driver;
    CFileDialog dialog(FALSE, "qmt", nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                       "Application Templates (*.qmt)|*.qmt|All Files (*.*)|*.*||");
    dialog.m_ofn.lpstrInitialDir = "C:\\";
    driver.OnDialogCaption("Save As", [](const vpr::user::ModalElement& e) {
        vpr::user::ui::ReplaceText(e.window, edt1, "export");
        vpr::user::ui::Click(e.window, IDOK);
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_TRUE(driver.Failures().empty());
    EXPECT_STREQ(dialog.GetPathName(), "C:\\export.qmt");
    EXPECT_STREQ(dialog.GetFileTitle(), "export");

    driver.OnDialogCaption("Save As", [](const vpr::user::ModalElement& e) { vpr::user::ui::Click(e.window, IDCANCEL); });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
}

// --- Progress bar, trackbar, animation ---------------------------------------------

class CTimeDlg : public CWnd {
public:
    CSliderCtrl slider;
    std::vector<int> moves;

protected:
    afx_msg void OnHScroll(UINT code, UINT, CScrollBar* pScrollBar) {
        if (pScrollBar == reinterpret_cast<CScrollBar*>(&slider) && code != TB_ENDTRACK) moves.push_back(slider.GetPos());
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTimeDlg, CWnd)
ON_WM_HSCROLL()
END_MESSAGE_MAP()

TEST(CommonControls, TrackbarMovesComeToTheParentsHandler) {
    vpr::user::UiDriver driver;
    CTimeDlg parent;
    ASSERT_TRUE(parent.CreateEx(0, nullptr, "time", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 100, nullptr, nullptr));
    ASSERT_TRUE(parent.slider.Create(WS_VISIBLE | WS_TABSTOP | TBS_HORZ, CRect(5, 5, 205, 30), &parent, 20));
    parent.slider.SetRange(0, 24);
    parent.slider.SetPos(12);
    EXPECT_EQ(parent.slider.GetPos(), 12);
    EXPECT_TRUE(parent.moves.empty());  // program changes tell nobody
    parent.slider.SetFocus();
    vpr::user::ui::PressKey(parent.m_hWnd, VK_RIGHT);
    EXPECT_EQ(parent.moves, std::vector<int>{13});

    CProgressCtrl progress;
    ASSERT_TRUE(progress.Create(WS_VISIBLE, CRect(5, 40, 205, 50), &parent, 21));
    progress.SetRange(0, 4);
    progress.SetPos(3);
    EXPECT_EQ(progress.GetPos(), 3);
    progress.SetStep(1);
    progress.StepIt();
    EXPECT_EQ(progress.GetPos(), 4);
}

TEST_F(Frame, AnimationOpensItsClipFromTheModuleWhenTheResourcesLackIt) {
    HMODULE second = LoadLibraryA("MFCMOD32.DLL");
    ASSERT_NE(second, nullptr);
    AfxSetResourceHandle(second);  // a language library without the clip
    CAnimateCtrl animation;
    ASSERT_TRUE(animation.Create(WS_VISIBLE, CRect(0, 0, 40, 40), &frame_, 30));
    EXPECT_TRUE(animation.Open(IDR_COPY_AVI));
    EXPECT_TRUE(animation.Play(0, static_cast<UINT>(-1), static_cast<UINT>(-1)));
    vpr::user::Animation seen;
    ASSERT_TRUE(vpr::user::GetAnimation(animation.m_hWnd, &seen));
    EXPECT_EQ(seen.clip, "#410");
    EXPECT_EQ(seen.module, GetModuleHandleA(nullptr));
    EXPECT_TRUE(seen.playing);
    EXPECT_EQ(seen.repeat, -1);
    EXPECT_FALSE(animation.Open(IDR_COPY_AVI + 1));
    AfxSetResourceHandle(GetModuleHandleA(nullptr));
    animation.DestroyWindow();
    FreeLibrary(second);
}

}  // namespace
