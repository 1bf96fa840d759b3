// Fuzz target of the form stream reader: the input is a form stream, decoded
// and, when it decodes, read into a bare form as a program reads its forms
// (components made by class, properties set, fields and methods bound).
#include <cstdint>

#include "fuzz_kit.h"
#include "vpr/forms/forms.h"

namespace {

using namespace vpr::forms;

// A form class with a few fields and methods for the stream to name.
class TfrmFuzz : public TForm {
    VPR_FORM_CLASS(TfrmFuzz, TForm)
public:
    using TForm::TForm;
    TButton* btnOk = nullptr;
    TEdit* edtName = nullptr;
    TListBox* lstRows = nullptr;
    void Clicked(TObject*) {}
    void Drawn(TWinControl*, int, const RECT&, UINT, HDC) {}
    static void DeclareMembers(FormMembers<TfrmFuzz>& m) {
        m.Field("btnOk", &TfrmFuzz::btnOk);
        m.Field("edtName", &TfrmFuzz::edtName);
        m.Field("lstRows", &TfrmFuzz::lstRows);
        m.Event("Clicked", &TfrmFuzz::Clicked);
        m.Event("Drawn", &TfrmFuzz::Drawn);
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    vpr::fuzz::UseFuzzMachine(65001);
    FormObject root;
    std::string error;
    if (!DecodeFormStream(data, size, &root, &error)) return 0;
    // What decodes encodes to the same bytes: the one encoder and decoder agree.
    if (EncodeFormStream(root) != std::vector<uint8_t>(data, data + size)) __builtin_trap();
    auto* form = new TfrmFuzz(nullptr);
    try {
        ReadFormStream(data, size, form, TfrmFuzz::StaticClass());
    } catch (const Exception&) {
    }
    delete form;
    return 0;
}
