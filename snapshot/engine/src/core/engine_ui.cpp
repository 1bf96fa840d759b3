// Texts, status, progress, message boxes, the copy error dialog and the stop.
#include "snapshot/engine/engine_ui.h"

#include <cstdlib>
#include <cstring>

#include "snapshot/engine/engine_resource.h"
#include "snapshot/engine/engine_settings.h"
#include "text.h"

namespace snapshot {

namespace {

ProgramStop g_stop;

constexpr size_t kCopyErrorTextLimit = 500;

INT_PTR CALLBACK CopyErrorProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        SetWindowTextA(dialog, LoadResString(kStrCaption).c_str());
        SetDlgItemTextA(dialog, IDC_IMPRX_COPY_ERROR_TEXT, reinterpret_cast<const char*>(lParam));
        SendDlgItemMessageA(dialog, IDC_IMPRX_COPY_ERROR_ICON, STM_SETICON,
                            reinterpret_cast<WPARAM>(LoadIconA(nullptr, IDI_HAND)), 0);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDRETRY || LOWORD(wParam) == IDIGNORE) {
            EndDialog(dialog, LOWORD(wParam));
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

}  // namespace

std::string LoadResString(UINT id) {
    char buffer[256];
    std::memset(buffer, 0, sizeof buffer);
    int length = LoadStringA(Settings().resourceModule, id, buffer, sizeof buffer);
    return length > 0 ? std::string(buffer, static_cast<size_t>(length)) : std::string();
}

void ProcessMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // Leave the end of the message loop to the program's own loop.
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

void ShowStatus(const std::string& text) {
    if (Settings().statusLabel) Settings().statusLabel(text);
}

void Report(IMPRXPROGRESS progress, const std::string& text) {
    if (progress != nullptr) progress(text.c_str());
}

int ShowMessage(UINT textId, UINT captionId, UINT type) {
    return MessageBoxA(nullptr, LoadResString(textId).c_str(), LoadResString(captionId).c_str(), type);
}

void SetProgramStop(ProgramStop stop) { g_stop = std::move(stop); }

void StopProgram(UINT stringId) {
    if (g_stop) g_stop(stringId);
    else ShowMessage(stringId, kStrCaption, MB_OK | MB_ICONERROR);
    std::exit(1);
}

bool CopyFileWithRetry(const std::string& source, const std::string& destination) {
    while (!CopyFileA(source.c_str(), destination.c_str(), FALSE)) {
        std::string text = LoadResString(kStrCopyError) + LoadResString(kStrCopySource) + source + "." +
                           LoadResString(kStrCopyDestination) + destination + "." +
                           LoadResString(kStrCopyRetryIgnore);
        text = CutAtCharacter(text, kCopyErrorTextLimit);
        INT_PTR answer = DialogBoxParamA(Settings().resourceModule, MAKEINTRESOURCEA(IDD_IMPRX_COPY_ERROR), nullptr,
                                         CopyErrorProc, reinterpret_cast<LPARAM>(text.c_str()));
        if (answer != IDRETRY) return false;
    }
    return true;
}

}  // namespace snapshot
