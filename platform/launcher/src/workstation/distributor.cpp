#include "distributor.h"

#include "app_attributes.h"

namespace vpr::launcher {

namespace {

// Frees an entry list however the distribution ends.
struct EntryListOwner {
    EntryList* list = nullptr;
    ~EntryListOwner() {
        if (list) kmapptFreeEntries(list);
    }
};

}  // namespace

Distributor::Distributor(DIR_CONTEXT context, std::string application, KmappStatusCallback callback)
    : context_(context), application_(std::move(application)), callback_(callback) {}

bool Distributor::ReadEntries(const std::string& attribute, std::vector<TemplateEntry*>* entries,
                              EntryList** list) {
    entries->clear();
    *list = nullptr;
    HFILE file = HFILE_ERROR;
    if (DirOpenStreamAttribute(context_, application_.c_str(), attribute.c_str(), DIR_STREAM_READ, &file) !=
        DIR_SUCCESS)
        return true;  // no such stream: nothing to do
    if (_llseek(file, 0, FILE_END) == 0) {  // an empty stream holds no entries
        _lclose(file);
        return true;
    }
    LONG result = kmapptGetEntries(file, 0, 1, list);
    _lclose(file);
    if (result != TEMPLATE_OK) return false;
    for (EntryList* node = *list; node; node = node->next) entries->push_back(node->entry);
    return true;
}

bool Distributor::Fail(DWORD result, DWORD detail, const std::string& name) {
    failure_ = {result, detail, name};
    return false;
}

DWORD Distributor::Report(DWORD status, void* record) const { return callback_ ? callback_(status, record) : 0; }

std::string Distributor::RawText(const TemplateEntry& entry, int field) {
    const TemplateField& f = entry.fields[field];
    std::string text(reinterpret_cast<const char*>(f.data), f.data ? f.length : 0);
    return text.substr(0, text.find('\0'));
}

std::string Distributor::Text(const TemplateEntry& entry, int field) const {
    return macros_.Expand(RawText(entry, field));
}

bool Distributor::LoadMacros() {
    std::vector<TemplateEntry*> entries;
    EntryListOwner owner;
    if (!ReadEntries("App:Macros", &entries, &owner.list)) return false;
    for (const TemplateEntry* entry : entries)
        if (entry->kind == TEMPLATE_KIND_MACRO) macros_.Add(RawText(*entry, 0), RawText(*entry, 1));
    return true;
}

bool Distributor::Run() {
    struct Step {
        const char* attribute;
        bool (Distributor::*apply)(const std::vector<TemplateEntry*>&);
        DWORD unreadable;  // the result of a stream that holds no template
    } steps[] = {
        {"App:Copy Files", &Distributor::ApplyFiles, KMAPP_LAUNCH_COPY_FAILED},
        {"App:INI Settings", &Distributor::ApplyIni, KMAPP_LAUNCH_BAD_INI},
        {"App:Registry Settings", &Distributor::ApplyRegistry, KMAPP_LAUNCH_BAD_REGISTRY},
        {"App:Text Files", &Distributor::ApplyTextFiles, KMAPP_LAUNCH_TEXT_FAILED},
        {"App:Program Groups", &Distributor::ApplyGroups, KMAPP_LAUNCH_GROUP_FAILED},
    };
    if (!LoadMacros()) return Fail(KMAPP_LAUNCH_BAD_INI, ERROR_INVALID_DATA, "App:Macros");
    for (const Step& step : steps) {
        std::vector<TemplateEntry*> entries;
        EntryListOwner owner;
        if (!ReadEntries(step.attribute, &entries, &owner.list))
            return Fail(step.unreadable, ERROR_INVALID_DATA, step.attribute);
        if (!(this->*step.apply)(entries)) return false;
    }
    return true;
}

}  // namespace vpr::launcher
