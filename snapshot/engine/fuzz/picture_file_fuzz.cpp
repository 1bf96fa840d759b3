// Fuzz target of the picture readers: the input is a picture file
// (files.txt, registry.txt or groups.bin). It is printed as `imprxcmd print`
// prints it, indexed as the template passes index it, and every row's files
// or values are read again as the file and registry passes read them; an
// index compared with itself must pair every row.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz_kit.h"
#include "picture/picture_file.h"
#include "picture/picture_index.h"
#include "snapshot/engine/picture_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Code page 932: names whose trail bytes look like '\' or ']'.
    vpr::fuzz::UseFuzzMachine(932);
    std::string path = vpr::fuzz::WriteInputFile(data, size);

    std::vector<std::string> lines;
    snapshot::PictureText(path, &lines);

    snapshot::PictureReader reader;
    if (!reader.Open(path)) std::abort();
    snapshot::PictureIndex index;
    snapshot::LoadPictureIndex(reader, &index);
    for (const snapshot::IndexRow& row : index.rows) {
        std::vector<snapshot::FileRecord> files;
        std::vector<snapshot::RegValueRecord> values;
        snapshot::ReadDirectoryFiles(reader, row, &files);
        snapshot::ReadKeyValues(reader, row, &values);
    }
    snapshot::PictureIndex same = index;
    if (snapshot::MarkDifferences(same, index).size() != index.rows.size()) {
        std::fprintf(stderr, "an index compared with itself does not pair every row\n");
        std::abort();
    }
    return 0;
}
