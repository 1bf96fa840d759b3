#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "afxwin.h"
#include "test_ids.h"

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

}  // namespace
