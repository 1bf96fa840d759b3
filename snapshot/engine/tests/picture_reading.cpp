#include "picture_reading.h"

#include "picture/picture_file.h"

namespace snapshot::testing {

std::vector<std::string> PictureRecords(const std::string& windowsPath) {
    std::vector<std::string> lines;
    PictureReader reader;
    std::string header;
    if (!reader.Open(windowsPath) || !reader.ReadHeader(&header)) return {"error"};
    while (!reader.AtEndOfFile()) {
        uint32_t tag = 0;
        std::string text;
        FileRecord file;
        RegValueRecord value;
        GroupItem item;
        bool read = reader.ReadTag(&tag);
        if (read && tag == kTagDirectory && (read = reader.ReadString(&text))) lines.push_back("dir " + text);
        else if (read && tag == kTagFile && (read = reader.ReadFileRecord(&file)))
            lines.push_back("file " + file.name + " " + std::to_string(file.size));
        else if (read && tag == kTagKey && (read = reader.ReadKeyRecord(&text))) lines.push_back("key " + text);
        else if (read && tag == kTagValue && (read = reader.ReadRegValueRecord(&value)))
            lines.push_back("value " + value.name + " " + std::to_string(value.type) + " " +
                            std::to_string(value.data.size()));
        else if (read && tag == kTagGroupItem && (read = reader.ReadGroupItemRecord(&item)))
            lines.push_back("item " + item.group + "|" + item.text3);
        else read = false;
        if (!read) {
            lines.push_back("error");
            break;
        }
    }
    return lines;
}

}  // namespace snapshot::testing
