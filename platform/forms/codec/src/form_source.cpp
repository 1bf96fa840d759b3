// The readable form source (docs/forms.md):
//
//   object frmMain: TfrmMain          // a component: name and class
//     Caption = 'Imprix'              // NAME[.NAME] = value
//     Font.Size = 8
//     object btnNext: TButton
//       ...
//     end
//     object TPage                    // a component without a name
//     end
//   end
//
// Values: integers (42, -7, $1F), strings ('it''s', #13, joined: 'a'#13'b'),
// identifiers, sets [a, b] and string lists ('one' 'two'). "//" starts a
// comment that runs to the end of the line.
#include <cctype>

#include "vpr/forms/form_stream.h"

namespace vpr::forms {
namespace {

struct Token {
    enum Kind { kEnd, kIdent, kString, kInteger, kSymbol } kind = kEnd;
    std::string text;
    int32_t integer = 0;
    int line = 1;
};

class Parser {
public:
    explicit Parser(const std::string& text) : text_(text) {}

    bool Parse(FormObject* root) {
        if (!Next()) return false;
        if (!IsWord("object")) return Fail("a form source begins with \"object\"");
        if (!Object(root, 0)) return false;
        if (token_.kind != Token::kEnd) return Fail("text after the form's \"end\"");
        return true;
    }
    const std::string& Error() const { return error_; }

private:
    bool Fail(const std::string& what) {
        if (error_.empty()) error_ = "line " + std::to_string(token_.line) + ": " + what;
        return false;
    }
    bool IsWord(const char* word) const {
        if (token_.kind != Token::kIdent || token_.text.size() != std::char_traits<char>::length(word)) return false;
        for (size_t i = 0; i < token_.text.size(); ++i)
            if (std::tolower(static_cast<unsigned char>(token_.text[i])) != word[i]) return false;
        return true;
    }
    bool IsSymbol(char c) const { return token_.kind == Token::kSymbol && token_.text[0] == c; }

    // The token at `token_` is "object".
    bool Object(FormObject* object, int depth) {
        if (depth > kMaxFormDepth) return Fail("components nested deeper than " + std::to_string(kMaxFormDepth));
        object->line = token_.line;
        if (!Next()) return false;
        if (token_.kind != Token::kIdent) return Fail("a component name or class after \"object\"");
        std::string first = token_.text;
        if (!Next()) return false;
        if (IsSymbol(':')) {
            if (!Next()) return false;
            if (token_.kind != Token::kIdent) return Fail("a class name after \":\"");
            object->name = first;
            object->className = token_.text;
            if (!Next()) return false;
        } else {
            object->className = first;
        }
        while (!IsWord("end")) {
            if (token_.kind == Token::kEnd) return Fail("\"end\" missing for " + Describe(*object));
            if (IsWord("object")) {
                if (object->children.size() == 0xFFFF) return Fail("too many components");
                object->children.emplace_back();
                if (!Object(&object->children.back(), depth + 1)) return false;
                continue;
            }
            if (!Property(object)) return false;
        }
        return Next();
    }

    static std::string Describe(const FormObject& object) {
        return object.name.empty() ? object.className : object.name + ": " + object.className;
    }

    bool Property(FormObject* object) {
        if (token_.kind != Token::kIdent) return Fail("a property name expected");
        if (object->properties.size() == 0xFFFF) return Fail("too many properties");
        FormProperty property;
        property.line = token_.line;
        property.name = token_.text;
        if (!Next()) return false;
        while (IsSymbol('.')) {
            if (!Next()) return false;
            if (token_.kind != Token::kIdent) return Fail("a property name after \".\"");
            property.name += "." + token_.text;
            if (!Next()) return false;
        }
        if (!IsSymbol('=')) return Fail("\"=\" expected after " + property.name);
        if (!Next() || !Value(&property.value)) return false;
        object->properties.push_back(std::move(property));
        return true;
    }

    bool Value(FormValue* value) {
        if (token_.kind == Token::kInteger) {
            value->kind = FormValue::Kind::kInteger;
            value->integer = token_.integer;
            return Next();
        }
        if (token_.kind == Token::kString) {
            value->kind = FormValue::Kind::kString;
            value->text = token_.text;
            return Next();
        }
        if (token_.kind == Token::kIdent) {
            value->kind = FormValue::Kind::kIdent;
            value->text = token_.text;
            return Next();
        }
        if (IsSymbol('[')) {
            value->kind = FormValue::Kind::kSet;
            if (!Next()) return false;
            while (!IsSymbol(']')) {
                if (token_.kind != Token::kIdent) return Fail("a set holds identifiers");
                if (value->items.size() == 0xFFFF) return Fail("too many set elements");
                value->items.push_back(token_.text);
                if (!Next()) return false;
                if (IsSymbol(',') && !Next()) return false;
            }
            return Next();
        }
        if (IsSymbol('(')) {
            value->kind = FormValue::Kind::kList;
            if (!Next()) return false;
            while (!IsSymbol(')')) {
                if (token_.kind != Token::kString) return Fail("a list holds strings");
                if (value->items.size() == 0xFFFF) return Fail("too many list lines");
                value->items.push_back(token_.text);
                if (!Next()) return false;
            }
            return Next();
        }
        return Fail("a value expected");
    }

    // Reads the next token into token_; false (with the error) on bad text.
    bool Next() {
        SkipBlanks();
        token_ = Token{};
        token_.line = line_;
        if (at_ >= text_.size()) return true;
        char c = text_[at_];
        unsigned char u = static_cast<unsigned char>(c);
        if (std::isalpha(u) || c == '_') {
            token_.kind = Token::kIdent;
            while (at_ < text_.size() && (std::isalnum(static_cast<unsigned char>(text_[at_])) || text_[at_] == '_'))
                token_.text += text_[at_++];
            return true;
        }
        if (std::isdigit(u) || c == '-' || c == '$') return Integer();
        if (c == '\'' || c == '#') return String();
        if (std::string("=:.[](),").find(c) != std::string::npos) {
            token_.kind = Token::kSymbol;
            token_.text = std::string(1, c);
            ++at_;
            return true;
        }
        return Fail(std::string("unexpected character '") + c + "'");
    }

    void SkipBlanks() {
        while (at_ < text_.size()) {
            char c = text_[at_];
            if (c == '\n') {
                ++line_;
                ++at_;
            } else if (c == ' ' || c == '\t' || c == '\r') {
                ++at_;
            } else if (c == '/' && at_ + 1 < text_.size() && text_[at_ + 1] == '/') {
                while (at_ < text_.size() && text_[at_] != '\n') ++at_;
            } else {
                return;
            }
        }
    }

    bool Integer() {
        bool negative = text_[at_] == '-';
        if (negative) ++at_;
        int base = 10;
        if (at_ < text_.size() && text_[at_] == '$') {
            base = 16;
            ++at_;
        }
        int64_t value = 0;
        size_t start = at_;
        while (at_ < text_.size()) {
            int digit = -1;
            char d = static_cast<char>(std::tolower(static_cast<unsigned char>(text_[at_])));
            if (d >= '0' && d <= '9') digit = d - '0';
            else if (base == 16 && d >= 'a' && d <= 'f') digit = d - 'a' + 10;
            if (digit < 0) break;
            value = value * base + digit;
            if (value > (base == 16 ? 0xFFFFFFFFLL : 0x80000000LL)) return Fail("a number out of range");
            ++at_;
        }
        if (at_ == start) return Fail("a number expected");
        if (negative) value = -value;
        if (base == 10 && value > 0x7FFFFFFF) return Fail("a number out of range");
        token_.kind = Token::kInteger;
        token_.integer = static_cast<int32_t>(static_cast<uint32_t>(value));
        return true;
    }

    // 'quoted' parts and #code characters, side by side, make one string.
    bool String() {
        token_.kind = Token::kString;
        while (at_ < text_.size() && (text_[at_] == '\'' || text_[at_] == '#')) {
            if (text_[at_] == '#') {
                ++at_;
                int code = 0;
                size_t start = at_;
                while (at_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[at_])) && code < 256)
                    code = code * 10 + (text_[at_++] - '0');
                if (at_ == start || code > 255) return Fail("a character code from #0 to #255 expected");
                token_.text += static_cast<char>(code);
                continue;
            }
            ++at_;
            while (true) {
                if (at_ >= text_.size() || text_[at_] == '\n') return Fail("a string is not closed");
                if (text_[at_] == '\'') {
                    if (at_ + 1 < text_.size() && text_[at_ + 1] == '\'') {
                        token_.text += '\'';
                        at_ += 2;
                        continue;
                    }
                    ++at_;
                    break;
                }
                token_.text += text_[at_++];
            }
        }
        return true;
    }

    const std::string& text_;
    size_t at_ = 0;
    int line_ = 1;
    Token token_;
    std::string error_;
};

}  // namespace

bool ParseFormSource(const std::string& text, FormObject* root, std::string* error) {
    Parser parser(text);
    *root = FormObject{};
    if (parser.Parse(root)) return true;
    if (error) *error = parser.Error();
    return false;
}

}  // namespace vpr::forms
