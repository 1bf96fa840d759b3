// The exclusion tests of a picture and the ini-name test, with the lists
// taken into locale upper case once.
#pragma once

#include <string>
#include <unordered_set>
#include <vector>

namespace snapshot {

class Exclusions {
public:
    Exclusions(const std::vector<std::string>& filePatterns, const std::vector<std::string>& directories);

    // A pattern that begins with "*" matches a name holding a dot only when
    // it is five characters long ("*.ext") and its last three characters are
    // the three after the name's first dot; any other pattern matches the
    // whole name. Both sides in locale upper case.
    bool IsExcludedFile(const std::string& name) const;
    // The path is one of the excluded directories (locale upper case).
    bool IsExcludedDir(const std::string& path) const;

private:
    struct Pattern {
        std::string upper;
        bool starExtension;  // begins with "*"
        bool fiveCharacters;
        std::string lastThree;
    };
    std::vector<Pattern> patterns_;
    std::unordered_set<std::string> directories_;
};

// The (at most) three characters after the first dot of the name, in locale
// upper case; false when the name has no dot.
bool ThreeAfterFirstDot(const std::string& name, std::string* upperThree);
// An ini file by name: the three characters after its first dot are "INI".
bool IsIniFileName(const std::string& name);

}  // namespace snapshot
