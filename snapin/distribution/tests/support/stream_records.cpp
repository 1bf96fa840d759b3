#include "stream_records.h"

#include <cstdio>
#include <filesystem>

#include <stdlib.h>

#include "qmtdump/template_text_writer.h"
#include "template/template_library.h"

namespace vpr::testing {
namespace {

// One record in the text form, its trailing line break dropped.
std::string RecordText(const TemplateEntry& entry) {
    char* buffer = nullptr;
    size_t size = 0;
    FILE* text = open_memstream(&buffer, &size);
    FILE* console = std::fopen("/dev/null", "w");
    TemplateTextWriter writer(text, console);
    writer.SetRandomSource([] { return 0x1234u; });
    // Side files go to a folder of this call's own, so that no earlier run's
    // files or a test running beside this one change the names drawn.
    std::string folder = (std::filesystem::temp_directory_path() / "vpr-records-XXXXXX").string();
    bool made = ::mkdtemp(folder.data()) != nullptr;
    writer.SetSideFileFolder(made ? folder : std::filesystem::temp_directory_path().string());
    writer.WriteEntry(entry);
    if (made) std::filesystem::remove_all(folder);
    std::fclose(text);
    std::fclose(console);
    std::string record(buffer, size);
    std::free(buffer);
    while (!record.empty() && (record.back() == '\n' || record.back() == '\r')) record.pop_back();
    return record;
}

}  // namespace

std::vector<std::string> TemplateRecords(HFILE file) {
    std::vector<std::string> records;
    EntryList* list = nullptr;
    LONG result = kmapptGetEntries(file, 0, 1, &list);
    if (result != 0) return {"error " + std::to_string(result)};
    for (EntryList* node = list; node; node = node->next) records.push_back(RecordText(*node->entry));
    kmapptFreeEntries(list);
    return records;
}

std::vector<std::string> TemplateFileRecords(const std::string& path) {
    HFILE file = HFILE_ERROR;
    LONG result = kmapptOpen(path.c_str(), &file);
    if (result != 0) return {"error " + std::to_string(result)};
    std::vector<std::string> records = TemplateRecords(file);
    kmapptClose(file);
    return records;
}

std::vector<std::string> StreamRecords(DIR_CONTEXT context, const std::string& object, const std::string& attribute) {
    HFILE file = HFILE_ERROR;
    if (DirOpenStreamAttribute(context, object.c_str(), attribute.c_str(), DIR_STREAM_READ, &file) != 0) return {};
    std::vector<std::string> records = TemplateRecords(file);
    _lclose(file);
    return records;
}

}  // namespace vpr::testing
