#include "vpr/directory/value_codec.h"

#include <cstdio>
#include <cstring>

#include "vpr/directory/client.h"

namespace vpr::directory {

namespace {

std::string_view AsText(const std::vector<uint8_t>& bytes, size_t offset = 0) {
    return {reinterpret_cast<const char*>(bytes.data()) + offset, bytes.size() - offset};
}

void Append(std::vector<uint8_t>* bytes, std::string_view text) {
    bytes->insert(bytes->end(), text.begin(), text.end());
}

// A name value: "[Public]" stands for itself, anything else is completed.
int EncodeName(const char* text, const NameParts& nameContext, std::string* out) {
    if (!text) return DIR_ERR_BAD_PARAMETER;
    if (std::strcmp(text, DIR_PUBLIC_NAME) == 0) {
        *out = DIR_PUBLIC_NAME;
        return DIR_SUCCESS;
    }
    NameParts parts;
    int status = ParseName(text, nameContext, &parts);
    if (status != DIR_SUCCESS) return status;
    *out = FormatName(parts);
    return DIR_SUCCESS;
}

bool ValidText(std::string_view text) { return text.find('\0') == std::string_view::npos; }

}  // namespace

void PutU32(std::vector<uint8_t>* bytes, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes->push_back(static_cast<uint8_t>(value >> (8 * i)));
}

uint32_t GetU32(const uint8_t* bytes) {
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

bool IsTextSyntax(uint32_t syntax) {
    switch (syntax) {
        case DIR_SYNTAX_DIST_NAME:
        case DIR_SYNTAX_CE_STRING:
        case DIR_SYNTAX_CI_STRING:
        case DIR_SYNTAX_PR_STRING:
        case DIR_SYNTAX_NU_STRING:
        case DIR_SYNTAX_TEL_NUMBER:
        case DIR_SYNTAX_CLASS_NAME:
        case DIR_SYNTAX_STREAM:
            return true;
        default:
            return false;
    }
}

static bool IsNumberSyntax(uint32_t syntax) {
    return syntax == DIR_SYNTAX_BOOLEAN || syntax == DIR_SYNTAX_INTEGER || syntax == DIR_SYNTAX_TIME;
}

bool IsKnownSyntax(uint32_t syntax) {
    return IsTextSyntax(syntax) || IsNumberSyntax(syntax) || syntax == DIR_SYNTAX_OCTET_STRING ||
           syntax == DIR_SYNTAX_TYPED_NAME || syntax == DIR_SYNTAX_OBJECT_ACL;
}

Value MakeText(uint32_t syntax, std::string_view text) {
    Value value{syntax, {}};
    Append(&value.bytes, text);
    return value;
}

Value MakeInteger(uint32_t syntax, uint32_t number) {
    Value value{syntax, {}};
    PutU32(&value.bytes, number);
    return value;
}

Value MakeAcl(const AclParts& acl) {
    Value value{DIR_SYNTAX_OBJECT_ACL, {}};
    PutU32(&value.bytes, acl.privileges);
    PutU32(&value.bytes, static_cast<uint32_t>(acl.attribute.size()));
    Append(&value.bytes, acl.attribute);
    Append(&value.bytes, acl.trustee);
    return value;
}

bool SplitTypedName(const Value& value, TypedNameParts* out) {
    if (value.syntax != DIR_SYNTAX_TYPED_NAME || CheckValue(value) != DIR_SUCCESS) return false;
    out->level = GetU32(value.bytes.data());
    out->interval = GetU32(value.bytes.data() + 4);
    out->name = std::string(AsText(value.bytes, 8));
    return true;
}

bool SplitAcl(const Value& value, AclParts* out) {
    if (value.syntax != DIR_SYNTAX_OBJECT_ACL || CheckValue(value) != DIR_SUCCESS) return false;
    out->privileges = GetU32(value.bytes.data());
    uint32_t length = GetU32(value.bytes.data() + 4);
    out->attribute = std::string(AsText(value.bytes, 8).substr(0, length));
    out->trustee = std::string(AsText(value.bytes, 8 + length));
    return true;
}

int EncodeValue(uint32_t syntax, const void* value, const NameParts& nameContext, Value* out) {
    if (!value) return DIR_ERR_BAD_PARAMETER;
    Value encoded{syntax, {}};
    switch (syntax) {
        case DIR_SYNTAX_DIST_NAME:
        case DIR_SYNTAX_STREAM: {
            std::string name;
            int status = EncodeName(static_cast<const char*>(value), nameContext, &name);
            if (status != DIR_SUCCESS) return status;
            if (name == DIR_PUBLIC_NAME) return DIR_ERR_BAD_NAME;
            Append(&encoded.bytes, name);
            break;
        }
        case DIR_SYNTAX_BOOLEAN:
        case DIR_SYNTAX_INTEGER:
        case DIR_SYNTAX_TIME: {
            uint32_t number;
            std::memcpy(&number, value, 4);
            if (syntax == DIR_SYNTAX_BOOLEAN && number > 1) return DIR_ERR_BAD_SYNTAX;
            PutU32(&encoded.bytes, number);
            break;
        }
        case DIR_SYNTAX_OCTET_STRING: {
            auto octets = static_cast<const DirOctetString*>(value);
            if (octets->length > 0 && !octets->data) return DIR_ERR_BAD_PARAMETER;
            encoded.bytes.assign(octets->data, octets->data + octets->length);
            break;
        }
        case DIR_SYNTAX_TYPED_NAME: {
            auto typed = static_cast<const DirTypedName*>(value);
            std::string name;
            int status = EncodeName(typed->name, nameContext, &name);
            if (status != DIR_SUCCESS) return status;
            PutU32(&encoded.bytes, typed->level);
            PutU32(&encoded.bytes, typed->interval);
            Append(&encoded.bytes, name);
            break;
        }
        case DIR_SYNTAX_OBJECT_ACL: {
            auto acl = static_cast<const DirAclValue*>(value);
            if (!acl->protectedAttribute || !*acl->protectedAttribute) return DIR_ERR_BAD_PARAMETER;
            AclParts parts{acl->protectedAttribute, {}, acl->privileges};
            int status = EncodeName(acl->trustee, nameContext, &parts.trustee);
            if (status != DIR_SUCCESS) return status;
            encoded = MakeAcl(parts);
            break;
        }
        default:
            if (!IsTextSyntax(syntax)) return DIR_ERR_BAD_SYNTAX;
            Append(&encoded.bytes, static_cast<const char*>(value));
            break;
    }
    *out = std::move(encoded);
    return DIR_SUCCESS;
}

int CheckValue(const Value& value, std::string* why) {
    auto damaged = [&](const char* reason) {
        if (why) *why = reason;
        return DIR_ERR_DAMAGED_VALUE;
    };
    const std::vector<uint8_t>& bytes = value.bytes;
    switch (value.syntax) {
        case DIR_SYNTAX_BOOLEAN:
        case DIR_SYNTAX_INTEGER:
        case DIR_SYNTAX_TIME:
            if (bytes.size() != 4) return damaged("a number is not 4 bytes long");
            if (value.syntax == DIR_SYNTAX_BOOLEAN && GetU32(bytes.data()) > 1)
                return damaged("a boolean is neither 0 nor 1");
            return DIR_SUCCESS;
        case DIR_SYNTAX_OCTET_STRING:
            return DIR_SUCCESS;
        case DIR_SYNTAX_TYPED_NAME:
            if (bytes.size() < 8) return damaged("a typed name is shorter than its two numbers");
            if (!ValidText(AsText(bytes, 8))) return damaged("a name holds a NUL");
            return DIR_SUCCESS;
        case DIR_SYNTAX_OBJECT_ACL: {
            if (bytes.size() < 8) return damaged("an ACL is shorter than its two numbers");
            uint32_t length = GetU32(bytes.data() + 4);
            if (length > bytes.size() - 8) return damaged("an ACL's attribute runs past its end");
            if (length == 0) return damaged("an ACL names no attribute");
            if (!ValidText(AsText(bytes, 8))) return damaged("a name holds a NUL");
            return DIR_SUCCESS;
        }
        default:
            if (!IsTextSyntax(value.syntax)) return damaged("unknown syntax");
            if (!ValidText(AsText(bytes))) return damaged("a text holds a NUL");
            return DIR_SUCCESS;
    }
}

int DecodedSize(const Value& value, size_t* size) {
    int status = CheckValue(value);
    if (status != DIR_SUCCESS) return status;
    switch (value.syntax) {
        case DIR_SYNTAX_BOOLEAN:
        case DIR_SYNTAX_INTEGER:
        case DIR_SYNTAX_TIME:
            *size = 4;
            break;
        case DIR_SYNTAX_OCTET_STRING:
            *size = sizeof(DirOctetString) + value.bytes.size();
            break;
        case DIR_SYNTAX_TYPED_NAME:
            *size = sizeof(DirTypedName) + value.bytes.size() - 8 + 1;
            break;
        case DIR_SYNTAX_OBJECT_ACL:
            *size = sizeof(DirAclValue) + value.bytes.size() - 8 + 2;
            break;
        default:
            *size = value.bytes.size() + 1;
            break;
    }
    return DIR_SUCCESS;
}

int DecodeValue(const Value& value, void* out) {
    int status = CheckValue(value);
    if (status != DIR_SUCCESS) return status;
    auto base = static_cast<uint8_t*>(out);
    switch (value.syntax) {
        case DIR_SYNTAX_BOOLEAN:
        case DIR_SYNTAX_INTEGER:
        case DIR_SYNTAX_TIME: {
            uint32_t number = GetU32(value.bytes.data());
            std::memcpy(out, &number, 4);
            break;
        }
        case DIR_SYNTAX_OCTET_STRING: {
            DirOctetString octets{static_cast<uint32_t>(value.bytes.size()),
                                  base + sizeof(DirOctetString)};
            if (!value.bytes.empty())
                std::memcpy(octets.data, value.bytes.data(), value.bytes.size());
            std::memcpy(out, &octets, sizeof octets);
            break;
        }
        case DIR_SYNTAX_TYPED_NAME: {
            TypedNameParts parts;
            SplitTypedName(value, &parts);
            char* name = reinterpret_cast<char*>(base + sizeof(DirTypedName));
            std::memcpy(name, parts.name.c_str(), parts.name.size() + 1);
            DirTypedName typed{name, parts.level, parts.interval};
            std::memcpy(out, &typed, sizeof typed);
            break;
        }
        case DIR_SYNTAX_OBJECT_ACL: {
            AclParts parts;
            SplitAcl(value, &parts);
            char* attribute = reinterpret_cast<char*>(base + sizeof(DirAclValue));
            std::memcpy(attribute, parts.attribute.c_str(), parts.attribute.size() + 1);
            char* trustee = attribute + parts.attribute.size() + 1;
            std::memcpy(trustee, parts.trustee.c_str(), parts.trustee.size() + 1);
            DirAclValue acl{attribute, trustee, parts.privileges};
            std::memcpy(out, &acl, sizeof acl);
            break;
        }
        default:
            if (!value.bytes.empty()) std::memcpy(out, value.bytes.data(), value.bytes.size());
            base[value.bytes.size()] = 0;
            break;
    }
    return DIR_SUCCESS;
}

int DecodeStoredValue(uint32_t syntax, const uint8_t* bytes, size_t size,
                      std::vector<uint8_t>* out) {
    if (!bytes && size > 0) return DIR_ERR_BAD_PARAMETER;
    Value value{syntax, std::vector<uint8_t>(bytes, bytes + size)};
    size_t decodedSize = 0;
    int status = DecodedSize(value, &decodedSize);
    if (status != DIR_SUCCESS) return status;
    // The caller's form holds pointers: keep it aligned for them.
    out->assign(decodedSize, 0);
    return DecodeValue(value, out->data());
}

bool SameValue(const Value& a, const Value& b) {
    if (a.syntax != b.syntax) return false;
    // A damaged value equals only its own bytes, so that it can be removed.
    if (CheckValue(a) != DIR_SUCCESS || CheckValue(b) != DIR_SUCCESS) return a.bytes == b.bytes;
    switch (a.syntax) {
        case DIR_SYNTAX_STREAM:
            return true;  // an attribute holds one stream
        case DIR_SYNTAX_CE_STRING:
        case DIR_SYNTAX_BOOLEAN:
        case DIR_SYNTAX_INTEGER:
        case DIR_SYNTAX_TIME:
        case DIR_SYNTAX_OCTET_STRING:
            return a.bytes == b.bytes;
        case DIR_SYNTAX_TYPED_NAME: {
            TypedNameParts x, y;
            return SplitTypedName(a, &x) && SplitTypedName(b, &y) && x.level == y.level &&
                   x.interval == y.interval && SameName(x.name, y.name);
        }
        case DIR_SYNTAX_OBJECT_ACL: {
            AclParts x, y;
            return SplitAcl(a, &x) && SplitAcl(b, &y) && x.privileges == y.privileges &&
                   SameName(x.attribute, y.attribute) && SameName(x.trustee, y.trustee);
        }
        default:
            return SameName(AsText(a.bytes), AsText(b.bytes));
    }
}

namespace {

bool ParseNumber(std::string_view text, uint32_t* out) {
    std::string copy(text);
    if (copy.empty()) return false;
    char* end = nullptr;
    unsigned long long number = std::strtoull(copy.c_str(), &end, 0);
    if (*end != 0 || number > 0xFFFFFFFFull || copy[0] == '-') return false;
    *out = static_cast<uint32_t>(number);
    return true;
}

std::vector<std::string_view> SplitSemicolons(std::string_view text) {
    std::vector<std::string_view> fields;
    size_t start = 0;
    for (;;) {
        size_t semicolon = text.find(';', start);
        fields.push_back(text.substr(start, semicolon == std::string_view::npos ? semicolon
                                                                                : semicolon - start));
        if (semicolon == std::string_view::npos) return fields;
        start = semicolon + 1;
    }
}

}  // namespace

int ValueFromText(uint32_t syntax, std::string_view text, Value* out) {
    if (!ValidText(text)) return DIR_ERR_BAD_SYNTAX;
    std::string copy(text);
    const NameParts root;
    switch (syntax) {
        case DIR_SYNTAX_BOOLEAN:
        case DIR_SYNTAX_INTEGER:
        case DIR_SYNTAX_TIME: {
            uint32_t number;
            if (!ParseNumber(text, &number)) return DIR_ERR_BAD_SYNTAX;
            return EncodeValue(syntax, &number, root, out);
        }
        case DIR_SYNTAX_OCTET_STRING: {
            if (text.substr(0, 4) != "hex:") {
                *out = MakeText(syntax, text);
                return DIR_SUCCESS;
            }
            std::string_view digits = text.substr(4);
            if (digits.size() % 2) return DIR_ERR_BAD_SYNTAX;
            Value value{syntax, {}};
            for (size_t i = 0; i < digits.size(); i += 2) {
                uint32_t byte;
                if (!ParseNumber("0x" + std::string(digits.substr(i, 2)), &byte))
                    return DIR_ERR_BAD_SYNTAX;
                value.bytes.push_back(static_cast<uint8_t>(byte));
            }
            *out = std::move(value);
            return DIR_SUCCESS;
        }
        case DIR_SYNTAX_TYPED_NAME: {
            auto fields = SplitSemicolons(text);
            DirTypedName typed{nullptr, 0, 0};
            if (fields.size() != 3 || !ParseNumber(fields[1], &typed.level) ||
                !ParseNumber(fields[2], &typed.interval))
                return DIR_ERR_BAD_SYNTAX;
            std::string name(fields[0]);
            typed.name = name.data();
            return EncodeValue(syntax, &typed, root, out);
        }
        case DIR_SYNTAX_OBJECT_ACL: {
            auto fields = SplitSemicolons(text);
            DirAclValue acl{nullptr, nullptr, 0};
            if (fields.size() != 3 || !ParseNumber(fields[2], &acl.privileges))
                return DIR_ERR_BAD_SYNTAX;
            std::string attribute(fields[0]), trustee(fields[1]);
            acl.protectedAttribute = attribute.data();
            acl.trustee = trustee.data();
            return EncodeValue(syntax, &acl, root, out);
        }
        default:
            return EncodeValue(syntax, copy.c_str(), root, out);
    }
}

std::string ValueToText(const Value& value) {
    if (CheckValue(value) != DIR_SUCCESS) return "?";
    switch (value.syntax) {
        case DIR_SYNTAX_BOOLEAN:
        case DIR_SYNTAX_INTEGER:
        case DIR_SYNTAX_TIME:
            return std::to_string(GetU32(value.bytes.data()));
        case DIR_SYNTAX_OCTET_STRING: {
            bool printable = true;
            for (uint8_t byte : value.bytes) printable = printable && byte >= 0x20 && byte < 0x7F;
            if (printable && AsText(value.bytes).substr(0, 4) != "hex:")
                return std::string(AsText(value.bytes));
            std::string hex = "hex:";
            char digits[3];
            for (uint8_t byte : value.bytes) {
                std::snprintf(digits, sizeof digits, "%02x", byte);
                hex += digits;
            }
            return hex;
        }
        case DIR_SYNTAX_TYPED_NAME: {
            TypedNameParts parts;
            if (!SplitTypedName(value, &parts)) return "?";
            return parts.name + ";" + std::to_string(parts.level) + ";" +
                   std::to_string(parts.interval);
        }
        case DIR_SYNTAX_OBJECT_ACL: {
            AclParts parts;
            if (!SplitAcl(value, &parts)) return "?";
            return parts.attribute + ";" + parts.trustee + ";" + std::to_string(parts.privileges);
        }
        default:
            return std::string(AsText(value.bytes));
    }
}

}  // namespace vpr::directory
