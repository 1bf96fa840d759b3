// The registry pass: removed keys, new keys with their values, then the
// values of the keys in both pictures. Use counts of shared files
// (SharedDLLs) go to the logs instead of the template.
#include <algorithm>
#include <unordered_set>

#include "../core/text.h"
#include "../picture/picture_index.h"
#include "../picture/registry_picture.h"
#include "snapshot/engine/definitions.h"
#include "snapshot/engine/engine_ui.h"
#include "snapshot/engine/work_directory.h"
#include "template_run.h"

namespace snapshot {

namespace {

constexpr const char* kSharedDllsKey = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";

bool IsSharedDllsKey(const std::string& key) { return UpperCase(key).rfind(UpperCase(kSharedDllsKey), 0) == 0; }

// The use count of a SharedDLLs value: its first 32 bits, signed; data
// shorter than that counts 0.
int32_t UseCount(const RegValueRecord& value) {
    if (value.data.size() < 4) return 0;
    return static_cast<int32_t>(static_cast<uint32_t>(value.data[0]) | static_cast<uint32_t>(value.data[1]) << 8 |
                                static_cast<uint32_t>(value.data[2]) << 16 |
                                static_cast<uint32_t>(value.data[3]) << 24);
}

class RegistryPass {
public:
    explicit RegistryPass(TemplateRun& run) : run_(run) {
        for (const auto& drive : ReadSectionKeys(DefaultsFile(run.drive), kDrivesSection))
            drives_.insert(UpperCase(drive));
    }

    void Run();

private:
    void WriteValue(const std::string& key, const RegValueRecord& value);
    void CompareRegistry(const std::string& key, std::vector<RegValueRecord>& before,
                         std::vector<RegValueRecord>& after);
    void LogSharedFile(TextFileWriter& log, const std::string& path);

    TemplateRun& run_;
    std::unordered_set<std::string> drives_;
};

void RegistryPass::Run() {
    ShowStatus(LoadResString(kStrRegistryDifferences));
    PictureIndex before, after;
    LoadPictureIndex(run_.registryBefore, &before);
    LoadPictureIndex(run_.registryAfter, &after);
    std::vector<RowPair> common = MarkDifferences(before, after);
    for (const auto& row : before.rows)
        if (row.deleted) run_.entries->WriteRegKeyDeleteEntry(row.text);
    std::vector<RegValueRecord> values, beforeValues;
    for (const auto& row : after.rows) {
        if (!row.isNew) continue;
        ProcessMessages();
        run_.entries->WriteRegKeyCreateEntry(row.text);
        ReadKeyValues(run_.registryAfter, row, &values);
        for (const auto& value : values) WriteValue(row.text, value);
    }
    for (const auto& pair : common) {
        ProcessMessages();
        const std::string& key = after.rows[pair.after].text;
        ShowStatus(LoadResString(kStrComparing) + " " + key);
        ReadKeyValues(run_.registryBefore, before.rows[pair.before], &beforeValues);
        ReadKeyValues(run_.registryAfter, after.rows[pair.after], &values);
        CompareRegistry(key, beforeValues, values);
    }
}

// A multi-string too large to picture has no data in either picture: an
// entry for it would write an empty value over the workstation's, so it gets
// none, and the progress says so.
void RegistryPass::WriteValue(const std::string& key, const RegValueRecord& value) {
    if (value.type == REG_MULTI_SZ && value.data.empty()) {
        Report(run_.progress, LoadResString(kStrValueLeftOut) + key + "\\" + value.name);
        return;
    }
    run_.entries->WriteRegValueEntry(value.type, key, value.data, value.name);
}

void RegistryPass::LogSharedFile(TextFileWriter& log, const std::string& path) {
    std::string drive = CutAtCharacter(path, 1) + ":";
    if (drives_.count(UpperCase(drive)) != 0) TemplateRun::WriteLog(log, path);
}

// Value names are matched without regard to case, as the registry matches them.
void RegistryPass::CompareRegistry(const std::string& key, std::vector<RegValueRecord>& before,
                                   std::vector<RegValueRecord>& after) {
    auto byName = [](const RegValueRecord& a, const RegValueRecord& b) {
        return UpperCase(a.name) < UpperCase(b.name);
    };
    std::stable_sort(before.begin(), before.end(), byName);
    std::stable_sort(after.begin(), after.end(), byName);
    bool shared = IsSharedDllsKey(key);
    std::vector<bool> matched(before.size(), false);
    size_t b = 0;
    for (const auto& value : after) {
        std::string name = UpperCase(value.name);
        while (b < before.size() && UpperCase(before[b].name) < name) ++b;
        const RegValueRecord* old = nullptr;
        if (b < before.size() && UpperCase(before[b].name) == name) {
            matched[b] = true;
            old = &before[b++];
        }
        if (old != nullptr && old->data == value.data) continue;
        if (!shared) WriteValue(key, value);
        else if (old != nullptr && UseCount(value) < UseCount(*old)) LogSharedFile(run_.sharedDeleted, value.name);
        else LogSharedFile(run_.sharedNew, value.name);
    }
    for (size_t i = 0; i < before.size(); ++i) {
        if (matched[i]) continue;
        if (!shared) run_.entries->WriteRegValueDeleteEntry(key, before[i].name);
        else LogSharedFile(run_.sharedDeleted, before[i].name);
    }
}

}  // namespace

void CompareRegistryPictures(TemplateRun& run) { RegistryPass(run).Run(); }

}  // namespace snapshot
