// The program-group pass (platforms with Program Manager groups): items
// added or changed, then items removed, matched by group and item name.
#include "../core/text.h"
#include "../picture/picture_index.h"
#include "template_run.h"

namespace snapshot {

namespace {

bool SameItem(const GroupItem& a, const GroupItem& b) {
    return UpperCase(a.group) == UpperCase(b.group) && UpperCase(a.text3) == UpperCase(b.text3);
}

bool SameFields(const GroupItem& a, const GroupItem& b) {
    return a.text1 == b.text1 && a.text2 == b.text2 && a.text4 == b.text4 && a.text5 == b.text5 &&
           a.integer1 == b.integer1 && a.integer2 == b.integer2;
}

}  // namespace

void CompareIconGroups(TemplateRun& run) {
    PictureIndex before, after;
    LoadPictureIndex(run.groupsBefore, &before);
    LoadPictureIndex(run.groupsAfter, &after);
    std::vector<bool> kept(before.rows.size(), false);
    std::vector<const GroupItem*> partner(after.rows.size(), nullptr);
    for (const auto& pair : MarkDifferences(before, after)) {
        // Group and name joined alike by chance are no match.
        if (!SameItem(before.rows[pair.before].item, after.rows[pair.after].item)) continue;
        kept[pair.before] = true;
        partner[pair.after] = &before.rows[pair.before].item;
    }
    for (size_t a = 0; a < after.rows.size(); ++a)
        if (partner[a] == nullptr || !SameFields(*partner[a], after.rows[a].item))
            run.entries->WritePMAddItemEntry(after.rows[a].item);
    for (size_t b = 0; b < before.rows.size(); ++b)
        if (!kept[b]) run.entries->WritePMDeleteItemEntry(before.rows[b].item);
}

}  // namespace snapshot
