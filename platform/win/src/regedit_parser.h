// REGEDIT4 text read into the steps of an import, as regedit reads it:
//  - lines end in CR LF, LF or a CR alone; blank lines and lines starting
//    with ';' are passed over;
//  - "[HKEY_...\path]" opens a key (made when missing), "[-HKEY_...\path]"
//    deletes it with everything below; values after a deletion go nowhere;
//  - a value is "name"= or @= followed by "text", dword:XXXXXXXX, hex:..,
//    hex(TYPE):.. or - (which deletes the value); a ';' after the value
//    starts a comment;
//  - hex data goes on over lines ending in '\' (blanks around the '\' and
//    before the next line's bytes do not count; blank and ';' lines inside
//    are passed over);
//  - hex(2) and hex(7) data get the NULs that end them;
//  - a malformed line, a key name longer than 255 characters, a key more
//    than 512 levels deep or a value name longer than 16383 characters
//    refuses the whole text.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "registry_store.h"
#include "vpr/win/registry.h"

namespace vpr::win {

struct RegeditHive {
    const char* name;
    HKEY key;
};
extern const RegeditHive kRegeditHives[4];

// Splits "HKEY_...\path" into its hive (null when none matches) and the path.
const RegeditHive* SplitFullKeyName(std::string_view full, std::string_view* path);

// Windows' limits on names and depth.
constexpr size_t kMaxKeyNameChars = 255;
constexpr size_t kMaxValueNameChars = 16383;
constexpr size_t kMaxKeyDepth = 512;

struct ImportStep {
    enum Kind { kCreateKey, kDeleteKey, kSetValue, kDeleteValue } kind = kCreateKey;
    const RegeditHive* hive = nullptr;
    std::string path;  // of the key
    RegistryValue value;
};

class RegeditParser {
public:
    explicit RegeditParser(std::string_view text) : text_(text) {}

    // The steps in text order; false with "line N: what is wrong" in `error`.
    bool Parse(std::vector<ImportStep>* steps, std::string* error);

private:
    bool NextPhysicalLine(std::string_view* line);
    bool NextLogicalLine(std::string* line);
    bool Fail(const std::string& what, std::string* error) const;
    bool ParseHeader(std::string_view line, ImportStep* step, std::string* error) const;
    bool ParseValue(std::string_view line, ImportStep* step, std::string* error) const;
    bool ParseHex(std::string_view data, std::string* bytes, std::string* error) const;

    std::string_view text_;
    size_t pos_ = 0;
    int lineNumber_ = 0;  // of the physical line read last
    int logicalLine_ = 0;  // first physical line of the logical line read last
};

}  // namespace vpr::win
