// The open dialog over GetOpenFileNameA.
#pragma once

#include <string>
#include <vector>

#include "vpr/forms/classes.h"

namespace vpr::forms {

enum TOpenOption {
    ofOverwritePrompt,
    ofNoChangeDir,
    ofAllowMultiSelect,
    ofFileMustExist,
    ofPathMustExist,
    ofHideReadOnly,
};

class TOpenDialog : public TComponent {
public:
    using TComponent::TComponent;
    std::string ClassName() const override { return "TOpenDialog"; }
    bool SetProperty(TReader& reader, const std::string& name, const FormValue& value) override;

    // "Text files (*.txt)|*.txt|All files (*.*)|*.*"
    std::string Filter;
    std::string DefaultExt;
    std::string Title;
    std::string InitialDir;
    std::vector<TOpenOption> Options;
    std::string FileName;             // the (first) file chosen
    std::vector<std::string> Files;   // every file chosen, full paths
    int FilterIndex = 1;

    bool HasOption(TOpenOption option) const;
    // Shows the dialog: true when files were chosen (FileName and Files set).
    bool Execute();
};

}  // namespace vpr::forms
