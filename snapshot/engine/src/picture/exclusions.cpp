#include "exclusions.h"

#include "../core/text.h"
#include "vpr/locale/locale.h"

namespace snapshot {

namespace {

// The first `count` characters of a text, or all when it has fewer.
std::string FirstCharacters(const char* text, int count) {
    const char* end = text;
    for (int i = 0; i < count && *end != '\0'; ++i) end = KMNextChar(end);
    return std::string(text, end);
}

}  // namespace

bool ThreeAfterFirstDot(const std::string& name, std::string* upperThree) {
    const char* dot = KMLstrchr(name.c_str(), '.');
    if (dot == nullptr) return false;
    *upperThree = UpperCase(FirstCharacters(dot + 1, 3));
    return true;
}

bool IsIniFileName(const std::string& name) {
    std::string three;
    return ThreeAfterFirstDot(name, &three) && three == "INI";
}

Exclusions::Exclusions(const std::vector<std::string>& filePatterns, const std::vector<std::string>& directories) {
    for (const auto& pattern : filePatterns) {
        Pattern p;
        p.upper = UpperCase(pattern);
        p.starExtension = !pattern.empty() && pattern[0] == '*';
        std::vector<std::string> characters = Characters(p.upper);
        p.fiveCharacters = characters.size() == 5;
        if (p.fiveCharacters) p.lastThree = characters[2] + characters[3] + characters[4];
        patterns_.push_back(std::move(p));
    }
    for (const auto& directory : directories) directories_.insert(UpperCase(directory));
}

bool Exclusions::IsExcludedFile(const std::string& name) const {
    std::string three;
    bool hasDot = ThreeAfterFirstDot(name, &three);
    std::string upper;
    for (const auto& pattern : patterns_) {
        if (pattern.starExtension && hasDot) {
            if (pattern.fiveCharacters && pattern.lastThree == three) return true;
            continue;
        }
        if (upper.empty()) upper = UpperCase(name);
        if (pattern.upper == upper) return true;
    }
    return false;
}

bool Exclusions::IsExcludedDir(const std::string& path) const { return directories_.count(UpperCase(path)) != 0; }

}  // namespace snapshot
