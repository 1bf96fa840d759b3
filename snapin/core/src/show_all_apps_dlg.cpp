#include "snapin/core/show_all_apps_dlg.h"

#include <cstring>

#include "snapin/core/app_library.h"
#include "snapin/core/common_resource.h"
#include "snapin/core/directory_helper.h"
#include "snapin/core/schema_names.h"
#include "vpr/adminhost/qradm32.h"

BEGIN_MESSAGE_MAP(CShowAllAppsDlg, CDialog)
ON_BN_CLICKED(IDHELP, OnHelp)
END_MESSAGE_MAP()

namespace {

// The icons in the image list's order, and each one's index there.
constexpr int kIcons[] = {IDI_CATEGORY_LAUNCHER,   IDI_CATEGORY_START_MENU, IDI_CATEGORY_DESKTOP,
                          IDI_CATEGORY_SYSTEM_TRAY, IDI_CATEGORY_FORCE_RUN,  IDI_ASSOCIATED_APPLICATION,
                          IDI_CLASS_USER,          IDI_CLASS_GROUP,         IDI_CLASS_ORGANIZATION,
                          IDI_CLASS_UNIT,          IDI_OPEN_FOLDER,  IDI_CLOSED_FOLDER};
int ImageOf(int icon) {
    for (int i = 0; i < static_cast<int>(sizeof kIcons / sizeof kIcons[0]); ++i)
        if (kIcons[i] == icon) return i;
    return 0;
}

// The five category nodes, in the order shown.
struct Category {
    int text;
    int icon;
    DWORD flag;
};
constexpr Category kCategories[] = {
    {IDS_CATEGORY_LAUNCHER, IDI_CATEGORY_LAUNCHER, snapin::kAssocLauncher},
    {IDS_CATEGORY_START_MENU, IDI_CATEGORY_START_MENU, snapin::kAssocStartMenu},
    {IDS_CATEGORY_DESKTOP, IDI_CATEGORY_DESKTOP, snapin::kAssocDesktop},
    {IDS_CATEGORY_SYSTEM_TRAY, IDI_CATEGORY_SYSTEM_TRAY, snapin::kAssocSystemTray},
    {IDS_CATEGORY_FORCE_RUN, IDI_CATEGORY_FORCE_RUN, snapin::kAssocForceRun},
};
// The order in which an application's flags are tested: index into kCategories.
constexpr int kFlagOrder[] = {1, 2, 3, 4, 0};

struct ClassIcon {
    const char* className;
    int icon;
};
constexpr ClassIcon kClassIcons[] = {
    {"User", IDI_CLASS_USER},
    {"Group", IDI_CLASS_GROUP},
    {"Organization", IDI_CLASS_ORGANIZATION},
    {"Organizational Unit", IDI_CLASS_UNIT},
};

constexpr DWORD kConfigFlagsTopByte = 7;
constexpr BYTE kUseContainerConfig = 0x80;
constexpr DWORD kAllAssociations = 0x2F;
constexpr DWORD kFolderOptions = 8;

}  // namespace

CShowAllAppsDlg::CShowAllAppsDlg(CWnd* pParent) : CDialog(IDD_SHOW_ALL_APPS, pParent) {}

void CShowAllAppsDlg::LoadImages() {
    if (!m_images.GetSafeHandle()) m_images.Create(16, 16, ILC_MASK, 0, 30);
    for (int icon : kIcons) {
        HICON handle = LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(icon));
        m_images.Add(handle);
        DestroyIcon(handle);
    }
    m_tree.SetImageList(&m_images, TVSIL_NORMAL);
}

void CShowAllAppsDlg::ReadConfiguration(DIR_CONTEXT context, const CString& fullName, BYTE* record) const {
    theDirectoryHelper.ReadLauncherConfig(context, "." + fullName, record);
    int dot = fullName.Find('.');
    if ((record[kConfigFlagsTopByte] & kUseContainerConfig) && dot >= 0)
        theDirectoryHelper.ReadLauncherConfig(context, fullName.Mid(dot), record);
}

BOOL CShowAllAppsDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_tree.SubclassDlgItem(IDC_SHOW_ALL_TREE, this);
    DIR_CONTEXT context = theDirectoryHelper.CreateContext();
    SnapinObjectRecord selected{};
    if (HostGetSelectedObject(0, &selected) == 0) {
        LoadImages();
        CString fullName = selected.bytes + SNAPIN_RECORD_NAME;
        CString format, caption;
        format.LoadString(IDS_INHERITED_CAPTION);
        caption.Format(format, static_cast<LPCSTR>(fullName));
        SetWindowText(caption);

        BYTE record[kLauncherConfigSize] = {};
        ReadConfiguration(context, fullName, record);
        DWORD levels;
        std::memcpy(&levels, record + KMAPP_CONFIG_OFFSET_LEVELS, sizeof levels);
        KmappFolder* folders = theAppLibrary.GetFoldersEx(context, "." + fullName, levels, kAllAssociations,
                                                          kFolderOptions);
        for (KmappFolder* folder = folders; folder; folder = folder->next) {
            int image = ImageOf(IDI_CLOSED_FOLDER), selectedImage = ImageOf(IDI_OPEN_FOLDER);
            DirObjectInfo info{};
            if (DirReadObjectInfo(context, folder->name, nullptr, &info) == 0)
                for (const ClassIcon& known : kClassIcons)
                    if (std::strcmp(info.baseClass, known.className) == 0) image = selectedImage = ImageOf(known.icon);
            HTREEITEM object = m_tree.InsertItem(folder->name, image, selectedImage, TVI_ROOT, TVI_LAST);
            HTREEITEM categories[5];
            for (int i = 0; i < 5; ++i) {
                CString text;
                text.LoadString(kCategories[i].text);
                int categoryImage = ImageOf(kCategories[i].icon);
                categories[i] = m_tree.InsertItem(text, categoryImage, categoryImage, object, TVI_LAST);
            }
            int application = ImageOf(IDI_ASSOCIATED_APPLICATION);
            for (KmappApplication* app = folder->applications; app; app = app->next)
                for (int i : kFlagOrder)
                    if (app->flags & kCategories[i].flag)
                        m_tree.InsertItem(app->name, application, application, categories[i], TVI_LAST);
        }
        theAppLibrary.FreeGetFoldersEx(folders);
    }
    if (context > 0) DirFreeContext(context);
    return TRUE;
}

void CShowAllAppsDlg::OnHelp() { WinHelp(HID_SHOW_ALL_APPS, HELP_CONTEXT); }
