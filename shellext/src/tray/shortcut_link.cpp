#include "tray/shortcut_link.h"

#include <string>

#include "namespace/item_id_list.h"
#include "shlobj.h"
#include "vpr/locale/locale.h"

namespace {

constexpr int kDescriptionSize = 256;

template <class T>
void ReleaseInterface(T*& object) {
    if (object) object->Release();
    object = nullptr;
}

}  // namespace

BOOL ReadNameSpaceLink(LPCSTR path, CString& key, CString* description) {
    key.Empty();
    if (description) description->Empty();
    if (!path) return FALSE;
    const HRESULT initialized = CoInitialize(nullptr);
    IMalloc* allocator = nullptr;
    IShellLinkA* link = nullptr;
    IPersistFile* file = nullptr;
    BOOL into = FALSE;
    if (SUCCEEDED(SHGetMalloc(&allocator)) &&
        SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&link))) &&
        SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        // The shell link object takes a wide path of at most MAX_PATH characters.
        const auto wide = vpr::locale::ToWide(path);
        LPITEMIDLIST list = nullptr;
        if (wide.size() < MAX_PATH && SUCCEEDED(file->Load(wide.c_str(), 0)) &&
            SUCCEEDED(link->GetIDList(&list)) && list) {
            // A block whose size the allocator cannot tell is not walked.
            const SIZE_T size = allocator->GetSize(list);
            if (size != static_cast<SIZE_T>(-1)) into = ItemKeyFromIdList(list, key, TRUE, size);
            if (!into) key.Empty();
            allocator->Free(list);
            if (into && description) {
                char text[kDescriptionSize] = {};
                if (SUCCEEDED(link->GetDescription(text, kDescriptionSize))) {
                    text[kDescriptionSize - 1] = 0;
                    *description = text;
                }
            }
        }
    }
    ReleaseInterface(file);
    ReleaseInterface(link);
    ReleaseInterface(allocator);
    if (SUCCEEDED(initialized)) CoUninitialize();
    return into;
}
