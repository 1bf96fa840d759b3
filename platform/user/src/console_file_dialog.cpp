#include "console_file_dialog.h"

#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "vpr/locale/locale.h"
#include "vpr/win/path.h"

namespace vpr::user {
namespace {

// The description of the filter pair the dialog shows first, or NULL.
const char* ShownFilterDescription(const OPENFILENAMEA& ofn) {
    if (ofn.lpstrFilter == nullptr || *ofn.lpstrFilter == '\0') return nullptr;
    DWORD index = ofn.nFilterIndex == 0 ? 1 : ofn.nFilterIndex;
    const char* pair = ofn.lpstrFilter;
    for (DWORD i = 1; i < index; ++i) {
        const char* pattern = pair + std::strlen(pair) + 1;
        const char* next = pattern + std::strlen(pattern) + 1;
        if (*next == '\0') break;  // index past the last pair: show the last
        pair = next;
    }
    return pair;
}

// Offset of the name part: just after the last '\' or '/'.
size_t NameOffset(const char* path) {
    const char* back = KMLstrrchr(path, '\\');
    const char* slash = KMLstrrchr(path, '/');
    const char* last = back > slash ? back : slash;
    return last == nullptr ? 0 : static_cast<size_t>(last - path) + 1;
}

bool IsFile(const std::string& name) {
    std::string host;
    struct stat info {};
    return win::ResolveHostPath(name.c_str(), &host) && ::stat(host.c_str(), &info) == 0 &&
           !S_ISDIR(info.st_mode);
}

bool IsDirectory(const std::string& name) {
    std::string host;
    struct stat info {};
    return win::ResolveHostPath(name.c_str(), &host) && ::stat(host.c_str(), &info) == 0 &&
           S_ISDIR(info.st_mode);
}

// Reads one line without its line end; false at the end of input.
bool ReadLine(FILE* in, std::string* line) {
    char* buffer = nullptr;
    size_t capacity = 0;
    ssize_t length = ::getline(&buffer, &capacity, in);
    if (length < 0) {
        std::free(buffer);
        return false;
    }
    line->assign(buffer, static_cast<size_t>(length));
    std::free(buffer);
    while (!line->empty() && (line->back() == '\n' || line->back() == '\r')) line->pop_back();
    return true;
}

// Why a name cannot be accepted, or NULL when it can.
const char* Refusal(const OPENFILENAMEA& ofn, const std::string& name) {
    if (name.size() >= ofn.nMaxFile) return "The file name is too long.";
    if (ofn.Flags & OFN_FILEMUSTEXIST) {
        if (!IsFile(name)) return "File not found. Check the file name and try again.";
    } else if (ofn.Flags & OFN_PATHMUSTEXIST) {
        size_t offset = NameOffset(name.c_str());
        if (offset > 0 && !IsDirectory(name.substr(0, offset))) {
            return "The folder does not exist. Check the path and try again.";
        }
    }
    return nullptr;
}

void Accept(OPENFILENAMEA* ofn, const std::string& name) {
    std::memcpy(ofn->lpstrFile, name.c_str(), name.size() + 1);
    size_t offset = NameOffset(ofn->lpstrFile);
    const char* dot = KMLstrrchr(ofn->lpstrFile + offset, '.');
    ofn->nFileOffset = static_cast<WORD>(offset);
    ofn->nFileExtension = dot == nullptr ? 0 : static_cast<WORD>(dot - ofn->lpstrFile + 1);
    if (ofn->lpstrFileTitle != nullptr && ofn->nMaxFileTitle > 0) {
        std::strncpy(ofn->lpstrFileTitle, ofn->lpstrFile + offset, ofn->nMaxFileTitle - 1);
        ofn->lpstrFileTitle[ofn->nMaxFileTitle - 1] = '\0';
    }
}

}  // namespace

bool AskOpenFileNameOnConsole(OPENFILENAMEA* ofn, FILE* in, FILE* out) {
    const char* title = ofn->lpstrTitle != nullptr ? ofn->lpstrTitle : "Open";
    const char* filter = ShownFilterDescription(*ofn);
    if (filter != nullptr) {
        std::fprintf(out, "%s - %s\n", title, filter);
    } else {
        std::fprintf(out, "%s\n", title);
    }
    for (;;) {
        std::fputs("File name (empty to cancel): ", out);
        std::fflush(out);
        std::string name;
        if (!ReadLine(in, &name) || name.empty()) return false;
        if (const char* refusal = Refusal(*ofn, name)) {
            std::fprintf(out, "%s\n%s\n", name.c_str(), refusal);
            continue;
        }
        Accept(ofn, name);
        return true;
    }
}

}  // namespace vpr::user
