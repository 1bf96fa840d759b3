// Picture indexes and reading a row's records again.
#include "picture_index.h"

#include <algorithm>

#include "../core/text.h"
#include "snapshot/engine/engine_ui.h"

namespace snapshot {

void PictureIndex::Add(IndexRow row) {
    row.upper = UpperCase(row.text);
    rows.push_back(std::move(row));
}

void PictureIndex::Sort() {
    std::stable_sort(rows.begin(), rows.end(), [](const IndexRow& a, const IndexRow& b) {
        return a.upper != b.upper ? a.upper < b.upper : a.text < b.text;
    });
}

void LoadPictureIndex(PictureReader& reader, PictureIndex* index) {
    std::string header;
    if (reader.ReadHeader(&header)) {
        while (!reader.AtEndOfFile()) {
            ProcessMessages();
            uint32_t tag = 0;
            if (!reader.ReadTag(&tag)) break;
            IndexRow row;
            row.position = reader.Position();
            bool read = true;
            switch (tag) {
            case kTagDirectory:
                read = reader.ReadString(&row.text);
                if (read) index->Add(std::move(row));
                break;
            case kTagFile:
                read = reader.SkipFileRecord();
                break;
            case kTagKey:
                read = reader.ReadKeyRecord(&row.text);
                if (read) index->Add(std::move(row));
                break;
            case kTagValue:
                read = reader.SkipValueRecord();
                break;
            case kTagGroupItem:
                read = reader.ReadGroupItemRecord(&row.item);
                row.text = row.item.group + row.item.text3;
                if (read) index->Add(std::move(row));
                break;
            default:
                read = false;
            }
            if (!read) break;
        }
    }
    index->Sort();
}

std::vector<RowPair> MarkDifferences(PictureIndex& before, PictureIndex& after) {
    std::vector<RowPair> pairs;
    size_t b = 0;
    for (size_t a = 0; a < after.rows.size(); ++a) {
        IndexRow& row = after.rows[a];
        while (b < before.rows.size() && before.rows[b].upper < row.upper) before.rows[b++].deleted = true;
        if (b < before.rows.size() && before.rows[b].upper == row.upper) {
            pairs.push_back({b, a});
            ++b;
        } else {
            row.isNew = true;
        }
    }
    for (; b < before.rows.size(); ++b) before.rows[b].deleted = true;
    return pairs;
}

bool ReadDirectoryFiles(PictureReader& reader, const IndexRow& row, std::vector<FileRecord>* files) {
    files->clear();
    std::string path;
    if (!reader.Seek(row.position) || !reader.ReadString(&path)) return false;
    while (!reader.AtEndOfFile()) {
        uint64_t tagStart = reader.Position();
        uint32_t tag = 0;
        if (!reader.ReadTag(&tag)) return false;
        if (tag != kTagFile) {
            reader.Seek(tagStart);
            break;
        }
        FileRecord record;
        if (!reader.ReadFileRecord(&record)) return false;
        files->push_back(std::move(record));
    }
    return true;
}

bool ReadKeyValues(PictureReader& reader, const IndexRow& row, std::vector<RegValueRecord>* values) {
    values->clear();
    std::string key;
    if (!reader.Seek(row.position) || !reader.ReadKeyRecord(&key)) return false;
    while (!reader.AtEndOfFile()) {
        uint64_t tagStart = reader.Position();
        uint32_t tag = 0;
        if (!reader.ReadTag(&tag)) return false;
        if (tag != kTagValue) {
            reader.Seek(tagStart);
            break;
        }
        RegValueRecord record;
        if (!reader.ReadRegValueRecord(&record)) return false;
        values->push_back(std::move(record));
    }
    return true;
}

}  // namespace snapshot
