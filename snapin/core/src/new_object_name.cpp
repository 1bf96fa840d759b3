#include "snapin/core/new_object_name.h"

#include "snapin/core/app_library.h"
#include "snapin/core/creation_resource.h"
#include "snapin/core/directory_helper.h"
#include "snapin/core/schema_names.h"

CNewObjectName::CNewObjectName() : m_context(theDirectoryHelper.CreateContext()) {}

CNewObjectName::~CNewObjectName() {
    if (m_context > 0) DirFreeContext(m_context);
}

int CNewObjectName::CreateApplicationObject(CString fullName, CString path, CString caption) {
    const bool installOnly = path.IsEmpty();
    if (installOnly) path = snapin::kInstallOnlyPath;
    int result = theAppLibrary.CreateObject(m_context, fullName, snapin::kClassApplication, path, caption, 0);

    // An install-only object carries the install-only bit and no other.
    if (result == 0 && installOnly) {
        DirBuffer* request = nullptr;
        result = DirAllocBuffer(0x1000, &request);
        if (result == 0) result = DirInitRequest(m_context, DIR_OP_MODIFY, request);
        if (result == 0) result = theDirectoryHelper.ReplaceValue(m_context, fullName, request, snapin::kAttrFlags, snapin::kFlagInstallOnly);
        if (result == 0) result = DirModifyObject(m_context, fullName, nullptr, 0, request);
        if (request) DirFreeBuffer(request);
    }

    if (result != 0) {
        CString boxCaption;
        boxCaption.LoadString(IDS_DRAVIK_ERROR);
        CString format;
        CString text;
        if (result == DIR_ERR_OBJECT_EXISTS) {
            format.LoadString(IDS_OBJECT_EXISTS);
            text.Format(format, static_cast<LPCSTR>(fullName));
        } else {
            format.LoadString(IDS_CREATE_FAILED);
            text.Format(format, result);
        }
        MessageBoxA(nullptr, text, boxCaption, MB_OK | MB_ICONERROR);
    }
    return result;
}
