#include "startup_load.h"

#include <vector>

#include "snapshot/engine/mb_strings.h"
#include "vpr/locale/locale.h"
#include "windows.h"
#include "wizard_status.h"

namespace snapshot {

namespace {

constexpr const char* kWinIni = "win.ini";
constexpr const char* kWindowsSection = "windows";
constexpr const char* kLoadKey = "load";

bool HoldsOwnEntry(const std::string& text) { return MBPos("IMPRX", MBUpperCase(text)) != 0; }

// Lower case of the single-byte letters; a double-byte character keeps its bytes.
std::string LowerCase(std::string text) {
    for (char* at = text.data(); *at != '\0';) {
        char* next = KMNextChar(at);
        if (next - at == 1 && *at >= 'A' && *at <= 'Z') *at = static_cast<char>(*at - 'A' + 'a');
        at = next;
    }
    return text;
}

void WriteStartupLoad(const std::string& value) {
    if (!WriteProfileStringA(kWindowsSection, kLoadKey, value.c_str())) throw IniWriteError(kWinIni);
}

}  // namespace

std::string StripOwnLoadEntries(const std::string& list) {
    std::string kept;
    bool first = true;
    size_t start = 0;
    for (;;) {
        size_t comma = list.find(',', start);
        std::string entry = list.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        if (!HoldsOwnEntry(entry)) {
            if (!first) kept += ",";
            kept += entry;
            first = false;
        }
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return kept;
}

std::string ReadStartupLoad() {
    std::vector<char> buffer(256);
    for (;;) {
        DWORD length = GetProfileStringA(kWindowsSection, kLoadKey, "", buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length + 1 < buffer.size()) return std::string(buffer.data(), length);
        buffer.resize(buffer.size() * 2);
    }
}

void AddToStartupLoad(const std::string& programPath) {
    std::string list = ReadStartupLoad();
    if (HoldsOwnEntry(list)) list = StripOwnLoadEntries(list);
    list = list.empty() ? programPath : list + "," + programPath;
    WriteStartupLoad(LowerCase(list));
}

void RemoveFromStartupLoad() {
    std::string list = ReadStartupLoad();
    if (HoldsOwnEntry(list)) list = StripOwnLoadEntries(list);
    WriteStartupLoad(list);
}

}  // namespace snapshot
