// Fuzz target of the directory's stored values: the first byte is the
// syntax (any number, so unknown syntaxes too), the rest the bytes a store
// holds, as a damaged or foreign store may hold them. The value is checked,
// decoded to the caller's form as the reply readers decode it, shown as
// text and compared. A value that decodes encodes back to the same bytes
// from the caller's form and from its text (names, completed on the way,
// only have to encode); one that does not decode is refused everywhere.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "fuzz_kit.h"
#include "vpr/directory/client.h"
#include "vpr/directory/value_codec.h"

namespace {

using vpr::directory::Value;

using vpr::fuzz::Fail;

// Syntaxes whose bytes are not completed as names on the way in.
bool KeepsItsBytes(uint32_t syntax) {
    return syntax != DIR_SYNTAX_DIST_NAME && syntax != DIR_SYNTAX_STREAM &&
           syntax != DIR_SYNTAX_TYPED_NAME && syntax != DIR_SYNTAX_OBJECT_ACL;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    uint32_t syntax = data[0];
    Value value{syntax, std::vector<uint8_t>(data + 1, data + size)};
    std::vector<uint8_t> decoded;
    int status = vpr::directory::DecodeStoredValue(syntax, data + 1, size - 1, &decoded);
    std::string why;
    if (status != vpr::directory::CheckValue(value, &why)) Fail("the check and the decoder disagree");
    if (!vpr::directory::SameValue(value, value)) Fail("a value differs from itself");
    std::string text = vpr::directory::ValueToText(value);
    if (status != DIR_SUCCESS) {
        if (status != DIR_ERR_DAMAGED_VALUE || why.empty()) Fail("a refused value has no reason");
        if (text != "?") Fail("a refused value shows as text");
        return 0;
    }
    size_t decodedSize = 0;
    if (vpr::directory::DecodedSize(value, &decodedSize) != DIR_SUCCESS || decodedSize != decoded.size())
        Fail("the decoded size is not what the decoder filled");

    Value again, fromText;
    int encoded = vpr::directory::EncodeValue(syntax, decoded.data(), {}, &again);
    int read = vpr::directory::ValueFromText(syntax, text, &fromText);
    if (!KeepsItsBytes(syntax)) {
        if (encoded == DIR_SUCCESS && vpr::directory::CheckValue(again) != DIR_SUCCESS)
            Fail("a name encodes to a damaged value");
        return 0;
    }
    if (encoded != DIR_SUCCESS || again.bytes != value.bytes) Fail("a value does not encode back to its bytes");
    if (read != DIR_SUCCESS || fromText.bytes != value.bytes) Fail("a value's text does not read back");
    return 0;
}
