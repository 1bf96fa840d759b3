#include <vector>

#include "commdlg.h"
#include "vpr/forms/dialogs.h"
#include "vpr/forms/form.h"
#include "vpr/forms/reader.h"

namespace vpr::forms {
namespace {

const std::vector<std::string> kOptionNames = {"ofOverwritePrompt", "ofNoChangeDir",   "ofAllowMultiSelect",
                                               "ofFileMustExist",   "ofPathMustExist", "ofHideReadOnly"};

}  // namespace

bool TOpenDialog::SetProperty(TReader& reader, const std::string& name, const FormValue& value) {
    if (SameText(name, "Filter")) Filter = reader.String(value);
    else if (SameText(name, "DefaultExt")) DefaultExt = reader.String(value);
    else if (SameText(name, "Title")) Title = reader.String(value);
    else if (SameText(name, "InitialDir")) InitialDir = reader.String(value);
    else if (SameText(name, "FileName")) FileName = reader.String(value);
    else if (SameText(name, "FilterIndex")) FilterIndex = reader.Integer(value);
    else if (SameText(name, "Options")) {
        Options.clear();
        for (const std::string& item : reader.Set(value, kOptionNames))
            for (size_t i = 0; i < kOptionNames.size(); ++i)
                if (SameText(item, kOptionNames[i])) Options.push_back(static_cast<TOpenOption>(i));
    } else {
        return TComponent::SetProperty(reader, name, value);
    }
    return true;
}

bool TOpenDialog::HasOption(TOpenOption option) const {
    for (TOpenOption o : Options)
        if (o == option) return true;
    return false;
}

bool TOpenDialog::Execute() {
    // "a|b|c|d" becomes the NUL-separated pairs the dialog takes.
    std::string filter = Filter;
    for (char& c : filter)
        if (c == '|') c = '\0';
    filter.append(2, '\0');
    std::vector<char> file(65536, '\0');
    FileName.copy(file.data(), std::min(FileName.size(), file.size() - 1));
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    TForm* owner = ActiveForm();
    ofn.hwndOwner = owner ? owner->Handle() : nullptr;
    ofn.lpstrFilter = Filter.empty() ? nullptr : filter.c_str();
    ofn.nFilterIndex = static_cast<DWORD>(FilterIndex);
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrInitialDir = InitialDir.empty() ? nullptr : InitialDir.c_str();
    ofn.lpstrTitle = Title.empty() ? nullptr : Title.c_str();
    ofn.lpstrDefExt = DefaultExt.empty() ? nullptr : DefaultExt.c_str();
    ofn.Flags = OFN_EXPLORER;
    if (HasOption(ofOverwritePrompt)) ofn.Flags |= OFN_OVERWRITEPROMPT;
    if (HasOption(ofNoChangeDir)) ofn.Flags |= OFN_NOCHANGEDIR;
    if (HasOption(ofAllowMultiSelect)) ofn.Flags |= OFN_ALLOWMULTISELECT;
    if (HasOption(ofFileMustExist)) ofn.Flags |= OFN_FILEMUSTEXIST;
    if (HasOption(ofPathMustExist)) ofn.Flags |= OFN_PATHMUSTEXIST;
    if (HasOption(ofHideReadOnly)) ofn.Flags |= OFN_HIDEREADONLY;
    if (!GetOpenFileNameA(&ofn)) return false;
    Files.clear();
    // Several files: the folder, then each name, NUL-separated.
    std::string first = file.data();
    const char* next = file.data() + first.size() + 1;
    if (HasOption(ofAllowMultiSelect) && *next) {
        std::string folder = first;
        if (!folder.empty() && folder.back() != '\\') folder += '\\';
        for (; *next; next += std::char_traits<char>::length(next) + 1) Files.push_back(folder + next);
    } else {
        Files.push_back(first);
    }
    FileName = Files.front();
    FilterIndex = static_cast<int>(ofn.nFilterIndex);
    return true;
}

}  // namespace vpr::forms
