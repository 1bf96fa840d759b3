// Identifiers and sections of "App:INI Settings".
#include <string>

#include "distributor.h"

namespace vpr::launcher {

namespace {

constexpr DWORD kAlways = 0x1, kIfExists = 0x2, kIfAbsent = 0x4, kAddToValue = 0x40;
constexpr char kAbsent[] = "\x01\x02 absent \x02\x01";

bool ReadIdentifier(const std::string& file, const std::string& section, const std::string& identifier,
                    std::string* value) {
    char buffer[4096] = {};
    GetPrivateProfileStringA(section.c_str(), identifier.c_str(), kAbsent, buffer, sizeof buffer, file.c_str());
    if (std::string(buffer) == kAbsent) return false;
    *value = buffer;
    return true;
}

// Whether a blank-separated list holds the item.
bool ListHolds(const std::string& list, const std::string& item) {
    size_t start = 0;
    while (start <= list.size()) {
        size_t blank = list.find(' ', start);
        if (blank == std::string::npos) blank = list.size();
        if (list.compare(start, blank - start, item) == 0) return true;
        start = blank + 1;
    }
    return false;
}

}  // namespace

bool Distributor::ApplyIni(const std::vector<TemplateEntry*>& entries) {
    DWORD total = 0, position = 0;
    for (const TemplateEntry* entry : entries)
        if (entry->kind == TEMPLATE_KIND_IDENT || entry->kind == TEMPLATE_KIND_SECTION) ++total;
    for (const TemplateEntry* entry : entries) {
        if (entry->kind != TEMPLATE_KIND_IDENT && entry->kind != TEMPLATE_KIND_SECTION) continue;
        std::string file = Text(*entry, 0), section = Text(*entry, 1);
        bool identifierEntry = entry->kind == TEMPLATE_KIND_IDENT;
        std::string identifier = identifierEntry ? Text(*entry, 2) : "";
        std::string value = identifierEntry ? Text(*entry, 3) : "";
        if (file.empty() || section.empty() || (identifierEntry && identifier.empty()))
            return Fail(KMAPP_LAUNCH_BAD_INI, ERROR_INVALID_DATA, file);
        std::string shown = file + " [" + section + "]" + (identifier.empty() ? "" : " " + identifier);
        KmappItemStatus status{0, shown.data(), ++position, total};
        Report(KMAPP_STATUS_INI, &status);

        BOOL written = TRUE;
        if (!identifierEntry) {
            written = WritePrivateProfileStringA(section.c_str(), nullptr, nullptr, file.c_str());
        } else if (entry->subtype == 2) {
            written = WritePrivateProfileStringA(section.c_str(), identifier.c_str(), nullptr, file.c_str());
        } else {
            DWORD flags = entry->values[0];
            std::string existing;
            bool exists = ReadIdentifier(file, section, identifier, &existing);
            std::string wanted = value;
            bool write = true;
            if (flags & kAlways) {
                write = true;
            } else if (flags & kIfExists) {
                write = exists;
            } else if (flags & kIfAbsent) {
                write = !exists;
            } else if (flags & kAddToValue) {
                // The value joins the identifier's blank-separated list once.
                write = !exists || !ListHolds(existing, value);
                if (exists && !existing.empty()) wanted = existing + " " + value;
            }
            if (write)
                written = WritePrivateProfileStringA(section.c_str(), identifier.c_str(), wanted.c_str(), file.c_str());
        }
        if (!written) return Fail(KMAPP_LAUNCH_INI_FAILED, GetLastError(), file);
    }
    return true;
}

}  // namespace vpr::launcher
