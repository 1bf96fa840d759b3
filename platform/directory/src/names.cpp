#include "vpr/directory/names.h"

#include "vpr/directory/client.h"

namespace vpr::directory {

namespace {

// Drops a leading attribute type such as "CN=" or "OU=".
std::string_view StripType(std::string_view component) {
    static constexpr std::string_view kTypes[] = {"CN=", "OU=", "O=", "C=", "L=", "S="};
    for (std::string_view type : kTypes) {
        if (component.size() > type.size() && SameName(component.substr(0, type.size()), type))
            return component.substr(type.size());
    }
    return component;
}

bool ValidComponent(std::string_view component) {
    if (component.empty() || component.size() > kMaxComponentBytes) return false;
    if (component.front() == ' ' || component.back() == ' ') return false;
    for (char c : component) {
        auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || c == '.' || c == '+' || c == '=') return false;
    }
    return component != DIR_ROOT_NAME && component != DIR_PUBLIC_NAME;
}

}  // namespace

std::string FoldCase(std::string_view text) {
    std::string folded(text);
    for (char& c : folded)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return folded;
}

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && FoldCase(a) == FoldCase(b);
}

bool SameName(const NameParts& a, const NameParts& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (!SameName(a[i], b[i])) return false;
    return true;
}

bool IsWithin(const NameParts& inner, const NameParts& outer) {
    if (outer.size() > inner.size()) return false;
    size_t offset = inner.size() - outer.size();
    for (size_t i = 0; i < outer.size(); ++i)
        if (!SameName(inner[offset + i], outer[i])) return false;
    return true;
}

int ParseName(std::string_view text, const NameParts& nameContext, NameParts* out) {
    bool absolute = !text.empty() && text.front() == '.';
    if (absolute) text.remove_prefix(1);
    if (text.empty()) return DIR_ERR_BAD_NAME;
    NameParts parts;
    if (text != DIR_ROOT_NAME) {
        size_t start = 0;
        for (;;) {
            size_t dot = text.find('.', start);
            std::string_view component =
                StripType(text.substr(start, dot == std::string_view::npos ? dot : dot - start));
            if (!ValidComponent(component)) return DIR_ERR_BAD_NAME;
            parts.emplace_back(component);
            if (dot == std::string_view::npos) break;
            start = dot + 1;
        }
    }
    if (!absolute && text != DIR_ROOT_NAME)
        parts.insert(parts.end(), nameContext.begin(), nameContext.end());
    if (FormatName(parts).size() > kMaxFullNameBytes) return DIR_ERR_BAD_NAME;
    *out = std::move(parts);
    return DIR_SUCCESS;
}

std::string FormatName(const NameParts& parts) {
    if (parts.empty()) return DIR_ROOT_NAME;
    std::string text;
    for (const std::string& part : parts) {
        if (!text.empty()) text += '.';
        text += part;
    }
    return text;
}

std::string AbbreviateName(const NameParts& name, const NameParts& nameContext) {
    if (name.empty()) return DIR_ROOT_NAME;
    if (IsWithin(name, nameContext) && name.size() > nameContext.size())
        return FormatName(NameParts(name.begin(), name.end() - nameContext.size()));
    return "." + FormatName(name);
}

}  // namespace vpr::directory
