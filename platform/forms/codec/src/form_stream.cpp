// The binary form stream (layout in docs/forms.md): a signature, a version,
// then the root component; every text and count is preceded by its length,
// little-endian, and checked against the bytes left before it is used.
#include <cstring>

#include "vpr/forms/form_stream.h"

namespace vpr::forms {
namespace {

constexpr char kSignature[4] = {'V', 'F', 'R', 'M'};
constexpr uint16_t kVersion = 1;

class Writer {
public:
    void U8(uint8_t v) { bytes.push_back(v); }
    void U16(uint16_t v) {
        U8(static_cast<uint8_t>(v));
        U8(static_cast<uint8_t>(v >> 8));
    }
    void U32(uint32_t v) {
        U16(static_cast<uint16_t>(v));
        U16(static_cast<uint16_t>(v >> 16));
    }
    void Text(const std::string& text) {
        U32(static_cast<uint32_t>(text.size()));
        bytes.insert(bytes.end(), text.begin(), text.end());
    }
    void Items(const std::vector<std::string>& items) {
        U16(static_cast<uint16_t>(items.size()));
        for (const auto& item : items) Text(item);
    }
    void Object(const FormObject& object) {
        Text(object.className);
        Text(object.name);
        U16(static_cast<uint16_t>(object.properties.size()));
        for (const auto& property : object.properties) {
            Text(property.name);
            U8(static_cast<uint8_t>(property.value.kind));
            switch (property.value.kind) {
                case FormValue::Kind::kInteger: U32(static_cast<uint32_t>(property.value.integer)); break;
                case FormValue::Kind::kString:
                case FormValue::Kind::kIdent: Text(property.value.text); break;
                case FormValue::Kind::kSet:
                case FormValue::Kind::kList: Items(property.value.items); break;
            }
        }
        U16(static_cast<uint16_t>(object.children.size()));
        for (const auto& child : object.children) Object(child);
    }

    std::vector<uint8_t> bytes;
};

class Reader {
public:
    Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    bool Fail(const std::string& what) {
        if (error_.empty()) error_ = what + " at offset " + std::to_string(at_);
        return false;
    }
    const std::string& Error() const { return error_; }
    bool AtEnd() const { return at_ == size_; }

    bool Bytes(void* out, size_t n, const char* what) {
        if (size_ - at_ < n) return Fail(std::string("the stream ends inside ") + what);
        std::memcpy(out, data_ + at_, n);
        at_ += n;
        return true;
    }
    bool U8(uint8_t* v, const char* what) { return Bytes(v, 1, what); }
    bool U16(uint16_t* v, const char* what) {
        uint8_t b[2];
        if (!Bytes(b, 2, what)) return false;
        *v = static_cast<uint16_t>(b[0] | b[1] << 8);
        return true;
    }
    bool U32(uint32_t* v, const char* what) {
        uint8_t b[4];
        if (!Bytes(b, 4, what)) return false;
        *v = static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 | static_cast<uint32_t>(b[2]) << 16 |
             static_cast<uint32_t>(b[3]) << 24;
        return true;
    }
    bool Text(std::string* text, const char* what) {
        uint32_t length = 0;
        if (!U32(&length, what)) return false;
        if (length > size_ - at_)
            return Fail(std::string("the length of ") + what + " (" + std::to_string(length) +
                        ") runs past the end of the stream");
        text->assign(reinterpret_cast<const char*>(data_ + at_), length);
        at_ += length;
        return true;
    }
    // A name must be a text without control characters: a stream whose
    // names hold them is damaged, and they would end up in error messages.
    bool Name(std::string* text, const char* what, bool mayBeEmpty) {
        if (!Text(text, what)) return false;
        if (text->empty() && !mayBeEmpty) return Fail(std::string("an empty ") + what);
        for (unsigned char c : *text)
            if (c < 0x20 || c == 0x7F) return Fail(std::string("a control character in ") + what);
        return true;
    }
    bool Items(std::vector<std::string>* items, const char* what) {
        uint16_t count = 0;
        if (!U16(&count, "a count of items")) return false;
        // Each item takes at least its four length bytes.
        if (count > (size_ - at_) / 4) return Fail("an item count (" + std::to_string(count) + ") the stream cannot hold");
        items->resize(count);
        for (auto& item : *items)
            if (!Text(&item, what)) return false;
        return true;
    }
    bool Value(FormValue* value) {
        uint8_t kind = 0;
        if (!U8(&kind, "a value kind")) return false;
        value->kind = static_cast<FormValue::Kind>(kind);
        switch (value->kind) {
            case FormValue::Kind::kInteger: {
                uint32_t v = 0;
                if (!U32(&v, "an integer")) return false;
                value->integer = static_cast<int32_t>(v);
                return true;
            }
            case FormValue::Kind::kString: return Text(&value->text, "a string");
            case FormValue::Kind::kIdent: return Name(&value->text, "an identifier", false);
            case FormValue::Kind::kSet: return Items(&value->items, "a set element");
            case FormValue::Kind::kList: return Items(&value->items, "a list line");
        }
        return Fail("an unknown value kind " + std::to_string(kind));
    }
    bool Object(FormObject* object, int depth) {
        if (depth > kMaxFormDepth) return Fail("components nested deeper than " + std::to_string(kMaxFormDepth));
        if (!Name(&object->className, "a class name", false) || !Name(&object->name, "a component name", true))
            return false;
        uint16_t count = 0;
        if (!U16(&count, "a property count")) return false;
        // A property takes at least its name length and its kind.
        if (count > (size_ - at_) / 5)
            return Fail("a property count (" + std::to_string(count) + ") the stream cannot hold");
        object->properties.resize(count);
        for (auto& property : object->properties)
            if (!Name(&property.name, "a property name", false) || !Value(&property.value)) return false;
        if (!U16(&count, "a component count")) return false;
        // A component takes at least its two name lengths and two counts.
        if (count > (size_ - at_) / 12)
            return Fail("a component count (" + std::to_string(count) + ") the stream cannot hold");
        object->children.resize(count);
        for (auto& child : object->children)
            if (!Object(&child, depth + 1)) return false;
        return true;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
    std::string error_;
};

}  // namespace

std::vector<uint8_t> EncodeFormStream(const FormObject& root) {
    Writer writer;
    writer.bytes.assign(kSignature, kSignature + sizeof kSignature);
    writer.U16(kVersion);
    writer.Object(root);
    return std::move(writer.bytes);
}

bool DecodeFormStream(const uint8_t* data, size_t size, FormObject* root, std::string* error) {
    Reader reader(data, size);
    char signature[4] = {};
    uint16_t version = 0;
    bool ok = reader.Bytes(signature, sizeof signature, "the signature") &&
              (std::memcmp(signature, kSignature, sizeof signature) == 0 || reader.Fail("not a form stream")) &&
              reader.U16(&version, "the version") &&
              (version == kVersion || reader.Fail("form stream version " + std::to_string(version))) &&
              reader.Object(root, 0) && (reader.AtEnd() || reader.Fail("bytes after the form"));
    if (!ok && error) *error = reader.Error();
    return ok;
}

}  // namespace vpr::forms
