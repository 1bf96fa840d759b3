// The base of the wizard's forms: a form whose description is read from the
// resource module (the language library, else the program itself), parent
// class first, and the font a language other than English gives the forms.
#pragma once

#include "vpr/forms/forms.h"

namespace snapshot {

class TFormInDLL : public vpr::forms::TForm {
    VPR_FORM_CLASS(TFormInDLL, vpr::forms::TForm)
public:
    using TForm::TForm;
    // Reads the descriptions of the class chain (InitFormFromResources), then
    // calls the create handler. No description at all raises
    // "Resource %s not found" with the class name.
    void AfterConstruction() override;
};

// When the font language is not ENGLISH: the form's font becomes string 52
// at the size of string 51, and its controls take it.
void ApplyLanguageFont(vpr::forms::TForm* form);

}  // namespace snapshot
