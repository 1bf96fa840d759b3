// The one reader and editor of ini text: the profile calls' files and the
// machine's own machine.ini. The Windows rules: lines end in CR LF, LF or a
// CR alone; sections and keys match without regard to case (CompareNoCase of
// the code page), the first match wins, blanks around names and values do
// not count, ';' starts a comment, and a line without '=' inside a section is
// no key. Edits change only the lines they concern; every other byte of the
// text stays as it was, and new lines end in CR LF unless told otherwise.
// Looking a key up costs one look in an index made when the text is parsed,
// and copies nothing: lines keep the places of their names and values in the
// text, not copies of them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vpr::machine {

class IniText {
public:
    // `codePage` decides which names are the same (65001: ASCII case).
    explicit IniText(std::string text, unsigned codePage = 65001);

    const std::string& Text() const { return text_; }
    // How lines that edits add end ("\r\n" unless set).
    void SetLineEnd(std::string_view lineEnd) { lineEnd_ = lineEnd; }

    // A key line as it stands: names and value trimmed, quotes kept, and its
    // line number counting from 1.
    struct KeyLine {
        std::string section;
        std::string key;
        std::string value;
        int line = 0;
    };
    // Every key line in file order.
    std::vector<KeyLine> KeyLines() const;
    // For a file that must hold nothing else (machine.ini): "" when every
    // line is blank, a comment, a [section] header or a key=value line inside
    // a section; otherwise "line N: " and what is wrong with the first line
    // that is none of these.
    std::string FirstMalformedLine() const;

    // Section names in file order, each name once (as first written).
    std::vector<std::string> SectionNames() const;
    // Key names of a section in file order, each once; a section written more
    // than once is read as one.
    std::vector<std::string> KeyNames(std::string_view section) const;
    // The value of the first matching key: blanks trimmed, and one pair of
    // matching single or double quotes around it removed.
    std::optional<std::string> Value(std::string_view section, std::string_view key) const;
    // The same value seen in place: valid while the text is unchanged.
    std::optional<std::string_view> ValueView(std::string_view section, std::string_view key) const;
    // Every key line of a section in file order, repeated keys included (a
    // list such as WININIT.INI's [rename]), values read as Value reads them.
    std::vector<std::pair<std::string, std::string>> Entries(std::string_view section) const;
    // The lines of a section as GetPrivateProfileSection gives them, in file
    // order: "name=value" with blanks around both trimmed and quotes kept, and
    // a line without '=' trimmed; comments and blank lines left out.
    std::vector<std::string> SectionLines(std::string_view section) const;

    // Replaces the value of the first matching key, or adds the key at the end
    // of the section, or adds the section at the end of the file.
    void SetValue(std::string_view section, std::string_view key, std::string_view value);
    // Removes every line of the key from the section.
    void DeleteKey(std::string_view section, std::string_view key);
    // Removes the section: its header and every line up to the next section.
    void DeleteSection(std::string_view section);
    // Gives the section exactly these lines (made at the end of the file when
    // missing); later sections of the same name are removed.
    void ReplaceSection(std::string_view section, const std::vector<std::string>& lines);

private:
    enum class Kind { kOther, kSection, kKey, kText };  // kText: a line without '=' in a section
    static constexpr size_t kNone = static_cast<size_t>(-1);
    // Where a part of the text lies: [begin, end).
    struct Span {
        size_t begin = 0;
        size_t end = 0;
    };
    struct Line {
        size_t begin = 0;  // first byte of the line
        size_t end = 0;    // end of the line's text, before its line end
        size_t next = 0;   // first byte of the next line
        Kind kind = Kind::kOther;
        Span name;          // section or key name, or the text of a kText line, trimmed
        Span value;         // key value, trimmed
        size_t section = 0; // index of the section header this line is under (npos: none)
    };
    // One place of the key index: the hash of a section and key name and the
    // first key line of that name (kNone: free).
    struct Slot {
        uint64_t hash = 0;
        size_t line = kNone;
    };

    void Parse();
    void BuildIndex(size_t keys);
    bool SameName(std::string_view a, std::string_view b) const;
    uint64_t IndexHash(std::string_view section, std::string_view key) const;
    size_t FindKeyLine(std::string_view section, std::string_view key) const;  // kNone when there is none
    std::string_view At(Span span) const { return std::string_view(text_).substr(span.begin, span.end - span.begin); }
    std::string_view Name(const Line& line) const { return At(line.name); }
    std::string_view ValueText(const Line& line) const { return At(line.value); }
    bool InSection(const Line& line, std::string_view section) const;
    std::string_view Body(const Line& line) const;  // the line without its line end
    size_t SectionEnd(size_t header) const;          // first byte after the section's last line
    std::string EndOfText() const;                   // a line end when the text ends without one
    // Replaces bytes [begin, end) of the text and parses it again.
    void Splice(size_t begin, size_t end, std::string_view replacement);

    std::string text_;
    unsigned codePage_;
    std::string lineEnd_ = "\r\n";
    std::vector<Line> lines_;
    std::vector<Slot> index_;  // open addressing, a power of two in size, at most half full
};

}  // namespace vpr::machine
