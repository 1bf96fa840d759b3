#include "snapin/core/application.h"

#include "afxwin.h"
#include "snapin/core/module_resource.h"
#include "snapin/core/new_object_name.h"
#include "snapin/core/schema_names.h"
#include "snapin/core/snapin_interface.h"

using namespace snapin;

namespace {

constexpr LONG kApplicationFlags = 0xDD;
constexpr LONG kOldApplicationFlags = 0xD9;
constexpr LONG kContainerFlags = 1;

const LPCSTR kApplicationBitmaps[3] = {"CApplicationBitmap", "CApplicationAliasBitmap", "CApplicationROBitmap"};

// The three bitmaps of an old application class: normal, alias, read-only.
struct OldBitmaps {
    LPCSTR names[3];
    explicit OldBitmaps(int first)
        : names{MAKEINTRESOURCEA(first), MAKEINTRESOURCEA(first + 1), MAKEINTRESOURCEA(first + 2)} {}
};

CSnapinInterface* Interface() { return CSnapinInterface::Current(); }

// The body of each class's callback: the module's state, then the class's
// field of the interface object.
template <class T>
LONG ClassCallBack(T* CSnapinInterface::*field, char* data, WORD code, ULONG_PTR p3, ULONG_PTR p4) {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    CSnapinInterface* snapin = Interface();
    if (!snapin) return 0;
    return DispatchClassCallBack(snapin->*field, data, code, p3, p4);
}

}  // namespace

CApplication::CApplication(const PageSlotTable& pages)
    : CModuleObjectType(kClassApplication, IDS_APPLICATION, pages, kApplicationFlags, true, kApplicationBitmaps) {}

// The creation wizard; the host's buffer gets the new object's name only
// when one was created.
LONG CApplication::CreateObject(char* data, ULONG_PTR nameBuffer) {
    CNewObjectName wizard;
    wizard.SetContextName(data);
    if (wizard.RunWizard() != 1) return SNAPIN_CREATED;
    wizard.GetFullName(reinterpret_cast<char*>(nameBuffer), SNAPIN_NAME_SIZE);
    if (wizard.WantsAnotherObject()) return SNAPIN_CREATED_ANOTHER;
    if (wizard.WantsMoreProperties()) return SNAPIN_CREATED_DETAILS;
    return SNAPIN_CREATED;
}

CApplicationDOS::CApplicationDOS(const PageSlotTable& pages)
    : CModuleObjectType(kClassApplicationDOS, IDS_APPLICATION_DOS, pages, kOldApplicationFlags, false,
                        OldBitmaps(IDB_APPLICATION_DOS).names) {}

CApplication3x::CApplication3x(const PageSlotTable& pages)
    : CModuleObjectType(kClassApplication3x, IDS_APPLICATION_3X, pages, kOldApplicationFlags, false,
                        OldBitmaps(IDB_APPLICATION_3X).names) {}

CApplication95::CApplication95(const PageSlotTable& pages)
    : CModuleObjectType(kClassApplication95, IDS_APPLICATION_95, pages, kOldApplicationFlags, false,
                        OldBitmaps(IDB_APPLICATION_95).names) {}

CApplicationNT::CApplicationNT(const PageSlotTable& pages)
    : CModuleObjectType(kClassApplicationNT, IDS_APPLICATION_NT, pages, kOldApplicationFlags, false,
                        OldBitmaps(IDB_APPLICATION_NT).names) {}

CUser::CUser(const PageSlotTable& pages) : CModuleObjectType("User", -1, pages, kContainerFlags, true, nullptr) {}

CGroup::CGroup(const PageSlotTable& pages) : CModuleObjectType("Group", -1, pages, kContainerFlags, true, nullptr) {}

COU::COU(const PageSlotTable& pages)
    : CModuleObjectType("Organizational Unit", -1, pages, kContainerFlags, true, nullptr) {}

COrganization::COrganization(const PageSlotTable& pages)
    : CModuleObjectType("Organization", -1, pages, kContainerFlags, true, nullptr) {}

// Each class's exported callback hands the code to its object's field.
#define SNAPIN_CLASS_CALLBACK(Class, field)                                         \
    LONG CALLBACK Class::CallBack(char* data, WORD code, ULONG_PTR p3, ULONG_PTR p4) { \
        return ClassCallBack(&CSnapinInterface::field, data, code, p3, p4);         \
    }

SNAPIN_CLASS_CALLBACK(CApplication, m_pApplication)
SNAPIN_CLASS_CALLBACK(CApplicationDOS, m_pApplicationDOS)
SNAPIN_CLASS_CALLBACK(CApplication3x, m_pApplication3x)
SNAPIN_CLASS_CALLBACK(CApplication95, m_pApplication95)
SNAPIN_CLASS_CALLBACK(CApplicationNT, m_pApplicationNT)
SNAPIN_CLASS_CALLBACK(CUser, m_pUser)
SNAPIN_CLASS_CALLBACK(CGroup, m_pGroup)
SNAPIN_CLASS_CALLBACK(COU, m_pOU)
SNAPIN_CLASS_CALLBACK(COrganization, m_pOrganization)
