// A second process of the machine for the shell's tests: asks the running
// shell to load a class, or tells it that the desktop changed.
//   shellclient load {CLSID}     prints the result; exit 0 on S_OK, 1 else
//   shellclient notify-desktop   SHChangeNotify UPDATEDIR of the desktop list
#include <cstdio>
#include <cstring>

#include "shellapi.h"
#include "vpr/com/guid.h"

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "load") == 0) {
        auto clsid = vpr::com::ParseGuid(argv[2]);
        if (!clsid) return 2;
        HRESULT hr = SHLoadInProc(*clsid);
        std::printf("0x%08X\n", static_cast<unsigned>(hr));
        return hr == S_OK ? 0 : 1;
    }
    if (argc == 2 && std::strcmp(argv[1], "notify-desktop") == 0) {
        LPITEMIDLIST desktop = nullptr;
        if (FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOP, &desktop))) return 1;
        SHChangeNotify(SHCNE_UPDATEDIR, SHCNF_IDLIST | SHCNF_FLUSH, desktop, nullptr);
        CoTaskMemFree(desktop);
        return 0;
    }
    return 2;
}
