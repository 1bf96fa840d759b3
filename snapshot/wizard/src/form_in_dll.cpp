#include "form_in_dll.h"

#include <cstdlib>

#include "language_library.h"
#include "snapshot/engine/engine_settings.h"
#include "snapshot/engine/engine_ui.h"

namespace snapshot {

using namespace vpr::forms;

namespace {

constexpr UINT kStrFontSize = 51;
constexpr UINT kStrFontName = 52;

}  // namespace

void TFormInDLL::AfterConstruction() {
    HMODULE module = Settings().resourceModule ? Settings().resourceModule : GetModuleHandleA(nullptr);
    struct LoadingMark {
        TForm* form;
        ~LoadingMark() { form->SetLoading(false); }
    } mark{this};
    SetLoading(true);
    bool found = ReadInheritedFormResources(module, this, TForm::StaticClass());
    SetLoading(false);
    if (!found) throw EResNotFound("Resource " + ClassType().Name() + " not found");
    TForm::AfterConstruction();
}

void ApplyLanguageFont(TForm* form) {
    if (KeepsDesignedFont(FontLanguage())) return;
    TFont font;
    font.Name = LoadResString(kStrFontName);
    font.Size = std::atoi(LoadResString(kStrFontSize).c_str());
    form->SetFont(font);
}

}  // namespace snapshot
