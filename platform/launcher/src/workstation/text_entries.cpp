// Line additions and find edits of "App:Text Files".
#include <string>
#include <vector>

#include "distributor.h"
#include "text_file.h"

namespace vpr::launcher {

namespace {

constexpr DWORD kAtBeginning = 1;
constexpr DWORD kReplace = 1;
constexpr DWORD kMatchExact = 0x80;

// Replaces (or with an empty replacement in delete mode, removes) every
// occurrence of `find` in the line.
std::string ReplaceAll(const std::string& line, const std::string& find, const std::string& replacement) {
    std::string out;
    size_t start = 0;
    for (size_t at; (at = line.find(find, start)) != std::string::npos; start = at + find.size())
        out += line.substr(start, at - start) + replacement;
    return out + line.substr(start);
}

}  // namespace

bool Distributor::ApplyTextFiles(const std::vector<TemplateEntry*>& entries) {
    for (const TemplateEntry* entry : entries) {
        if (entry->kind != TEMPLATE_KIND_TEXT_ADD && entry->kind != TEMPLATE_KIND_TEXT_FIND) continue;
        std::string file = Text(*entry, 0);
        std::vector<std::string> lines;
        if (!ReadTextLines(file, &lines) && GetLastError() != ERROR_FILE_NOT_FOUND)
            return Fail(KMAPP_LAUNCH_TEXT_FAILED, GetLastError(), file);
        bool changed = false;
        if (entry->kind == TEMPLATE_KIND_TEXT_ADD) {
            std::string text = Text(*entry, 1);
            // A line the file holds already is not added again.
            bool present = false;
            for (const std::string& line : lines) present = present || line == text;
            if (!present) {
                lines.insert(entry->subtype == kAtBeginning ? lines.begin() : lines.end(), text);
                changed = true;
            }
        } else {
            std::string find = Text(*entry, 1);
            if (find.empty()) return Fail(KMAPP_LAUNCH_TEXT_FAILED, ERROR_INVALID_DATA, file);
            std::string replacement = entry->subtype == kReplace ? Text(*entry, 2) : "";
            std::vector<std::string> edited;
            for (const std::string& line : lines) {
                if (entry->values[0] & kMatchExact) {
                    if (line != find) {
                        edited.push_back(line);
                    } else if (entry->subtype == kReplace) {
                        edited.push_back(replacement);
                    }
                } else {
                    edited.push_back(ReplaceAll(line, find, replacement));
                }
            }
            changed = edited != lines;
            lines = std::move(edited);
        }
        if (changed && !WriteTextLines(file, lines)) return Fail(KMAPP_LAUNCH_TEXT_FAILED, GetLastError(), file);
    }
    return true;
}

}  // namespace vpr::launcher
