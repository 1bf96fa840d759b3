// MAPI32.DLL: simple mail over the machine. A sent message is a text file in
// the outbox folder and a journal entry.
#include <atomic>
#include <string>
#include <vector>

#include "mapi.h"
#include "vpr/machine/atomic_file.h"
#include "vpr/machine/machine.h"
#include "vpr/win/path.h"

namespace {

std::atomic<bool> g_forceLogonFailure{false};

struct Note {
    std::vector<std::string> to;
    std::string subject;
    std::string text;
};

std::string Joined(const std::vector<std::string>& names) {
    std::string out;
    for (const auto& n : names) out += (out.empty() ? "" : "; ") + n;
    return out;
}

std::vector<std::string> Split(const std::string& text) {
    std::vector<std::string> out;
    size_t start = 0;
    while (start <= text.size()) {
        size_t cut = text.find(';', start);
        std::string piece = text.substr(start, cut == std::string::npos ? std::string::npos : cut - start);
        size_t first = piece.find_first_not_of(' ');
        size_t last = piece.find_last_not_of(' ');
        if (first != std::string::npos) out.push_back(piece.substr(first, last - first + 1));
        if (cut == std::string::npos) break;
        start = cut + 1;
    }
    return out;
}

std::string WindowText(HWND dialog, int id) {
    char text[4096] = {};
    GetDlgItemTextA(dialog, id, text, sizeof(text));
    return text;
}

INT_PTR CALLBACK SendNoteProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* note = reinterpret_cast<Note*>(lParam);
        SetWindowLongPtrA(dialog, GWLP_USERDATA, lParam);
        SetDlgItemTextA(dialog, IDC_MAPI_TO, Joined(note->to).c_str());
        SetDlgItemTextA(dialog, IDC_MAPI_SUBJECT, note->subject.c_str());
        SetDlgItemTextA(dialog, IDC_MAPI_TEXT, note->text.c_str());
        return TRUE;
    }
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        if (LOWORD(wParam) == IDOK) {
            auto* note = reinterpret_cast<Note*>(GetWindowLongPtrA(dialog, GWLP_USERDATA));
            note->to = Split(WindowText(dialog, IDC_MAPI_TO));
            note->subject = WindowText(dialog, IDC_MAPI_SUBJECT);
            note->text = WindowText(dialog, IDC_MAPI_TEXT);
        }
        EndDialog(dialog, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

// Writes the note into the outbox: MSG0001.TXT, MSG0002.TXT, ...
ULONG Send(const Note& note) {
    for (const auto& name : note.to) {
        if (name.find('@') == std::string::npos) return MAPI_E_UNKNOWN_RECIPIENT;
    }
    auto machine = vpr::machine::CurrentMachine();
    if (!machine) return MAPI_E_FAILURE;
    std::string outbox = machine->windowsDirectory + "\\OUTBOX";
    CreateDirectoryA(outbox.c_str(), nullptr);
    DWORD attributes = GetFileAttributesA(outbox.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return MAPI_E_FAILURE;
    std::string file;
    for (int n = 1;; ++n) {
        char name[32];
        std::snprintf(name, sizeof(name), "\\MSG%04d.TXT", n);
        file = outbox + name;
        if (GetFileAttributesA(file.c_str()) == INVALID_FILE_ATTRIBUTES) break;
    }
    std::string host;
    std::string error;
    std::string content = "To: " + Joined(note.to) + "\r\nSubject: " + note.subject + "\r\n\r\n" + note.text + "\r\n";
    if (!vpr::win::ResolveHostPath(file.c_str(), &host) || !vpr::machine::WriteFileAtomically(host, content, &error)) {
        return MAPI_E_FAILURE;
    }
    vpr::machine::Record("mail", "to " + Joined(note.to) + ": " + note.subject);
    return SUCCESS_SUCCESS;
}

}  // namespace

extern "C" {

ULONG WINAPI MAPISendMail(LHANDLE, ULONG_PTR uiParam, lpMapiMessage message, FLAGS flags, ULONG) {
    if (g_forceLogonFailure) return MAPI_E_LOGON_FAILURE;
    if (!message) return MAPI_E_FAILURE;
    Note note;
    for (ULONG i = 0; i < message->nRecipCount; ++i) {
        const MapiRecipDesc& r = message->lpRecips[i];
        if (r.ulRecipClass == MAPI_ORIG) continue;
        note.to.push_back(r.lpszName ? r.lpszName : r.lpszAddress ? r.lpszAddress : "");
    }
    note.subject = message->lpszSubject ? message->lpszSubject : "";
    note.text = message->lpszNoteText ? message->lpszNoteText : "";
    if (flags & MAPI_DIALOG) {
        INT_PTR pressed = DialogBoxParamA(vpr::win::ThisModule(), MAKEINTRESOURCEA(IDD_MAPI_SENDNOTE),
                                          reinterpret_cast<HWND>(uiParam), SendNoteProc, reinterpret_cast<LPARAM>(&note));
        if (pressed != IDOK) return MAPI_USER_ABORT;
    }
    return Send(note);
}

// For tests: every following send fails as a failed logon would.
void MAPITestForceLogonFailure(BOOL force) { g_forceLogonFailure = force != FALSE; }

}  // extern "C"
