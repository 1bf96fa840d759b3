#include "template_reading.h"

#include <cstdio>

#include "template/template_library.h"

namespace snapshot::testing {

namespace {

// Fixed values and counted fields of the kinds the engine writes.
struct Shape {
    int values;
    int fields;
};

Shape ShapeOf(DWORD kind) {
    switch (kind) {
    case 1: return {1, 2};
    case 2: return {1, 1};
    case 3: return {1, 4};
    case 4: return {0, 2};
    case 5: return {2, 3};
    case 6: return {1, 1};
    case 7: return {0, 1};
    case 8: return {1, 0};
    case 10: return {0, 2};
    case 11: return {0, 2};
    case 12: return {1, 3};
    case 18: return {0, 1};
    case 19: return {4, 6};
    default: return {0, 0};
    }
}

std::string Hex(const TemplateField& field) {
    std::string text;
    char byte[4];
    for (DWORD i = 0; i < field.length; ++i) {
        std::snprintf(byte, sizeof byte, "%02X", field.data[i]);
        text += byte;
    }
    return text;
}

}  // namespace

std::vector<std::string> TemplateLines(const std::string& windowsPath) {
    HFILE file = HFILE_ERROR;
    LONG result = kmapptOpen(windowsPath.c_str(), &file);
    if (result != 0) return {"error " + std::to_string(result)};
    EntryList* list = nullptr;
    result = kmapptGetEntries(file, 0, 1, &list);
    kmapptClose(file);
    if (result != 0) return {"error " + std::to_string(result)};
    std::vector<std::string> lines;
    for (EntryList* node = list; node != nullptr; node = node->next) {
        const TemplateEntry& entry = *node->entry;
        Shape shape = ShapeOf(entry.kind);
        std::string line = std::to_string(entry.kind) + "." + std::to_string(entry.subtype);
        for (int v = 0; v < shape.values; ++v) line += "|" + std::to_string(entry.values[v]);
        for (int f = 0; f < shape.fields; ++f) {
            const TemplateField& field = entry.fields[f];
            // Registry data of types other than String and Default in hex; a
            // string's terminator is left out.
            if (entry.kind == 5 && f == 2 && entry.values[1] != 2 && entry.values[1] != 4) {
                line += "|" + Hex(field) + " (" + std::to_string(field.length) + ")";
            } else if (entry.kind == 5 && f == 2) {
                std::string text(reinterpret_cast<const char*>(field.data), field.length);
                line += "|" + text.substr(0, text.find('\0')) + " (" + std::to_string(field.length) + ")";
            } else {
                line += "|" + std::string(reinterpret_cast<const char*>(field.data), field.length);
            }
        }
        lines.push_back(line);
    }
    kmapptFreeEntries(list);
    return lines;
}

}  // namespace snapshot::testing
