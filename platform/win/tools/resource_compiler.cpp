// Reads a resource source line by line: each line is a list of tokens (words,
// numbers, quoted texts, "|"); blocks open with a keyword and close with "end".
#include "resource_compiler.h"

#include <strings.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "vpr/forms/form_stream.h"

namespace vpr::win {
namespace {

namespace fs = std::filesystem;

struct Token {
    enum Kind { kWord, kText, kBar } kind;
    std::string value;
};

struct Line {
    int number = 0;
    std::vector<Token> tokens;
    fs::path file;  // the source the line comes from: its relative paths start in its folder
};

// Window style names, with the values the window system uses.
const std::map<std::string, uint32_t>& StyleNames() {
    static const std::map<std::string, uint32_t> names = {
        {"WS_OVERLAPPED", 0x0},           {"WS_POPUP", 0x80000000},
        {"WS_CHILD", 0x40000000},         {"WS_MINIMIZE", 0x20000000},
        {"WS_VISIBLE", 0x10000000},       {"WS_DISABLED", 0x08000000},
        {"WS_CLIPSIBLINGS", 0x04000000},  {"WS_CLIPCHILDREN", 0x02000000},
        {"WS_MAXIMIZE", 0x01000000},      {"WS_CAPTION", 0x00C00000},
        {"WS_BORDER", 0x00800000},        {"WS_DLGFRAME", 0x00400000},
        {"WS_VSCROLL", 0x00200000},       {"WS_HSCROLL", 0x00100000},
        {"WS_SYSMENU", 0x00080000},       {"WS_THICKFRAME", 0x00040000},
        {"WS_GROUP", 0x00020000},         {"WS_TABSTOP", 0x00010000},
        {"WS_MINIMIZEBOX", 0x00020000},   {"WS_MAXIMIZEBOX", 0x00010000},
        {"WS_EX_DLGMODALFRAME", 0x1},     {"WS_EX_NOPARENTNOTIFY", 0x4},
        {"WS_EX_TOPMOST", 0x8},           {"WS_EX_ACCEPTFILES", 0x10},
        {"WS_EX_TRANSPARENT", 0x20},      {"WS_EX_TOOLWINDOW", 0x80},
        {"WS_EX_WINDOWEDGE", 0x100},      {"WS_EX_CLIENTEDGE", 0x200},
        {"WS_EX_CONTEXTHELP", 0x400},     {"WS_EX_RIGHT", 0x1000},
        {"WS_EX_CONTROLPARENT", 0x10000}, {"WS_EX_STATICEDGE", 0x20000},
        {"WS_EX_APPWINDOW", 0x40000},     {"DS_ABSALIGN", 0x1},
        {"DS_SYSMODAL", 0x2},             {"DS_3DLOOK", 0x4},
        {"DS_FIXEDSYS", 0x8},             {"DS_NOFAILCREATE", 0x10},
        {"DS_LOCALEDIT", 0x20},           {"DS_SETFONT", 0x40},
        {"DS_MODALFRAME", 0x80},          {"DS_NOIDLEMSG", 0x100},
        {"DS_SETFOREGROUND", 0x200},      {"DS_CONTROL", 0x400},
        {"DS_CENTER", 0x800},             {"DS_CENTERMOUSE", 0x1000},
        {"DS_CONTEXTHELP", 0x2000},       {"BS_PUSHBUTTON", 0x0},
        {"BS_DEFPUSHBUTTON", 0x1},        {"BS_CHECKBOX", 0x2},
        {"BS_AUTOCHECKBOX", 0x3},         {"BS_RADIOBUTTON", 0x4},
        {"BS_3STATE", 0x5},               {"BS_AUTO3STATE", 0x6},
        {"BS_GROUPBOX", 0x7},             {"BS_USERBUTTON", 0x8},
        {"BS_AUTORADIOBUTTON", 0x9},      {"BS_OWNERDRAW", 0xB},
        {"BS_LEFTTEXT", 0x20},            {"BS_ICON", 0x40},
        {"BS_BITMAP", 0x80},              {"BS_LEFT", 0x100},
        {"BS_RIGHT", 0x200},              {"BS_CENTER", 0x300},
        {"BS_TOP", 0x400},                {"BS_BOTTOM", 0x800},
        {"BS_VCENTER", 0xC00},            {"BS_PUSHLIKE", 0x1000},
        {"BS_MULTILINE", 0x2000},         {"BS_NOTIFY", 0x4000},
        {"BS_FLAT", 0x8000},              {"ES_LEFT", 0x0},
        {"ES_CENTER", 0x1},               {"ES_RIGHT", 0x2},
        {"ES_MULTILINE", 0x4},            {"ES_UPPERCASE", 0x8},
        {"ES_LOWERCASE", 0x10},           {"ES_PASSWORD", 0x20},
        {"ES_AUTOVSCROLL", 0x40},         {"ES_AUTOHSCROLL", 0x80},
        {"ES_NOHIDESEL", 0x100},          {"ES_OEMCONVERT", 0x400},
        {"ES_READONLY", 0x800},           {"ES_WANTRETURN", 0x1000},
        {"ES_NUMBER", 0x2000},            {"SS_LEFT", 0x0},
        {"SS_CENTER", 0x1},               {"SS_RIGHT", 0x2},
        {"SS_ICON", 0x3},                 {"SS_BLACKRECT", 0x4},
        {"SS_GRAYRECT", 0x5},             {"SS_WHITERECT", 0x6},
        {"SS_BLACKFRAME", 0x7},           {"SS_GRAYFRAME", 0x8},
        {"SS_WHITEFRAME", 0x9},           {"SS_SIMPLE", 0xB},
        {"SS_LEFTNOWORDWRAP", 0xC},       {"SS_OWNERDRAW", 0xD},
        {"SS_BITMAP", 0xE},               {"SS_ETCHEDHORZ", 0x10},
        {"SS_ETCHEDVERT", 0x11},          {"SS_ETCHEDFRAME", 0x12},
        {"SS_NOPREFIX", 0x80},            {"SS_NOTIFY", 0x100},
        {"SS_CENTERIMAGE", 0x200},        {"SS_RIGHTJUST", 0x400},
        {"SS_REALSIZEIMAGE", 0x800},      {"SS_SUNKEN", 0x1000},
        {"LBS_NOTIFY", 0x1},              {"LBS_SORT", 0x2},
        {"LBS_NOREDRAW", 0x4},            {"LBS_MULTIPLESEL", 0x8},
        {"LBS_OWNERDRAWFIXED", 0x10},     {"LBS_OWNERDRAWVARIABLE", 0x20},
        {"LBS_HASSTRINGS", 0x40},         {"LBS_USETABSTOPS", 0x80},
        {"LBS_NOINTEGRALHEIGHT", 0x100},  {"LBS_MULTICOLUMN", 0x200},
        {"LBS_WANTKEYBOARDINPUT", 0x400}, {"LBS_EXTENDEDSEL", 0x800},
        {"LBS_DISABLENOSCROLL", 0x1000},  {"LBS_NODATA", 0x2000},
        {"LBS_NOSEL", 0x4000},            {"CBS_SIMPLE", 0x1},
        {"CBS_DROPDOWN", 0x2},            {"CBS_DROPDOWNLIST", 0x3},
        {"CBS_OWNERDRAWFIXED", 0x10},     {"CBS_OWNERDRAWVARIABLE", 0x20},
        {"CBS_AUTOHSCROLL", 0x40},        {"CBS_OEMCONVERT", 0x80},
        {"CBS_SORT", 0x100},              {"CBS_HASSTRINGS", 0x200},
        {"CBS_NOINTEGRALHEIGHT", 0x400},  {"CBS_DISABLENOSCROLL", 0x800},
        {"CBS_UPPERCASE", 0x2000},        {"CBS_LOWERCASE", 0x4000},
        {"SBS_HORZ", 0x0},                {"SBS_VERT", 0x1},
        {"ACS_CENTER", 0x1},              {"ACS_TRANSPARENT", 0x2},
        {"ACS_AUTOPLAY", 0x4},            {"TBS_HORZ", 0x0},
        {"TBS_AUTOTICKS", 0x1},           {"TBS_VERT", 0x2},
        {"TBS_TOP", 0x4},                 {"TBS_BOTH", 0x8},
        {"TBS_NOTICKS", 0x10},            {"PBS_SMOOTH", 0x1},
        {"LVS_ICON", 0x0},                {"LVS_REPORT", 0x1},
        {"LVS_SMALLICON", 0x2},           {"LVS_LIST", 0x3},
        {"LVS_SINGLESEL", 0x4},           {"LVS_SHOWSELALWAYS", 0x8},
        {"LVS_SORTASCENDING", 0x10},      {"LVS_SHAREIMAGELISTS", 0x40},
        {"LVS_NOLABELWRAP", 0x80},        {"LVS_AUTOARRANGE", 0x100},
        {"LVS_EDITLABELS", 0x200},        {"LVS_OWNERDATA", 0x1000},
        {"LVS_NOCOLUMNHEADER", 0x4000},   {"LVS_NOSORTHEADER", 0x8000},
        {"TVS_HASBUTTONS", 0x1},          {"TVS_HASLINES", 0x2},
        {"TVS_LINESATROOT", 0x4},         {"TVS_EDITLABELS", 0x8},
        {"TVS_DISABLEDRAGDROP", 0x10},    {"TVS_SHOWSELALWAYS", 0x20},
    };
    return names;
}

const std::map<std::string, uint16_t>& VirtualKeyNames() {
    static const std::map<std::string, uint16_t> names = [] {
        std::map<std::string, uint16_t> m = {
            {"VK_BACK", 0x08},   {"VK_TAB", 0x09},    {"VK_RETURN", 0x0D}, {"VK_SHIFT", 0x10},
            {"VK_CONTROL", 0x11}, {"VK_MENU", 0x12},  {"VK_ESCAPE", 0x1B}, {"VK_SPACE", 0x20},
            {"VK_PRIOR", 0x21},  {"VK_NEXT", 0x22},   {"VK_END", 0x23},    {"VK_HOME", 0x24},
            {"VK_LEFT", 0x25},   {"VK_UP", 0x26},     {"VK_RIGHT", 0x27},  {"VK_DOWN", 0x28},
            {"VK_INSERT", 0x2D}, {"VK_DELETE", 0x2E}, {"VK_HELP", 0x2F},   {"VK_APPS", 0x5D},
        };
        for (int i = 1; i <= 12; ++i) m["VK_F" + std::to_string(i)] = static_cast<uint16_t>(0x6F + i);
        return m;
    }();
    return names;
}

// The control kinds of a dialog line: window class, default style, and
// whether the line gives a text before the id.
struct ControlKind {
    const char* className;
    uint32_t style;
    enum { kText, kNoText, kImage } textKind;
};

const std::map<std::string, ControlKind>& ControlKinds() {
    constexpr uint32_t kChild = 0x40000000 | 0x10000000;  // WS_CHILD | WS_VISIBLE
    constexpr uint32_t kTab = 0x00010000, kGroup = 0x00020000, kBorder = 0x00800000;
    static const std::map<std::string, ControlKind> kinds = {
        {"ltext", {"STATIC", kChild | kGroup | 0x0, ControlKind::kText}},
        {"ctext", {"STATIC", kChild | kGroup | 0x1, ControlKind::kText}},
        {"rtext", {"STATIC", kChild | kGroup | 0x2, ControlKind::kText}},
        {"icon", {"STATIC", kChild | 0x3, ControlKind::kImage}},
        {"bitmap", {"STATIC", kChild | 0xE, ControlKind::kImage}},
        {"pushbutton", {"BUTTON", kChild | kTab | 0x0, ControlKind::kText}},
        {"defpushbutton", {"BUTTON", kChild | kTab | 0x1, ControlKind::kText}},
        {"checkbox", {"BUTTON", kChild | kTab | 0x2, ControlKind::kText}},
        {"autocheckbox", {"BUTTON", kChild | kTab | 0x3, ControlKind::kText}},
        {"radiobutton", {"BUTTON", kChild | 0x4, ControlKind::kText}},
        {"autoradiobutton", {"BUTTON", kChild | 0x9, ControlKind::kText}},
        {"groupbox", {"BUTTON", kChild | 0x7, ControlKind::kText}},
        {"edit", {"EDIT", kChild | kTab | kBorder, ControlKind::kNoText}},
        {"listbox", {"LISTBOX", kChild | kTab | kBorder | 0x1, ControlKind::kNoText}},
        {"combobox", {"COMBOBOX", kChild | kTab, ControlKind::kNoText}},
    };
    return kinds;
}

class Compiler {
public:
    Compiler(const CompileOptions& options, CompileResult* result)
        : options_(options), result_(result) {}

    bool Run(const std::string& sourcePath) {
        path_ = sourcePath;
        if (!ReadLines(sourcePath, &lines_)) return false;
        while (pos_ < lines_.size()) {
            if (!Statement()) return false;
        }
        FinishStrings();
        return FinishVersion();
    }

private:
    // ---- input -------------------------------------------------------------

    // Errors while reading name the file read.
    bool ReadLines(const std::string& path, std::vector<Line>* lines) {
        std::string including = path_;
        path_ = path;
        std::ifstream in(path, std::ios::binary);
        if (!in) return Fail(0, "cannot read " + path);
        std::string text;
        int number = 0;
        while (std::getline(in, text)) {
            ++number;
            Line line{number, {}, fs::path(path)};
            if (!Tokenize(text, number, &line.tokens)) return false;
            if (!line.tokens.empty()) lines->push_back(std::move(line));
        }
        path_ = including;
        return true;
    }

    bool Tokenize(const std::string& text, int number, std::vector<Token>* tokens) {
        size_t i = 0;
        while (i < text.size()) {
            char c = text[i];
            if (std::isspace(static_cast<unsigned char>(c))) {
                ++i;
            } else if (c == '#') {
                break;  // comment to the end of the line
            } else if (c == '|') {
                tokens->push_back({Token::kBar, "|"});
                ++i;
            } else if (c == '"') {
                std::string value;
                ++i;
                for (;;) {
                    if (i >= text.size()) return Fail(number, "text without closing quote");
                    char ch = text[i++];
                    if (ch == '"') break;
                    if (ch != '\\') {
                        value += ch;
                        continue;
                    }
                    if (i >= text.size()) return Fail(number, "text without closing quote");
                    char e = text[i++];
                    switch (e) {
                        case 'n': value += '\n'; break;
                        case 'r': value += '\r'; break;
                        case 't': value += '\t'; break;
                        case '\\': value += '\\'; break;
                        case '"': value += '"'; break;
                        case 'x': {
                            if (i + 2 > text.size() || !std::isxdigit(static_cast<unsigned char>(text[i])) ||
                                !std::isxdigit(static_cast<unsigned char>(text[i + 1])))
                                return Fail(number, "\\x needs two hex digits");
                            value += static_cast<char>(std::stoi(text.substr(i, 2), nullptr, 16));
                            i += 2;
                            break;
                        }
                        default: return Fail(number, std::string("unknown escape \\") + e);
                    }
                }
                tokens->push_back({Token::kText, value});
            } else {
                size_t start = i;
                while (i < text.size() && !std::isspace(static_cast<unsigned char>(text[i])) &&
                       text[i] != '|' && text[i] != '"')
                    ++i;
                tokens->push_back({Token::kWord, text.substr(start, i - start)});
            }
        }
        return true;
    }

    bool Fail(int line, const std::string& message) {
        if (result_->error.empty())
            result_->error = path_ + ":" + std::to_string(line) + ": " + message;
        return false;
    }

    // ---- values ------------------------------------------------------------

    static bool ParseNumber(const std::string& word, int64_t* value) {
        if (word.empty()) return false;
        size_t i = word[0] == '-' ? 1 : 0;
        if (i == word.size()) return false;
        int base = 10;
        if (word.size() > i + 2 && word[i] == '0' && (word[i + 1] == 'x' || word[i + 1] == 'X')) {
            base = 16;
            i += 2;
        }
        int64_t v = 0;
        for (; i < word.size(); ++i) {
            char c = static_cast<char>(std::tolower(static_cast<unsigned char>(word[i])));
            int digit = c >= '0' && c <= '9' ? c - '0' : (base == 16 && c >= 'a' && c <= 'f') ? c - 'a' + 10 : -1;
            if (digit < 0) return false;
            v = v * base + digit;
            if (v > 0xFFFFFFFFLL) return false;
        }
        *value = word[0] == '-' ? -v : v;
        return true;
    }

    // A number, or a name given by "define" or an included header.
    bool Number(const Line& line, size_t index, int64_t* value) {
        if (index >= line.tokens.size() || line.tokens[index].kind != Token::kWord)
            return Fail(line.number, "a number is missing");
        const std::string& word = line.tokens[index].value;
        if (ParseNumber(word, value)) return true;
        auto it = defines_.find(word);
        if (it != defines_.end()) {
            *value = it->second;
            return true;
        }
        return Fail(line.number, "unknown name " + word);
    }

    bool Id16(const Line& line, size_t index, uint16_t* value) {
        int64_t v = 0;
        if (!Number(line, index, &v)) return false;
        if (v < 0 || v > 0xFFFF) return Fail(line.number, "id out of range 0..65535");
        *value = static_cast<uint16_t>(v);
        return true;
    }

    // A resource name: a quoted text, or a number (or defined name).
    bool Id(const Line& line, size_t index, ResourceId* id) {
        if (index < line.tokens.size() && line.tokens[index].kind == Token::kText) {
            if (line.tokens[index].value.empty()) return Fail(line.number, "empty resource name");
            *id = ResourceId::Name(line.tokens[index].value);
            return true;
        }
        uint16_t number = 0;
        if (!Id16(line, index, &number)) return false;
        *id = ResourceId::Number(number);
        return true;
    }

    bool Text(const Line& line, size_t index, std::string* value) {
        if (index >= line.tokens.size() || line.tokens[index].kind != Token::kText)
            return Fail(line.number, "a quoted text is missing");
        if (line.tokens[index].value.size() > 0xFFFF) return Fail(line.number, "text too long");
        *value = line.tokens[index].value;
        return true;
    }

    int16_t Coordinate(int64_t v) { return static_cast<int16_t>(v); }

    bool Rectangle(const Line& line, size_t index, int16_t* x, int16_t* y, int16_t* cx,
                   int16_t* cy) {
        int64_t v[4];
        for (int k = 0; k < 4; ++k) {
            if (!Number(line, index + static_cast<size_t>(k), &v[k])) return false;
            if (v[k] < -32768 || v[k] > 32767) return Fail(line.number, "coordinate out of range");
        }
        *x = Coordinate(v[0]);
        *y = Coordinate(v[1]);
        *cx = Coordinate(v[2]);
        *cy = Coordinate(v[3]);
        return true;
    }

    // Style flags from `index` on: NAME | NAME | not NAME ..., applied to
    // `style`; "not" removes a flag.
    bool Flags(const Line& line, size_t index, size_t end, uint32_t* style) {
        bool expectFlag = true;
        for (size_t i = index; i < end; ++i) {
            const Token& t = line.tokens[i];
            if (t.kind == Token::kBar) {
                if (expectFlag) return Fail(line.number, "misplaced |");
                expectFlag = true;
                continue;
            }
            if (t.kind != Token::kWord) return Fail(line.number, "a style flag is missing");
            bool remove = false;
            size_t at = i;
            if (t.value == "not") {
                remove = true;
                if (++at >= end) return Fail(line.number, "a style flag is missing after not");
                i = at;
            }
            uint32_t flag = 0;
            if (!Flag(line, line.tokens[at].value, &flag)) return false;
            *style = remove ? (*style & ~flag) : (*style | flag);
            expectFlag = false;
        }
        if (expectFlag) return Fail(line.number, "a style flag is missing");
        return true;
    }

    bool Flag(const Line& line, const std::string& word, uint32_t* flag) {
        auto it = StyleNames().find(word);
        if (it != StyleNames().end()) {
            *flag = it->second;
            return true;
        }
        int64_t v = 0;
        if (ParseNumber(word, &v) && v >= 0) {
            *flag = static_cast<uint32_t>(v);
            return true;
        }
        auto d = defines_.find(word);
        if (d != defines_.end()) {
            *flag = static_cast<uint32_t>(d->second);
            return true;
        }
        return Fail(line.number, "unknown style " + word);
    }

    bool Word(const Line& line, size_t index, const char* word) const {
        return index < line.tokens.size() && line.tokens[index].kind == Token::kWord &&
               line.tokens[index].value == word;
    }

    bool ReadFile(const Line& line, const std::string& name, std::vector<uint8_t>* bytes) {
        fs::path path = fs::path(name).is_absolute() ? fs::path(name) : line.file.parent_path() / name;
        std::ifstream in(path, std::ios::binary);
        if (!in) return Fail(line.number, "cannot read " + path.string());
        bytes->assign(std::istreambuf_iterator<char>(in), {});
        result_->dependencies.push_back(path.string());
        return true;
    }

    void Add(ResourceId type, ResourceId name, std::vector<uint8_t> data) {
        result_->entries.push_back({std::move(type), std::move(name), std::move(data)});
    }

    // True (and the error set) when the source gave this resource before.
    bool Duplicate(const Line& line, const ResourceId& type, const ResourceId& name) {
        for (const ResourceEntry& e : result_->entries) {
            if (e.type.Matches(type) && e.name.Matches(name)) {
                Fail(line.number, "resource " + name.ToString() + " given twice");
                return true;
            }
        }
        return false;
    }
    bool Duplicate(const Line& line, uint16_t type, const ResourceId& name) {
        return Duplicate(line, ResourceId::Number(type), name);
    }

    // ---- statements --------------------------------------------------------

    bool Statement() {
        const Line& line = lines_[pos_++];
        path_ = line.file.string();  // errors name the source the line comes from
        const std::string& keyword = line.tokens[0].value;
        if (line.tokens[0].kind != Token::kWord) return Fail(line.number, "a keyword is missing");
        if (keyword == "include") return Include(line);
        if (keyword == "define") return Define(line);
        if (keyword == "strings") return Strings(line);
        if (keyword == "dialog") return Dialog(line);
        if (keyword == "menu") return Menu(line);
        if (keyword == "accelerators") return Accelerators(line);
        if (keyword == "bitmap") return Bitmap(line);
        if (keyword == "icon") return Icon(line);
        if (keyword == "data") return Data(line);
        if (keyword == "form") return Form(line);
        if (keyword == "version") return Version(line);
        return Fail(line.number, "unknown keyword " + keyword);
    }

    bool Include(const Line& line) {
        std::string name;
        if (!Text(line, 1, &name)) return false;
        fs::path path = line.file.parent_path() / name;
        if (path.extension() == ".vrc") return IncludeSource(line, path);
        std::ifstream in(path);
        if (!in) return Fail(line.number, "cannot read " + path.string());
        result_->dependencies.push_back(path.string());
        std::string text;
        while (std::getline(in, text)) {
            std::istringstream words(text);
            std::string hash, name2, value;
            words >> hash >> name2 >> value;
            int64_t v = 0;
            if (hash == "#define" && !name2.empty() && ParseNumber(value, &v)) defines_[name2] = v;
        }
        return true;
    }

    // A fragment of resource source (a component's dialogs): its statements
    // run where the include stands, as if they were written there.
    bool IncludeSource(const Line& line, const fs::path& path) {
        if (++sourceIncludes_ > kMaxSourceIncludes)
            return Fail(line.number, "more than " + std::to_string(kMaxSourceIncludes) + " source includes (a loop?)");
        std::vector<Line> lines;
        if (!ReadLines(path.string(), &lines)) return false;
        result_->dependencies.push_back(path.string());
        lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(pos_), lines.begin(), lines.end());
        return true;
    }

    bool Define(const Line& line) {
        if (line.tokens.size() != 3 || line.tokens[1].kind != Token::kWord)
            return Fail(line.number, "define NAME NUMBER");
        int64_t v = 0;
        if (!Number(line, 2, &v)) return false;
        defines_[line.tokens[1].value] = v;
        return true;
    }

    // Runs the lines of a block up to its "end", calling `body` for each.
    template <class Body>
    bool Block(int openLine, Body body) {
        while (pos_ < lines_.size()) {
            const Line& line = lines_[pos_++];
            path_ = line.file.string();
            if (Word(line, 0, "end") && line.tokens.size() == 1) return true;
            if (!body(line)) return false;
        }
        return Fail(openLine, "block without end");
    }

    bool Strings(const Line& open) {
        return Block(open.number, [&](const Line& line) {
            uint16_t id = 0;
            std::string text;
            if (line.tokens.size() != 2) return Fail(line.number, "ID \"text\"");
            if (!Id16(line, 0, &id) || !Text(line, 1, &text)) return false;
            if (strings_.count(id)) return Fail(line.number, "string " + std::to_string(id) + " given twice");
            if (text.empty()) return Fail(line.number, "an empty string is a missing string");
            strings_[id] = text;
            return true;
        });
    }

    void FinishStrings() {
        std::map<uint16_t, std::array<std::string, 16>> blocks;
        for (const auto& [id, text] : strings_) blocks[static_cast<uint16_t>(id / 16 + 1)][id % 16] = text;
        for (const auto& [block, strings] : blocks)
            Add(ResourceId::Number(kResString), ResourceId::Number(block), EncodeStringBlock(strings));
    }

    bool Dialog(const Line& open) {
        ResourceId name;
        if (open.tokens.size() != 2 || !Id(open, 1, &name)) return Fail(open.number, "dialog ID");
        if (Duplicate(open, kResDialog, name)) return false;
        DialogTemplate d;
        bool styleGiven = false;
        uint32_t style = 0;
        bool ok = Block(open.number, [&](const Line& line) {
            const std::string& key = line.tokens[0].value;
            size_t n = line.tokens.size();
            if (key == "caption") return n == 2 ? Text(line, 1, &d.caption) : Fail(line.number, "caption \"text\"");
            if (key == "rect") return n == 5 ? Rectangle(line, 1, &d.x, &d.y, &d.cx, &d.cy) : Fail(line.number, "rect X Y CX CY");
            if (key == "class") return n == 2 ? Text(line, 1, &d.className) : Fail(line.number, "class \"name\"");
            if (key == "style") {
                styleGiven = true;
                return Flags(line, 1, n, &style);
            }
            if (key == "exstyle") return Flags(line, 1, n, &d.exStyle);
            if (key == "font") {
                int64_t size = 0;
                if (n != 3 || !Text(line, 1, &d.fontName) || !Number(line, 2, &size)) return Fail(line.number, "font \"name\" SIZE");
                if (size <= 0 || size > 0xFFFF) return Fail(line.number, "font size out of range");
                d.pointSize = static_cast<uint16_t>(size);
                return true;
            }
            if (key == "menu") {
                ResourceId menu;
                if (n != 2 || !Id(line, 1, &menu)) return Fail(line.number, "menu ID");
                d.menu = menu;
                return true;
            }
            return Control(line, &d);
        });
        if (!ok) return false;
        // Without a style line, a dialog is a captioned modal popup.
        d.style = styleGiven ? style : (0x80000000 | 0x00C00000 | 0x00080000 | 0x80);
        if (d.pointSize != 0) d.style |= 0x40;  // DS_SETFONT
        Add(ResourceId::Number(kResDialog), name, EncodeDialog(d));
        return true;
    }

    // KIND ["text" | IMAGE-ID] ID X Y CX CY [style FLAGS] [exstyle FLAGS]
    // control "CLASS" "text" ID X Y CX CY [style FLAGS] [exstyle FLAGS]
    bool Control(const Line& line, DialogTemplate* d) {
        const std::string& kind = line.tokens[0].value;
        DialogControl c;
        size_t i = 1;
        if (kind == "control") {
            if (!Text(line, 1, &c.className) || !Text(line, 2, &c.text.name)) return false;
            if (c.className.empty()) return Fail(line.number, "empty class name");
            c.style = 0x40000000 | 0x10000000;
            i = 3;
        } else {
            auto it = ControlKinds().find(kind);
            if (it == ControlKinds().end()) return Fail(line.number, "unknown dialog line " + kind);
            c.className = it->second.className;
            c.style = it->second.style;
            if (it->second.textKind == ControlKind::kText) {
                if (!Text(line, i++, &c.text.name)) return false;
            } else if (it->second.textKind == ControlKind::kImage) {
                if (!Id(line, i++, &c.text)) return false;
            }
        }
        int64_t id = 0;
        if (!Number(line, i, &id)) return false;
        if (id < -1 || id > 0xFFFFFFFFLL) return Fail(line.number, "control id out of range");
        c.id = static_cast<int32_t>(id);
        if (!Rectangle(line, i + 1, &c.x, &c.y, &c.cx, &c.cy)) return false;
        i += 5;
        while (i < line.tokens.size()) {
            bool ex = Word(line, i, "exstyle");
            if (!ex && !Word(line, i, "style")) return Fail(line.number, "style or exstyle expected");
            size_t end = i + 1;
            while (end < line.tokens.size() && !Word(line, end, "style") && !Word(line, end, "exstyle")) ++end;
            if (!Flags(line, i + 1, end, ex ? &c.exStyle : &c.style)) return false;
            i = end;
        }
        if (d->controls.size() == 0xFFFF) return Fail(line.number, "too many controls");
        d->controls.push_back(std::move(c));
        return true;
    }

    bool Menu(const Line& open) {
        ResourceId name;
        if (open.tokens.size() != 2 || !Id(open, 1, &name)) return Fail(open.number, "menu ID");
        if (Duplicate(open, kResMenu, name)) return false;
        std::vector<MenuItem> items;
        if (!MenuItems(open.number, &items)) return false;
        Add(ResourceId::Number(kResMenu), name, EncodeMenu(items));
        return true;
    }

    bool MenuItems(int openLine, std::vector<MenuItem>* items) {
        return Block(openLine, [&](const Line& line) {
            const std::string& key = line.tokens[0].value;
            MenuItem item;
            if (key == "separator" && line.tokens.size() == 1) {
                item.flags = kMenuSeparator;
                items->push_back(item);
                return true;
            }
            size_t options = 0;
            if (key == "popup") {
                if (!Text(line, 1, &item.text)) return false;
                item.flags = kMenuPopup;
                options = 2;
            } else if (key == "item") {
                int64_t id = 0;
                if (!Text(line, 1, &item.text) || !Number(line, 2, &id)) return false;
                item.id = static_cast<uint32_t>(id);
                options = 3;
            } else {
                return Fail(line.number, "popup, item, separator or end expected");
            }
            static const std::map<std::string, uint32_t> flags = {
                {"grayed", 0x1}, {"disabled", 0x2}, {"checked", 0x8},
                {"barbreak", 0x20}, {"break", 0x40}, {"help", 0x4000}};
            for (size_t i = options; i < line.tokens.size(); ++i) {
                auto it = flags.find(line.tokens[i].value);
                if (it == flags.end()) return Fail(line.number, "unknown menu flag " + line.tokens[i].value);
                item.flags |= it->second;
            }
            if ((item.flags & kMenuPopup) && !MenuItems(line.number, &item.children)) return false;
            items->push_back(std::move(item));
            return true;
        });
    }

    // key KEY ID [virtkey] [shift] [control] [alt] [noinvert]
    // KEY: a VK_ name or number (a virtual key) or a quoted character.
    bool Accelerators(const Line& open) {
        ResourceId name;
        if (open.tokens.size() != 2 || !Id(open, 1, &name)) return Fail(open.number, "accelerators ID");
        if (Duplicate(open, kResAccelerator, name)) return false;
        std::vector<Accelerator> table;
        bool ok = Block(open.number, [&](const Line& line) {
            if (!Word(line, 0, "key") || line.tokens.size() < 3) return Fail(line.number, "key KEY ID [flags]");
            Accelerator a;
            const Token& key = line.tokens[1];
            if (key.kind == Token::kText) {
                if (key.value.size() != 1) return Fail(line.number, "a key text is one character");
                a.key = static_cast<unsigned char>(key.value[0]);
            } else {
                auto vk = VirtualKeyNames().find(key.value);
                int64_t v = 0;
                if (vk != VirtualKeyNames().end()) {
                    a.key = vk->second;
                } else if (ParseNumber(key.value, &v) && v >= 0 && v <= 0xFFFF) {
                    a.key = static_cast<uint16_t>(v);
                } else {
                    return Fail(line.number, "unknown key " + key.value);
                }
                a.flags |= 0x1;  // FVIRTKEY
            }
            if (!Id16(line, 2, &a.id)) return false;
            static const std::map<std::string, uint16_t> flags = {
                {"virtkey", 0x1}, {"noinvert", 0x2}, {"shift", 0x4}, {"control", 0x8}, {"alt", 0x10}};
            for (size_t i = 3; i < line.tokens.size(); ++i) {
                auto it = flags.find(line.tokens[i].value);
                if (it == flags.end()) return Fail(line.number, "unknown key flag " + line.tokens[i].value);
                a.flags |= it->second;
            }
            table.push_back(a);
            return true;
        });
        if (!ok) return false;
        Add(ResourceId::Number(kResAccelerator), name, EncodeAccelerators(table));
        return true;
    }

    // bitmap ID "file.bmp": the device-independent bitmap without its file header.
    bool Bitmap(const Line& line) {
        ResourceId name;
        std::string file;
        if (line.tokens.size() != 3 || !Id(line, 1, &name) || !Text(line, 2, &file)) return Fail(line.number, "bitmap ID \"file.bmp\"");
        if (Duplicate(line, kResBitmap, name)) return false;
        std::vector<uint8_t> bytes;
        if (!ReadFile(line, file, &bytes)) return false;
        if (bytes.size() <= 14 || bytes[0] != 'B' || bytes[1] != 'M') return Fail(line.number, file + " is not a bitmap file");
        Add(ResourceId::Number(kResBitmap), name, std::vector<uint8_t>(bytes.begin() + 14, bytes.end()));
        return true;
    }

    // icon ID "file.ico": each image becomes an icon resource of its own
    // (numbered from 1 across the module), and the group lists them.
    bool Icon(const Line& line) {
        ResourceId name;
        std::string file;
        if (line.tokens.size() != 3 || !Id(line, 1, &name) || !Text(line, 2, &file)) return Fail(line.number, "icon ID \"file.ico\"");
        if (Duplicate(line, kResGroupIcon, name)) return false;
        std::vector<uint8_t> ico;
        if (!ReadFile(line, file, &ico)) return false;
        auto u16 = [&](size_t at) { return static_cast<uint16_t>(ico[at] | (ico[at + 1] << 8)); };
        auto u32 = [&](size_t at) { return static_cast<uint32_t>(u16(at) | (static_cast<uint32_t>(u16(at + 2)) << 16)); };
        if (ico.size() < 6 || u16(0) != 0 || u16(2) != 1 || u16(4) == 0) return Fail(line.number, file + " is not an icon file");
        uint16_t count = u16(4);
        if (ico.size() < 6 + 16u * count) return Fail(line.number, file + " is cut short");
        std::vector<uint8_t> group = {0, 0, 1, 0, static_cast<uint8_t>(count & 0xFF), static_cast<uint8_t>(count >> 8)};
        for (uint16_t k = 0; k < count; ++k) {
            size_t e = 6 + 16u * k;
            uint32_t size = u32(e + 8), offset = u32(e + 12);
            if (offset > ico.size() || size > ico.size() - offset) return Fail(line.number, file + " is cut short");
            uint16_t iconId = ++iconCount_;
            Add(ResourceId::Number(kResIcon), ResourceId::Number(iconId),
                std::vector<uint8_t>(ico.begin() + offset, ico.begin() + offset + size));
            group.insert(group.end(), ico.begin() + static_cast<ptrdiff_t>(e), ico.begin() + static_cast<ptrdiff_t>(e + 12));
            group.push_back(static_cast<uint8_t>(iconId & 0xFF));
            group.push_back(static_cast<uint8_t>(iconId >> 8));
        }
        Add(ResourceId::Number(kResGroupIcon), name, std::move(group));
        return true;
    }

    // data TYPE ID file "name" | data TYPE ID text "text"
    // TYPE: RCDATA, a number, or a quoted type name such as "AVI".
    bool Data(const Line& line) {
        ResourceId type, name;
        if (line.tokens.size() != 5) return Fail(line.number, "data TYPE ID file|text \"...\"");
        if (Word(line, 1, "RCDATA"))
            type = ResourceId::Number(kResRcData);
        else if (!Id(line, 1, &type))
            return false;
        if (!Id(line, 2, &name)) return false;
        if (Duplicate(line, type, name)) return false;
        std::string value;
        if (!Text(line, 4, &value)) return false;
        std::vector<uint8_t> bytes;
        if (Word(line, 3, "file")) {
            if (!ReadFile(line, value, &bytes)) return false;
        } else if (Word(line, 3, "text")) {
            bytes.assign(value.begin(), value.end());
        } else {
            return Fail(line.number, "file or text expected");
        }
        Add(type, name, std::move(bytes));
        return true;
    }

    // form "file.vfm": the readable source of a form, compiled into the form
    // stream and stored as raw data named after its upper-cased class.
    bool Form(const Line& line) {
        if (line.tokens.size() != 2) return Fail(line.number, "form \"source.vfm\"");
        std::string value;
        if (!Text(line, 1, &value)) return false;
        std::vector<uint8_t> bytes;
        if (!ReadFile(line, value, &bytes)) return false;
        vpr::forms::FormObject root;
        std::string error;
        if (!vpr::forms::ParseFormSource(std::string(bytes.begin(), bytes.end()), &root, &error))
            return Fail(line.number, value + ": " + error);
        std::string name = root.className;
        for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        ResourceId type = ResourceId::Number(kResRcData), id = ResourceId::Name(name);
        if (Duplicate(line, type, id)) return false;
        Add(type, id, vpr::forms::EncodeFormStream(root));
        return true;
    }

    // version
    //     file A.B.C.D / product A.B.C.D / type app|dll
    //     strings "040904E4" ... NAME "value" ... end
    // end
    bool Version(const Line& open) {
        if (version_) return Fail(open.number, "version given twice");
        version_.emplace();
        VersionResource& v = *version_;
        return Block(open.number, [&](const Line& line) {
            const std::string& key = line.tokens[0].value;
            size_t n = line.tokens.size();
            if ((key == "file" || key == "product") && n == 2) {
                if (!ParseVersionText(line.tokens[1].value, key == "file" ? &v.fileVersion : &v.productVersion))
                    return Fail(line.number, "version A.B.C.D expected");
                return true;
            }
            if (key == "type" && n == 2) {
                const std::string& t = line.tokens[1].value;
                if (t != "app" && t != "dll") return Fail(line.number, "type app or dll");
                v.fileType = t == "app" ? 1 : 2;
                return true;
            }
            if (key == "strings" && n == 2) {
                std::string table;
                if (!Text(line, 1, &table)) return false;
                if (table.size() != 8 || table.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
                    return Fail(line.number, "a string table key is 8 hex digits: language then code page");
                bool known = false;
                for (const VersionStringTable& t : v.tables) known |= ::strcasecmp(t.key.c_str(), table.c_str()) == 0;
                if (!known) v.tables.push_back({table, {}});
                return Block(line.number, [&](const Line& entry) {
                    std::string value;
                    if (entry.tokens.size() != 2 || !Text(entry, 1, &value)) return Fail(entry.number, "NAME \"value\"");
                    v.SetString(table, entry.tokens[0].value, value);
                    return true;
                });
            }
            return Fail(line.number, "file, product, type or strings expected");
        });
    }

    bool FinishVersion() {
        if (!version_ && !options_.version) return true;
        if (!version_) version_.emplace();
        VersionResource& v = *version_;
        if (options_.version) {
            v.fileVersion = *options_.version;
            v.productVersion = *options_.version;
        }
        if (options_.fileType != 0) v.fileType = options_.fileType;
        if (v.tables.empty()) v.tables.push_back({"040904E4", {}});
        // Version strings the source does not give follow the version words.
        for (size_t t = 0; t < v.tables.size(); ++t) {
            bool hasFile = false, hasProduct = false;
            for (const auto& [name, value] : v.tables[t].values) {
                hasFile |= ::strcasecmp(name.c_str(), "FileVersion") == 0;
                hasProduct |= ::strcasecmp(name.c_str(), "ProductVersion") == 0;
            }
            if (!hasFile) v.SetString(v.tables[t].key, "FileVersion", VersionText(v.fileVersion));
            if (!hasProduct) v.SetString(v.tables[t].key, "ProductVersion", VersionText(v.productVersion));
        }
        Add(ResourceId::Number(kResVersion), ResourceId::Number(1), EncodeVersion(v));
        return true;
    }

    const CompileOptions& options_;
    CompileResult* result_;
    std::string path_;
    std::vector<Line> lines_;
    static constexpr int kMaxSourceIncludes = 64;
    int sourceIncludes_ = 0;
    size_t pos_ = 0;
    std::map<std::string, int64_t> defines_;
    std::map<uint16_t, std::string> strings_;
    std::optional<VersionResource> version_;
    uint16_t iconCount_ = 0;
};

}  // namespace

bool CompileResourceSource(const std::string& sourcePath, const CompileOptions& options,
                           CompileResult* result) {
    *result = CompileResult{};
    Compiler compiler(options, result);
    return compiler.Run(sourcePath);
}

}  // namespace vpr::win
