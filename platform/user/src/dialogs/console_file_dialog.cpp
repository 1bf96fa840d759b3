#include "console_file_dialog.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include "file_dialog.h"

namespace vpr::user {
namespace {

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
    return FileNameRefusal(ofn, name);
}

}  // namespace

bool AskOpenFileNameOnConsole(OPENFILENAMEA* ofn, FILE* in, FILE* out) {
    const char* title = ofn->lpstrTitle != nullptr ? ofn->lpstrTitle : "Open";
    std::vector<FileFilter> filters = FileFilters(*ofn);
    if (!filters.empty()) {
        std::fprintf(out, "%s - %s\n", title, filters[ShownFilter(*ofn, filters.size())].description.c_str());
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
        AcceptFileName(ofn, name);
        return true;
    }
}

}  // namespace vpr::user
