#include "snapshot/engine/picture_text.h"

#include <cstdio>

#include "picture_file.h"

namespace snapshot {

namespace {

// A packed DOS date and time (date in the high word).
std::string DosTimeText(uint32_t stamp) {
    unsigned date = stamp >> 16, time = stamp & 0xFFFF;
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", 1980 + (date >> 9), (date >> 5) & 0xF,
                  date & 0x1F, time >> 11, (time >> 5) & 0x3F, (time & 0x1F) * 2);
    return text;
}

std::string HexText(const std::vector<uint8_t>& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (uint8_t byte : bytes) {
        text += digits[byte >> 4];
        text += digits[byte & 0xF];
    }
    return text;
}

std::string Join(std::initializer_list<std::string> fields) {
    std::string line;
    for (const auto& field : fields) line += (line.empty() ? "" : "\t") + field;
    return line;
}

}  // namespace

bool PictureText(const std::string& path, std::vector<std::string>* lines) {
    lines->clear();
    PictureReader reader;
    if (!reader.Open(path)) return false;
    std::string header;
    if (!reader.ReadHeader(&header)) {
        lines->push_back(Join({"error", "damaged record at offset 0"}));
        return false;
    }
    lines->push_back(Join({"header", header}));
    while (!reader.AtEndOfFile()) {
        uint64_t offset = reader.Position();
        uint32_t tag = 0;
        std::string text;
        FileRecord file;
        RegValueRecord value;
        GroupItem item;
        bool read = reader.ReadTag(&tag);
        if (read && tag == kTagDirectory && (read = reader.ReadString(&text))) {
            lines->push_back(Join({"directory", text}));
        } else if (read && tag == kTagFile && (read = reader.ReadFileRecord(&file))) {
            lines->push_back(Join({"file", file.name, std::to_string(file.size), DosTimeText(file.time)}));
        } else if (read && tag == kTagKey && (read = reader.ReadKeyRecord(&text))) {
            lines->push_back(Join({"key", text}));
        } else if (read && tag == kTagValue && (read = reader.ReadRegValueRecord(&value))) {
            lines->push_back(Join({"value", value.name, std::to_string(value.type), std::to_string(value.data.size()),
                                   HexText(value.data)}));
        } else if (read && tag == kTagGroupItem && (read = reader.ReadGroupItemRecord(&item))) {
            lines->push_back(Join({"item", item.group, item.text1, item.text2, item.text3, item.text4,
                                   std::to_string(item.integer1), item.text5, std::to_string(item.integer2)}));
        } else {
            read = false;
        }
        if (!read) {
            lines->push_back(Join({"error", "damaged record at offset " + std::to_string(offset)}));
            return false;
        }
    }
    return true;
}

}  // namespace snapshot
