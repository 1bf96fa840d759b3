// Modules and resources: LoadLibrary, GetProcAddress, FindResource, LoadString.
//
// A module is an ELF shared object under its Windows file name (VPRADM32.DLL),
// or a resource-only library: a bare resource container, loaded as a data
// module whose handle serves only the resource functions. Every module file
// carries its resources in the container of docs/resource_format.md; the
// program's own file carries one too.
#pragma once

#include "vpr/win/types.h"

#define MAKEINTRESOURCEA(i) ((LPSTR)((ULONG_PTR)((WORD)(i))))
#define MAKEINTRESOURCE MAKEINTRESOURCEA
#define IS_INTRESOURCE(r) ((((ULONG_PTR)(r)) >> 16) == 0)

#define RT_CURSOR MAKEINTRESOURCEA(1)
#define RT_BITMAP MAKEINTRESOURCEA(2)
#define RT_ICON MAKEINTRESOURCEA(3)
#define RT_MENU MAKEINTRESOURCEA(4)
#define RT_DIALOG MAKEINTRESOURCEA(5)
#define RT_STRING MAKEINTRESOURCEA(6)
#define RT_ACCELERATOR MAKEINTRESOURCEA(9)
#define RT_RCDATA MAKEINTRESOURCEA(10)
#define RT_GROUP_CURSOR MAKEINTRESOURCEA(12)
#define RT_GROUP_ICON MAKEINTRESOURCEA(14)
#define RT_VERSION MAKEINTRESOURCEA(16)

// Exports a C function of a module under a name that is not a C identifier,
// such as "CApplication::CallBack", so that GetProcAddress finds it by that
// exact text:
//   extern "C" long ApplicationCallBack(...) VPR_EXPORT_AS("CApplication::CallBack");
#define VPR_EXPORT_AS(name) __asm__("\"" name "\"")

// A module's entry point: an export named DllMain,
//   extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID);
// LoadLibraryA calls it with DLL_PROCESS_ATTACH when it loads the module (an
// answer of FALSE refuses the load: the module is told DLL_PROCESS_DETACH,
// unloaded, and LoadLibraryA fails with ERROR_DLL_INIT_FAILED), FreeLibrary
// with DLL_PROCESS_DETACH before it unloads the module. Entry points run one
// at a time under the loader lock. Threads are not announced.
#define DLL_PROCESS_DETACH 0
#define DLL_PROCESS_ATTACH 1

extern "C" {
HMODULE WINAPI LoadLibraryA(LPCSTR lpLibFileName);
BOOL WINAPI FreeLibrary(HMODULE hLibModule);
FARPROC WINAPI GetProcAddress(HMODULE hModule, LPCSTR lpProcName);
HMODULE WINAPI GetModuleHandleA(LPCSTR lpModuleName);
DWORD WINAPI GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize);

HRSRC WINAPI FindResourceA(HMODULE hModule, LPCSTR lpName, LPCSTR lpType);
HGLOBAL WINAPI LoadResource(HMODULE hModule, HRSRC hResInfo);
DWORD WINAPI SizeofResource(HMODULE hModule, HRSRC hResInfo);
LPVOID WINAPI LockResource(HGLOBAL hResData);
BOOL WINAPI FreeResource(HGLOBAL hResData);
int WINAPI LoadStringA(HINSTANCE hInstance, UINT uID, LPSTR lpBuffer, int cchBufferMax);
}

namespace vpr::win {

// The module whose file holds the given code or data address (the program,
// a loaded module or a library linked at start); null when none does.
HMODULE ModuleFromAddress(const void* address);

// The module that calls this: each module compiles its own copy, so the
// marker's address lies in the caller's own file.
static inline HMODULE ThisModule() {
    static const char marker = 0;
    return ModuleFromAddress(&marker);
}

}  // namespace vpr::win
