// The index of a picture file: one row per directory record (files.txt), key
// record (registry.txt) or program-group item (groups.bin), sorted by its
// text in locale upper case. A row keeps the position just behind its tag,
// from which the record's files or values are read again.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "picture_file.h"

namespace snapshot {

struct IndexRow {
    std::string text;   // the path, the key, or group name + item string 3
    std::string upper;  // the text in locale upper case: the sort key
    uint64_t position = 0;
    bool isNew = false;
    bool deleted = false;
    GroupItem item;  // groups.bin only
};

class PictureIndex {
public:
    std::vector<IndexRow> rows;

    void Add(IndexRow row);
    // Sorts the rows (locale upper case, then as written).
    void Sort();
};

// Reads the picture from its start and indexes it. A read error ends the
// reading silently; the rows read so far stand.
void LoadPictureIndex(PictureReader& reader, PictureIndex* index);

// Marks the rows found only in `after` new and those only in `before`
// deleted (both sorted; texts compared in locale upper case) and gives the
// pairs found in both, in index order.
struct RowPair {
    size_t before;
    size_t after;
};
std::vector<RowPair> MarkDifferences(PictureIndex& before, PictureIndex& after);

// Reads the file records of a directory row: the directory record again,
// then every following file record.
bool ReadDirectoryFiles(PictureReader& reader, const IndexRow& row, std::vector<FileRecord>* files);
// Reads the value records of a key row.
bool ReadKeyValues(PictureReader& reader, const IndexRow& row, std::vector<RegValueRecord>* values);

}  // namespace snapshot
