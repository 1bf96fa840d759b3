// The text pass: lines removed from and added to each text file to compare,
// between its copies in the two pictures.
#include <algorithm>
#include <unordered_set>

#include "../core/text.h"
#include "snapshot/engine/definitions.h"
#include "snapshot/engine/engine_ui.h"
#include "snapshot/engine/work_directory.h"
#include "template_run.h"
#include "vpr/locale/locale.h"

namespace snapshot {

namespace {

// Sorted as the wizard's lists sort (without regard to case, then as
// written), each text once.
std::vector<std::string> SortedOnce(std::vector<std::string> texts) {
    std::sort(texts.begin(), texts.end(), [](const std::string& a, const std::string& b) {
        int folded = KMLstricmp(a.c_str(), b.c_str());
        return folded != 0 ? folded < 0 : a < b;
    });
    texts.erase(std::unique(texts.begin(), texts.end()), texts.end());
    return texts;
}

}  // namespace

void CompareTextFiles(TemplateRun& run) {
    std::vector<std::string> files = SortedOnce(ReadSectionKeys(DefaultsFile(run.drive), kTextFilesSection));
    std::vector<std::string> beforeList, afterList;
    ReadTextLines(run.PictureFile(0, "textcomp.txt"), &beforeList);
    ReadTextLines(run.PictureFile(1, "textcomp.txt"), &afterList);
    for (const auto& file : files) {
        // Each file is looked up in the whole of both lists; a file missing
        // from either is passed over, the others are still compared.
        std::string beforeCopy = LookupListValue(beforeList, file);
        std::string afterCopy = LookupListValue(afterList, file);
        if (beforeCopy.empty() || afterCopy.empty()) continue;
        std::vector<std::string> before, after;
        ReadTextLines(run.PictureFile(0, beforeCopy), &before);
        ReadTextLines(run.PictureFile(1, afterCopy), &after);
        std::unordered_set<std::string> beforeSet(before.begin(), before.end());
        std::unordered_set<std::string> afterSet(after.begin(), after.end());
        for (const auto& line : SortedOnce(before))
            if (afterSet.count(line) == 0) run.entries->WriteTextFindEntry(file, line);
        // Added lines keep the order they have in the file, each once.
        std::unordered_set<std::string> added;
        for (const auto& line : after)
            if (beforeSet.count(line) == 0 && added.insert(line).second) run.entries->WriteTextAddEntry(file, line);
    }
}

}  // namespace snapshot
