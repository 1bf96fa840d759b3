// The template writer library KMQMT32.DLL, bound by name when the engine
// starts: the template entry points the engine writes with, the
// workstation's desktop and Start Menu directories, its program groups and
// the reading of shortcut files.
#pragma once

#include <string>

#include "kmqmt32.h"
#include "template/template_library.h"
#include "windows.h"

namespace snapshot {

// The group list and the shortcut block as the library hands them back.
using GroupNode = KMAPP_GROUP;
using GroupItemNode = KMAPP_GROUP_ITEM;
using ShortcutBlock = KMAPP_SHELL_LINK_INFO;

struct TemplateWriterLibrary {
    HMODULE module = nullptr;

    decltype(&kmapptCreate) Create = nullptr;
    decltype(&kmapptClose) Close = nullptr;
    decltype(&kmapptWriteFileEntry) WriteFileEntry = nullptr;
    decltype(&kmapptWriteDirEntry) WriteDirEntry = nullptr;
    decltype(&kmapptWriteIdentEntry) WriteIdentEntry = nullptr;
    decltype(&kmapptWriteSectionEntry) WriteSectionEntry = nullptr;
    decltype(&kmapptWriteValueEntry) WriteValueEntry = nullptr;
    decltype(&kmapptWriteKeyEntry) WriteKeyEntry = nullptr;
    decltype(&kmapptWriteBaseString) WriteBaseString = nullptr;
    decltype(&kmapptWriteBaseValue) WriteBaseValue = nullptr;
    decltype(&kmapptWriteMacroEntry) WriteMacroEntry = nullptr;
    decltype(&kmapptWriteTextAddEntry) WriteTextAddEntry = nullptr;
    decltype(&kmapptWriteTextFindEntry) WriteTextFindEntry = nullptr;
    decltype(&kmapptWriteUserIconEntry) WriteUserIconEntry = nullptr;
    decltype(&kmapptGetEnv) GetEnv = nullptr;

    // Each fills a 255-byte buffer with a directory.
    using DirectoryCall = BOOL (*)(LPSTR directory);
    DirectoryCall GetWinDesktopDir = nullptr;
    DirectoryCall GetCommonWinDesktopDir = nullptr;
    DirectoryCall GetStartMenuDir = nullptr;
    DirectoryCall GetCommonStartMenuDir = nullptr;

    // The program groups with their items, and what a shortcut holds.
    GroupNode* (*GetGroupList)() = nullptr;
    void (*FreeGetGroupList)(GroupNode* head) = nullptr;
    LONG (*GetShellLinkInfo)(LPCSTR linkPath, ShortcutBlock* block) = nullptr;
};

// Size of the buffers the directory calls fill, terminator included.
constexpr size_t kDirectoryBufferSize = 255;

// Loads the library and looks up every entry point; false with `error`
// naming what is missing (nothing stays loaded then).
bool BindTemplateWriterLibrary(TemplateWriterLibrary* library, std::string* error);
void FreeTemplateWriterLibrary(TemplateWriterLibrary* library);

// The library the engine started with.
const TemplateWriterLibrary& WriterLibrary();

// Asks one directory call into a zeroed buffer whose last byte always stays
// the terminator, whatever the call writes.
std::string AskDirectory(TemplateWriterLibrary::DirectoryCall call);

}  // namespace snapshot
