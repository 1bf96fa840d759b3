// The ini pass: each changed or new ini file of inimod.txt is compared
// section by section between its copies in the two pictures.
#include <unordered_set>

#include "../core/text.h"
#include "ini_sections.h"
#include "snapshot/engine/engine_ui.h"
#include "template_run.h"

namespace snapshot {

namespace {

class IniPass {
public:
    explicit IniPass(TemplateRun& run) : run_(run) {
        ReadTextLines(run.PictureFile(0, "inifiles.txt"), &beforeList_);
        ReadTextLines(run.PictureFile(1, "inifiles.txt"), &afterList_);
    }

    void Run();

private:
    void CompareIniFile(const std::string& path);
    void CompareIniSection(const std::string& path, const std::string& section, const std::vector<std::string>& before,
                           const std::vector<std::string>& after);
    void WriteCreate(const std::string& path, const std::string& section, const std::string& line);

    TemplateRun& run_;
    std::vector<std::string> beforeList_, afterList_;
};

void IniPass::Run() {
    ShowStatus(LoadResString(kStrIniDifferences));
    std::vector<std::string> changed;
    ReadTextLines(run_.WorkFile("inimod.txt"), &changed);
    // A path listed twice (a rerun, or new and changed) is compared once.
    std::unordered_set<std::string> compared;
    for (const auto& path : changed)
        if (compared.insert(UpperCase(path)).second) CompareIniFile(path);
}

void IniPass::WriteCreate(const std::string& path, const std::string& section, const std::string& line) {
    run_.entries->WriteIniIdentCreateEntry(path, section, KeyOfLine(line), ValueOfLine(line));
}

void IniPass::CompareIniFile(const std::string& path) {
    std::string beforeCopy = LookupListValue(beforeList_, path);
    std::string afterCopy = LookupListValue(afterList_, path);
    if (beforeCopy.empty() || afterCopy.empty()) return;
    std::vector<std::string> before, after;
    if (!ReadTextLines(run_.PictureFile(0, beforeCopy), &before) ||
        !ReadTextLines(run_.PictureFile(1, afterCopy), &after))
        return;
    std::vector<IniSection> beforeSections = IndexIniSections(before);
    std::vector<IniSection> afterSections = IndexIniSections(after);
    // Sections are matched by name in locale upper case, searching the whole
    // other list; a section in both is compared with the first of its name.
    std::vector<const IniSection*> partner(afterSections.size(), nullptr);
    std::vector<bool> partnered(beforeSections.size(), false);
    for (size_t a = 0; a < afterSections.size(); ++a) {
        std::string name = UpperCase(afterSections[a].name);
        afterSections[a].isNew = true;
        for (size_t b = 0; b < beforeSections.size(); ++b) {
            if (UpperCase(beforeSections[b].name) != name) continue;
            afterSections[a].isNew = false;
            if (!partnered[b] && partner[a] == nullptr) {
                partnered[b] = true;
                partner[a] = &beforeSections[b];
            }
        }
    }
    for (auto& section : beforeSections) {
        std::string name = UpperCase(section.name);
        section.removed = true;
        for (const auto& current : afterSections) section.removed = section.removed && UpperCase(current.name) != name;
    }
    for (const auto& section : beforeSections)
        if (section.removed) run_.entries->WriteIniSectionEntry(path, section.name);
    for (const auto& section : afterSections) {
        if (!section.isNew) continue;
        for (const auto& line : NewSectionLines(after, section.line)) WriteCreate(path, section.name, line);
    }
    for (size_t a = 0; a < afterSections.size(); ++a) {
        if (partner[a] == nullptr) continue;
        ProcessMessages();
        ShowStatus(LoadResString(kStrComparing) + " " + afterSections[a].name);
        CompareIniSection(path, afterSections[a].name, CommonSectionLines(before, partner[a]->line),
                          CommonSectionLines(after, afterSections[a].line));
    }
}

// Lines are compared whole in locale upper case: a changed value gives a
// create entry for the new line and a delete entry for the old one.
void IniPass::CompareIniSection(const std::string& path, const std::string& section,
                                const std::vector<std::string>& before, const std::vector<std::string>& after) {
    std::unordered_set<std::string> beforeSet = UpperCaseLines(before);
    std::unordered_set<std::string> afterSet = UpperCaseLines(after);
    for (const auto& line : after)
        if (beforeSet.count(UpperCase(line)) == 0) WriteCreate(path, section, line);
    for (const auto& line : before)
        if (afterSet.count(UpperCase(line)) == 0)
            run_.entries->WriteIniIdentDeleteEntry(path, section, KeyOfLine(line), ValueOfLine(line));
}

}  // namespace

void CompareIniFiles(TemplateRun& run) { IniPass(run).Run(); }

}  // namespace snapshot
